// Windows of another process, seen from outside: found by class and caption, read by
// message, and pictured from the screen.
#include "window_probe.h"

#include <tlhelp32.h>

#include "platform/ascii.h"
#include "testbed.h"

namespace tessary::test {

bool WaitFor(const std::function<bool()>& done, int milliseconds) {
  for (int waited = 0; waited < milliseconds; waited += 50) {
    if (done()) return true;
    Sleep(50);
  }
  return done();
}

std::string TextOf(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) return {};
  std::string text(length + 1, '\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutA(hwnd, WM_GETTEXT, length + 1, reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 5000,
                      &got);
  text.resize(got);
  return text;
}

std::string ClassOf(HWND hwnd) {
  char name[128] = {};
  GetClassNameA(hwnd, name, sizeof name);
  return name;
}

namespace {
struct Search {
  DWORD pid;
  std::string cls, caption;
  std::vector<HWND> found;
};
}  // namespace

std::vector<HWND> TopWindows(DWORD pid, const std::string& cls) {
  Search s{pid, cls, {}, {}};
  EnumWindows(
      [](HWND hwnd, LPARAM lp) -> BOOL {
        auto* s = reinterpret_cast<Search*>(lp);
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == s->pid && IsWindowVisible(hwnd) && ClassOf(hwnd) == s->cls) s->found.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND FindTop(DWORD pid, const std::string& cls, const std::string& caption) {
  for (HWND hwnd : TopWindows(pid, cls))
    if (caption.empty() || TextOf(hwnd) == caption) return hwnd;
  return nullptr;
}

std::vector<HWND> Children(HWND parent, const std::string& cls) {
  struct Collect {
    std::string cls;
    std::vector<HWND> found;
  } c{cls, {}};
  if (!parent) return {};
  EnumChildWindows(
      parent,
      [](HWND hwnd, LPARAM lp) -> BOOL {
        auto* c = reinterpret_cast<Collect*>(lp);
        if (ClassOf(hwnd) == c->cls) c->found.push_back(hwnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&c));
  return c.found;
}

std::string StaticTexts(HWND dialog) {
  std::string all;
  for (HWND s : Children(dialog, "Static")) {
    if ((GetWindowLongA(s, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) continue;
    std::string t = TextOf(s);
    if (t.empty()) continue;
    if (!all.empty()) all += "|";
    all += t;
  }
  return all;
}

std::vector<std::string> ListItems(HWND list) {
  // Across processes the list's text comes back as UTF-16 through the wide messages;
  // the buffer is kept generous, since an ANSI request may be answered in wide form.
  std::vector<std::string> items;
  LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
    if (length < 0) length = 0;
    std::wstring text(static_cast<std::size_t>(length) * 2 + 16, L'\0');
    LRESULT got = SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text.data()));
    text.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    std::string narrow(text.size() * 2 + 1, '\0');
    int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), static_cast<int>(text.size()), narrow.data(),
                                static_cast<int>(narrow.size()), nullptr, nullptr);
    narrow.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    items.push_back(narrow);
  }
  return items;
}

bool ProcessRunning(const std::string& exeName) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return false;
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  bool found = false;
  for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry))
    found = EqualsNoCase(entry.szExeFile, exeName);
  CloseHandle(snapshot);
  return found;
}

bool SaveWindowPicture(HWND hwnd, const std::string& path) {
  RECT r{};
  if (!GetWindowRect(hwnd, &r)) return false;
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return false;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(mem, old);
  BITMAPINFOHEADER bih{};
  bih.biSize = sizeof bih;
  bih.biWidth = w;
  bih.biHeight = h;
  bih.biPlanes = 1;
  bih.biBitCount = 24;
  std::string pixels(static_cast<std::size_t>(((w * 3 + 3) & ~3) * h), '\0');
  GetDIBits(mem, bmp, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&bih), DIB_RGB_COLORS);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  BITMAPFILEHEADER bfh{};
  bfh.bfType = 0x4D42;
  bfh.bfOffBits = sizeof bfh + sizeof bih;
  bfh.bfSize = bfh.bfOffBits + static_cast<DWORD>(pixels.size());
  std::string file(reinterpret_cast<const char*>(&bfh), sizeof bfh);
  file.append(reinterpret_cast<const char*>(&bih), sizeof bih);
  file += pixels;
  test::WriteBytes(path, file);
  return true;
}

}  // namespace tessary::test
