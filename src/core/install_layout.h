// What setup.exe installs and ostrel.exe removes, by name: the program files, the
// Start-menu shortcut and the entry in the list of removable programs. Both programs
// read these names from here. No <windows.h>.
#pragma once

namespace tessary::setup {

constexpr char kUninstallParent[] = "software\\microsoft\\windows\\currentversion\\uninstall";
constexpr char kUninstallSubkey[] = "Tessary";
constexpr char kDisplayName[] = "Tessary 95";
// The Start-menu shortcut: kShortcutFile in the folder kShortcutFolder of the "Programs"
// shell folder.
constexpr char kShortcutFolder[] = "Tessary 95";
constexpr char kShortcutFile[] = "Tessary.lnk";

// The files of the install disk (source) and their names in the program's directory.
struct FileEntry {
  const char* source;
  const char* target;
};
constexpr FileEntry kFiles[] = {
    {"TESSARY.EX_", "TESSARY.EXE"}, {"TESSARY.HL_", "TESSARY.HLP"}, {"SENTINOX.EX_", "SENTINOX.EXE"},
    {"README.TXT", "README.TXT"},   {"OSTREL.EX_", "OSTREL.EXE"},   {"CORVEL.EX_", "CORVEL.EXE"},
};

}  // namespace tessary::setup
