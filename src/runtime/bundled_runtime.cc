#include "runtime/bundled_runtime.h"

#include <optional>
#include <vector>

#include "base/text.h"
#include "platform/debug_output.h"
#include "runtime/java_registry.h"
#include "runtime/java_version.h"
#include "runtime/runtime_record.h"
#include "runtime/window_search.h"

namespace kite {
namespace {

void dropTrailingSeparators(std::string& path) {
  // "C:\" and "\" are roots: without their separator they name another
  // folder (the drive's current one).
  const size_t keep = path.size() > 1 && path[1] == ':' ? 3 : 1;
  while (path.size() > keep && isPathSeparator(path.back())) path.pop_back();
}

// The window the configuration sets, when both of its bounds (those given)
// are versions; a bound that is not one is reported by the window search.
std::optional<VersionWindow> windowOf(const LaunchSettings& settings) {
  if (!hasVersionWindow(settings)) return std::nullopt;
  VersionWindow window;
  if (settings.javaMinVersion) {
    window.min = parseJavaVersion(*settings.javaMinVersion);
    if (!window.min) return std::nullopt;
    window.minText = *settings.javaMinVersion;
  }
  if (settings.javaMaxVersion) {
    window.max = parseJavaVersion(*settings.javaMaxVersion);
    if (!window.max) return std::nullopt;
    window.maxText = *settings.javaMaxVersion;
  }
  return window;
}

}  // namespace

std::string bundledHome(const std::string& startDir,
                        const std::string& folder) {
  std::string home = folder;
  if (!isAbsolutePath(home)) {
    std::string base = startDir;
    dropTrailingSeparators(base);
    home = inFolder(base, folder);
  }
  for (char& c : home)
    if (c == '/') c = '\\';
  dropTrailingSeparators(home);
  return home;
}

BundledRuntime findBundledRuntime(const LaunchSettings& settings,
                                  Platform& platform) {
  BundledRuntime bundled;
  // The console runtime where the launcher shares its console or shows its
  // traces, as with every other lookup.
  const char* name = runtimeExecutableName(settings);
  bundled.record = runtimeRecordInHome(
      bundledHome(settings.startDir, *settings.bundledRuntime), name);
  RuntimeRecord& record = bundled.record;
  std::vector<FoundFile> found;
  bundled.exists = platform.findFiles(record.executable, &found);
  lookUpVersion(record, platform);
  const std::optional<VersionWindow> window = windowOf(settings);
  if (window) bundled.windowWords = describeWindow(*window);
  const std::optional<JavaVersion> version =
      parseJavaVersion(record.versionText);

  const std::string executable = std::string("bin\\") + name;
  std::string notRunnable;
  if (!bundled.exists) {
    bundled.reason = executable + " does not exist";
  } else if (window && version && !windowAdmits(*window, *version)) {
    bundled.reason = "its release file names " + record.versionText +
                     ", outside the window (" + bundled.windowWords + ")";
  } else if (!(notRunnable = whyNotRunnable(record, platform)).empty()) {
    // Windows would refuse to start it ("Bad EXE format"): passed over
    // like a missing one.
    bundled.reason = executable + " cannot be started: " + notRunnable;
  } else {
    bundled.taken = true;
    bundled.runtime = composeJavaExecutable(settings, platform, record.home);
  }
  debugTrace(
      settings, platform, "bundled runtime %s: %s%s\n", record.home.c_str(),
      bundled.taken ? "taken" : "passed over, ",
      bundled.taken
          ? ""
          : (bundled.reason + "; looking for an installed runtime").c_str());
  return bundled;
}

}  // namespace kite
