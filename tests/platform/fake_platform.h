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
  // The child's own environment; unset: it inherits the launcher's.
  std::optional<std::vector<std::string>> environment;
  // What startApplication was asked beyond a plain start (startProcess
  // leaves these as they are).
  bool ownProcess = false;
  std::string appUserModelId;
  EndWithLauncher endWith = EndWithLauncher::kNo;
  std::optional<HostRequest> host;
};

// The first bytes of a Windows program (a PE32 image, GUI subsystem) built
// for `machine` (0x14C x86, 0x8664 x64, 0xAA64 ARM64): what a runtime's
// java.exe must start with.  `library` marks it a DLL.
inline std::string fakeProgram(unsigned machine = 0x14C, bool library = false) {
  std::string b(0x40 + 24 + 224, '\0');
  const auto put = [&b](size_t at, unsigned value, int width) {
    for (int i = 0; i < width; ++i) b[at + i] = static_cast<char>(value >> 8 * i);
  };
  b[0] = 'M', b[1] = 'Z';
  put(0x3C, 0x40, 4);
  b[0x40] = 'P', b[0x41] = 'E';
  put(0x44, machine, 2);
  put(0x54, 224, 2);
  put(0x56, library ? 0x2102 : 0x0102, 2);
  put(0x58, 0x10B, 2);
  put(0x58 + 68, 2, 2);
  return b;
}

// What the next started child does.
struct ChildScript {
  int exitCode = 0;
  std::time_t runSeconds = 0;
  bool startFails = false;  // startProcess returns false
  const char* startError = "The system cannot find the file specified.";
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
  // When the file was last written (addFile sets the clock's time).
  void setModified(const std::string& path, std::time_t modified);
  void setEnvironment(const std::string& name, const std::string& value);
  void queueAnswer(int answer) { answers.push_back(answer); }
  void queueChild(const ChildScript& child) { children.push_back(child); }

  // --- State the tests set or read directly. ---
  std::string cwd = "C:\\Apps\\App";
  std::string program;  // what programPath() returns; empty: unknown
  unsigned long osMajor = 6;
  bool sixtyFourBit = true;  // false: one registry view, as 32-bit Windows
  std::time_t clock = 1000000;
  std::deque<int> answers;  // unanswered boxes return IDOK (1) or IDNO (7)
  std::deque<ChildScript> children;  // unscripted children exit 0 at once
  std::map<std::string, std::string> shortNames;  // normalize()d path -> name
  std::string localTimeText = "2026-01-02 03:04:05";
  unsigned long extraMilliseconds = 0;
  std::vector<std::string> appendFailures;  // paths appendFile refuses
  // Files in use, as a running program is on Windows: renaming or removing
  // them, or renaming a file over them, fails with EACCES.
  std::vector<std::string> filesInUse;

  std::vector<FakeBox> boxes;
  std::vector<FakeStart> starts;
  std::vector<std::string> registryOpens;  // rootName() + path
  std::vector<std::string> environmentLookups;
  std::vector<std::string> environmentSets;  // "NAME=value", by the code
  std::vector<std::string> findPatterns;
  std::vector<std::string> directoryChanges;
  std::vector<std::string> filesRead;
  std::vector<std::string> folderFailures;  // paths makeDirectory refuses
  // "create PATH", "append PATH", "rename A -> B", "remove P", "mkdir P",
  // "rmdir P"
  std::vector<std::string> filesWritten;
  std::vector<std::string> createdContents;  // of each file createNewFile made
  std::vector<std::string> privateFiles;     // created by createPrivateFile
  unsigned randomCalls = 0;
  // Other names of a file (a short name, a subst drive, a share): the name
  // -> the path of the file it names, for fileIdentity.
  std::map<std::string, std::string> fileAliases;
  std::vector<std::string> waits;  // "idle 5000", "exit", "code", "close"
  std::string out;
  std::string err;
  // Instance locks: the names held by "other launchers" (claims of them
  // answer kHeld), whether a claim fails, and whether the held instance has
  // a window to show.  Every claim, release and show is recorded in order:
  // "claim NAME", "release NAME", "show NAME".
  std::vector<std::string> heldInstances;
  bool instanceClaimFails = false;
  bool instanceForeign = false;  // claims answer kForeign
  bool instanceHasWindow = true;
  std::vector<std::string> instanceCalls;
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
                    const char* consoleTitle,
                    const std::vector<std::string>* environment,
                    ChildProcess* child, std::string* error) override;
  void waitForInputIdle(ChildProcess child, unsigned milliseconds) override;
  void waitForExit(ChildProcess child) override;
  int exitCode(ChildProcess child) override;
  void closeProcess(ChildProcess child) override;
  unsigned long osMajorVersion() override { return osMajor; }
  bool is64BitWindows() override { return sixtyFourBit; }
  std::string systemDirectory() override { return "C:\\windows\\system32"; }
  std::string programPath() override { return program; }
  bool getEnvironment(const std::string& name, std::string* value) override;
  // Records "NAME=value" in environmentSets, then sets it as setEnvironment.
  bool setEnvironmentVariable(const std::string& name,
                              const std::string& value) override;
  // In the order the variables were first set.
  std::vector<std::string> listEnvironment() override;
  bool findFiles(const std::string& pattern,
                 std::vector<FoundFile>* matches) override;
  bool changeDirectory(const std::string& path) override;
  std::string currentDirectory() override { return cwd; }
  int readFile(const std::string& path, std::string* bytes) override;
  int readFileStart(const std::string& path, std::size_t limit,
                    std::string* bytes) override;
  int createNewFile(const std::string& path, const std::string& bytes) override;
  // Records "create PATH" too, and the path in privateFiles.
  int createPrivateFile(const std::string& path,
                        const std::string& bytes) override;
  // Each call's bytes all equal the number of calls so far (1, 2, ...).
  bool randomBytes(std::size_t count, std::string* bytes) override;
  int renameFile(const std::string& from, const std::string& to) override;
  int removeFile(const std::string& path) override;
  // Records "mkdir PATH" and "rmdir PATH" in filesWritten; a path in
  // folderFailures whose parent exists is refused with EACCES.
  int makeDirectory(const std::string& path) override;
  int removeDirectory(const std::string& path) override;
  std::string fileIdentity(const std::string& path) override;
  // The content of a file, as added or written; empty when there is none.
  std::string fileContents(const std::string& path) const;
  bool hasFile(const std::string& path) const;
  std::string ansiToUtf8(std::string_view bytes) override;
  unsigned ansiCodePage() override { return 1252; }
  // windows-1252, without best-fit characters.
  bool utf8ToAnsi(std::string_view text, std::string* ansi) override;
  // The names set in shortNames (by normalize()d path) for files that exist.
  bool shortPathName(const std::string& path, std::string* shortPath) override;
  std::string temporaryDirectory() override { return "C:\\Temp\\"; }
  std::string errorText(int errnum) override;
  std::time_t now() override { return clock; }
  void writeOut(const std::string& text) override { out += text; }
  void writeError(const std::string& text) override { err += text; }
  // Appends to a file as writeFile writes one (its folder must exist);
  // records "append PATH".  A path in appendFailures fails with EACCES.
  int appendFile(const std::string& path, const std::string& bytes,
                 unsigned long long* size) override;
  std::string localTime() override { return localTimeText; }
  // The clock in milliseconds, plus what a test adds.
  unsigned long milliseconds() override {
    return static_cast<unsigned long>(clock) * 1000ul + extraMilliseconds;
  }
  unsigned long processId() override { return 4242; }
  bool startApplication(const std::string& commandLine, ApplicationStart& start,
                        ChildProcess* child, std::string* error) override;
  bool takeHostRequest(HostRequest*) override { return false; }
  LoadedLibrary loadLibrary(const std::string&, const std::string&,
                            std::string* error) override {
    *error = "no libraries here";
    return 0;
  }
  void* findExport(LoadedLibrary, const char*) override { return nullptr; }
  std::intptr_t callExport(void*, const std::uintptr_t*, int) override {
    return 0;
  }
  std::string ansiCommandLine() override { return std::string(); }
  bool setAppUserModelId(const std::string& id) override {
    appUserModelIds.push_back(id);
    return true;
  }
  // What setAppUserModelId was given, in order.
  std::vector<std::string> appUserModelIds;
  // The note startApplication gives when asked to tie the process to the
  // launcher; empty: tied.
  std::string jobNote;
  // ASCII letters only.
  std::string lowerCase(const std::string& text) override;
  InstanceClaim claimInstance(const std::string& name,
                              InstanceLock* lock) override;
  void releaseInstance(InstanceLock lock) override;
  bool showInstanceWindow(const std::string& name) override;

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
    std::time_t modified = 0;
  };
  RegistryEntry* findKey(RegistryRoot root, const std::string& path);
  void eraseFile(const std::string& normalized);
  bool folderOf(const std::string& normalized) const;
  bool inUse(const std::string& path) const;
  std::vector<RegistryEntry> registry_;
  std::map<RegistryKey, size_t> openKeys_;
  RegistryKey nextKey_ = 1;
  std::map<std::string, FileEntry> files_;  // by normalized path
  std::vector<std::string> fileOrder_;      // normalized paths, as added
  std::map<std::string, std::pair<std::string, std::string>> environment_;
  std::vector<std::string> environmentOrder_;  // lower-cased names
  std::map<ChildProcess, ChildScript> running_;
  ChildProcess nextChild_ = 1;
  std::map<InstanceLock, std::string> locks_;  // taken and not released
  InstanceLock nextLock_ = 1;
};

}  // namespace kite

#endif  // KITE_TESTS_PLATFORM_FAKE_PLATFORM_H_
