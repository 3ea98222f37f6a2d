// Making the folders a file is written into, as loggers and build tools do
// when a path names folders that are not there yet, and taking them away
// again when the write is given up.
#ifndef KITE_PLATFORM_FOLDERS_H_
#define KITE_PLATFORM_FOLDERS_H_

#include <string>
#include <vector>

#include "platform/platform.h"

namespace kite {

// The folder `path` names its file in: everything before its last
// separator, without separators at its end ("C:\logs\a.log" -> "C:\logs");
// a root keeps its own ("C:\a.log" -> "C:\", "/a" -> "/"); empty when the
// path has no separator (its folder is the current one).
std::string parentFolder(const std::string& path);

// Creates `folder` and every missing folder above it.  Returns 0 when it
// created `folder`, EEXIST when something had its name already (a folder,
// or a file in the way), otherwise the errno value of the first folder that
// could not be made, which it names in *failed.  The folders it made are
// added to *made, outermost first, also on failure.
int makeFolders(Platform& platform, const std::string& folder,
                std::vector<std::string>* made, std::string* failed);

// Removes the folders makeFolders made, innermost first; nothing to report
// on failure (a folder something was written into stays).
void removeFolders(Platform& platform, const std::vector<std::string>& made);

}  // namespace kite

#endif  // KITE_PLATFORM_FOLDERS_H_
