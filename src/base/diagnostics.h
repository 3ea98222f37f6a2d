// What a launch's diagnostic output (debug_output.h) needs to know of it:
// whether it runs in debug mode, and the launch log its configuration
// names.  The launch settings carry these two among the rest; the platform
// layer's debug output sees only them.
#ifndef KITE_BASE_DIAGNOSTICS_H_
#define KITE_BASE_DIAGNOSTICS_H_

#include <optional>
#include <string>

namespace kite {

// A string that may be unset.  Unset and empty differ: an unset working
// directory means "inherit", and messages print an unset name as "(null)".
using OptionalText = std::optional<std::string>;

struct Diagnostics {
  bool debugMode = false;
  // "logFile": the file every launch appends its record to; a relative path
  // is relative to the start directory.  Unset: no log.
  OptionalText logFile;
};

}  // namespace kite

#endif  // KITE_BASE_DIAGNOSTICS_H_
