// kitecheck: reads a Kite configuration with the launcher's own code and
// prints what the launcher would do with it and everything that looks wrong.
//
//   kitecheck [--json] [--exe PATH_OF_THE_LAUNCHER] [CONFIG]
//             [-- APPLICATION ARGUMENTS...]
//
// Exit code 0 when nothing is wrong, 1 when there are only warnings, 2 when
// there are errors (or the command line cannot be understood).
#include <string>
#include <vector>

#include "check/kitecheck_tool.h"

#ifdef _WIN32
#include "platform/platform_win32.h"
#include "platform/win32_support.h"

int wmain(int argc, wchar_t** argv) {
  kite::restrictDllSearch();
  const std::vector<std::string> args = kite::utf8Arguments(argc, argv, 1);
  kite::Win32Platform platform;
  return kite::runKitecheck(args, platform, /*hostPaths=*/false,
                            /*registry=*/true);
}
#else
#include "platform/platform_posix.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  kite::PosixPlatform platform;
  // No registry here: the runtime search is reported as not available.
  return kite::runKitecheck(args, platform, /*hostPaths=*/true,
                            /*registry=*/false);
}
#endif
