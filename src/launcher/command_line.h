// Assembly of the Java runtime's command line.
#ifndef KITE_LAUNCHER_COMMAND_LINE_H_
#define KITE_LAUNCHER_COMMAND_LINE_H_

#include <string>

#include "base/launch_settings.h"
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

// runtime, JVM parameters, "-classpath" with the entries joined by ";", the
// main class, then the program arguments (each followed by a space).
std::string buildCommandLine(const LaunchSettings& settings,
                             Platform& platform);

}  // namespace kite

#endif  // KITE_LAUNCHER_COMMAND_LINE_H_
