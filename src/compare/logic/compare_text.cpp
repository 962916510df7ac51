#include "compare/logic/compare_text.h"

#include "platform/ascii.h"

namespace tessary {

std::vector<std::string> SplitLinePieces(std::string_view bytes, std::size_t pieceLength) {
  std::vector<std::string> pieces;
  std::string current;
  const std::size_t end = bytes.size();
  for (std::size_t i = 0; i < end; ++i) {
    char c = bytes[i];
    if (c == '\x1a') break;
    if (c == '\r' && i + 1 < end && bytes[i + 1] == '\n') continue;  // CR LF reads as "\n"
    current.push_back(c);
    if (c == '\n' || current.size() == pieceLength) {
      pieces.push_back(std::move(current));
      current.clear();
    }
  }
  if (!current.empty()) pieces.push_back(std::move(current));
  return pieces;
}

std::string CompareHeaderText(bool sentinox, const std::string& reportPath, bool brief) {
  std::string text = sentinox ? "Tessary/Sentinox automatic comparison file.\n"
                              : "Tessary configuration file comparison file.\n";
  text += reportPath + "\n";
  if (!brief) {
    text +=
        "========================================\n"
        "Every line in your current configuration files is compared to every\n"
        "line in your backup files, with all differences noted below.\n"
        "For the Autoexec.bat and Config.sys files, any changes will be reflected\n"
        "in two sections; added/changed and deleted/changed. Any lines that appear\n"
        "in both sections have changed, those in just the added section were\n"
        "added, and those just in the deleted section were deleted.\n"
        "If you have multi-boot config.sys and autoexec.bat, the block\n"
        "where the change occurred will also be noted (Like :DOS, :WINDOWS etc)\n"
        "\n"
        "For your Win.ini and System.ini, changes will be shown as\n"
        "FROM: (showing the original value of the entry)\n"
        "TO: (showing the new value of the entry\n"
        "ADDED: (this line has been added)\n"
        "DELETED: (this line has been removed)\n"
        "The section where this change occurred will also be noted.\n"
        "\n"
        "Any files that have been added or changed in your root, Windows or\n"
        "Windows System directories will also be listed. Files that have been\n"
        "updated (changed/replaced) will also show the date and time of the new file.\n";
  }
  return text;
}

bool IsDeviceLine(std::string_view line) { return StartsWithNoCase(line, "device"); }

bool UninstallCanReach(std::string_view path) {
  std::size_t units = 0;
  for (const char c : path) {
    const unsigned char b = static_cast<unsigned char>(c);
    if ((b & 0xC0) == 0x80) continue;  // a continuation byte
    units += b >= 0xF0 ? 2 : 1;        // a four-byte sequence is a surrogate pair
  }
  return units <= kLongestActionPath;
}

}  // namespace tessary
