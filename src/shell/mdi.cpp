#include "shell/mdi.h"

#include <commdlg.h>

#include <memory>
#include <optional>
#include <vector>

#include "shell/progress_dialog.h"
#include "shell/viewer_logic.h"
#include "platform/ascii.h"
#include "platform/file_dialog.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "resources/ids.h"

namespace tessary {

namespace {

constexpr char kClientClass[] = "tessaryMDIClient";
constexpr char kChildClass[] = "tessaryMDIChild";
constexpr char kEditClass[] = "tessaryEditFile";
constexpr char kUntitled[] = "Untitled";
constexpr int kFirstChildId = 0xFF00;

WNDPROC g_clientProc = nullptr;
WNDPROC g_editProc = nullptr;

// One viewer child: its own title and the editor it hosts.
struct ChildWindow {
  std::string title;
  std::unique_ptr<TEditFile> editor;
  TMDIClient* client = nullptr;
};

ChildWindow* ChildOf(HWND child) {
  if (!child) return nullptr;
  char cls[64] = {};
  GetClassNameA(child, cls, sizeof cls);
  if (!EqualsNoCase(cls, kChildClass)) return nullptr;
  return reinterpret_cast<ChildWindow*>(GetWindowLongPtrA(child, GWLP_USERDATA));
}

void UpdateCaption(HWND child) {
  ChildWindow* c = ChildOf(child);
  if (!c || !c->editor) return;
  SetWindowTextA(child, ChildCaption(c->title, c->editor->DocumentName(), 0).c_str());
}

LRESULT CALLBACK ClientProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcA(g_clientProc, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcA(g_editProc, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK ChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  ChildWindow* self = reinterpret_cast<ChildWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  switch (message) {
    case WM_CREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
      auto* mdi = reinterpret_cast<MDICREATESTRUCTA*>(cs->lpCreateParams);
      self = reinterpret_cast<ChildWindow*>(mdi->lParam);
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      if (!self->editor->Create(hwnd)) return -1;
      UpdateCaption(hwnd);
      break;
    }
    case WM_SIZE:
      if (self && self->editor && self->editor->hwnd())
        MoveWindow(self->editor->hwnd(), 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      break;  // DefMDIChildProc keeps the frame's menu in step
    case WM_SETFOCUS:
      if (self && self->editor && self->editor->hwnd()) SetFocus(self->editor->hwnd());
      break;
    case WM_COMMAND:
      if (self && self->editor && self->editor->OnCommand(LOWORD(wParam))) return 0;
      break;
    case WM_CLOSE:
      if (self && self->editor && !self->editor->CanClose()) return 0;
      break;
    case WM_NCDESTROY:
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      delete self;
      break;
    default:
      break;
  }
  return DefMDIChildProcA(hwnd, message, wParam, lParam);
}

// The editor commands that change the text or write it: none of them is offered in a
// read-only window.
bool ChangesText(int id) {
  switch (id) {
    case CM_FILESAVE:
    case CM_FILESAVEAS:
    case CM_EDITUNDO:
    case CM_EDITCUT:
    case CM_EDITPASTE:
    case CM_EDITDELETE:
    case CM_EDITCLEAR:
    case CM_EDITREPLACE:
      return true;
    default:
      return false;
  }
}

}  // namespace

// ---- the MDI client ----

bool TMDIClient::RegisterClasses(HINSTANCE instance) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExA(nullptr, "MDICLIENT", &wc)) return false;
  g_clientProc = wc.lpfnWndProc;
  wc.lpfnWndProc = ClientProc;
  wc.hInstance = instance;
  wc.lpszClassName = kClientClass;
  static HBRUSH grey = CreateSolidBrush(RGB(192, 192, 192));  // lives as long as the class
  wc.hbrBackground = grey;
  if (!RegisterClassExA(&wc)) return false;

  WNDCLASSEXA ed{};
  ed.cbSize = sizeof ed;
  if (!GetClassInfoExA(nullptr, "EDIT", &ed)) return false;
  g_editProc = ed.lpfnWndProc;
  ed.lpfnWndProc = EditProc;
  ed.hInstance = instance;
  ed.lpszClassName = kEditClass;
  if (!RegisterClassExA(&ed)) return false;

  WNDCLASSEXA ch{};
  ch.cbSize = sizeof ch;
  ch.lpfnWndProc = ChildProc;
  ch.hInstance = instance;
  ch.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_DOCUMENT));
  ch.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  ch.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  ch.lpszClassName = kChildClass;
  return RegisterClassExA(&ch) != 0;
}

TMDIClient::TMDIClient(ViewerHost& viewer, HWND frame, HMENU windowMenu) : viewer_(viewer) {
  CLIENTCREATESTRUCT ccs{};
  ccs.hWindowMenu = windowMenu;
  ccs.idFirstChild = kFirstChildId;
  hwnd_ = CreateWindowExA(WS_EX_CLIENTEDGE, kClientClass, nullptr,
                          WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE, 0, 0, 0, 0, frame, nullptr,
                          GetModuleHandleA(nullptr), &ccs);
  FileDialogData& data = viewer_.SharedFileData();
  data.flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
  data.filter =
      "Compare Files (*.TSC)|*.TSC|Sentinox Files (*.SNC)|*.SNC|Uninstall Logs (*.LOG)|*.LOG|All Files (*.*)|*.*|";
  data.initialDir = viewer_.host().State().BackupDirectory;
}

HWND TMDIClient::ActiveChild() const {
  return hwnd_ ? reinterpret_cast<HWND>(SendMessageA(hwnd_, WM_MDIGETACTIVE, 0, 0)) : nullptr;
}

TEditFile* TMDIClient::ActiveEditor() const {
  ChildWindow* c = ChildOf(ActiveChild());
  return c ? c->editor.get() : nullptr;
}

HWND TMDIClient::CreateChild(const std::string& title, const std::string& fileName) {
  auto child = std::make_unique<ChildWindow>();
  child->title = title;
  child->editor = std::make_unique<TEditFile>(viewer_, fileName);
  child->client = this;
  bool maximise = viewer_.host().AppSettings().IsYes(settings::kDocMax);
  MDICREATESTRUCTA mcs{};
  mcs.szClass = kChildClass;
  mcs.szTitle = title.c_str();
  mcs.hOwner = GetModuleHandleA(nullptr);
  mcs.x = mcs.y = mcs.cx = mcs.cy = CW_USEDEFAULT;
  mcs.style = maximise ? WS_MAXIMIZE : 0;
  mcs.lParam = reinterpret_cast<LPARAM>(child.get());
  HWND h = reinterpret_cast<HWND>(SendMessageA(hwnd_, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mcs)));
  // From WM_CREATE on, the window owns the object (deleted at WM_NCDESTROY).
  if (h) child.release();
  return h;
}

HWND TMDIClient::FileNew() {
  std::string title = std::to_string(newDocuments_++);
  return CreateChild(title, "");
}

void TMDIClient::FileOpen() {
  FileDialogData& data = viewer_.SharedFileData();
  data.fileName.clear();
  std::optional<std::string> chosen =
      ChooseFileToOpen(FileNameRequest{GetParent(hwnd_), data.filter, data.initialDir, "", "", data.flags});
  if (!chosen) return;
  data.fileName = *chosen;
  OpenInViewer("");
}

void TMDIClient::OpenInViewer(const std::string& path) {
  FileDialogData& data = viewer_.SharedFileData();
  if (!path.empty()) data.fileName = path;
  std::string file = data.fileName;
  Host& host = viewer_.host();
  // A file whose size cannot be found goes on to the editor, which reports that it
  // cannot read it and shows an empty document.
  std::uint64_t size = FileSize(file).value_or(0);
  if (size > kViewerSizeLimit) {
    int answer = host.Prompts().Ask(TooLargeQuestion(size), "File too large", mb::kYesNoCancel, host.MainWindow());
    if (answer == id::kCancel) return;
    if (answer == id::kYes) {
      ChildProcess wordPad;
      if (!wordPad.Start(WordPadCommand(file), SW_SHOWNORMAL))
        host.Prompts().Ask("Unable to open WordPad", "Error", mb::kOk, host.MainWindow());
      return;
    }
  }
  CreateChild("", file);
}

bool TMDIClient::CanCloseAll() {
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    ChildWindow* c = ChildOf(child);
    if (c && c->editor && !c->editor->CanClose()) return false;
  }
  return true;
}

void TMDIClient::CloseAll() {
  if (!CanCloseAll()) return;
  std::vector<HWND> children;
  for (HWND child = GetWindow(hwnd_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if (ChildOf(child)) children.push_back(child);
  for (HWND child : children) SendMessageA(hwnd_, WM_MDIDESTROY, reinterpret_cast<WPARAM>(child), 0);
}

bool TMDIClient::OnCommand(int id) {
  switch (id) {
    case CM_FILENEW:
      FileNew();
      return true;
    case CM_FILEOPEN:
      FileOpen();
      return true;
    case CM_CASCADECHILDREN:
      SendMessageA(hwnd_, WM_MDICASCADE, 0, 0);
      return true;
    case CM_TILECHILDREN:
      SendMessageA(hwnd_, WM_MDITILE, MDITILE_VERTICAL, 0);
      return true;
    case CM_ARRANGEICONS:
      SendMessageA(hwnd_, WM_MDIICONARRANGE, 0, 0);
      return true;
    case CM_CLOSECHILDREN:
      CloseAll();
      return true;
    default:
      return false;
  }
}

// ---- the file editor ----

TEditFile::TEditFile(ViewerHost& viewer, std::string fileName)
    : viewer_(viewer), data_(viewer.SharedFileData()), fileName_(std::move(fileName)) {}

HWND TEditFile::Create(HWND parent) {
  hwnd_ = CreateWindowExA(0, kEditClass, "",
                          WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE | ES_AUTOVSCROLL |
                              ES_AUTOHSCROLL | ES_NOHIDESEL,
                          0, 0, 0, 0, parent, reinterpret_cast<HMENU>(1), GetModuleHandleA(nullptr), nullptr);
  if (!hwnd_) return nullptr;
  SendMessageA(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(ANSI_FIXED_FONT)), FALSE);
  // Reports far above the control's default 30000 characters must load completely.
  SendMessageA(hwnd_, EM_SETLIMITTEXT, 0, 0);
  if (!fileName_.empty()) Read();
  return hwnd_;
}

std::string TEditFile::DocumentName() const { return fileName_.empty() ? std::string(kUntitled) : fileName_; }

bool TEditFile::Modified() const { return hwnd_ && SendMessageA(hwnd_, EM_GETMODIFY, 0, 0) != 0; }

bool TEditFile::ReadOnly() const { return hwnd_ && (GetWindowLongA(hwnd_, GWL_STYLE) & ES_READONLY) != 0; }

std::string TEditFile::Text() const {
  int length = GetWindowTextLengthA(hwnd_);
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  int got = GetWindowTextA(hwnd_, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

bool TEditFile::Read() {
  std::optional<std::string> read = ReadWholeFile(fileName_);
  bool ok = read.has_value();
  std::string text = ok ? std::move(*read) : std::string();
  // The edit control would end the text at a NUL, and a later save would write the
  // cut text over the whole file. Such a file is shown whole, with blanks for its NULs,
  // and read-only: what is shown is not the file, so it can never be saved over it.
  const bool hasNuls = ok && BlankOutNuls(text) > 0;
  if (ok) ok = SetWindowTextA(hwnd_, text.c_str()) != 0;
  if (!ok) {
    SetWindowTextA(hwnd_, "");
    viewer_.host().Prompts().Ask("Unable to read file " + fileName_ + " from disk. File may be too large.",
                                 kProgramName, mb::kOk | mb::kIconExclamation, viewer_.host().MainWindow());
  } else if (hasNuls) {
    SendMessageA(hwnd_, EM_SETREADONLY, TRUE, 0);
    viewer_.host().Prompts().Ask("The file " + fileName_ +
                                     " holds NUL characters, which are shown here as blanks.\nThe window is "
                                     "read-only and cannot be saved, so the file stays as it is.",
                                 kProgramName, mb::kOk | mb::kIconInformation, viewer_.host().MainWindow());
  }
  SendMessageA(hwnd_, EM_SETMODIFY, FALSE, 0);
  return ok;
}

bool TEditFile::WriteTo(const std::string& path) {
  // Written beside the file and swapped in only when whole: a save that fails (a full
  // disk) leaves the file as it was.
  if (!WriteFileReplacing(path, Text())) {
    viewer_.host().Prompts().Ask("Unable to write file " + path + " to disk.", kProgramName,
                                 mb::kOk | mb::kIconExclamation, viewer_.host().MainWindow());
    return false;
  }
  return true;
}

void TEditFile::SetFileName(std::string fileName) {
  fileName_ = std::move(fileName);
  UpdateCaption(GetParent(hwnd_));
}

bool TEditFile::CanClose() {
  if (!Modified()) return true;
  std::string question = "The text in the " + DocumentName() + " file has changed.\n\nSave changes?";
  int answer = viewer_.host().Prompts().Ask(question, kProgramName, mb::kYesNoCancel | mb::kIconQuestion,
                                            viewer_.host().MainWindow());
  if (answer == id::kYes) return Save();
  return answer == id::kNo;
}

bool TEditFile::Save() {
  // An unchanged document is what its file holds: nothing to write.
  if (!Modified() || ReadOnly()) return true;
  if (fileName_.empty()) return SaveAs();
  if (!WriteTo(fileName_)) return false;
  SendMessageA(hwnd_, EM_SETMODIFY, FALSE, 0);
  return true;
}

bool TEditFile::SaveAs() {
  if (ReadOnly()) return false;
  // The shared flags insist on an existing file, which would forbid saving under a
  // new name; Save As keeps every other flag.
  std::optional<std::string> chosen =
      ChooseFileToSave(FileNameRequest{viewer_.host().MainWindow(), data_.filter,
                                       data_.initialDir, fileName_, "", data_.flags & ~static_cast<DWORD>(OFN_FILEMUSTEXIST)});
  if (!chosen) return false;
  if (!WriteTo(*chosen)) return false;
  SendMessageA(hwnd_, EM_SETMODIFY, FALSE, 0);
  SetFileName(*chosen);
  data_.fileName = fileName_;
  return true;
}

void TEditFile::Print() {
  Host& host = viewer_.host();
  AppState& state = host.State();
  std::string work = PrintWorkFile(TempDirectory());
  // The work file is a copy for the printer, not a save: the text stays as modified as
  // it was, so closing still asks about unsaved changes.
  if (!WriteTo(work)) return;
  std::vector<std::string> commands = PrintCommandLines(FileExists(kAccessoriesWordPad), work);

  // Printing cannot be cancelled: the dialog has no Cancel.
  auto dialog = std::make_unique<ProgressDialog>(host.MainWindow(), "Please Wait...", state, ProgressCancel::Hidden);
  dialog->Create();
  dialog->SetDetailText("Printing document");

  ChildProcess printer;
  bool started = false;
  for (const std::string& command : commands) {
    if (printer.Start(command, SW_HIDE)) {
      started = true;
      break;
    }
  }
  if (!started) {
    host.Prompts().Ask("Unable to launch Wordpad or Notepad to print document", "Error", mb::kOk,
                       host.MainWindow());
  } else {
    // Wait for the print program, letting the messages through; sleep until either a
    // message arrives or the program ends rather than spinning.
    while (printer.Running()) {
      host.PumpMessages();
      HANDLE process = printer.handle();
      MsgWaitForMultipleObjects(1, &process, FALSE, 250, QS_ALLINPUT);
    }
  }
  dialog->Destroy();
  dialog.reset();
  DeleteLeftover(work);
}

bool TEditFile::CommandEnabled(int id) const {
  if (!hwnd_) return false;
  if (ReadOnly() && ChangesText(id)) return false;
  DWORD start = 0, end = 0;
  SendMessageA(hwnd_, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  switch (id) {
    case CM_FILESAVE:
      return Modified();
    case CM_EDITUNDO:
      return SendMessageA(hwnd_, EM_CANUNDO, 0, 0) != 0;
    case CM_EDITCUT:
    case CM_EDITCOPY:
    case CM_EDITDELETE:
      return start != end;
    case CM_EDITPASTE:
      return IsClipboardFormatAvailable(CF_TEXT) != 0;
    case CM_EDITCLEAR:
      return GetWindowTextLengthA(hwnd_) > 0;
    default:
      return true;
  }
}

bool TEditFile::OnCommand(int id) {
  if (ReadOnly() && ChangesText(id)) return true;  // nothing to do in a read-only window
  switch (id) {
    case CM_FILESAVE:
      Save();
      return true;
    case CM_FILESAVEAS:
      SaveAs();
      return true;
    case CM_FILEPRINT:
      Print();
      return true;
    case CM_EDITUNDO:
      SendMessageA(hwnd_, EM_UNDO, 0, 0);
      return true;
    case CM_EDITCUT:
      SendMessageA(hwnd_, WM_CUT, 0, 0);
      return true;
    case CM_EDITCOPY:
      SendMessageA(hwnd_, WM_COPY, 0, 0);
      return true;
    case CM_EDITPASTE:
      SendMessageA(hwnd_, WM_PASTE, 0, 0);
      return true;
    case CM_EDITDELETE:
      SendMessageA(hwnd_, WM_CLEAR, 0, 0);
      return true;
    case CM_EDITCLEAR:
      SendMessageA(hwnd_, EM_SETSEL, 0, -1);
      SendMessageA(hwnd_, WM_CLEAR, 0, 0);
      return true;
    case CM_EDITFIND:
      viewer_.StartFind(hwnd_, false);
      return true;
    case CM_EDITREPLACE:
      viewer_.StartFind(hwnd_, true);
      return true;
    case CM_EDITFINDNEXT:
      if (!viewer_.FindNext(hwnd_)) viewer_.StartFind(hwnd_, false);
      return true;
    default:
      return false;
  }
}

}  // namespace tessary
