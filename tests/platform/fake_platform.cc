#include "platform/fake_platform.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/text.h"
#include "base/unicode.h"

namespace kite {

FakePlatform::FakePlatform() = default;

// --- Registry. ---

namespace {

bool sameRoot(RegistryRoot a, RegistryRoot b) {
  return a.hive == b.hive && a.view == b.view;
}

}  // namespace

std::string FakePlatform::rootName(RegistryRoot root) {
  if (sameRoot(root, kClassicRegistryRoot)) return "";
  return std::string(root.hive == RegistryHive::kCurrentUser ? "HKCU" : "HKLM") +
         (root.view == RegistryView::k64Bit ? "64:" : "32:");
}

FakePlatform::RegistryEntry* FakePlatform::findKey(RegistryRoot root,
                                                   const std::string& path) {
  // On 32-bit Windows both views are the one registry.
  if (!sixtyFourBit) root.view = RegistryView::k32Bit;
  const std::string wanted = asciiLower(path);
  for (RegistryEntry& entry : registry_)
    if (sameRoot(entry.root, root) && asciiLower(entry.path) == wanted)
      return &entry;
  return nullptr;
}

void FakePlatform::addRegistryKey(RegistryRoot root, const std::string& path) {
  if (!sixtyFourBit) root.view = RegistryView::k32Bit;
  if (findKey(root, path)) return;
  const size_t slash = path.rfind('\\');
  if (slash != std::string::npos) addRegistryKey(root, path.substr(0, slash));
  registry_.push_back({root, path, {}});
}

void FakePlatform::setRegistryValue(RegistryRoot root, const std::string& path,
                                    const std::string& name,
                                    const std::string& value) {
  addRegistryKey(root, path);
  findKey(root, path)->values[asciiLower(name)] = value;
}

long FakePlatform::openRegistryKey(RegistryRoot root, const std::string& path,
                                   RegistryKey* key) {
  registryOpens.push_back(rootName(root) + path);
  RegistryEntry* entry = findKey(root, path);
  if (!entry) return 2;  // ERROR_FILE_NOT_FOUND
  *key = nextKey_++;
  openKeys_[*key] = static_cast<size_t>(entry - registry_.data());
  ++openRegistryKeys;
  return 0;
}

long FakePlatform::openRegistrySubkey(RegistryKey parent,
                                      const std::string& path,
                                      RegistryKey* key) {
  const auto open = openKeys_.find(parent);
  if (open == openKeys_.end()) return 6;  // ERROR_INVALID_HANDLE
  const RegistryEntry& entry = registry_[open->second];
  return openRegistryKey(entry.root, entry.path + "\\" + path, key);
}

long FakePlatform::readRegistryString(RegistryKey key, const std::string& name,
                                      std::string* value) {
  auto open = openKeys_.find(key);
  if (open == openKeys_.end()) return 6;  // ERROR_INVALID_HANDLE
  const auto& values = registry_[open->second].values;
  auto found = values.find(asciiLower(name));
  if (found == values.end()) return 2;
  *value = found->second;
  return 0;
}

unsigned long FakePlatform::countRegistrySubkeys(RegistryKey key) {
  auto open = openKeys_.find(key);
  if (open == openKeys_.end()) return 0;
  const RegistryEntry& parent = registry_[open->second];
  const std::string prefix = asciiLower(parent.path) + "\\";
  unsigned long count = 0;
  for (const RegistryEntry& entry : registry_) {
    if (!sameRoot(entry.root, parent.root)) continue;
    const std::string path = asciiLower(entry.path);
    if (path.compare(0, prefix.size(), prefix) == 0 &&
        path.find('\\', prefix.size()) == std::string::npos)
      ++count;
  }
  return count;
}

long FakePlatform::enumRegistrySubkey(RegistryKey key, unsigned long index,
                                      std::string* name) {
  auto open = openKeys_.find(key);
  if (open == openKeys_.end()) return 6;
  const RegistryEntry& parent = registry_[open->second];
  const std::string prefix = asciiLower(parent.path) + "\\";
  unsigned long seen = 0;
  for (const RegistryEntry& entry : registry_) {
    if (!sameRoot(entry.root, parent.root)) continue;
    const std::string path = asciiLower(entry.path);
    if (path.compare(0, prefix.size(), prefix) != 0 ||
        path.find('\\', prefix.size()) != std::string::npos)
      continue;
    if (seen++ == index) {
      *name = entry.path.substr(prefix.size());
      return 0;
    }
  }
  return 259;  // ERROR_NO_MORE_ITEMS
}

void FakePlatform::closeRegistryKey(RegistryKey key) {
  if (openKeys_.erase(key)) --openRegistryKeys;
}

// --- User interface and processes. ---

int FakePlatform::showMessageBox(const char* text, const std::string& caption,
                                 unsigned style) {
  boxes.push_back({text ? std::optional<std::string>(text) : std::nullopt,
                   caption, style});
  if (!answers.empty()) {
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }
  return style == kBoxYesNoError ? 7 : 1;
}

bool FakePlatform::startProcess(const std::string& commandLine,
                                const char* directory,
                                const char* consoleTitle,
                                const std::vector<std::string>* environment,
                                ChildProcess* child, std::string* error) {
  FakeStart start;
  start.commandLine = commandLine;
  if (directory) start.directory = directory;
  if (consoleTitle) start.consoleTitle = consoleTitle;
  if (environment) start.environment = *environment;
  starts.push_back(start);
  ChildScript script;
  if (!children.empty()) {
    script = children.front();
    children.pop_front();
  }
  if (script.startFails) {
    *error = script.startError;
    return false;
  }
  *child = nextChild_++;
  running_[*child] = script;
  return true;
}

bool FakePlatform::startApplication(const std::string& commandLine,
                                    ApplicationStart& start,
                                    ChildProcess* child, std::string* error) {
  const bool started = startProcess(commandLine, start.directory,
                                    start.consoleTitle, start.environment,
                                    child, error);
  FakeStart& made = starts.back();
  made.ownProcess = true;
  made.appUserModelId = start.appUserModelId;
  made.endWith = start.endWith;
  if (start.host) made.host = *start.host;
  if (started && start.endWith != EndWithLauncher::kNo) start.jobNote = jobNote;
  return started;
}

void FakePlatform::waitForInputIdle(ChildProcess child, unsigned milliseconds) {
  waits.push_back("idle " + std::to_string(milliseconds));
  (void)child;
}

void FakePlatform::waitForExit(ChildProcess child) {
  waits.push_back("exit");
  clock += running_.at(child).runSeconds;
}

int FakePlatform::exitCode(ChildProcess child) {
  waits.push_back("code");
  return running_.at(child).exitCode;
}

void FakePlatform::closeProcess(ChildProcess child) {
  waits.push_back("close");
  running_.erase(child);
}

// --- Environment and files. ---

void FakePlatform::setEnvironment(const std::string& name,
                                  const std::string& value) {
  if (!environment_.count(asciiLower(name)))
    environmentOrder_.push_back(asciiLower(name));
  environment_[asciiLower(name)] = {name, value};
}

bool FakePlatform::setEnvironmentVariable(const std::string& name,
                                          const std::string& value) {
  environmentSets.push_back(name + "=" + value);
  setEnvironment(name, value);
  return true;
}

std::vector<std::string> FakePlatform::listEnvironment() {
  std::vector<std::string> entries;
  for (const std::string& key : environmentOrder_) {
    const auto& entry = environment_.at(key);
    entries.push_back(entry.first + "=" + entry.second);
  }
  return entries;
}

bool FakePlatform::getEnvironment(const std::string& name, std::string* value) {
  environmentLookups.push_back(name);
  auto found = environment_.find(asciiLower(name));
  if (found == environment_.end()) return false;
  *value = found->second.second;
  return true;
}

std::string FakePlatform::errorText(int errnum) { return std::strerror(errnum); }

// --- Instance locks. ---

std::string FakePlatform::lowerCase(const std::string& text) {
  return asciiLower(text);
}

InstanceClaim FakePlatform::claimInstance(const std::string& name,
                                          InstanceLock* lock) {
  instanceCalls.push_back("claim " + name);
  if (instanceClaimFails) return InstanceClaim::kFailed;
  if (instanceForeign) return InstanceClaim::kForeign;
  for (const std::string& held : heldInstances)
    if (held == name) return InstanceClaim::kHeld;
  for (const auto& taken : locks_)
    if (taken.second == name) return InstanceClaim::kHeld;
  *lock = nextLock_++;
  locks_[*lock] = name;
  return InstanceClaim::kTaken;
}

void FakePlatform::releaseInstance(InstanceLock lock) {
  const auto taken = locks_.find(lock);
  instanceCalls.push_back("release " +
                          (taken == locks_.end() ? "?" : taken->second));
  if (taken != locks_.end()) locks_.erase(taken);
}

bool FakePlatform::showInstanceWindow(const std::string& name) {
  instanceCalls.push_back("show " + name);
  return instanceHasWindow;
}

}  // namespace kite
