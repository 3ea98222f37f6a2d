#include "launcher/launcher.h"

#include <optional>
#include <utility>

#include "base/exit_codes.h"
#include "base/version.h"
#include "config/config_file.h"
#include "launcher/app_environment.h"
#include "launcher/app_process.h"
#include "launcher/child_run.h"
#include "launcher/command_line.h"
#include "launcher/runtime_choice.h"
#include "platform/console_platform.h"
#include "launcher/single_instance.h"
#include "platform/debug_output.h"
#include "launcher/launch_log.h"
#include "runtime/version_search.h"

namespace kite {
namespace {

// Started with a full path (a drive letter and a separator, "\" or "/"),
// the launcher works in its own directory, written with backslashes;
// otherwise in the directory it was started in.
void fixStartDirectory(const std::string& exePath, LaunchSettings& settings,
                       Platform& platform) {
  if (exePath.size() > 2 && exePath[1] == ':' &&
      (exePath[2] == '\\' || exePath[2] == '/')) {
    settings.startDir = appDirectory(exePath);
    for (char& c : settings.startDir)
      if (c == '/') c = '\\';
    platform.changeDirectory(settings.startDir);
  } else {
    settings.startDir = platform.currentDirectory();
  }
}

// "-c" alone: the file name was meant to follow, but "-c" takes it joined
// ("-cother.config"); the next argument, if any, went to the application.
// The options are written as they would be typed, quoted where they hold a
// blank.
int configOptionWithoutFile(const std::vector<std::string>& argv,
                            const LaunchSettings& settings,
                            Platform& platform) {
  std::string next;
  for (size_t i = 1; i + 1 < argv.size(); ++i)
    if (argv[i] == "-c") next = argv[i + 1];
  const std::string example = next.empty() ? "other.config" : next;
  const std::string text = formatText(
      "The option -c names no configuration file: it takes the file name "
      "joined to it, with no space.\nWrite %s%s",
      quoteArgument("-c" + example, false).c_str(),
      next.empty() ? "" : (" instead of -c " + quoteArgument(next, false)).c_str());
  // The console variant shows the box as its one line on standard error.
  if (!settings.console) platform.writeError(textOnOneLine(text.c_str()) + "\n");
  platform.showMessageBox(text.c_str(), "Error", kBoxError);
  return kExitNoConfig;
}

}  // namespace

std::vector<std::string> takeOwnArguments(const std::vector<std::string>& args,
                                          LaunchSettings& settings) {
  // "-d" alone switches debug mode on; "-c" is a prefix naming another
  // configuration file; everything else goes on to the application, before
  // any "argument" lines of the configuration.
  std::vector<std::string> taken;
  for (const std::string& argument : args) {
    if (argument == "-d") {
      settings.debugMode = true;
    } else if (argument.compare(0, 2, "-c") == 0) {
      settings.configOverride = argument.substr(2);
    } else {
      settings.arguments.push_back(argument);
      continue;
    }
    taken.push_back(argument);
  }
  return taken;
}

bool isVistaOrLater(Platform& platform) {
  return platform.osMajorVersion() > 5;
}

Outcome RegistryVersionResolver::resolve(LaunchSettings& settings,
                                         Platform& platform) {
  VersionSearch search = findJavaForVersion(settings, platform);
  if (search.outcome.endsLauncher()) return search.outcome;
  settings.javaPath = std::move(search.runtime);
  return Outcome::goOn();
}

bool exitsWithApplicationCode(const LaunchSettings& settings) {
  if (settings.exitCode == "app") return true;
  if (settings.exitCode == "launcher") return false;
  return settings.console;
}

namespace {

// The launch itself, through the platform layers runLauncher put in place;
// argv[0] is `exePath`.
int launch(const std::vector<std::string>& argv, const std::string& exePath,
           LaunchSettings& settings, Platform& platform, LaunchLog& log) {
  // The arguments given on the command line, before the configuration adds
  // its own.
  const size_t passedArguments = settings.arguments.size();
  settings.alwaysQuote = isVistaOrLater(platform);
  if (settings.alwaysQuote)
    debugBox(settings, platform, kVersionText, "Running on Vista");
  const std::string bracketed = "[" + exePath + "]";
  debugBox(settings, platform, kVersionText, "Version");
  debugBox(settings, platform, bracketed.c_str(), "LpCmdLine");

  fixStartDirectory(exePath, settings, platform);
  debugBox(settings, platform, settings.startDir.c_str(), "CWD");
  if (settings.configOverride && settings.configOverride->empty())
    return configOptionWithoutFile(argv, settings, platform);
  const std::string program = platform.programPath();
  setAppVariables(program.empty() ? exePath : program, platform);

  // The runtime lines are decided once, after reading.
  RuntimeChoice runtimes(platform);
  const Outcome read = runtimes.decide(
      settings, locateAppConfig(settings, runtimes.reading(), exePath,
                                settings.startDir, {runtimes, nullptr}));
  // The log, if the configuration names one, begins with what happened so
  // far, also where reading ended the launch.
  log.begin(settings, exePath);
  if (read.endsLauncher()) return read.exitCode();
  // The taskbar identity of the launcher's own boxes too, before it shows
  // any more of them.
  const std::string identity = appUserModelId(settings);
  if (!identity.empty()) platform.setAppUserModelId(identity);

  debugBox(settings, platform, orNullPointer(settings.mainClass),
           "MainClass is");
  for (size_t i = 0; i < settings.vmParams.size(); ++i)
    debugTrace(settings, platform, "vmparam %d=%s\n", static_cast<int>(i),
               settings.vmParams[i].c_str());
  for (size_t i = 0; i < settings.classPath.size(); ++i)
    debugTrace(settings, platform, "vmpath %d=%s\n", static_cast<int>(i),
               settings.classPath[i].c_str());

  // Without a main class (or module, or jar) the runtime cannot start the
  // application; say so before looking for a runtime or starting anything.
  const OptionalText& target = launchTarget(settings);
  if (!target || target->empty()) {
    platform.showMessageBox(
        formatText("The configuration file %s names no main class.\n"
                   "Add a line such as: mainclass com.example.Main",
                   settings.configPath.c_str())
            .c_str(),
        "Error", kBoxError);
    return kExitNoMainClass;
  }

  // The lock is held across relaunches, until the application ends.
  InstanceHold instance(platform);
  const Outcome single =
      enterSingleInstance(settings, platform, passedArguments, instance);
  if (single.endsLauncher()) return single.exitCode();

  RunResult result;
  while (true) {
    result = runJavaOnce(settings, platform);
    if (result.failure != 0) return result.failure;
    if (result.exitCode != kRelaunchExitCode) break;
    logNote(settings, platform,
            "the application asks to be started again (exit code %d)\n",
            kRelaunchExitCode);
  }
  return exitsWithApplicationCode(settings) ? result.exitCode : kExitOk;
}

}  // namespace

int runLauncher(const std::vector<std::string>& argv, LaunchSettings& settings,
                Platform& platform) {
  const std::string exePath = argv.empty() ? std::string() : argv[0];
  if (!argv.empty())
    takeOwnArguments(std::vector<std::string>(argv.begin() + 1, argv.end()),
                     settings);
  // The layers over the platform, put under all of the launcher's logic:
  // the console variant's turns every box into a line on standard error,
  // and the launch log records what the launch shows and writes.
  std::optional<ConsolePlatform> console;
  if (settings.console) console.emplace(platform, programName(exePath));
  LaunchLog log(console ? static_cast<Platform&>(*console) : platform);
  const int code = launch(argv, exePath, settings, log, log);
  log.finish(code);
  return code;
}

}  // namespace kite
