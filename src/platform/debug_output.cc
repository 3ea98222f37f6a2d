#include "platform/debug_output.h"

#include <cstdarg>

namespace kite {

void debugBox(const LaunchSettings& settings, Platform& platform,
              const char* text, const std::string& caption, unsigned style) {
  if (settings.debugMode) platform.showMessageBox(text, caption, style);
}

void debugTrace(const LaunchSettings& settings, Platform& platform,
                const char* format, ...) {
  if (!settings.debugMode) return;
  va_list args;
  va_start(args, format);
  platform.writeOut(formatTextV(format, args));
  va_end(args);
}

}  // namespace kite
