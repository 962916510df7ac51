// Rules of the report viewer and of printing that need no window: the large-file
// question, the child caption, the print work file and the print command lines.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tessary {

// Files above this many bytes are offered to WordPad first.
constexpr std::uint64_t kViewerSizeLimit = 30000;

// The text of the "File too large" question for a file of `size` bytes (shown as a
// signed 32-bit decimal, as the system's formatter does).
std::string TooLargeQuestion(std::uint64_t size);

// The command line that shows a large file in WordPad: write.exe "path".
std::string WordPadCommand(const std::string& path);

// The caption of a viewer child: the document name, after the child's title and
// " - " when that title is not empty, followed by ":" and the index when it is above 0.
std::string ChildCaption(const std::string& title, const std::string& documentName, int index);

// The print work file: the temporary directory ("C:" when empty) and "tessary.tmp",
// with one backslash between them.
std::string PrintWorkFile(const std::string& tempDirectory);

// The print command lines in the order they are tried: the accessories WordPad when
// that file exists (else "notepad"), then "wordpad.exe", "write.exe", "notepad.exe",
// each with " /p " and the work-file path. The WordPad path and the work file are in
// double quotes: unquoted, "c:\program files\..." would start a "c:\program.exe" first,
// and a temporary folder may hold blanks too.
std::vector<std::string> PrintCommandLines(bool accessoriesWordPadExists, const std::string& workFile);
constexpr const char* kAccessoriesWordPad = "c:\\program files\\accessories\\wordpad.exe";

// An edit control ends its text at the first NUL character: replaces every NUL in
// `text` by a blank, so that the whole file can be shown. Returns how many there were.
std::size_t BlankOutNuls(std::string& text);

// Finds `what` in `text` from `start` (forward) or before `start` (backward), with ASCII
// case folding unless `matchCase`, and only whole words when `wholeWord`. Returns the
// offset or std::string::npos.
std::size_t FindInText(const std::string& text, const std::string& what, std::size_t start, bool forward,
                       bool matchCase, bool wholeWord);

}  // namespace tessary
