// An in-memory platform for the unit tests: a registry, files and
// directories, an environment, scripted message-box answers and scripted
// children and a clock that advances while a child runs.  Everything asked
// of it is recorded for the tests to check.
#ifndef KITE_TESTS_PLATFORM_FAKE_PLATFORM_H_
#define KITE_TESTS_PLATFORM_FAKE_PLATFORM_H_

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kite {

struct FakeBox {
  std::optional<std::string> text;
  std::string caption;
  unsigned style;
};

struct FakeStart {
  std::string commandLine;
  std::optional<std::string> directory;
  std::optional<std::string> consoleTitle;
};

// What the next started child does.
struct ChildScript {
  int exitCode = 0;
  std::time_t runSeconds = 0;
  bool startFails = false;  // startProcess returns false
};

class FakePlatform : public Platform {
 public:
  FakePlatform();

  // --- Set-up. ---
  // Adds a registry key (and its parents) under `root`; subkeys enumerate
  // in the order they were added.  Without a root: the classic one (the
  // 32-bit view of HKEY_LOCAL_MACHINE).
  void addRegistryKey(RegistryRoot root, const std::string& path);
  void setRegistryValue(RegistryRoot root, const std::string& path,
                        const std::string& name, const std::string& value);
  void addRegistryKey(const std::string& path) {
    addRegistryKey(kClassicRegistryRoot, path);
  }
  void setRegistryValue(const std::string& path, const std::string& name,
                        const std::string& value) {
    setRegistryValue(kClassicRegistryRoot, path, name, value);
  }
  // How registryOpens names a root: empty for the classic one, otherwise
  // "HKLM64:", "HKCU32:" or "HKCU64:".
  static std::string rootName(RegistryRoot root);
  void addFile(const std::string& path, const std::string& contents);
  void addDirectory(const std::string& path);
  void setEnvironment(const std::string& name, const std::string& value);
  void queueAnswer(int answer) { answers.push_back(answer); }
  void queueChild(const ChildScript& child) { children.push_back(child); }

  // --- State the tests set or read directly. ---
  std::string cwd = "C:\\Apps\\App";
  unsigned long osMajor = 6;
  bool sixtyFourBit = true;  // false: one registry view, as 32-bit Windows
  std::time_t clock = 1000000;
  std::deque<int> answers;  // unanswered boxes return IDOK (1) or IDNO (7)
  std::deque<ChildScript> children;  // unscripted children exit 0 at once
  // Files in use, as a running program is on Windows: renaming or removing
  // them, or renaming a file over them, fails with EACCES.
  std::vector<std::string> filesInUse;

  std::vector<FakeBox> boxes;
  std::vector<FakeStart> starts;
  std::vector<std::string> registryOpens;  // rootName() + path
  std::vector<std::string> environmentLookups;
  std::vector<std::string> findPatterns;
  std::vector<std::string> directoryChanges;
  std::vector<std::string> filesRead;
  std::vector<std::string> filesWritten;  // "create PATH", "rename A -> B", "remove P"
  std::vector<std::string> waits;  // "idle 5000", "exit", "code", "close"
  std::string out;
  std::string err;
  int openRegistryKeys = 0;  // opened and not yet closed

  // --- Platform. ---
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
  unsigned long osMajorVersion() override { return osMajor; }
  bool is64BitWindows() override { return sixtyFourBit; }
  std::string systemDirectory() override { return "C:\\windows\\system32"; }
  bool getEnvironment(const std::string& name, std::string* value) override;
  bool findFiles(const std::string& pattern,
                 std::vector<FoundFile>* matches) override;
  bool changeDirectory(const std::string& path) override;
  std::string currentDirectory() override { return cwd; }
  int readFile(const std::string& path, std::string* bytes) override;
  int createNewFile(const std::string& path, const std::string& bytes) override;
  int renameFile(const std::string& from, const std::string& to) override;
  int removeFile(const std::string& path) override;
  std::string fileIdentity(const std::string& path) override;
  // The content of a file, as added or written; empty when there is none.
  std::string fileContents(const std::string& path) const;
  bool hasFile(const std::string& path) const;
  std::string ansiToUtf8(std::string_view bytes) override;
  std::string errorText(int errnum) override;
  std::time_t now() override { return clock; }
  void writeOut(const std::string& text) override { out += text; }
  void writeError(const std::string& text) override { err += text; }

  // A path made absolute against cwd, with "/" as separator, "." and ".."
  // resolved and letters lower-cased: how the fake compares file names.
  std::string normalize(const std::string& path) const;

 private:
  struct RegistryEntry {
    RegistryRoot root;
    std::string path;  // as added
    std::map<std::string, std::string> values;  // lower-cased names
  };
  struct FileEntry {
    std::string name;  // last component as added
    std::string parent;  // normalized
    bool isDirectory;
    std::string contents;
  };
  RegistryEntry* findKey(RegistryRoot root, const std::string& path);
  void eraseFile(const std::string& normalized);
  bool inUse(const std::string& path) const;
  std::vector<RegistryEntry> registry_;
  std::map<RegistryKey, size_t> openKeys_;
  RegistryKey nextKey_ = 1;
  std::map<std::string, FileEntry> files_;  // by normalized path
  std::vector<std::string> fileOrder_;      // normalized paths, as added
  std::map<std::string, std::pair<std::string, std::string>> environment_;
  std::map<ChildProcess, ChildScript> running_;
  ChildProcess nextChild_ = 1;
};

}  // namespace kite

#endif  // KITE_TESTS_PLATFORM_FAKE_PLATFORM_H_
