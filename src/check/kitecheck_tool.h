// kitecheck's command line: the options, the check and its output.
#ifndef KITE_CHECK_KITECHECK_TOOL_H_
#define KITE_CHECK_KITECHECK_TOOL_H_

#include <string>
#include <vector>

#include "platform/platform.h"

namespace kite {

// Runs kitecheck with its arguments (without the program's own name),
// writing the report through `platform`; returns the exit code: 0 when
// nothing is wrong, 1 when there are only warnings, 2 when there are errors
// or the command line cannot be understood.  `hostPaths` and `registry` say
// what the platform is: a POSIX host ("/" separates, no registry) or
// Windows.
int runKitecheck(const std::vector<std::string>& args, Platform& platform,
                 bool hostPaths, bool registry);

}  // namespace kite

#endif  // KITE_CHECK_KITECHECK_TOOL_H_
