#include "base/text.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

namespace kite {
namespace {

char lowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The flags, width and precision of one printf conversion.
struct Conversion {
  bool left = false;       // "-"
  bool zeros = false;      // "0"
  bool plus = false;       // "+"
  bool space = false;      // " "
  bool alternate = false;  // "#"
  size_t width = 0;
  long precision = -1;  // none given
};

// `prefix` (a sign, "0x") and `body` padded to the width as printf pads:
// blanks before, or after with "-", or zeros between the two with "0".
void appendPadded(std::string& out, const Conversion& c,
                  std::string_view prefix, std::string_view body) {
  const size_t length = prefix.size() + body.size();
  const size_t fill = c.width > length ? c.width - length : 0;
  if (!c.left && !c.zeros) out.append(fill, ' ');
  out += prefix;
  if (!c.left && c.zeros) out.append(fill, '0');
  out += body;
  if (c.left) out.append(fill, ' ');
}

void appendInteger(std::string& out, Conversion c, unsigned long long value,
                   bool negative, char kind) {
  const unsigned base = kind == 'o' ? 8 : kind == 'x' || kind == 'X' ? 16 : 10;
  const char* digits = kind == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
  char buffer[24];  // 22 octal digits hold 64 bits
  size_t count = 0;
  for (; value; value /= base)
    buffer[sizeof buffer - ++count] = digits[value % base];
  std::string body;
  const size_t least = c.precision < 0 ? 1 : static_cast<size_t>(c.precision);
  if (count < least) body.assign(least - count, '0');
  body.append(buffer + sizeof buffer - count, count);
  std::string_view prefix = negative ? "-" : c.plus ? "+" : c.space ? " " : "";
  if (c.alternate && base == 16 && count) prefix = kind == 'X' ? "0X" : "0x";
  if (c.alternate && base == 8 && (body.empty() || body[0] != '0'))
    body.insert(body.begin(), '0');
  // A precision, not the "0" flag, says how many digits there are.
  if (c.precision >= 0) c.zeros = false;
  appendPadded(out, c, prefix, body);
}

}  // namespace

// printf's own rules for the conversions of integers (d i u o x X with the
// length modifiers hh h l ll j z t), characters, strings and "%%"; there
// are no floating-point ones.  Written here rather than taken from the C
// runtime: the Windows builds would otherwise bring MinGW's whole printf,
// floating point included, for these few conversions.
std::string formatTextV(const char* format, va_list args) {
  std::string out;
  for (const char* p = format; *p; ++p) {
    if (*p != '%') {
      out += *p;
      continue;
    }
    const char* const start = p++;
    Conversion c;
    for (;; ++p) {
      if (*p == '-')
        c.left = true;
      else if (*p == '0')
        c.zeros = true;
      else if (*p == '+')
        c.plus = true;
      else if (*p == ' ')
        c.space = true;
      else if (*p == '#')
        c.alternate = true;
      else
        break;
    }
    if (*p == '*') {
      const int width = va_arg(args, int);
      c.left = c.left || width < 0;
      c.width = width < 0 ? 0u - static_cast<unsigned>(width)
                          : static_cast<unsigned>(width);
      ++p;
    }
    for (; *p >= '0' && *p <= '9'; ++p)
      c.width = c.width * 10 + static_cast<size_t>(*p - '0');
    if (c.left) c.zeros = false;
    if (*p == '.') {
      ++p;
      c.precision = 0;
      if (*p == '*') {
        const int precision = va_arg(args, int);
        c.precision = precision < 0 ? -1 : precision;
        ++p;
      }
      for (; *p >= '0' && *p <= '9'; ++p)
        c.precision = c.precision * 10 + (*p - '0');
    }
    // The length modifier: "hh", "h", "l", "ll", "j", "z" or "t".
    char size = 0;
    if (*p == 'h' || *p == 'l') {
      size = *p++;
      if (*p == size) {  // "hh" and "ll"
        size = size == 'h' ? 'H' : 'L';
        ++p;
      }
    } else if (*p == 'j' || *p == 'z' || *p == 't') {
      size = *p++;
    }
    const char kind = *p;
    if (kind == 'd' || kind == 'i') {
      long long value;
      switch (size) {
        case 'H':
          value = static_cast<signed char>(va_arg(args, int));
          break;
        case 'h':
          value = static_cast<short>(va_arg(args, int));
          break;
        case 'l':
          value = va_arg(args, long);
          break;
        case 'L':
          value = va_arg(args, long long);
          break;
        case 'j':
          value = va_arg(args, std::intmax_t);
          break;
        case 'z':
        case 't':
          value = va_arg(args, std::ptrdiff_t);
          break;
        default:
          value = va_arg(args, int);
      }
      const unsigned long long magnitude =
          value < 0 ? 0ull - static_cast<unsigned long long>(value)
                    : static_cast<unsigned long long>(value);
      appendInteger(out, c, magnitude, value < 0, kind);
    } else if (kind == 'u' || kind == 'o' || kind == 'x' || kind == 'X') {
      unsigned long long value;
      switch (size) {
        case 'H':
          value = static_cast<unsigned char>(va_arg(args, unsigned));
          break;
        case 'h':
          value = static_cast<unsigned short>(va_arg(args, unsigned));
          break;
        case 'l':
          value = va_arg(args, unsigned long);
          break;
        case 'L':
          value = va_arg(args, unsigned long long);
          break;
        case 'j':
          value = va_arg(args, std::uintmax_t);
          break;
        case 'z':
          value = va_arg(args, size_t);
          break;
        case 't':
          value = static_cast<std::make_unsigned_t<std::ptrdiff_t>>(
              va_arg(args, std::ptrdiff_t));
          break;
        default:
          value = va_arg(args, unsigned);
      }
      c.plus = c.space = false;
      appendInteger(out, c, value, false, kind);
    } else if (kind == 'c') {
      const char one = static_cast<char>(va_arg(args, int));
      c.zeros = false;
      appendPadded(out, c, "", std::string_view(&one, 1));
    } else if (kind == 's') {
      const char* text = va_arg(args, const char*);
      if (!text) text = "(null)";
      // With a precision, at most that many bytes, which need no NUL.
      size_t length = 0;
      while ((c.precision < 0 || length < static_cast<size_t>(c.precision)) &&
             text[length])
        ++length;
      c.zeros = false;
      appendPadded(out, c, "", std::string_view(text, length));
    } else if (kind == '%') {
      out += '%';
    } else {
      // A conversion not known here: written as it stands, its argument
      // left alone.
      if (!kind) --p;
      out.append(start, static_cast<size_t>(p - start + 1));
    }
  }
  return out;
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
