// Reading a configuration as the launcher does (its own version resolver),
// for tests: the result is 0 when the reader went on to the end, otherwise
// the code the launcher ends with.
#ifndef KITE_TESTS_SUPPORT_CONFIG_READING_H_
#define KITE_TESTS_SUPPORT_CONFIG_READING_H_

#include <string>

#include "config/config_file.h"
#include "launcher/runtime_choice.h"

namespace kite {

inline int codeOf(Outcome outcome) {
  return outcome.endsLauncher() ? outcome.exitCode() : 0;
}

inline int readAsLauncher(LaunchSettings& settings, Platform& platform,
                          const std::string& path,
                          ConfigObserver* observer = nullptr) {
  RuntimeChoice versions(platform);
  return codeOf(versions.decide(
      settings, readConfigFile(settings, versions.reading(), path,
                               {versions, observer})));
}

inline int locateAsLauncher(LaunchSettings& settings, Platform& platform,
                            const std::string& exePath,
                            const std::string& startDir) {
  RuntimeChoice versions(platform);
  return codeOf(versions.decide(
      settings, locateAppConfig(settings, versions.reading(), exePath,
                                startDir, {versions})));
}

}  // namespace kite

#endif  // KITE_TESTS_SUPPORT_CONFIG_READING_H_
