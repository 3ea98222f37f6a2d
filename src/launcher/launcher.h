// The launcher's entry logic: its own arguments, the start directory, the
// configuration, and the relaunch loop.
#ifndef KITE_LAUNCHER_LAUNCHER_H_
#define KITE_LAUNCHER_LAUNCHER_H_

#include <string>
#include <vector>

#include "base/launch_settings.h"
#include "base/outcome.h"
#include "config/config_file.h"
#include "platform/platform.h"

namespace kite {

// Takes the launcher's own arguments out of `args` (its arguments after
// its own name): "-d" sets debug mode, "-c<path>" the configuration file;
// the others become the application's, in order.  Returns the ones taken.
std::vector<std::string> takeOwnArguments(const std::vector<std::string>& args,
                                          LaunchSettings& settings);

// True when the OS major version is above 5 (Vista and later).
bool isVistaOrLater(Platform& platform);

// A resolver for "javaVersion" lines that searches where each line stands:
// sets settings.javaPath to the runtime the version search finds, or ends
// the launcher where the search does.  (The launcher itself decides with a
// RuntimeChoice, which also weighs a bundled runtime.)
class RegistryVersionResolver : public VersionResolver {
 public:
  Outcome resolve(LaunchSettings& settings, Platform& platform) override;
};

// Whether the launcher ends with the application's exit code once the
// application has run: "exitCode app" says yes, "exitCode launcher" no, and
// without the key the console variant does and the GUI launcher does not
// (it exits with 0).  Any other value counts as unset (kitecheck reports
// it).
bool exitsWithApplicationCode(const LaunchSettings& settings);

// Runs the launcher with its own argv; returns the process exit code.  The
// console variant (settings.console) shows no box: each becomes a line on
// standard error, as do its trace lines.
int runLauncher(const std::vector<std::string>& argv, LaunchSettings& settings,
                Platform& platform);

}  // namespace kite

#endif  // KITE_LAUNCHER_LAUNCHER_H_
