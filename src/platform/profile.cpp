#include "profile.h"

#include <windows.h>

#include <optional>

#include "ascii.h"
#include "fault.h"
#include "files.h"
#include "text_lines.h"

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

namespace {

// The file as the profile functions find it: a bare name lies in the Windows directory.
std::string ProfilePath(const std::string& file) {
  if (file.find_first_of("\\/:") != std::string::npos) return file;
  return WindowsDirectory() + "\\" + file;
}

// Writes the profile cache of `file` to disk and forgets it, so that the next call
// reads the file again.
void ReleaseProfile(const std::string& file) { WritePrivateProfileStringA(nullptr, nullptr, nullptr, file.c_str()); }

struct IniSection {
  std::string name;
  std::size_t lines = 0;  // the lines below the header that are not blank
};

// The sections of an INI text as its lines show them (not as the profile functions
// show them: those may add sections that the system keeps elsewhere).
std::vector<IniSection> Outline(const std::string& text) {
  std::vector<IniSection> sections;
  ForEachLine(text, [&](std::string_view line) {
    const std::size_t first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos) return;
    line.remove_prefix(first);
    if (line[0] == '[') {
      const std::size_t close = line.find(']');
      sections.push_back({std::string(line.substr(1, close == std::string_view::npos ? line.npos : close - 1)), 0});
    } else if (!sections.empty()) {
      ++sections.back().lines;
    }
  });
  return sections;
}

const IniSection* Find(const std::vector<IniSection>& sections, const std::string& name) {
  for (const IniSection& s : sections)
    if (EqualsNoCase(s.name, name)) return &s;
  return nullptr;
}

// Whether the profile functions wrote `side` whole. They write the whole file again on
// every change and do not report a write that falls short (a full disk): such a file is
// cut off, which shows as a missing line end at its end, a section that went missing,
// or fewer lines in the section it ends in.
bool WrittenWhole(const std::string& original, const std::string& side, const std::string& section,
                  bool sectionRemoved) {
  const std::optional<std::string> after = ReadWholeFile(side);
  if (!after) return false;
  const std::string before = ReadWholeFile(original).value_or(std::string());
  if (*after == before) return true;
  if (!after->empty() && after->back() != '\n') return false;
  const std::vector<IniSection> was = Outline(before), is = Outline(*after);
  for (const IniSection& s : was)
    if (!(sectionRemoved && EqualsNoCase(s.name, section)) && !Find(is, s.name)) return false;
  if (is.empty() || EqualsNoCase(is.back().name, section)) return true;
  const IniSection* old = Find(was, is.back().name);
  return !old || old->lines <= is.back().lines;
}

// One change through the profile functions, made to a copy of the file beside it: the
// copy replaces the file only when the change is complete, so a failure part-way (a
// full disk, a crash) leaves the file as it was. A read-only file is refused, as the
// profile functions refuse it.
template <typename Change>
bool ChangeBeside(const std::string& file, const std::string& section, bool removesSection, Change&& change) {
  const std::string target = ProfilePath(file);
  const DWORD attributes = GetFileAttributesA(target.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY))) return false;
  const std::string side = SideFileFor(target);
  ReleaseProfile(side);
  DeleteFileA(side.c_str());
  bool ok = true;
  if (exists) {
    const std::optional<std::string> content = ReadWholeFile(target);
    OutputFile copy(side, OutputFile::Mode::Create);
    ok = content && copy.Write(*content);
    ok = copy.Close() && ok;
  }
  if (ok) {
    // The profile functions write their own file; the seam stands for them here.
    ok = !InjectedFault(FileOp::Write, side) && change(side.c_str());
    ReleaseProfile(side);
    // A change that changed nothing in a file that is not there writes no file.
    if (ok && !exists && !PathExists(side)) return true;
  }
  ok = ok && WrittenWhole(target, side, section, removesSection) && ReplaceWithSideFile(side, target);
  ReleaseProfile(target);
  if (!ok) DeleteFileA(side.c_str());
  return ok;
}

}  // namespace

bool ProfileWrite(const std::string& file, const std::string& section, const std::string& key,
                  const std::string& value) {
  return ChangeBeside(file, section, false, [&](const char* path) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path) != FALSE;
  });
}

bool ProfileDeleteKey(const std::string& file, const std::string& section, const std::string& key) {
  return ChangeBeside(file, section, false, [&](const char* path) {
    return WritePrivateProfileStringA(section.c_str(), key.c_str(), nullptr, path) != FALSE;
  });
}

bool ProfileDeleteSection(const std::string& file, const std::string& section) {
  return ChangeBeside(file, section, true, [&](const char* path) {
    return WritePrivateProfileStringA(section.c_str(), nullptr, nullptr, path) != FALSE;
  });
}

std::vector<std::string> ProfileKeys(const std::string& file, const std::string& section) {
  return ReadNameList(section.c_str(), file);
}

std::vector<std::string> ProfileSections(const std::string& file) { return ReadNameList(nullptr, file); }

void ProfileFlush(const std::string& file) { ReleaseProfile(ProfilePath(file)); }

}  // namespace tessary
