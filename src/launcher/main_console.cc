// The entry point of the console variant (kitec32.exe, kitec64.exe): a
// console-subsystem program.  The application it starts shares its console
// and its standard input, output and error, and its exit code becomes the
// launcher's; the launcher shows no message box (launcher.h).
#include <windows.h>

#include <cstdlib>

#include "launcher/app_process.h"
#include "launcher/launcher.h"
#include "platform/platform_win32.h"
#include "platform/win32_support.h"

int wmain(int argc, wchar_t** argv) {
  kite::Win32Platform platform;
  // A copy started by the launcher to run the runtime (appProcess): Ctrl+C
  // and Ctrl+Break are the application's, as under java.exe.
  kite::HostRequest host;
  if (platform.takeHostRequest(&host))
    return kite::hostRuntime(host, {}, platform);
  kite::restrictDllSearch();
  // Ctrl+C and Ctrl+Break reach every program on the console: the
  // application decides what they mean, and the launcher waits for it.
  kite::surviveConsoleInterrupts();
  kite::LaunchSettings settings;
  settings.console = true;
  return kite::runLauncher(kite::utf8Arguments(argc, argv, 0), settings,
                           platform);
}
