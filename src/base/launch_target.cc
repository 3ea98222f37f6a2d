#include "base/launch_target.h"

namespace kite {

LaunchKind launchKind(const LaunchSettings& settings) {
  if (settings.mainJar && !settings.mainJar->empty()) return LaunchKind::kJar;
  if (settings.mainModule && !settings.mainModule->empty())
    return LaunchKind::kModule;
  return LaunchKind::kClass;
}

const OptionalText& launchTarget(const LaunchSettings& settings) {
  switch (launchKind(settings)) {
    case LaunchKind::kJar:
      return settings.mainJar;
    case LaunchKind::kModule:
      return settings.mainModule;
    case LaunchKind::kClass:
      break;
  }
  return settings.mainClass;
}

const OptionalText& applicationName(const LaunchSettings& settings) {
  if (settings.appName && !settings.appName->empty()) return settings.appName;
  return launchTarget(settings);
}

}  // namespace kite
