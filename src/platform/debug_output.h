// Debug-mode output through the platform: diagnostic boxes and trace lines,
// shown or written only in debug mode, and handed to the launch log
// (launcher/launch_log.h) when the configuration names one.
#ifndef KITE_PLATFORM_DEBUG_OUTPUT_H_
#define KITE_PLATFORM_DEBUG_OUTPUT_H_

#include <string>

#include "base/diagnostics.h"
#include "base/text.h"
#include "platform/platform.h"

namespace kite {

// Whether trace lines are wanted at all: in debug mode, or for a launch log
// (the configuration names one, from its "logFile" line on, and the
// platform has one open or about to open).  Text that only a trace shows
// is worth formatting only then.
bool tracing(const Diagnostics& diagnostics, Platform& platform);

// In debug mode: shows a diagnostic box (plain OK unless `style` says
// otherwise) / formats a trace line and writes it to standard output.
// Otherwise, for a launch log only, the box's caption and text / the line
// go to the log as a trace line.  The line is formatted only when it is
// wanted (tracing()), so tracing costs nothing in a launch without either.
void debugBox(const Diagnostics& diagnostics, Platform& platform,
              const char* text, const std::string& caption,
              unsigned style = kBoxPlain);
void debugTrace(const Diagnostics& diagnostics, Platform& platform,
                const char* format, ...) KITE_PRINTF_FORMAT(3, 4);

// A line for the launch log alone, never shown or written in debug mode
// (how long the application ran, that it is started again).
void logNote(const Diagnostics& diagnostics, Platform& platform,
             const char* format, ...) KITE_PRINTF_FORMAT(3, 4);

}  // namespace kite

#endif  // KITE_PLATFORM_DEBUG_OUTPUT_H_
