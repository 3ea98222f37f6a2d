// The "addjars" key: every jar of one directory onto the class path.
#ifndef KITE_CONFIG_JAR_SCAN_H_
#define KITE_CONFIG_JAR_SCAN_H_

#include <string>

#include "base/launch_settings.h"
#include "platform/platform.h"

namespace kite {

struct JarScan {
  std::string directory;  // as searched: without surrounding quotes
  size_t added = 0;       // class-path entries appended
};

// Appends "dir/name.jar" to settings.classPath for every jar file in `dir`,
// in the order the directory search delivers them; sub-directories are
// skipped.
JarScan addJarDirectory(LaunchSettings& settings, Platform& platform,
                        const std::string& dir);

}  // namespace kite

#endif  // KITE_CONFIG_JAR_SCAN_H_
