// Registry keys with one owner each. Predefined roots (HKEY_CURRENT_USER, ...) are
// wrapped without ownership and never closed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "handles.h"

namespace tessary {

// One value as RegKey::EnumValue and QueryValue read it: the name in UTF-16 code units,
// the type, and the data byte for byte. The buffers are kept from one read to the next,
// so a walk that reads every value allocates only when a value is larger than any before.
class RegValue {
 public:
  std::u16string_view name() const { return std::u16string_view(name_.data(), nameLength_); }
  std::uint32_t type() const { return type_; }
  std::string_view data() const { return std::string_view(data_.data(), dataLength_); }

 private:
  friend class RegKey;
  std::u16string name_;
  std::string data_;
  std::size_t nameLength_ = 0, dataLength_ = 0;
  std::uint32_t type_ = 0;
};

class RegKey {
 public:
  RegKey() = default;
  // Wraps a predefined root; not closed.
  static RegKey Root(HKEY root) {
    RegKey key;
    key.borrowed_ = root;
    return key;
  }
  // RegOpenKeyA: opens `path` below `parent` (an empty path gives the parent itself).
  static RegKey Open(HKEY parent, const std::string& path);
  // Opens `path` below `parent` one name at a time, for reading (the registry functions
  // take paths of limited length). An empty name on the way fails.
  [[nodiscard]] static RegKey OpenForReading(HKEY parent, const std::string& path);
  RegKey(RegKey&& other) noexcept
      : owned_(std::move(other.owned_)), borrowed_(std::exchange(other.borrowed_, nullptr)) {}
  RegKey& operator=(RegKey&& other) noexcept;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  explicit operator bool() const { return get() != nullptr; }
  HKEY get() const { return owned_ ? owned_.get() : borrowed_; }
  void Close();

  // Opens `path` below `root` for reading and writing values, one name at a time; an
  // empty path opens the root itself. An empty name on the way fails.
  static RegKey OpenForValues(HKEY root, const std::string& path);
  // Every change below (a key made or deleted, a value set or deleted) asks the fault
  // seam first (FileOp::Registry, with the path or name of the key made or deleted, or
  // nothing for a value set or deleted).
  // Opens `path` below `root` for writing values, creating every key on the way that is
  // missing (RegCreateKeyExA, one name at a time); an empty path opens the root itself.
  // An empty name on the way fails.
  static RegKey CreateForWriting(HKEY root, const std::string& path);
  // Whether the key `path` below `parent` is not there: a name on the way does not exist.
  // False when it is there, or when the registry will not say (access denied, an empty
  // name).
  static bool IsMissing(HKEY parent, const std::string& path);
  // RegOpenKeyExA: the subkey `name` of this key (one name, or a path the registry takes
  // whole) with the given access; an empty key when it cannot be opened.
  [[nodiscard]] RegKey OpenSubKey(const std::string& name, REGSAM access = KEY_READ) const;
  // Deletes the key `path` below this key with all its subkeys (RegDeleteTreeA). The
  // parents on the way are opened one name at a time, since the registry functions take
  // paths of limited length. A path with an empty name anywhere (empty, a leading,
  // trailing or doubled backslash) is refused: the tree delete of an empty name would
  // empty this key itself. False when a key on the way cannot be opened or the delete
  // fails.
  [[nodiscard]] bool DeleteTree(const std::string& path) const;
  // RegCreateKeyExA: the subkey `name` of this key, made when missing, opened with
  // `access`; an empty key when it cannot be made.
  [[nodiscard]] RegKey CreateSubKey(const std::string& name, REGSAM access) const;
  // RegDeleteKeyA: deletes the subkey `name`, which must have no subkeys of its own.
  [[nodiscard]] bool DeleteSubKey(const std::string& name) const;

  enum class Enum { Ok, NoMore, Failed };
  // The name of the subkey at `index` (RegEnumKeyExA). A name too long for the usual
  // buffer is read whole, never cut, so a walk does not lose it or its siblings; a
  // name with a NUL inside keeps it and what follows.
  Enum EnumKey(DWORD index, std::string& name) const;
  // The value at `index` (RegEnumValueW): its name and data whole, however long. Values
  // are read through the wide calls: the ANSI ones pass names and string data through the
  // code page, which turns every character outside it into "?", and so could neither
  // report nor put back such a value as it was.
  Enum EnumValue(DWORD index, RegValue& value) const;
  // The value of that name (RegQueryValueExW, or the native call for a name holding a
  // NUL, which the Win32 calls cannot name); false when there is none.
  [[nodiscard]] bool QueryValue(std::u16string_view name, RegValue& value) const;
  // Sets the value exactly as given: type and data byte for byte (string data is not
  // given a terminating NUL it does not have). False when the registry refuses.
  [[nodiscard]] bool SetValue(std::u16string_view name, std::uint32_t type, std::string_view data) const;
  // RegSetValueExA of a REG_SZ value: the text in the program's code page, with its
  // terminating zero.
  [[nodiscard]] bool SetString(const std::string& name, const std::string& text) const;
  // Deletes the value; false when there is none or the registry refuses.
  [[nodiscard]] bool DeleteValue(std::u16string_view name) const;
  // String data of a value (up to maxBytes bytes including the zero), or false.
  [[nodiscard]] bool QueryString(const char* valueName, std::string& out, DWORD maxBytes = 256) const;
  // The registry's own full name of the key ("\REGISTRY\MACHINE\SOFTWARE\Classes\CLSID"
  // for HKEY_CLASSES_ROOT\CLSID): aliases and links resolved, in the letter case the
  // registry keeps. Empty when the registry cannot say.
  std::string FullName() const;

 private:
  static RegKey Owning(HKEY opened);
  // Opens `path` below `parent` one name at a time with `access`; an empty name fails.
  static RegKey OpenByNames(HKEY parent, const std::string& path, REGSAM access);

  RegKeyHandle owned_;        // a key this object opened
  HKEY borrowed_ = nullptr;   // a predefined root, never closed
};

// UTF-16 text in the ANSI code page, for people (reports, questions, the Uninstall
// Actions dialog): a character the code page lacks shows as "?".
std::string AnsiText(std::u16string_view units);

// The predefined key of a root named in full (any letter case, see registry_roots.h):
// "HKEY_CURRENT_USER" gives HKEY_CURRENT_USER. Null for any other name.
HKEY RootKeyNamed(std::string_view fullName);

// Whether the key at `path` below `root` is itself a registry link (a key opened with
// REG_OPTION_OPEN_LINK holding a REG_LINK "SymbolicLinkValue"), not what it points to.
bool IsRegistryLink(HKEY root, const std::string& path);

}  // namespace tessary
