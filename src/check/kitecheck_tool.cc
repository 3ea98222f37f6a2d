#include "check/kitecheck_tool.h"

#include "check/checker.h"
#include "check/render.h"

namespace kite {
namespace {

constexpr int kUsageError = 2;

const char kUsage[] =
    "usage: kitecheck [--json] [--console | --gui] [--exe PATH_OF_THE_LAUNCHER]"
    " [CONFIG] [-- APPLICATION ARGUMENTS...]\n"
    "  Checks CONFIG, or with --exe alone the configuration that the launcher\n"
    "  at that path reads (its own name with .config, in its directory).\n"
    "  --console / --gui: check for the console variant (kitec32.exe,\n"
    "  kitec64.exe) or the GUI launcher; by default the one --exe is, else\n"
    "  the GUI launcher.\n"
    "  Exit code: 0 nothing wrong, 1 warnings only, 2 errors.\n"
    "  On Linux, --code-page N names the ANSI code page of the Windows\n"
    "  machines the launcher runs on (default 1252).\n";

int usage(Platform& platform, const std::string& problem) {
  if (!problem.empty()) platform.writeError("kitecheck: " + problem + "\n");
  platform.writeError(kUsage);
  return kUsageError;
}

}  // namespace

int runKitecheck(const std::vector<std::string>& args, Platform& platform,
                 bool hostPaths, bool registry) {
  CheckOptions options;
  options.hostPaths = hostPaths;
  options.registryAvailable = registry;
  bool json = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      options.arguments.assign(args.begin() + static_cast<long>(i) + 1,
                               args.end());
      break;
    }
    if (arg == "--help" || arg == "-h" || arg == "/?") {
      platform.writeOut(kUsage);
      return 0;
    }
    if (arg == "--json") {
      json = true;
    } else if (arg == "--console" || arg == "--gui") {
      options.console = arg == "--console";
    } else if (arg == "--exe" || arg.compare(0, 6, "--exe=") == 0) {
      if (arg == "--exe" && i + 1 == args.size())
        return usage(platform, "--exe needs a path");
      options.exe = arg == "--exe" ? args[++i] : arg.substr(6);
    } else if (arg.size() > 1 && arg[0] == '-') {
      return usage(platform, "unknown option " + arg);
    } else if (options.config.empty()) {
      options.config = arg;
    } else {
      return usage(platform, "more than one configuration file given");
    }
  }
  if (options.exe.empty() && options.config.empty())
    return usage(platform,
                 "name the configuration file or the launcher (--exe)");

  const Report report = runCheck(options, platform);
  platform.writeOut(json ? renderJson(report) : renderText(report));
  return report.exitCode();
}

}  // namespace kite
