// The real platform: Win32 (the wide functions) and the Microsoft C
// runtime.  Implemented in platform_win32.cc, platform_win32_files.cc,
// platform_win32_instance.cc and platform_win32_app.cc.
#ifndef KITE_PLATFORM_PLATFORM_WIN32_H_
#define KITE_PLATFORM_PLATFORM_WIN32_H_

#include "platform/platform.h"

namespace kite {

// Keeps DLLs planted beside the program or in the current directory from
// being loaded; called first thing by every Windows entry point.
void restrictDllSearch();

// Lets the console variant outlive Ctrl+C and Ctrl+Break: they still reach
// the application, which shares the console, and the launcher goes on
// waiting for it.  (Not the ignore flag, which the application would
// inherit.)
void surviveConsoleInterrupts();

class Win32Platform : public Platform {
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
                    const char* consoleTitle,
                    const std::vector<std::string>* environment,
                    ChildProcess* child, std::string* error) override;
  void waitForInputIdle(ChildProcess child, unsigned milliseconds) override;
  void waitForExit(ChildProcess child) override;
  int exitCode(ChildProcess child) override;
  void closeProcess(ChildProcess child) override;
  unsigned long osMajorVersion() override;
  bool is64BitWindows() override;
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
  unsigned ansiCodePage() override;
  bool utf8ToAnsi(std::string_view text, std::string* ansi) override;
  bool shortPathName(const std::string& path, std::string* shortPath) override;
  std::string temporaryDirectory() override;
  std::string errorText(int errnum) override;
  std::time_t now() override;
  void writeOut(const std::string& text) override;
  void writeError(const std::string& text) override;
  int appendFile(const std::string& path, const std::string& bytes,
                 unsigned long long* size) override;
  std::string localTime() override;
  unsigned long milliseconds() override;
  unsigned long processId() override;
  std::string lowerCase(const std::string& text) override;
  InstanceClaim claimInstance(const std::string& name,
                              InstanceLock* lock) override;
  void releaseInstance(InstanceLock lock) override;
  bool showInstanceWindow(const std::string& name) override;
  bool startApplication(const std::string& commandLine, ApplicationStart& start,
                        ChildProcess* child, std::string* error) override;
  bool takeHostRequest(HostRequest* request) override;
  LoadedLibrary loadLibrary(const std::string& path, const std::string& folder,
                            std::string* error) override;
  void* findExport(LoadedLibrary library, const char* name) override;
  std::intptr_t callExport(void* function, const std::uintptr_t* args,
                           int count) override;
  std::string ansiCommandLine() override;
  bool setAppUserModelId(const std::string& id) override;
};

}  // namespace kite

#endif  // KITE_PLATFORM_PLATFORM_WIN32_H_
