// Finding and reading the configuration files into LaunchSettings.
#ifndef KITE_CONFIG_CONFIG_FILE_H_
#define KITE_CONFIG_CONFIG_FILE_H_

#include <string>

#include "base/launch_settings.h"
#include "base/outcome.h"
#include "platform/platform.h"

namespace kite {

class ConfigObserver;

// The most configuration files one launch reads (or tries to), the main
// file included.  Far above what a real configuration uses; it only stops
// files that include one another over and over.
constexpr int kMaxConfigFiles = 1000;

// Resolves settings.javaVersion when a "javaVersion" line is read.  The
// reader gets it from its caller, so it needs no runtime code of its own.
class VersionResolver {
 public:
  virtual ~VersionResolver() = default;
  /// Sets settings.javaPath to the runtime found and goes on, or says with
  /// which code the launcher ends (the user has then been told why).
  virtual Outcome resolve(LaunchSettings& settings, Platform& platform) = 0;
};

// What the reader needs besides the settings and the platform.
struct ConfigReading {
  VersionResolver& versions;
  ConfigObserver* observer = nullptr;  // null: nobody is told
};

// The file name of the configuration that belongs to the launcher file
// `exePath`: its base name (after the last "\" or "/") with a lower-case
// ".exe" cut off, and ".config" added.  Only a lower-case ".exe" is cut:
// "MyApp.EXE" reads "MyApp.EXE.config".
std::string configFileName(const std::string& exePath);

// Reads the configuration that belongs to the launcher started as `exePath`:
// the "-c" file when one was given, otherwise startDir\<base name>.config.
// Records the path in settings.configPath.  Ends the launcher with
// kExitNoConfig when the file cannot be opened, or with the resolver's code
// where a "javaVersion" line ends it.
Outcome locateAppConfig(LaunchSettings& settings, Platform& platform,
                        const std::string& exePath, const std::string& startDir,
                        const ConfigReading& reading);

// Reads one configuration file, following "include" lines, up to its end or
// to the line where the launcher ends.  Ends the launcher with
// kExitNoConfig when the file cannot be opened, or when one more file would
// pass kMaxConfigFiles.
Outcome readConfigFile(LaunchSettings& settings, Platform& platform,
                       const std::string& path, const ConfigReading& reading);

}  // namespace kite

#endif  // KITE_CONFIG_CONFIG_FILE_H_
