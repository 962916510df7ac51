#include "registry.h"

#include <winternl.h>

#include <vector>

#include "ascii.h"
#include "fault.h"

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

RegKey RegKey::OpenForValues(HKEY root, const std::string& path) {
  if (path.empty()) return RegKey::Root(root).OpenSubKey("", KEY_READ | KEY_SET_VALUE);
  return OpenByNames(root, path, KEY_READ | KEY_SET_VALUE);
}

RegKey RegKey::CreateForWriting(HKEY root, const std::string& path) {
  if (path.empty()) return RegKey::Root(root).OpenSubKey("", KEY_READ | KEY_SET_VALUE);
  RegKey current = RegKey::Root(root);
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end == start) return RegKey();
    HKEY next = nullptr;
    if (InjectedFault(FileOp::Registry, path)) return RegKey();
    if (RegCreateKeyExA(current.get(), path.substr(start, end - start).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY, nullptr, &next, nullptr) != ERROR_SUCCESS)
      return RegKey();
    current = Owning(next);
    start = end + 1;
  }
  return current;
}

bool RegKey::IsMissing(HKEY parent, const std::string& path) {
  RegKey current = RegKey::Root(parent);
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('\\', start);
    if (end == std::string::npos) end = path.size();
    if (end == start) return false;
    HKEY next = nullptr;
    const LONG status = RegOpenKeyExA(current.get(), path.substr(start, end - start).c_str(), 0, KEY_READ, &next);
    if (status == ERROR_FILE_NOT_FOUND) return true;
    if (status != ERROR_SUCCESS) return false;
    current = Owning(next);
    start = end + 1;
  }
  return false;
}

RegKey RegKey::OpenSubKey(const std::string& name, REGSAM access) const {
  HKEY key = nullptr;
  if (RegOpenKeyExA(get(), name.c_str(), 0, access, &key) != ERROR_SUCCESS) return RegKey();
  return Owning(key);
}

RegKey RegKey::CreateSubKey(const std::string& name, REGSAM access) const {
  if (InjectedFault(FileOp::Registry, name)) return RegKey();
  HKEY key = nullptr;
  if (RegCreateKeyExA(get(), name.c_str(), 0, nullptr, 0, access, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return RegKey();
  return Owning(key);
}

bool RegKey::DeleteSubKey(const std::string& name) const {
  if (InjectedFault(FileOp::Registry, name)) return false;
  return RegDeleteKeyA(get(), name.c_str()) == ERROR_SUCCESS;
}

bool RegKey::SetString(const std::string& name, const std::string& text) const {
  if (InjectedFault(FileOp::Registry, name)) return false;
  return RegSetValueExA(get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                        static_cast<DWORD>(text.size() + 1)) == ERROR_SUCCESS;
}

bool RegKey::DeleteTree(const std::string& path) const {
  if (InjectedFault(FileOp::Registry, path)) return false;
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

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the wide calls take UTF-16 units");

// The most a value name holds, in units, with room for the terminating zero.
constexpr std::size_t kValueNameUnits = 16384;

const wchar_t* Wide(std::u16string_view units) { return reinterpret_cast<const wchar_t*>(units.data()); }

// The native calls, for value names that hold a NUL: the Win32 calls take names that a
// NUL ends, the native ones take counted names.
struct NativeValueCalls {
  using SetFn = LONG(NTAPI*)(HANDLE, PUNICODE_STRING, ULONG, ULONG, PVOID, ULONG);
  using DeleteFn = LONG(NTAPI*)(HANDLE, PUNICODE_STRING);
  using QueryFn = LONG(NTAPI*)(HANDLE, PUNICODE_STRING, int, PVOID, ULONG, PULONG);
  SetFn set = nullptr;
  DeleteFn remove = nullptr;
  QueryFn query = nullptr;
  static const NativeValueCalls& Get() {
    static const NativeValueCalls calls = [] {
      NativeValueCalls c;
      HMODULE ntdll = GetModuleHandleA("ntdll.dll");
      if (!ntdll) return c;
      c.set = reinterpret_cast<SetFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtSetValueKey")));
      c.remove = reinterpret_cast<DeleteFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtDeleteValueKey")));
      c.query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "NtQueryValueKey")));
      return c;
    }();
    return calls;
  }
};

UNICODE_STRING Counted(std::u16string_view name) {
  UNICODE_STRING counted;
  counted.Buffer = const_cast<wchar_t*>(Wide(name));
  counted.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
  counted.MaximumLength = counted.Length;
  return counted;
}

bool HoldsNul(std::u16string_view name) { return name.find(u'\0') != std::u16string_view::npos; }

}  // namespace

RegKey::Enum RegKey::EnumValue(DWORD index, RegValue& value) const {
  if (value.name_.size() < kValueNameUnits) value.name_.resize(kValueNameUnits);
  if (value.data_.size() < 4096) value.data_.resize(4096);
  // The data may grow between the calls; a few rounds settle it.
  for (int round = 0; round < 4; ++round) {
    DWORD nameUnits = static_cast<DWORD>(value.name_.size());
    DWORD bytes = static_cast<DWORD>(value.data_.size());
    DWORD type = 0;
    const LONG rc = RegEnumValueW(get(), index, reinterpret_cast<wchar_t*>(value.name_.data()), &nameUnits, nullptr,
                                  &type, reinterpret_cast<BYTE*>(value.data_.data()), &bytes);
    if (rc == ERROR_SUCCESS) {
      value.nameLength_ = nameUnits;
      value.dataLength_ = bytes;
      value.type_ = type;
      return Enum::Ok;
    }
    if (rc == ERROR_NO_MORE_ITEMS) return Enum::NoMore;
    if (rc != ERROR_MORE_DATA || bytes <= value.data_.size()) return Enum::Failed;
    value.data_.resize(bytes);
  }
  return Enum::Failed;
}

bool RegKey::QueryValue(std::u16string_view name, RegValue& value) const {
  value.name_.assign(name);
  value.nameLength_ = name.size();
  if (HoldsNul(name)) {
    const NativeValueCalls& native = NativeValueCalls::Get();
    if (!native.query) return false;
    UNICODE_STRING counted = Counted(name);
    // KeyValuePartialInformation (2): title index, type, data length, then the data.
    std::vector<ULONG> buf(1024);
    for (int round = 0; round < 4; ++round) {
      ULONG length = 0;
      const LONG status =
          native.query(get(), &counted, 2, buf.data(), static_cast<ULONG>(buf.size() * sizeof(ULONG)), &length);
      if (status == 0) {
        value.type_ = buf[1];
        value.data_.assign(reinterpret_cast<const char*>(buf.data() + 3), buf[2]);
        value.dataLength_ = buf[2];
        return true;
      }
      if (status != LONG(0x80000005) && status != LONG(0xC0000023)) return false;
      buf.resize(length / sizeof(ULONG) + 4);
    }
    return false;
  }
  const std::u16string terminated(name);
  for (int round = 0; round < 4; ++round) {
    DWORD bytes = static_cast<DWORD>(value.data_.size());
    DWORD type = 0;
    const LONG rc = RegQueryValueExW(get(), Wide(terminated), nullptr, &type,
                                     reinterpret_cast<BYTE*>(value.data_.data()), &bytes);
    if (rc == ERROR_SUCCESS) {
      value.type_ = type;
      value.dataLength_ = bytes;
      return true;
    }
    if (rc != ERROR_MORE_DATA || bytes <= value.data_.size()) return false;
    value.data_.resize(bytes);
  }
  return false;
}

bool RegKey::SetValue(std::u16string_view name, std::uint32_t type, std::string_view data) const {
  if (InjectedFault(FileOp::Registry, std::string())) return false;
  if (data.size() > 0xFFFFFFFFu) return false;
  // RegSetValueExW gives string data a terminating NUL of its own when the unit after
  // the data is one; two bytes that are no NUL after it keep the data as it is.
  std::string padded(data);
  padded += "\xFF\xFF";
  if (HoldsNul(name)) {
    const NativeValueCalls& native = NativeValueCalls::Get();
    if (!native.set) return false;
    UNICODE_STRING counted = Counted(name);
    return native.set(get(), &counted, 0, type, padded.data(), static_cast<ULONG>(data.size())) == 0;
  }
  const std::u16string terminated(name);
  return RegSetValueExW(get(), Wide(terminated), 0, type, reinterpret_cast<const BYTE*>(padded.data()),
                        static_cast<DWORD>(data.size())) == ERROR_SUCCESS;
}

bool RegKey::DeleteValue(std::u16string_view name) const {
  if (InjectedFault(FileOp::Registry, std::string())) return false;
  if (HoldsNul(name)) {
    const NativeValueCalls& native = NativeValueCalls::Get();
    if (!native.remove) return false;
    UNICODE_STRING counted = Counted(name);
    return native.remove(get(), &counted) == 0;
  }
  const std::u16string terminated(name);
  return RegDeleteValueW(get(), Wide(terminated)) == ERROR_SUCCESS;
}

std::string AnsiText(std::u16string_view units) {
  if (units.empty()) return {};
  const int n = WideCharToMultiByte(CP_ACP, 0, Wide(units), static_cast<int>(units.size()), nullptr, 0, nullptr,
                                    nullptr);
  if (n <= 0) return std::string(units.size(), '?');
  std::string text(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, Wide(units), static_cast<int>(units.size()), text.data(), n, nullptr, nullptr);
  return text;
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

bool IsRegistryLink(HKEY root, const std::string& path) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), REG_OPTION_OPEN_LINK, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return false;
  const RegKeyHandle key(opened);
  DWORD type = 0;
  return RegQueryValueExW(key.get(), L"SymbolicLinkValue", nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS &&
         type == REG_LINK;
}

}  // namespace tessary
