// Win32 side of the platform seam, continued: the environment, files and
// directories, text in the ANSI code page, the clock and the output
// streams.  Paths and names go to the wide (-W) functions as UTF-16.
#include <windows.h>

#include <direct.h>
#include <fcntl.h>
#include <io.h>
#include <ntsecapi.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "base/text.h"
#include "platform/platform_win32.h"
#include "platform/stdio_file.h"
#include "platform/win32_handles.h"
#include "platform/win32_security.h"
#include "platform/win32_support.h"

namespace kite {
namespace {

// Text for a console is written as characters, in pieces small enough for
// every Windows version's console, never cut between the two halves of a
// surrogate pair; anything else gets the UTF-8 bytes.
void writeStream(FILE* stream, DWORD handleId, const std::string& text) {
  const HANDLE handle = GetStdHandle(handleId);
  DWORD mode = 0;
  if (handle && handle != INVALID_HANDLE_VALUE &&
      GetConsoleMode(handle, &mode)) {
    std::fflush(stream);
    const WideText wide = toWide(text);
    constexpr size_t kPiece = 8192;
    for (size_t at = 0; at < wide.size();) {
      DWORD written = 0;
      const size_t length =
          utf16PieceLength(std::u16string_view(wide).substr(at), kPiece);
      WriteConsoleW(handle, wideChars(wide) + at, static_cast<DWORD>(length),
                    &written, nullptr);
      at += length;
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

// A FILETIME (100 ns units since 1601) in calendar seconds (since 1970).
std::time_t calendarTime(const FILETIME& time) {
  const unsigned long long ticks =
      static_cast<unsigned long long>(time.dwHighDateTime) << 32 |
      time.dwLowDateTime;
  constexpr unsigned long long kEpochTicks = 116444736000000000ull;
  return ticks < kEpochTicks
             ? 0
             : static_cast<std::time_t>((ticks - kEpochTicks) / 10000000ull);
}

// Creates the file `path` holding `bytes`, with `security` (null: the
// folder's inherited access), only if nothing has that name.
int createFile(const std::string& path, const std::string& bytes,
               SECURITY_ATTRIBUTES* security) {
  const WideText widePath = toWide(path);
  // CREATE_NEW fails on every existing name; with FILE_FLAG_OPEN_REPARSE_POINT
  // a symbolic link counts as one, even when its target does not exist.
  UniqueFileHandle handle(CreateFileW(
      wideChars(widePath), GENERIC_WRITE, 0, security, CREATE_NEW,
      FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!handle) return errnoFor(GetLastError());
  // A descriptor made of the handle owns it from then on.
  const int descriptor =
      _open_osfhandle(reinterpret_cast<intptr_t>(handle.get()), _O_BINARY);
  if (descriptor >= 0) handle.release();
  FILE* file = descriptor < 0 ? nullptr : _fdopen(descriptor, "wb");
  int status = EIO;
  if (file)
    status = writeWholeFile(file, bytes);
  else if (descriptor >= 0)
    _close(descriptor);
  handle.reset();  // closed before a file left unfinished is deleted
  if (status != 0) DeleteFileW(wideChars(widePath));
  return status;
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

bool Win32Platform::setEnvironmentVariable(const std::string& name,
                                           const std::string& value) {
  return SetEnvironmentVariableW(wideChars(toWide(name)),
                                 wideChars(toWide(value))) != 0;
}

std::vector<std::string> Win32Platform::listEnvironment() {
  std::vector<std::string> entries;
  wchar_t* block = GetEnvironmentStringsW();
  if (!block) return entries;
  for (const wchar_t* entry = block; *entry;) {
    const size_t length = std::wcslen(entry);
    entries.push_back(fromWide(entry, length));
    entry += length + 1;
  }
  FreeEnvironmentStringsW(block);
  return entries;
}

bool Win32Platform::findFiles(const std::string& pattern,
                              std::vector<FoundFile>* matches) {
  matches->clear();
  WIN32_FIND_DATAW data;
  const UniqueFindHandle search(
      FindFirstFileW(wideChars(toWide(pattern)), &data));
  if (!search) return false;
  do {
    matches->push_back(
        {fromWide(data.cFileName, std::wcslen(data.cFileName)),
         (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
         calendarTime(data.ftLastWriteTime)});
  } while (FindNextFileW(search.get(), &data));
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

int Win32Platform::readFileStart(const std::string& path, std::size_t limit,
                                 std::string* bytes) {
  FILE* file = _wfopen(wideChars(toWide(path)), L"rb");
  if (!file) return errno ? errno : ENOENT;
  return readFileHead(file, bytes, limit);
}

int Win32Platform::createNewFile(const std::string& path,
                                 const std::string& bytes) {
  return createFile(path, bytes, nullptr);
}

int Win32Platform::createPrivateFile(const std::string& path,
                                     const std::string& bytes) {
  // Where TEMP is a folder others can read, the file is still the user's.
  OwnerOnlySecurity security;
  if (!security.get()) return EACCES;
  return createFile(path, bytes, security.get());
}

bool Win32Platform::randomBytes(std::size_t count, std::string* bytes) {
  bytes->assign(count, '\0');
  return RtlGenRandom(&(*bytes)[0], static_cast<ULONG>(count)) != 0;
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

int Win32Platform::makeDirectory(const std::string& path) {
  if (CreateDirectoryW(wideChars(toWide(path)), nullptr)) return 0;
  return errnoFor(GetLastError());
}

int Win32Platform::removeDirectory(const std::string& path) {
  if (RemoveDirectoryW(wideChars(toWide(path)))) return 0;
  return errnoFor(GetLastError());
}

std::string Win32Platform::fileIdentity(const std::string& path) {
  const WideText widePath = toWide(path);
  // Volume and file index name one file however the path is spelled.
  const UniqueFileHandle file(
      CreateFileW(wideChars(widePath), 0,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (file) {
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileInformationByHandle(file.get(), &info) &&
        (info.nFileIndexHigh || info.nFileIndexLow)) {
      return formatText("%lx:%lx:%lx",
                        static_cast<unsigned long>(info.dwVolumeSerialNumber),
                        static_cast<unsigned long>(info.nFileIndexHigh),
                        static_cast<unsigned long>(info.nFileIndexLow));
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

unsigned Win32Platform::ansiCodePage() { return GetACP(); }

bool Win32Platform::utf8ToAnsi(std::string_view text, std::string* ansi) {
  ansi->clear();
  // Where the code page is UTF-8 ("Beta: Use Unicode UTF-8 for worldwide
  // language support"), every character is kept.
  if (GetACP() == CP_UTF8) {
    ansi->assign(text);
    return true;
  }
  const WideText wide = toWide(text);
  if (wide.empty()) return true;
  const int units = static_cast<int>(wide.size());
  // What the program gets, best-fit characters included, as Windows makes
  // a command line for the ANSI functions...
  const int length = WideCharToMultiByte(CP_ACP, 0, wideChars(wide), units,
                                         nullptr, 0, nullptr, nullptr);
  if (length <= 0) return false;
  ansi->resize(static_cast<size_t>(length));
  WideCharToMultiByte(CP_ACP, 0, wideChars(wide), units, &(*ansi)[0], length,
                      nullptr, nullptr);
  // ... and whether each character has its own, exact, place in the code
  // page.
  BOOL lost = FALSE;
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wideChars(wide), units,
                      nullptr, 0, nullptr, &lost);
  return !lost;
}

bool Win32Platform::shortPathName(const std::string& path,
                                  std::string* shortPath) {
  const WideText wide = toWide(path);
  const DWORD length = GetShortPathNameW(wideChars(wide), nullptr, 0);
  if (length == 0) return false;
  WideText buffer(length, u'\0');
  const DWORD written =
      GetShortPathNameW(wideChars(wide), wideChars(buffer), length);
  if (written == 0 || written >= length) return false;
  buffer.resize(written);
  *shortPath = fromWide(buffer);
  return true;
}

std::string Win32Platform::temporaryDirectory() {
  WideText buffer(MAX_PATH + 2, u'\0');
  DWORD length = GetTempPathW(MAX_PATH + 2, wideChars(buffer));
  if (length > MAX_PATH + 1) {
    buffer.assign(length + 1, u'\0');
    length = GetTempPathW(length + 1, wideChars(buffer));
  }
  if (length == 0 || length >= buffer.size()) return std::string();
  buffer.resize(length);
  return fromWide(buffer);
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

int Win32Platform::appendFile(const std::string& path, const std::string& bytes,
                              unsigned long long* size) {
  // With FILE_APPEND_DATA alone every write goes to the end of the file as
  // it is then, so the writes of several launches never overwrite or split
  // each other.  Other launches may read, append, rename or delete it
  // meanwhile.
  const UniqueFileHandle file(CreateFileW(
      wideChars(toWide(path)), FILE_APPEND_DATA,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return errnoFor(GetLastError());
  DWORD written = 0;
  const BOOL wrote =
      WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                &written, nullptr);
  DWORD high = 0;
  const DWORD low = GetFileSize(file.get(), &high);
  *size = (static_cast<unsigned long long>(high) << 32) | low;
  return wrote && written == bytes.size() ? 0 : EIO;
}

std::string Win32Platform::localTime() {
  SYSTEMTIME time;
  GetLocalTime(&time);
  return formatText("%04u-%02u-%02u %02u:%02u:%02u", time.wYear, time.wMonth,
                    time.wDay, time.wHour, time.wMinute, time.wSecond);
}

unsigned long Win32Platform::milliseconds() { return GetTickCount(); }

unsigned long Win32Platform::processId() { return GetCurrentProcessId(); }

}  // namespace kite
