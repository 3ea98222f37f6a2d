// The collector of kitecheck's findings, shared by the files that look at
// the recorded files, lines and settings.  Internal to kitecheck.
#ifndef KITE_CHECK_COLLECTOR_H_
#define KITE_CHECK_COLLECTOR_H_

#include <map>
#include <string>

#include "check/report.h"
#include "platform/platform.h"

namespace kite {

class Collector {
 public:
  Collector(Report& report, Platform& platform)
      : report_(report), platform_(platform) {}

  // A finding of `kind` (which gives its severity) at `line` of `file`.
  void add(FindingKind kind, const std::string& file, int line,
           const std::string& message) {
    report_.findings.push_back({kind, file, line, message});
  }

  void files();     // findings.cc
  void lines();     // findings_lines.cc
  void settings();  // findings_settings.cc

 private:
  void ignoredLine(const LineRecord& line);
  void matchedLine(size_t index);
  void encodingFindings(const FileRecord& file);
  void checkPaths(const LineRecord& line, size_t index);
  void unquotedProgram(const LineRecord& line);
  void unquotedBlank(const LineRecord& line);
  void ownArguments();
  void launchTarget();  // findings_launch.cc
  void moduleWindow();
  void codePage();  // findings_ansi.cc
  void runtimeAndDirectory();
  void exitCodeValue();
  void versionWindow();
  const LineRecord* lineOverTheLimit() const;
  bool exists(const std::string& path);
  // A Windows path on a POSIX host: a note says it is not checked.
  bool notChecked(const std::string& path, const std::string& file, int line);
  void environmentLine(const LineRecord& line);
  void bundledRuntime();
  void appProcess();  // findings_process.cc
  void logFile();
  std::string fromStart(const std::string& path) const;

  Report& report_;
  Platform& platform_;
  std::map<std::string, const LineRecord*> setBy_;  // single-value slots
};

}  // namespace kite

#endif  // KITE_CHECK_COLLECTOR_H_
