#include "registry.h"

#include <vector>

namespace tessary {

RegKey RegKey::Open(HKEY parent, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyA(parent, path.c_str(), &key) != ERROR_SUCCESS) return RegKey();
  return RegKey(key, true);
}

RegKey& RegKey::operator=(RegKey&& other) noexcept {
  if (this != &other) {
    Close();
    key_ = other.key_;
    owned_ = other.owned_;
    other.key_ = nullptr;
  }
  return *this;
}

void RegKey::Close() {
  if (key_ && owned_) RegCloseKey(key_);
  key_ = nullptr;
}

RegKey::Enum RegKey::EnumKey(DWORD index, std::string& name) const {
  // The length the call returns, not the terminating zero, ends the name: a name with
  // a NUL inside (possible through the native calls) is kept whole, so that it is
  // never taken for the shorter name before its NUL.
  char buf[400];
  DWORD length = sizeof buf;
  LONG rc = RegEnumKeyExA(key_, index, buf, &length, nullptr, nullptr, nullptr, nullptr);
  if (rc == ERROR_SUCCESS) {
    name.assign(buf, length);
    return Enum::Ok;
  }
  if (rc == ERROR_NO_MORE_ITEMS) return Enum::NoMore;
  if (rc != ERROR_MORE_DATA) return Enum::Failed;
  // A name longer than the usual buffer: ask for the longest and read it whole.
  DWORD maxLen = 0;
  if (RegQueryInfoKeyA(key_, nullptr, nullptr, nullptr, nullptr, &maxLen, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr) != ERROR_SUCCESS)
    maxLen = 32767;
  std::vector<char> big(maxLen + 2);
  DWORD len = static_cast<DWORD>(big.size());
  rc = RegEnumKeyExA(key_, index, big.data(), &len, nullptr, nullptr, nullptr, nullptr);
  if (rc != ERROR_SUCCESS) return rc == ERROR_NO_MORE_ITEMS ? Enum::NoMore : Enum::Failed;
  name.assign(big.data(), len);
  return Enum::Ok;
}

bool RegKey::QueryString(const char* valueName, std::string& out, DWORD maxBytes) const {
  std::vector<char> buf(maxBytes + 1, '\0');
  DWORD type = 0;
  DWORD size = maxBytes;
  if (RegQueryValueExA(key_, valueName, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &size) != ERROR_SUCCESS)
    return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  out.assign(buf.data());  // stops at the first zero
  return true;
}

}  // namespace tessary
