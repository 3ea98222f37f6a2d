// POSIX side of the seam for the ANSI code page: conversions through iconv,
// with Windows-1252, the code page of most machines, done by hand.
#include <iconv.h>

#include <cerrno>
#include <cstring>

#include "base/unicode.h"
#include "platform/platform_posix.h"

namespace kite {

namespace {

// Converts `text` one character at a time from the charset `from` to `to`
// (iconv's names); a character that does not convert becomes
// `replacement`.  Returns false when any did not.  A character is one byte
// of a single-byte code page, one or two of a double-byte one, and one
// UTF-8 sequence.
bool convert(const char* from, const char* to, std::string_view text,
             const std::string& replacement, std::string* out) {
  out->clear();
  const iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    *out = std::string(text);
    return false;
  }
  const bool fromUtf8 = std::strcmp(from, "UTF-8") == 0;
  bool exact = true;
  for (size_t at = 0; at < text.size();) {
    size_t length = 1;
    if (fromUtf8) {
      size_t next = at;
      char32_t c;
      decodeUtf8(text, &next, &c);
      length = next - at;
    }
    // Try one byte, then two (a lead byte of a double-byte code page).
    for (;; ++length) {
      char piece[8];
      char* input = const_cast<char*>(text.data() + at);
      size_t inputLeft = length;
      char* output = piece;
      size_t outputLeft = sizeof piece;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      if (iconv(cd, &input, &inputLeft, &output, &outputLeft) !=
              static_cast<size_t>(-1) &&
          inputLeft == 0) {
        out->append(piece, static_cast<size_t>(output - piece));
        break;
      }
      if (errno != EINVAL || fromUtf8 || length == 2 ||
          at + length >= text.size()) {
        *out += replacement;
        exact = false;
        break;
      }
    }
    at += length;
  }
  iconv_close(cd);
  return exact;
}

std::string codePageName(unsigned codePage) {
  return "CP" + std::to_string(codePage);
}

}  // namespace

std::string PosixPlatform::ansiToUtf8(std::string_view bytes) {
  if (codePage_ == 1252) return windows1252ToUtf8(bytes);
  std::string text;
  convert(codePageName(codePage_).c_str(), "UTF-8", bytes, "\xEF\xBF\xBD",
          &text);
  return text;
}

bool PosixPlatform::utf8ToAnsi(std::string_view text, std::string* ansi) {
  if (codePage_ == 1252) return utf8ToWindows1252(text, ansi);
  return convert("UTF-8", codePageName(codePage_).c_str(), text, "?", ansi);
}

}  // namespace kite
