// Registry keys with one owner each. Predefined roots (HKEY_CURRENT_USER, ...) are
// wrapped without ownership and never closed.
#pragma once

#include <windows.h>

#include <string>

namespace tessary {

class RegKey {
 public:
  RegKey() = default;
  // Wraps a predefined root; not closed.
  static RegKey Root(HKEY root) { return RegKey(root, false); }
  // RegOpenKeyA: opens `path` below `parent` (an empty path gives the parent itself).
  static RegKey Open(HKEY parent, const std::string& path);
  // Opens `path` below `parent` one name at a time, for reading (the registry functions
  // take paths of limited length). An empty name on the way fails.
  static RegKey OpenForReading(HKEY parent, const std::string& path);
  ~RegKey() { Close(); }
  RegKey(RegKey&& other) noexcept : key_(other.key_), owned_(other.owned_) { other.key_ = nullptr; }
  RegKey& operator=(RegKey&& other) noexcept;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  explicit operator bool() const { return key_ != nullptr; }
  HKEY get() const { return key_; }
  void Close();

  enum class Enum { Ok, NoMore, Failed };
  // The name of the subkey at `index` (RegEnumKeyExA). A name too long for the usual
  // buffer is read whole, never cut, so a walk does not lose it or its siblings; a
  // name with a NUL inside keeps it and what follows.
  Enum EnumKey(DWORD index, std::string& name) const;
  // String data of a value (up to maxBytes bytes including the zero), or false.
  bool QueryString(const char* valueName, std::string& out, DWORD maxBytes = 256) const;
  // The registry's own full name of the key ("\REGISTRY\MACHINE\SOFTWARE\Classes\CLSID"
  // for HKEY_CLASSES_ROOT\CLSID): aliases and links resolved, in the letter case the
  // registry keeps. Empty when the registry cannot say.
  std::string FullName() const;

 private:
  RegKey(HKEY key, bool owned) : key_(key), owned_(owned) {}
  HKEY key_ = nullptr;
  bool owned_ = false;
};

}  // namespace tessary
