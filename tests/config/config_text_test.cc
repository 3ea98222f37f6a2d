#include "config/config_text.h"

#include <gtest/gtest.h>

#include "base/unicode.h"

namespace kite {
namespace {

using Lines = std::vector<int>;
using E = TextEncoding;

const std::string kFffd = "\xEF\xBF\xBD";
const std::string kLe = "\xFF\xFE";
const std::string kBe = "\xFE\xFF";
const std::string kBom = "\xEF\xBB\xBF";

std::string bytes(const char* text, size_t size) {
  return std::string(text, size);
}

struct Case {
  std::string bytes;
  E encoding;
  std::string text;
  Lines badLines;
  int ctrlZLine;  // 0: the text did not end at a Ctrl-Z with more after it
};

TEST(ConfigText, DecodeTable) {
  const Case cases[] = {
      {"", E::kAnsi, "", {}, 0},
      {"a=b\r\nc\r\n", E::kAnsi, "a=b\nc\n", {}, 0},
      {"a\rb\r", E::kAnsi, "a\rb\r", {}, 0},
      {"a\r\r\nb\r\r", E::kAnsi, "a\nb\r\r", {}, 0},
      {bytes("xy\0z", 4), E::kAnsi, bytes("xy\0z", 4), {}, 0},
      // No mark, but an ASCII character beside a NUL: UTF-16.
      {bytes("m\0a\0\r\0\n\0\xE9\0", 10), E::kUtf16Le, "ma\n\xC3\xA9", {}, 0},
      {bytes("\0m\0a\0\n", 6), E::kUtf16Be, "ma\n", {}, 0},
      {bytes("x\0y", 3), E::kUtf16Le, "x" + kFffd, {1}, 0},
      {bytes("\xE9\0", 2), E::kAnsi, bytes("\xC3\xA9\0", 3), {}, 0},
      {bytes("\0\0", 2), E::kAnsi, bytes("\0\0", 2), {}, 0},
      {"caf\xE9\n", E::kAnsi, "caf\xC3\xA9\n", {}, 0},
      {"\xFE", E::kAnsi, "\xC3\xBE", {}, 0},
      {"\xC3\xA9\r\n", E::kUtf8, "\xC3\xA9\n", {}, 0},
      {"a\n" + kFffd, E::kUtf8, "a\n" + kFffd, {}, 0},  // a real U+FFFD
      // Ctrl-Z: what follows is dropped; only more than line ends counts.
      {"a\r\x1a", E::kAnsi, "a\r", {}, 0},
      {"a\nb\x1a\r\n\x1a\x1a", E::kAnsi, "a\nb", {}, 0},
      {"a\nb\x1a\x63", E::kAnsi, "a\nb", {}, 2},
      {"\x1a\n\n\x63", E::kAnsi, "", {}, 1},
      // UTF-8 with a mark.
      {kBom, E::kUtf8Bom, "", {}, 0},
      {kBom + kBom + "a", E::kUtf8Bom, kBom + "a", {}, 0},
      {kBom + "a\r\nb", E::kUtf8Bom, "a\nb", {}, 0},
      {kBom + "a\n\xFF\n\xC3\xA9\xE2\x82\xFF\nok\n" + kFffd + "\xC0",
       E::kUtf8Bom,
       "a\n" + kFffd + "\n\xC3\xA9" + kFffd + kFffd + "\nok\n" + kFffd + kFffd,
       {2, 3, 5},
       0},
      {kBom + "a\x1a\xFF", E::kUtf8Bom, "a", {}, 1},
      // UTF-16: the bytes 0x0A, 0x0D and 0x1A inside other characters.
      {kLe, E::kUtf16Le, "", {}, 0},
      {kLe + bytes("a\0\r\0\n\0\xE9\0", 8), E::kUtf16Le, "a\n\xC3\xA9", {}, 0},
      {kLe + bytes("\x0A\x0D\x00\x1A", 4),
       E::kUtf16Le,
       "\xE0\xB4\x8A\xE1\xA8\x80",
       {},
       0},
      {kBe + bytes("\0a\0\r\0\n\xD8\x3D\xDE\x00", 10),
       E::kUtf16Be,
       "a\n\xF0\x9F\x98\x80",
       {},
       0},
      {kLe + bytes("a\0\n\0\x00\xD8\n\0\x00\xDC", 10),
       E::kUtf16Le,
       "a\n" + kFffd + "\n" + kFffd,
       {2, 3},
       0},
      {kLe + bytes("a\0b", 3), E::kUtf16Le, "a" + kFffd, {1}, 0},
      {kLe + bytes("a\0\n\0\x1a\0\r\0", 8), E::kUtf16Le, "a\n", {}, 0},
      {kLe + bytes("a\0\n\0\x1a\0\r\0x", 9), E::kUtf16Le, "a\n", {}, 2},
      {kBe + bytes("\0\x1a\xDC\0", 4), E::kUtf16Be, "", {}, 1},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(testing::PrintToString(test.bytes));
    int conversions = 0;
    const DecodedText got =
        decodeConfigText(test.bytes, [&](std::string_view ansi) {
          ++conversions;
          EXPECT_EQ(ansi, test.bytes);
          return windows1252ToUtf8(ansi);
        });
    EXPECT_EQ(got.encoding, test.encoding);
    EXPECT_EQ(conversions, test.encoding == E::kAnsi ? 1 : 0);
    EXPECT_EQ(got.text, test.text);
    EXPECT_EQ(got.badLines, test.badLines);
    EXPECT_EQ(got.endedAtCtrlZ, test.ctrlZLine != 0);
    EXPECT_EQ(got.ctrlZLine, test.ctrlZLine);
  }
}

TEST(ConfigText, AnsiConverterReplacementsAreBadLines) {
  // Whatever U+FFFD the converter produces counts, and so does anything it
  // returns that is not valid UTF-8.
  const DecodedText got = decodeConfigText("x", [](std::string_view) {
    return "a\n" + kFffd + "\r\nb\xFF\n\n" + kFffd + kFffd + "\x1a" + kFffd;
  });
  EXPECT_EQ(got.text, "a\n" + kFffd + "\nb" + kFffd + "\n\n" + kFffd + kFffd);
  EXPECT_EQ(got.badLines, (Lines{2, 3, 5}));
  EXPECT_EQ(got.ctrlZLine, 5);
}

TEST(ConfigText, LongInput) {
  const std::string crs(1 << 20, '\r');
  std::string many;
  for (int i = 0; i < 100000; ++i) many += "k=\xFF\r\n";
  const DecodedText runs = decodeConfigText(kBom + crs + "\n" + crs, nullptr);
  EXPECT_EQ(runs.text, "\n" + crs);
  const DecodedText lines = decodeConfigText(kBom + many, nullptr);
  ASSERT_EQ(lines.badLines.size(), 100000u);
  EXPECT_EQ(lines.badLines.back(), 100000);
  EXPECT_EQ(lines.text.size(), many.size() + 100000);
}

}  // namespace
}  // namespace kite
