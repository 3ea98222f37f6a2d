// The one record of everything a launch needs.  The entry logic fills the
// flags, the start directory and the pass-through arguments; the
// configuration reader fills the rest; the command-line builder only reads.
#ifndef KITE_LAUNCHER_LAUNCH_SETTINGS_H_
#define KITE_LAUNCHER_LAUNCH_SETTINGS_H_

#include <optional>
#include <string>
#include <vector>

namespace kite {

class ConfigObserver;

// Text shown in the debug boxes.
inline constexpr const char kVersionText[] = "1.0.16";

// A child exit code that makes the launcher start the application again.
constexpr int RELAUNCH_EXIT_CODE = 999;

// The launcher's own exit codes.
constexpr int kExitOk = 0;
constexpr int kExitNoConfig = 2;
constexpr int kExitNoRuntime = 3;
constexpr int kExitStartFailed = 4;
constexpr int kExitVersionUnresolved = 5;
constexpr int kExitNoMainClass = 6;
constexpr int kExitRuntimeMissing = 11;

// A string that may be unset.  Unset and empty differ: an unset working
// directory means "inherit", and messages print an unset name as "(null)".
using OptionalText = std::optional<std::string>;

struct LaunchSettings {
  std::string startDir;
  OptionalText configOverride;  // the path given with "-c"
  std::string configPath;       // the main configuration file, for messages
  bool debugMode = false;
  bool alwaysQuote = false;

  OptionalText mainClass;
  OptionalText appName;
  OptionalText javaVersion;
  OptionalText javaPath;
  OptionalText consoleTitle;
  OptionalText workingDir;

  // The lists only grow and keep the order of appending; they have no
  // capacity limit (the command-line length limit is checked at launch).
  std::vector<std::string> vmParams;
  std::vector<std::string> classPath;
  std::vector<std::string> arguments;

  // Told what the configuration reader does; null in the launcher, set by
  // kitecheck (config/config_observer.h).
  ConfigObserver* observer = nullptr;
};

}  // namespace kite

#endif  // KITE_LAUNCHER_LAUNCH_SETTINGS_H_
