#include "shell/viewer_logic.h"

#include <algorithm>

#include "platform/ascii.h"

namespace tessary {

std::string TooLargeQuestion(std::uint64_t size) {
  return "This file is " + std::to_string(static_cast<std::int32_t>(static_cast<std::uint32_t>(size))) +
         " bytes in size. Tessary cannot reliably read files larger than about 30K. Would you like to view this "
         "file with WordPad? (Yes to open in WordPad, No to open anyway, Cancel to not open the file at all.)\n"
         " If Tessary cannot open the file it will present you with a blank document.";
}

std::string WordPadCommand(const std::string& path) { return "write.exe \"" + path + "\""; }

std::string ChildCaption(const std::string& title, const std::string& documentName, int index) {
  std::string caption;
  if (!title.empty()) caption = title + " - ";
  caption += documentName;
  if (index > 0) caption += ":" + std::to_string(index);
  return caption;
}

std::string PrintWorkFile(const std::string& tempDirectory) {
  std::string dir = tempDirectory.empty() ? std::string("C:") : tempDirectory;
  if (dir.back() == '\\') return dir + "tessary.tmp";
  return dir + "\\tessary.tmp";
}

std::vector<std::string> PrintCommandLines(bool accessoriesWordPadExists, const std::string& workFile) {
  const std::string printSwitch = " /p \"" + workFile + "\"";
  std::vector<std::string> lines;
  lines.push_back(
      (accessoriesWordPadExists ? "\"" + std::string(kAccessoriesWordPad) + "\"" : std::string("notepad")) +
      printSwitch);
  for (const char* program : {"wordpad.exe", "write.exe", "notepad.exe"}) lines.push_back(program + printSwitch);
  return lines;
}

std::size_t BlankOutNuls(std::string& text) {
  std::size_t count = 0;
  for (char& c : text) {
    if (c != '\0') continue;
    c = ' ';
    ++count;
  }
  return count;
}

namespace {

bool IsWordChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         static_cast<unsigned char>(c) >= 0x80;
}

bool MatchAt(const std::string& text, const std::string& what, std::size_t at, bool matchCase, bool wholeWord) {
  if (at + what.size() > text.size()) return false;
  for (std::size_t i = 0; i < what.size(); ++i) {
    char a = text[at + i], b = what[i];
    if (matchCase ? a != b : AsciiLower(a) != AsciiLower(b)) return false;
  }
  if (wholeWord) {
    if (at > 0 && IsWordChar(text[at - 1])) return false;
    std::size_t end = at + what.size();
    if (end < text.size() && IsWordChar(text[end])) return false;
  }
  return true;
}

}  // namespace

std::size_t FindInText(const std::string& text, const std::string& what, std::size_t start, bool forward,
                       bool matchCase, bool wholeWord) {
  if (what.empty() || what.size() > text.size()) return std::string::npos;
  std::size_t last = text.size() - what.size();
  if (forward) {
    for (std::size_t at = start; at <= last; ++at)
      if (MatchAt(text, what, at, matchCase, wholeWord)) return at;
    return std::string::npos;
  }
  // Backward: the last match that ends no later than `start`.
  if (start < what.size()) return std::string::npos;
  std::size_t at = std::min(last, start - what.size());
  for (;;) {
    if (MatchAt(text, what, at, matchCase, wholeWord)) return at;
    if (at == 0) return std::string::npos;
    --at;
  }
}

}  // namespace tessary
