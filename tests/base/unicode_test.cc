#include "base/unicode.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "support/valid_utf8.h"

namespace kite {
namespace {

// The characters decodeUtf8 finds in `text`, in hexadecimal, with "?" for
// each invalid sequence.
std::string describe(std::string_view text) {
  std::string described;
  size_t pos = 0;
  while (pos < text.size()) {
    char32_t c = 0;
    const bool valid = decodeUtf8(text, &pos, &c);
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(c));
    if (!described.empty()) described += ' ';
    described += valid ? hex : "?";
    EXPECT_TRUE(valid || c == kReplacementCharacter);
  }
  return described;
}

struct DecodeCase {
  const char* bytes;
  const char* expected;
};

TEST(Unicode, DecodesUtf8Strictly) {
  const DecodeCase cases[] = {
      {"", ""},
      {"\x61\xC2\x80\xDF\xBF", "61 80 7FF"},
      {"\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80", "800 D7FF E000"},
      {"\xEF\xBF\xBD\xEF\xBF\xBF", "FFFD FFFF"},  // a real U+FFFD is valid
      {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", "10000 10FFFF"},
      // Overlong forms.
      {"\xC0\x80\xC1\xBF", "? ? ? ?"},
      {"\xE0\x9F\xBF", "? ? ?"},
      {"\xF0\x8F\xBF\xBF", "? ? ? ?"},
      // Surrogates, values above U+10FFFF, bytes that never start anything.
      {"\xED\xA0\x80", "? ? ?"},
      {"\xF4\x90\x80\x80", "? ? ? ?"},
      {"\xF5\x80\x80\x80", "? ? ? ?"},
      {"\xFF\x80", "? ?"},
      // A truncated sequence is one maximal subpart.
      {"\xC2", "?"},
      {"\xF0\x9F\x98", "?"},
      {"\xE2\x82\x41", "? 41"},
      {"\xF0\x90\x80\xC0", "? ?"},
      {"\xE2\xC2\x80", "? 80"},
      {"\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64",
       "61 ? ? ? 62 ? 63 ? ? 64"},
  };
  for (const DecodeCase& test : cases) {
    SCOPED_TRACE(test.expected);
    const std::string bytes = test.bytes;
    EXPECT_EQ(describe(bytes), test.expected);

    size_t invalid = 0;
    for (const char* p = test.expected; *p; ++p) invalid += *p == '?';
    EXPECT_EQ(isValidUtf8(bytes), invalid == 0);
    size_t replaced = 99;
    const std::string repaired = toValidUtf8(bytes, &replaced);
    EXPECT_EQ(replaced, invalid);
    EXPECT_TRUE(isValidUtf8(repaired));
    EXPECT_EQ(describe(repaired).find('?'), std::string::npos);
    // Every conversion sees the same characters.
    EXPECT_EQ(utf16ToUtf8(utf8ToUtf16(bytes)), repaired);
    EXPECT_EQ(utf16Length(bytes), utf8ToUtf16(bytes).size());
  }
}

TEST(Unicode, EveryCodePointRoundTrips) {
  size_t failures = 0;
  for (char32_t c = 0; c <= kMaxCodePoint; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    std::string utf8;
    appendUtf8(utf8, c);
    size_t pos8 = 0;
    char32_t back8 = 0;
    const bool valid8 = decodeUtf8(utf8, &pos8, &back8);
    std::u16string utf16;
    appendUtf16(utf16, c);
    size_t pos16 = 0;
    char32_t back16 = 0;
    const bool valid16 = decodeUtf16(utf16, &pos16, &back16);
    if (!valid8 || back8 != c || pos8 != utf8.size() || !valid16 ||
        back16 != c || pos16 != utf16.size() ||
        utf16Length(utf8) != utf16.size()) {
      ADD_FAILURE() << "U+" << std::hex << static_cast<unsigned>(c);
      if (++failures == 10) return;
    }
  }
}

TEST(Unicode, EncodesUnencodableAsReplacement) {
  for (char32_t c :
       {0xD800u, 0xDBFFu, 0xDC00u, 0xDFFFu, 0x110000u, 0xFFFFFFFFu}) {
    std::string utf8;
    appendUtf8(utf8, c);
    EXPECT_EQ(utf8, "\xEF\xBF\xBD") << std::hex << c;
    std::u16string utf16;
    appendUtf16(utf16, c);
    EXPECT_EQ(utf16, u"\xFFFD") << std::hex << c;
  }
}

TEST(Unicode, Utf16ToUtf8ReplacesUnpairedSurrogates) {
  struct Case {
    std::u16string units;
    const char* expected;
    size_t replaced;
  };
  const Case cases[] = {
      {u"", "", 0},
      {{0xD83D, 0xDE00}, "\xF0\x9F\x98\x80", 0},
      {{0xD800}, "\xEF\xBF\xBD", 1},
      {{0xDC00, 'x'}, "\xEF\xBF\xBD\x78", 1},
      {{'x', 0xD800, 'y'}, "x\xEF\xBF\xBDy", 1},
      {{0xDC00, 0xD800}, "\xEF\xBF\xBD\xEF\xBF\xBD", 2},
      {{0xD800, 0xD83D, 0xDE00}, "\xEF\xBF\xBD\xF0\x9F\x98\x80", 1},
  };
  for (const Case& test : cases) {
    size_t replaced = 99;
    EXPECT_EQ(utf16ToUtf8(test.units, &replaced), test.expected);
    EXPECT_EQ(replaced, test.replaced);
  }
}

TEST(Unicode, PiecesNeverSplitASurrogatePair) {
  // U+1F600 is the pair D83D DE00.
  const struct {
    std::u16string text;
    size_t limit;
    size_t length;
  } cases[] = {
      {u"", 4, 0},
      {u"abc", 4, 3},
      {u"abcdef", 4, 4},
      {u"abc\U0001F600", 4, 3},  // the pair would be cut after its first half
      {u"ab\U0001F600c", 4, 4},  // the pair ends the piece
      {u"\U0001F600\U0001F600", 3, 2},
      {u"\U0001F600", 2, 2},
      {u"abc\xD83Dz", 4, 4},       // a lone first half is cut as any unit
      {u"abc\xDE00\xDE00", 4, 4},  // so is a lone second half
  };
  for (const auto& c : cases) {
    EXPECT_EQ(utf16PieceLength(c.text, c.limit), c.length)
        << utf16ToUtf8(c.text) << " / " << c.limit;
  }
}

TEST(Unicode, Windows1252) {
  EXPECT_EQ(windows1252ToUtf8(std::string("a\0\x7F", 3)),
            std::string("a\0\x7F", 3));
  EXPECT_EQ(windows1252ToUtf8("\x80\x8A\x99\x9F"),
            "\xE2\x82\xAC\xC5\xA0\xE2\x84\xA2\xC5\xB8");
  EXPECT_EQ(windows1252ToUtf8("\x81\x8D\x8F\x90\x9D"),
            "\xC2\x81\xC2\x8D\xC2\x8F\xC2\x90\xC2\x9D");
  EXPECT_EQ(windows1252ToUtf8("\xA0\xE9\xFF"), "\xC2\xA0\xC3\xA9\xC3\xBF");
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  const std::string converted = windows1252ToUtf8(all);
  EXPECT_TRUE(isValidUtf8(converted));
  EXPECT_EQ(utf16Length(converted), 256u);
}

}  // namespace
}  // namespace kite
