// The uninstall action file (.TSU): one undo action per line, written by Compare and
// read by Uninstall. This module is the one place the line format is written,
// classified and parsed. No <windows.h> here.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/registry_values.h"

namespace tessary {

enum class ActionKind { None, Change, Add, RegDatRemove, Remove, RemoveFile, RegValueRemove, RegValueRestore };

// Lines without their line end; the caller appends CR LF. Values are written whole,
// ">" included: the reader takes the last ">TO:" (ADD), ">FROM:" (REMOVE) or ">IN:"
// (CHANGE) as the marker, and the section inside the final brackets. The one value that
// cannot be told apart from a marker, a CHANGE's current value holding ">TO:", is cut at
// its first ">" (as every value was in older files); a line that still would not read
// back (a section name holding the line's own marker) is written with its values cut, as
// older files were, and the reader refuses it.
// CHANGE:key=current>TO:previous>IN:FILE[section]
std::string FormatChangeAction(const std::string& key, const std::string& currentValue,
                               const std::string& previousValue, const std::string& file, const std::string& section);
// ADD:key=value>TO:FILE[section]
std::string FormatAddAction(const std::string& key, const std::string& value, const std::string& file,
                            const std::string& section);
// REMOVE:key=value>FROM:FILE[section]
std::string FormatRemoveAction(const std::string& key, const std::string& value, const std::string& file,
                               const std::string& section);
// REMOVEFILE:name[  (DIR)]>FROM:directory
std::string FormatRemoveFileAction(const std::string& name, bool isDirectory, const std::string& directory);
// REG_DAT_REMOVE:ROOT\subkey>FROM:REG.DAT
std::string FormatRegDatRemoveAction(const std::string& keyPath);
// Registry values (written only when Compare records values):
// REG_VALUE_REMOVE:name>TYPE:type>SIZE:n>DATA:data>FROM:ROOT\subkey
//   a value added to a key that was there before: delete it.
// REG_VALUE_RESTORE:name>TYPE:type>SIZE:n>DATA:data>IN:ROOT\subkey
//   a value changed or deleted: put back its old type and data (the key is made again
//   when it is gone).
// The name is escaped, the type named and the data written as one field, as
// registry_values.h defines them (no field holds ">"); n is the data's size in bytes. The
// key path is the rest of the line: a root by its full name, then "\" and the subkey, or
// the root alone for a value of the root itself. A restore needs data kept whole.
std::string FormatValueRemoveAction(const std::string& keyPath, std::u16string_view name, const ValueData& data);
std::string FormatValueRestoreAction(const std::string& keyPath, std::u16string_view name, const ValueData& data);

// The kind word at the start of a line (any case), tested in the order CHANGE, ADD,
// REG_DAT_REMOVE, REG_VALUE_REMOVE, REG_VALUE_RESTORE, REMOVE, REMOVEFILE; None for
// anything else.
ActionKind ClassifyAction(std::string_view line);

struct IniAction {
  std::string key;
  std::string value;     // CHANGE: the value found at compare time; ADD/REMOVE: the value
  std::string previous;  // CHANGE: the value to put back
  std::string file;      // "WIN.INI", "SYSTEM.INI", "PROTOCOL.INI"
  std::string section;
};
struct FileAction {
  std::string path;       // full path of the file or directory: directory, a backslash, name
  std::string directory;  // the folder of the line (a drive root keeps its backslash)
  std::string name;       // the entry's name, without the directory marker
  bool isDirectory = false;
};
struct RegAction {
  std::string keyPath;  // ROOT\subkey
  std::string root;     // "HKEY_LOCAL_MACHINE", ...
  std::string subkey;   // never empty
};
struct ValueAction {
  bool restore = false;  // REG_VALUE_RESTORE; else REG_VALUE_REMOVE
  std::string keyPath;   // ROOT or ROOT\subkey
  std::string root;      // "HKEY_CURRENT_USER", ...
  std::string subkey;    // empty for a value of the root itself; no empty piece
  std::u16string name;   // empty for the key's default value
  ValueData data;        // a restore's data is whole
};

// Each returns nothing for a malformed line (an integrity error). An entry action must
// name WIN.INI, SYSTEM.INI or PROTOCOL.INI (any case). A REMOVEFILE line must name a
// plain entry (no separator, stream colon, wildcard, control character, device name,
// trailing dot or blank) of an absolute folder on a drive ("X:\..."; never a UNC,
// device or raw path, never a relative one).
std::optional<IniAction> ParseChangeAction(std::string_view line);
std::optional<IniAction> ParseAddAction(std::string_view line);
std::optional<IniAction> ParseRemoveAction(std::string_view line);
std::optional<FileAction> ParseRemoveFileAction(std::string_view line);
std::optional<RegAction> ParseRegDatRemoveAction(std::string_view line);
// A value line, parsed from the line as written (the case of its name and data counts).
// Nothing for a line whose markers are out of order or missing, whose name or data does
// not parse, whose type name is not one ValueTypeName writes, whose size is not the
// data's size (or a size beyond what a value holds), whose key path names no root in full,
// holds an empty piece or a control character, or for a restore of data not kept whole.
std::optional<ValueAction> ParseValueAction(std::string_view line);

// A value action for people, as the Uninstall Actions dialog lists it and the log records
// it: the kind word, the key path, the name and the data shortened:
// REG_VALUE_RESTORE:HKEY_CLASSES_ROOT\.txt (Default) = REG_SZ, 16 bytes: "txtfile"
std::string DescribeValueAction(const ValueAction& action, NarrowText narrow = AsciiText);

// WIN.INI, SYSTEM.INI or PROTOCOL.INI, in any letter case.
bool IsActionIniFile(std::string_view file);

// The DLL name of a REMOVEFILE line: after the first ":" up to the first ">", less
// its last four characters when longer than four.
std::string DllNameOf(std::string_view line);

// A compare report ("C:\B\0412.SNC"), its action file ("C:\B\0412.tsu") and its uninstall
// log ("C:\B\0412.log") differ in their last three characters: `path` with those made
// `ext`. A path shorter than three characters gets `ext` appended, so the result is
// never the path itself.
std::string WithLastThree(const std::string& path, std::string_view ext);
// The action file of a report: WithLastThree(reportPath, "tsu").
std::string ActionFilePathFor(const std::string& reportPath);

// The lines of an action file as loaded for selection: each line whole, however long,
// line ends removed, upper-cased (a-z only); an empty line stays an empty entry.
std::vector<std::string> SplitActionLines(std::string_view content);

// An action file as the Uninstall Actions dialog loads it: its entries (as
// SplitActionLines gives them), the same lines as written (before upper-casing, for the
// letter case of the INI entries put back), both in file order, and whether some line
// holds both "REMOVEFILE" and ".DLL". Names are written in UTF-8; a REMOVEFILE line that
// is not UTF-8 comes from a file written before that, in the machine's ANSI code page,
// and `olderText` (when given) takes it to the program's text. The other lines keep
// their bytes: an INI entry's value is the INI file's own.
struct ActionEntries {
  std::vector<std::string> entries;
  std::vector<std::string> originals;
  bool dllLinesPresent = false;
};
using OlderTextFn = std::function<std::string(std::string_view)>;
ActionEntries LoadActionEntries(std::string_view content, const OlderTextFn& olderText = {});

inline constexpr const char* kTsuIntegrityErrorText =
    "There is an error in this line of the Tessary Uninstall file (.TSU) for this uninstall. Make sure you have not "
    "edited/changed this file for any reason. If you have edited the .TSU file, you may not be able to "
    "uninstall.\nThis line containing the error will be skipped.";
inline constexpr const char* kTsuIntegrityErrorCaption = "TSU integrity error";
inline constexpr const char* kTsuReadErrorText =
    "Error reading uninstall (.TSU) file.\nMake sure this compare file was created with Tessary 1.9 or higher.  Also "
    "ensure the .TSU has not been deleted or changed.";
inline constexpr const char* kTsuReadErrorCaption = "File error";

}  // namespace tessary
