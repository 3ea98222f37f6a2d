// A POSIX side of the platform seam, for tools that run the launcher's
// logic on a Linux host (kitecheck).  Files, directories, the environment
// and the current directory behave as Windows would show them to the
// launcher: "\" separates path components as "/" does, file names match
// regardless of letter case, text files are read in text mode and directory
// searches come in name order.  Text in the ANSI code page is read as
// windows-1252, the code page of Western Windows.  There is no registry and
// no process is started.
#ifndef KITE_PLATFORM_PLATFORM_POSIX_H_
#define KITE_PLATFORM_PLATFORM_POSIX_H_

#include "platform/platform.h"

namespace kite {

class PosixPlatform : public Platform {
 public:
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
  void waitForInputIdle(ChildProcess child, unsigned milliseconds) override;
  void waitForExit(ChildProcess child) override;
  int exitCode(ChildProcess child) override;
  void closeProcess(ChildProcess child) override;
  unsigned long osMajorVersion() override;
  bool is64BitWindows() override { return true; }
  std::string systemDirectory() override;
  bool getEnvironment(const std::string& name, std::string* value) override;
  bool findFiles(const std::string& pattern,
                 std::vector<FoundFile>* matches) override;
  bool changeDirectory(const std::string& path) override;
  std::string currentDirectory() override;
  int readFile(const std::string& path, std::string* bytes) override;
  int createNewFile(const std::string& path, const std::string& bytes) override;
  int renameFile(const std::string& from, const std::string& to) override;
  int removeFile(const std::string& path) override;
  std::string fileIdentity(const std::string& path) override;
  std::string ansiToUtf8(std::string_view bytes) override;
  std::string errorText(int errnum) override;
  std::time_t now() override;
  void writeOut(const std::string& text) override;
  void writeError(const std::string& text) override;
};

// `path` as this host names it: "\" turned into "/", and each component
// that does not exist as written replaced by an existing one that differs
// only in letter case.
std::string hostPath(const std::string& path);

}  // namespace kite

#endif  // KITE_PLATFORM_PLATFORM_POSIX_H_
