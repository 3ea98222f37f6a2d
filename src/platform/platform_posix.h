// A POSIX side of the platform seam, for tools that run the launcher's
// logic on a Linux host (kitecheck).  Files, directories, the environment
// and the current directory behave as Windows would show them to the
// launcher: "\" separates path components as "/" does, file names match
// regardless of letter case, text files are read in text mode and directory
// searches come in name order; letters are lower-cased in ASCII only.  Text
// in the ANSI code page is read in the code page it is given (windows-1252,
// the code page of Western Windows, unless told otherwise).  There is no
// registry, no process is started, no instance lock is taken and no file has
// a short name.
#ifndef KITE_PLATFORM_PLATFORM_POSIX_H_
#define KITE_PLATFORM_PLATFORM_POSIX_H_

#include "platform/platform.h"

namespace kite {

class PosixPlatform : public Platform {
 public:
  explicit PosixPlatform(unsigned codePage = 1252) : codePage_(codePage) {}

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
  void waitForInputIdle(ChildProcess child, unsigned milliseconds) override;
  void waitForExit(ChildProcess child) override;
  int exitCode(ChildProcess child) override;
  void closeProcess(ChildProcess child) override;
  unsigned long osMajorVersion() override;
  bool is64BitWindows() override { return true; }
  std::string systemDirectory() override;
  std::string programPath() override;
  bool getEnvironment(const std::string& name, std::string* value) override;
  bool setEnvironmentVariable(const std::string& name,
                              const std::string& value) override;
  std::vector<std::string> listEnvironment() override;
  bool findFiles(const std::string& pattern,
                 std::vector<FoundFile>* matches) override;
  bool changeDirectory(const std::string& path) override;
  std::string currentDirectory() override;
  int readFile(const std::string& path, std::string* bytes) override;
  int readFileStart(const std::string& path, std::size_t limit,
                    std::string* bytes) override;
  int createNewFile(const std::string& path, const std::string& bytes) override;
  int createPrivateFile(const std::string& path,
                        const std::string& bytes) override;
  bool randomBytes(std::size_t count, std::string* bytes) override;
  int renameFile(const std::string& from, const std::string& to) override;
  int removeFile(const std::string& path) override;
  int makeDirectory(const std::string& path) override;
  int removeDirectory(const std::string& path) override;
  std::string fileIdentity(const std::string& path) override;
  std::string ansiToUtf8(std::string_view bytes) override;
  unsigned ansiCodePage() override { return codePage_; }
  bool utf8ToAnsi(std::string_view text, std::string* ansi) override;
  bool shortPathName(const std::string&, std::string*) override {
    return false;
  }
  std::string temporaryDirectory() override;
  std::string errorText(int errnum) override;
  std::time_t now() override;
  void writeOut(const std::string& text) override;
  void writeError(const std::string& text) override;
  std::string lowerCase(const std::string& text) override;
  InstanceClaim claimInstance(const std::string& name,
                              InstanceLock* lock) override;
  void releaseInstance(InstanceLock lock) override;
  bool showInstanceWindow(const std::string& name) override;
  int appendFile(const std::string& path, const std::string& bytes,
                 unsigned long long* size) override;
  std::string localTime() override;
  unsigned long milliseconds() override;
  unsigned long processId() override;
  bool startApplication(const std::string& commandLine, ApplicationStart& start,
                        ChildProcess* child, std::string* error) override;
  bool takeHostRequest(HostRequest*) override { return false; }
  LoadedLibrary loadLibrary(const std::string& path, const std::string& folder,
                            std::string* error) override;
  void* findExport(LoadedLibrary library, const char* name) override;
  std::intptr_t callExport(void* function, const std::uintptr_t* args,
                           int count) override;
  std::string ansiCommandLine() override { return std::string(); }
  bool setAppUserModelId(const std::string&) override { return false; }

 private:
  unsigned codePage_;
};

// `path` as this host names it: "\" turned into "/", and each component
// that does not exist as written replaced by an existing one that differs
// only in letter case.
std::string hostPath(const std::string& path);

}  // namespace kite

#endif  // KITE_PLATFORM_PLATFORM_POSIX_H_
