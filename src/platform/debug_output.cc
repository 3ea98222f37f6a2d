#include "platform/debug_output.h"

#include <cstdarg>

namespace kite {
namespace {

bool logging(const Diagnostics& diagnostics, Platform& platform) {
  return diagnostics.logFile && platform.wantsTraces();
}

}  // namespace

bool tracing(const Diagnostics& diagnostics, Platform& platform) {
  return diagnostics.debugMode || logging(diagnostics, platform);
}

void debugBox(const Diagnostics& diagnostics, Platform& platform,
              const char* text, const std::string& caption, unsigned style) {
  if (diagnostics.debugMode)
    platform.showMessageBox(text, caption, style);
  else if (logging(diagnostics, platform))
    platform.trace(caption + ": " + (text ? text : "(null)") + "\n");
}

void debugTrace(const Diagnostics& diagnostics, Platform& platform,
                const char* format, ...) {
  if (!tracing(diagnostics, platform)) return;
  va_list args;
  va_start(args, format);
  const std::string line = formatTextV(format, args);
  va_end(args);
  if (diagnostics.debugMode)
    platform.writeOut(line);
  else
    platform.trace(line);
}

void logNote(const Diagnostics& diagnostics, Platform& platform,
             const char* format, ...) {
  if (!logging(diagnostics, platform)) return;
  va_list args;
  va_start(args, format);
  platform.trace(formatTextV(format, args));
  va_end(args);
}

}  // namespace kite
