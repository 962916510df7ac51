#include "app/tessary_app.h"

#include <commctrl.h>

#include "app/commands.h"
#include "app/startup.h"
#include "app/startup_logic.h"
#include "platform/files.h"
#include "resources/ids.h"

namespace tessary {

namespace {

constexpr char kFrameClass[] = "tessaryFrame";
constexpr char kAppName[] = "Tessary";

// Until the progress dialog exists, long operations only keep the window alive.
class PumpOnlyProgress : public Progress {
 public:
  explicit PumpOnlyProgress(Host& host) : host_(host) {}
  void SetMainText(const std::string&) override {}
  void SetDetailText(const std::string&) override {}
  void Pump() override { host_.PumpMessages(); }
  bool Cancelled() override { return false; }

 private:
  Host& host_;
};

class PumpOnlyProgressFactory : public ProgressFactory {
 public:
  explicit PumpOnlyProgressFactory(Host& host) : host_(host) {}
  std::unique_ptr<Progress> Open(const std::string&) override { return std::make_unique<PumpOnlyProgress>(host_); }

 private:
  Host& host_;
};

}  // namespace

TessaryApp::TessaryApp(bool sentinoxPass) {
  state_.RunMode = sentinoxPass ? RunMode::Sentinox : RunMode::Interactive;
  state_.SentinoxPass = sentinoxPass;
  progress_ = std::make_unique<PumpOnlyProgressFactory>(*this);
}

TessaryApp::~TessaryApp() = default;

int TessaryApp::Run(int showCommand) {
  if (!InitMainWindow(showCommand)) return 1;
  MSG msg;
  for (;;) {
    // Idle processing runs once the queue is empty, then waits for the next message.
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) IdleStep(*this);
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1) break;
    if (client_ && TranslateMDISysAccel(client_, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
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

  WNDCLASSEXA wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = FrameProc;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.hIcon = LoadIconA(wc.hInstance, MAKEINTRESOURCEA(IDI_TESSARY));
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_APPWORKSPACE + 1);
  wc.lpszClassName = kFrameClass;
  RegisterClassExA(&wc);
  frame_ = CreateWindowExA(0, kFrameClass, kAppName, WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT,
                           CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, wc.hInstance, this);
  if (!frame_) return false;

  state_.LastBackupText = LastBackupQuery(state_.BackupDirectory);
  OfferFirstBackup(*this);
  SetStatusText(LastBackupLabel(state_.LastBackupText, state_.BackupDirectory));
  RunSentinoxPass(*this);

  ShowWindow(frame_, show);
  UpdateWindow(frame_);
  return true;
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

LRESULT TessaryApp::OnFrameMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      CLIENTCREATESTRUCT ccs{};
      ccs.idFirstChild = 0xFF00;
      client_ = CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                                WS_CHILD | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | WS_VISIBLE, 0, 0, 0, 0, frame_,
                                nullptr, GetModuleHandleA(nullptr), &ccs);
      status_ = CreateWindowExA(0, STATUSCLASSNAMEA, "", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, frame_, nullptr,
                                GetModuleHandleA(nullptr), nullptr);
      return 0;
    }
    case WM_SIZE: {
      if (status_) SendMessageA(status_, WM_SIZE, 0, 0);
      RECT sr{};
      if (status_) GetWindowRect(status_, &sr);
      int statusHeight = sr.bottom - sr.top;
      if (client_)
        MoveWindow(client_, 0, 0, LOWORD(lParam), HIWORD(lParam) > statusHeight ? HIWORD(lParam) - statusHeight : 0,
                   TRUE);
      return 0;
    }
    case WM_COMMAND:
      RunCommand(LOWORD(wParam));
      return 0;
    case WM_CLOSE:
      if (!CanClose()) return 0;
      DestroyWindow(frame_);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefFrameProcA(frame_, client_, message, wParam, lParam);
}

bool TessaryApp::CanClose() {
  if (helpUsed_) help_.Call(frame_, HelpRequest{HELP_QUIT, 0, {}});
  return true;
}

void TessaryApp::PumpMessages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // Leave the quit to the main loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

void TessaryApp::SetStatusText(const std::string& text) {
  if (status_) SendMessageA(status_, SB_SETTEXTA, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void TessaryApp::RefreshLastBackup() {
  state_.LastBackupText = LastBackupQuery(state_.BackupDirectory);
  SetStatusText(LastBackupLabel(state_.LastBackupText, state_.BackupDirectory));
}

void TessaryApp::OpenInViewer(const std::string&) {}

void TessaryApp::RunCommand(int commandId) {
  switch (commandId) {
    case CM_BACKUP:
      BackupCommand(*this);
      break;
    case CM_EXPRESS:
      ExpressCommand(*this);
      break;
    case CM_COMPARE:
      CompareCommand(*this);
      break;
    case CM_UNINSTALL:
      UninstallCommand(*this);
      break;
    case CM_VIEWCOMPARE:
      ViewCompareFilesCommand(*this);
      break;
    case CM_OPTIONS:
      OptionsCommand(*this);
      RefreshLastBackup();
      break;
    case CM_EXIT:
      PostMessageA(frame_, WM_CLOSE, 0, 0);
      break;
    default:
      break;
  }
}

void TessaryApp::ContinueExpress() { ExpressSequence(*this); }

void TessaryApp::PruneSentinoxReports() { tessary::PruneSentinoxReports(*this); }

}  // namespace tessary
