#include "profile.h"

#include <windows.h>

namespace tessary {
namespace {

// GetPrivateProfileStringA with a null section or key returns a list of names, each
// ended by a zero, the list ended by a second zero. Grows the buffer until it fits.
std::vector<std::string> ReadNameList(const char* section, const std::string& file) {
  std::vector<char> buf(4096);
  for (;;) {
    DWORD n = GetPrivateProfileStringA(section, nullptr, "", buf.data(), static_cast<DWORD>(buf.size()),
                                       file.c_str());
    if (n < buf.size() - 2) {
      std::vector<std::string> names;
      for (DWORD i = 0; i < n;) {
        std::string name(&buf[i]);
        i += static_cast<DWORD>(name.size()) + 1;
        names.push_back(std::move(name));
      }
      return names;
    }
    buf.resize(buf.size() * 4);
  }
}

}  // namespace

std::string ProfileRead(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& defaultValue, unsigned bufferLength) {
  if (bufferLength == 0) return {};
  std::string buf(bufferLength, '\0');
  DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue.c_str(), buf.data(), bufferLength,
                                     file.c_str());
  buf.resize(n);
  return buf;
}

std::string ProfileReadFull(const std::string& file, const std::string& section, const std::string& key,
                            const std::string& defaultValue) {
  for (unsigned len = 1024;; len *= 4) {
    std::string value = ProfileRead(file, section, key, defaultValue, len);
    if (value.size() + 1 < len) return value;
  }
}

bool ProfileWrite(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& value) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str()) != FALSE;
}

bool ProfileDeleteKey(const std::string& file, const std::string& section, const std::string& key) {
  return WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, file.c_str()) != FALSE;
}

bool ProfileDeleteSection(const std::string& file, const std::string& section) {
  return WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, file.c_str()) != FALSE;
}

std::vector<std::string> ProfileKeys(const std::string& file, const std::string& section) {
  return ReadNameList(section.c_str(), file);
}

std::vector<std::string> ProfileSections(const std::string& file) { return ReadNameList(nullptr, file); }

void ProfileFlush(const std::string& file) { WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str()); }

}  // namespace tessary
