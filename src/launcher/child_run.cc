#include "launcher/child_run.h"

#include <ctime>
#include <utility>

#include "base/exit_codes.h"
#include "base/unicode.h"
#include "launcher/app_environment.h"
#include "launcher/ansi_names.h"
#include "launcher/argument_file.h"
#include "launcher/command_line.h"
#include "launcher/runtime_choice.h"
#include "platform/debug_output.h"
#include "runtime/java_registry.h"
#include "runtime/runtime_record.h"
#include "runtime/window_search.h"

namespace kite {

RunResult runJavaOnce(LaunchSettings& settings, Platform& platform) {
  // The first launch looks the runtime up; relaunches reuse what it found.
  // A bundled runtime comes first; it is looked at once (the launcher has
  // done so after reading).
  decideBundledRuntime(settings, platform);
  if (!settings.javaPath && hasVersionWindow(settings)) {
    WindowSearch search = findRuntimeInWindow(settings, platform);
    // The user has been told why there is none.
    if (search.outcome.endsLauncher()) return {search.outcome.exitCode(), 0};
    settings.javaPath = search.runtime;
    settings.runtime = std::move(search.record);
  } else if (!settings.javaPath) {
    const DefaultLookup lookup = findDefaultJava(settings, platform);
    if (lookup.outcome.endsLauncher()) return {lookup.outcome.exitCode(), 0};
    settings.javaPath = lookup.runtime;
  }
  if (!settings.runtime) settings.runtime = runtimeRecordFor(*settings.javaPath);
  debugBox(settings, platform, settings.javaPath->c_str(), "Javapath is");

  useShortNames(settings, platform);
  std::string commandLine = buildCommandLine(settings, platform);
  // Windows refuses longer command lines (it counts UTF-16 units, as does
  // the length here).  Java 9 and later take the JVM's part from a file
  // instead; otherwise say so plainly rather than leave the user with the
  // system's terse error.
  std::string argumentFile;
  if (utf16Length(commandLine) + 1 > kCommandLineLimit) {
    lookUpVersion(*settings.runtime, platform);  // kept for relaunches
    const ArgumentFile file = writeArgumentFile(settings, platform);
    if (file.path.empty()) {
      debugTrace(settings, platform, "no argument file: %s\n",
                 file.whyNot.c_str());
    } else {
      debugTrace(settings, platform, "argument file %s\n", file.path.c_str());
      commandLine = file.commandLine;
      argumentFile = file.path;
    }
  }
  const size_t length = utf16Length(commandLine);
  if (length + 1 > kCommandLineLimit) {
    if (!argumentFile.empty()) platform.removeFile(argumentFile);
    platform.showMessageBox(
        formatText("The command line to start the Java runtime is %lu "
                   "characters long.\nWindows accepts at most %lu characters "
                   "(%lu with the terminating null).",
                   static_cast<unsigned long>(length),
                   static_cast<unsigned long>(kCommandLineLimit - 1),
                   static_cast<unsigned long>(kCommandLineLimit))
            .c_str(),
        "Error", kBoxError);
    return {kExitStartFailed, 0};
  }

  const char* directory = orNullPointer(settings.workingDir);
  // Without a working directory the application starts in the launcher's.
  if (settings.debugMode)
    debugBox(settings, platform,
             directory ? directory : platform.currentDirectory().c_str(),
             "Starting dir");
  debugBox(settings, platform, commandLine.c_str(), "Command Line is");

  logNote(settings, platform, "starting in %s\n",
          directory ? directory : settings.startDir.c_str());
  const std::time_t start = platform.now();
  const unsigned long startTicks = platform.milliseconds();
  ChildProcess child = 0;
  std::string error;
  const std::optional<std::vector<std::string>> environment =
      childEnvironment(settings, platform);
  if (!platform.startProcess(commandLine, directory,
                             orNullPointer(settings.consoleTitle),
                             environment ? &*environment : nullptr, &child,
                             &error)) {
    // Nothing was started: no waiting, no exit code to read, no relaunch.
    if (!argumentFile.empty()) platform.removeFile(argumentFile);
    platform.showMessageBox(
        formatText("Could not start the Java runtime %s\n%s",
                   settings.javaPath->c_str(), error.c_str())
            .c_str(),
        "Error", kBoxError);
    debugTrace(settings, platform, "CreateProcess ret 0\n");
    return {kExitStartFailed, 0};
  }
  platform.waitForInputIdle(child, kInputIdleMilliseconds);
  platform.waitForExit(child);
  const int code = platform.exitCode(child);
  platform.closeProcess(child);
  // Java has read the file long since; a relaunch writes a new one.
  if (!argumentFile.empty()) platform.removeFile(argumentFile);
  const double elapsed = std::difftime(platform.now(), start);
  const unsigned long ran = platform.milliseconds() - startTicks;
  logNote(settings, platform,
          "the application ended with exit code %lu after %lu.%03lu s\n",
          static_cast<unsigned long>(static_cast<unsigned int>(code)),
          ran / 1000, ran % 1000);

  // The console variant shows no box: the application's own error output is
  // on the console already, and its exit code becomes the launcher's.
  if (code != 0 && elapsed < kQuickFailureSeconds && !settings.console) {
    platform.showMessageBox(
        formatText("Error launching Class %s\n with Java %s.\nError=%d",
                   orNull(launchTarget(settings)), settings.javaPath->c_str(),
                   code)
            .c_str(),
        "Error", kBoxError);
  }
  debugTrace(settings, platform, "CreateProcess ret %d, exitCode=%d\n", 1,
             code);
  return {0, code};
}

}  // namespace kite
