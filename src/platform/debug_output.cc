#include "platform/debug_output.h"

#include <cstdarg>

namespace kite {
namespace {

bool logging(const LaunchSettings& settings, Platform& platform) {
  return settings.logFile && platform.wantsTraces();
}

}  // namespace

bool tracing(const LaunchSettings& settings, Platform& platform) {
  return settings.debugMode || logging(settings, platform);
}

void debugBox(const LaunchSettings& settings, Platform& platform,
              const char* text, const std::string& caption, unsigned style) {
  if (settings.debugMode)
    platform.showMessageBox(text, caption, style);
  else if (logging(settings, platform))
    platform.trace(caption + ": " + (text ? text : "(null)") + "\n");
}

void debugTrace(const LaunchSettings& settings, Platform& platform,
                const char* format, ...) {
  if (!tracing(settings, platform)) return;
  va_list args;
  va_start(args, format);
  const std::string line = formatTextV(format, args);
  va_end(args);
  if (settings.debugMode)
    platform.writeOut(line);
  else
    platform.trace(line);
}

void logNote(const LaunchSettings& settings, Platform& platform,
             const char* format, ...) {
  if (!logging(settings, platform)) return;
  va_list args;
  va_start(args, format);
  platform.trace(formatTextV(format, args));
  va_end(args);
}

}  // namespace kite
