#include "cli/console_seams.h"

#include <windows.h>

#include <atomic>
#include <istream>
#include <ostream>

#include "platform/ascii.h"

namespace tessary::cli {

namespace {

std::atomic<int> gStops{0};

BOOL WINAPI OnConsoleControl(DWORD type) {
  if (type != CTRL_C_EVENT && type != CTRL_BREAK_EVENT) return FALSE;
  // The second one is not handled here: the system ends the program.
  return gStops.fetch_add(1) == 0 ? TRUE : FALSE;
}

constexpr std::size_t kLineWidth = 79;

}  // namespace

void StopFlag::Install() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }
bool StopFlag::Raised() { return gStops.load() > 0; }
void StopFlag::Raise() { gStops.fetch_add(1); }
void StopFlag::Clear() { gStops.store(0); }

std::string AnswerName(int answer) {
  switch (answer) {
    case id::kYes: return "Yes";
    case id::kNo: return "No";
    case id::kCancel: return "Cancel";
    case id::kOk: return "OK";
  }
  return std::to_string(answer);
}

std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n') {
      if (!line.empty() && line.back() != ' ') line += ' ';
      continue;
    }
    line += c;
  }
  return line;
}

ConsolePrompter::ConsolePrompter(std::istream& in, std::ostream& err, AnswerMode mode,
                                 std::function<bool()> stopRequested)
    : in_(in), err_(err), mode_(mode), stopRequested_(std::move(stopRequested)) {}

int ConsolePrompter::Read(bool withCancel) {
  for (int tries = 0; tries < 3; ++tries) {
    err_ << (withCancel ? " [y/n/c] " : " [y/n] ") << std::flush;
    std::string answer;
    if (!std::getline(in_, answer)) break;
    answer = ToLowerAscii(answer);
    while (!answer.empty() && (answer.back() == '\r' || answer.back() == ' ')) answer.pop_back();
    if (answer == "y" || answer == "yes") return id::kYes;
    if (answer == "n" || answer == "no") return id::kNo;
    if (withCancel && (answer == "c" || answer == "cancel")) return id::kCancel;
  }
  err_ << "\n";
  return withCancel ? id::kCancel : id::kNo;
}

int ConsolePrompter::Question(const std::string& text, bool withCancel) {
  if (stopRequested_ && stopRequested_()) return withCancel ? id::kCancel : id::kNo;
  switch (mode_) {
    case AnswerMode::Yes: return id::kYes;
    case AnswerMode::No: return withCancel ? id::kCancel : id::kNo;
    case AnswerMode::Ask: break;
  }
  err_ << text;
  return Read(withCancel);
}

int ConsolePrompter::Ask(const MessageBoxRequest& request) {
  const unsigned buttons = request.style & 0xF;
  const std::string caption = request.caption.empty() ? kProgramName : request.caption;
  Shown shown{caption, request.text, request.style, id::kOk, buttons != mb::kOk};
  if (buttons == mb::kOk) {
    err_ << "tessaryc: " << caption << ": " << OneLine(request.text) << "\n" << std::flush;
  } else {
    const bool withCancel = buttons == mb::kYesNoCancel || buttons == mb::kOkCancel;
    int answer = Question(caption + ": " + OneLine(request.text), withCancel);
    if (buttons == mb::kOkCancel && answer == id::kYes) answer = id::kOk;
    if (buttons == mb::kOkCancel && answer == id::kNo) answer = id::kCancel;
    shown.answer = answer;
  }
  shown_.push_back(shown);
  return shown.answer;
}

std::vector<std::string> ConsolePrompter::MessagesSince(std::size_t from) const {
  std::vector<std::string> messages;
  for (std::size_t i = from; i < shown_.size(); ++i)
    if (!shown_[i].question) messages.push_back(shown_[i].caption + ": " + OneLine(shown_[i].text));
  return messages;
}

class ConsoleProgress : public Progress {
 public:
  explicit ConsoleProgress(ConsoleProgressFactory& factory) : f_(factory) {}
  ~ConsoleProgress() override { EndStep(); }

  void SetMainText(const std::string& text) override {
    EndStep();
    main_ = text;
    count_ = 0;
    detail_.clear();
    open_ = true;
    number_ = ++f_.step_;
    if (f_.quiet_) return;
    if (f_.console_) {
      Draw(true);
    } else {
      f_.err_ << "[" << number_ << "] " << main_ << "\n" << std::flush;
    }
  }
  void SetDetailText(const std::string& text) override {
    if (text.empty()) return;
    detail_ = text;
    ++count_;
    if (!open_ || f_.quiet_ || !f_.console_) return;
    Draw(false);
  }
  void Pump() override {}
  bool Cancelled() override {
    if (f_.stopRequested_ && f_.stopRequested_()) f_.cancelSeen_ = true;
    return f_.cancelSeen_;
  }

 private:
  std::string Text(bool withDetail) const {
    std::string text = "[" + std::to_string(number_) + "] " + main_;
    if (count_ > 0) text += " (" + std::to_string(count_) + ")";
    if (withDetail && !detail_.empty()) text += " " + OneLine(detail_);
    if (text.size() > kLineWidth) text.resize(kLineWidth);
    return text;
  }
  void Draw(bool force) {
    const std::uint64_t now = f_.tickMs_ ? f_.tickMs_() : 0;
    if (!force && now - lastDraw_ < 100) return;
    lastDraw_ = now;
    const std::string text = Text(true);
    f_.err_ << "\r" << text << std::string(drawn_ > text.size() ? drawn_ - text.size() : 0, ' ') << std::flush;
    drawn_ = text.size();
  }
  void EndStep() {
    if (!open_) return;
    open_ = false;
    if (f_.quiet_ || !f_.console_) return;
    const std::string text = Text(false);
    f_.err_ << "\r" << text << std::string(drawn_ > text.size() ? drawn_ - text.size() : 0, ' ') << "\n"
            << std::flush;
    drawn_ = 0;
  }

  ConsoleProgressFactory& f_;
  std::string main_, detail_;
  int number_ = 0;
  std::size_t count_ = 0, drawn_ = 0;
  std::uint64_t lastDraw_ = 0;
  bool open_ = false;
};

ConsoleProgressFactory::ConsoleProgressFactory(std::ostream& err, bool console, bool quiet,
                                               std::function<bool()> stopRequested,
                                               std::function<std::uint64_t()> tickMs)
    : err_(err), console_(console), quiet_(quiet), stopRequested_(std::move(stopRequested)), tickMs_(std::move(tickMs)) {}

std::unique_ptr<Progress> ConsoleProgressFactory::Open(const std::string&, ProgressCancel) {
  return std::make_unique<ConsoleProgress>(*this);
}

}  // namespace tessary::cli
