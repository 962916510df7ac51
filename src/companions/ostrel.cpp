// ostrel.exe: removes an installed Tessary. It asks first, then deletes the files that
// setup.exe copied into its own directory, the Start-menu folder "Tessary 95" with its
// shortcut, the Sentinox start-up shortcut that the Options dialog had made, and the
// entry in the list of removable programs, and says what it removed. The backup
// directory, its reports and the settings file stay.
// "/s" removes without asking and without the closing message (for unattended use).
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr char kCaption[] = "Tessary 95 Uninstall";
constexpr const char* kInstalled[] = {"TESSARY.EXE", "TESSARY.HLP", "SENTINOX.EXE", "README.TXT", "CORVEL.EXE"};

std::string OwnPath() {
  std::vector<char> buf(32768);
  DWORD n = GetModuleFileNameA(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
  return std::string(buf.data(), n);
}

std::string Parent(const std::string& path) {
  std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

std::string SettingsPath() {
  char buf[MAX_PATH + 1] = {};
  UINT n = GetWindowsDirectoryA(buf, MAX_PATH);
  return std::string(buf, n) + "\\tessary.ini";
}

std::string ReadIni(const char* section, const char* key) {
  char buf[256] = {};
  DWORD n = GetPrivateProfileStringA(section, key, "", buf, sizeof buf, SettingsPath().c_str());
  return std::string(buf, n);
}

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
  if (text.size() < tail.size()) return false;
  return CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, text.c_str() + text.size() - tail.size(),
                        static_cast<int>(tail.size()), tail.c_str(), static_cast<int>(tail.size())) == CSTR_EQUAL;
}

std::string ProgramsFolder() {
  HKEY key = nullptr;
  std::string folder;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "software\\microsoft\\windows\\currentversion\\explorer\\shell folders", 0,
                    KEY_QUERY_VALUE, &key) == ERROR_SUCCESS) {
    char buf[256] = {};
    DWORD size = 255, type = 0;
    if (RegQueryValueExA(key, "Programs", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS)
      folder.assign(buf, strnlen(buf, sizeof buf - 1));
    RegCloseKey(key);
  }
  return folder;
}

// Deletes a file now, or, when it is in use (this program itself), when Windows
// next starts. Returns true when the file is gone or will be.
bool RemoveFile(const std::string& path) {
  if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  if (DeleteFileA(path.c_str())) return true;
  return MoveFileExA(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}

// A running program cannot delete its own file. A copy in the temporary folder,
// started with "/finish <process id> <path>", waits for this process to end, then
// deletes the uninstaller and the install directory if nothing else is left in it.
bool HandOverSelfRemoval(const std::string& self) {
  char temp[MAX_PATH + 1] = {};
  GetTempPathA(MAX_PATH, temp);
  std::string copy = std::string(temp) + "ostrel-finish.exe";
  if (!CopyFileA(self.c_str(), copy.c_str(), FALSE)) return false;
  std::string cmd = "\"" + copy + "\" /finish " + std::to_string(GetCurrentProcessId()) + " " + self;
  std::vector<char> line(cmd.begin(), cmd.end());
  line.push_back('\0');
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessA(copy.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, temp, &si, &pi)) return false;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return true;
}

int FinishSelfRemoval(const std::string& args) {
  std::size_t space = args.find(' ');
  if (space == std::string::npos) return 1;
  DWORD pid = static_cast<DWORD>(std::strtoul(args.c_str(), nullptr, 10));
  std::string path = args.substr(space + 1);
  if (HANDLE parent = OpenProcess(SYNCHRONIZE, FALSE, pid)) {
    WaitForSingleObject(parent, 30000);
    CloseHandle(parent);
  }
  for (int i = 0; i < 50 && !DeleteFileA(path.c_str()) && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
       ++i)
    Sleep(100);
  RemoveDirectoryA(Parent(path).c_str());
  MoveFileExA(OwnPath().c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  std::string args(commandLine);
  if (args.rfind("/finish ", 0) == 0) return FinishSelfRemoval(args.substr(8));
  bool quiet = args.find("/s") != std::string::npos;
  std::string self = OwnPath();
  std::string dir = Parent(self);
  if (!quiet &&
      MessageBoxA(nullptr, ("Remove Tessary 95 from " + dir + "?\nYour backups and reports are kept.").c_str(),
                  kCaption, MB_YESNO | MB_ICONQUESTION) != IDYES)
    return 1;

  std::string removed;
  for (const char* name : kInstalled) {
    std::string path = dir + "\\" + name;
    if (RemoveFile(path)) removed += path + "\n";
  }
  // This program and then the install directory, the latter only when nothing else
  // (such as backups) is left in it.
  if (HandOverSelfRemoval(self) || RemoveFile(self)) removed += self + "\n";

  std::string programs = ProgramsFolder();
  if (!programs.empty()) {
    std::string folder = programs + "\\Tessary 95";
    std::string link = folder + "\\Tessary.lnk";
    if (RemoveFile(link)) removed += link + "\n";
    if (RemoveDirectoryA(folder.c_str())) removed += folder + "\n";
  }

  // The Sentinox start-up shortcut, whose path the Options dialog keeps in LPath.
  std::string sentinoxLink = ReadIni("tessary", "LPath");
  if (!sentinoxLink.empty() && EndsWithNoCase(sentinoxLink, ".lnk") && RemoveFile(sentinoxLink))
    removed += sentinoxLink + "\n";

  HKEY parent = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\microsoft\\windows\\currentversion\\uninstall", 0,
                    KEY_ALL_ACCESS, &parent) == ERROR_SUCCESS) {
    if (RegDeleteKeyA(parent, "Tessary") == ERROR_SUCCESS) removed += "The entry \"Tessary 95\" in Add/Remove Programs\n";
    RegCloseKey(parent);
  }

  if (!quiet) {
    std::string text = removed.empty() ? std::string("Nothing of Tessary 95 was found to remove.")
                                       : "Removed:\n" + removed + "\nYour backups, reports and tessary.ini are kept.";
    MessageBoxA(nullptr, text.c_str(), kCaption, MB_OK | MB_ICONINFORMATION);
  }
  return 0;
}
