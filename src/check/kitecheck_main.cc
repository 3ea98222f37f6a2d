// kitecheck: reads a Kite configuration with the launcher's own code and
// prints what the launcher would do with it and everything that looks wrong.
//
//   kitecheck [--json] [--exe PATH_OF_THE_LAUNCHER] [CONFIG] [-- APPLICATION
//   ARGUMENTS...]
//
// Exit code 0 when nothing is wrong, 1 when there are only warnings, 2 when
// there are errors (or the command line cannot be understood).
#include <cstdio>
#include <string>
#include <vector>

#include "check/checker.h"
#include "check/render.h"

#ifdef _WIN32
#include "platform/platform_win32.h"
#else
#include "platform/platform_posix.h"
#endif

namespace {

constexpr int kUsageError = 2;

const char kUsage[] =
    "usage: kitecheck [--json] [--exe PATH_OF_THE_LAUNCHER] [CONFIG] "
    "[-- APPLICATION ARGUMENTS...]\n"
    "  Checks CONFIG, or with --exe alone the configuration that the launcher\n"
    "  at that path reads (its own name with .config, in its directory).\n"
    "  Exit code: 0 nothing wrong, 1 warnings only, 2 errors.\n";

int usage(const std::string& problem) {
  if (!problem.empty())
    std::fprintf(stderr, "kitecheck: %s\n", problem.c_str());
  std::fputs(kUsage, stderr);
  return kUsageError;
}

void write(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
  kite::restrictDllSearch();
#endif
  kite::CheckOptions options;
  bool json = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--") {
      options.arguments.assign(argv + i + 1, argv + argc);
      break;
    }
    if (arg == "--help" || arg == "-h" || arg == "/?") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (arg == "--json") {
      json = true;
    } else if (arg == "--exe" || arg.compare(0, 6, "--exe=") == 0) {
      if (arg == "--exe" && i + 1 == argc) return usage("--exe needs a path");
      options.exe = arg == "--exe" ? argv[++i] : arg.substr(6);
    } else if (arg.size() > 1 && arg[0] == '-') {
      return usage("unknown option " + arg);
    } else if (options.config.empty()) {
      options.config = arg;
    } else {
      return usage("more than one configuration file given");
    }
  }
  if (options.exe.empty() && options.config.empty())
    return usage("name the configuration file or the launcher (--exe)");

#ifdef _WIN32
  kite::Win32Platform platform;
#else
  // No registry here: the runtime search is reported as not available.
  kite::PosixPlatform platform;
  options.registryAvailable = false;
  options.hostPaths = true;
#endif
  const kite::Report report = kite::runCheck(options, platform);
  write(json ? kite::renderJson(report) : kite::renderText(report));
  return report.exitCode();
}
