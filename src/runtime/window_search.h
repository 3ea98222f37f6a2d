// Finding a runtime by a version window ("javaMinVersion",
// "javaMaxVersion"): every runtime the common installers register, in both
// registry hives and views, and JAVA_HOME; the highest version inside the
// window is taken.  Used only where the default lookup would run.
#ifndef KITE_RUNTIME_WINDOW_SEARCH_H_
#define KITE_RUNTIME_WINDOW_SEARCH_H_

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/launch_settings.h"
#include "base/outcome.h"
#include "base/runtime_record.h"
#include "platform/platform.h"
#include "runtime/java_version.h"

namespace kite {

// One runtime home the search found.
struct RuntimeCandidate {
  std::string source;  // "HKLM 64-bit SOFTWARE\...\hotspot\MSI" or "JAVA_HOME"
  std::string home;
  std::string versionText;  // as read; empty when it could not be told
  std::string versionFrom;  // "release file" or "key name"
  std::optional<JavaVersion> version;
  // Whether bin\javaw.exe (java.exe in debug mode) exists; unset when it
  // was not looked at (only candidates inside the window are, highest first).
  std::optional<bool> executableExists;
  bool taken = false;
  std::string reason;  // why it was passed over; empty for the one taken
};

struct WindowSearch {
  VersionWindow window;
  std::string words;     // the window in words: "Java 17 or later"
  std::string badBound;  // a bound that is no version: "javaMinVersion x"
  std::vector<RuntimeCandidate> candidates;  // in the order found
  OptionalText runtime;  // the executable path of the one taken
  RuntimeRecord record;  // what the search knows of the one taken
  std::string page;      // the download page offered when none fits
  // Goes on with `runtime`, or ends the launcher with
  // kExitVersionUnresolved after the box that says why.
  Outcome outcome = Outcome::goOn();
};

// True when the configuration gave a window (a minimum or a maximum).
bool hasVersionWindow(const LaunchSettings& settings);

// Whether a runtime home is preferred to another of the same version.
using PreferredHome = std::function<bool(const std::string& home)>;

// Searches every registered runtime and JAVA_HOME for the highest version
// inside the window (of several of that version, the first one `preferred`
// accepts, else the first found); in debug mode traces every candidate.
// When none fits, asks whether to open the download page (and opens it on
// Yes).
WindowSearch findRuntimeInWindow(const LaunchSettings& settings,
                                 Platform& platform,
                                 const PreferredHome& preferred = nullptr);

}  // namespace kite

#endif  // KITE_RUNTIME_WINDOW_SEARCH_H_
