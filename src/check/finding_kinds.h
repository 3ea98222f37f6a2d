// The kinds of kitecheck's findings, one row each: the stable name tools
// read in the JSON output, how grave it is, and the sentence the README's
// table of findings gives it (a test holds the README to these rows).
#ifndef KITE_CHECK_FINDING_KINDS_H_
#define KITE_CHECK_FINDING_KINDS_H_

#include <cstddef>
#include <string>

namespace kite {

// A note tells what the launcher will do that a user may not expect; it
// does not raise kitecheck's exit code.
enum class Severity { kNote, kWarning, kError };

// "error", "warning" or "note".
const char* severityWord(Severity severity);

enum class FindingKind {
  // Errors.
  kNoMainClass,
  kNoClassPath,
  kRuntimeNotFound,
  kNotAVersion,
  kCommandLineTooLong,
  kFileNotOpened,
  kTooManyFiles,
  kExitCodeValue,
  kOptionValue,
  kAppUserModelId,
  // Warnings.
  kUnknownKey,
  kTabAfterKey,
  kIndentedKey,
  kNoValue,
  kNoSpace,
  kKeyPrefix,
  kVariableNotSet,
  kPathMissing,
  kPathWildcard,
  kNotFromWorkingDir,
  kJarDirectoryMissing,
  kJarDirectoryEmpty,
  kUnquotedBlank,
  kUnquotedPath,
  kVersionNeverMatches,
  kEmptyWindow,
  kWindowUnused,
  kDownloadPage,
  kKeySetTwice,
  kIncludeCycle,
  kInvalidText,
  kCtrlZ,
  kNulByte,
  kOwnArgument,
  kCodePage,
  kTargetIgnored,
  kClassPathIgnored,
  kModuleNeedsJava9,
  kEnvNotAVariable,
  kTitleNotShown,
  kBundledRuntimeNotWindows,
  kLogFileUnwritable,
  // Notes.
  kValueQuoted,
  kEncoding,
  kPathNotChecked,
  kBundledRuntimeUnused,
  kArgumentFile,
  kNotHosted,
};

struct FindingRule {
  FindingKind kind;
  const char* name;  // "unknown-key"
  Severity severity;
  // The README's description; kinds that share one are listed in one row
  // of its table.
  const char* readme;
};

const FindingRule& findingRule(FindingKind kind);
inline const char* findingName(FindingKind kind) {
  return findingRule(kind).name;
}

// Every kind, errors first, then warnings, then notes.
struct FindingTable {
  const FindingRule* begin() const;
  const FindingRule* end() const;
  size_t size() const { return static_cast<size_t>(end() - begin()); }
};
inline FindingTable findingKinds() { return {}; }

}  // namespace kite

#endif  // KITE_CHECK_FINDING_KINDS_H_
