// A platform that hands every call on to another one: the base of the
// layers the launcher puts over the real platform (the console variant's,
// which turns boxes into lines; the launch log's, which records them).  A
// layer overrides only what it changes, so a method added to Platform is
// one more line here and reaches every layer.
#ifndef KITE_PLATFORM_FORWARDING_PLATFORM_H_
#define KITE_PLATFORM_FORWARDING_PLATFORM_H_

#include <string>
#include <vector>

#include "platform/platform.h"

namespace kite {

class ForwardingPlatform : public Platform {
 public:
  explicit ForwardingPlatform(Platform& inner) : inner_(inner) {}

  long openRegistryKey(RegistryRoot root, const std::string& path,
                       RegistryKey* key) override {
    return inner_.openRegistryKey(root, path, key);
  }
  long openRegistrySubkey(RegistryKey parent, const std::string& path,
                          RegistryKey* key) override {
    return inner_.openRegistrySubkey(parent, path, key);
  }
  long readRegistryString(RegistryKey key, const std::string& name,
                          std::string* value) override {
    return inner_.readRegistryString(key, name, value);
  }
  unsigned long countRegistrySubkeys(RegistryKey key) override {
    return inner_.countRegistrySubkeys(key);
  }
  long enumRegistrySubkey(RegistryKey key, unsigned long index,
                          std::string* name) override {
    return inner_.enumRegistrySubkey(key, index, name);
  }
  void closeRegistryKey(RegistryKey key) override {
    inner_.closeRegistryKey(key);
  }
  int showMessageBox(const char* text, const std::string& caption,
                     unsigned style) override {
    return inner_.showMessageBox(text, caption, style);
  }
  bool startProcess(const std::string& commandLine, const char* directory,
                    const char* consoleTitle,
                    const std::vector<std::string>* environment,
                    ChildProcess* child, std::string* error) override {
    return inner_.startProcess(commandLine, directory, consoleTitle,
                               environment, child, error);
  }
  void waitForInputIdle(ChildProcess child, unsigned milliseconds) override {
    inner_.waitForInputIdle(child, milliseconds);
  }
  void waitForExit(ChildProcess child) override { inner_.waitForExit(child); }
  int exitCode(ChildProcess child) override { return inner_.exitCode(child); }
  void closeProcess(ChildProcess child) override { inner_.closeProcess(child); }
  unsigned long osMajorVersion() override { return inner_.osMajorVersion(); }
  bool is64BitWindows() override { return inner_.is64BitWindows(); }
  std::string systemDirectory() override { return inner_.systemDirectory(); }
  std::string programPath() override { return inner_.programPath(); }
  bool getEnvironment(const std::string& name, std::string* value) override {
    return inner_.getEnvironment(name, value);
  }
  bool setEnvironmentVariable(const std::string& name,
                              const std::string& value) override {
    return inner_.setEnvironmentVariable(name, value);
  }
  std::vector<std::string> listEnvironment() override {
    return inner_.listEnvironment();
  }
  bool findFiles(const std::string& pattern,
                 std::vector<FoundFile>* matches) override {
    return inner_.findFiles(pattern, matches);
  }
  bool changeDirectory(const std::string& path) override {
    return inner_.changeDirectory(path);
  }
  std::string currentDirectory() override { return inner_.currentDirectory(); }
  int readFile(const std::string& path, std::string* bytes) override {
    return inner_.readFile(path, bytes);
  }
  int readFileStart(const std::string& path, std::size_t limit,
                    std::string* bytes) override {
    return inner_.readFileStart(path, limit, bytes);
  }
  int createNewFile(const std::string& path,
                    const std::string& bytes) override {
    return inner_.createNewFile(path, bytes);
  }
  int createPrivateFile(const std::string& path,
                        const std::string& bytes) override {
    return inner_.createPrivateFile(path, bytes);
  }
  bool randomBytes(std::size_t count, std::string* bytes) override {
    return inner_.randomBytes(count, bytes);
  }
  int renameFile(const std::string& from, const std::string& to) override {
    return inner_.renameFile(from, to);
  }
  int removeFile(const std::string& path) override {
    return inner_.removeFile(path);
  }
  int makeDirectory(const std::string& path) override {
    return inner_.makeDirectory(path);
  }
  int removeDirectory(const std::string& path) override {
    return inner_.removeDirectory(path);
  }
  std::string fileIdentity(const std::string& path) override {
    return inner_.fileIdentity(path);
  }
  std::string ansiToUtf8(std::string_view bytes) override {
    return inner_.ansiToUtf8(bytes);
  }
  unsigned ansiCodePage() override { return inner_.ansiCodePage(); }
  bool utf8ToAnsi(std::string_view text, std::string* ansi) override {
    return inner_.utf8ToAnsi(text, ansi);
  }
  bool shortPathName(const std::string& path,
                     std::string* shortPath) override {
    return inner_.shortPathName(path, shortPath);
  }
  std::string temporaryDirectory() override {
    return inner_.temporaryDirectory();
  }
  std::string lowerCase(const std::string& text) override {
    return inner_.lowerCase(text);
  }
  InstanceClaim claimInstance(const std::string& name,
                              InstanceLock* lock) override {
    return inner_.claimInstance(name, lock);
  }
  void releaseInstance(InstanceLock lock) override {
    inner_.releaseInstance(lock);
  }
  bool showInstanceWindow(const std::string& name) override {
    return inner_.showInstanceWindow(name);
  }
  std::string errorText(int errnum) override { return inner_.errorText(errnum); }
  std::time_t now() override { return inner_.now(); }
  void writeOut(const std::string& text) override { inner_.writeOut(text); }
  void writeError(const std::string& text) override { inner_.writeError(text); }
  int appendFile(const std::string& path, const std::string& bytes,
                 unsigned long long* size) override {
    return inner_.appendFile(path, bytes, size);
  }
  std::string localTime() override { return inner_.localTime(); }
  unsigned long milliseconds() override { return inner_.milliseconds(); }
  unsigned long processId() override { return inner_.processId(); }
  bool startApplication(const std::string& commandLine, ApplicationStart& start,
                        ChildProcess* child, std::string* error) override {
    return inner_.startApplication(commandLine, start, child, error);
  }
  bool takeHostRequest(HostRequest* request) override {
    return inner_.takeHostRequest(request);
  }
  LoadedLibrary loadLibrary(const std::string& path, const std::string& folder,
                            std::string* error) override {
    return inner_.loadLibrary(path, folder, error);
  }
  void* findExport(LoadedLibrary library, const char* name) override {
    return inner_.findExport(library, name);
  }
  std::intptr_t callExport(void* function, const std::uintptr_t* args,
                           int count) override {
    return inner_.callExport(function, args, count);
  }
  std::string ansiCommandLine() override { return inner_.ansiCommandLine(); }
  bool setAppUserModelId(const std::string& id) override {
    return inner_.setAppUserModelId(id);
  }
  bool wantsTraces() override { return inner_.wantsTraces(); }
  void trace(const std::string& line) override { inner_.trace(line); }

 protected:
  Platform& inner() { return inner_; }

 private:
  Platform& inner_;
};

}  // namespace kite

#endif  // KITE_PLATFORM_FORWARDING_PLATFORM_H_
