// Finding an installed Java runtime in the registry.
#ifndef KITE_RUNTIME_JAVA_REGISTRY_H_
#define KITE_RUNTIME_JAVA_REGISTRY_H_

#include <string>

#include "launcher/launch_settings.h"
#include "platform/platform.h"

namespace kite {

inline constexpr const char kJavaRegistryKey[] =
    "SOFTWARE\\JavaSoft\\Java Runtime Environment";

// The runtime declared current by the registry, as an executable path; unset
// after telling the user why none was found.
OptionalText findDefaultJava(LaunchSettings& settings, Platform& platform);

// The runtime executable inside the "JavaHome" directory `home`, quoted when
// the directory holds a space or settings.alwaysQuote is set.
std::string composeJavaExecutable(const LaunchSettings& settings,
                                  Platform& platform, const std::string& home);

// The runtime that settings.javaVersion asks for, as an executable path;
// unset when it cannot be found (the caller then ends the launcher).  May
// end the process itself through selectLatestPatch.
OptionalText findJavaForVersion(LaunchSettings& settings, Platform& platform);

// For a family request (no "_", or a "+"), replaces settings.javaVersion
// with the installed subkey of the highest patch level; ends the process
// when the family cannot be searched or no runtime reaches the requested
// patch level.
void selectLatestPatch(LaunchSettings& settings, Platform& platform);

}  // namespace kite

#endif  // KITE_RUNTIME_JAVA_REGISTRY_H_
