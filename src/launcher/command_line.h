// Assembly of the Java runtime's command line.
#ifndef KITE_LAUNCHER_COMMAND_LINE_H_
#define KITE_LAUNCHER_COMMAND_LINE_H_

#include <string>
#include <vector>

#include "base/launch_settings.h"
#include "base/launch_target.h"
#include "platform/platform.h"

namespace kite {

// The longest command line Windows starts, in UTF-16 units, terminating NUL
// included.
constexpr size_t kCommandLineLimit = 32767;

// Whether a program argument goes on the command line in double quotes:
// always with `alwaysQuote`, otherwise when it is empty or holds a blank.
bool argumentNeedsQuotes(const std::string& argument, bool alwaysQuote);

// One program argument as it goes on the command line, so that the Windows
// argument rules give it back exactly: in double quotes when it needs them,
// a double quote inside it escaped with a backslash, and the backslashes
// before a quote (its own, or the closing one) doubled.  An argument
// without a double quote is written as it always was.
std::string quoteArgument(const std::string& argument, bool alwaysQuote);

// The class-path entries as the application needs them: as written, except
// that with a working directory the jars "addjars" found in a relative
// folder are named from the start directory, since Java resolves a
// relative entry from the folder the application runs in.
std::vector<std::string> classPathEntries(const LaunchSettings& settings);

// The items of the command line that are the JVM's own, as command-line
// text: the JVM parameters, then for a main class "-classpath" and the
// entries joined by ";" (the option even without entries, as it always
// was), for a module "-classpath" only with entries and "-p" with the
// module path, for a jar "-p" with the module path.
std::vector<std::string> jvmItems(const LaunchSettings& settings);

// runtime, the JVM items, the main class ("-m module", "-jar file"), then
// the program arguments (each followed by a space):
//   runtime -Xmx1g -classpath a.jar;b.jar app.Main "arg"
//   runtime -Xmx1g [-classpath a.jar] -p mods -m app/app.Main "arg"
//   runtime -Xmx1g -jar app.jar "arg"
std::string buildCommandLine(const LaunchSettings& settings,
                             Platform& platform);
// The same with other JVM items (an argument file in their place).
std::string buildCommandLine(const LaunchSettings& settings, Platform& platform,
                             const std::vector<std::string>& jvm);

}  // namespace kite

#endif  // KITE_LAUNCHER_COMMAND_LINE_H_
