// Reads and writes the settings file through the private-profile operations. Nothing
// is cached: every read goes to the file, as every reader expects.
#pragma once

#include <string>

#include "core/settings_table.h"

namespace tessary {

class Settings {
 public:
  explicit Settings(std::string path) : path_(std::move(path)) {}
  const std::string& path() const { return path_; }

  // The value with the key's own default and buffer length.
  std::string Read(const SettingKey& key) const;
  // The value with another default and buffer length.
  std::string Read(const SettingKey& key, const std::string& defaultValue, unsigned bufferLength) const;
  // Read(key) equals "yes" in any case.
  bool IsYes(const SettingKey& key) const;
  bool Write(const SettingKey& key, const std::string& value) const;
  bool WriteYesNo(const SettingKey& key, bool yes) const { return Write(key, yes ? "yes" : "no"); }
  bool Delete(const SettingKey& key) const;
  void Flush() const;
  // Whether a Write or Delete through this object has failed (the file is then as it
  // was before that change).
  bool WriteFailed() const { return writeFailed_; }

 private:
  std::string path_;
  mutable bool writeFailed_ = false;
};

}  // namespace tessary
