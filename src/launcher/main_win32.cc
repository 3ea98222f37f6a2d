// The Windows entry point: a GUI-subsystem program with no window of its own.
#include <windows.h>

#include <cstdlib>  // __argc, __wargv

#include "launcher/launcher.h"
#include "platform/platform_win32.h"
#include "platform/win32_support.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  kite::restrictDllSearch();
  // The C runtime has already split the command line by its standard rules.
  kite::LaunchSettings settings;
  kite::Win32Platform platform;
  return kite::runLauncher(kite::utf8Arguments(__argc, __wargv, 0), settings,
                           platform);
}
