// Decoding a configuration file's raw bytes to the UTF-8 text the reader
// works on.
//
// The encoding is chosen from the first bytes: a UTF-8 byte-order mark means
// UTF-8, a UTF-16 one UTF-16 (little or big endian), and so do, without a
// mark, an ASCII character and a NUL byte (little endian) or a NUL byte and
// an ASCII character (big endian) at the start.  Otherwise the file is UTF-8
// when its bytes are valid UTF-8 and hold at least one non-ASCII byte, and
// otherwise in the system's ANSI code page, so ASCII files read exactly as
// they always have, and an ANSI file with accented letters (which is
// practically never valid UTF-8) stays ANSI.
//
// Text mode then applies to the decoded characters, not to the raw bytes
// (in UTF-16 the bytes 0x0D, 0x0A and 0x1A occur inside other characters):
// CR LF is read as LF, and so is a run of CRs right before an LF, so no CR
// is left at the end of a line; a lone CR stays.  The character U+001A
// (Ctrl-Z) ends the text.  NUL characters are kept.
#ifndef KITE_CONFIG_CONFIG_TEXT_H_
#define KITE_CONFIG_CONFIG_TEXT_H_

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kite {

enum class TextEncoding { kAnsi, kUtf8, kUtf8Bom, kUtf16Le, kUtf16Be };

// A short name for messages: "ANSI code page", "UTF-8", "UTF-8 with
// byte-order mark", "UTF-16 LE", "UTF-16 BE".
const char* encodingName(TextEncoding encoding);

struct DecodedText {
  // UTF-8, always valid, text-mode rules applied.
  std::string text;
  TextEncoding encoding = TextEncoding::kAnsi;
  // 1-based line numbers (lines end at LF) of the decoded text holding a
  // U+FFFD that stands for an invalid byte sequence, each line once, in
  // ascending order.  For the ANSI code page every U+FFFD the converter
  // produced counts.
  std::vector<int> badLines;
  // A Ctrl-Z cut the text short, and something other than line ends (or
  // more Ctrl-Z characters, the old padding) followed it ...
  bool endedAtCtrlZ = false;
  // ... on this line (1-based); 0 when endedAtCtrlZ is false.
  int ctrlZLine = 0;
};

// Decodes a configuration file's bytes.  `ansiToUtf8` converts bytes in the
// system's ANSI code page to UTF-8; it is called (once, with all the bytes)
// only when the ANSI code page is chosen.  Should its result not be valid
// UTF-8, each invalid sequence in it counts as a U+FFFD.
DecodedText decodeConfigText(
    std::string_view bytes,
    const std::function<std::string(std::string_view)>& ansiToUtf8);

}  // namespace kite

#endif  // KITE_CONFIG_CONFIG_TEXT_H_
