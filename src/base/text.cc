#include "launcher/text.h"

#include <cstdarg>
#include <cstdio>

namespace kite {

namespace {

std::string formatArguments(const char* format, va_list args) {
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
  return result;
}

}  // namespace

std::string formatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string result = formatArguments(format, args);
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
                const char* format, ...) {
  if (!settings.debugMode) return;
  va_list args;
  va_start(args, format);
  platform.writeOut(formatArguments(format, args));
  va_end(args);
}

}  // namespace kite
