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

#include "platform/platform.h"

namespace kite {

// A message box the launcher would have shown.
struct RecordedBox {
  std::string text;
  std::string caption;
  unsigned style;
};

class CheckPlatform : public Platform {
 public:
  static constexpr int kReadOnly = 30;  // EROFS
  explicit CheckPlatform(Platform& base) : base_(base) {}

  std::vector<RecordedBox> boxes;
  std::string out;  // trace lines, as the launcher would write them
  std::string err;  // its standard-error lines

  long openRegistryKey(RegistryRoot root, const std::string& path,
                       RegistryKey* key) override;
  long openRegistrySubkey(RegistryKey parent, const std::string& path,
                          RegistryKey* key) override;
  long readRegistryString(RegistryKey key, const std::string& name,
                          std::string* value) override;
  unsigned long countRegistrySubkeys(RegistryKey key) override;
  long enumRegistrySubkey(RegistryKey key, unsigned long index,
                          std::string* name) override;
  void closeRegistryKey(RegistryKey key) override;
  int showMessageBox(const char* text, const std::string& caption,
                     unsigned style) override;
  bool startProcess(const std::string& commandLine, const char* directory,
                    const char* consoleTitle,
                    const std::vector<std::string>* environment,
                    ChildProcess* child, std::string* error) override;
  void waitForInputIdle(ChildProcess, unsigned) override {}
  void waitForExit(ChildProcess) override {}
  int exitCode(ChildProcess) override { return -1; }
  void closeProcess(ChildProcess) override {}
  unsigned long osMajorVersion() override { return base_.osMajorVersion(); }
  bool is64BitWindows() override { return base_.is64BitWindows(); }
  std::string systemDirectory() override { return base_.systemDirectory(); }
  // kitecheck stands for a launcher elsewhere: its own path is no answer.
  std::string programPath() override { return std::string(); }
  // Variables the launcher would set are kept here, over the real
  // environment, which kitecheck never changes.
  bool getEnvironment(const std::string& name, std::string* value) override;
  bool setEnvironmentVariable(const std::string& name,
                              const std::string& value) override;
  std::vector<std::string> listEnvironment() override;
  bool findFiles(const std::string& pattern,
                 std::vector<FoundFile>* matches) override {
    return base_.findFiles(pattern, matches);
  }
  // Only kitecheck's own current directory changes, as the launcher's does.
  bool changeDirectory(const std::string& path) override {
    return base_.changeDirectory(path);
  }
  std::string currentDirectory() override { return base_.currentDirectory(); }
  int readFile(const std::string& path, std::string* bytes) override {
    return base_.readFile(path, bytes);
  }
  // kitecheck writes nothing.
  int createNewFile(const std::string&, const std::string&) override {
    return kReadOnly;
  }
  int renameFile(const std::string&, const std::string&) override {
    return kReadOnly;
  }
  int removeFile(const std::string&) override { return kReadOnly; }
  std::string fileIdentity(const std::string& path) override {
    return base_.fileIdentity(path);
  }
  std::string ansiToUtf8(std::string_view bytes) override {
    return base_.ansiToUtf8(bytes);
  }
  unsigned ansiCodePage() override { return base_.ansiCodePage(); }
  bool utf8ToAnsi(std::string_view text, std::string* ansi) override {
    return base_.utf8ToAnsi(text, ansi);
  }
  bool shortPathName(const std::string& path,
                     std::string* shortPath) override {
    return base_.shortPathName(path, shortPath);
  }
  std::string temporaryDirectory() override {
    return base_.temporaryDirectory();
  }
  std::string errorText(int errnum) override { return base_.errorText(errnum); }
  std::time_t now() override { return base_.now(); }
  void writeOut(const std::string& text) override { out += text; }
  void writeError(const std::string& text) override { err += text; }
  int appendFile(const std::string&, const std::string&,
                 unsigned long long*) override {
    return kReadOnly;
  }
  std::string localTime() override { return base_.localTime(); }
  unsigned long milliseconds() override { return base_.milliseconds(); }
  unsigned long processId() override { return base_.processId(); }
  std::string lowerCase(const std::string& text) override {
    return base_.lowerCase(text);
  }
  // kitecheck takes no lock and shows no window.
  InstanceClaim claimInstance(const std::string&, InstanceLock*) override {
    return InstanceClaim::kFailed;
  }
  void releaseInstance(InstanceLock) override {}
  bool showInstanceWindow(const std::string&) override { return false; }

 private:
  Platform& base_;
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
