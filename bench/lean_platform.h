// A lean in-memory platform for the scaling benchmarks.
//
// The unit tests' FakePlatform is built to record and to check, not to be
// fast: it lists a registry key's subkeys by walking every key it holds (so
// enumerating n subkeys one index at a time costs O(n^2)), and its wildcard
// search walks every file it holds.  Measured through it, some benchmarks
// would show the double's costs instead of the launcher's.  This platform
// answers each question in constant time or by copying what it was given, as
// the operating system's calls do, so what grows with the input is the
// launcher's own work.  It records nothing.
#ifndef KITE_BENCH_LEAN_PLATFORM_H_
#define KITE_BENCH_LEAN_PLATFORM_H_

#include <cstdlib>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/platform.h"

namespace kite {
namespace bench {

class LeanPlatform : public Platform {
 public:
  // --- Set-up.  Registry paths and file names are matched exactly. ---
  void setRegistryValue(const std::string& path, const std::string& name,
                        const std::string& value) {
    addRegistryKey(path).values[name] = value;
  }
  void addFile(const std::string& path, const std::string& text) {
    files_[path] = text;
  }
  // What findFiles answers for `pattern`, in this order.
  void setSearchResult(const std::string& pattern, std::vector<FoundFile> found) {
    searches_[pattern] = std::move(found);
  }
  void setEnvironment(const std::string& name, const std::string& value) {
    environment_[name] = value;
  }

  // --- Registry. ---
  // One registry: the classic root; other roots are empty.
  long openRegistryKey(RegistryRoot root, const std::string& path,
                       RegistryKey* key) override {
    if (root.hive != kClassicRegistryRoot.hive ||
        root.view != kClassicRegistryRoot.view)
      return 2;
    auto found = index_.find(path);
    if (found == index_.end()) return 2;  // ERROR_FILE_NOT_FOUND
    *key = found->second + 1;
    return 0;
  }
  long openRegistrySubkey(RegistryKey parent, const std::string& path,
                          RegistryKey* key) override {
    auto found = index_.find(keys_[parent - 1].path + "\\" + path);
    if (found == index_.end()) return 2;
    *key = found->second + 1;
    return 0;
  }
  long readRegistryString(RegistryKey key, const std::string& name,
                          std::string* value) override {
    const auto& values = keys_[key - 1].values;
    auto found = values.find(name);
    if (found == values.end()) return 2;
    *value = found->second;
    return 0;
  }
  unsigned long countRegistrySubkeys(RegistryKey key) override {
    return static_cast<unsigned long>(keys_[key - 1].subkeys.size());
  }
  long enumRegistrySubkey(RegistryKey key, unsigned long index,
                          std::string* name) override {
    const auto& subkeys = keys_[key - 1].subkeys;
    if (index >= subkeys.size()) return 259;  // ERROR_NO_MORE_ITEMS
    *name = subkeys[index];
    return 0;
  }
  void closeRegistryKey(RegistryKey) override {}

  // --- User interface and processes: a child that exits 0 at once. ---
  int showMessageBox(const char*, const std::string&, unsigned) override {
    return 1;  // IDOK
  }
  bool startProcess(const std::string& commandLine, const char*, const char*,
                    const std::vector<std::string>*, ChildProcess* child,
                    std::string*) override {
    lastCommandLineSize = commandLine.size();
    *child = 1;
    return true;
  }
  void waitForInputIdle(ChildProcess, unsigned) override {}
  void waitForExit(ChildProcess) override {}
  int exitCode(ChildProcess) override { return 0; }
  void closeProcess(ChildProcess) override {}
  unsigned long osMajorVersion() override { return 6; }
  bool is64BitWindows() override { return true; }
  std::string systemDirectory() override { return "C:\\windows\\system32"; }
  std::string programPath() override { return std::string(); }

  // --- Standard runtime library. ---
  bool getEnvironment(const std::string& name, std::string* value) override {
    auto found = environment_.find(name);
    if (found == environment_.end()) return false;
    *value = found->second;
    return true;
  }
  bool setEnvironmentVariable(const std::string& name,
                              const std::string& value) override {
    environment_[name] = value;
    return true;
  }
  std::vector<std::string> listEnvironment() override {
    std::vector<std::string> entries;
    for (const auto& entry : environment_)
      entries.push_back(entry.first + "=" + entry.second);
    return entries;
  }
  bool findFiles(const std::string& pattern,
                 std::vector<FoundFile>* matches) override {
    auto found = searches_.find(pattern);
    if (found == searches_.end()) {
      matches->clear();
      return false;
    }
    *matches = found->second;
    return !matches->empty();
  }
  bool changeDirectory(const std::string& path) override {
    cwd_ = path;
    return true;
  }
  std::string currentDirectory() override { return cwd_; }
  int readFile(const std::string& path, std::string* bytes) override {
    auto found = files_.find(path);
    if (found == files_.end()) return 2;  // ENOENT
    *bytes = found->second;
    return 0;
  }
  int readFileStart(const std::string& path, std::size_t limit,
                    std::string* bytes) override {
    const int status = readFile(path, bytes);
    if (status == 0 && bytes->size() > limit) bytes->resize(limit);
    return status;
  }
  int createNewFile(const std::string&, const std::string&) override {
    return 30;
  }
  int createPrivateFile(const std::string&, const std::string&) override {
    return 30;
  }
  bool randomBytes(std::size_t count, std::string* bytes) override {
    bytes->assign(count, '\x5a');
    return true;
  }
  int renameFile(const std::string&, const std::string&) override {
    return 30;
  }
  int removeFile(const std::string&) override { return 30; }
  int makeDirectory(const std::string&) override { return 30; }
  int removeDirectory(const std::string&) override { return 30; }
  std::string fileIdentity(const std::string& path) override { return path; }
  std::string ansiToUtf8(std::string_view bytes) override {
    return std::string(bytes);
  }
  unsigned ansiCodePage() override { return 1252; }
  bool utf8ToAnsi(std::string_view text, std::string* ansi) override {
    ansi->assign(text);
    return true;
  }
  bool shortPathName(const std::string&, std::string*) override {
    return false;
  }
  std::string temporaryDirectory() override { return "C:\\Temp\\"; }
  std::string errorText(int) override { return "error"; }
  std::time_t now() override { return 1000000; }
  // Trace lines are counted, not kept: the real platform hands them to the
  // C runtime, which is not the launcher's cost.
  void writeOut(const std::string& text) override { bytesOut += text.size(); }
  void writeError(const std::string& text) override { bytesOut += text.size(); }
  int appendFile(const std::string&, const std::string&,
                 unsigned long long*) override {
    return 30;
  }
  std::string localTime() override { return "2026-01-01 00:00:00"; }
  unsigned long milliseconds() override { return 0; }
  unsigned long processId() override { return 1; }
  std::string lowerCase(const std::string& text) override { return text; }
  // No lock is ever held elsewhere.
  InstanceClaim claimInstance(const std::string&, InstanceLock* lock) override {
    *lock = 1;
    return InstanceClaim::kTaken;
  }
  void releaseInstance(InstanceLock) override {}
  bool showInstanceWindow(const std::string&) override { return false; }
  // The application's own process is not measured here.
  bool startApplication(const std::string&, ApplicationStart&, ChildProcess*,
                        std::string*) override {
    return false;
  }
  bool takeHostRequest(HostRequest*) override { return false; }
  LoadedLibrary loadLibrary(const std::string&, const std::string&,
                            std::string*) override {
    return 0;
  }
  void* findExport(LoadedLibrary, const char*) override { return nullptr; }
  std::intptr_t callExport(void*, const std::uintptr_t*, int) override {
    return 0;
  }
  std::string ansiCommandLine() override { return std::string(); }
  bool setAppUserModelId(const std::string&) override { return false; }

  size_t bytesOut = 0;
  size_t lastCommandLineSize = 0;

 private:
  struct Key {
    std::string path;
    std::map<std::string, std::string> values;
    std::vector<std::string> subkeys;  // names, in the order added
  };
  // Adds `path` and its parents when missing; returns its entry.
  Key& addRegistryKey(const std::string& path) {
    auto found = index_.find(path);
    if (found != index_.end()) return keys_[found->second];
    const size_t slash = path.rfind('\\');
    if (slash != std::string::npos)
      addRegistryKey(path.substr(0, slash)).subkeys.push_back(path.substr(slash + 1));
    index_[path] = keys_.size();
    keys_.emplace_back();
    keys_.back().path = path;
    return keys_.back();
  }

  std::vector<Key> keys_;
  std::unordered_map<std::string, size_t> index_;
  std::unordered_map<std::string, std::string> files_;
  std::unordered_map<std::string, std::vector<FoundFile>> searches_;
  std::unordered_map<std::string, std::string> environment_;
  std::string cwd_ = "C:\\Apps\\App";
};

}  // namespace bench
}  // namespace kite

#endif  // KITE_BENCH_LEAN_PLATFORM_H_
