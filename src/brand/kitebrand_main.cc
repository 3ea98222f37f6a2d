// kitebrand: puts an application's own icon, name and version on its copy
// of the Kite launcher.
//
//   kitebrand --from kite32.exe --out MyApp.exe [--icon app.ico]
//             [--name "My App"] [--version 2.3.1] [--company ...]
//             [--description ...] [--copyright ...] [--elevate]
//             [--config MyApp.config]
//
// Exit code 0 when the branded copy was written, 2 when nothing was.
#include <string>
#include <vector>

#include "brand/kitebrand_tool.h"

#ifdef _WIN32
#include "platform/platform_win32.h"
#include "platform/win32_support.h"

int wmain(int argc, wchar_t** argv) {
  kite::restrictDllSearch();
  const std::vector<std::string> args = kite::utf8Arguments(argc, argv, 1);
  kite::Win32Platform platform;
  return kite::runKitebrand(args, platform, /*hostPaths=*/false);
}
#else
#include "platform/platform_posix.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  kite::PosixPlatform platform;
  return kite::runKitebrand(args, platform, /*hostPaths=*/true);
}
#endif
