// Stands in for tessary.exe in the companion test: records the start request it finds
// in tessary.ini, and the folder it was started in, in started.txt beside itself.
#include <windows.h>

#include <fstream>
#include <string>

int main(int, char** argv) {
  char windir[MAX_PATH + 1] = {};
  GetWindowsDirectoryA(windir, sizeof windir);
  std::string ini = std::string(windir) + "\\tessary.ini";
  char value[16] = {};
  GetPrivateProfileStringA("sentinox", "RunBackup", "none", value, sizeof value, ini.c_str());
  std::string self = argv[0];
  std::string dir = self.substr(0, self.find_last_of("\\/"));
  std::ofstream(dir + "\\started.txt") << value;
  return 0;
}
