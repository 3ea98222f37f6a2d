#include "base/unicode.h"

namespace kite {

namespace {

constexpr char32_t kFirstSurrogate = 0xD800;
constexpr char32_t kFirstLowSurrogate = 0xDC00;
constexpr char32_t kLastSurrogate = 0xDFFF;

bool isSurrogate(char32_t c) {
  return c >= kFirstSurrogate && c <= kLastSurrogate;
}

// Characters for windows-1252 bytes 0x80 to 0x9F; the bytes the code page
// leaves undefined stand for the C1 control of the same value.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

bool decodeUtf8(std::string_view text, size_t* pos, char32_t* c) {
  const size_t start = *pos;
  const unsigned char lead = static_cast<unsigned char>(text[start]);
  if (lead < 0x80) {
    *c = lead;
    *pos = start + 1;
    return true;
  }
  // The lead byte fixes the length and the range the first continuation
  // byte may take; that range is what rules out overlong forms, encoded
  // surrogates and values above U+10FFFF.
  size_t length = 0;
  char32_t value = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    *c = kReplacementCharacter;
    *pos = start + 1;
    return false;
  }
  size_t next = start + 1;
  for (size_t i = 1; i < length; ++i, ++next) {
    const unsigned char byte =
        next < text.size() ? static_cast<unsigned char>(text[next]) : 0;
    if (next >= text.size() || byte < low || byte > high) {
      *c = kReplacementCharacter;
      *pos = next;
      return false;
    }
    value = (value << 6) | (byte & 0x3F);
    low = 0x80;
    high = 0xBF;
  }
  *c = value;
  *pos = next;
  return true;
}

bool decodeUtf16(std::u16string_view text, size_t* pos, char32_t* c) {
  const char32_t unit = text[*pos];
  ++*pos;
  if (!isSurrogate(unit)) {
    *c = unit;
    return true;
  }
  if (unit < kFirstLowSurrogate && *pos < text.size()) {
    const char32_t next = text[*pos];
    if (next >= kFirstLowSurrogate && next <= kLastSurrogate) {
      ++*pos;
      *c = 0x10000 + ((unit - kFirstSurrogate) << 10) +
           (next - kFirstLowSurrogate);
      return true;
    }
  }
  *c = kReplacementCharacter;
  return false;
}

bool isValidUtf8(std::string_view text) {
  size_t pos = 0;
  char32_t c;
  while (pos < text.size()) {
    if (static_cast<unsigned char>(text[pos]) < 0x80) {
      ++pos;
    } else if (!decodeUtf8(text, &pos, &c)) {
      return false;
    }
  }
  return true;
}

void appendUtf8(std::string& out, char32_t c) {
  if (isSurrogate(c) || c > kMaxCodePoint) c = kReplacementCharacter;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void appendUtf16(std::u16string& out, char32_t c) {
  if (isSurrogate(c) || c > kMaxCodePoint) c = kReplacementCharacter;
  if (c < 0x10000) {
    out += static_cast<char16_t>(c);
  } else {
    c -= 0x10000;
    out += static_cast<char16_t>(kFirstSurrogate + (c >> 10));
    out += static_cast<char16_t>(kFirstLowSurrogate + (c & 0x3FF));
  }
}

std::string utf16ToUtf8(std::u16string_view text, size_t* replaced) {
  std::string out;
  out.reserve(text.size());
  size_t count = 0;
  size_t pos = 0;
  char32_t c;
  while (pos < text.size()) {
    if (!decodeUtf16(text, &pos, &c)) ++count;
    appendUtf8(out, c);
  }
  if (replaced) *replaced = count;
  return out;
}

std::u16string utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  size_t pos = 0;
  char32_t c;
  while (pos < text.size()) {
    decodeUtf8(text, &pos, &c);
    appendUtf16(out, c);
  }
  return out;
}

size_t utf16Length(std::string_view utf8) {
  size_t length = 0;
  size_t pos = 0;
  char32_t c;
  while (pos < utf8.size()) {
    decodeUtf8(utf8, &pos, &c);
    length += c >= 0x10000 ? 2 : 1;
  }
  return length;
}

size_t utf16PieceLength(std::u16string_view text, size_t limit) {
  if (text.size() <= limit) return text.size();
  const char16_t last = text[limit - 1];
  const char16_t next = text[limit];
  const bool firstHalfLast =
      last >= kFirstSurrogate && last < kFirstLowSurrogate;
  const bool secondHalfNext =
      next >= kFirstLowSurrogate && next <= kLastSurrogate;
  return firstHalfLast && secondHalfNext ? limit - 1 : limit;
}

bool utf8ToWindows1252(std::string_view text, std::string* bytes) {
  bytes->clear();
  bool exact = true;
  for (size_t pos = 0; pos < text.size();) {
    char32_t c = 0;
    const bool valid = decodeUtf8(text, &pos, &c);
    int byte = valid && (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) ? int(c) : -1;
    for (int i = 0; valid && byte < 0 && i < 0x20; ++i)
      if (kWindows1252High[i] == c) byte = 0x80 + i;
    exact = exact && byte >= 0;
    *bytes += byte >= 0 ? static_cast<char>(byte) : '?';
  }
  return exact;
}

std::string windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char byte : bytes) {
    const unsigned char b = static_cast<unsigned char>(byte);
    if (b < 0x80) {
      out += byte;
    } else if (b < 0xA0) {
      appendUtf8(out, kWindows1252High[b - 0x80]);
    } else {
      appendUtf8(out, b);
    }
  }
  return out;
}

}  // namespace kite
