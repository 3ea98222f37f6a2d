// One launch of the Java application: start the runtime, wait, judge.
#ifndef KITE_LAUNCHER_CHILD_RUN_H_
#define KITE_LAUNCHER_CHILD_RUN_H_

#include "base/launch_settings.h"
#include "platform/platform.h"

namespace kite {

// How long the launcher waits for the child to be ready for input before
// it waits for the child's end.
constexpr unsigned kInputIdleMilliseconds = 5000;
// A child that ends with a non-zero code sooner than this is reported.
constexpr double kQuickFailureSeconds = 3.0;

struct RunResult {
  // 0 when the child ran (its code is in exitCode); otherwise the launcher's
  // own exit code: kExitNoRuntime or kExitStartFailed.
  int failure = 0;
  int exitCode = 0;
};

// Makes sure a runtime is known, starts it with the command line built from
// `settings`, waits until it ends and reports a child that failed quickly.
RunResult runJavaOnce(LaunchSettings& settings, Platform& platform);

}  // namespace kite

#endif  // KITE_LAUNCHER_CHILD_RUN_H_
