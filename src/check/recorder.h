// The observer and the version resolver kitecheck gives the configuration
// reader: they record every file, line, failed variable lookup, jar scan
// and runtime search into the report, and a runtime that cannot be found
// becomes a finding instead of the end of the check.
#ifndef KITE_CHECK_RECORDER_H_
#define KITE_CHECK_RECORDER_H_

#include <string>
#include <vector>

#include "check/check_platform.h"
#include "check/report.h"
#include "config/config_file.h"
#include "config/config_observer.h"
#include "runtime/version_search.h"

namespace kite {

class Recorder : public ConfigObserver, public VersionResolver {
 public:
  Recorder(Report& report, LaunchSettings& settings, CheckPlatform& platform)
      : report_(report), settings_(settings), platform_(platform) {}

  void fileOpened(const std::string& path, int depth, int error,
                  const DecodedText& decoded) override;
  void includeSkipped(const std::string& path, int depth) override;
  void fileLimitReached(const std::string& path, int depth) override;
  void lineRead(const std::string& path, int number,
                const std::string& line) override;
  void keyMatched(ConfigKey key, const std::string& raw,
                  const std::string& value) override;
  void variableMissing(const std::string& name) override;
  void jarsScanned(const std::string& directory, size_t added) override;

  // The resolver for "javaVersion" lines: keeps the settings of the line
  // for searchVersionLines, as the launcher decides the runtime after
  // reading; always goes on.
  Outcome resolve(LaunchSettings& settings, Platform& platform) override;

  // After reading, where no bundled runtime is taken: runs the launcher's
  // version search of each "javaVersion" line, in their order, with the
  // settings of its line, and records it; with a stand-in runtime path
  // where the launcher would end, so the rest is checked too.  The last
  // line's runtime counts unless a "javapath" line came after it.
  void searchVersionLines();

 private:
  struct VersionLine {
    LaunchSettings settings;
    std::string file;
    int line = 0;
  };
  void searchVersionLine(VersionLine& line);

  LineRecord* lastLine();
  void notRead(const std::string& path, int depth, FileState state);

  Report& report_;
  LaunchSettings& settings_;
  CheckPlatform& platform_;
  std::vector<VersionLine> versionLines_;
};

// Looks up the runtime the launcher would start when the configuration
// names none (the registry's current one), into report.searches; sets
// settings.javaPath to what it finds or to a stand-in.
void recordDefaultRuntime(Report& report, LaunchSettings& settings,
                          CheckPlatform& platform);

// Looks at the "bundledRuntime" folder as the launcher does before any other
// lookup, into report.searches; sets settings.javaPath when the launcher
// takes it.  On a POSIX host a Windows path is recorded as not checked and
// taken as if it were there.
void recordBundledRuntime(Report& report, LaunchSettings& settings,
                          CheckPlatform& platform);

// The steps of a family search as kitecheck shows them: each subkey, and
// why it was taken or passed over.
std::vector<SubkeyStep> describeSubkeys(const VersionSearch& search);

}  // namespace kite

#endif  // KITE_CHECK_RECORDER_H_
