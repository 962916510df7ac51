// The three ways the engine reaches the user and the time of day. The GUI supplies
// message boxes, the progress dialog and the system clock; tests supply scripted ones.
// No <windows.h> here: the values below are the Win32 ones, so the GUI passes them on.
#pragma once

#include <memory>
#include <string>

#include "core/window_handle.h"
#include "platform/dos_time.h"

namespace tessary {

// Message-box styles (MB_*) and answers (ID*), with their Win32 values.
namespace mb {
constexpr unsigned kOk = 0x0, kOkCancel = 0x1, kYesNoCancel = 0x3, kYesNo = 0x4;
constexpr unsigned kIconStop = 0x10, kIconQuestion = 0x20, kIconExclamation = 0x30, kIconInformation = 0x40;
constexpr unsigned kDefButton2 = 0x100;
constexpr unsigned kTaskModal = 0x2000;
}  // namespace mb
namespace id {
constexpr int kOk = 1, kCancel = 2, kYes = 6, kNo = 7;
}  // namespace id

// The program's name, which a message box given no caption of its own shows.
inline constexpr const char* kProgramName = "Tessary";

struct MessageBoxRequest {
  std::string text;
  std::string caption;  // empty: the program's name
  unsigned style = mb::kOk;  // buttons | icon | flags
  WindowHandle owner = nullptr;  // the owning window, or none
};

class Prompter {
 public:
  virtual ~Prompter() = default;
  // Shows one message box and returns the answer (id::kOk, kYes, kNo, kCancel).
  virtual int Ask(const MessageBoxRequest& request) = 0;
  // MessageBeep with an MB_ICON* sound.
  virtual void Beep(unsigned sound) = 0;

  int Ask(std::string text, std::string caption, unsigned style = mb::kOk, WindowHandle owner = nullptr) {
    return Ask(MessageBoxRequest{std::move(text), std::move(caption), style, owner});
  }
};

// One progress dialog of a long operation. Destroying the object closes the dialog.
class Progress {
 public:
  virtual ~Progress() = default;
  virtual void SetMainText(const std::string& text) = 0;
  virtual void SetDetailText(const std::string& text) = 0;
  // Lets the waiting window messages through (repaint, a Cancel click).
  virtual void Pump() = 0;
  // True once the user has closed the dialog with Cancel.
  virtual bool Cancelled() = 0;
};

// Whether a progress dialog offers Cancel. Shown: enabled while the program runs for the
// user (interactive, outside a Sentinox pass), greyed otherwise. Hidden: the operation
// never looks for a Cancel, so the dialog has no button.
enum class ProgressCancel { Shown, Hidden };

// Opens progress dialogs.
class ProgressFactory {
 public:
  virtual ~ProgressFactory() = default;
  virtual std::unique_ptr<Progress> Open(const std::string& caption, ProgressCancel cancel) = 0;
  std::unique_ptr<Progress> Open(const std::string& caption) { return Open(caption, ProgressCancel::Shown); }
  // Lets the waiting window messages through while no progress dialog is open (the
  // window a message box covered repaints before a long step starts). Nothing to do
  // where there are no windows.
  virtual void Settle() {}
};

struct LocalTime {
  int year = 1980, month = 1, day = 1;
  int hour = 0, minute = 0, second = 0;
  int dayOfWeek = 0;  // 0 = Sunday
};

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() = 0;
};

}  // namespace tessary
