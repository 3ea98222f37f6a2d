// kitecheck's findings about what the whole configuration sets: the main
// class, the runtime and the command line.
#include "check/collector.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "base/exit_codes.h"
#include "base/text.h"
#include "base/unicode.h"
#include "check/findings.h"
#include "config/config_file.h"
#include "config/config_keys.h"
#include "config/expand_value.h"
#include "launcher/command_line.h"
#include "platform/folders.h"
#include "launcher/launch_log.h"
#include "runtime/java_version.h"

namespace kite {

void Collector::settings() {
  // Where the launcher ends while reading, nothing else it would do counts.
  if (report_.readExitCode != 0) return;
  launchTarget();
  codePage();
  versionWindow();
  ownArguments();
  runtimeAndDirectory();
  exitCodeValue();
  bundledRuntime();
  appProcess();
  logFile();
  for (const RuntimeSearch& search : report_.searches) {
    if (search.exitCode == 0) continue;
    std::string message;
    if (search.kind == SearchKind::kWindow) {
      message = "no installed runtime fits the version window" +
                (search.windowWords.empty() ? std::string()
                                            : " (" + search.windowWords + ")") +
                ": ";
    } else if (search.kind == SearchKind::kCurrent) {
      message = "no runtime: ";
    } else if (search.request.empty()) {
      message = "\"javaVersion\" has no value: ";
    } else {
      message =
          "the requested runtime " + search.request + " cannot be found: ";
    }
    if (!search.boxes.empty()) {
      const RecordedBox& box = search.boxes.back();
      message += "the launcher shows \"" + box.caption + "\" (" +
                 box.text.substr(0, box.text.find('\n')) + ") and ";
    } else {
      message += "the launcher ";
    }
    message += "exits with " + std::to_string(search.exitCode);
    if (search.kind == SearchKind::kVersionLine) {
      message += ", reading no further line";
      add(FindingKind::kRuntimeNotFound, search.file, search.line, message);
    } else {
      add(FindingKind::kRuntimeNotFound, report_.config, 0,
            message + " when it starts");
    }
  }
  const size_t length = report_.commandLineLength;
  if (length + 1 > kCommandLineLimit) {
    const LineRecord* line = lineOverTheLimit();
    const std::string where = line ? line->file : report_.config;
    const int number = line ? line->number : 0;
    const std::string longer = formatText(
        "the command line is %lu characters long; Windows accepts at most %lu",
        static_cast<unsigned long>(length),
        static_cast<unsigned long>(kCommandLineLimit - 1));
    if (report_.argumentFile)
      add(FindingKind::kArgumentFile, where, number,
          longer +
              ": the launcher puts the JVM parameters, class path and module "
              "path in an argument file, which the runtime (Java 9 or later) "
              "reads, and names the file on the command line");
    else
      add(FindingKind::kCommandLineTooLong, where, number,
          longer + formatText(": the launcher refuses to start it and exits "
                              "with %d (no argument file: %s)",
                              kExitStartFailed,
                              report_.argumentFileWhyNot.c_str()));
  }
}

// The line whose entries took the command line over the limit, taking the
// entries in reading order; failing that, the line that set the runtime
// or the main class, whichever is longer.
const LineRecord* Collector::lineOverTheLimit() const {
  const LaunchSettings& s = report_.settings;
  // The length each list entry takes on the command line, with the blank or
  // ";" after it.
  const std::vector<SettingsList>& lists = settingsLists();
  std::vector<std::vector<size_t>> parts(lists.size());
  size_t entries = 0;
  for (size_t l = 0; l < lists.size(); ++l) {
    const bool arguments = lists[l] == &LaunchSettings::arguments;
    for (const std::string& entry : s.*lists[l])
      entries += parts[l].emplace_back(
          utf16Length(arguments ? quoteArgument(entry, s.alwaysQuote) : entry) +
          1);
  }
  size_t total =
      report_.commandLineLength - std::min(entries, report_.commandLineLength);
  const std::vector<size_t>& arguments =
      parts[listIndex(&LaunchSettings::arguments)];
  for (size_t i = 0; i < report_.commandLineArguments && i < arguments.size();
       ++i)
    total += arguments[i];
  const std::vector<LineRecord>& lines = report_.lines;
  for (size_t i = 0; i < lines.size(); ++i) {
    for (size_t l = 0; l < lists.size(); ++l) {
      const size_t to = i + 1 == lines.size() ? parts[l].size()
                                              : lines[i + 1].listsBefore[l];
      for (size_t e = lines[i].listsBefore[l]; e < to && e < parts[l].size();
           ++e)
        total += parts[l][e];
    }
    if (total + 1 > kCommandLineLimit) return &lines[i];
  }
  const LineRecord* runtime = report_.runtimeLine();
  const LineRecord* main = report_.lastLineWithKey(ConfigKey::kMainClass);
  if (runtime && main)
    return utf16Length(runtime->value) >= utf16Length(main->value) ? runtime
                                                                   : main;
  return runtime ? runtime : main;
}

// The version window: bounds that are no version, a window that admits
// nothing, a window that is not used, a download page that is not one.
void Collector::versionWindow() {
  const LineRecord* min = report_.lastLineWithKey(ConfigKey::kJavaMinVersion);
  const LineRecord* max = report_.lastLineWithKey(ConfigKey::kJavaMaxVersion);
  const LineRecord* page = report_.lastLineWithKey(ConfigKey::kJavaDownloadUrl);
  std::optional<JavaVersion> bounds[2];
  const LineRecord* lines[2] = {min, max};
  for (int i = 0; i < 2; ++i) {
    if (!lines[i]) continue;
    bounds[i] = parseJavaVersion(lines[i]->value);
    if (!bounds[i])
      add(FindingKind::kNotAVersion, lines[i]->file, lines[i]->number,
            "\"" + lines[i]->value +
                "\" is not a Java version (such as 17, 17.0.2, 1.8 or "
                "21.0.1+12): the launcher shows an error and exits with " +
                std::to_string(kExitVersionUnresolved) +
                " when it looks for a runtime in the window");
  }
  if (bounds[0] && bounds[1]) {
    VersionWindow window;
    window.min = bounds[0];
    window.max = bounds[1];
    if (windowIsEmpty(window))
      add(FindingKind::kEmptyWindow, max->file, max->number,
           "the maximum " + max->value + " is below the minimum " + min->value +
               ": no runtime fits the window");
  }
  if (const LineRecord* runtime = report_.runtimeLine();
      runtime && (min || max)) {
    const LineRecord* bound = min ? min : max;
    add(FindingKind::kWindowUnused, bound->file, bound->number,
         std::string("the version window is not used: the runtime is set by "
                     "\"") +
             keyText(*runtime->key) + " " + runtime->raw + "\" on " +
             report_.where(runtime->file, runtime->number));
  }
  if (page && !startsWith(page->value, "https://") &&
      !startsWith(page->value, "http://"))
    add(FindingKind::kDownloadPage, page->file, page->number,
         "\"" + page->value +
             "\" is not a web address (https://...): the launcher opens no "
             "page");
}

// Arguments given after "--" that the launcher keeps for itself.
void Collector::ownArguments() {
  for (const std::string& argument : report_.ownArguments) {
    if (argument == "-d")
      add(FindingKind::kOwnArgument, report_.config, 0,
           "the argument \"-d\" is the launcher's own: it takes it (debug "
           "mode: diagnostic boxes and traces, java.exe instead of javaw.exe) "
           "and does not pass it to the application");
    else if (argument == "-c")
      add(FindingKind::kOwnArgument, report_.config, 0,
          "the argument \"-c\" names no configuration file: it takes the "
          "file name joined to it (\"-cother.config\"); the launcher says so "
          "and exits with " +
              std::to_string(kExitNoConfig));
    else
      add(FindingKind::kOwnArgument, report_.config, 0,
           "the argument \"" + argument +
               "\" is the launcher's own: it takes it and reads the "
               "configuration \"" +
               argument.substr(2) +
               "\" instead of this one; the application does not get it");
  }
}

// The runtime a "javapath" line names and the working directory must
// exist where the launcher runs (relative ones from its start directory).
void Collector::runtimeAndDirectory() {
  const LineRecord* runtime = report_.runtimeLine();
  if (runtime && runtime->key == ConfigKey::kJavaPath &&
      runtime->missingVariables.empty()) {
    const std::string path = withoutSurroundingQuotes(runtime->value);
    if (!path.empty() && !notChecked(path, runtime->file, runtime->number) &&
        !exists(path))
      add(FindingKind::kPathMissing, runtime->file, runtime->number,
           "the runtime \"" + path + "\" does not exist" + fromStart(path) +
               ": the launcher shows \"Could not start the Java runtime\" "
               "and exits with " +
               std::to_string(kExitStartFailed));
  }
  const LineRecord* directory = report_.lastLineWithKey(ConfigKey::kWorkingDir);
  const OptionalText& workingDir = report_.settings.workingDir;
  if (directory && workingDir && !workingDir->empty() &&
      directory->missingVariables.empty() &&
      !notChecked(*workingDir, directory->file, directory->number) &&
      !exists(*workingDir))
    add(FindingKind::kPathMissing, directory->file, directory->number,
         "the working directory \"" + *workingDir + "\" does not exist" +
             fromStart(*workingDir) +
             ": the launcher cannot start the application in it and exits "
             "with " +
             std::to_string(kExitStartFailed));
}

// "exitCode" takes two values; the launcher reads any other as if the line
// were not there.
void Collector::exitCodeValue() {
  const LineRecord* line = report_.lastLineWithKey(ConfigKey::kExitCode);
  const OptionalText& value = report_.settings.exitCode;
  if (!line || !value || *value == "app" || *value == "launcher") return;
  add(FindingKind::kExitCodeValue, line->file, line->number,
      "\"exitCode " + *value +
          "\" is neither \"exitCode app\" nor \"exitCode launcher\": the "
          "launcher ignores it and exits with " +
          (report_.settings.console ? "the application's exit code"
                                    : "0 once the application has run"));
}

// A bundled runtime the launcher passes over: the usual lookup runs instead.
void Collector::bundledRuntime() {
  for (const RuntimeSearch& search : report_.searches) {
    if (search.kind != SearchKind::kBundled) continue;
    if (search.notChecked) {
      notChecked(search.bundled.record.home, search.file, search.line);
    } else if (!search.bundled.exists &&
               isDirectory(platform_, search.bundled.record.home)) {
      // A folder without the Windows programs: most likely a runtime made
      // by jlink on Linux, which has bin/java instead.
      add(FindingKind::kBundledRuntimeNotWindows, search.file, search.line,
          "the bundled runtime " +
              report_.displayPath(search.bundled.record.home) + " has no " +
              search.bundled.record.executable.substr(
                  search.bundled.record.home.size() + 1) +
              ": it is not a Windows runtime (jlink on Linux makes one with "
              "bin/java; run it with --module-path <windows-jdk>/jmods to "
              "make a Windows one): the launcher looks for an installed "
              "runtime instead");
    } else if (!search.bundled.taken) {
      add(FindingKind::kBundledRuntimeUnused, search.file, search.line,
          "the bundled runtime " + report_.displayPath(search.bundled.record.home) +
              " is passed over (" +
              search.bundled.reason +
              "): the launcher looks for an installed runtime instead");
    }
  }
}

// A log the launcher cannot write for what is in its way: a folder of its
// name, or a file where one of its folders would be made.
void Collector::logFile() {
  const LineRecord* line = report_.lastLineWithKey(ConfigKey::kLogFile);
  const std::string path = resolvedLogPath(report_.settings);
  if (!line || path.empty() || (report_.hostPaths && isWindowsPath(path)))
    return;
  if (isDirectory(platform_, path)) {
    add(FindingKind::kLogFileUnwritable, line->file, line->number,
        "the log file " + report_.displayPath(path) +
            " is a folder: the launcher writes no log");
    return;
  }
  for (std::string folder = parentFolder(path); !folder.empty();) {
    if (exists(folder)) {
      if (!isDirectory(platform_, folder))
        add(FindingKind::kLogFileUnwritable, line->file, line->number,
            report_.displayPath(folder) + " is a file: the launcher cannot "
            "make the folders of the log file " + report_.displayPath(path) +
            " and writes no log");
      return;
    }
    const std::string parent = parentFolder(folder);
    if (parent == folder) return;
    folder = parent;
  }
}

}  // namespace kite
