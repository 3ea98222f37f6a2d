// kitebrand's command line: reads the launcher and the icons, brands a copy,
// checks the configuration that goes with it, and writes both.
#ifndef KITE_BRAND_KITEBRAND_TOOL_H_
#define KITE_BRAND_KITEBRAND_TOOL_H_

#include <string>
#include <vector>

#include "platform/platform.h"

namespace kite {

// Runs kitebrand with its arguments (without the program's own name),
// reading and writing through `platform`; returns the exit code: 0 when the
// branded copy was written, 2 when nothing was (bad input, an unwritable
// output, a configuration with errors).  `hostPaths` says whether the
// platform is a POSIX host ("/" separates paths), for the check of --config.
int runKitebrand(const std::vector<std::string>& args, Platform& platform,
                 bool hostPaths);

}  // namespace kite

#endif  // KITE_BRAND_KITEBRAND_TOOL_H_
