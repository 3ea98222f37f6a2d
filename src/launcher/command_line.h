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

// One program argument as it goes on the command line: wrapped in double
// quotes when it needs them (or `alwaysQuote`), with the backslashes before
// the closing quote doubled so that the quote stays a quote.
std::string quoteArgument(const std::string& argument, bool alwaysQuote);

// runtime, JVM parameters, "-classpath" with the entries joined by ";", the
// main class, then the program arguments (each followed by a space).
std::string buildCommandLine(const LaunchSettings& settings,
                             Platform& platform);

}  // namespace kite

#endif  // KITE_LAUNCHER_COMMAND_LINE_H_
