#include "brand/output_files.h"

#include <cerrno>

#include "check/check_platform.h"
#include "platform/folders.h"

namespace kite {
namespace {

// One output on its way: the new file beside its place, and the file it
// replaces while it waits aside.
struct Pending {
  const OutputFile* file;
  std::string temporary;
  std::string aside;
  bool placed = false;
};

// Creates a file holding `bytes` beside `path`, under the first name
// "<path>.<tag>-<n>" that nothing has: the file is created only when the
// name is free, so another run, an earlier run's leftover or a link
// planted under that name is never written over or through.
int createBeside(Platform& platform, const std::string& path, const char* tag,
                 const std::string& bytes, std::string* created) {
  constexpr int kNames = 100;
  for (int n = 1; n <= kNames; ++n) {
    const std::string name = path + "." + tag + "-" + std::to_string(n);
    const int status = platform.createNewFile(name, bytes);
    if (status != EEXIST) {
      if (status == 0) *created = name;
      return status;
    }
  }
  return EEXIST;
}

// Puts the new file in place; unless `last`, the file there first moves
// aside (to a name reserved the same way), to be put back on a later
// failure.
int putInPlace(Platform& platform, Pending& pending, bool last) {
  const std::string& path = pending.file->path;
  if (!last) {
    int status =
        createBeside(platform, path, "kitebrand-old", "", &pending.aside);
    if (status == 0) status = platform.renameFile(path, pending.aside);
    if (status != 0) {
      if (!pending.aside.empty()) platform.removeFile(pending.aside);
      pending.aside.clear();
      if (status != ENOENT) return status;  // ENOENT: nothing to keep
    }
  }
  const int status = platform.renameFile(pending.temporary, path);
  if (status != 0) {
    if (!pending.aside.empty()) platform.renameFile(pending.aside, path);
    pending.aside.clear();
    return status;
  }
  pending.placed = true;
  return 0;
}

}  // namespace

std::string writeOutputFiles(Platform& platform,
                             const std::vector<OutputFile>& files) {
  // Windows moves a directory aside as it moves a file; only files are
  // replaced.
  for (const OutputFile& file : files) {
    if (isDirectory(platform, file.path))
      return "cannot write " + file.path + ": it is a directory, not a file";
  }
  // The folders the outputs go in are made first (the file's folder only
  // when it is missing), and go again if anything fails.
  std::vector<std::string> folders;
  for (const OutputFile& file : files) {
    const std::string folder = parentFolder(file.path);
    if (folder.empty() || isDirectory(platform, folder)) continue;
    std::string failedFolder;
    const int made = makeFolders(platform, folder, &folders, &failedFolder);
    if (made != 0 && made != EEXIST) {
      removeFolders(platform, folders);
      return "cannot write " + file.path + ": cannot create the folder " +
             failedFolder + ": " +
             fileErrorText(platform, failedFolder, made);
    }
  }
  std::vector<Pending> pending;
  const OutputFile* failed = nullptr;
  int status = 0;
  for (const OutputFile& file : files) {
    pending.push_back(Pending{&file, std::string(), std::string(), false});
    status = createBeside(platform, file.path, "kitebrand-new", file.bytes,
                          &pending.back().temporary);
    if (status != 0) {
      failed = &file;
      break;
    }
  }
  for (size_t i = 0; !failed && i < pending.size(); ++i) {
    status = putInPlace(platform, pending[i], i + 1 == files.size());
    if (status != 0) failed = pending[i].file;
  }
  if (!failed) {
    for (const Pending& done : pending)
      if (!done.aside.empty()) platform.removeFile(done.aside);
    return std::string();
  }
  // Back to where things were: the files placed give way to the ones they
  // replaced (or to nothing), and the new files not placed go.
  for (const Pending& undo : pending) {
    if (!undo.placed) {
      if (!undo.temporary.empty()) platform.removeFile(undo.temporary);
    } else if (undo.aside.empty()) {
      platform.removeFile(undo.file->path);
    } else {
      platform.renameFile(undo.aside, undo.file->path);
    }
  }
  removeFolders(platform, folders);
  return "cannot write " + failed->path + ": " +
         fileErrorText(platform, failed->path, status);
}

}  // namespace kite
