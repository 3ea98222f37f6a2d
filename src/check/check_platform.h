// The platform kitecheck runs the launcher's code on: a read-only wrapper
// around the real one.  Files, directories, the environment and the
// registry are read through it; message boxes are recorded (and answered
// "No") instead of shown, trace lines and standard-error lines are kept
// instead of written, and no process is started, no instance lock taken and
// no window shown.
#ifndef KITE_CHECK_CHECK_PLATFORM_H_
#define KITE_CHECK_CHECK_PLATFORM_H_

#include <map>
#include <string>
#include <vector>

#include "platform/forwarding_platform.h"

namespace kite {

// A message box the launcher would have shown.
struct RecordedBox {
  std::string text;
  std::string caption;
  unsigned style;
};

// Hands every call it does not change on to the real platform.
class CheckPlatform : public ForwardingPlatform {
 public:
  static constexpr int kReadOnly = 30;  // EROFS
  explicit CheckPlatform(Platform& base) : ForwardingPlatform(base) {}

  std::vector<RecordedBox> boxes;
  std::string out;  // trace lines, as the launcher would write them
  std::string err;  // its standard-error lines

  int showMessageBox(const char* text, const std::string& caption,
                     unsigned style) override;
  bool startProcess(const std::string& commandLine, const char* directory,
                    const char* consoleTitle,
                    const std::vector<std::string>* environment,
                    ChildProcess* child, std::string* error) override;
  // kitecheck stands for a launcher elsewhere: its own path is no answer.
  std::string programPath() override { return std::string(); }
  // Variables the launcher would set are kept here, over the real
  // environment, which kitecheck never changes.
  bool getEnvironment(const std::string& name, std::string* value) override;
  bool setEnvironmentVariable(const std::string& name,
                              const std::string& value) override;
  std::vector<std::string> listEnvironment() override;
  // kitecheck writes nothing.  Only its own current directory changes, as
  // the launcher's does.
  int createNewFile(const std::string&, const std::string&) override {
    return kReadOnly;
  }
  int createPrivateFile(const std::string&, const std::string&) override {
    return kReadOnly;
  }
  int renameFile(const std::string&, const std::string&) override {
    return kReadOnly;
  }
  int removeFile(const std::string&) override { return kReadOnly; }
  int makeDirectory(const std::string&) override { return kReadOnly; }
  int removeDirectory(const std::string&) override { return kReadOnly; }
  int appendFile(const std::string&, const std::string&,
                 unsigned long long*) override {
    return kReadOnly;
  }
  void writeOut(const std::string& text) override { out += text; }
  void writeError(const std::string& text) override { err += text; }
  // kitecheck takes no lock and shows no window.
  InstanceClaim claimInstance(const std::string&, InstanceLock*) override {
    return InstanceClaim::kFailed;
  }
  void releaseInstance(InstanceLock) override {}
  bool showInstanceWindow(const std::string&) override { return false; }

 private:
  // Set by the launcher's code: lower-cased name -> "NAME=value".
  std::map<std::string, std::string> set_;
};

// Looks up what `path` names, without the separators at its end (a
// directory is often written with one); false for an empty path or
// nothing found.
bool findPath(Platform& platform, std::string path,
              std::vector<FoundFile>* matches);

// A path only Windows can look up: one that begins with a drive letter and
// a colon ("C:\...") or two separators ("\\server\share\...").
bool isWindowsPath(const std::string& path);

// Whether `path` names a directory.
bool isDirectory(Platform& platform, const std::string& path);

// Why `path` could not be opened, read or written with errno value
// `error`, in words: a directory says so rather than the system's
// "Permission denied".
std::string fileErrorText(Platform& platform, const std::string& path,
                          int error);

}  // namespace kite

#endif  // KITE_CHECK_CHECK_PLATFORM_H_
