// The observer kitecheck gives the configuration reader: it records every
// file, line, failed variable lookup and jar scan into the report, and runs
// each "javaVersion" lookup so that a runtime that cannot be found becomes a
// finding instead of the end of the check.
#ifndef KITE_CHECK_RECORDER_H_
#define KITE_CHECK_RECORDER_H_

#include <string>

#include "check/check_platform.h"
#include "check/report.h"
#include "config/config_observer.h"

namespace kite {

class Recorder : public ConfigObserver {
 public:
  Recorder(Report& report, LaunchSettings& settings, CheckPlatform& platform)
      : report_(report), settings_(settings), platform_(platform) {}

  void fileOpened(const std::string& path, int depth, int error,
                  const std::string& text) override;
  void includeSkipped(const std::string& path, int depth) override;
  void lineRead(const std::string& path, int number,
                const std::string& line) override;
  void keyMatched(const char* key, const std::string& raw,
                  const std::string& value) override;
  void variableMissing(const std::string& name) override;
  void jarsScanned(const std::string& directory, size_t added) override;
  OptionalText resolveJavaVersion(LaunchSettings& settings,
                                  Platform& platform) override;

 private:
  LineRecord* lastLine();

  Report& report_;
  LaunchSettings& settings_;
  CheckPlatform& platform_;
};

// Looks up the runtime the launcher would start when the configuration
// names none (the registry's current one), into report.searches; sets
// settings.javaPath to what it finds or to a stand-in.
void recordDefaultRuntime(Report& report, LaunchSettings& settings,
                          CheckPlatform& platform);

// Fills search->subkeys (and family) from the trace lines the version search
// writes while it considers each registry subkey.
void readSearchTrace(const std::string& trace, RuntimeSearch* search);

}  // namespace kite

#endif  // KITE_CHECK_RECORDER_H_
