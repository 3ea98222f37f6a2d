// Finding the runtime the registry declares current, and composing a
// runtime's executable path from its home directory.
#ifndef KITE_RUNTIME_JAVA_REGISTRY_H_
#define KITE_RUNTIME_JAVA_REGISTRY_H_

#include <string>

#include "base/launch_settings.h"
#include "base/outcome.h"
#include "platform/platform.h"

namespace kite {

inline constexpr const char kJavaRegistryKey[] =
    "SOFTWARE\\JavaSoft\\Java Runtime Environment";

// The default lookup: the runtime the registry names as current.
struct DefaultLookup {
  std::string currentVersion;  // the "CurrentVersion" value; empty: unread
  OptionalText runtime;        // the executable path; unset: none found
  // Goes on with `runtime`, or ends the launcher with kExitNoRuntime after
  // the box that says why.
  Outcome outcome = Outcome::goOn();
};
DefaultLookup findDefaultJava(const LaunchSettings& settings,
                              Platform& platform);

// Opens `path`, reads its "JavaHome" and closes it again.  Returns 1 when
// the key cannot be opened, 2 when the value cannot be read, 0 on success.
int readJavaHome(Platform& platform, const std::string& path,
                 std::string* home);

// The runtime's executable file: "java.exe", the console runtime, for the
// console variant and in debug mode, else "javaw.exe", which opens no
// console window.
const char* runtimeExecutableName(const LaunchSettings& settings);

// The runtime executable inside the "JavaHome" directory `home`, quoted when
// the directory holds a space or settings.alwaysQuote is set.
std::string composeJavaExecutable(const LaunchSettings& settings,
                                  Platform& platform, const std::string& home);

}  // namespace kite

#endif  // KITE_RUNTIME_JAVA_REGISTRY_H_
