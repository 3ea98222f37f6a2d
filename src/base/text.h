// Small text helpers every layer uses: printf-style formatting into a
// std::string (no fixed buffers: the result is as long as it needs to be),
// the "(null)" convention for unset values, ASCII letter case, prefixes,
// Windows wildcard matching and the Windows absolute-path test.
#ifndef KITE_BASE_TEXT_H_
#define KITE_BASE_TEXT_H_

#include <cstdarg>
#include <string>
#include <string_view>

#include "base/launch_settings.h"

namespace kite {

#if defined(__GNUC__)
#define KITE_PRINTF_FORMAT(f, a) __attribute__((format(printf, f, a)))
#else
#define KITE_PRINTF_FORMAT(f, a)
#endif

// printf's conversions of integers, characters and strings, without
// floating point (text.cc has the list); an unknown conversion is copied
// as written.
std::string formatText(const char* format, ...) KITE_PRINTF_FORMAT(1, 2);
std::string formatTextV(const char* format, va_list args);

// The text of an optional value for "%s": "(null)" when it is unset, as the
// C runtime prints a null string.
const char* orNull(const OptionalText& text);

// The text of an optional value for a box or a process parameter: null when
// it is unset.
const char* orNullPointer(const OptionalText& text);

// A process exit code as every message writes it: signed decimal, and for
// a code above 0x7FFFFFFF (an NTSTATUS such as an access violation) its
// hexadecimal form too: "1", "-1073741819 (0xC0000005)".
std::string exitCodeText(int code);

// `text` with the ASCII letters A-Z lower-cased; other bytes unchanged, so
// UTF-8 text stays valid.
std::string asciiLower(std::string text);

bool startsWith(std::string_view text, std::string_view prefix);

// Windows wildcard matching without regard to ASCII letter case: "*" any
// run of bytes, "?" any one byte.  Linear in the name's length times the
// pattern's, however many stars the pattern holds.
bool wildcardMatch(std::string_view pattern, std::string_view name);

// True for a path Windows would not resolve against the current directory
// of a drive: "C:..." (a drive), "\..." or "/..." (a root).
bool isAbsolutePath(std::string_view path);

// "\" and "/", which Windows both reads as a path separator.
bool isPathSeparator(char c);

// `name` in the folder `folder`, joined by a backslash unless the folder
// ends with a separator already (a drive's root, "C:\").
std::string inFolder(const std::string& folder, const std::string& name);

// The parts of a path around its last "\" or "/": the file name after it
// (the whole path when there is none) ...
std::string fileNameOf(const std::string& path);
// ... and the folder before it: empty when there is none; a root keeps its
// separator ("C:\", "\").
std::string folderOf(const std::string& path);
// The file name of `path` without a final ".exe": only in lower case when
// `anyCase` is false (as the launcher names its configuration file), in any
// ASCII letter case when it is true.
std::string exeStem(const std::string& path, bool anyCase);

}  // namespace kite

#endif  // KITE_BASE_TEXT_H_
