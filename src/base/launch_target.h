// What a launch starts, and the name the user knows the application by.
#ifndef KITE_BASE_LAUNCH_TARGET_H_
#define KITE_BASE_LAUNCH_TARGET_H_

#include "base/launch_settings.h"

namespace kite {

// What the application is started as: a main class (the default), a main
// module ("-m"), or an executable jar ("-jar"), which wins over both.
enum class LaunchKind { kClass, kModule, kJar };
LaunchKind launchKind(const LaunchSettings& settings);

// The main class, module or jar the launch starts, by launchKind().
const OptionalText& launchTarget(const LaunchSettings& settings);

// The application as messages name it: its appname when one is given,
// otherwise what the launch starts (unset when that is unset too).
const OptionalText& applicationName(const LaunchSettings& settings);

}  // namespace kite

#endif  // KITE_BASE_LAUNCH_TARGET_H_
