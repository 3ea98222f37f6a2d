// Win32 side of the platform seam.  Each method is one or a few direct calls
// with the arguments the launcher's logic relies on.
#include "platform/platform_win32.h"

#include <windows.h>

#include <direct.h>
#include <io.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace kite {
namespace {

// Java runtimes register in the 32-bit view; the 64-bit build asks for that
// view explicitly so both builds find the same runtimes.
#ifdef _WIN64
constexpr REGSAM kRegistryAccess = KEY_READ | KEY_WOW64_32KEY;
#else
constexpr REGSAM kRegistryAccess = KEY_READ;
#endif

HKEY asKey(RegistryKey key) { return reinterpret_cast<HKEY>(key); }

// The started child's process handle is the one we keep; its thread handle
// is closed at once.
HANDLE asProcess(ChildProcess child) { return reinterpret_cast<HANDLE>(child); }

// GetProcAddress's result as the function type it really has; the cast goes
// through void (*)(), which converts to and from any function type.
template <typename Function>
Function asFunction(FARPROC proc) {
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

std::string systemDirectoryPath() {
  char buffer[MAX_PATH + 1];
  const UINT length = GetSystemDirectoryA(buffer, sizeof buffer);
  if (length == 0) return std::string();
  if (length < sizeof buffer) return std::string(buffer, length);
  std::string large(length, '\0');
  const UINT again = GetSystemDirectoryA(&large[0], length);
  if (again == 0 || again >= length) return std::string();
  large.resize(again);
  return large;
}

// user32 is loaded on first use, not with the program.  Its start-up (with
// gdi32, win32u and imm32 behind it) is the largest part of a launcher's own
// start-up time under Wine, and only message boxes, the wait for the child
// to be ready for input and an upper-casing fallback need it.  Loaded when
// the launch waits for the started child, that work overlaps the child's own
// start-up instead of delaying it.  It is loaded by its full path in the
// system directory, and the DLLs it brings are looked for there first, so
// a user32.dll or one of its dependencies placed beside the launcher is
// never loaded.  Null if it cannot be loaded.
FARPROC user32Function(const char* name) {
  static const HMODULE user32 = [] {
    const std::string directory = systemDirectoryPath();
    if (directory.empty()) return HMODULE();
    return LoadLibraryExA((directory + "\\user32.dll").c_str(), nullptr,
                          LOAD_WITH_ALTERED_SEARCH_PATH);
  }();
  return user32 ? GetProcAddress(user32, name) : nullptr;
}

std::string systemMessage(DWORD code) {
  char* buffer = nullptr;
  const DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = length && buffer ? std::string(buffer, length)
                                      : "Error " + std::to_string(code);
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
    text.pop_back();
  return text;
}

}  // namespace

void restrictDllSearch() {
#ifndef KITE_KEEP_DLL_SEARCH
  // A DLL that Windows loads on demand (while showing a box, say) is looked
  // for in the application's folder first, and a copy of Kite often runs
  // from a folder others can write to (Downloads, an unpacked archive).
  // Where the system can, DLLs are looked for in the system directory only;
  // the current directory leaves the search everywhere.  Both functions are
  // looked up at run time, since Windows XP has neither (SP1 and later have
  // SetDllDirectoryA) and Windows 7 has the first only with an update.
  const HMODULE kernel32 = GetModuleHandleA("kernel32.dll");
  if (!kernel32) return;
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  if (const auto setDefault = asFunction<SetDefaultDllDirectoriesFunction>(
          GetProcAddress(kernel32, "SetDefaultDllDirectories")))
    setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
  using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCSTR);
  if (const auto setDirectory = asFunction<SetDllDirectoryFunction>(
          GetProcAddress(kernel32, "SetDllDirectoryA")))
    setDirectory("");
#endif
}

long Win32Platform::openRegistryKey(const std::string& path, RegistryKey* key) {
  HKEY opened = nullptr;
  const LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0,
                                    kRegistryAccess, &opened);
  if (status == ERROR_SUCCESS) *key = reinterpret_cast<RegistryKey>(opened);
  return status;
}

long Win32Platform::readRegistryString(RegistryKey key, const std::string& name,
                                       std::string* value) {
  // Ask for the size first, so a value of any length is read whole; retry
  // if it grew between the two calls.
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = 0;
    DWORD size = 0;
    LONG status = RegQueryValueExA(asKey(key), name.c_str(), nullptr, &type,
                                   nullptr, &size);
    if (status != ERROR_SUCCESS) return status;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATA;
    std::string buffer(size + 1, '\0');
    DWORD got = size;
    status = RegQueryValueExA(asKey(key), name.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(&buffer[0]), &got);
    if (status == ERROR_MORE_DATA) continue;
    if (status != ERROR_SUCCESS) return status;
    // The stored data may or may not end in a NUL; cut at the first one.
    buffer.resize(got);
    *value = buffer.substr(0, buffer.find('\0'));
    return ERROR_SUCCESS;
  }
  return ERROR_MORE_DATA;
}

unsigned long Win32Platform::countRegistrySubkeys(RegistryKey key) {
  char className[260] = "";
  DWORD classLength = sizeof className;
  DWORD subkeys = 0;
  RegQueryInfoKeyA(asKey(key), className, &classLength, nullptr, &subkeys,
                   nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                   nullptr);
  return subkeys;
}

long Win32Platform::enumRegistrySubkey(RegistryKey key, unsigned long index,
                                       std::string* name) {
  // Key names are at most 255 characters; leave room for the terminator.
  char buffer[257];
  DWORD length = sizeof buffer - 1;
  const LONG status = RegEnumKeyExA(asKey(key), index, buffer, &length, nullptr,
                                    nullptr, nullptr, nullptr);
  if (status == ERROR_SUCCESS) name->assign(buffer, length);
  return status;
}

void Win32Platform::closeRegistryKey(RegistryKey key) {
  RegCloseKey(asKey(key));
}

int Win32Platform::showMessageBox(const char* text, const std::string& caption,
                                  unsigned style) {
  using MessageBoxFunction = int(WINAPI*)(HWND, LPCSTR, LPCSTR, UINT);
  static const auto messageBox =
      asFunction<MessageBoxFunction>(user32Function("MessageBoxA"));
  // A box that cannot be shown answers as a failed MessageBoxA does: 0.
  return messageBox ? messageBox(nullptr, text, caption.c_str(), style) : 0;
}

bool Win32Platform::startProcess(const std::string& commandLine,
                                 const char* directory,
                                 const char* consoleTitle, ChildProcess* child,
                                 std::string* error) {
  // CreateProcessA may write into the command line, so hand it a copy.
  std::string writable = commandLine;
  STARTUPINFOA startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  startup.lpTitle = const_cast<char*>(consoleTitle);
  PROCESS_INFORMATION process;
  std::memset(&process, 0, sizeof process);
  if (!CreateProcessA(nullptr, &writable[0], nullptr, nullptr, TRUE, 0, nullptr,
                      directory, &startup, &process)) {
    *error = systemMessage(GetLastError());
    return false;
  }
  CloseHandle(process.hThread);
  *child = reinterpret_cast<ChildProcess>(process.hProcess);
  return true;
}

void Win32Platform::waitForInputIdle(ChildProcess child,
                                     unsigned milliseconds) {
  using WaitForInputIdleFunction = DWORD(WINAPI*)(HANDLE, DWORD);
  static const auto waitForInputIdle =
      asFunction<WaitForInputIdleFunction>(user32Function("WaitForInputIdle"));
  if (waitForInputIdle) waitForInputIdle(asProcess(child), milliseconds);
}

void Win32Platform::waitForExit(ChildProcess child) {
  WaitForSingleObject(asProcess(child), INFINITE);
}

int Win32Platform::exitCode(ChildProcess child) {
  DWORD code = 0;
  if (!GetExitCodeProcess(asProcess(child), &code)) return -1;
  return static_cast<int>(code);
}

void Win32Platform::closeProcess(ChildProcess child) {
  CloseHandle(asProcess(child));
}

unsigned long Win32Platform::osMajorVersion() {
  OSVERSIONINFOA version;
  std::memset(&version, 0, sizeof version);
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExA(&version);
  return version.dwMajorVersion;
}

std::string Win32Platform::systemDirectory() { return systemDirectoryPath(); }

bool Win32Platform::getEnvironment(const std::string& name,
                                   std::string* value) {
  const char* found = std::getenv(name.c_str());
  if (!found) return false;
  *value = found;
  return true;
}

bool Win32Platform::findFiles(const std::string& pattern,
                              std::vector<FoundFile>* matches) {
  matches->clear();
  struct _finddata_t data;
  const intptr_t search = _findfirst(pattern.c_str(), &data);
  if (search == -1) return false;
  do {
    matches->push_back({data.name, (data.attrib & _A_SUBDIR) != 0});
  } while (_findnext(search, &data) == 0);
  _findclose(search);
  return true;
}

bool Win32Platform::changeDirectory(const std::string& path) {
  return _chdir(path.c_str()) == 0;
}

std::string Win32Platform::currentDirectory() {
  // With a null buffer the runtime allocates one as long as the path needs.
  char* path = _getcwd(nullptr, 0);
  if (!path) return std::string();
  std::string result = path;
  std::free(path);
  return result;
}

int Win32Platform::readFile(const std::string& path, std::string* bytes) {
  FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return errno ? errno : ENOENT;
  bytes->clear();
  char buffer[16384];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
    bytes->append(buffer, got);
  const bool failed = std::ferror(file) != 0;
  std::fclose(file);
  // A directory opens on some systems but cannot be read.
  return failed ? EACCES : 0;
}

std::string Win32Platform::fileIdentity(const std::string& path) {
  // Volume and file index name one file however the path is spelled.
  HANDLE file = CreateFileA(
      path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
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
  const DWORD length = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  if (length == 0) return std::string();
  std::string full(length, '\0');
  const DWORD written =
      GetFullPathNameA(path.c_str(), length, &full[0], nullptr);
  if (written == 0 || written >= length) return std::string();
  full.resize(written);
  using CharUpperBuffFunction = DWORD(WINAPI*)(LPSTR, DWORD);
  static const auto charUpperBuff =
      asFunction<CharUpperBuffFunction>(user32Function("CharUpperBuffA"));
  if (charUpperBuff) {
    charUpperBuff(&full[0], static_cast<DWORD>(full.size()));
  } else {
    for (char& c : full)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return full;
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
  // Flushed at once so the lines keep their order with standard error and
  // survive however the process ends.
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

void Win32Platform::writeError(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

}  // namespace kite
