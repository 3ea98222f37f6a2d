#include "check/checker.h"

#include <algorithm>
#include <cstdint>

#include "base/pe_probe.h"
#include "base/text.h"
#include "base/unicode.h"
#include "check/check_platform.h"
#include "check/exe_variant.h"
#include "check/findings.h"
#include "check/recorder.h"
#include "config/config_file.h"
#include "config/expand_value.h"
#include "launcher/app_environment.h"
#include "launcher/ansi_names.h"
#include "launcher/app_process.h"
#include "launcher/argument_file.h"
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

// The file name of `config` without its folder and its ".config".
std::string withoutConfigSuffix(const std::string& config) {
  const size_t cut = config.find_last_of("/\\");
  std::string name = cut == std::string::npos ? config : config.substr(cut + 1);
  if (name.size() > 7 && name.compare(name.size() - 7, 7, ".config") == 0)
    name.resize(name.size() - 7);
  return name;
}

// What the application gets from the launcher's environment: the two
// variables that name the launcher, and each one an "env" line sets.
void recordEnvironment(Report& report, Platform& platform) {
  const std::vector<std::string>& lines = report.settings.environment;
  const std::vector<std::string> applied =
      applyEnvironmentLines(platform.listEnvironment(), lines);
  std::vector<std::string> names = {"KITE_APP_DIR", "KITE_APP_EXE"};
  for (const std::string& line : lines) {
    std::string name, value;
    if (splitEnvironmentLine(line, &name, &value)) names.push_back(name);
  }
  for (const std::string& name : names) {
    const std::string wanted = asciiLower(name) + "=";
    const auto named = [&wanted](const std::string& entry) {
      return asciiLower(entry).compare(0, wanted.size(), wanted) == 0;
    };
    if (std::any_of(report.environment.begin(), report.environment.end(),
                    named))
      continue;
    const auto found = std::find_if(applied.begin(), applied.end(), named);
    if (found != applied.end()) report.environment.push_back(*found);
  }
}

// How the launcher would start the application with "appProcess on".
void recordHosting(Report& report, Platform& platform, std::uint16_t machine,
                   const std::string& exe) {
  const OptionalText& path = report.settings.javaPath;
  if (!path || report.runtimePlaceholder || path->empty() ||
      path->front() == '<') {
    report.appProcess = "not known here: the runtime is not looked up here";
    return;
  }
  std::string executable = withoutSurroundingQuotes(*path);
  if (report.hostPaths)
    for (char& c : executable)
      if (c == '\\') c = '/';
  const HostingVerdict verdict =
      judgeHosting(report.settings, platform, executable, machine, exe);
  report.hosted = verdict.hosted;
  report.appProcess = verdict.why;
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
  }
  // The launcher file's machine decides which runtimes it can host.
  std::uint16_t machine = 0;
  std::string bytes;
  if (!exe.empty() && platform.readFile(exe, &bytes) == 0) {
    machine = readPeHeader(bytes).machine;
    const std::optional<unsigned> subsystem = peSubsystem(bytes);
    if (subsystem && !options.console) {
      settings.console = *subsystem == kSubsystemConsole;
      report.variantFrom = "as its PE header says";
    }
  }
  // The launcher finds its base name after the last backslash.
  std::string exeForLauncher = exe;
  if (options.hostPaths)
    for (char& c : exeForLauncher)
      if (c == '/') c = '\\';

  // The launcher names itself in its environment before it reads anything.
  const std::string launcher =
      !exe.empty()
          ? exe
          : startDir + separator + withoutConfigSuffix(config) + ".exe";
  setAppVariables(launcher, platform);

  // The recorder resolves every "javaVersion" line and always goes on, so
  // the reader ends only where the main file cannot be opened.
  Recorder recorder(report, settings, platform);
  const Outcome read = locateAppConfig(settings, platform, exeForLauncher,
                                       startDir, {recorder, &recorder});
  report.config = settings.configPath;
  if (read.endsLauncher()) report.readExitCode = read.exitCode();

  // The launcher decides the runtime after reading: a bundled runtime it
  // takes wins; otherwise the "javaVersion" lines are searched (as the
  // launcher does, where each stands), then a runtime at launch time when
  // the configuration named none; when it ends while reading, it gets no
  // further.
  if (settings.bundledRuntime && report.readExitCode == 0)
    recordBundledRuntime(report, settings, platform);
  if (!report.bundledTaken()) recorder.searchVersionLines();
  if (!report.bundledTaken() && !settings.javaPath && report.readExitCode == 0)
    recordDefaultRuntime(report, settings, platform);
  const RuntimeSearch* search = report.runtimeSearch();
  report.runtimePlaceholder =
      search && (search->kind == SearchKind::kBundled
                     ? search->notChecked
                     : !report.registryAvailable || search->exitCode != 0);
  recordEnvironment(report, platform);
  if (wantsAppProcess(settings) && report.readExitCode == 0)
    recordHosting(report, platform, machine, exe);

  report.instanceName = instanceName(settings, platform);
  // The command line as the launcher would start it: entries the ANSI code
  // page cannot hold by their short names, and past Windows' limit the
  // JVM's items in an argument file (which kitecheck does not write).
  LaunchSettings launched = settings;
  useShortNames(launched, platform);
  report.commandLine = buildCommandLine(launched, platform);
  report.commandLineLength = utf16Length(report.commandLine);
  if (report.commandLineLength + 1 > kCommandLineLimit) {
    const ArgumentFileBytes file = argumentFileBytes(launched, platform);
    // The rest of the line (the runtime, the main class, the arguments)
    // must still fit.
    const std::string named = buildCommandLine(
        launched, platform,
        {"@" + platform.temporaryDirectory() + "kite-0000000000-0.args"});
    report.argumentFile = !file.bytes.empty() &&
                          utf16Length(named) + 1 <= kCommandLineLimit;
    report.argumentFileWhyNot =
        file.bytes.empty() ? file.whyNot
                           : "the rest of the command line is too long still";
  }
  collectFindings(report, platform);
  return report;
}

}  // namespace kite
