// The Windows entry point: a GUI-subsystem program with no window of its own.
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "launcher/launcher.h"
#include "platform/platform_win32.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  kite::restrictDllSearch();
  // The C runtime has already split the command line by the standard rules.
  std::vector<std::string> argv;
  for (int i = 0; i < __argc; ++i)
    argv.emplace_back(__argv[i] ? __argv[i] : "");
  kite::LaunchSettings settings;
  kite::Win32Platform platform;
  return kite::runLauncher(argv, settings, platform);
}
