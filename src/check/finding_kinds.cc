#include "check/finding_kinds.h"

#include <iterator>

namespace kite {
namespace {

constexpr Severity kError = Severity::kError;
constexpr Severity kWarning = Severity::kWarning;
constexpr Severity kNote = Severity::kNote;

// Sentences that several kinds share, as one row of the README's table.
constexpr const char* kJarDirectory =
    "An `addjars` directory that does not exist, or holds no jar";
constexpr const char* kWindow =
    "A version window that admits nothing, or is not used (`javapath` or "
    "`javaVersion` sets the runtime), or a download page that is not a web "
    "address";
constexpr const char* kFileText =
    "Bytes that are not valid in the file's encoding; a Ctrl-Z that ends the "
    "file before its last line; a NUL byte in a line";

constexpr FindingRule kRules[] = {
    {FindingKind::kNoMainClass, "no-main-class", kError,
     "The configuration names no main class, or an empty one"},
    {FindingKind::kNoClassPath, "no-class-path", kError,
     "Nothing is put on the class path (Java would take the main class for "
     "it)"},
    {FindingKind::kRuntimeNotFound, "runtime-not-found", kError,
     "A requested runtime cannot be found, or none fits the version window "
     "(or, without either, the registry names none); a runtime that cannot "
     "be found ends the launcher at that line, but kitecheck goes on "
     "checking the rest"},
    {FindingKind::kNotAVersion, "not-a-version", kError,
     "A version bound that is not a version"},
    {FindingKind::kCommandLineTooLong, "command-line-too-long", kError,
     "The command line is longer than Windows accepts, and no argument file "
     "can shorten it (at the line that took it over)"},
    {FindingKind::kFileNotOpened, "file-not-opened", kError,
     "A configuration file or an included file cannot be opened (a "
     "directory is named as one)"},
    {FindingKind::kTooManyFiles, "too-many-files", kError,
     "Includes would read more than 1,000 files"},
    {FindingKind::kExitCodeValue, "exit-code-value", kError,
     "An `exitCode` value other than `app` and `launcher`"},
    {FindingKind::kOptionValue, "option-value", kError,
     "An `appProcess` value other than `on` and `off`, or an "
     "`endWithLauncher` value other than `on`, `tree` and `off`"},
    {FindingKind::kAppUserModelId, "app-user-model-id", kError,
     "An `appUserModelId` longer than 128 characters or with a space, which "
     "the launcher does not use"},

    {FindingKind::kUnknownKey, "unknown-key", kWarning,
     "An unknown key, with the nearest known key when one is close "
     "(`mainClass` → `mainclass`)"},
    {FindingKind::kTabAfterKey, "tab-after-key", kWarning,
     "A tab instead of a space after a key"},
    {FindingKind::kIndentedKey, "indented-key", kWarning, "An indented key"},
    {FindingKind::kNoValue, "no-value", kWarning, "A key with no value"},
    {FindingKind::kNoSpace, "no-space", kWarning,
     "A key run into its value (`mainclasscom.example.Main`), or a line "
     "without a space (with a hint when it looks like a path)"},
    {FindingKind::kKeyPrefix, "key-prefix", kWarning,
     "A line that matches a key only by its first letters (`vmparameter` is "
     "read as `vmparam`)"},
    {FindingKind::kVariableNotSet, "variable-not-set", kWarning,
     "A variable that is not set (or a lone `$` at the end of a value)"},
    {FindingKind::kPathMissing, "path-missing", kWarning,
     "An `addjar`, `addpath`, `modulepath`, `mainjar`, `javapath` or "
     "`workingDir` path that does not exist"},
    {FindingKind::kPathWildcard, "path-wildcard", kWarning,
     "A class-path or module-path entry with a `*` or `?` that Java does "
     "not expand (only a folder followed by `*` stands for its jars)"},
    {FindingKind::kNotFromWorkingDir, "not-from-working-dir", kWarning,
     "A relative `addjar`, `addpath`, `modulepath` or `mainjar` path found "
     "from the start directory but not from the working directory, where "
     "Java looks for it"},
    {FindingKind::kJarDirectoryMissing, "jar-directory-missing", kWarning,
     kJarDirectory},
    {FindingKind::kJarDirectoryEmpty, "jar-directory-empty", kWarning,
     kJarDirectory},
    {FindingKind::kUnquotedBlank, "unquoted-blank", kWarning,
     "A blank that splits the command line: a class-path entry broken in "
     "two, a JVM parameter made two"},
    {FindingKind::kUnquotedPath, "unquoted-path", kWarning,
     "An unquoted `javapath` with a blank (Windows would first run the text "
     "up to the blank)"},
    {FindingKind::kVersionNeverMatches, "version-never-matches", kWarning,
     "A `javaVersion` that can never match (`1.8+`)"},
    {FindingKind::kEmptyWindow, "empty-window", kWarning,
     kWindow},
    {FindingKind::kWindowUnused, "window-unused", kWarning,
     kWindow},
    {FindingKind::kDownloadPage, "download-page", kWarning,
     kWindow},
    {FindingKind::kKeySetTwice, "key-set-twice", kWarning,
     "A key set twice (the earlier value is lost; `javapath` and "
     "`javaVersion` both set the runtime)"},
    {FindingKind::kIncludeCycle, "include-cycle", kWarning,
     "An include of a file that is already being read"},
    {FindingKind::kInvalidText, "invalid-text", kWarning,
     kFileText},
    {FindingKind::kCtrlZ, "ctrl-z", kWarning,
     kFileText},
    {FindingKind::kNulByte, "nul-byte", kWarning,
     kFileText},
    {FindingKind::kOwnArgument, "own-argument", kWarning,
     "An argument after `--` that the launcher keeps for itself (`-d`, "
     "`-c…`)"},
    {FindingKind::kEnvNotAVariable, "env-not-a-variable", kWarning,
     "An `env` line that is not `NAME=value` (the launcher ignores it)"},
    {FindingKind::kTitleNotShown, "console-title-unused", kWarning,
     "A `consoleTitle` with an `appUserModelId`, which takes its place"},

    {FindingKind::kCodePage, "code-page", kWarning,
     "A JVM parameter, argument, main class or module, or a path Windows has "
     "no short name for, with characters the ANSI code page cannot hold "
     "(the code page is named, with what the application gets)"},
    {FindingKind::kTargetIgnored, "target-ignored", kWarning,
     "More than one of `mainclass`, `mainmodule` and `mainjar` (a jar wins "
     "over a module, a module over a class)"},
    {FindingKind::kClassPathIgnored, "class-path-ignored", kWarning,
     "Class-path keys beside a `mainjar` (Java takes the class path from the "
     "jar)"},
    {FindingKind::kModuleNeedsJava9, "module-needs-java9", kWarning,
     "A `mainmodule` with a version window that admits a Java older than 9"},
    {FindingKind::kBundledRuntimeNotWindows, "bundled-runtime-not-windows",
     kWarning,
     "A bundled runtime folder without `bin\\java.exe` or "
     "`bin\\javaw.exe`, as jlink makes on Linux (the launcher passes it "
     "over; see *A Windows runtime made on Linux* in the guide)"},
    {FindingKind::kLogFileUnwritable, "log-file-unwritable", kWarning,
     "A `logFile` the launcher cannot write: it names a folder, or a file "
     "stands where one of its folders would be made"},

    {FindingKind::kValueQuoted, "value-quoted", kNote,
     "A value that will be put in double quotes (a variable's value holds a "
     "space), as it should"},
    {FindingKind::kEncoding, "encoding", kNote,
     "A file in the ANSI code page with characters outside ASCII (they read "
     "differently under another code page)"},
    {FindingKind::kPathNotChecked, "path-not-checked", kNote,
     "A Windows path (`C:\\...`, `\\\\server\\...`) that kitecheck on Linux "
     "cannot look up"},
    {FindingKind::kBundledRuntimeUnused, "bundled-runtime-unused", kNote,
     "A bundled runtime that the launcher passes over (its executable is "
     "missing, or its release file names a version outside the window)"},
    {FindingKind::kArgumentFile, "argument-file", kNote,
     "A command line longer than Windows accepts that the launcher shortens "
     "with an argument file (the runtime is Java 9 or later)"},
    {FindingKind::kNotHosted, "not-hosted", kNote,
     "`appProcess on` with a runtime the launcher cannot run itself: it "
     "starts javaw.exe (or java.exe), and says why"},
};

}  // namespace

const char* severityWord(Severity severity) {
  switch (severity) {
    case Severity::kError:
      return "error";
    case Severity::kWarning:
      return "warning";
    case Severity::kNote:
      break;
  }
  return "note";
}

const FindingRule* FindingTable::begin() const { return kRules; }
const FindingRule* FindingTable::end() const {
  return kRules + std::size(kRules);
}

const FindingRule& findingRule(FindingKind kind) {
  for (const FindingRule& rule : findingKinds())
    if (rule.kind == kind) return rule;
  return kRules[0];  // not reached: every kind has a row
}

}  // namespace kite
