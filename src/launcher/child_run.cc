#include "launcher/child_run.h"

#include <ctime>
#include <utility>

#include "base/exit_codes.h"
#include "base/unicode.h"
#include "config/expand_value.h"
#include "launcher/app_environment.h"
#include "launcher/ansi_names.h"
#include "launcher/app_process.h"
#include "launcher/argument_file.h"
#include "launcher/command_line.h"
#include "launcher/runtime_choice.h"
#include "platform/debug_output.h"
#include "runtime/java_registry.h"
#include "runtime/runtime_record.h"
#include "runtime/window_search.h"

namespace kite {
namespace {

// Windows' messages mark where a name goes with inserts, "%1" to "%99",
// each optionally followed by a format between "!"s; the platform leaves
// them unfilled.  Those about a program that cannot start ("%1 is not a
// valid Win32 application.") name the program with "%1"; nothing fills
// any other, so it is left out rather than shown as a hole.
std::string withInserts(const std::string& message,
                        const std::string& program) {
  const auto digit = [&message](size_t at) {
    return at < message.size() && message[at] >= '0' && message[at] <= '9';
  };
  std::string out;
  for (size_t i = 0; i < message.size(); ++i) {
    if (message[i] != '%' || !digit(i + 1) || message[i + 1] == '0') {
      out += message[i];
      continue;
    }
    size_t end = i + 2;
    if (digit(end)) ++end;
    const std::string number = message.substr(i + 1, end - i - 1);
    if (end < message.size() && message[end] == '!') {
      const size_t close = message.find('!', end + 1);
      if (close != std::string::npos) end = close + 1;
    }
    if (number == "1") out += withoutSurroundingQuotes(program);
    i = end - 1;
  }
  return out;
}

}  // namespace

RunResult runJavaOnce(LaunchSettings& settings, Platform& platform) {
  // The first launch looks the runtime up; relaunches reuse what it found.
  // A bundled runtime comes first; it is looked at once (the launcher has
  // done so after reading).
  decideBundledRuntime(settings, platform);
  // Whether this launcher can run the runtime of that executable itself.
  const auto judge = [&settings, &platform](const std::string& executable) {
    return judgeHosting(settings, platform, executable, launcherMachine(),
                        platform.programPath());
  };
  if (!settings.javaPath && hasVersionWindow(settings)) {
    // With appProcess on, a runtime the launcher can run itself first.
    PreferredHome hostable;
    if (wantsAppProcess(settings))
      hostable = [&settings, &judge](const std::string& home) {
        return judge(home + "\\bin\\" + runtimeExecutableName(settings)).hosted;
      };
    WindowSearch search = findRuntimeInWindow(settings, platform, hostable);
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

  // With "appProcess on" a copy of this launcher runs the runtime where it
  // can; the trace and the log say which it is, and why.
  HostRequest host;
  bool hosted = false;
  if (wantsAppProcess(settings)) {
    const HostingVerdict verdict =
        judge(withoutSurroundingQuotes(*settings.javaPath));
    hosted = verdict.hosted;
    debugTrace(settings, platform, "application process: %s%s\n",
               hosted ? "" : "javaw.exe or java.exe, as ", verdict.why.c_str());
    host.library = verdict.library;
    // Java's own launcher passes its version to the library.
    lookUpVersion(*settings.runtime, platform);
    host.version = settings.runtime->versionText;
    host.javaw = !settings.console;
    host.appUserModelId = appUserModelId(settings);
  }

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
  if (hosted) {
    // The copy takes the runtime executable's place at the head of the line.
    std::string program = platform.programPath();
    if (settings.alwaysQuote || program.find(' ') != std::string::npos)
      program = "\"" + program + "\"";
    commandLine = program + commandLine.substr(settings.javaPath->size());
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
  ApplicationStart how;
  how.directory = directory;
  how.consoleTitle = orNullPointer(settings.consoleTitle);
  how.environment = environment ? &*environment : nullptr;
  how.appUserModelId = appUserModelId(settings);
  how.endWith = endWithLauncher(settings);
  how.host = hosted ? &host : nullptr;
  // Without the keys, the plain start of every earlier launch.
  const bool started =
      startsOwnProcess(settings)
          ? platform.startApplication(commandLine, how, &child, &error)
          : platform.startProcess(commandLine, directory, how.consoleTitle,
                                  how.environment, &child, &error);
  if (started && !how.jobNote.empty())
    debugTrace(settings, platform,
               "the application is not tied to the launcher: %s\n",
               how.jobNote.c_str());
  if (!started) {
    // Nothing was started: no waiting, no exit code to read, no relaunch.
    if (!argumentFile.empty()) platform.removeFile(argumentFile);
    // Windows' reason may be about the working directory ("The directory
    // name is invalid"), so the box names it and its key.
    platform.showMessageBox(
        formatText("Could not start the Java runtime %s%s%s%s\n%s",
                   settings.javaPath->c_str(),
                   directory ? " in the working directory " : "",
                   directory ? directory : "", directory ? " (workingDir)" : "",
                   withInserts(error, *settings.javaPath).c_str())
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
          "the application ended with exit code %s after %lu.%03lu s\n",
          exitCodeText(code).c_str(), ran / 1000, ran % 1000);

  // The console variant shows no box: the application's own error output is
  // on the console already, and its exit code becomes the launcher's.
  if (code != 0 && elapsed < kQuickFailureSeconds && !settings.console) {
    // A module or a jar is called what it is, not a class.
    const LaunchKind kind = launchKind(settings);
    platform.showMessageBox(
        formatText("Error launching %s %s\n with Java %s.\nError=%s",
                   kind == LaunchKind::kJar      ? "Jar"
                   : kind == LaunchKind::kModule ? "Module"
                                                 : "Class",
                   orNull(launchTarget(settings)), settings.javaPath->c_str(),
                   exitCodeText(code).c_str())
            .c_str(),
        "Error", kBoxError);
  }
  debugTrace(settings, platform, "CreateProcess ret %d, exitCode=%s\n", 1,
             exitCodeText(code).c_str());
  return {0, code};
}

}  // namespace kite
