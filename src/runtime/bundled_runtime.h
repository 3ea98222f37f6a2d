// A runtime shipped with the application ("bundledRuntime <folder>"): used
// before any installed one when its executable exists, is a program this
// Windows runs and, where a version window is set, its "release" file names
// no version outside the window.
// Otherwise the usual lookup runs ("javapath", "javaVersion", the window or
// the registry's current runtime).
#ifndef KITE_RUNTIME_BUNDLED_RUNTIME_H_
#define KITE_RUNTIME_BUNDLED_RUNTIME_H_

#include <string>

#include "base/launch_settings.h"
#include "base/runtime_record.h"
#include "platform/platform.h"

namespace kite {

struct BundledRuntime {
  // Its home (the folder, from the start directory), executable
  // (bin\javaw.exe, java.exe for a console) and version (from its release
  // file; empty: none).
  RuntimeRecord record;
  bool exists = false;      // the executable was found
  std::string windowWords;  // the window it was held to; empty: none
  bool taken = false;
  std::string reason;    // why it was passed over; empty when taken
  OptionalText runtime;  // taken: the executable as the command line has it
};

// Looks at settings.bundledRuntime (which must be set); traces whether it
// is taken, and why not.
BundledRuntime findBundledRuntime(const LaunchSettings& settings,
                                  Platform& platform);

// The folder `folder` names from `startDir`: "/" turned into "\", no
// separator at its end (a drive's root keeps its own: "C:\").
std::string bundledHome(const std::string& startDir, const std::string& folder);

}  // namespace kite

#endif  // KITE_RUNTIME_BUNDLED_RUNTIME_H_
