// UTF-8 and UTF-16 conversions.  All text inside the program is UTF-8; the
// Windows side converts to UTF-16 for the wide system calls, and text read
// from files in other encodings is turned into UTF-8 first.
//
// UTF-8 is decoded strictly: overlong forms, surrogates encoded in UTF-8,
// code points above U+10FFFF and truncated sequences are all invalid.  Each
// maximal subpart of an invalid sequence (the longest start of a valid
// sequence, or else a single byte) becomes one U+FFFD, so every decoder here
// gives the same result for the same bytes.
#ifndef KITE_BASE_UNICODE_H_
#define KITE_BASE_UNICODE_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace kite {

constexpr char32_t kReplacementCharacter = 0xFFFD;
constexpr char32_t kMaxCodePoint = 0x10FFFF;
// The UTF-8 byte-order mark, as the bytes a file starts with.
constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

// Decodes the character starting at text[*pos] (which must be inside `text`)
// and moves *pos past it.  Returns false, with *c set to U+FFFD, when the
// bytes there are not valid UTF-8; *pos then moves past the maximal subpart.
bool decodeUtf8(std::string_view text, size_t* pos, char32_t* c);

// Decodes the character starting at text[*pos] (which must be inside `text`)
// and moves *pos past it.  Returns false, with *c set to U+FFFD, for an
// unpaired surrogate; *pos then moves past that one code unit.
bool decodeUtf16(std::u16string_view text, size_t* pos, char32_t* c);

bool isValidUtf8(std::string_view text);

// Appends the UTF-8 form of a code point (U+FFFD for surrogates and values
// above U+10FFFF).
void appendUtf8(std::string& out, char32_t c);

// Appends the UTF-16 form of a code point (U+FFFD for surrogates and values
// above U+10FFFF).
void appendUtf16(std::u16string& out, char32_t c);

// UTF-16 (host-endian code units) to UTF-8; unpaired surrogates become
// U+FFFD; *replaced (optional) receives the number of replacements.
std::string utf16ToUtf8(std::u16string_view text, size_t* replaced = nullptr);

// UTF-8 to UTF-16; invalid sequences become U+FFFD.
std::u16string utf8ToUtf16(std::string_view text);

// The number of UTF-16 code units utf8ToUtf16(utf8) has (what Windows counts
// for its command-line length limit).
size_t utf16Length(std::string_view utf8);

// The length of the first piece of `text` when it is written in pieces of
// at most `limit` code units (limit >= 2): `limit`, or less at the end of
// the text, or one less when the piece would end between the two halves of
// a surrogate pair, which a console would show as two broken characters.
size_t utf16PieceLength(std::u16string_view text, size_t limit);

// windows-1252 bytes to UTF-8.  The five bytes the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the C1 control characters
// of the same value, as Windows' own conversion does.
std::string windows1252ToUtf8(std::string_view bytes);

// UTF-8 text in windows-1252: a character the code page lacks becomes "?".
// Returns true when every character was kept.
bool utf8ToWindows1252(std::string_view text, std::string* bytes);

}  // namespace kite

#endif  // KITE_BASE_UNICODE_H_
