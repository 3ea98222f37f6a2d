// What kitecheck found out about one configuration: the files and lines the
// launcher's reader went through, the settings it produced, the runtime
// search, the command line and the findings.  Filled by runCheck, printed
// as text or JSON.
#ifndef KITE_CHECK_REPORT_H_
#define KITE_CHECK_REPORT_H_

#include <optional>
#include <string>
#include <vector>

#include "base/launch_settings.h"
#include "check/check_platform.h"
#include "check/finding_kinds.h"
#include "config/config_keys.h"
#include "config/config_text.h"
#include "runtime/bundled_runtime.h"
#include "runtime/window_search.h"

namespace kite {

struct Finding {
  FindingKind kind;
  std::string file;  // as the launcher names it
  int line;          // 0: the file as a whole
  std::string message;

  Severity severity() const { return findingRule(kind).severity; }
};

// "file:line", or the file alone for line 0 (the file as a whole).
std::string fileAndLine(const std::string& file, int line);

// What became of a configuration file the reader was to read.
enum class FileState {
  kRead,
  kNotOpened,  // it could not be opened (`error` says why)
  kSkipped,    // an include of a file that was already being read
  kOverLimit,  // not read: one file more than a launch reads
};

// One configuration file the reader opened, tried to open, or skipped.
struct FileRecord {
  std::string path;
  int depth = 0;  // 0: the main file, 1: included by it, ...
  FileState state = FileState::kRead;
  int error = 0;  // kNotOpened: the errno value
  std::string errorText;
  std::string includedFrom;  // the file and line of its "include" line
  int includedAt = 0;
  TextEncoding encoding = TextEncoding::kAnsi;  // as the reader decoded it
  bool nonAscii = false;      // the text holds characters outside ASCII
  std::vector<int> badLines;  // lines with bytes not valid in the encoding
  int ctrlZLine = 0;          // a Ctrl-Z ended the file on this line early
};

// The encoding of a file read, for showing: "ASCII" for a file in the ANSI
// code page that holds no other character (it reads the same in every code
// page), otherwise the decoder's name for it.
std::string encodingShown(const FileRecord& file);

// One line as the reader took it, and what it did with it.
struct LineRecord {
  std::string file;
  int number = 0;
  std::string text;
  std::optional<ConfigKey> key;  // the key it matched; unset: ignored
  std::string raw;               // the value as written
  std::string value;             // after expansion
  std::vector<std::string> missingVariables;
  std::string jarDirectory;  // an "addjars" line: the directory searched
  size_t jarsAdded = 0;
  // The lengths of the settings' lists (settingsLists()) before this line
  // took effect; entries from this length up to the next line's belong to
  // this line.
  std::vector<size_t> listsBefore;
  size_t before(SettingsList list) const { return listsBefore[listIndex(list)]; }
};

// One registry subkey the version search considered.
struct SubkeyStep {
  int index = 0;  // from 1, in the registry's enumeration order
  std::string name;
  bool taken = false;  // the one the search chose in the end
  std::string reason;
};

// What a runtime lookup was for.
enum class SearchKind {
  kVersionLine,  // a "javaVersion" line
  kWindow,       // the version window, where no line set the runtime
  kCurrent,      // the registry's current runtime, where nothing else did
  kBundled,      // the "bundledRuntime" folder, before any of these
};

// One runtime lookup.
struct RuntimeSearch {
  SearchKind kind = SearchKind::kCurrent;
  std::string file;  // the "javaVersion" line
  int line = 0;
  std::string request;  // the version asked for
  bool familySearch = false;
  std::string family;
  std::vector<SubkeyStep> subkeys;
  std::string versionKey;          // the version key opened in the end
  OptionalText runtime;            // the executable found
  std::vector<RecordedBox> boxes;  // what the launcher would show
  int exitCode = 0;  // where the launcher would end; 0: it goes on
  std::string windowWords;  // kWindow: "Java 17 or later"
  std::vector<RuntimeCandidate> candidates;
  BundledRuntime bundled;  // kBundled: what the launcher found there
  bool notChecked = false;  // kBundled: a Windows path, not looked up here
};

struct Report {
  std::string config;  // the main configuration file
  std::string startDirectory;
  bool registryAvailable = true;  // false: no registry here, nothing searched
  bool hostPaths = false;  // print file names with "/" (a POSIX host)
  // The variant checked for (settings.console says which) and where that
  // came from: "as --console asks", "as --gui asks", "as its PE header
  // says" (the launcher file's) or "the default".
  std::string variantFrom;
  std::vector<FileRecord> files;
  // The code the launcher ends with while reading its configuration (its
  // main file cannot be opened, or too many files); 0: it reads to the end.
  int readExitCode = 0;
  std::vector<LineRecord> lines;
  LaunchSettings settings;          // as the reader left them
  std::string instanceName;  // the launcher's lock; empty: no single instance
  size_t commandLineArguments = 0;  // arguments given after "--"
  // Arguments after "--" that the launcher takes for itself ("-d", "-c...").
  std::vector<std::string> ownArguments;
  std::vector<RuntimeSearch> searches;
  // The variables the application gets from the launcher: KITE_APP_DIR,
  // KITE_APP_EXE, then each one an "env" line sets, as "NAME=value" with
  // "%NAME%" expanded against this machine's environment.
  std::vector<std::string> environment;
  bool runtimePlaceholder = false;  // the path is a stand-in, not known here
  std::string commandLine;
  size_t commandLineLength = 0;  // in UTF-16 units, as Windows counts it
  // A command line too long for Windows: whether the launcher would put the
  // JVM's items in an argument file, and if not, why.
  bool argumentFile = false;
  std::string argumentFileWhyNot;
  // "appProcess on": how the launcher starts the application, and why
  // ("hosted: ..." or "javaw.exe: ..."); empty without the key.
  std::string appProcess;
  bool hosted = false;
  std::vector<Finding> findings;

  int errors() const;
  int warnings() const;
  int notes() const;
  // 0: nothing wrong, 1: warnings only, 2: errors.
  int exitCode() const;
  // The line that last set a single-value key, or null.
  const LineRecord* lastLineWithKey(ConfigKey key) const;
  // The "javapath" or "javaVersion" line the runtime comes from; null when
  // it comes from the registry's current runtime.
  const LineRecord* runtimeLine() const;
  // The lookup that produced the runtime in the end, or null (a
  // "javapath" line).
  const RuntimeSearch* runtimeSearch() const;
  // The bundled runtime's lookup when the launcher takes it, or null.
  const RuntimeSearch* bundledTaken() const;
  // The line an entry of a list came from (null: the command line).
  const LineRecord* originOf(SettingsList list, size_t index) const;
  // A file name for printing, the same way for every file: absolute (a
  // relative one from the start directory), with "/" on a POSIX host.
  std::string displayPath(const std::string& path) const;
  // A file and line for printing: displayPath(file), then ":line".
  std::string where(const std::string& file, int line) const {
    return fileAndLine(displayPath(file), line);
  }
};

}  // namespace kite

#endif  // KITE_CHECK_REPORT_H_
