// The in-memory platform's files and folders: normalized names, a tree of
// entries, and the file operations the tests record.
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/text.h"
#include "base/unicode.h"
#include "platform/fake_platform.h"

namespace kite {
namespace {

std::string parentOf(const std::string& normalized) {
  const size_t slash = normalized.rfind('/');
  return slash == std::string::npos ? std::string() : normalized.substr(0, slash);
}

}  // namespace

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
                 parentOf(key), false, contents, clock};
}

void FakePlatform::setModified(const std::string& path, std::time_t modified) {
  files_.at(normalize(path)).modified = modified;
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
      found->push_back({entry.name, entry.isDirectory, entry.modified});
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

int FakePlatform::readFileStart(const std::string& path, std::size_t limit,
                                std::string* bytes) {
  const int error = readFile(path, bytes);
  if (error == 0 && bytes->size() > limit) bytes->resize(limit);
  return error;
}

// Whether the folder of the normalized `key` exists (a drive's root does).
bool FakePlatform::folderOf(const std::string& key) const {
  const std::string parent = parentOf(key);
  const auto directory = files_.find(parent);
  return parent.find('/') == std::string::npos ||
         (directory != files_.end() && directory->second.isDirectory);
}

int FakePlatform::createNewFile(const std::string& path,
                                const std::string& bytes) {
  filesWritten.push_back("create " + path);
  const std::string key = normalize(path);
  if (!folderOf(key)) return ENOENT;
  if (files_.count(key)) return EEXIST;
  addFile(path, bytes);
  createdContents.push_back(bytes);
  return 0;
}

int FakePlatform::createPrivateFile(const std::string& path,
                                    const std::string& bytes) {
  privateFiles.push_back(path);
  return createNewFile(path, bytes);
}

bool FakePlatform::randomBytes(std::size_t count, std::string* bytes) {
  bytes->assign(count, static_cast<char>(++randomCalls));
  return true;
}

int FakePlatform::appendFile(const std::string& path, const std::string& bytes,
                             unsigned long long* size) {
  filesWritten.push_back("append " + path);
  for (const std::string& refused : appendFailures)
    if (normalize(refused) == normalize(path)) return EACCES;
  const std::string key = normalize(path);
  if (!folderOf(key)) return ENOENT;
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

int FakePlatform::makeDirectory(const std::string& path) {
  filesWritten.push_back("mkdir " + path);
  const std::string key = normalize(path);
  if (files_.count(key)) return EEXIST;
  if (!folderOf(key)) return ENOENT;
  for (const std::string& refused : folderFailures)
    if (normalize(refused) == key) return EACCES;
  addDirectory(path);
  return 0;
}

int FakePlatform::removeDirectory(const std::string& path) {
  filesWritten.push_back("rmdir " + path);
  const std::string key = normalize(path);
  const auto found = files_.find(key);
  if (found == files_.end() || !found->second.isDirectory) return ENOENT;
  for (const auto& entry : files_)
    if (entry.second.parent == key) return ENOTEMPTY;
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
  std::string key = normalize(path);
  for (const auto& alias : fileAliases)
    if (normalize(alias.first) == key) key = normalize(alias.second);
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

}  // namespace kite
