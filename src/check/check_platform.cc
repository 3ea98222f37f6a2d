#include "check/check_platform.h"

namespace kite {

long CheckPlatform::openRegistryKey(RegistryRoot root, const std::string& path,
                                    RegistryKey* key) {
  return base_.openRegistryKey(root, path, key);
}

long CheckPlatform::openRegistrySubkey(RegistryKey parent,
                                       const std::string& path,
                                       RegistryKey* key) {
  return base_.openRegistrySubkey(parent, path, key);
}

long CheckPlatform::readRegistryString(RegistryKey key, const std::string& name,
                                       std::string* value) {
  return base_.readRegistryString(key, name, value);
}

unsigned long CheckPlatform::countRegistrySubkeys(RegistryKey key) {
  return base_.countRegistrySubkeys(key);
}

long CheckPlatform::enumRegistrySubkey(RegistryKey key, unsigned long index,
                                       std::string* name) {
  return base_.enumRegistrySubkey(key, index, name);
}

void CheckPlatform::closeRegistryKey(RegistryKey key) {
  base_.closeRegistryKey(key);
}

// Recorded, never shown.  A Yes/No prompt is answered "No", so no download
// page is ever opened.
int CheckPlatform::showMessageBox(const char* text, const std::string& caption,
                                  unsigned style) {
  boxes.push_back({text ? text : "(null)", caption, style});
  return (style & kBoxButtonsMask) == kBoxYesNo ? kAnswerNo : kAnswerOk;
}

bool CheckPlatform::startProcess(const std::string& commandLine, const char*,
                                 const char*, ChildProcess*,
                                 std::string* error) {
  refusedStarts.push_back(commandLine);
  *error = "kitecheck starts no process";
  return false;
}

bool findPath(Platform& platform, std::string path,
              std::vector<FoundFile>* matches) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
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
