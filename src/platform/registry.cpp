#include "registry.h"

#include <vector>

#include "ascii.h"

namespace tessary {

HKEY RootKeyNamed(std::string_view fullName) {
  static const struct {
    std::string_view name;
    HKEY key;
  } kKeys[] = {{"HKEY_CLASSES_ROOT", HKEY_CLASSES_ROOT},     {"HKEY_CURRENT_USER", HKEY_CURRENT_USER},
               {"HKEY_LOCAL_MACHINE", HKEY_LOCAL_MACHINE},   {"HKEY_USERS", HKEY_USERS},
               {"HKEY_CURRENT_CONFIG", HKEY_CURRENT_CONFIG}, {"HKEY_DYN_DATA", HKEY_DYN_DATA}};
  for (const auto& k : kKeys)
    if (EqualsNoCase(fullName, k.name)) return k.key;
  return nullptr;
}

RegKey RegKey::Owning(HKEY opened) {
  RegKey key;
  key.owned_.Reset(opened);
  return key;
}

RegKey RegKey::Open(HKEY parent, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyA(parent, path.c_str(), &key) != ERROR_SUCCESS) return RegKey();
  return Owning(key);
}

RegKey RegKey::OpenByNames(HKEY parent, const std::string& path, REGSAM access) {
  RegKey current = RegKey::Root(parent);
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end == start) return RegKey();
    current = current.OpenSubKey(path.substr(start, end - start), access);
    if (!current) return RegKey();
    start = end + 1;
  }
  return current;
}

RegKey RegKey::OpenForReading(HKEY parent, const std::string& path) { return OpenByNames(parent, path, KEY_READ); }

RegKey RegKey::OpenSubKey(const std::string& name, REGSAM access) const {
  HKEY key = nullptr;
  if (RegOpenKeyExA(get(), name.c_str(), 0, access, &key) != ERROR_SUCCESS) return RegKey();
  return Owning(key);
}

bool RegKey::DeleteTree(const std::string& path) const {
  if (!get() || path.empty() || path.front() == '\\' || path.back() == '\\' ||
      path.find("\\\\") != std::string::npos)
    return false;
  const std::size_t slash = path.rfind('\\');
  if (slash == std::string::npos) return RegDeleteTreeA(get(), path.c_str()) == ERROR_SUCCESS;
  const RegKey parent = OpenByNames(get(), path.substr(0, slash), KEY_ALL_ACCESS);
  return parent && RegDeleteTreeA(parent.get(), path.substr(slash + 1).c_str()) == ERROR_SUCCESS;
}

std::string RegKey::FullName() const {
  // NtQueryKey with KeyNameInformation (3): a ULONG byte count, then the UTF-16 name.
  using NtQueryKeyFn = LONG(WINAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
  static const auto query = reinterpret_cast<NtQueryKeyFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryKey")));
  if (!query || !get()) return {};
  std::vector<ULONG> buf(1024);
  ULONG length = 0;
  LONG status = query(get(), 3, buf.data(), static_cast<ULONG>(buf.size() * sizeof(ULONG)), &length);
  // STATUS_BUFFER_OVERFLOW or STATUS_BUFFER_TOO_SMALL: a deep key; ask again with room.
  if ((status == LONG(0x80000005) || status == LONG(0xC0000023)) && length > buf.size() * sizeof(ULONG)) {
    buf.resize(length / sizeof(ULONG) + 2);
    status = query(get(), 3, buf.data(), static_cast<ULONG>(buf.size() * sizeof(ULONG)), &length);
  }
  if (status != 0) return {};
  const ULONG bytes = buf[0];
  if (bytes == 0 || bytes > (buf.size() - 1) * sizeof(ULONG)) return {};
  const auto* wide = reinterpret_cast<const wchar_t*>(buf.data() + 1);
  const int chars = static_cast<int>(bytes / sizeof(wchar_t));
  const int n = WideCharToMultiByte(CP_ACP, 0, wide, chars, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return {};
  std::string name(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, chars, name.data(), n, nullptr, nullptr);
  return name;
}

RegKey& RegKey::operator=(RegKey&& other) noexcept {
  if (this != &other) {
    owned_ = std::move(other.owned_);
    borrowed_ = std::exchange(other.borrowed_, nullptr);
  }
  return *this;
}

void RegKey::Close() {
  owned_.Close();
  borrowed_ = nullptr;
}

RegKey::Enum RegKey::EnumKey(DWORD index, std::string& name) const {
  // The length the call returns, not the terminating zero, ends the name: a name with
  // a NUL inside (possible through the native calls) is kept whole, so that it is
  // never taken for the shorter name before its NUL.
  char buf[400];
  DWORD length = sizeof buf;
  LONG rc = RegEnumKeyExA(get(), index, buf, &length, nullptr, nullptr, nullptr, nullptr);
  if (rc == ERROR_SUCCESS) {
    name.assign(buf, length);
    return Enum::Ok;
  }
  if (rc == ERROR_NO_MORE_ITEMS) return Enum::NoMore;
  if (rc != ERROR_MORE_DATA) return Enum::Failed;
  // A name longer than the usual buffer: ask for the longest and read it whole.
  DWORD maxLen = 0;
  if (RegQueryInfoKeyA(get(), nullptr, nullptr, nullptr, nullptr, &maxLen, nullptr, nullptr, nullptr, nullptr,
                       nullptr, nullptr) != ERROR_SUCCESS)
    maxLen = 32767;
  std::vector<char> big(maxLen + 2);
  DWORD len = static_cast<DWORD>(big.size());
  rc = RegEnumKeyExA(get(), index, big.data(), &len, nullptr, nullptr, nullptr, nullptr);
  if (rc != ERROR_SUCCESS) return rc == ERROR_NO_MORE_ITEMS ? Enum::NoMore : Enum::Failed;
  name.assign(big.data(), len);
  return Enum::Ok;
}

bool RegKey::QueryString(const char* valueName, std::string& out, DWORD maxBytes) const {
  std::vector<char> buf(maxBytes + 1, '\0');
  DWORD type = 0;
  DWORD size = maxBytes;
  if (RegQueryValueExA(get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &size) != ERROR_SUCCESS)
    return false;
  if (type != REG_SZ && type != REG_EXPAND_SZ) return false;
  out.assign(buf.data());  // stops at the first zero
  return true;
}

}  // namespace tessary
