#include "launcher/launch_log.h"

#include <cerrno>

#include "base/text.h"
#include "base/version.h"
#include "platform/console_platform.h"
#include "platform/debug_output.h"
#include "platform/folders.h"

namespace kite {

std::string resolvedLogPath(const LaunchSettings& settings) {
  if (!settings.logFile || settings.logFile->empty()) return std::string();
  const std::string& path = *settings.logFile;
  if (isAbsolutePath(path) || settings.startDir.empty()) return path;
  return inFolder(settings.startDir, path);
}

void LaunchLog::record(const char* kind, const std::string& text) {
  if (state_ == State::kOff) return;
  std::string& to = state_ == State::kOpen ? buffer_ : pending_;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    size_t stop = end;
    if (stop > start && text[stop - 1] == '\r') --stop;
    if (stop > start) {
      if (state_ == State::kOpen) to += prefix_;
      to += kind;
      to += ": ";
      to.append(text, start, stop - start);
      to += "\r\n";
    }
    start = end + 1;
  }
}

int LaunchLog::write() {
  unsigned long long size = 0;
  int error = inner().appendFile(path_, buffer_, &size);
  // A log in a folder that is not there yet gets its folders, as loggers
  // do; what stops them is traced with the log's failure.
  if (error == ENOENT && !parentFolder(path_).empty()) {
    std::vector<std::string> made;
    std::string failedFolder;
    const int status =
        makeFolders(inner(), parentFolder(path_), &made, &failedFolder);
    if (status == 0) {
      error = inner().appendFile(path_, buffer_, &size);
    } else if (status != EEXIST) {
      folderProblem_ = "the folder " + failedFolder + " cannot be created: " +
                       inner().errorText(status);
      removeFolders(inner(), made);
    }
  }
  buffer_.clear();
  // One old log is kept: a later write begins a new file.
  if (error == 0 && size > kLogRotateBytes)
    inner().renameFile(path_, path_ + ".1");
  return error;
}

void LaunchLog::flush() {
  if (state_ == State::kOpen && !buffer_.empty()) write();
}

void LaunchLog::begin(const LaunchSettings& settings,
                      const std::string& exePath) {
  if (state_ != State::kPending) return;
  path_ = resolvedLogPath(settings);
  if (path_.empty()) {
    state_ = State::kOff;
    pending_.clear();
    return;
  }
  prefix_ = formatText("[%lu] ", inner().processId());
  buffer_ = prefix_ +
            formatText("%s Kite %s (%s) started as %s in %s, configuration %s",
                       inner().localTime().c_str(), kVersionText,
                       settings.console ? "console" : "GUI", exePath.c_str(),
                       settings.startDir.c_str(), settings.configPath.c_str()) +
            "\r\n";
  // The lines kept so far get the prefix now.
  for (size_t start = 0; start < pending_.size();) {
    const size_t end = pending_.find('\n', start) + 1;
    buffer_ += prefix_;
    buffer_.append(pending_, start, end - start);
    start = end;
  }
  pending_.clear();
  const int error = write();
  if (error != 0) {
    state_ = State::kOff;
    const std::string why = folderProblem_.empty() ? inner().errorText(error)
                                                   : folderProblem_;
    debugTrace(settings, inner(), "log file %s cannot be opened: %s\n",
               path_.c_str(), why.c_str());
    return;
  }
  state_ = State::kOpen;
}

void LaunchLog::finish(int exitCode) {
  if (state_ == State::kPending) state_ = State::kOff;
  if (state_ != State::kOpen) return;
  record("exit", "Kite ends with exit code " + exitCodeText(exitCode));
  flush();
}

int LaunchLog::showMessageBox(const char* text, const std::string& caption,
                              unsigned style) {
  record("box", "\"" + caption + "\" " + textOnOneLine(text));
  return inner().showMessageBox(text, caption, style);
}

void LaunchLog::writeOut(const std::string& text) {
  record("trace", text);
  inner().writeOut(text);
}

void LaunchLog::writeError(const std::string& text) {
  record("stderr", text);
  inner().writeError(text);
}

bool LaunchLog::startProcess(const std::string& commandLine,
                             const char* directory, const char* consoleTitle,
                             const std::vector<std::string>* environment,
                             ChildProcess* child, std::string* error) {
  flush();
  return inner().startProcess(commandLine, directory, consoleTitle,
                              environment, child, error);
}

}  // namespace kite
