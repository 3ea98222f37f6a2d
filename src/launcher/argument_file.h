// A command line too long for Windows (32,766 UTF-16 units), shortened by a
// Java argument file: Java 9 and later read "@file" as the arguments the
// file holds, so the JVM parameters, the class path and the module path go
// into a file and the command line names it.
#ifndef KITE_LAUNCHER_ARGUMENT_FILE_H_
#define KITE_LAUNCHER_ARGUMENT_FILE_H_

#include <string>
#include <vector>

#include "base/launch_settings.h"
#include "platform/platform.h"

namespace kite {

struct ArgumentFile {
  std::string path;         // the file written; empty when none was
  std::string commandLine;  // the command line that names it
  std::string whyNot;       // why none was written, when none was
};

// The text of an argument file that gives Java `arguments`, one per line:
// each in double quotes, with a backslash before a backslash or a double
// quote, and \n, \r, \t and \f for those characters, as the Java launcher
// reads such files.
std::string argumentFileText(const std::vector<std::string>& arguments);

// The feature version (8, 17, ...) of the runtime settings.javaPath names:
// the version its record holds (settings.runtime), else the one the
// "release" file in the folder above its "bin" folder names; 0 when it is
// not known.
unsigned runtimeFeature(const LaunchSettings& settings, Platform& platform);

// The bytes of the argument file for the JVM items of the command line
// (parameters, class path, module path), in the ANSI code page, in which
// Java reads it; empty, and why, when the runtime is not known to be Java 9
// or later or the code page cannot hold the items.
struct ArgumentFileBytes {
  std::string bytes;
  std::string whyNot;
};
ArgumentFileBytes argumentFileBytes(const LaunchSettings& settings,
                                    Platform& platform);

// Writes argumentFileBytes() to a new file in the user's temporary folder,
// of a random name ("kite-", 16 hexadecimal digits, ".args") and the user's
// alone, and returns the command line with "@file" in place of the JVM
// items; writes nothing, and says why, when there are no bytes or the file
// cannot be written.  Files of that name left there by launches that were
// killed are removed first once they are a day old.
ArgumentFile writeArgumentFile(const LaunchSettings& settings,
                               Platform& platform);

}  // namespace kite

#endif  // KITE_LAUNCHER_ARGUMENT_FILE_H_
