// What the two files of the Windows side of the seam and the Windows entry
// points share: the UTF-8 to UTF-16 conversions made at every call (UTF-8
// inside, UTF-16 for the wide Win32 functions), the program's arguments in
// UTF-8 and the lazily loaded user32.  Windows only.
#ifndef KITE_PLATFORM_WIN32_SUPPORT_H_
#define KITE_PLATFORM_WIN32_SUPPORT_H_

#include <windows.h>

#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

#include "base/unicode.h"

namespace kite {

static_assert(sizeof(wchar_t) == sizeof(char16_t),
              "Windows' wide characters are UTF-16 code units");

// UTF-16 text for the wide functions.  A std::u16string rather than a
// std::wstring: the C++ library's std::wstring comes whole into a static
// executable, while std::u16string brings only what is used.
using WideText = std::u16string;

inline WideText toWide(std::string_view utf8) { return utf8ToUtf16(utf8); }

inline const wchar_t* wideChars(const WideText& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}
inline wchar_t* wideChars(WideText& text) {
  return reinterpret_cast<wchar_t*>(&text[0]);
}

inline std::string fromWide(const wchar_t* text, size_t length) {
  return utf16ToUtf8(
      std::u16string_view(reinterpret_cast<const char16_t*>(text), length));
}

inline std::string fromWide(const WideText& text) { return utf16ToUtf8(text); }

// The C runtime's wide arguments (split by its standard rules, every
// character kept whatever the code page) from `first` on, in UTF-8; a null
// one is empty.
inline std::vector<std::string> utf8Arguments(int argc, wchar_t** argv,
                                              int first) {
  std::vector<std::string> arguments;
  for (int i = first; i < argc; ++i)
    arguments.push_back(argv[i] ? fromWide(argv[i], std::wcslen(argv[i]))
                                : std::string());
  return arguments;
}

// GetProcAddress's result as the function type it really has; the cast goes
// through void (*)(), which converts to and from any function type.
template <typename Function>
Function asFunction(FARPROC proc) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

// The system's text for the error `code`, without its line end; "Error N"
// when it has none.
std::string systemMessage(unsigned long code);

// How createChildProcess starts a program: a current directory and an
// environment of its own (null: inherited), the STARTUPINFO title (null:
// none) and whether it is an AppUserModelID, and creation flags.
struct ChildOptions {
  const char* directory = nullptr;
  const char* title = nullptr;
  bool titleIsAppId = false;
  const std::vector<std::string>* environment = nullptr;
  DWORD flags = 0;
};

// CreateProcessW with handle inheritance on; false with the system's message
// in *error when it fails.  The caller owns both handles in *process.
bool createChildProcess(const std::string& commandLine,
                        const ChildOptions& options,
                        PROCESS_INFORMATION* process, std::string* error);

// A function of user32, which is loaded on first use; null if it cannot be
// loaded.
FARPROC user32Function(const char* name);

}  // namespace kite

#endif  // KITE_PLATFORM_WIN32_SUPPORT_H_
