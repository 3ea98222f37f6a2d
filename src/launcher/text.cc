#include "launcher/text.h"

#include <cstdarg>
#include <cstdio>

namespace kite {

std::string formatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string result;
  if (length > 0) {
    result.resize(static_cast<size_t>(length) + 1);
    std::vsnprintf(&result[0], result.size(), format, args);
    result.resize(static_cast<size_t>(length));
  }
  va_end(args);
  return result;
}

const char* orNull(const OptionalText& text) {
  return text ? text->c_str() : "(null)";
}

const char* orNullPointer(const OptionalText& text) {
  return text ? text->c_str() : nullptr;
}

void debugBox(const LaunchSettings& settings, Platform& platform,
              const char* text, const std::string& caption, unsigned style) {
  if (settings.debugMode) platform.showMessageBox(text, caption, style);
}

void debugTrace(const LaunchSettings& settings, Platform& platform,
                const std::string& line) {
  if (settings.debugMode) platform.writeOut(line);
}

}  // namespace kite
