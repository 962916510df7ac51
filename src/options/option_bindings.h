// The binding tables of the option dialogs: one row per check box (control, form field,
// setting). Each dialog fills its boxes from the form and the form from its boxes by its
// table; the Load/Save functions of options_engine.cpp read the settings and write them
// by the same table, in its order, which is the order the dialog writes the keys in.
// What a box does beyond its setting (the questions of the icon size, tracking,
// retention) is a save step of its own, and its row says so.
#pragma once

#include <cstddef>

#include "core/settings.h"
#include "options/dirs_ids.h"
#include "options/options_engine.h"
#include "options/registry_ids.h"
#include "options/setup_ids.h"
#include "platform/ascii.h"

namespace tessary {

// When a row's save writes its setting.
enum class Written {
  Always,
  OnceOn,   // only when the box is on, or the file has it on already: a settings file
            // that never had the key keeps its bytes
  OwnStep,  // never by the table: a save step of its own writes it
};

template <class Form>
struct CheckBinding {
  int control;          // the check box, or the radio button that stands for "on"
  bool Form::*field;
  SettingKey read;      // as the program reads the setting
  SettingKey write;     // as this dialog writes it (the file keeps the spelling)
  int group = 0;        // the save step that writes it (Setup: kWindowStep, ...)
  Written written = Written::Always;
  const char* on = "yes";   // the values written; "on" in any case reads as on
  const char* off = "no";
  int offControl = 0;   // the radio button that stands for "off", if any
};

namespace bindings {

constexpr SettingKey InSection(const SettingKey& key, const char* section) {
  return SettingKey{section, key.key, key.defaultValue, key.bufferLength};
}
// The Registry dialog spells the section "Registry" (section names match in any case).
constexpr SettingKey Registry(const SettingKey& key) { return InSection(key, "Registry"); }

using Dirs = CheckBinding<DirsForm>;
using Reg = CheckBinding<RegistryForm>;
using Opt = CheckBinding<SetupForm>;

}  // namespace bindings

// Directories to Compare: the switches; the five optional directories are
// IDC_DIRS_OPT1 + i and settings::kOptDir[i].
inline constexpr bindings::Dirs kDirsChecks[] = {
    {IDC_DIRS_WIN, &DirsForm::win, settings::kDirWin, settings::kDirWin},
    {IDC_DIRS_SYS, &DirsForm::sys, settings::kDirSys, settings::kDirSys},
    {IDC_DIRS_ROOTS, &DirsForm::roots, settings::kDirRoots, settings::kDirRoots},
    {IDC_DIRS_FONTS, &DirsForm::fonts, settings::kDirFonts, settings::kDirFonts},
    {IDC_DIRS_INF, &DirsForm::inf, settings::kDirInf, settings::kDirInf},
    {IDC_DIRS_HELP, &DirsForm::help, settings::kDirHelp, settings::kDirHelp},
    {IDC_DIRS_PROG, &DirsForm::prog, settings::kDirProg, settings::kDirProg},
};

// Branches to Compare in Registry.
inline constexpr bindings::Reg kRegistryChecks[] = {
    {IDC_REGISTRY_PROGRESS, &RegistryForm::showProgress, settings::kShowProgress,
     bindings::Registry(settings::kShowProgress)},
    {IDC_REGISTRY_SENTINOX, &RegistryForm::compSentinox, settings::kCompSentinox,
     bindings::Registry(settings::kCompSentinox)},
    {IDC_REGISTRY_CURUSER, &RegistryForm::curuser, settings::kCuruser, SettingKey{"Registry", "curuser", "no", 5}},
    {IDC_REGISTRY_USERS, &RegistryForm::cusers, settings::kCUsers, bindings::Registry(settings::kCUsers)},
    {IDC_REGISTRY_LOCMACH, &RegistryForm::clocmach, settings::kCLocmach, bindings::Registry(settings::kCLocmach)},
    {IDC_REGISTRY_SOFTWARE, &RegistryForm::csoftware, settings::kCSoftware, bindings::Registry(settings::kCSoftware)},
    {IDC_REGISTRY_CLASSES, &RegistryForm::cclasses, settings::kCClasses, bindings::Registry(settings::kCClasses)},
    {IDC_REGISTRY_CLSID, &RegistryForm::cclsid, settings::kCClsid, bindings::Registry(settings::kCClsid)},
    {IDC_REGISTRY_CRCONFIG, &RegistryForm::ccrconfig, settings::kCCrConfig, bindings::Registry(settings::kCCrConfig)},
    {IDC_REGISTRY_DYNDATA, &RegistryForm::cdyndata, settings::kCDynData, bindings::Registry(settings::kCDynData)},
    {IDC_REGISTRY_VALUES, &RegistryForm::values, settings::kRecordValues, bindings::Registry(settings::kRecordValues),
     0, Written::OnceOn},
};

// Options: the save steps that write check boxes, in the order SaveSetupForm runs them.
enum SetupStep : int { kRetentionStep = 1, kWindowStep = 3, kIconStep = 4, kSwitchStep = 5, kTrackingStep = 7, kUninstallStep = 8 };
inline constexpr bindings::Opt kSetupChecks[] = {
    // Retention and tracking: their own steps (the number box, the companions).
    {IDC_SETUP_KEEPLATEST, &SetupForm::keepLastSnc, settings::kKeepLastSNC, settings::kKeepLastSNC, kRetentionStep,
     Written::OwnStep},
    {IDC_SETUP_AUTOTRACK, &SetupForm::useSentinox, settings::kUseSentinox, settings::kUseSentinox, kTrackingStep,
     Written::OwnStep},
    {IDC_SETUP_SHOWMAX, &SetupForm::showMax, settings::kShowMax, SettingKey{"tessary", "showmax", "no", 5},
     kWindowStep},
    {IDC_SETUP_DOCMAX, &SetupForm::docMax, settings::kDocMax, settings::kDocMax, kWindowStep},
    // The icon size takes effect at the next start, which the save step says.
    {IDC_SETUP_LARGEICON, &SetupForm::largeIcon, settings::kLargeIcon, SettingKey{"tessary", "largeicon", "no", 5},
     kIconStep, Written::OwnStep},
    {IDC_SETUP_CONFIRMDEL, &SetupForm::confirmSncDelete, settings::kConfirmSNCDelete, settings::kConfirmSNCDelete,
     kSwitchStep},
    // The Options dialog reads KeepBlank with a buffer of 5.
    {IDC_SETUP_KEEPBLANK, &SetupForm::keepBlank, SettingKey{"compare", "KeepBlank", "yes", 5}, settings::kKeepBlank,
     kSwitchStep},
    // Read as Compare reads it (8 characters, any letter case), so that the radio button
    // shows the name Compare will use and OK keeps it.
    {IDC_SETUP_NAMECOMPARE, &SetupForm::nameCompare, settings::kDefaultName, settings::kDefaultName, kSwitchStep,
     Written::Always, "Compare", "date", IDC_SETUP_NAMEDATE},
    {IDC_SETUP_DLLDEPEND, &SetupForm::dllDepend, settings::kDLLDepend, settings::kDLLDepend, kSwitchStep},
    {IDC_SETUP_AUTOOPEN, &SetupForm::autoOpenSnc, settings::kAutoOpenSNC, settings::kAutoOpenSNC, kSwitchStep},
    {IDC_SETUP_EXCLUDEINI, &SetupForm::excludeIni, settings::kExcludeIni, settings::kExcludeIni, kSwitchStep},
    {IDC_SETUP_EXCLUDEGRP, &SetupForm::excludeGrp, settings::kExcludeGrp, settings::kExcludeGrp, kSwitchStep},
    {IDC_SETUP_BRIEF, &SetupForm::brief, settings::kBriefDescription, settings::kBriefDescription, kSwitchStep},
    {IDC_SETUP_DEEP, &SetupForm::deepTracking, settings::kDeepTracking, settings::kDeepTracking, kSwitchStep,
     Written::OnceOn},
    {IDC_SETUP_VERIFY, &SetupForm::verifyAll, settings::kVerifyAllUninstall, settings::kVerifyAllUninstall,
     kUninstallStep},
};

// Reads every row's setting into the form.
template <class Form, std::size_t N>
void LoadChecks(const Settings& s, const CheckBinding<Form> (&table)[N], Form& form) {
  for (const CheckBinding<Form>& row : table) form.*row.field = EqualsNoCase(s.Read(row.read), row.on);
}

// Writes the rows of save step `group` that the table writes, in the table's order.
template <class Form, std::size_t N>
void WriteChecks(const Settings& s, const CheckBinding<Form> (&table)[N], const Form& form, int group = 0) {
  for (const CheckBinding<Form>& row : table) {
    if (row.group != group || row.written == Written::OwnStep) continue;
    const bool on = form.*row.field;
    if (row.written == Written::OnceOn && !on && !EqualsNoCase(s.Read(row.read), row.on)) continue;
    s.Write(row.write, on ? row.on : row.off);
  }
}

}  // namespace tessary
