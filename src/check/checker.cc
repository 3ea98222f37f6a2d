#include "check/checker.h"

#include "base/text.h"
#include "base/unicode.h"
#include "check/check_platform.h"
#include "check/exe_variant.h"
#include "check/findings.h"
#include "check/recorder.h"
#include "config/config_file.h"
#include "launcher/command_line.h"
#include "launcher/launcher.h"
#include "launcher/single_instance.h"

namespace kite {
namespace {

std::string absolute(const std::string& path, const std::string& cwd,
                     char separator) {
  if (path.empty() || isAbsolutePath(path)) return path;
  if (!cwd.empty() && (cwd.back() == '/' || cwd.back() == '\\'))
    return cwd + path;
  return cwd + separator + path;
}

// Everything before the last separator, as the launcher cuts its own path.
std::string directoryOf(const std::string& path, bool hostPaths) {
  const size_t cut = path.find_last_of(hostPaths ? "/" : "/\\");
  if (cut == std::string::npos) return ".";
  if (cut == 0) return path.substr(0, 1);
  return path.substr(0, cut);
}

}  // namespace

Report runCheck(const CheckOptions& options, Platform& base) {
  Report report;
  report.registryAvailable = options.registryAvailable;
  report.hostPaths = options.hostPaths;
  CheckPlatform platform(base);
  LaunchSettings& settings = report.settings;
  // Arguments after "--" go through the launcher's own rules: it keeps
  // "-d" and "-c..." for itself.  The file checked stays the one named.
  LaunchSettings own;
  report.ownArguments = takeOwnArguments(options.arguments, own);
  settings.debugMode = own.debugMode;
  settings.arguments = own.arguments;
  report.commandLineArguments = settings.arguments.size();
  settings.alwaysQuote = isVistaOrLater(platform);

  // A launcher started from Explorer or a shortcut works in its own
  // directory; one started with "-c" reads that file.  Without a launcher
  // path the configuration's own directory stands for the launcher's.
  const char separator = options.hostPaths ? '/' : '\\';
  const std::string cwd = platform.currentDirectory();
  const std::string exe = absolute(options.exe, cwd, separator);
  const std::string config = absolute(options.config, cwd, separator);
  const std::string startDir =
      directoryOf(exe.empty() ? config : exe, options.hostPaths);
  if (!config.empty()) settings.configOverride = config;
  platform.changeDirectory(startDir);
  settings.startDir = startDir;
  report.startDirectory = startDir;
  // The variant: as asked, else what the launcher file is.
  report.variantFrom = "the default";
  if (options.console) {
    settings.console = *options.console;
    report.variantFrom = *options.console ? "as --console asks" : "as --gui asks";
  } else if (!exe.empty()) {
    std::string bytes;
    if (platform.readFile(exe, &bytes) == 0) {
      if (const std::optional<unsigned> subsystem = peSubsystem(bytes)) {
        settings.console = *subsystem == kSubsystemConsole;
        report.variantFrom = "as its PE header says";
      }
    }
  }
  // The launcher finds its base name after the last backslash.
  std::string exeForLauncher = exe;
  if (options.hostPaths)
    for (char& c : exeForLauncher)
      if (c == '/') c = '\\';

  // The recorder resolves every "javaVersion" line and always goes on, so
  // the reader ends only where the main file cannot be opened.
  Recorder recorder(report, settings, platform);
  const Outcome read = locateAppConfig(settings, platform, exeForLauncher,
                                       startDir, {recorder, &recorder});
  report.config = settings.configPath;
  if (read.endsLauncher()) report.readExitCode = read.exitCode();

  // The launcher looks for a runtime at launch time when the configuration
  // named none; when it ends while reading, it gets no further.
  if (!settings.javaPath && report.readExitCode == 0)
    recordDefaultRuntime(report, settings, platform);
  const RuntimeSearch* search = report.runtimeSearch();
  report.runtimePlaceholder =
      search && (!report.registryAvailable || search->exitCode != 0);

  report.instanceName = instanceName(settings, platform);
  report.commandLine = buildCommandLine(settings, platform);
  report.commandLineLength = utf16Length(report.commandLine);
  collectFindings(report, platform);
  return report;
}

}  // namespace kite
