#include "base/text.h"

#include <cstdio>

namespace kite {
namespace {

char lowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string formatTextV(const char* format, va_list args) {
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

std::string formatText(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string result = formatTextV(format, args);
  va_end(args);
  return result;
}

std::string exitCodeText(int code) {
  if (code >= 0) return std::to_string(code);
  return formatText("%d (0x%08lX)", code,
                    static_cast<unsigned long>(static_cast<unsigned int>(code)));
}

const char* orNull(const OptionalText& text) {
  return text ? text->c_str() : "(null)";
}

const char* orNullPointer(const OptionalText& text) {
  return text ? text->c_str() : nullptr;
}

std::string asciiLower(std::string text) {
  for (char& c : text) c = lowerAscii(c);
  return text;
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

bool wildcardMatch(std::string_view pattern, std::string_view name) {
  // Greedy matching with one back-tracking point: after a "*" fails to
  // line up, retry one byte further from the last "*" only.  Every earlier
  // "*" can absorb whatever a later one would, so no other choice matters.
  size_t p = 0, n = 0;
  size_t star = std::string_view::npos, resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' ||
                lowerAscii(pattern[p]) == lowerAscii(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

bool isAbsolutePath(std::string_view path) {
  return (!path.empty() && (path[0] == '/' || path[0] == '\\')) ||
         (path.size() > 1 && path[1] == ':');
}

bool isPathSeparator(char c) { return c == '\\' || c == '/'; }

std::string inFolder(const std::string& folder, const std::string& name) {
  const bool separated = !folder.empty() && isPathSeparator(folder.back());
  return folder + (separated ? "" : "\\") + name;
}

std::string fileNameOf(const std::string& path) {
  const size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string folderOf(const std::string& path) {
  const size_t cut = path.find_last_of("\\/");
  if (cut == std::string::npos) return std::string();
  if (cut == 2 && path[1] == ':') return path.substr(0, 3);
  return path.substr(0, cut == 0 ? 1 : cut);
}

std::string exeStem(const std::string& path, bool anyCase) {
  std::string name = fileNameOf(path);
  if (name.size() >= 4) {
    const std::string end = name.substr(name.size() - 4);
    if ((anyCase ? asciiLower(end) : end) == ".exe") name.resize(name.size() - 4);
  }
  return name;
}

}  // namespace kite
