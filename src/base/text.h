// printf-style formatting into a std::string, for trace lines and the texts
// of message boxes.  No fixed buffers: the result is as long as it needs to be.
#ifndef KITE_LAUNCHER_TEXT_H_
#define KITE_LAUNCHER_TEXT_H_

#include <string>

#include "launcher/launch_settings.h"
#include "platform/platform.h"

namespace kite {

#if defined(__GNUC__)
#define KITE_PRINTF_FORMAT(f, a) __attribute__((format(printf, f, a)))
#else
#define KITE_PRINTF_FORMAT(f, a)
#endif

std::string formatText(const char* format, ...) KITE_PRINTF_FORMAT(1, 2);

// The text of an optional value for "%s": "(null)" when it is unset, as the
// C runtime prints a null string.
const char* orNull(const OptionalText& text);

// The text of an optional value for a box or a process parameter: null when
// it is unset.
const char* orNullPointer(const OptionalText& text);

// In debug mode only: shows a diagnostic box (plain OK unless `style` says
// otherwise) / formats a trace line and writes it to standard output.  The
// line is formatted only when it is written, so tracing costs nothing
// outside debug mode.
void debugBox(const LaunchSettings& settings, Platform& platform,
              const char* text, const std::string& caption,
              unsigned style = kBoxPlain);
void debugTrace(const LaunchSettings& settings, Platform& platform,
                const char* format, ...) KITE_PRINTF_FORMAT(3, 4);

}  // namespace kite

#endif  // KITE_LAUNCHER_TEXT_H_
