#include "runtime/java_registry.h"

#include "base/exit_codes.h"
#include "platform/debug_output.h"

namespace kite {
namespace {

DefaultLookup noJava(const LaunchSettings& settings, Platform& platform,
                     DefaultLookup lookup, const char* debugText,
                     const char* debugCaption, const char* userText) {
  debugBox(settings, platform, debugText, debugCaption, kBoxError);
  platform.showMessageBox(userText, "Error!", kBoxError);
  lookup.outcome = Outcome::exitWith(kExitNoRuntime);
  return lookup;
}

}  // namespace

int readJavaHome(Platform& platform, const std::string& path,
                 std::string* home) {
  RegistryKey key = 0;
  if (platform.openRegistryKey(kClassicRegistryRoot, path, &key) != 0) return 1;
  const long status = platform.readRegistryString(key, "JavaHome", home);
  platform.closeRegistryKey(key);
  return status == 0 ? 0 : 2;
}

DefaultLookup findDefaultJava(const LaunchSettings& settings,
                              Platform& platform) {
  DefaultLookup lookup;
  RegistryKey key = 0;
  if (platform.openRegistryKey(kClassicRegistryRoot, kJavaRegistryKey, &key) !=
      0)
    return noJava(settings, platform, lookup, kJavaRegistryKey,
                  "Error Accessing Registry!", "No Java Installation Found");
  std::string version;
  const long status =
      platform.readRegistryString(key, "CurrentVersion", &version);
  platform.closeRegistryKey(key);
  if (status != 0)
    return noJava(settings, platform, lookup, "Java Current Version Key",
                  "Error Reading Registry", "No Java Installation Found");
  lookup.currentVersion = version;
  std::string home;
  switch (readJavaHome(platform, std::string(kJavaRegistryKey) + "\\" + version,
                       &home)) {
    case 1:
      return noJava(settings, platform, lookup, "Java Current Version",
                    "Error Accessing Registry!",
                    "No Java Installation (No Current Version) Found");
    case 2:
      return noJava(settings, platform, lookup, "Java Home Directory",
                    "Error Reading Registry!",
                    "No Java Installation Home Directory Found");
  }
  lookup.runtime = composeJavaExecutable(settings, platform, home);
  return lookup;
}

const char* runtimeExecutableName(const LaunchSettings& settings) {
  return settings.debugMode || settings.console ? "java.exe" : "javaw.exe";
}

std::string composeJavaExecutable(const LaunchSettings& settings,
                                  Platform& platform, const std::string& home) {
  const bool quote =
      home.find(' ') != std::string::npos || settings.alwaysQuote;
  std::string path;
  if (quote) {
    debugBox(settings, platform, home.c_str(), "Adding double quotes around");
    path += '"';
  }
  path += home;
  path += "\\bin\\";
  path += runtimeExecutableName(settings);
  if (quote) path += '"';
  return path;
}

}  // namespace kite
