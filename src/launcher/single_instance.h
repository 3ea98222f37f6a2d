// One running instance of an application per user and logon session (the
// "singleInstance" key): the name of the instance, the lock a launch holds
// for its whole run, relaunches included, and what a second start does
// instead of starting a runtime.
#ifndef KITE_LAUNCHER_SINGLE_INSTANCE_H_
#define KITE_LAUNCHER_SINGLE_INSTANCE_H_

#include <cstddef>
#include <string>

#include "base/launch_settings.h"
#include "base/outcome.h"
#include "platform/platform.h"

namespace kite {

// The longest instance name, in UTF-16 units.  The system's object names
// have room for 260; the namespace, Kite's prefix and the user's SID take
// up to about 80 of them.
constexpr size_t kInstanceNameLimit = 128;

// `path` made absolute against `directory` as Windows makes a full path
// name: "/" read as "\", a path from the root taking the drive of
// `directory`, repeated separators joined and "." and ".." components
// resolved (never above the drive or the share).
std::string fullPathName(const std::string& path, const std::string& directory);

// `name` when it has at most kInstanceNameLimit UTF-16 units; otherwise its
// start, "~" and 16 hex digits of a hash of the whole, so that long names
// that differ only at their end stay apart.
std::string boundedInstanceName(const std::string& name);

// The instance the settings ask for: "file:" and the configuration file's
// identity (Platform::fileIdentity; its full path when that is unknown) for
// "on", "name:" and the name for any other value; empty when
// there is none (no "singleInstance" line, "off", or no value).  Names
// compare without regard to letter case, so they are lower-cased; "\"
// becomes "/", since the system reads it as a namespace separator.
std::string instanceName(const LaunchSettings& settings, Platform& platform);

// The lock of one launch, released when it goes out of scope.
class InstanceHold {
 public:
  explicit InstanceHold(Platform& platform) : platform_(platform) {}
  ~InstanceHold();
  InstanceHold(const InstanceHold&) = delete;
  InstanceHold& operator=(const InstanceHold&) = delete;

  // Asks for the lock `name`; what the system answered.
  InstanceClaim claim(const std::string& name);

 private:
  Platform& platform_;
  InstanceLock lock_ = 0;
};

// Takes the lock of the instance the settings ask for into `hold` and goes
// on; without an instance it does nothing, and a lock the system refuses
// or another account's object is gone on without.  When another launch
// runs the application, ends the launcher with kExitOk and starts nothing:
// the running application's window comes to the front, or, in the console
// variant, the line "APP is already running" goes to standard error (where
// the console variant puts its own name before it).  `passed` is the
// number of settings.arguments that came from its command line (those are
// dropped, and traced so).
Outcome enterSingleInstance(const LaunchSettings& settings, Platform& platform,
                            size_t passed, InstanceHold& hold);

}  // namespace kite

#endif  // KITE_LAUNCHER_SINGLE_INSTANCE_H_
