// Java version numbers: parsing both numbering schemes, comparing them,
// windows of acceptable versions, the version named by a runtime's
// "release" file, and the choice of the best runtime among candidates.
//
// Accepted version text:
//  - the modern scheme "F[.I[.U[.P]]]" ("8", "17", "17.0.2", "17.0.2.1");
//    numbers after the fourth are checked but take no part in comparison;
//  - the legacy scheme "1.F[.I[_U]]" or "1.F.I.U" ("1.8", "1.7.0",
//    "1.8.0_151", "1.6.0_07"), read as feature F, interim I, update U; "_"
//    is accepted only right after the interim number.  A lone "1" is the
//    modern feature 1;
//  - optionally followed by a pre-release suffix "-TEXT" ("22-ea",
//    "17.0.2-internal"), which is ignored: an early-access build counts as
//    the release it precedes, so "22-ea" equals "22";
//  - optionally followed by "+BUILD" ("21.0.1+12", "11.0.21+9-LTS"), also
//    ignored.  A "+" with nothing after it is rejected, so that the old
//    "1.6+" meaning "or later" is not taken for an exact version.
//    Suffix and build hold only letters, digits, "." and "-", and start
//    with a letter or digit.
// Numbers are ASCII digits only (leading zeros allowed), at most
// kMaxVersionNumber each; signs, empty numbers and inner whitespace are
// rejected.  Spaces, tabs, CR and LF around the whole text are trimmed.
#ifndef KITE_RUNTIME_JAVA_VERSION_H_
#define KITE_RUNTIME_JAVA_VERSION_H_

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kite {

// The largest value a single version number may have.
inline constexpr unsigned kMaxVersionNumber = 1000000;

struct JavaVersion {
  unsigned feature = 0;
  unsigned interim = 0;
  unsigned update = 0;
  unsigned patch = 0;
  // How many of the four numbers the text named (1 to 4): "21" names one,
  // "1.8" one (the feature), "1.8.0_151" and "17.0.2" three.  Values
  // outside 1..4 count as 4.
  int components = 0;
};

// The version `text` names, or nothing when it is not a version.
std::optional<JavaVersion> parseJavaVersion(std::string_view text);

// Negative, zero or positive as `a` is below, equal to or above `b`, over
// feature, interim, update and patch in that order; `components` plays no
// part ("17" equals "17.0.0").
int compareVersions(const JavaVersion& a, const JavaVersion& b);

// The canonical modern text: the numbers `components` names, and any later
// non-zero one ("17.0.2", "8.0.151" for 1.8.0_151, "21").  Feature 1 with
// more numbers is written in the legacy scheme ("1.1.8" for 1.1.8), since
// its modern text would read as legacy; a patch number there cannot be
// written and is left out.
std::string formatVersion(const JavaVersion& version);

// The common name of the version as the user wrote it: the modern scheme
// without "+BUILD" ("21.0.1" for "21.0.1+12", "22-ea" kept), the legacy one
// by its feature and update ("8" for "1.8", "8u151" for "1.8.0_151"), except
// that legacy versions with a non-zero interim keep their text ("1.4.2_10").
// Text that is no version comes back trimmed.
std::string versionDisplayName(std::string_view text);

// Acceptable versions, both bounds inclusive and optional.  The texts are
// the bounds as written, used in messages; a bound with an empty text is
// shown in its canonical form.
struct VersionWindow {
  std::optional<JavaVersion> min;
  std::optional<JavaVersion> max;
  std::string minText;
  std::string maxText;
};

// Whether `version` lies in the window.  The minimum is compared as usual
// (missing numbers are 0).  The maximum admits every version that, cut to
// the numbers the maximum names, is at most the maximum: a maximum "21"
// admits every 21.x, "17.0.2" admits 17.0.2.9 but not 17.0.3.
bool windowAdmits(const VersionWindow& window, const JavaVersion& version);

// Whether the window has both bounds and admits nothing (its minimum is
// above its maximum, e.g. minimum 21 and maximum 17).
bool windowIsEmpty(const VersionWindow& window);

// Words for "... requires <words>": "Java 17 or later", "Java 21 or
// earlier", "Java 11 to 21", "Java 17" when both bounds are the same
// version, and "Java" for a window without bounds.  Never empty.
std::string describeWindow(const VersionWindow& window);

// The page offering a runtime for the window: the Temurin release page for
// the minimum's feature version, or the page without a version when there is
// no minimum.
std::string defaultDownloadUrl(const VersionWindow& window);

// The value of the JAVA_VERSION line of a runtime's "release" file: the key
// at the start of a line, then "=" (spaces or tabs around it allowed), then
// the value in double or single quotes or bare.  Tolerates a UTF-8 byte order
// mark and CR LF line ends.  The first JAVA_VERSION line decides; nothing
// when there is none, its value is empty or a quote is left open.
std::optional<std::string> releaseFileVersion(std::string_view text);

// Whether candidate i's executable exists.
using ExecutableCheck = std::function<bool(size_t)>;

struct CandidateChoice {
  std::optional<size_t> chosen;  // index of the runtime to use, if any
  // One entry per candidate: why it was passed over, empty for the chosen
  // one.
  std::vector<std::string> reasons;
};

// Among runtimes of the given versions (unset: unknown), the one with the
// highest version inside the window whose executable exists; the first in
// the list wins between equal versions.  The executables are looked at only
// for candidates inside the window, from the highest version down, until
// one exists: on a machine with many runtimes most are never touched.
// Candidates are passed over because their version is unknown, lies outside
// the window, their executable (`executableName`, used in the reason text)
// does not exist, or a better candidate was found.
CandidateChoice chooseCandidate(
    const std::vector<std::optional<JavaVersion>>& versions,
    const VersionWindow& window, const ExecutableCheck& executableExists,
    std::string_view executableName = "bin\\javaw.exe");

}  // namespace kite

#endif  // KITE_RUNTIME_JAVA_VERSION_H_
