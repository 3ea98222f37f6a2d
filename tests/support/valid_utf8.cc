#include "support/valid_utf8.h"

#include "base/unicode.h"

namespace kite {

std::string toValidUtf8(std::string_view text, size_t* replaced) {
  std::string out;
  out.reserve(text.size());
  size_t count = 0;
  size_t pos = 0;
  size_t validFrom = 0;  // start of the valid run not yet copied
  char32_t c;
  while (pos < text.size()) {
    const size_t start = pos;
    if (static_cast<unsigned char>(text[pos]) < 0x80) {
      ++pos;
    } else if (!decodeUtf8(text, &pos, &c)) {
      out.append(text.substr(validFrom, start - validFrom));
      appendUtf8(out, kReplacementCharacter);
      validFrom = pos;
      ++count;
    }
  }
  out.append(text.substr(validFrom));
  if (replaced) *replaced = count;
  return out;
}

}  // namespace kite
