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
#include <cstdio>
#include <cstdlib>

#include "platform/platform_posix.h"

// Takes "--code-page N" (or "--code-page=N") out of `args`: the ANSI code
// page of the Windows machine the configuration is meant for, which a
// Linux host cannot know (kitecheck.exe uses its own machine's).  Returns
// 1252, the code page of Western Windows, when it is not given, and 0 when
// its value is no code page this host can convert.
unsigned takeCodePage(std::vector<std::string>& args) {
  unsigned codePage = 1252;
  for (size_t i = 0; i < args.size(); ++i) {
    std::string value;
    if (args[i] == "--") break;
    if (args[i] == "--code-page" && i + 1 < args.size()) {
      value = args[i + 1];
      args.erase(args.begin() + static_cast<long>(i),
                 args.begin() + static_cast<long>(i) + 2);
    } else if (args[i].rfind("--code-page=", 0) == 0) {
      value = args[i].substr(12);
      args.erase(args.begin() + static_cast<long>(i));
    } else {
      continue;
    }
    char* end = nullptr;
    const unsigned long number = std::strtoul(value.c_str(), &end, 10);
    std::string probe;
    codePage = value.empty() || *end || number == 0 || number > 65535 ||
                       !kite::PosixPlatform(number).utf8ToAnsi("a", &probe)
                   ? 0
                   : static_cast<unsigned>(number);
    --i;
  }
  return codePage;
}

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  const unsigned codePage = takeCodePage(args);
  if (codePage == 0) {
    std::fputs("kitecheck: --code-page takes the number of a code page this "
               "host can convert, such as 1252 or 932\n",
               stderr);
    return 2;
  }
  kite::PosixPlatform platform(codePage);
  // No registry here: the runtime search is reported as not available.
  return kite::runKitecheck(args, platform, /*hostPaths=*/true,
                            /*registry=*/false);
}
#endif
