// The launcher's own exit codes, and the child's code that asks for a
// relaunch.  Each code means one thing, so a script can tell them apart:
// 3 is left to the C runtime, whose abort() (Kite itself failed, out of
// memory for instance) ends a process with it.
#ifndef KITE_BASE_EXIT_CODES_H_
#define KITE_BASE_EXIT_CODES_H_

namespace kite {

constexpr int kExitOk = 0;
constexpr int kExitNoConfig = 2;
constexpr int kExitNoRuntime = 7;
constexpr int kExitStartFailed = 4;
constexpr int kExitVersionUnresolved = 5;
constexpr int kExitNoMainClass = 6;
constexpr int kExitRuntimeMissing = 11;

// A child exit code that makes the launcher start the application again.
constexpr int kRelaunchExitCode = 999;

}  // namespace kite

#endif  // KITE_BASE_EXIT_CODES_H_
