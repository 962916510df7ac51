#include "platform/code_page.h"

#include <windows.h>

#include "platform/utf8.h"

namespace tessary {

unsigned MachineAnsiCodePage() {
  wchar_t digits[16] = {};
  if (GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTANSICODEPAGE, digits, 16) <= 0) return 1252;
  unsigned page = 0;
  for (const wchar_t* d = digits; *d >= L'0' && *d <= L'9'; ++d) page = page * 10 + unsigned(*d - L'0');
  return page == 0 ? 1252 : page;
}

std::string FromOlderText(std::string_view text) {
  const unsigned machine = MachineAnsiCodePage();
  const unsigned own = GetACP();
  if (own == machine || IsValidUtf8(text) || text.empty()) return std::string(text);
  const int wideLength = MultiByteToWideChar(machine, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (wideLength <= 0) return std::string(text);
  std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
  MultiByteToWideChar(machine, 0, text.data(), static_cast<int>(text.size()), wide.data(), wideLength);
  const int length = WideCharToMultiByte(own, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string(text);
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(own, 0, wide.data(), wideLength, out.data(), length, nullptr, nullptr);
  return out;
}

std::string FromOlderLines(std::string_view text) {
  if (IsValidUtf8(text)) return std::string(text);
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    end = end == std::string_view::npos ? text.size() : end + 1;
    out += FromOlderText(text.substr(start, end - start));
    start = end;
  }
  return out;
}

std::wstring ToWide(std::string_view text) {
  if (text.empty()) return {};
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

std::string FromWide(std::wstring_view text) {
  if (text.empty()) return {};
  const int length =
      WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  if (length > 0)
    WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), narrow.data(), length, nullptr,
                        nullptr);
  return narrow;
}

}  // namespace tessary
