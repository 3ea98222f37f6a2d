#include "check/check_platform.h"

#include "base/text.h"

namespace kite {

// Recorded, never shown.  A Yes/No prompt is answered "No", so no download
// page is ever opened.
int CheckPlatform::showMessageBox(const char* text, const std::string& caption,
                                  unsigned style) {
  boxes.push_back({text ? text : "(null)", caption, style});
  return (style & kBoxButtonsMask) == kBoxYesNo ? kAnswerNo : kAnswerOk;
}

bool CheckPlatform::startProcess(const std::string&, const char*,
                                 const char*, const std::vector<std::string>*,
                                 ChildProcess*, std::string* error) {
  *error = "kitecheck starts no process";
  return false;
}

bool CheckPlatform::getEnvironment(const std::string& name,
                                   std::string* value) {
  const auto found = set_.find(asciiLower(name));
  if (found == set_.end()) return inner().getEnvironment(name, value);
  *value = found->second.substr(found->second.find('=', 1) + 1);
  return true;
}

bool CheckPlatform::setEnvironmentVariable(const std::string& name,
                                           const std::string& value) {
  set_[asciiLower(name)] = name + "=" + value;
  return true;
}

std::vector<std::string> CheckPlatform::listEnvironment() {
  std::vector<std::string> entries;
  for (const std::string& entry : inner().listEnvironment()) {
    const size_t equals = entry.find('=', 1);
    if (!set_.count(asciiLower(entry.substr(0, equals))))
      entries.push_back(entry);
  }
  for (const auto& entry : set_) entries.push_back(entry.second);
  return entries;
}

bool isWindowsPath(const std::string& path) {
  const bool letter = path.size() >= 2 && path[1] == ':' &&
                      ((path[0] >= 'A' && path[0] <= 'Z') ||
                       (path[0] >= 'a' && path[0] <= 'z'));
  return letter ||
         (path.size() >= 2 && isPathSeparator(path[0]) &&
          isPathSeparator(path[1]));
}

bool findPath(Platform& platform, std::string path,
              std::vector<FoundFile>* matches) {
  while (path.size() > 1 && isPathSeparator(path.back()))
    path.pop_back();
  return !path.empty() && platform.findFiles(path, matches);
}

bool isDirectory(Platform& platform, const std::string& path) {
  std::vector<FoundFile> found;
  return findPath(platform, path, &found) && found.size() == 1 &&
         found[0].isDirectory;
}

std::string fileErrorText(Platform& platform, const std::string& path,
                          int error) {
  return isDirectory(platform, path) ? "it is a directory, not a file"
                                     : platform.errorText(error);
}

}  // namespace kite
