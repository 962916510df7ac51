#include "profile.h"

#include <windows.h>

#include <optional>

#include "files.h"
#include "ini_document.h"

namespace tessary {
namespace {

// A bare file name is a file of the Windows folder, as the system's INI functions take it.
std::string Resolve(const std::string& file) {
  if (file.find_first_of("\\/:") != std::string::npos) return file;
  return WindowsDirectory() + "\\" + file;
}

std::optional<IniDocument> Load(const std::string& path) {
  std::optional<std::string> bytes = ReadWholeFile(path);
  if (!bytes) return std::nullopt;
  return IniDocument(*bytes);
}

// A file that does not exist yet is made; an existing one is replaced whole (written
// beside it and moved over it, its attributes kept). A read-only file is refused.
// The text goes back in the file's own encoding; a text that cannot be written in it is
// refused, so that no file ever holds two encodings.
bool Store(const std::string& path, const IniDocument& document, bool existed) {
  const std::optional<std::string> bytes = document.FileBytes();
  if (!bytes) return false;
  if (existed) return ReplaceFileKeepingAttributes(path, *bytes);
  return WriteFileReplacing(path, *bytes);
}

// The system's reader drops the blanks at the end of a default.
std::string TrimmedDefault(const std::string& value) {
  std::size_t end = value.size();
  while (end > 0 && value[end - 1] == ' ') --end;
  return value.substr(0, end);
}

}  // namespace

std::string ProfileRead(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& defaultValue, unsigned bufferLength) {
  if (bufferLength == 0) return {};
  std::string value = ProfileReadFull(file, section, key, defaultValue);
  if (value.size() >= bufferLength) value.resize(bufferLength - 1);
  return value;
}

std::string ProfileReadFull(const std::string& file, const std::string& section, const std::string& key,
                            const std::string& defaultValue) {
  const std::optional<IniDocument> document = Load(Resolve(file));
  std::optional<std::string> value = document ? document->Find(section, key) : std::nullopt;
  return value ? std::move(*value) : TrimmedDefault(defaultValue);
}

bool ProfileWrite(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& value) {
  const std::string path = Resolve(file);
  std::optional<IniDocument> document = Load(path);
  const bool existed = document.has_value();
  if (!existed) {
    if (PathExists(path)) return false;  // there, but it cannot be read
    document.emplace(std::string_view());
  }
  if (!document->Set(section, key, value)) return true;
  return Store(path, *document, existed);
}

bool ProfileDeleteKey(const std::string& file, const std::string& section, const std::string& key) {
  const std::string path = Resolve(file);
  std::optional<IniDocument> document = Load(path);
  if (!document || !document->DeleteKey(section, key)) return true;
  return Store(path, *document, true);
}

bool ProfileDeleteEntry(const std::string& file, const std::string& section, const std::string& key,
                        const std::string& value) {
  const std::string path = Resolve(file);
  std::optional<IniDocument> document = Load(path);
  if (!document) return true;
  if (!document->DeleteEntryWithValue(section, key, value, false) && !document->DeleteKey(section, key)) return true;
  return Store(path, *document, true);
}

bool ProfileDeleteSection(const std::string& file, const std::string& section) {
  const std::string path = Resolve(file);
  std::optional<IniDocument> document = Load(path);
  if (!document || !document->DeleteSection(section)) return true;
  return Store(path, *document, true);
}

std::vector<std::string> ProfileKeys(const std::string& file, const std::string& section) {
  const std::optional<IniDocument> document = Load(Resolve(file));
  return document ? document->Keys(section) : std::vector<std::string>{};
}

std::vector<std::string> ProfileSections(const std::string& file) {
  const std::optional<IniDocument> document = Load(Resolve(file));
  return document ? document->Sections() : std::vector<std::string>{};
}

void ProfileFlush(const std::string& file) {
  // Nothing of this program is cached; the system's own cache of the file (another
  // reader in this process) is written out.
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, Resolve(file).c_str());
}

}  // namespace tessary
