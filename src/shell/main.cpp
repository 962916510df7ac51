// Program entry: honours (and removes) a start request of the Sentinox companion,
// then runs the application. This is the shipped program: no test hooks.
#include <windows.h>

#include "shell/tessary_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int showCommand) { return tessary::RunTessary(showCommand); }
