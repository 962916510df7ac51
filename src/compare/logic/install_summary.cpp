#include "compare/logic/install_summary.h"

#include <algorithm>
#include <cstdint>
#include <map>

#include "platform/ascii.h"
#include "platform/text_lines.h"
#include "uninstall/logic/sensitive_places.h"

namespace tessary {

namespace {

// ---- The place table -------------------------------------------------------------------

enum class Place { Key, Folder, Ini };
// How an item of the row is put into words.
enum class Words { RunValue, Task, Service, Extension, ShellCommand, Variable, UninstallEntry, ComServer,
                   ShellExtension, AppPath, FontValue, FirewallRule, Entry, IniEntry };
enum Scope : unsigned { kMachine = 1, kUser = 2, kAnyScope = 3 };

struct PlaceRow {
  SummaryCategory category;
  Place place;
  // Key: the pieces below the hive (machine: HKEY_LOCAL_MACHINE; user: a user's hive),
  // "*" any one piece, ".*" a piece beginning with a dot; HKEY_CLASSES_ROOT is read as
  // SOFTWARE\Classes and a Wow6432Node piece after SOFTWARE is passed over. Folder: a
  // subfolder of `folder` ("" the folder itself). Ini: "FILE|section|key" ("" any key).
  const char* pattern;
  unsigned scope = kAnyScope;
  std::string KnownFolders::*folder = nullptr;
  bool perValue = false;  // Key: each value of the key itself is an item of its own
  Words words = Words::Entry;
  const char* where = "";  // words naming the place
  bool secondLook = false;
  const char* why = "";
};

using S = SummaryCategory;
using KF = KnownFolders;

constexpr const char* kStartsWhy = "it starts with Windows, every time";
constexpr const char* kSystemWhy = "files in the system folder are loaded by other programs and by Windows";

// A category is added as a row; the first row that takes a finding has it.
const PlaceRow kPlaceTable[] = {
    {S::Autostart, Place::Key, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run", kAnyScope, nullptr, true,
     Words::RunValue, "Run", true, kStartsWhy},
    {S::Autostart, Place::Key, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce", kAnyScope, nullptr, true,
     Words::RunValue, "RunOnce", true, "it starts with Windows, once"},
    {S::Autostart, Place::Key, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServices", kAnyScope, nullptr, true,
     Words::RunValue, "RunServices", true, kStartsWhy},
    {S::Autostart, Place::Key, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\Run", kAnyScope,
     nullptr, true, Words::RunValue, "policy Run", true, kStartsWhy},
    {S::Autostart, Place::Key, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Schedule\\TaskCache\\Tree\\*",
     kMachine, nullptr, false, Words::Task, "task cache", true, "a scheduled task runs programs without being asked"},
    {S::Autostart, Place::Key, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Schedule\\TaskCache\\Tasks\\*",
     kMachine, nullptr, false, Words::Task, "task cache", true, "a scheduled task runs programs without being asked"},
    {S::Autostart, Place::Folder, "", kAnyScope, &KF::startup, false, Words::Entry, "the Startup folder (this user)",
     true, kStartsWhy},
    {S::Autostart, Place::Folder, "", kAnyScope, &KF::commonStartup, false, Words::Entry,
     "the Startup folder (all users)", true, kStartsWhy},
    {S::Autostart, Place::Folder, "Tasks", kAnyScope, &KF::system, false, Words::Entry, "the scheduled tasks", true,
     "a scheduled task runs programs without being asked"},
    {S::Autostart, Place::Folder, "Tasks", kAnyScope, &KF::windows, false, Words::Entry, "the scheduled tasks", true,
     "a scheduled task runs programs without being asked"},
    {S::Autostart, Place::Ini, "WIN.INI|windows|load", kAnyScope, nullptr, false, Words::IniEntry, "", true, kStartsWhy},
    {S::Autostart, Place::Ini, "WIN.INI|windows|run", kAnyScope, nullptr, false, Words::IniEntry, "", true, kStartsWhy},
    {S::Autostart, Place::Ini, "SYSTEM.INI|boot|shell", kAnyScope, nullptr, false, Words::IniEntry, "", true,
     "it replaces the program Windows starts as its shell"},
    {S::Firewall, Place::Key,
     "SYSTEM\\CurrentControlSet\\Services\\SharedAccess\\Parameters\\FirewallPolicy\\FirewallRules", kMachine,
     nullptr, true, Words::FirewallRule, "", false, ""},
    {S::Services, Place::Key, "SYSTEM\\CurrentControlSet\\Services\\*", kMachine, nullptr, false, Words::Service, "",
     true, "a service or driver runs with the system's rights"},
    {S::Services, Place::Folder, "drivers", kAnyScope, &KF::system, false, Words::Entry, "the drivers folder", true,
     "a driver runs inside Windows itself"},
    {S::Services, Place::Ini, "SYSTEM.INI|386Enh|device", kAnyScope, nullptr, false, Words::IniEntry, "", true,
     "a driver runs inside Windows itself"},
    {S::ComServers, Place::Key, "SOFTWARE\\Classes\\CLSID\\*", kAnyScope, nullptr, false, Words::ComServer, "", false,
     ""},
    {S::ComServers, Place::Key, "SOFTWARE\\Classes\\*\\shellex", kAnyScope, nullptr, false, Words::ShellExtension, "",
     true, "a shell extension runs inside Explorer"},
    {S::ComServers, Place::Key, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved", kAnyScope,
     nullptr, true, Words::ShellExtension, "", true, "a shell extension runs inside Explorer"},
    {S::ComServers, Place::Key, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ShellExecuteHooks",
     kAnyScope, nullptr, true, Words::ShellExtension, "", true, "a shell extension runs inside Explorer"},
    {S::ComServers, Place::Key, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\*",
     kAnyScope, nullptr, false, Words::ShellExtension, "", true, "a browser helper runs inside Explorer"},
    {S::FileTypes, Place::Key, "SOFTWARE\\Classes\\.*", kAnyScope, nullptr, false, Words::Extension, "", false, ""},
    {S::FileTypes, Place::Key, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.*", kUser, nullptr,
     false, Words::Extension, "", false, ""},
    {S::FileTypes, Place::Key, "SOFTWARE\\Classes\\*\\shell", kAnyScope, nullptr, false, Words::ShellCommand, "",
     false, ""},
    {S::Environment, Place::Key, "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment", kMachine,
     nullptr, true, Words::Variable, "all users", false, ""},
    {S::Environment, Place::Key, "Environment", kUser, nullptr, true, Words::Variable, "this user", false, ""},
    {S::Shortcuts, Place::Folder, "", kAnyScope, &KF::startMenu, false, Words::Entry, "the Start menu (this user)"},
    {S::Shortcuts, Place::Folder, "", kAnyScope, &KF::commonStartMenu, false, Words::Entry,
     "the Start menu (all users)"},
    {S::Shortcuts, Place::Folder, "", kAnyScope, &KF::desktop, false, Words::Entry, "the desktop (this user)"},
    {S::Shortcuts, Place::Folder, "", kAnyScope, &KF::commonDesktop, false, Words::Entry, "the desktop (all users)"},
    {S::UninstallEntries, Place::Key, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\*", kAnyScope,
     nullptr, false, Words::UninstallEntry},
    {S::AppPaths, Place::Key, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\*", kAnyScope, nullptr, false,
     Words::AppPath},
    {S::Fonts, Place::Key, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts", kMachine, nullptr, true,
     Words::FontValue},
    {S::Fonts, Place::Folder, "Fonts", kAnyScope, &KF::windows, false, Words::Entry, "the Fonts folder"},
    {S::SystemFiles, Place::Folder, "", kAnyScope, &KF::system, false, Words::Entry, "the system folder", true,
     kSystemWhy},
    {S::SystemFiles, Place::Folder, "", kAnyScope, &KF::sysWow64, false, Words::Entry, "the 32-bit system folder",
     true, kSystemWhy},
};

struct CategoryText {
  SummaryCategory category;
  const char* title;
  const char* name;
};
constexpr CategoryText kCategories[] = {
    {S::Autostart, "Starts with Windows", "autostart"},
    {S::Services, "Services and drivers", "services"},
    {S::FileTypes, "File types", "fileTypes"},
    {S::Environment, "Environment", "environment"},
    {S::Shortcuts, "Shortcuts", "shortcuts"},
    {S::UninstallEntries, "Uninstall entries", "uninstallEntries"},
    {S::ComServers, "COM servers and shell extensions", "comServers"},
    {S::AppPaths, "App Paths", "appPaths"},
    {S::Fonts, "Fonts", "fonts"},
    {S::SystemFiles, "System folder files", "systemFiles"},
    {S::Firewall, "Firewall rules", "firewall"},
};

// ---- Places ----------------------------------------------------------------------------

std::vector<std::string_view> Pieces(std::string_view path) {
  std::vector<std::string_view> out;
  while (!path.empty()) {
    const std::size_t slash = path.find('\\');
    out.push_back(path.substr(0, slash));
    if (slash == std::string_view::npos) break;
    path.remove_prefix(slash + 1);
  }
  return out;
}

std::string Joined(const std::vector<std::string_view>& pieces, std::size_t from, std::size_t to) {
  std::string out;
  for (std::size_t i = from; i < to && i < pieces.size(); ++i) {
    if (!out.empty()) out += '\\';
    out += pieces[i];
  }
  return out;
}

// A key path as the table reads it: its scope and its pieces below the hive.
struct HivePath {
  unsigned scope = 0;  // 0: a root the table does not name
  std::vector<std::string> pieces;
};

HivePath ToHive(std::string_view keyPath) {
  const std::vector<std::string_view> in = Pieces(keyPath);
  HivePath out;
  if (in.empty()) return out;
  std::size_t from = 1;
  std::vector<std::string> lead;
  if (EqualsNoCase(in[0], "HKEY_LOCAL_MACHINE")) {
    out.scope = kMachine;
  } else if (EqualsNoCase(in[0], "HKEY_CURRENT_USER")) {
    out.scope = kUser;
  } else if (EqualsNoCase(in[0], "HKEY_CLASSES_ROOT")) {
    out.scope = kMachine;
    lead = {"SOFTWARE", "Classes"};
  } else if (EqualsNoCase(in[0], "HKEY_USERS") && in.size() > 1) {
    out.scope = kUser;
    from = 2;
    if (EndsWithNoCase(in[1], "_Classes")) lead = {"SOFTWARE", "Classes"};
  } else {
    return out;
  }
  out.pieces = lead;
  for (std::size_t i = from; i < in.size(); ++i) {
    // SOFTWARE\Wow6432Node and SOFTWARE\Classes\Wow6432Node: the 32-bit view of the same place.
    if (EqualsNoCase(in[i], "Wow6432Node") && !out.pieces.empty() &&
        (EqualsNoCase(out.pieces.back(), "SOFTWARE") ||
         (out.pieces.size() == 2 && EqualsNoCase(out.pieces[1], "Classes"))))
      continue;
    // SYSTEM\ControlSet001 is what SYSTEM\CurrentControlSet points at.
    if (out.pieces.size() == 1 && EqualsNoCase(out.pieces[0], "SYSTEM") && StartsWithNoCase(in[i], "ControlSet0")) {
      out.pieces.emplace_back("CurrentControlSet");
      continue;
    }
    out.pieces.emplace_back(in[i]);
  }
  return out;
}

bool PieceMatches(std::string_view pattern, std::string_view piece) {
  if (pattern == "*") return true;
  if (pattern == ".*") return piece.size() > 1 && piece[0] == '.';
  return EqualsNoCase(pattern, piece);
}

// Where a finding lands: the row and the item's key (what makes findings one item).
struct Landing {
  const PlaceRow* row = nullptr;
  std::string itemKey;
  std::string display;  // the place for the words: the key's or value's name, the entry below the folder
  std::string rest;     // registry: the key below the item's key ("" the item's key itself)
  std::string parent;   // registry: the piece before the item's own (a program id's name)
};

bool IsRegistry(FindingKind k) { return k <= FindingKind::ValueDeleted; }
bool IsEntry(FindingKind k) { return k >= FindingKind::EntryAdded && k <= FindingKind::EntryDeleted; }

std::optional<Landing> LandKey(const PlaceRow& row, const InstallFinding& f, const HivePath& hive) {
  if (!(row.scope & hive.scope)) return std::nullopt;
  const std::vector<std::string_view> pattern = Pieces(row.pattern);
  if (hive.pieces.size() < pattern.size()) return std::nullopt;
  for (std::size_t i = 0; i < pattern.size(); ++i)
    if (!PieceMatches(pattern[i], hive.pieces[i])) return std::nullopt;
  std::vector<std::string_view> pieces(hive.pieces.begin(), hive.pieces.end());
  Landing l{&row, (hive.scope == kMachine ? "M\\" : "U\\") + ToUpperAscii(Joined(pieces, 0, pattern.size())),
            std::string(pieces[pattern.size() - 1]), Joined(pieces, pattern.size(), pieces.size()),
            pattern.size() > 1 ? std::string(pieces[pattern.size() - 2]) : std::string()};
  if (row.perValue) {
    if (!l.rest.empty()) return std::nullopt;  // a subkey of the key: not one of its values
    if (f.kind != FindingKind::KeyAdded) {
      l.itemKey += "|" + ToUpperAscii(f.name);
      l.display = f.name;
    }
  }
  return l;
}

std::optional<Landing> LandEntry(const PlaceRow& row, const InstallFinding& f, const KnownFolders& folders) {
  std::string folder = folders.*row.folder;
  if (folder.empty()) return std::nullopt;
  if (*row.pattern) folder += std::string("\\") + row.pattern;
  if (!StartsWithNoCase(f.path, folder + "\\") || f.path.size() <= folder.size() + 1) return std::nullopt;
  return Landing{&row, ToUpperAscii(f.path), f.path.substr(folder.size() + 1), "", ""};
}

std::optional<Landing> LandIni(const PlaceRow& row, const InstallFinding& f) {
  const std::vector<std::string> parts = [&] {
    std::vector<std::string> out;
    std::string_view p = row.pattern;
    for (std::size_t bar; (bar = p.find('|')) != std::string_view::npos; p.remove_prefix(bar + 1))
      out.emplace_back(p.substr(0, bar));
    out.emplace_back(p);
    return out;
  }();
  if (!EqualsNoCase(parts[0], f.path) || !EqualsNoCase(parts[1], f.section)) return std::nullopt;
  if (!parts[2].empty() && !EqualsNoCase(parts[2], f.name)) return std::nullopt;
  return Landing{&row, ToUpperAscii(f.path + "|" + f.section + "|" + f.name + "|" + f.data), f.name, "", ""};
}

// ---- Words -----------------------------------------------------------------------------

struct Member {
  const InstallFinding* f;
  std::string rest;  // registry: the key below the item's key
};

struct Group {
  Landing landing;
  std::vector<Member> members;
};

// The last value finding named `name` in the item's key itself (or in `rest`).
const InstallFinding* ValueOf(const Group& g, std::string_view name, std::string_view rest = "") {
  const InstallFinding* found = nullptr;
  for (const Member& m : g.members)
    if (m.f->kind >= FindingKind::ValueAdded && m.f->kind <= FindingKind::ValueDeleted &&
        EqualsNoCase(m.rest, rest) && EqualsNoCase(m.f->name, name))
      found = m.f;
  return found;
}

bool KeyAddedAt(const Group& g, std::string_view rest = "") {
  for (const Member& m : g.members)
    if (m.f->kind == FindingKind::KeyAdded && EqualsNoCase(m.rest, rest)) return true;
  return false;
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }
std::string Scope(const Group& g) { return g.landing.itemKey[0] == 'M' ? "all users" : "this user"; }
std::string Last(std::string_view path) {
  const std::size_t slash = path.rfind('\\');
  return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string StartWords(std::string_view start) {
  if (start == "0") return "starts at boot";
  if (start == "1") return "starts with the system";
  if (start == "2") return "starts automatically";
  if (start == "3") return "starts on demand";
  if (start == "4") return "disabled";
  return "start " + std::string(start);
}
std::string TypeWords(std::string_view type) {
  std::uint64_t n = 0;
  for (char c : type) n = (c >= '0' && c <= '9') ? n * 10 + std::uint64_t(c - '0') : n;
  std::string out = (n & 1) ? "kernel driver" : (n & 2) ? "file system driver" : (n & 0x10) ? "own process"
                  : (n & 0x20) ? "shared process" : "type " + std::string(type);
  if (n & 0x100) out += ", interactive";
  return out;
}

// "X" for a value added, "X (was Y)" for one changed, "no longer X" for one deleted.
std::string ValueWords(const InstallFinding& f, std::string (*say)(std::string_view) = nullptr) {
  auto w = [&](const std::string& s) { return say ? say(s) : s; };
  switch (f.kind) {
    case FindingKind::ValueChanged: return w(f.data) + " (was " + w(f.oldData) + ")";
    case FindingKind::ValueDeleted: return "no longer " + w(f.data);
    default: return w(f.data);
  }
}

const char* Verb(FindingKind k) {
  switch (k) {
    case FindingKind::EntryUpdated:
    case FindingKind::ValueChanged:
    case FindingKind::IniChanged: return "changes";
    case FindingKind::EntryDeleted:
    case FindingKind::ValueDeleted:
    case FindingKind::IniDeleted: return "removes";
    default: return "adds";
  }
}

// PATH's pieces added or taken out, and where the added ones went.
struct PathChange {
  std::vector<std::string> added, removed;
  bool first = false, last = false;
};
std::vector<std::string> PathPieces(std::string_view value) {
  std::vector<std::string> out;
  while (true) {
    const std::size_t semi = value.find(';');
    if (!value.substr(0, semi).empty()) out.emplace_back(value.substr(0, semi));
    if (semi == std::string_view::npos) break;
    value.remove_prefix(semi + 1);
  }
  return out;
}
bool HasPiece(const std::vector<std::string>& list, std::string_view piece) {
  return std::any_of(list.begin(), list.end(), [&](const std::string& p) { return EqualsNoCase(p, piece); });
}
PathChange ComparePaths(std::string_view before, std::string_view now) {
  const std::vector<std::string> b = PathPieces(before), n = PathPieces(now);
  PathChange c;
  for (const std::string& p : n) if (!HasPiece(b, p)) c.added.push_back(p);
  for (const std::string& p : b) if (!HasPiece(n, p)) c.removed.push_back(p);
  if (!c.added.empty()) {
    c.first = EqualsNoCase(n.front(), c.added.front()) && !b.empty();
    c.last = EqualsNoCase(n.back(), c.added.back());
  }
  return c;
}
std::string JoinList(const std::vector<std::string>& list, const char* sep = "; ") {
  std::string out;
  for (const std::string& s : list) out += (out.empty() ? "" : sep) + s;
  return out;
}

// A handler below a program id's shellex key, by the deepest key the item added or changed:
// "AllKinds (ContextMenuHandlers for AllKinds.Document)"; a handler key of one piece
// ("shellex\IconHandler") is named by its default value, the server's CLSID. A new program
// id's findings begin with the shellex key itself, which names nothing. Other rows: the
// first finding's key ("{CLSID}" of a browser helper).
std::string HandlerWords(const Group& g) {
  const Member* deepest = &g.members.front();
  for (const Member& m : g.members)
    if (Pieces(m.rest).size() > Pieces(deepest->rest).size()) deepest = &m;
  if (!EqualsNoCase(g.landing.display, "shellex") || deepest->rest.empty()) return Last(g.members.front().f->path);
  const std::vector<std::string_view> rest = Pieces(deepest->rest);
  const std::string kind(rest.front());
  std::string name = rest.size() > 1 ? Last(deepest->rest) : kind;
  if (rest.size() == 1)
    if (const InstallFinding* server = ValueOf(g, "", deepest->rest); server && !server->data.empty())
      name = server->data;
  const std::string& progid = g.landing.parent;
  return name + " (" + kind + " for " + (progid == "*" ? std::string("all files") : progid) + ")";
}

struct Said {
  std::string words;
  bool secondLook = false;
  std::string why;
};

Said Describe(const Group& g) {
  const PlaceRow& row = *g.landing.row;
  const InstallFinding& first = *g.members.front().f;
  Said s{"", row.secondLook, row.why};
  switch (row.words) {
    case Words::RunValue:
      if (first.kind == FindingKind::KeyAdded) s.words = "adds the " + std::string(row.where) + " key (" + Scope(g) + ")";
      else s.words = Quoted(first.name) + " runs " + ValueWords(first) + " (" + row.where + ", " + Scope(g) + ")";
      break;
    case Words::Task:
      s.words = std::string(Verb(first.kind)) + " scheduled task " + Quoted(g.landing.display);
      break;
    case Words::Service: {
      const InstallFinding* type = ValueOf(g, "Type");
      const bool driver = type && (TypeWords(type->data).find("driver") != std::string::npos);
      std::vector<std::string> parts;
      if (const InstallFinding* image = ValueOf(g, "ImagePath")) parts.push_back(ValueWords(*image));
      const InstallFinding* start = ValueOf(g, "Start");
      if (start) parts.push_back(ValueWords(*start, [](std::string_view v) { return StartWords(v); }));
      if (type) parts.push_back(ValueWords(*type, [](std::string_view v) { return TypeWords(v); }));
      s.words = std::string(KeyAddedAt(g) ? "adds " : "changes ") + (driver ? "driver " : "service ") +
                Quoted(g.landing.display) + (parts.empty() ? "" : ": " + JoinList(parts, ", "));
      if (start && start->kind != FindingKind::ValueDeleted && (start->data == "0" || start->data == "1" ||
                                                                 start->data == "2"))
        s.why = kStartsWhy;
      break;
    }
    case Words::Extension: {
      const std::string& ext = g.landing.display;
      const InstallFinding* handler = ValueOf(g, "");
      if (handler && handler->kind == FindingKind::ValueChanged && !handler->oldData.empty()) {
        s.words = "takes over " + ext + " from " + handler->oldData + " (now " + handler->data + ")";
        s.secondLook = true;
        s.why = "files of this type that another program opened now open with this one";
      } else if (KeyAddedAt(g)) {
        s.words = "adds the file type " + ext + (handler ? " for " + handler->data : "");
      } else if (handler && handler->kind == FindingKind::ValueAdded) {
        s.words = "claims " + ext + " for " + handler->data;
      } else {
        s.words = "changes the file type " + ext;
      }
      break;
    }
    case Words::ShellCommand: {
      const std::string& progid = g.landing.parent;
      bool changed = false;
      for (const Member& m : g.members) changed = changed || m.f->kind == FindingKind::ValueChanged;
      s.words = std::string(changed ? "changes" : "adds") + " the commands that open " +
                progid + " files";
      if (changed) {
        s.secondLook = true;
        s.why = "another program's open command now starts something else";
      }
      break;
    }
    case Words::Variable: {
      if (first.kind == FindingKind::KeyAdded) {
        s.words = "adds the environment key (" + std::string(row.where) + ")";
        break;
      }
      if (EqualsNoCase(first.name, "PATH") && first.kind == FindingKind::ValueChanged) {
        const PathChange c = ComparePaths(first.oldData, first.data);
        std::vector<std::string> parts;
        if (!c.added.empty())
          parts.push_back("adds " + JoinList(c.added) + " to PATH (" + row.where + "), " +
                          (c.first ? "first" : c.last ? "last" : "in the middle"));
        if (!c.removed.empty()) parts.push_back("takes " + JoinList(c.removed) + " out of PATH (" + row.where + ")");
        if (parts.empty()) parts.push_back("reorders PATH (" + std::string(row.where) + ")");
        s.words = JoinList(parts);
        if (c.first) {
          s.secondLook = true;
          s.why = "a folder put first in PATH is searched before the system's own";
        }
      } else if (first.kind == FindingKind::ValueAdded) {
        s.words = "sets " + first.name + "=" + first.data + " (" + row.where + ")";
      } else if (first.kind == FindingKind::ValueChanged) {
        s.words = "changes " + first.name + " (" + row.where + ") to " + first.data + " (was " + first.oldData + ")";
      } else {
        s.words = "removes " + first.name + " (" + row.where + "), was " + first.data;
      }
      break;
    }
    case Words::UninstallEntry: {
      std::string w = std::string(Verb(first.kind)) + " the uninstall entry ";
      const InstallFinding* name = ValueOf(g, "DisplayName");
      w += Quoted(name ? name->data : g.landing.display);
      if (const InstallFinding* v = ValueOf(g, "DisplayVersion")) w += " version " + v->data;
      if (const InstallFinding* p = ValueOf(g, "Publisher")) w += " by " + p->data;
      if (const InstallFinding* u = ValueOf(g, "UninstallString")) w += "; uninstalls with " + u->data;
      s.words = w;
      break;
    }
    case Words::ComServer: {
      std::string w = std::string(KeyAddedAt(g) ? "adds" : "changes") + " the COM server " + g.landing.display;
      for (const char* server : {"InprocServer32", "LocalServer32"})
        if (const InstallFinding* v = ValueOf(g, "", server)) w += ": " + v->data;
      s.words = w;
      break;
    }
    case Words::ShellExtension:
      s.words = std::string(Verb(first.kind)) + " the shell extension " +
                (row.perValue ? first.name + (first.data.empty() ? "" : " " + Quoted(first.data)) : HandlerWords(g));
      break;
    case Words::AppPath: {
      const InstallFinding* v = ValueOf(g, "");
      s.words = std::string(Verb(first.kind)) + " the App Path " + g.landing.display + (v ? " to " + v->data : "");
      break;
    }
    case Words::FontValue:
      s.words = first.kind == FindingKind::KeyAdded ? "adds the fonts key"
                                                     : std::string(Verb(first.kind)) + " the font " +
                                                           Quoted(first.name) + " (" + first.data + ")";
      break;
    case Words::FirewallRule: {
      std::string data = first.data.size() > 160 ? first.data.substr(0, 157) + "..." : first.data;
      s.words = std::string(Verb(first.kind)) + " the firewall rule " + Quoted(first.name) + ": " + data;
      break;
    }
    case Words::Entry: {
      std::size_t inside = 0;
      for (const Member& m : g.members) inside += !EqualsNoCase(m.f->path, first.path);
      const bool into = first.kind == FindingKind::EntryAdded;
      s.words = std::string(Verb(first.kind)) + " " + g.landing.display + (first.folder ? " (folder" : "") +
                (first.folder && inside ? ", " + std::to_string(inside) + " entries in it" : "") +
                (first.folder ? ")" : "") + (into ? " in " : first.kind == FindingKind::EntryDeleted ? " from " : " in ") +
                row.where;
      break;
    }
    case Words::IniEntry:
      s.words = std::string(Verb(first.kind)) + " " + first.path + " [" + first.section + "] " + first.name + "=" +
                first.data + (first.kind == FindingKind::IniChanged ? " (was " + first.oldData + ")" : "");
      break;
  }
  return s;
}

// Why a finding without an action cannot be undone; "" when another finding's action
// covers it (a value of an added key).
std::string NoUndoReason(const InstallFinding& f, std::string_view where) {
  if (!f.action.empty()) return "";
  const std::string name = std::string(where);
  switch (f.kind) {
    case FindingKind::EntryUpdated: return name + ": a changed file's old content is not kept";
    case FindingKind::EntryDeleted: return name + ": a deleted file is not kept";
    case FindingKind::EntryAdded: return name + ": no action line can name it";
    case FindingKind::ValueChanged:
    case FindingKind::ValueDeleted: return name + ": its old data was not kept whole";
    case FindingKind::IniAdded:
    case FindingKind::IniChanged:
    case FindingKind::IniDeleted: return name + ": no action line can carry it";
    default: return "";
  }
}

std::string TrimRight(std::string_view s) {
  while (!s.empty() && (s.back() == '\r' || s.back() == ' ')) s.remove_suffix(1);
  return std::string(s);
}

}  // namespace

bool IsSensitiveFinding(const InstallFinding& f) {
  if (IsRegistry(f.kind)) {
    // The summary holds a value's name as text: its units again (non-ASCII names are
    // never on the list).
    const std::u16string name(f.name.begin(), f.name.end());
    return IsSensitiveKeyValue(f.path, f.kind == FindingKind::KeyAdded ? std::u16string_view() : name);
  }
  if (!IsEntry(f.kind)) return IsSensitiveIniEntry(f.path, f.section, f.name);
  return false;
}

const char* SummaryCategoryTitle(SummaryCategory category) {
  for (const CategoryText& c : kCategories)
    if (c.category == category) return c.title;
  return "";
}
const char* SummaryCategoryName(SummaryCategory category) {
  for (const CategoryText& c : kCategories)
    if (c.category == category) return c.name;
  return "";
}

std::vector<SummaryItem> BuildInstallSummary(const std::vector<InstallFinding>& findings, const KnownFolders& folders,
                                             SensitiveFinding sensitive) {
  std::vector<Group> groups;
  std::map<std::pair<const PlaceRow*, std::string>, std::size_t> index;
  for (const InstallFinding& f : findings) {
    std::optional<Landing> landing;
    const HivePath hive = IsRegistry(f.kind) ? ToHive(f.path) : HivePath{};
    for (const PlaceRow& row : kPlaceTable) {
      if (row.place == Place::Key && IsRegistry(f.kind)) landing = LandKey(row, f, hive);
      else if (row.place == Place::Folder && IsEntry(f.kind)) landing = LandEntry(row, f, folders);
      else if (row.place == Place::Ini && !IsRegistry(f.kind) && !IsEntry(f.kind)) landing = LandIni(row, f);
      if (landing) break;
    }
    if (!landing) continue;
    // An entry inside an entry the same row took already (an added folder's files) joins it.
    if (landing->row->place == Place::Folder) {
      std::string key = landing->itemKey;
      for (std::size_t slash; (slash = key.rfind('\\')) != std::string::npos;) {
        key.resize(slash);
        const auto at = index.find({landing->row, key});
        if (at != index.end()) {
          landing->itemKey = key;
          break;
        }
      }
    }
    const auto [at, fresh] = index.emplace(std::make_pair(landing->row, landing->itemKey), groups.size());
    if (fresh) groups.push_back({*landing, {}});
    groups[at->second].members.push_back({&f, landing->rest});
  }
  std::stable_sort(groups.begin(), groups.end(),
                   [](const Group& a, const Group& b) { return a.landing.row->category < b.landing.row->category; });

  std::vector<SummaryItem> items;
  for (const Group& g : groups) {
    Said said = Describe(g);
    if (!said.secondLook && sensitive &&
        std::any_of(g.members.begin(), g.members.end(), [&](const Member& m) { return sensitive(*m.f); })) {
      said.secondLook = true;
      said.why = kSensitiveWhy;
    }
    SummaryItem item{g.landing.row->category, said.words, said.secondLook, said.secondLook ? said.why : "", {}, ""};
    std::vector<std::string> reasons;
    for (const Member& m : g.members) {
      const InstallFinding& f = *m.f;
      if (!f.action.empty() &&
          std::none_of(item.actions.begin(), item.actions.end(), [&](const std::string& a) { return EqualsNoCase(a, f.action); }))
        item.actions.push_back(f.action);
      const std::string where = IsRegistry(f.kind) ? f.path + (f.kind == FindingKind::KeyAdded ? "" : " " + Quoted(f.name))
                                : IsEntry(f.kind) ? f.path : f.path + " [" + f.section + "] " + f.name;
      const std::string reason = NoUndoReason(f, where);
      if (!reason.empty()) reasons.push_back(reason);
    }
    item.noUndo = JoinList(reasons);
    items.push_back(std::move(item));
  }
  return items;
}

std::string FormatSummaryBlock(const std::vector<SummaryItem>& items) {
  std::string out = std::string(kSummaryFirstLine) + ", " + std::to_string(items.size()) +
                    (items.size() == 1 ? " item" : " items") + " (every finding is listed below)\n";
  for (std::size_t i = 0; i < items.size(); ++i) {
    const SummaryItem& item = items[i];
    out += "[" + std::to_string(i + 1) + "] " + SummaryCategoryTitle(item.category) + ": " + item.words + "\n";
    if (item.secondLook) out += "    SECOND LOOK: " + item.why + "\n";
    for (const std::string& action : item.actions) out += "    UNDO: " + action + "\n";
    if (!item.noUndo.empty()) out += "    NO UNDO: " + item.noUndo + "\n";
    if (item.actions.empty() && item.noUndo.empty()) out += "    NO UNDO: nothing to undo\n";
  }
  return out + std::string(kSummaryLastLine) + "\n";
}

std::optional<std::vector<SummaryItem>> ReadSummaryBlock(std::string_view report) {
  std::vector<SummaryItem> items;
  enum { Before, Inside, Done } state = Before;
  bool bad = false;
  ForEachLine(report, [&](std::string_view raw) {
    if (state == Done || bad) return;
    const std::string line = TrimRight(raw);
    if (state == Before) {
      // Only between the header and the first section's rule.
      if (line == "====================" || line == "================" || line == "===============") bad = true;
      else if (StartsWithNoCase(line, kSummaryFirstLine)) state = Inside;
      return;
    }
    if (line == kSummaryLastLine) {
      state = Done;
      return;
    }
    auto field = [&](std::string_view label, std::string& into) {
      if (line.compare(0, label.size(), label) != 0) return false;
      into = line.substr(label.size());
      return true;
    };
    std::string text;
    if (!line.empty() && line[0] == '[') {
      const std::size_t close = line.find("] ");
      const std::size_t colon = close == std::string::npos ? close : line.find(": ", close);
      if (colon == std::string::npos) return static_cast<void>(bad = true);
      const std::string title = line.substr(close + 2, colon - close - 2);
      const auto c = std::find_if(std::begin(kCategories), std::end(kCategories),
                                  [&](const CategoryText& t) { return title == t.title; });
      if (c == std::end(kCategories)) return static_cast<void>(bad = true);
      items.push_back({c->category, line.substr(colon + 2), false, "", {}, ""});
    } else if (items.empty()) {
      bad = true;
    } else if (field("    SECOND LOOK: ", text)) {
      items.back().secondLook = true;
      items.back().why = text;
    } else if (field("    UNDO: ", text)) {
      items.back().actions.push_back(text);
    } else if (field("    NO UNDO: ", text)) {
      items.back().noUndo = text == "nothing to undo" ? "" : text;
    } else {
      bad = true;
    }
  });
  if (state != Done || bad) return std::nullopt;
  return items;
}

std::string SummaryValueText(std::uint32_t type, std::string_view bytes) {
  if (type == 1 || type == 2 || type == 7) {  // REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ: UTF-16 units
    std::string out;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
      unsigned u = static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8);
      if (u == 0) {
        if (type != 7 || i + 3 >= bytes.size() || (bytes[i + 2] == 0 && bytes[i + 3] == 0)) break;
        out += "; ";
        continue;
      }
      if (u < 0x80) out += static_cast<char>(u);
      else if (u < 0x800) out += {static_cast<char>(0xC0 | (u >> 6)), static_cast<char>(0x80 | (u & 0x3F))};
      else out += {static_cast<char>(0xE0 | (u >> 12)), static_cast<char>(0x80 | ((u >> 6) & 0x3F)),
                   static_cast<char>(0x80 | (u & 0x3F))};
    }
    return out;
  }
  if ((type == 4 && bytes.size() == 4) || (type == 11 && bytes.size() == 8)) {  // DWORD, QWORD
    std::uint64_t n = 0;
    for (std::size_t i = bytes.size(); i-- > 0;) n = (n << 8) | static_cast<unsigned char>(bytes[i]);
    return std::to_string(n);
  }
  std::string out;
  static const char kHex[] = "0123456789ABCDEF";
  for (std::size_t i = 0; i < bytes.size() && i < 32; ++i) {
    out += kHex[static_cast<unsigned char>(bytes[i]) >> 4];
    out += kHex[static_cast<unsigned char>(bytes[i]) & 15];
  }
  return out + (bytes.size() > 32 ? "..." : "") + " (" + std::to_string(bytes.size()) + " bytes)";
}

}  // namespace tessary
