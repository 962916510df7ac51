// The installer's work, apart from its dialog: the directory question and the install
// steps. The dialog hands in a SetupUi that shows the boxes, the progress text and
// starts programs, so the steps run the same under a test.
#pragma once

#include <string>

#include "core/install_layout.h"

namespace tessary::setup {

constexpr char kDefaultLocation[] = "C:\\Program Files\\Tessary";
constexpr char kVersion[] = "95.1.3";
constexpr char kDescription[] =
    "Install will create the specified directory (if not present) and copy the Tessary files to that location.";
constexpr char kCopying[] = "Please wait...Copying files.";
constexpr int kMaxDirectory = 250;  // characters of the directory edit

// Message box styles and answers used here (the Win32 values).
enum : unsigned {
  kYesNo = 0x4,
  kIconWarning = 0x30,
  kIconInformation = 0x40,
};
enum : int { kAnswerYes = 6, kAnswerNo = 7 };

class SetupUi {
 public:
  virtual ~SetupUi() = default;
  virtual int Ask(const std::string& text, const std::string& caption, unsigned style) = 0;
  virtual void Status(const std::string& text) = 0;
  virtual void Start(const std::string& commandLine, int show) = 0;
  virtual void Busy(bool) {}  // the wait cursor
};

// Where the installer reads and writes. The program uses Default(); tests may point
// the sources and the settings file elsewhere.
struct SetupContext {
  std::string sourceDir;     // the install disk
  std::string settingsPath;  // tessary.ini in the Windows directory
  static SetupContext Default();
};

// Location from [tessary] with the default for a first installation.
std::string ReadLocation(const SetupContext& ctx);

// The directory question: true when the install may go on.
bool ConfirmDirectory(const SetupContext& ctx, SetupUi& ui, const std::string& directory);

// The install steps; true on success. On failure the caller shows the general error.
bool Install(const SetupContext& ctx, SetupUi& ui, std::string directory);

// OK of the "Main" dialog: the directory question, the install, and after a failure
// the general error with the description put back. True when the program should end.
bool OkClicked(const SetupContext& ctx, SetupUi& ui, const std::string& directory);

// The general installation error, shown by the dialog after a failed Install.
constexpr char kInstallErrorText[] =
    "There was an error during installation. Make sure you have specified a valid pathname to install "
    "to.\nInstallation not completed properly.";
constexpr char kInstallErrorCaption[] = "Installation Error";

}  // namespace tessary::setup
