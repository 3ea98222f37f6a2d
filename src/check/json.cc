#include "check/json.h"

#include "base/text.h"
#include "base/unicode.h"

namespace kite {

std::string jsonString(const std::string& text) {
  std::string out = "\"";
  char32_t decoded = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || c == 0x7F) {
      out += formatText("\\u%04x", c);
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (size_t next = i; decodeUtf8(text, &next, &decoded)) {
      out.append(text, i, next - i);
      i = next - 1;
    } else {
      // A byte of the ANSI code page: taken as Latin-1.
      out += formatText("\\u%04x", c);
    }
  }
  return out + "\"";
}

std::string jsonOrNull(const OptionalText& text) {
  return text ? jsonString(*text) : "null";
}

}  // namespace kite
