#include "platform/folders.h"

#include <cerrno>

#include "base/text.h"

namespace kite {
namespace {

// The length of the root `path` begins with, which no separator of it may
// be cut from: "C:\" (3), "C:" (2), "\" or "/" (1), or none (0).
size_t rootLength(const std::string& path) {
  if (path.size() >= 2 && path[1] == ':')
    return path.size() >= 3 && isPathSeparator(path[2]) ? 3 : 2;
  return !path.empty() && isPathSeparator(path[0]) ? 1 : 0;
}

}  // namespace

std::string parentFolder(const std::string& path) {
  size_t end = path.size();
  while (end > 0 && !isPathSeparator(path[end - 1])) --end;
  if (end == 0) return std::string();
  const size_t root = rootLength(path);
  while (end > root && isPathSeparator(path[end - 1])) --end;
  return path.substr(0, end > root ? end : root);
}

int makeFolders(Platform& platform, const std::string& folder,
                std::vector<std::string>* made, std::string* failed) {
  int status = platform.makeDirectory(folder);
  if (status == ENOENT) {
    // Its parent is missing: make that first, unless it is a root (or
    // the folder has no parent to make), which is missing for good.
    const std::string parent = parentFolder(folder);
    if (!parent.empty() && parent.size() < folder.size() &&
        parent.size() > rootLength(parent)) {
      status = makeFolders(platform, parent, made, failed);
      if (status != 0 && status != EEXIST) return status;
      status = platform.makeDirectory(folder);
    }
  }
  if (status == 0)
    made->push_back(folder);
  else if (status != EEXIST)
    *failed = folder;
  return status;
}

void removeFolders(Platform& platform, const std::vector<std::string>& made) {
  for (auto folder = made.rbegin(); folder != made.rend(); ++folder)
    platform.removeDirectory(*folder);
}

}  // namespace kite
