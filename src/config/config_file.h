// Finding and reading the configuration files into LaunchSettings.
#ifndef KITE_CONFIG_CONFIG_FILE_H_
#define KITE_CONFIG_CONFIG_FILE_H_

#include <string>
#include <vector>

#include "launcher/launch_settings.h"
#include "platform/platform.h"

namespace kite {

// Reads the configuration that belongs to the launcher started as `exePath`:
// the "-c" file when one was given, otherwise startDir\<base name>.config.
// Records the path in settings.configPath.  Returns 0 when the file was
// read, 1 otherwise.
int locateAppConfig(LaunchSettings& settings, Platform& platform,
                    const std::string& exePath, const std::string& startDir);

// Reads one configuration file, following "include" lines.  Returns 0 when
// the file was opened and read to its end, 1 when it could not be opened.
int readConfigFile(LaunchSettings& settings, Platform& platform,
                   const std::string& path);

// The key a configuration line begins with, exactly as the reader matches
// it (the first of the key table that the line starts with); null for none.
const char* matchConfigKey(const std::string& line);

// Every key, in the order the reader tests them.
std::vector<const char*> configKeys();

}  // namespace kite

#endif  // KITE_CONFIG_CONFIG_FILE_H_
