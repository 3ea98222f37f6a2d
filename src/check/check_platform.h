// The platform kitecheck runs the launcher's code on: a read-only wrapper
// around the real one.  Files, directories, the environment and the
// registry are read through it; message boxes are recorded (and answered
// "No") instead of shown, trace lines and standard-error lines are kept
// instead of written, and no process is started.
#ifndef KITE_CHECK_CHECK_PLATFORM_H_
#define KITE_CHECK_CHECK_PLATFORM_H_

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
  std::vector<std::string> refusedStarts;  // command lines not started

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
                    const char* consoleTitle, ChildProcess* child,
                    std::string* error) override;
  void waitForInputIdle(ChildProcess, unsigned) override {}
  void waitForExit(ChildProcess) override {}
  int exitCode(ChildProcess) override { return -1; }
  void closeProcess(ChildProcess) override {}
  unsigned long osMajorVersion() override { return base_.osMajorVersion(); }
  bool is64BitWindows() override { return base_.is64BitWindows(); }
  std::string systemDirectory() override { return base_.systemDirectory(); }
  bool getEnvironment(const std::string& name, std::string* value) override {
    return base_.getEnvironment(name, value);
  }
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
  std::string errorText(int errnum) override { return base_.errorText(errnum); }
  std::time_t now() override { return base_.now(); }
  void writeOut(const std::string& text) override { out += text; }
  void writeError(const std::string& text) override { err += text; }

 private:
  Platform& base_;
};

// Looks up what `path` names, without the separators at its end (a
// directory is often written with one); false for an empty path or
// nothing found.
bool findPath(Platform& platform, std::string path,
              std::vector<FoundFile>* matches);

// Whether `path` names a directory.
bool isDirectory(Platform& platform, const std::string& path);

// Why `path` could not be opened, read or written with errno value
// `error`, in words: a directory says so rather than the system's
// "Permission denied".
std::string fileErrorText(Platform& platform, const std::string& path,
                          int error);

}  // namespace kite

#endif  // KITE_CHECK_CHECK_PLATFORM_H_
