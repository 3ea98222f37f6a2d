// The Windows entry point: a GUI-subsystem program with no window of its own.
#include <windows.h>

#include <cstdlib>  // __argc, __wargv

#include "launcher/app_process.h"
#include "launcher/launcher.h"
#include "platform/platform_win32.h"
#include "platform/win32_support.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  kite::Win32Platform platform;
  // A copy started by the launcher to run the runtime (appProcess): the
  // DLL search stays Windows' own, as java.exe has it, with the runtime's
  // folder added.
  kite::HostRequest host;
  if (platform.takeHostRequest(&host))
    return kite::hostRuntime(host, {}, platform);
  kite::restrictDllSearch();
  // The C runtime has already split the command line by its standard rules.
  kite::LaunchSettings settings;
  return kite::runLauncher(kite::utf8Arguments(__argc, __wargv, 0), settings,
                           platform);
}
