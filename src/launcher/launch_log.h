// The launch log ("logFile" in the configuration): a layer over the
// platform that records what a launch shows and writes (every box's caption
// and text, every standard-error line, every trace line) and appends it,
// in UTF-8, to the log file.
//
// The launcher puts it over everything from its start, before it knows
// whether there is a log: until the configuration has been read it keeps
// what it sees, then writes it behind a header, or drops it when the
// configuration names no log.  Trace lines are formatted for it only from
// the "logFile" line on (debug_output.h), so a launch without a log
// formats nothing it did not format before.  Each write is whole lines
// appended in one call, so launches writing at the same time never split
// each other's lines; the lines carry the process id to tell launches
// apart.  Missing folders of the log are created; a log that cannot be
// opened is skipped.
#ifndef KITE_LAUNCHER_LAUNCH_LOG_H_
#define KITE_LAUNCHER_LAUNCH_LOG_H_

#include <string>

#include "base/launch_settings.h"
#include "platform/forwarding_platform.h"

namespace kite {

// A log past this size after a write is renamed to its name with ".1" (one
// old file is kept) and the next write begins a new one.
constexpr unsigned long long kLogRotateBytes = 1ull << 20;

// The log file settings.logFile names, resolved against the start
// directory; empty when there is none.
std::string resolvedLogPath(const LaunchSettings& settings);

class LaunchLog : public ForwardingPlatform {
 public:
  explicit LaunchLog(Platform& inner) : ForwardingPlatform(inner) {}

  // Once the configuration has been read, or reading has ended the launch:
  // opens the log settings.logFile names, writing the header and what was
  // kept so far; without one (or when it cannot be opened, which debug mode
  // traces) stops recording.  `exePath` is the launcher as it was started.
  void begin(const LaunchSettings& settings, const std::string& exePath);
  // Records the launcher's exit code and writes what is left.
  void finish(int exitCode);
  bool isOpen() const { return state_ == State::kOpen; }

  bool wantsTraces() override { return state_ != State::kOff; }
  void trace(const std::string& line) override { record("trace", line); }
  int showMessageBox(const char* text, const std::string& caption,
                     unsigned style) override;
  void writeOut(const std::string& text) override;
  void writeError(const std::string& text) override;
  // What was recorded is written before the child starts, so that a log of
  // an application that still runs shows how it was started.
  bool startProcess(const std::string& commandLine, const char* directory,
                    const char* consoleTitle,
                    const std::vector<std::string>* environment,
                    ChildProcess* child, std::string* error) override;

 private:
  enum class State { kPending, kOpen, kOff };
  // Adds each non-empty line of `text` as "KIND: LINE".
  void record(const char* kind, const std::string& text);
  // Appends buffer_ to the log, empties it and rotates a log grown past
  // kLogRotateBytes; returns appendFile's result.
  int write();
  void flush();

  State state_ = State::kPending;
  std::string path_;
  std::string prefix_;   // "[PID] ", once open
  std::string pending_;  // lines kept before the log opened, without prefix
  std::string buffer_;   // lines waiting to be written, prefixed
  std::string folderProblem_;  // why a missing folder of it cannot be made
};

}  // namespace kite

#endif  // KITE_LAUNCHER_LAUNCH_LOG_H_
