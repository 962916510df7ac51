// The seams of tessaryc: questions answered by --yes or asked on the console, progress
// as one line per step on standard error, and Ctrl+C as the Cancel of a progress dialog.
// Nothing here opens a window or a message box.
#pragma once

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "core/seams.h"

namespace tessary::cli {

// Ctrl+C and Ctrl+Break: the first raises the stop flag, which the runs see at their next
// check as a Cancel; a second one ends the program at once.
class StopFlag {
 public:
  static void Install();  // SetConsoleCtrlHandler
  static bool Raised();
  static void Raise();
  static void Clear();
};

// How questions are answered: Yes to all (--yes), asked on the console (standard input
// is one), or answered No (nobody to ask: the command should have refused before).
enum class AnswerMode { Yes, Ask, No };

class ConsolePrompter : public Prompter {
 public:
  ConsolePrompter(std::istream& in, std::ostream& err, AnswerMode mode, std::function<bool()> stopRequested = {});
  int Ask(const MessageBoxRequest& request) override;
  void Beep(unsigned) override {}
  using Prompter::Ask;

  // A question put through the console outside the engine (same rules as Ask).
  int Question(const std::string& text, bool withCancel);

  struct Shown {
    std::string caption, text;
    unsigned style = 0;
    int answer = 0;
    bool question = false;
  };
  const std::vector<Shown>& shown() const { return shown_; }
  // The messages (not the questions) shown since `from`, one line each.
  std::vector<std::string> MessagesSince(std::size_t from) const;

 private:
  int Read(bool withCancel);

  std::istream& in_;
  std::ostream& err_;
  AnswerMode mode_;
  std::function<bool()> stopRequested_;
  std::vector<Shown> shown_;
};

// "Yes", "No", "Cancel", "OK".
std::string AnswerName(int answer);
// A message's text on one line: line ends become blanks.
std::string OneLine(const std::string& text);

// Progress on standard error. Each main text starts a step: "[3] Comparing Registry".
// On a console the step's line is rewritten in place with the count of items seen and
// the current one (at most ten times a second); elsewhere each step is one line written
// when it starts. Cancelled() reports the stop flag.
class ConsoleProgressFactory : public ProgressFactory {
 public:
  ConsoleProgressFactory(std::ostream& err, bool console, bool quiet, std::function<bool()> stopRequested,
                         std::function<std::uint64_t()> tickMs);
  std::unique_ptr<Progress> Open(const std::string& caption, ProgressCancel cancel) override;
  using ProgressFactory::Open;

  // Whether some check found the stop flag raised since the last Reset.
  bool cancelSeen() const { return cancelSeen_; }
  void Reset() { cancelSeen_ = false; }
  int steps() const { return step_; }

 private:
  friend class ConsoleProgress;
  std::ostream& err_;
  bool console_, quiet_;
  std::function<bool()> stopRequested_;
  std::function<std::uint64_t()> tickMs_;
  bool cancelSeen_ = false;
  int step_ = 0;
};

}  // namespace tessary::cli
