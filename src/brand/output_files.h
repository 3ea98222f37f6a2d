// Writing kitebrand's outputs, the branded copy and its configuration, as
// one change: afterwards either every file is new or none has changed.
#ifndef KITE_BRAND_OUTPUT_FILES_H_
#define KITE_BRAND_OUTPUT_FILES_H_

#include <string>
#include <vector>

#include "platform/platform.h"

namespace kite {

struct OutputFile {
  std::string path;
  std::string bytes;
};

// Writes each file to a new file beside its place, under a name nothing
// had, and puts them in place only when all are complete; a file one
// replaces waits aside until the last is in place, so that a failure on
// the way puts every earlier one back.  The last file replaces its
// predecessor in one rename, so the one most likely to be refused (an
// executable in use) goes last.  Missing folders on the way are created,
// and removed again on failure.  Returns an empty string on success,
// otherwise "cannot write PATH: why".
std::string writeOutputFiles(Platform& platform,
                             const std::vector<OutputFile>& files);

}  // namespace kite

#endif  // KITE_BRAND_OUTPUT_FILES_H_
