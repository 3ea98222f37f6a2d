#include "platform/fake_platform.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/text.h"
#include "base/unicode.h"

namespace kite {
namespace {

std::string parentOf(const std::string& normalized) {
  const size_t slash = normalized.rfind('/');
  return slash == std::string::npos ? std::string() : normalized.substr(0, slash);
}

}  // namespace

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
  starts.push_back(
      {commandLine,
       directory ? std::optional<std::string>(directory) : std::nullopt,
       consoleTitle ? std::optional<std::string>(consoleTitle) : std::nullopt,
       environment ? std::optional<std::vector<std::string>>(*environment)
                   : std::nullopt});
  ChildScript script;
  if (!children.empty()) {
    script = children.front();
    children.pop_front();
  }
  if (script.startFails) {
    *error = "The system cannot find the file specified.";
    return false;
  }
  *child = nextChild_++;
  running_[*child] = script;
  return true;
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

std::string FakePlatform::normalize(const std::string& path) const {
  std::string text = path;
  std::replace(text.begin(), text.end(), '\\', '/');
  // A POSIX host's absolute path ("/work/x") stands for itself too.
  const bool absolute =
      (text.size() >= 2 && text[1] == ':') || (!text.empty() && text[0] == '/');
  if (!absolute) {
    std::string base = cwd;
    std::replace(base.begin(), base.end(), '\\', '/');
    text = base + "/" + text;
  }
  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= text.size()) {
    size_t slash = text.find('/', start);
    if (slash == std::string::npos) slash = text.size();
    const std::string part = text.substr(start, slash - start);
    if (part == "..") {
      if (parts.size() > 1) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    start = slash + 1;
  }
  std::string result;
  for (const std::string& part : parts) result += (result.empty() ? "" : "/") + part;
  return asciiLower(result);
}

void FakePlatform::addDirectory(const std::string& path) {
  const std::string key = normalize(path);
  if (files_.count(key)) return;
  const std::string parent = parentOf(key);
  const size_t cut = path.find_last_of("/\\");
  // Parents first, named as written where the path names them.
  if (parent.find('/') != std::string::npos)
    addDirectory(cut == std::string::npos ? parent : path.substr(0, cut));
  files_[key] = {cut == std::string::npos ? path : path.substr(cut + 1),
                 parent, true, ""};
  fileOrder_.push_back(key);
}

void FakePlatform::addFile(const std::string& path, const std::string& contents) {
  const std::string key = normalize(path);
  const size_t cut = path.find_last_of("/\\");
  if (cut != std::string::npos) addDirectory(path.substr(0, cut));
  if (!files_.count(key)) fileOrder_.push_back(key);
  files_[key] = {cut == std::string::npos ? path : path.substr(cut + 1),
                 parentOf(key), false, contents};
}

bool FakePlatform::findFiles(const std::string& pattern,
                             std::vector<FoundFile>* found) {
  findPatterns.push_back(pattern);
  const size_t cut = pattern.find_last_of("/\\");
  const std::string dir = normalize(cut == std::string::npos ? "." : pattern.substr(0, cut));
  const std::string glob = cut == std::string::npos ? pattern : pattern.substr(cut + 1);
  found->clear();
  if (pattern.find('"') != std::string::npos) return false;  // never a file name
  for (const std::string& key : fileOrder_) {
    const FileEntry& entry = files_.at(key);
    if (entry.parent == dir && wildcardMatch(glob, entry.name))
      found->push_back({entry.name, entry.isDirectory});
  }
  return !found->empty();
}

bool FakePlatform::changeDirectory(const std::string& path) {
  directoryChanges.push_back(path);
  cwd = path;
  return true;
}

int FakePlatform::readFile(const std::string& path, std::string* bytes) {
  filesRead.push_back(path);
  auto found = files_.find(normalize(path));
  if (path.empty() || found == files_.end()) return ENOENT;
  if (found->second.isDirectory) return EACCES;
  if (found->second.contents.size() > kMaxFileBytes) return EFBIG;
  *bytes = found->second.contents;
  return 0;
}

int FakePlatform::createNewFile(const std::string& path,
                                const std::string& bytes) {
  filesWritten.push_back("create " + path);
  const std::string key = normalize(path);
  const std::string parent = parentOf(key);
  const auto directory = files_.find(parent);
  const bool driveRoot = parent.find('/') == std::string::npos;
  if (!driveRoot &&
      (directory == files_.end() || !directory->second.isDirectory))
    return ENOENT;
  if (files_.count(key)) return EEXIST;
  addFile(path, bytes);
  createdContents.push_back(bytes);
  return 0;
}

int FakePlatform::appendFile(const std::string& path, const std::string& bytes,
                             unsigned long long* size) {
  filesWritten.push_back("append " + path);
  for (const std::string& refused : appendFailures)
    if (normalize(refused) == normalize(path)) return EACCES;
  const std::string key = normalize(path);
  const std::string parent = parentOf(key);
  const auto directory = files_.find(parent);
  const bool driveRoot = parent.find('/') == std::string::npos;
  if (!driveRoot &&
      (directory == files_.end() || !directory->second.isDirectory))
    return ENOENT;
  const auto found = files_.find(key);
  if (found != files_.end() && found->second.isDirectory) return EISDIR;
  const std::string contents =
      (found == files_.end() ? std::string() : found->second.contents) + bytes;
  addFile(path, contents);
  *size = contents.size();
  return 0;
}

int FakePlatform::renameFile(const std::string& from, const std::string& to) {
  filesWritten.push_back("rename " + from + " -> " + to);
  if (inUse(from) || inUse(to)) return EACCES;
  const std::string key = normalize(from);
  const auto found = files_.find(key);
  if (found == files_.end() || found->second.isDirectory) return ENOENT;
  const auto target = files_.find(normalize(to));
  if (target != files_.end() && target->second.isDirectory) return EISDIR;
  const std::string contents = found->second.contents;
  eraseFile(key);
  addFile(to, contents);
  return 0;
}

int FakePlatform::removeFile(const std::string& path) {
  filesWritten.push_back("remove " + path);
  if (inUse(path)) return EACCES;
  const std::string key = normalize(path);
  const auto found = files_.find(key);
  if (found == files_.end() || found->second.isDirectory) return ENOENT;
  eraseFile(key);
  return 0;
}

bool FakePlatform::inUse(const std::string& path) const {
  for (const std::string& used : filesInUse)
    if (normalize(used) == normalize(path)) return true;
  return false;
}

void FakePlatform::eraseFile(const std::string& name) {
  const std::string key = name;  // `name` may be the key erased below
  files_.erase(key);
  fileOrder_.erase(std::remove(fileOrder_.begin(), fileOrder_.end(), key),
                   fileOrder_.end());
}

std::string FakePlatform::fileContents(const std::string& path) const {
  auto found = files_.find(normalize(path));
  return found == files_.end() ? std::string() : found->second.contents;
}

bool FakePlatform::hasFile(const std::string& path) const {
  return files_.count(normalize(path)) != 0;
}

std::string FakePlatform::fileIdentity(const std::string& path) {
  const std::string key = normalize(path);
  return files_.count(key) ? key : std::string();
}

std::string FakePlatform::ansiToUtf8(std::string_view bytes) {
  return windows1252ToUtf8(bytes);
}

bool FakePlatform::utf8ToAnsi(std::string_view text, std::string* ansi) {
  return utf8ToWindows1252(text, ansi);
}

bool FakePlatform::shortPathName(const std::string& path,
                                 std::string* shortPath) {
  const auto found = shortNames.find(normalize(path));
  if (found == shortNames.end() || !hasFile(path)) return false;
  *shortPath = found->second;
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
