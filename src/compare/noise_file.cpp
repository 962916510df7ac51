#include "compare/noise_file.h"

#include <windows.h>

#include <optional>

#include "platform/files.h"

namespace tessary {

namespace {

std::string ExpandVariables(std::string_view text) {
  const std::string in(text);
  char out[1024] = {};
  const DWORD length = ExpandEnvironmentStringsA(in.c_str(), out, sizeof out);
  if (length == 0 || length > sizeof out) return in;
  return out;
}

}  // namespace

std::string NoiseFilePathFor(const std::string& settingsPath) {
  const std::size_t slash = settingsPath.find_last_of("\\/");
  return (slash == std::string::npos ? std::string() : settingsPath.substr(0, slash + 1)) + "tessary-noise.txt";
}

bool RunningUnderWine() {
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

LoadedNoise LoadNoiseList(const std::string& settingsPath) {
  LoadedNoise loaded;
  loaded.list = NoiseList::Defaults(RunningUnderWine() ? NoiseDefaults::WindowsAndWine : NoiseDefaults::Windows,
                                    ExpandVariables);
  loaded.userFile = NoiseFilePathFor(settingsPath);
  if (const std::optional<std::string> text = ReadWholeFile(loaded.userFile))
    loaded.refused = loaded.list.AddText(*text, ExpandVariables);
  return loaded;
}

}  // namespace tessary
