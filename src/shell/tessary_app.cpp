#include "shell/tessary_app.h"

#include <commctrl.h>
#include <winspool.h>

#include "shell/about_dlg.h"
#include "core/commands.h"
#include "shell/progress_dialog.h"
#include "core/startup.h"
#include "core/startup_logic.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "resources/ids.h"

namespace tessary {

namespace {

constexpr char kFrameClass[] = "tessaryApp";
// Command ids from here up are the MDI frame's own: the system commands of a maximised
// child (its buttons in the menu bar) and the Window menu's list of children (from
// 0xFF00, "More Windows..." included).
constexpr int kFirstFrameCommand = 0xF000;

struct ToolButton {
  int command;
  int smallBitmap;
};
// Zero marks a separator.
constexpr ToolButton kToolBar[] = {
    {CM_EXIT, IDB_EXIT},         {0, 0},
    {CM_FILENEW, IDB_NEW},       {CM_FILEOPEN, IDB_OPEN},
    {CM_FILESAVE, IDB_SAVE},     {0, 0},
    {CM_BACKUP, IDB_BACKUP},     {CM_EXPRESS, IDB_EXPRESS},
    {CM_COMPARE, IDB_COMPARE},   {CM_UNINSTALL, IDB_UNINSTALL},
    {CM_VIEWCOMPARE, IDB_VIEWCOMPARE}, {0, 0},
    {CM_EDITCUT, IDB_CUT},       {CM_EDITCOPY, IDB_COPY},
    {CM_EDITPASTE, IDB_PASTE},   {0, 0},
    {CM_EDITUNDO, IDB_UNDO},     {0, 0},
    {CM_EDITFIND, IDB_FIND},     {CM_EDITFINDNEXT, IDB_FINDNEXT},
    {0, 0},                      {CM_FILEPRINT, IDB_PRINT},
    {0, 0},                      {CM_OPTIONS, IDB_OPTIONS},
    {0, 0},                      {CM_HELPCONTENTS, IDB_HELP},
};
constexpr int kSeparatorWidth = 6;

// Commands that need an active editor (greyed otherwise).
bool IsEditorCommand(int id) {
  switch (id) {
    case CM_FILESAVE:
    case CM_FILESAVEAS:
    case CM_EDITUNDO:
    case CM_EDITCUT:
    case CM_EDITCOPY:
    case CM_EDITPASTE:
    case CM_EDITDELETE:
    case CM_EDITCLEAR:
    case CM_EDITFIND:
    case CM_EDITREPLACE:
    case CM_EDITFINDNEXT:
      return true;
    default:
      return false;
  }
}

}  // namespace

PrinterObject::PrinterObject() {
  DWORD size = 0;
  GetDefaultPrinterA(nullptr, &size);
  error_ = size == 0;
}

TessaryApp::TessaryApp(bool sentinoxPass, TestHooks hooks)
    : help_(hooks.help ? std::move(hooks.help) : std::make_unique<WinHelpEngine>()),
      onCommand_(std::move(hooks.onCommand)),
      contextHelp_([this](const HelpRequest& request) { return CallHelp(request); }),
      find_(prompter_, [this]() -> HWND {
        TEditFile* active = client_ ? client_->ActiveEditor() : nullptr;
        return active ? active->hwnd() : nullptr;
      }) {
  state_.RunMode = sentinoxPass ? RunMode::Sentinox : RunMode::Interactive;
  state_.SentinoxPass = sentinoxPass;
  progress_ = std::make_unique<DialogProgressFactory>(*this);
}

TessaryApp::~TessaryApp() {
  // The window goes first: its tool bar and status bar use the pictures and the font,
  // which their owners release after this.
  if (frame_ && IsWindow(frame_)) DestroyWindow(frame_);
}

int TessaryApp::Run(int showCommand) {
  if (!InitMainWindow(showCommand)) return 1;
  MSG msg{};
  for (;;) {
    // Idle processing runs once the queue is empty, then waits for the next message.
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
      IdleStep(*this, idle_);
      UpdateToolBar();
    }
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    Dispatch(msg);
  }
  return static_cast<int>(msg.wParam);
}

void TessaryApp::Dispatch(MSG& msg) {
  if (find_.dialog() && IsDialogMessageA(find_.dialog(), &msg)) return;
  if (contextHelp_.PreProcess(msg)) return;
  if (client_ && TranslateMDISysAccel(client_->hwnd(), &msg)) return;
  if (frame_ && accelerators_ && TranslateAcceleratorA(frame_, accelerators_, &msg)) return;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
}

void TessaryApp::PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Leave the quit to the main loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    Dispatch(msg);
  }
}

bool TessaryApp::InitMainWindow(int showCommand) {
  INITCOMMONCONTROLSEX icc{};
  icc.dwSize = sizeof icc;
  icc.dwICC = ICC_BAR_CLASSES;
  InitCommonControlsEx(&icc);
  LoadStartupState(state_, WindowsDirectory(), CurrentDirectory());
  Settings settings = AppSettings();
  int show = ChooseShowCommand(showCommand, settings.Read(settings::kShowMax), state_.RunMode == RunMode::Sentinox,
                               settings.Read(settings::kAutoOpenSNC));

  HINSTANCE instance = GetModuleHandleA(nullptr);
  if (!TMDIClient::RegisterClasses(instance)) return false;
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = FrameProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_TESSARY));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
  wc.lpszClassName = kFrameClass;
  RegisterClassExA(&wc);
  accelerators_ = LoadAcceleratorsA(instance, MAKEINTRESOURCEA(IDA_MAIN));
  HMENU menu = BuildMenu();
  frame_ = CreateWindowExA(0, kFrameClass, kProgramName, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                           CW_USEDEFAULT, 640, 480, nullptr, menu, instance, this);
  if (!frame_) return false;
  find_.SetOwner(frame_);
  BuildToolBar(settings.IsYes(settings::kLargeIcon));
  BuildStatusBar();
  RECT rc{};
  GetClientRect(frame_, &rc);
  LayoutFrame(rc.right, rc.bottom);

  state_.LastBackupText = LastBackupQuery(state_.BackupDirectory);
  OfferFirstBackup(*this);
  statusLabel_ = LastBackupLabel(state_.LastBackupText, state_.BackupDirectory);
  RestoreStatusLabel();
  RunSentinoxPass(*this);

  ShowWindow(frame_, show);
  UpdateWindow(frame_);
  return true;
}

HMENU TessaryApp::BuildMenu() {
  HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDM_MAIN));
  if (!menu) return nullptr;
  // The separators between the popups only mark the menu groups; the bar shows none.
  for (int i = GetMenuItemCount(menu) - 1; i >= 0; --i) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE;
    if (GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info) && (info.fType & MFT_SEPARATOR))
      DeleteMenu(menu, static_cast<UINT>(i), MF_BYPOSITION);
  }
  return menu;
}

void TessaryApp::BuildToolBar(bool large) {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  toolbar_ = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr,
                             WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TBSTYLE_FLAT | CCS_TOP | CCS_NODIVIDER, 0, 0, 0,
                             0, frame_, nullptr, instance, nullptr);
  if (!toolbar_) return;
  SendMessageA(toolbar_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  int size = large ? 32 : 16;
  SendMessageA(toolbar_, TB_SETBITMAPSIZE, 0, MAKELPARAM(size, size));
  SendMessageA(toolbar_, TB_SETBUTTONSIZE, 0, MAKELPARAM(size + 8, size + 7));
  // The light grey of the drawings is the transparent colour, so that a disabled
  // button shows the embossed outline of its picture.
  images_.Reset(ImageList_Create(size, size, ILC_COLOR24 | ILC_MASK, 20, 0));
  if (images_) SendMessageA(toolbar_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_.get()));
  std::vector<TBBUTTON> buttons;
  for (const ToolButton& b : kToolBar) {
    TBBUTTON button{};
    if (b.command == 0) {
      button.iBitmap = kSeparatorWidth;
      button.fsStyle = TBSTYLE_SEP;
    } else {
      int resource = large ? b.command : b.smallBitmap;
      const GdiObject<HBITMAP> bitmap(static_cast<HBITMAP>(
          LoadImageA(instance, MAKEINTRESOURCEA(resource), IMAGE_BITMAP, size, size, LR_CREATEDIBSECTION)));
      button.iBitmap =
          images_ && bitmap ? ImageList_AddMasked(images_.get(), bitmap.get(), RGB(192, 192, 192)) : -1;
      button.idCommand = b.command;
      button.fsState = IsEditorCommand(b.command) || b.command == CM_FILEPRINT ? 0 : TBSTATE_ENABLED;
      button.fsStyle = TBSTYLE_BUTTON;
    }
    buttons.push_back(button);
  }
  SendMessageA(toolbar_, TB_ADDBUTTONSA, buttons.size(), reinterpret_cast<LPARAM>(buttons.data()));
  SendMessageA(toolbar_, TB_AUTOSIZE, 0, 0);
}

void TessaryApp::BuildStatusBar() {
  status_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0, frame_,
                            nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!status_) return;
  const int height = -MulDiv(10, GetDeviceCaps(WindowDc(frame_).get(), LOGPIXELSY), 72);
  gadgetFont_.Reset(CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, "MS Sans Serif"));
  if (gadgetFont_) SendMessageA(status_, WM_SETFONT, reinterpret_cast<WPARAM>(gadgetFont_.get()), FALSE);
  // One embossed part across the bar.
  int parts[1] = {-1};
  SendMessageA(status_, SB_SETPARTS, 1, reinterpret_cast<LPARAM>(parts));
}

void TessaryApp::LayoutFrame(int width, int height) {
  int top = 0, bottom = height;
  if (toolbar_) {
    SendMessageA(toolbar_, TB_AUTOSIZE, 0, 0);
    RECT r{};
    GetWindowRect(toolbar_, &r);
    top = r.bottom - r.top;
  }
  if (status_) {
    SendMessageA(status_, WM_SIZE, 0, 0);
    RECT r{};
    GetWindowRect(status_, &r);
    bottom -= r.bottom - r.top;
  }
  if (client_) MoveWindow(client_->hwnd(), 0, top, width, bottom > top ? bottom - top : 0, TRUE);
}

void TessaryApp::SetStatusText(const std::string& text) {
  if (status_) SendMessageA(status_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TessaryApp::ShowHint(int id) {
  char hint[256] = {};
  if (id == 0 || !LoadStringA(GetModuleHandleA(nullptr), static_cast<UINT>(id), hint, sizeof hint)) hint[0] = '\0';
  SetStatusText(hint);
}

void TessaryApp::RefreshLastBackup() {
  state_.LastBackupText = LastBackupQuery(state_.BackupDirectory);
  statusLabel_ = LastBackupLabel(state_.LastBackupText, state_.BackupDirectory);
  RestoreStatusLabel();
}

bool TessaryApp::PrintAvailable() {
  if (!client_ || !client_->ActiveChild()) return false;
  if (!printer_) printer_ = std::make_unique<PrinterObject>();
  return !printer_->Error();
}

bool TessaryApp::CommandEnabled(int id) {
  if (id == CM_FILEPRINT) return PrintAvailable();
  if (!IsEditorCommand(id)) return true;
  TEditFile* editor = client_ ? client_->ActiveEditor() : nullptr;
  return editor && editor->CommandEnabled(id);
}

void TessaryApp::UpdateToolBar() {
  if (!toolbar_) return;
  for (const ToolButton& b : kToolBar) {
    if (b.command == 0) continue;
    if (!IsEditorCommand(b.command) && b.command != CM_FILEPRINT) continue;
    SendMessageA(toolbar_, TB_ENABLEBUTTON, b.command, MAKELPARAM(CommandEnabled(b.command) ? TRUE : FALSE, 0));
  }
}

void TessaryApp::UpdateMenu(HMENU popup) {
  for (int i = 0, n = GetMenuItemCount(popup); i < n; ++i) {
    UINT id = GetMenuItemID(popup, i);
    if (id == static_cast<UINT>(-1) || id == 0) continue;
    if (!IsEditorCommand(static_cast<int>(id)) && id != CM_FILEPRINT) continue;
    EnableMenuItem(popup, id, MF_BYCOMMAND | (CommandEnabled(static_cast<int>(id)) ? MF_ENABLED : MF_GRAYED));
  }
}

LRESULT CALLBACK TessaryApp::FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  TessaryApp* self = nullptr;
  if (message == WM_NCCREATE) {
    self = static_cast<TessaryApp*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
    self->frame_ = hwnd;
    SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<TessaryApp*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefFrameProcA(hwnd, nullptr, message, wParam, lParam);
  return self->OnFrameMessage(message, wParam, lParam);
}

LRESULT TessaryApp::DefaultFrame(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefFrameProcA(frame_, client_ ? client_->hwnd() : nullptr, message, wParam, lParam);
}

LRESULT TessaryApp::OnFrameMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (find_.IsFindMessage(message)) {
    find_.OnFindMessage(*reinterpret_cast<FINDREPLACEA*>(lParam));
    return 0;
  }
  switch (message) {
    case WM_CREATE:
      return OnCreate();
    case WM_SIZE:
      LayoutFrame(LOWORD(lParam), HIWORD(lParam));
      return 0;
    case WM_SETCURSOR:
      if (ShowHelpCursor()) return TRUE;
      break;
    case WM_INITMENU:
      ShowHelpCursor();  // opening a menu in help mode keeps the help cursor
      break;
    case WM_INITMENUPOPUP:
      if (!HIWORD(lParam)) UpdateMenu(reinterpret_cast<HMENU>(wParam));
      break;
    case WM_MENUSELECT:
      OnMenuSelect(wParam, lParam);
      break;
    case WM_EXITMENULOOP:
      RestoreStatusLabel();
      break;
    case WM_HELP:
      if (OnMenuItemHelp(*reinterpret_cast<HELPINFO*>(lParam))) return TRUE;
      break;
    case WM_ENTERIDLE:
      if (wParam == MSGF_MENU) contextHelp_.OnMenuIdle(reinterpret_cast<HWND>(lParam));
      break;
    case WM_NOTIFY:
      OnNotify(*reinterpret_cast<NMHDR*>(lParam));
      break;
    case WM_COMMAND:
      OnCommand(LOWORD(wParam));
      return 0;
    case WM_CLOSE:
      OnClose();
      return 0;
    case WM_QUERYENDSESSION:
      // The system asks the top-level windows only: the frame answers for its
      // documents with the check that closing the main window runs.
      return CanClose() ? TRUE : FALSE;
    case WM_ENDSESSION:
      if (wParam) QuitHelp();
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefaultFrame(message, wParam, lParam);
}

LRESULT TessaryApp::OnCreate() {
  HMENU menu = GetMenu(frame_);
  int count = menu ? GetMenuItemCount(menu) : 0;
  // The Window popup lists the children; it is the one before Help.
  HMENU windowMenu = count >= 2 ? GetSubMenu(menu, count - 2) : nullptr;
  client_ = std::make_unique<TMDIClient>(*this, frame_, windowMenu);
  return client_->hwnd() ? 0 : -1;
}

bool TessaryApp::ShowHelpCursor() {
  if (!contextHelp_.InHelpMode()) return false;
  SetCursor(LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDC_HELPCURSOR)));
  return true;
}

void TessaryApp::OnMenuSelect(WPARAM wParam, LPARAM lParam) {
  UINT flags = HIWORD(wParam);
  if (flags == 0xFFFF && lParam == 0) {
    RestoreStatusLabel();
  } else if (flags & MF_POPUP) {
    // The Edit and Help popups have hints of their own.
    HMENU sub = GetSubMenu(reinterpret_cast<HMENU>(lParam), LOWORD(wParam));
    int first = sub && GetMenuItemCount(sub) > 0 ? static_cast<int>(GetMenuItemID(sub, 0)) : 0;
    ShowHint(first == CM_EDITUNDO ? IDS_EDITGROUP : first == CM_HELPCONTENTS ? IDS_HELP : 0);
  } else if (flags & MF_SEPARATOR) {
    ShowHint(0);
  } else {
    ShowHint(LOWORD(wParam));
  }
}

bool TessaryApp::OnMenuItemHelp(const HELPINFO& info) {
  if (info.iContextType != HELPINFO_MENUITEM) return false;
  // The open popup of this thread takes the Enter; the menu loop reads it.
  HWND popup = nullptr;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND hwnd, LPARAM lp) -> BOOL {
        char cls[16] = {};
        GetClassNameA(hwnd, cls, sizeof cls);
        if (std::string(cls) != "#32768" || !IsWindowVisible(hwnd)) return TRUE;
        *reinterpret_cast<HWND*>(lp) = hwnd;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&popup));
  // Wine's menu loop leaves the F1 key in the queue and would report it again and
  // again; take it out so that the Enter comes next.
  MSG pending;
  if (PeekMessageA(&pending, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_NOREMOVE) && pending.wParam == VK_F1)
    PeekMessageA(&pending, nullptr, WM_KEYDOWN, WM_KEYDOWN, PM_REMOVE);
  contextHelp_.OnMenuHelp(popup ? popup : frame_);
  return true;
}

void TessaryApp::OnNotify(const NMHDR& header) {
  if (header.hwndFrom != toolbar_ || header.code != TBN_HOTITEMCHANGE) return;
  const auto& hot = reinterpret_cast<const NMTBHOTITEM&>(header);
  if (hot.dwFlags & HICF_LEAVING) {
    RestoreStatusLabel();
  } else {
    ShowHint(hot.idNew);
  }
}

void TessaryApp::OnCommand(int id) {
  // A command while in help mode (or with F1 held) opens its help topic instead.
  if (contextHelp_.InterceptCommand(id)) return;
  RunCommand(static_cast<Command>(id));
}

void TessaryApp::OnClose() {
  if (!CanClose()) return;
  QuitHelp();
  DestroyWindow(frame_);
}

bool TessaryApp::CanClose() { return !client_ || client_->CanCloseAll(); }

void TessaryApp::QuitHelp() {
  if (helpUsed_) help_->Call(frame_, HelpRequest{HELP_QUIT, 0, {}});
}

int TessaryApp::CallHelp(const HelpRequest& request) { return help_->Call(frame_, request); }

void TessaryApp::HelpMenuCommand(unsigned command) {
  int result = CallHelp(HelpRequest{command, 0, {}});
  // The help-used mark belongs to the Help menu's Contents and Using help: once one of
  // them has succeeded the help file is closed when the program ends (a later failed
  // call does not clear the mark). F1, context help and the dialogs' HELP buttons
  // leave it alone.
  if (result) helpUsed_ = result;
}

void TessaryApp::RunProgram(const char* program, const char* failure, const char* caption) {
  if (StartProgram(program, SW_SHOWNORMAL) < 32) prompter_.Ask(failure, caption, mb::kOk, frame_);
}

void TessaryApp::OpenInViewer(const std::string& path) {
  if (client_) client_->OpenInViewer(path);
}

void TessaryApp::RunCommand(Command command) {
  const int commandId = static_cast<int>(command);
  if (onCommand_) onCommand_(commandId);
  switch (command) {
    case Command::Backup:
      BackupCommand(*this);
      break;
    case Command::Express:
      ExpressCommand(*this);
      break;
    case Command::Compare:
      CompareCommand(*this);
      break;
    case Command::Uninstall:
      if (UninstallCommand(*this) == UninstallEnd::Restart) idle_.restartUninstall = true;
      break;
    case Command::ViewCompareFiles:
      ViewCompareFilesCommand(*this);
      break;
    case Command::Options:
      OptionsCommand(*this);
      RefreshLastBackup();
      break;
    case Command::RunRegedit:
      RunProgram("regedit.exe", "Unable to load Regedit.exe.", "Program load error.");
      break;
    case Command::RunSysedit:
      RunProgram("sysedit.exe", "Unable to load SYSEDIT.EXE.\n Ensure this file has not been deleted.", "sysedit.exe");
      break;
    case Command::HelpContents:
      HelpMenuCommand(HELP_INDEX);
      break;
    case Command::HelpUsing:
      HelpMenuCommand(HELP_HELPONHELP);
      break;
    case Command::HelpAbout:
      TAboutDlg(frame_).RunModal();
      break;
    case Command::Exit:
      PostMessageA(frame_, WM_CLOSE, 0, 0);
      break;
    case Command::FilePrint:
      // Print is the active editor's; without one there is nothing to print.
      if (client_)
        if (HWND child = client_->ActiveChild()) SendMessageA(child, WM_COMMAND, CM_FILEPRINT, 0);
      break;
    default:
      // Window-list entries and the system commands of a maximised child go to the
      // frame's default handling, which activates the chosen child (or offers them
      // all) and passes the system command on.
      if (commandId >= kFirstFrameCommand) {
        DefaultFrame(WM_COMMAND, static_cast<WPARAM>(commandId), 0);
        break;
      }
      if (client_ && client_->OnCommand(commandId)) break;
      if (client_)
        if (HWND child = client_->ActiveChild()) SendMessageA(child, WM_COMMAND, static_cast<WPARAM>(commandId), 0);
      break;
  }
}

void TessaryApp::ContinueExpress() { ExpressSequence(*this); }

void TessaryApp::PruneSentinoxReports() { tessary::PruneSentinoxReports(*this); }

int RunTessary(int showCommand, TestHooks hooks) {
  const bool sentinoxPass = TakeStartRequest(SettingsPathFor(WindowsDirectory()));
  TessaryApp app(sentinoxPass, std::move(hooks));
  return app.Run(showCommand);
}

}  // namespace tessary
