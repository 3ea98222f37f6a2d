// The Windows entry point: a GUI-subsystem program with no window of its own.
#include <windows.h>

#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

#include "launcher/launcher.h"
#include "platform/platform_win32.h"
#include "platform/win32_support.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int) {
  kite::restrictDllSearch();
  // The C runtime has already split the command line by its standard rules;
  // the wide arguments carry every character, whatever the code page.
  std::vector<std::string> argv;
  for (int i = 0; i < __argc; ++i)
    argv.push_back(__wargv[i]
                       ? kite::fromWide(__wargv[i], std::wcslen(__wargv[i]))
                       : std::string());
  kite::LaunchSettings settings;
  kite::Win32Platform platform;
  return kite::runLauncher(argv, settings, platform);
}
