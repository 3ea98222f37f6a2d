// kitecheck's run: reads a configuration with the launcher's own code on a
// read-only platform and reports what the launcher would do and what looks
// wrong.
#ifndef KITE_CHECK_CHECKER_H_
#define KITE_CHECK_CHECKER_H_

#include <optional>
#include <string>
#include <vector>

#include "check/report.h"
#include "platform/platform.h"

namespace kite {

struct CheckOptions {
  std::string exe;     // the launcher's path; empty: not given
  std::string config;  // the configuration file; empty: the launcher's own
  std::vector<std::string> arguments;  // passed on to the application
  bool registryAvailable = true;       // false on a host without a registry
  bool hostPaths = false;  // a POSIX host: "/" separates, "/" is root
  // The variant checked for: true the console variant, false the GUI
  // launcher; unset: the one `exe` is (its PE subsystem), else the GUI one.
  std::optional<bool> console;
};

// Checks the configuration.  `platform` is only read from, except that the
// current directory becomes the start directory, as in the launcher.
Report runCheck(const CheckOptions& options, Platform& platform);

}  // namespace kite

#endif  // KITE_CHECK_CHECKER_H_
