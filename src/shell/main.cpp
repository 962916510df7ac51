// Program entry: honours (and removes) a start request of the Sentinox companion,
// then runs the application.
#include <windows.h>

#include "core/startup.h"
#include "shell/tessary_app.h"
#include "platform/files.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) {
  using namespace tessary;
  bool sentinoxPass = TakeStartRequest(SettingsPathFor(WindowsDirectory()));
  TessaryApp app(sentinoxPass);
  return app.Run(showCommand);
}
