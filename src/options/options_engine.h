// What the three option dialogs load and save, without their windows: each dialog
// fills a form from the settings file on opening and hands it back on OK.
#pragma once

#include <array>
#include <string>

#include "core/host.h"
#include "core/settings.h"

namespace tessary {

// ---- Directories to Compare ----

struct DirsForm {
  bool win = true, sys = true, roots = true, prog = true, fonts = true, inf = true, help = true;
  std::array<std::string, 5> optional;  // Opt1 to Opt5
};

DirsForm LoadDirsForm(const Settings& settings);
// Writes the switches, then the optional directories in order. A directory that does
// not exist stops the save with its message: false, and the dialog stays open; so does
// a setting that cannot be written (kSettingsNotSaved).
bool SaveDirsForm(const Settings& settings, Prompter& prompts, const DirsForm& form, WindowHandle owner);

// ---- Branches to Compare in Registry ----

struct RegistryForm {
  bool showProgress = true, compSentinox = true;
  bool curuser = false, cusers = false, clocmach = false, csoftware = false;
  bool cclasses = false, cclsid = false, ccrconfig = false, cdyndata = false;
  bool values = false;  // [registry] RecordValues
};

RegistryForm LoadRegistryForm(const Settings& settings);
// Writes the keys in the dialog's order; RecordValues last, and only when it is on or
// was on, so that a settings file that never had it stays as it was. False when a
// setting could not be written; the dialog then shows kSettingsNotSaved.
bool SaveRegistryForm(const Settings& settings, const RegistryForm& form);

// ---- Options ----

// The companion programs as the Options dialog meets them.
class CompanionControl {
 public:
  virtual ~CompanionControl() = default;
  // The user's Startup folder; empty when the registry holds none.
  virtual std::string StartupFolder() = 0;
  // Starts a program with a normally shown window: the WinExec result.
  virtual unsigned Start(const std::string& commandLine) = 0;
  // Whether the companion's window (class and title "Sentinox") exists.
  virtual bool CompanionRunning() = 0;
  // Posts the companion's window a close message.
  virtual void CloseCompanion() = 0;
  // Deletes the Startup-folder shortcut when it exists and may be written. False when
  // it was to go and is still there (Sentinox would start with Windows again).
  [[nodiscard]] virtual bool RemoveShortcut(const std::string& path) = 0;
};

// The real companions: the registry, WinExec, FindWindowA and the shell's delete.
class SystemCompanions : public CompanionControl {
 public:
  std::string StartupFolder() override;
  unsigned Start(const std::string& commandLine) override;
  bool CompanionRunning() override;
  void CloseCompanion() override;
  bool RemoveShortcut(const std::string& path) override;
};

struct SetupForm {
  std::string backupTo;  // the "Backup To:" path
  bool useSentinox = false, autoOpenSnc = false;
  bool keepLastSnc = false;
  std::string numberBox;  // the retention number box
  bool confirmSncDelete = true;
  bool brief = false, keepBlank = true, excludeGrp = false, excludeIni = false;
  bool deepTracking = false;  // [tessary] DeepTracking
  bool nameCompare = true;  // "&COMPARE" rather than "Date/&Time"
  bool showMax = false, docMax = false, largeIcon = false;
  bool verifyAll = true, dllDepend = true;
};

// Reads the settings as the dialog opens; BackupDirectory receives [tessary] Directory.
SetupForm LoadSetupForm(EngineHost& host);

enum class SetupSave { Saved, StayOpen };
// OK of the Options dialog. A retention number out of range shows its message, puts
// "40" in form.numberBox and returns StayOpen with only KeepLastSNC written. A setting
// that cannot be written (each change is whole or not made at all) shows
// kSettingsNotSaved and returns StayOpen, before the companions are touched when it
// happens before them.
SetupSave SaveSetupForm(EngineHost& host, SetupForm& form, CompanionControl& companions, WindowHandle owner);

// Turning tracking on and off (also part of SaveSetupForm).
// False when a setting could not be written (EnableSentinox then starts nothing), or when
// the start-up shortcut that DisableSentinox removes is still there.
bool EnableSentinox(EngineHost& host, const std::string& programDirectory, CompanionControl& companions, WindowHandle owner);
bool DisableSentinox(EngineHost& host, CompanionControl& companions);

inline constexpr char kSettingsNotSaved[] =
    "Unable to save the settings. Make sure the disk is not full and that the settings file can be written to.";

}  // namespace tessary
