#include "compare/compare_run.h"

#include <memory>

#include "compare/boot_compare.h"
#include "compare/logic/compare_text.h"
#include "platform/ascii.h"
#include "platform/code_page.h"
#include "platform/files.h"

namespace tessary {
namespace {

constexpr const char* kCancelledLine = "---COMPARE CANCELLED BY USER---";
constexpr const char* kNoChangesLine = "---No Changes found---";

// "\n" becomes CR LF; a CR LF already present stays as it is.
std::string ToCrLf(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) out.push_back('\r');
    out.push_back(text[i]);
  }
  return out;
}

void AppendToReport(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::app);
  out << ToCrLf(text);
}

// The backup files a Sentinox pass needs, in the order they are looked for.
const char* const kSentinoxRequired[] = {"config", "autoexec", "msdos",   "win",     "system",  "protocol", "desktop",
                                         "fontdir", "infdir",  "helpdir", "sysdir", "windir", "startdir"};

}  // namespace

SectionOutput::SectionOutput(CompareRun& run)
    : report_(run.reportPath, std::ios::binary | std::ios::app), actions_(run.actionPath, std::ios::binary | std::ios::app) {}

void SectionOutput::Report(const std::string& text) {
  // The report is UTF-8 throughout: a line of a boot or INI file in the machine's ANSI
  // code page is shown in UTF-8 (the action file keeps such an entry's own bytes).
  report_ << ToCrLf(FromOlderLines(text));
  report_.flush();
}

void SectionOutput::Action(const std::string& line) {
  actions_ << line << "\r\n";
  actions_.flush();
}

void AppendVerdict(CompareRun& run) {
  if (run.noChangesFound && !EqualsNoCase(run.AppSettings().Read(settings::kKeepBlank), "no"))
    AppendToReport(run.reportPath, kNoChangesLine);
}

// The sections in their fixed order, then the verdict. False when the run stopped.
bool RunSections(CompareRun& run) {
  auto stop = [&](SectionResult result) {
    if (result == SectionResult::Cancelled) AppendToReport(run.reportPath, kCancelledLine);
    return false;
  };
  SectionResult result = CompareBootFiles(run);
  if (result != SectionResult::Done) return stop(result);
  result = CompareIniFiles(run);
  if (result != SectionResult::Done) return stop(result);

  Settings settings = run.AppSettings();
  if (EqualsNoCase(settings.Read(settings::kCompSentinox), "no") || run.State().RunMode == RunMode::Interactive) {
    run.progress.SetMainText("Comparing Registry");
    run.progress.SetDetailText("");
    result = CompareRegistry(run);
    run.noChangesFound = false;
    if (result != SectionResult::Done) return stop(result);
  }
  result = CompareDirectories(run);
  if (result != SectionResult::Done) return stop(result);
  result = CompareFreeSpace(run);
  if (result != SectionResult::Done) return stop(result);

  AppendVerdict(run);
  return true;
}

std::string ActionFileWrittenFor(const std::string& reportPath) {
  return reportPath.substr(0, reportPath.size() - 4) + ".TSU";
}

bool RunCompare(Host& host, const std::string& reportPath, const std::function<void()>& beforeProgress,
                const std::string& bootDirectory) {
  AppState& state = host.State();
  Prompter& prompts = host.Prompts();
  Settings settings = host.AppSettings();
  const bool sentinox = state.SentinoxPass;
  const std::string backupExt = sentinox ? "snb" : "tsb";

  if (sentinox) {
    for (const char* base : kSentinoxRequired) {
      if (!FileExists(state.BackupDirectory + "\\" + base + ".snb")) return false;
    }
  }
  const bool brief = EqualsNoCase(settings.Read(settings::kBriefDescription), "yes");

  for (const char* name : {"\\win.ini", "\\system.ini"}) {
    const std::string path = state.WindowsDirectory + name;
    if (!FileExists(path))
      prompts.Ask("Unable to open file.\nMake sure this file has not been deleted.", path,
                  mb::kOk | mb::kIconExclamation);
  }

  const std::string actionPath = ActionFileWrittenFor(reportPath);
  {
    std::ofstream report(reportPath, std::ios::binary | std::ios::trunc);
    if (!report) {
      prompts.Ask("Unable to create compare file. Make sure the disk is not full.", "Tessary",
                  mb::kOk | mb::kIconExclamation);
      return false;
    }
    report << ToCrLf(CompareHeaderText(sentinox, reportPath, brief));
  }
  {
    std::ofstream actions(actionPath, std::ios::binary | std::ios::trunc);
    if (!actions) {
      prompts.Ask("Unable to create uninstall file. Make sure the disk is not full.", "Tessary",
                  mb::kOk | mb::kIconExclamation);
      return false;
    }
  }

  CompareRun::SameDates same;
  auto bootSame = [&](const char* file, const char* base) {
    return SameDateCheck(bootDirectory + "\\" + file, state.BackupDirectory + "\\" + base + "." + backupExt);
  };
  auto iniSame = [&](const char* file, const char* base) {
    return SameDateCheck(state.WindowsDirectory + "\\" + file, state.BackupDirectory + "\\" + base + "." + backupExt);
  };
  same.autoexec = bootSame("autoexec.bat", "autoexec");
  same.msdos = bootSame("msdos.sys", "msdos");
  same.config = bootSame("config.sys", "config");
  same.win = iniSame("win.ini", "win");
  same.system = iniSame("system.ini", "system");
  same.protocol = iniSame("protocol.ini", "protocol");

  if (beforeProgress) beforeProgress();
  std::unique_ptr<Progress> progress = host.Progresses().Open(reportPath);
  if (!progress) return false;

  CompareRun run{host, *progress, reportPath, actionPath, backupExt, state.RunMode == RunMode::Interactive ? "tsb" : "snb"};
  run.brief = brief;
  run.sentinox = sentinox;
  run.windowsDirectory = state.WindowsDirectory;
  run.bootDirectory = bootDirectory;
  run.sameDate = same;
  run.noChangesFound = same.autoexec && same.msdos && same.config && same.win && same.system && same.protocol;
  return RunSections(run);
}

}  // namespace tessary
