#include "config/config_text.h"

#include <cstddef>

#include "base/unicode.h"

namespace kite {

namespace {

constexpr char32_t kCtrlZ = 0x1A;
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

bool hasNonAscii(std::string_view bytes) {
  for (char byte : bytes)
    if (static_cast<unsigned char>(byte) >= 0x80) return true;
  return false;
}

bool isAsciiCharacter(char byte) {
  return byte != '\0' && static_cast<unsigned char>(byte) < 0x80;
}

TextEncoding chooseEncoding(std::string_view bytes) {
  if (startsWith(bytes, kUtf8ByteOrderMark)) return TextEncoding::kUtf8Bom;
  if (startsWith(bytes, kUtf16LeMark)) return TextEncoding::kUtf16Le;
  if (startsWith(bytes, kUtf16BeMark)) return TextEncoding::kUtf16Be;
  // Without a mark, UTF-16 shows in its first character: a configuration
  // begins with an ASCII character (a key, "#"), which UTF-16 writes next
  // to a NUL byte, and no ANSI or UTF-8 text holds a NUL there.
  if (bytes.size() >= 2) {
    if (isAsciiCharacter(bytes[0]) && bytes[1] == '\0')
      return TextEncoding::kUtf16Le;
    if (bytes[0] == '\0' && isAsciiCharacter(bytes[1]))
      return TextEncoding::kUtf16Be;
  }
  if (hasNonAscii(bytes) && isValidUtf8(bytes)) return TextEncoding::kUtf8;
  return TextEncoding::kAnsi;
}

// Applies the text-mode rules to decoded characters as they come and
// writes the result into a DecodedText.
class TextModeWriter {
 public:
  explicit TextModeWriter(DecodedText& out) : out_(out) {}

  // Takes the next character; `invalid` says it is a U+FFFD standing for an
  // invalid byte sequence.  Returns false once the characters still to come
  // cannot change the result.
  bool put(char32_t c, bool invalid) {
    if (cut_) {
      if (c == '\r' || c == '\n' || c == kCtrlZ) return true;
      out_.endedAtCtrlZ = true;
      out_.ctrlZLine = line_;
      return false;
    }
    // CRs wait to see whether an LF follows them.
    if (c == '\r') {
      ++pendingCrs_;
      return true;
    }
    if (c == '\n') {
      pendingCrs_ = 0;
      out_.text += '\n';
      ++line_;
      return true;
    }
    flushCrs();
    if (c == kCtrlZ) {
      cut_ = true;
      return true;
    }
    if (invalid && (out_.badLines.empty() || out_.badLines.back() != line_))
      out_.badLines.push_back(line_);
    appendUtf8(out_.text, c);
    return true;
  }

  // Ends the text: CRs still waiting are lone ones and stay.
  void finish() { flushCrs(); }

 private:
  void flushCrs() {
    out_.text.append(pendingCrs_, '\r');
    pendingCrs_ = 0;
  }

  DecodedText& out_;
  int line_ = 1;
  size_t pendingCrs_ = 0;
  bool cut_ = false;
};

// Feeds UTF-8 text to `writer`.  With `anyReplacementIsBad` every U+FFFD
// counts as invalid, not only those standing for invalid sequences here.
void writeUtf8(std::string_view text, bool anyReplacementIsBad,
               TextModeWriter& writer) {
  size_t pos = 0;
  char32_t c;
  while (pos < text.size()) {
    const bool valid = decodeUtf8(text, &pos, &c);
    const bool invalid =
        !valid || (anyReplacementIsBad && c == kReplacementCharacter);
    if (!writer.put(c, invalid)) return;
  }
}

// Feeds UTF-16 bytes (without their mark) to `writer`; an odd byte at the
// end is an invalid sequence.
void writeUtf16(std::string_view bytes, bool bigEndian,
                TextModeWriter& writer) {
  std::u16string units(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < units.size(); ++i) {
    const unsigned first = static_cast<unsigned char>(bytes[2 * i]);
    const unsigned second = static_cast<unsigned char>(bytes[2 * i + 1]);
    units[i] = static_cast<char16_t>(bigEndian ? (first << 8) | second
                                               : first | (second << 8));
  }
  size_t pos = 0;
  char32_t c;
  while (pos < units.size()) {
    const bool valid = decodeUtf16(units, &pos, &c);
    if (!writer.put(c, !valid)) return;
  }
  if (bytes.size() % 2 != 0) writer.put(kReplacementCharacter, true);
}

}  // namespace

const char* encodingName(TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::kAnsi:
      return "ANSI code page";
    case TextEncoding::kUtf8:
      return "UTF-8";
    case TextEncoding::kUtf8Bom:
      return "UTF-8 with byte-order mark";
    case TextEncoding::kUtf16Le:
      return "UTF-16 LE";
    case TextEncoding::kUtf16Be:
      return "UTF-16 BE";
  }
  return "unknown encoding";
}

DecodedText decodeConfigText(
    std::string_view bytes,
    const std::function<std::string(std::string_view)>& ansiToUtf8) {
  DecodedText decoded;
  decoded.encoding = chooseEncoding(bytes);
  TextModeWriter writer(decoded);
  switch (decoded.encoding) {
    case TextEncoding::kAnsi: {
      const std::string converted = ansiToUtf8(bytes);
      decoded.text.reserve(converted.size());
      writeUtf8(converted, true, writer);
      break;
    }
    case TextEncoding::kUtf8:
      decoded.text.reserve(bytes.size());
      writeUtf8(bytes, false, writer);
      break;
    case TextEncoding::kUtf8Bom:
      decoded.text.reserve(bytes.size());
      writeUtf8(bytes.substr(kUtf8ByteOrderMark.size()), false, writer);
      break;
    case TextEncoding::kUtf16Le:
    case TextEncoding::kUtf16Be: {
      const bool marked = startsWith(bytes, kUtf16LeMark) ||
                          startsWith(bytes, kUtf16BeMark);
      writeUtf16(bytes.substr(marked ? kUtf16LeMark.size() : 0),
                 decoded.encoding == TextEncoding::kUtf16Be, writer);
      break;
    }
  }
  writer.finish();
  return decoded;
}

}  // namespace kite
