// Debug-mode output through the platform: diagnostic boxes and trace lines,
// shown or written only when the settings ask for debug mode.
#ifndef KITE_PLATFORM_DEBUG_OUTPUT_H_
#define KITE_PLATFORM_DEBUG_OUTPUT_H_

#include <string>

#include "base/launch_settings.h"
#include "base/text.h"
#include "platform/platform.h"

namespace kite {

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

#endif  // KITE_PLATFORM_DEBUG_OUTPUT_H_
