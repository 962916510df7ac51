// Stands in for an editor's print switch: "<program> /p <file>" copies the file to the
// path named by TESSARY_PRINT_OUT, after a short pause so that the waiting is visible.
#include <windows.h>

#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  if (argc < 3 || std::strcmp(argv[1], "/p") != 0) return 2;
  const char* out = std::getenv("TESSARY_PRINT_OUT");
  if (!out) return 3;
  // Put any pieces of a path split at its blanks back together.
  char path[1024] = {};
  for (int i = 2; i < argc; ++i) {
    if (i > 2) strncat(path, " ", sizeof path - std::strlen(path) - 1);
    strncat(path, argv[i], sizeof path - std::strlen(path) - 1);
  }
  Sleep(1500);
  return CopyFileA(path, out, FALSE) ? 0 : 4;
}
