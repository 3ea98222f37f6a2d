// The launcher's entry logic: its own arguments, the start directory, the
// configuration, and the relaunch loop.
#ifndef KITE_LAUNCHER_LAUNCHER_H_
#define KITE_LAUNCHER_LAUNCHER_H_

#include <string>
#include <vector>

#include "launcher/launch_settings.h"
#include "platform/platform.h"

namespace kite {

// 1 when the OS major version is above 5 (Vista and later), otherwise 0.
bool isVistaOrLater(Platform& platform);

// Runs the launcher with its own argv; returns the process exit code.
int runLauncher(const std::vector<std::string>& argv, LaunchSettings& settings,
                Platform& platform);

}  // namespace kite

#endif  // KITE_LAUNCHER_LAUNCHER_H_
