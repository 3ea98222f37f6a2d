#include "runtime/java_registry.h"

#include <climits>

#include "launcher/text.h"
#include "runtime/download_prompt.h"

namespace kite {
namespace {

// Opens `path`, reads its "JavaHome" and closes it again.  Returns 1 when
// the key cannot be opened, 2 when the value cannot be read, 0 on success.
int readJavaHome(Platform& platform, const std::string& path, std::string* home) {
  RegistryKey key = 0;
  if (platform.openRegistryKey(path, &key) != 0) return 1;
  const long status = platform.readRegistryString(key, "JavaHome", home);
  platform.closeRegistryKey(key);
  return status == 0 ? 0 : 2;
}

// The number after the first "_" (digits only, up to the first other
// character; 0 without digits).  Saturates instead of overflowing.
int patchLevel(const std::string& version) {
  const size_t underscore = version.find('_');
  if (underscore == std::string::npos) return 0;
  long long level = 0;
  for (size_t i = underscore + 1; i < version.size(); ++i) {
    const char c = version[i];
    if (c < '0' || c > '9') break;
    level = level * 10 + (c - '0');
    if (level > INT_MAX) return INT_MAX;
  }
  return static_cast<int>(level);
}

void noJava(const LaunchSettings& settings, Platform& platform,
            const char* debugText, const char* debugCaption,
            const char* userText) {
  debugBox(settings, platform, debugText, debugCaption, kBoxError);
  platform.showMessageBox(userText, "Error!", kBoxError);
}

}  // namespace

OptionalText findDefaultJava(LaunchSettings& settings, Platform& platform) {
  RegistryKey key = 0;
  if (platform.openRegistryKey(kJavaRegistryKey, &key) != 0) {
    noJava(settings, platform, kJavaRegistryKey, "Error Accessing Registry!",
           "No Java Installation Found");
    return std::nullopt;
  }
  std::string version;
  const long status = platform.readRegistryString(key, "CurrentVersion", &version);
  platform.closeRegistryKey(key);
  if (status != 0) {
    noJava(settings, platform, "Java Current Version Key",
           "Error Reading Registry", "No Java Installation Found");
    return std::nullopt;
  }
  std::string home;
  switch (readJavaHome(platform, std::string(kJavaRegistryKey) + "\\" + version,
                       &home)) {
    case 1:
      noJava(settings, platform, "Java Current Version",
             "Error Accessing Registry!",
             "No Java Installation (No Current Version) Found");
      return std::nullopt;
    case 2:
      noJava(settings, platform, "Java Home Directory",
             "Error Reading Registry!", "No Java Installation Home Directory Found");
      return std::nullopt;
  }
  return composeJavaExecutable(settings, platform, home);
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
  path += "\\bin";
  path += settings.debugMode ? "\\java.exe" : "\\javaw.exe";
  if (quote) path += '"';
  return path;
}

OptionalText findJavaForVersion(LaunchSettings& settings, Platform& platform) {
  if (!settings.javaVersion || settings.javaVersion->empty()) return std::nullopt;
  const std::string& request = *settings.javaVersion;
  if (request.find('_') == std::string::npos ||
      request.find('+') != std::string::npos)
    selectLatestPatch(settings, platform);

  const std::string path =
      std::string(kJavaRegistryKey) + "\\" + *settings.javaVersion;
  debugBox(settings, platform, path.c_str(), "JavaInstallRegPath");
  std::string home;
  switch (readJavaHome(platform, path, &home)) {
    case 1:
      debugBox(settings, platform, "Java Current Version",
               "Error Accessing Registry!", kBoxError);
      if (platform.showMessageBox(runtimePromptText(settings).c_str(),
                                  "Java Runtime Environment Not Found",
                                  kBoxYesNoError) == kAnswerYes)
        openDownloadPage(settings, platform);
      return std::nullopt;
    case 2:
      debugBox(settings, platform, "Java Home Directory",
               "Error Reading Registry!", kBoxError);
      platform.showMessageBox(
          formatText("No Java Home Directory Found for %s ", path.c_str()).c_str(),
          "Error!", kBoxError);
      return std::nullopt;
  }
  return composeJavaExecutable(settings, platform, home);
}

void selectLatestPatch(LaunchSettings& settings, Platform& platform) {
  if (!settings.javaVersion || settings.javaVersion->empty()) return;
  RegistryKey key = 0;
  if (platform.openRegistryKey(kJavaRegistryKey, &key) != 0) {
    debugBox(settings, platform, "Java Current Version",
             "Error Accessing Registry!", kBoxError);
    offerRuntimeDownload(settings, platform, "Java Runtime Environment Not Found");
  }
  const unsigned long count = platform.countRegistrySubkeys(key);

  // The family is the request up to its first "_" (all of it without one);
  // the wanted level is the request's own patch level.
  const std::string& request = *settings.javaVersion;
  const std::string prefix = request.substr(0, request.find('_'));
  int wanted = patchLevel(request);
  std::string best;
  // The trace lines of the search are collected and written in pieces of
  // about kTracePiece bytes: every write is a system call (under Wine a
  // round trip to its server, too), and a search over many runtimes would
  // otherwise make a few hundred of them.  The pieces stay small so that
  // the buffer is never one large allocation.  Nothing in between shows,
  // exits or writes elsewhere, so the output is the same.
  constexpr size_t kTracePiece = 8192;
  std::string trace = formatText("javaVersion=%s, javaVer=%s\n", request.c_str(),
                                 prefix.c_str());

  std::string name;
  for (unsigned long i = 0; i < count; ++i) {
    if (trace.size() >= kTracePiece) {
      platform.writeOut(trace);
      trace.clear();
    }
    if (platform.enumRegistrySubkey(key, i, &name) != 0) continue;
    trace += formatText("checking (%d) %s\n", static_cast<int>(i + 1), name.c_str());
    if (name.compare(0, prefix.size(), prefix) != 0) continue;
    trace += formatText("found correct java version %s. checking patch level\n",
                        name.c_str());
    if (name.find('_') == std::string::npos) {
      trace += formatText("No patch level found in %s\n", name.c_str());
      continue;
    }
    const int level = patchLevel(name);
    trace += formatText("checking patch level %d against %d\n", level, wanted);
    // Greater or equal: among equal levels the one enumerated last wins.
    if (level >= wanted) {
      wanted = level;
      best = name;
      trace += formatText("found latest java version %s\n", best.c_str());
    }
  }
  platform.writeOut(trace);
  platform.closeRegistryKey(key);

  if (wanted <= 0) return;
  if (best.empty())
    offerRuntimeDownload(settings, platform, "Incompatible JRE Version Found");
  settings.javaVersion = best;
}

}  // namespace kite
