// Fuzz target: decoding a configuration file's bytes.  The input is the
// file.  The ANSI code page is windows-1252 as the Linux tools convert it;
// a second run uses a converter that turns the five bytes windows-1252
// leaves undefined into U+FFFD, so the bad lines it reports can be checked
// exactly.
//
// Each result is compared with a reference decode built from the whole-text
// conversions (the decoder works character by character instead), followed
// by the text-mode rules applied to the UTF-8 bytes: CR, LF and Ctrl-Z are
// ASCII, so in UTF-8 they never occur inside another character and the
// rules may work on bytes there.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "base/unicode.h"
#include "support/valid_utf8.h"
#include "config/config_text.h"

#define CHECK_OR_TRAP(condition)                                      \
  do {                                                                \
    if (!(condition)) {                                               \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, \
                   __LINE__, #condition);                             \
      __builtin_trap();                                               \
    }                                                                 \
  } while (0)

namespace kite {
namespace {

const std::string kFffd = "\xEF\xBF\xBD";

struct Reference {
  std::string text;
  bool moreAfterCtrlZ = false;
};

// The text-mode rules on UTF-8 bytes: the text ends at the first Ctrl-Z,
// and CRs directly before an LF go.
Reference textMode(const std::string& utf8) {
  Reference reference;
  const size_t cut = utf8.find('\x1a');
  if (cut != std::string::npos)
    reference.moreAfterCtrlZ =
        utf8.find_first_not_of("\r\n\x1a", cut) != std::string::npos;
  const std::string kept = utf8.substr(0, cut);
  for (char c : kept) {
    if (c == '\n')
      while (!reference.text.empty() && reference.text.back() == '\r')
        reference.text.pop_back();
    reference.text += c;
  }
  return reference;
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::string strictWindows1252(std::string_view bytes) {
  std::string out;
  for (char byte : bytes) {
    const unsigned char b = static_cast<unsigned char>(byte);
    if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D)
      out += kFffd;
    else
      out += windows1252ToUtf8(std::string_view(&byte, 1));
  }
  return out;
}

// The UTF-8 text the encoding makes of `bytes`, before the text-mode rules.
std::string referenceDecode(const std::string& bytes, TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::kAnsi:
      return windows1252ToUtf8(bytes);
    case TextEncoding::kUtf8:
      return bytes;
    case TextEncoding::kUtf8Bom:
      return toValidUtf8(std::string_view(bytes).substr(3));
    case TextEncoding::kUtf16Le:
    case TextEncoding::kUtf16Be: {
      const bool big = encoding == TextEncoding::kUtf16Be;
      // Without a mark the text starts at the first byte.
      const bool marked =
          startsWith(bytes, "\xFF\xFE") || startsWith(bytes, "\xFE\xFF");
      std::u16string units;
      for (size_t i = marked ? 2 : 0; i + 1 < bytes.size(); i += 2) {
        const unsigned char a = bytes[i], b = bytes[i + 1];
        units += static_cast<char16_t>(big ? (a << 8) | b : a | (b << 8));
      }
      return utf16ToUtf8(units) + (bytes.size() % 2 ? kFffd : "");
    }
  }
  return std::string();
}

// The lines of `text` (split at LF), 1-based: lines[0] is unused.
std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines(1);
  size_t start = 0;
  for (;;) {
    const size_t end = text.find('\n', start);
    lines.push_back(text.substr(start, end - start));
    if (end == std::string::npos) return lines;
    start = end + 1;
  }
}

void checkCommon(const DecodedText& got) {
  const std::string& text = got.text;
  CHECK_OR_TRAP(isValidUtf8(text));
  CHECK_OR_TRAP(text.find("\r\n") == std::string::npos);
  CHECK_OR_TRAP(text.find('\x1a') == std::string::npos);
  CHECK_OR_TRAP(utf16ToUtf8(utf8ToUtf16(text)) == text);
  CHECK_OR_TRAP(utf16Length(text) == utf8ToUtf16(text).size());

  const std::vector<std::string> lines = linesOf(text);
  const int lineCount = static_cast<int>(lines.size()) - 1;
  int previous = 0;
  for (int line : got.badLines) {
    CHECK_OR_TRAP(line > previous && line <= lineCount);
    CHECK_OR_TRAP(lines[line].find(kFffd) != std::string::npos);
    previous = line;
  }
  CHECK_OR_TRAP(got.endedAtCtrlZ == (got.ctrlZLine != 0));
  if (got.endedAtCtrlZ) CHECK_OR_TRAP(got.ctrlZLine == lineCount);
}

}  // namespace
}  // namespace kite

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kite;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const DecodedText got = decodeConfigText(bytes, windows1252ToUtf8);
  checkCommon(got);

  bool ascii = true;
  for (char c : bytes) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  TextEncoding expected = TextEncoding::kAnsi;
  if (startsWith(bytes, "\xEF\xBB\xBF"))
    expected = TextEncoding::kUtf8Bom;
  else if (startsWith(bytes, "\xFF\xFE"))
    expected = TextEncoding::kUtf16Le;
  else if (startsWith(bytes, "\xFE\xFF"))
    expected = TextEncoding::kUtf16Be;
  // Unmarked UTF-16: an ASCII character (not NUL) beside a NUL first.
  else if (bytes.size() >= 2 && bytes[0] != '\0' &&
           static_cast<unsigned char>(bytes[0]) < 0x80 && bytes[1] == '\0')
    expected = TextEncoding::kUtf16Le;
  else if (bytes.size() >= 2 && bytes[0] == '\0' && bytes[1] != '\0' &&
           static_cast<unsigned char>(bytes[1]) < 0x80)
    expected = TextEncoding::kUtf16Be;
  else if (!ascii && isValidUtf8(bytes))
    expected = TextEncoding::kUtf8;
  CHECK_OR_TRAP(got.encoding == expected);

  const Reference reference = textMode(referenceDecode(bytes, got.encoding));
  CHECK_OR_TRAP(got.text == reference.text);
  CHECK_OR_TRAP(got.endedAtCtrlZ == reference.moreAfterCtrlZ);
  if (ascii && expected == TextEncoding::kAnsi)
    CHECK_OR_TRAP(got.text == textMode(bytes).text);
  if (got.encoding == TextEncoding::kAnsi ||
      got.encoding == TextEncoding::kUtf8)
    CHECK_OR_TRAP(got.badLines.empty());
  if (isValidUtf8(bytes))
    CHECK_OR_TRAP(utf16ToUtf8(utf8ToUtf16(bytes)) == bytes);

  // With a converter that produces U+FFFD, a line is bad exactly when it
  // holds one.
  if (got.encoding == TextEncoding::kAnsi) {
    const DecodedText strict = decodeConfigText(bytes, strictWindows1252);
    checkCommon(strict);
    const std::vector<std::string> lines = linesOf(strict.text);
    std::vector<int> holding;
    for (size_t line = 1; line < lines.size(); ++line)
      if (lines[line].find(kFffd) != std::string::npos)
        holding.push_back(static_cast<int>(line));
    CHECK_OR_TRAP(strict.badLines == holding);
    CHECK_OR_TRAP(strict.endedAtCtrlZ == got.endedAtCtrlZ);
  }
  return 0;
}
