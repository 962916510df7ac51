#include "core/settings.h"

#include "platform/ascii.h"
#include "platform/code_page.h"
#include "platform/profile.h"

namespace tessary {

std::string Settings::Read(const SettingKey& key) const {
  return Read(key, key.defaultValue, key.bufferLength);
}

std::string Settings::Read(const SettingKey& key, const std::string& defaultValue, unsigned bufferLength) const {
  // A value written before the programs ran in UTF-8 (a folder with an accented name)
  // is in the machine's ANSI code page.
  return FromOlderText(ProfileRead(path_, key.section, key.key, defaultValue, bufferLength));
}

bool Settings::IsYes(const SettingKey& key) const { return tessary::IsYes(Read(key)); }

bool Settings::Write(const SettingKey& key, const std::string& value) const {
  const bool ok = ProfileWrite(path_, key.section, key.key, value);
  writeFailed_ = writeFailed_ || !ok;
  return ok;
}

bool Settings::Delete(const SettingKey& key) const {
  const bool ok = ProfileDeleteKey(path_, key.section, key.key);
  writeFailed_ = writeFailed_ || !ok;
  return ok;
}

void Settings::Flush() const { ProfileFlush(path_); }

}  // namespace tessary
