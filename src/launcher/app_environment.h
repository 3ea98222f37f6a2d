// The application's environment: the two variables that name the launcher
// (KITE_APP_DIR, KITE_APP_EXE), which every configuration value can use and
// the application inherits, and the "env NAME=value" lines, which set
// variables for the application only.
#ifndef KITE_LAUNCHER_APP_ENVIRONMENT_H_
#define KITE_LAUNCHER_APP_ENVIRONMENT_H_

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/launch_settings.h"
#include "platform/platform.h"

namespace kite {

// The folder of the launcher file `exePath`: everything before its last
// "\" or "/"; a drive's root keeps its backslash ("C:\"), since "C:" names
// that drive's current folder.  Empty when the path names no folder.
std::string appDirectory(const std::string& exePath);

// Sets KITE_APP_DIR (appDirectory) and KITE_APP_EXE (`exePath`) in the
// launcher's own environment, before the configuration is read.
void setAppVariables(const std::string& exePath, Platform& platform);

// Finds a variable by name (without regard to letter case).
using VariableLookup = std::function<bool(const std::string&, std::string*)>;

// `text` with every "%NAME%" whose variable `lookup` finds replaced by its
// value, once (a value's own "%" stays).  A "%NAME%" that is not found, a
// "%%" and a lone "%" stay as written.
std::string expandPercentReferences(const std::string& text,
                                    const VariableLookup& lookup);

// Splits an "env" line "NAME=value" at its first "="; false when it has
// none or the name is empty.
bool splitEnvironmentLine(const std::string& line, std::string* name,
                          std::string* value);

// Applies "env" lines, in order, to the environment `entries` ("NAME=value"
// each): a line's value is expanded against the entries as they stand, then
// replaces the entry of that name (names compare without letter case) or is
// added.  Lines that are no NAME=value are skipped.  The result is sorted
// by name without regard to case, as Windows wants an environment block.
std::vector<std::string> applyEnvironmentLines(
    std::vector<std::string> entries, const std::vector<std::string>& lines);

// The environment the application gets: the launcher's own with the "env"
// lines applied, or nothing (it inherits the launcher's) when there are
// none.  In debug mode traces each variable an "env" line sets.
std::optional<std::vector<std::string>> childEnvironment(
    const LaunchSettings& settings, Platform& platform);

}  // namespace kite

#endif  // KITE_LAUNCHER_APP_ENVIRONMENT_H_
