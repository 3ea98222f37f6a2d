// Win32 side of the platform seam, continued: the environment, files and
// directories, text in the ANSI code page, the clock and the output
// streams.  Paths and names go to the wide (-W) functions as UTF-16.
#include <windows.h>

#include <direct.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "platform/platform_win32.h"
#include "platform/stdio_file.h"
#include "platform/win32_support.h"

namespace kite {
namespace {

// Text for a console is written as characters, in pieces small enough for
// every Windows version's console; anything else gets the UTF-8 bytes.
void writeStream(FILE* stream, DWORD handleId, const std::string& text) {
  const HANDLE handle = GetStdHandle(handleId);
  DWORD mode = 0;
  if (handle && handle != INVALID_HANDLE_VALUE &&
      GetConsoleMode(handle, &mode)) {
    std::fflush(stream);
    const WideText wide = toWide(text);
    constexpr size_t kPiece = 8192;
    for (size_t at = 0; at < wide.size(); at += kPiece) {
      DWORD written = 0;
      const size_t length = std::min(kPiece, wide.size() - at);
      WriteConsoleW(handle, wideChars(wide) + at, static_cast<DWORD>(length),
                    &written, nullptr);
    }
    return;
  }
  // Flushed at once so the lines keep their order with the other stream and
  // survive however the process ends.
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

// The errno value for a Win32 error of a file operation.
int errnoFor(DWORD error) {
  switch (error) {
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return EEXIST;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return EACCES;
    default:
      return EIO;
  }
}

// One character of the ANSI code page at bytes[at]: its length in bytes
// (two for a lead byte of a double-byte code page with a byte after it).
size_t ansiCharacterLength(std::string_view bytes, size_t at) {
  return at + 1 < bytes.size() &&
                 IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(bytes[at]))
             ? 2
             : 1;
}

// Converts `bytes` with MultiByteToWideChar, failing on any byte that stands
// for no character; empty on failure.
bool convertAnsi(std::string_view bytes, WideText* wide) {
  if (bytes.empty()) return true;
  const int length =
      MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(),
                          static_cast<int>(bytes.size()), nullptr, 0);
  if (length <= 0) return false;
  wide->resize(static_cast<size_t>(length));
  return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes.data(),
                             static_cast<int>(bytes.size()), wideChars(*wide),
                             length) == length;
}

}  // namespace

bool Win32Platform::getEnvironment(const std::string& name,
                                   std::string* value) {
  const WideText wideName = toWide(name);
  // Ask for the size first; retry if the value grew in between.
  for (int attempt = 0; attempt < 4; ++attempt) {
    SetLastError(ERROR_SUCCESS);
    const DWORD size = GetEnvironmentVariableW(wideChars(wideName), nullptr, 0);
    if (size == 0) {
      if (GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
      value->clear();  // set, but empty
      return true;
    }
    WideText buffer(size, u'\0');
    const DWORD got =
        GetEnvironmentVariableW(wideChars(wideName), wideChars(buffer), size);
    if (got < size) {
      buffer.resize(got);
      *value = fromWide(buffer);
      return true;
    }
  }
  return false;
}

bool Win32Platform::findFiles(const std::string& pattern,
                              std::vector<FoundFile>* matches) {
  matches->clear();
  WIN32_FIND_DATAW data;
  const HANDLE search = FindFirstFileW(wideChars(toWide(pattern)), &data);
  if (search == INVALID_HANDLE_VALUE) return false;
  do {
    matches->push_back(
        {fromWide(data.cFileName, std::wcslen(data.cFileName)),
         (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
  } while (FindNextFileW(search, &data));
  FindClose(search);
  return true;
}

bool Win32Platform::changeDirectory(const std::string& path) {
  return _wchdir(wideChars(toWide(path))) == 0;
}

std::string Win32Platform::currentDirectory() {
  // With a null buffer the runtime allocates one as long as the path needs.
  wchar_t* path = _wgetcwd(nullptr, 0);
  if (!path) return std::string();
  std::string result = fromWide(path, std::wcslen(path));
  std::free(path);
  return result;
}

int Win32Platform::readFile(const std::string& path, std::string* bytes) {
  FILE* file = _wfopen(wideChars(toWide(path)), L"rb");
  if (!file) return errno ? errno : ENOENT;
  return readWholeFile(file, bytes, kMaxFileBytes);
}

int Win32Platform::createNewFile(const std::string& path,
                                 const std::string& bytes) {
  const WideText widePath = toWide(path);
  // CREATE_NEW fails on every existing name; with FILE_FLAG_OPEN_REPARSE_POINT
  // a symbolic link counts as one, even when its target does not exist.
  const HANDLE handle = CreateFileW(
      wideChars(widePath), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return errnoFor(GetLastError());
  const int descriptor =
      _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_BINARY);
  FILE* file = descriptor < 0 ? nullptr : _fdopen(descriptor, "wb");
  int status = EIO;
  if (file)
    status = writeWholeFile(file, bytes);
  else if (descriptor >= 0)
    _close(descriptor);
  else
    CloseHandle(handle);
  if (status != 0) DeleteFileW(wideChars(widePath));
  return status;
}

int Win32Platform::renameFile(const std::string& from, const std::string& to) {
  if (MoveFileExW(wideChars(toWide(from)), wideChars(toWide(to)),
                  MOVEFILE_REPLACE_EXISTING))
    return 0;
  return errnoFor(GetLastError());
}

int Win32Platform::removeFile(const std::string& path) {
  return _wremove(wideChars(toWide(path))) == 0 ? 0 : errno;
}

std::string Win32Platform::fileIdentity(const std::string& path) {
  const WideText widePath = toWide(path);
  // Volume and file index name one file however the path is spelled.
  HANDLE file =
      CreateFileW(wideChars(widePath), 0,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    BY_HANDLE_FILE_INFORMATION info;
    const BOOL ok = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    if (ok && (info.nFileIndexHigh || info.nFileIndexLow)) {
      char key[64];
      std::snprintf(key, sizeof key, "%lx:%lx:%lx",
                    static_cast<unsigned long>(info.dwVolumeSerialNumber),
                    static_cast<unsigned long>(info.nFileIndexHigh),
                    static_cast<unsigned long>(info.nFileIndexLow));
      return key;
    }
  }
  // Otherwise the full path without regard to case.
  const DWORD length =
      GetFullPathNameW(wideChars(widePath), 0, nullptr, nullptr);
  if (length == 0) return std::string();
  WideText full(length, u'\0');
  const DWORD written =
      GetFullPathNameW(wideChars(widePath), length, wideChars(full), nullptr);
  if (written == 0 || written >= length) return std::string();
  full.resize(written);
  using CharUpperBuffFunction = DWORD(WINAPI*)(LPWSTR, DWORD);
  static const auto charUpperBuff =
      asFunction<CharUpperBuffFunction>(user32Function("CharUpperBuffW"));
  if (charUpperBuff) {
    charUpperBuff(wideChars(full), static_cast<DWORD>(full.size()));
  } else {
    for (char16_t& c : full)
      if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return fromWide(full);
}

std::string Win32Platform::ansiToUtf8(std::string_view bytes) {
  WideText wide;
  if (convertAnsi(bytes, &wide)) return fromWide(wide);
  // Some byte stands for no character: convert one character at a time and
  // put U+FFFD where one cannot be converted.
  std::string text;
  for (size_t at = 0; at < bytes.size();) {
    const size_t length = ansiCharacterLength(bytes, at);
    WideText one;
    if (convertAnsi(bytes.substr(at, length), &one))
      text += fromWide(one);
    else
      appendUtf8(text, kReplacementCharacter);
    at += length;
  }
  return text;
}

std::string Win32Platform::errorText(int errnum) {
  return std::strerror(errnum);
}

std::time_t Win32Platform::now() { return std::time(nullptr); }

void Win32Platform::writeOut(const std::string& text) {
  // Standard output gets a buffer before its first use.  Without one, the C
  // runtime takes a character device (NUL, a console) for an interactive
  // stream, leaves it unbuffered and writes it one byte per system call;
  // with it, each text written here is one write.
  static const int buffered = std::setvbuf(stdout, nullptr, _IOFBF, 1 << 16);
  (void)buffered;
  writeStream(stdout, STD_OUTPUT_HANDLE, text);
}

void Win32Platform::writeError(const std::string& text) {
  writeStream(stderr, STD_ERROR_HANDLE, text);
}

}  // namespace kite
