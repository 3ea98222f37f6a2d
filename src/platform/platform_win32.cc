// Win32 side of the platform seam: registry, message boxes, processes and
// system information (files, environment and output are in
// platform_win32_files.cc).  Each method is one or a few direct calls of the
// wide (-W) functions with the arguments the launcher's logic relies on.
#include "platform/platform_win32.h"

#include <windows.h>

#include <cstring>
#include <utility>

#include "platform/win32_handles.h"
#include "platform/win32_support.h"

namespace kite {
namespace {

// An open registry key, with the access it was opened with.  Windows reads
// a key in the other registry view only when the open asks for that view
// (KEY_WOW64_64KEY or KEY_WOW64_32KEY), also below a key opened in it: a
// plain open of a subkey reads the program's own view, so a 32-bit program
// would find the 32-bit branch where it means the 64-bit one.  Each key
// therefore carries its access, and the keys opened below it get the same.
struct OpenKey {
  UniqueRegistryKey handle;
  REGSAM access;
};

OpenKey* asOpenKey(RegistryKey key) { return reinterpret_cast<OpenKey*>(key); }
HKEY asKey(RegistryKey key) { return asOpenKey(key)->handle.get(); }

// The started child's process handle is the one we keep; its thread handle
// is closed at once.
HANDLE asProcess(ChildProcess child) { return reinterpret_cast<HANDLE>(child); }

WideText systemDirectoryPath() {
  WideText buffer(MAX_PATH + 1, u'\0');
  UINT length = GetSystemDirectoryW(wideChars(buffer), MAX_PATH + 1);
  if (length > MAX_PATH) {
    buffer.assign(length, u'\0');
    const UINT again = GetSystemDirectoryW(wideChars(buffer), length);
    length = again < length ? again : 0;
  }
  buffer.resize(length);
  return buffer;
}

// The registry access for a view.  The 32-bit view, where runtimes
// registered until Java 8, is the default of a 32-bit program and asked for
// by a 64-bit one, so both builds read the same keys there; the 64-bit view
// is the default of a 64-bit program and asked for by a 32-bit one.
REGSAM registryAccess(RegistryView view) {
#ifdef _WIN64
  return view == RegistryView::k32Bit ? KEY_READ | KEY_WOW64_32KEY : KEY_READ;
#else
  return view == RegistryView::k64Bit ? KEY_READ | KEY_WOW64_64KEY : KEY_READ;
#endif
}

// Opens `path` below `parent` with `access`; sets *key only when it opened.
long openKeyBelow(HKEY parent, const std::string& path, REGSAM access,
                  RegistryKey* key) {
  UniqueRegistryKey opened;
  const LONG status =
      RegOpenKeyExW(parent, wideChars(toWide(path)), 0, access, opened.put());
  if (status == ERROR_SUCCESS)
    *key = reinterpret_cast<RegistryKey>(
        new OpenKey{std::move(opened), access});
  return status;
}

}  // namespace

std::string systemMessage(unsigned long code) {
  UniqueLocalMemory buffer;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
          FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(buffer.put()), 0, nullptr);
  std::string text =
      length && buffer
          ? fromWide(static_cast<const wchar_t*>(buffer.get()), length)
          : "Error " + std::to_string(code);
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
    text.pop_back();
  return text;
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
    const WideText directory = systemDirectoryPath();
    if (directory.empty()) return HMODULE();
    return LoadLibraryExW(wideChars(directory + u"\\user32.dll"), nullptr,
                          LOAD_WITH_ALTERED_SEARCH_PATH);
  }();
  return user32 ? GetProcAddress(user32, name) : nullptr;
}

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

namespace {

BOOL WINAPI keepRunning(DWORD event) {
  return event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT;
}

}  // namespace

void surviveConsoleInterrupts() { SetConsoleCtrlHandler(keepRunning, TRUE); }

long Win32Platform::openRegistryKey(RegistryRoot root, const std::string& path,
                                    RegistryKey* key) {
  const HKEY hive = root.hive == RegistryHive::kCurrentUser
                        ? HKEY_CURRENT_USER
                        : HKEY_LOCAL_MACHINE;
  return openKeyBelow(hive, path, registryAccess(root.view), key);
}

long Win32Platform::openRegistrySubkey(RegistryKey parent,
                                       const std::string& path,
                                       RegistryKey* key) {
  return openKeyBelow(asKey(parent), path, asOpenKey(parent)->access, key);
}

long Win32Platform::readRegistryString(RegistryKey key, const std::string& name,
                                       std::string* value) {
  const WideText wideName = toWide(name);
  // Most values fit a path's length: read into a buffer of that size at
  // once, and only when the value is longer ask for its size and read again
  // (retrying if it grew in between), so a value of any length is read
  // whole.
  WideText buffer(MAX_PATH + 1, u'\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD type = 0;
    DWORD got = static_cast<DWORD>((buffer.size() - 1) * sizeof(wchar_t));
    LONG status =
        RegQueryValueExW(asKey(key), wideChars(wideName), nullptr, &type,
                         reinterpret_cast<BYTE*>(wideChars(buffer)), &got);
    if (status == ERROR_MORE_DATA) {
      buffer.assign(got / sizeof(wchar_t) + 2, u'\0');
      continue;
    }
    if (status != ERROR_SUCCESS) return status;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_INVALID_DATA;
    // The stored data may or may not end in a NUL; cut at the first one.
    buffer.resize(got / sizeof(wchar_t));
    *value = fromWide(buffer.substr(0, buffer.find(u'\0')));
    return ERROR_SUCCESS;
  }
  return ERROR_MORE_DATA;
}

unsigned long Win32Platform::countRegistrySubkeys(RegistryKey key) {
  DWORD subkeys = 0;
  RegQueryInfoKeyW(asKey(key), nullptr, nullptr, nullptr, &subkeys, nullptr,
                   nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  return subkeys;
}

long Win32Platform::enumRegistrySubkey(RegistryKey key, unsigned long index,
                                       std::string* name) {
  // Key names are at most 255 characters; leave room for the terminator.
  wchar_t buffer[257];
  DWORD length = 256;
  const LONG status = RegEnumKeyExW(asKey(key), index, buffer, &length, nullptr,
                                    nullptr, nullptr, nullptr);
  if (status == ERROR_SUCCESS) *name = fromWide(buffer, length);
  return status;
}

void Win32Platform::closeRegistryKey(RegistryKey key) {
  delete asOpenKey(key);
}

int Win32Platform::showMessageBox(const char* text, const std::string& caption,
                                  unsigned style) {
  using MessageBoxFunction = int(WINAPI*)(HWND, LPCWSTR, LPCWSTR, UINT);
  static const auto messageBox =
      asFunction<MessageBoxFunction>(user32Function("MessageBoxW"));
  // A box that cannot be shown answers as a failed MessageBox does: 0.
  if (!messageBox) return 0;
  const WideText wideText = text ? toWide(text) : WideText();
  return messageBox(nullptr, text ? wideChars(wideText) : nullptr,
                    wideChars(toWide(caption)), style);
}

bool createChildProcess(const std::string& commandLine, const ChildOptions& options,
                        PROCESS_INFORMATION* process, std::string* error) {
  // CreateProcessW may write into the command line, so it gets a copy.
  WideText writable = toWide(commandLine);
  const WideText wideDirectory =
      options.directory ? toWide(options.directory) : WideText();
  WideText wideTitle = options.title ? toWide(options.title) : WideText();
  STARTUPINFOW startup;
  std::memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  startup.lpTitle = options.title ? wideChars(wideTitle) : nullptr;
  if (options.titleIsAppId) startup.dwFlags |= STARTF_TITLEISAPPID;
  // An environment of its own goes as a block of UTF-16 entries, each
  // ended by a NUL, the block by one more; without one the child inherits.
  const std::vector<std::string>* environment = options.environment;
  WideText block;
  if (environment) {
    for (const std::string& entry : *environment) {
      block += toWide(entry);
      block += u'\0';
    }
    if (environment->empty()) block += u'\0';
    block += u'\0';
  }
  std::memset(process, 0, sizeof *process);
  if (!CreateProcessW(nullptr, wideChars(writable), nullptr, nullptr, TRUE,
                      options.flags |
                          (environment ? CREATE_UNICODE_ENVIRONMENT : 0),
                      environment ? wideChars(block) : nullptr,
                      options.directory ? wideChars(wideDirectory) : nullptr,
                      &startup, process)) {
    *error = systemMessage(GetLastError());
    return false;
  }
  return true;
}

bool Win32Platform::startProcess(const std::string& commandLine,
                                 const char* directory,
                                 const char* consoleTitle,
                                 const std::vector<std::string>* environment,
                                 ChildProcess* child, std::string* error) {
  ChildOptions options;
  options.directory = directory;
  options.title = consoleTitle;
  options.environment = environment;
  PROCESS_INFORMATION process;
  if (!createChildProcess(commandLine, options, &process, error)) return false;
  UniqueHandle thread(process.hThread);
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
  OSVERSIONINFOW version;
  std::memset(&version, 0, sizeof version);
  version.dwOSVersionInfoSize = sizeof version;
  GetVersionExW(&version);
  return version.dwMajorVersion;
}

bool Win32Platform::is64BitWindows() {
#ifdef _WIN64
  return true;
#else
  // A 32-bit program runs on 64-bit Windows under WOW64.  IsWow64Process is
  // looked up at run time: Windows XP before SP2 does not have it, and is
  // 32-bit there.
  using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
  const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  const auto isWow64 = asFunction<IsWow64ProcessFunction>(
      kernel32 ? GetProcAddress(kernel32, "IsWow64Process") : nullptr);
  BOOL wow64 = FALSE;
  return isWow64 && isWow64(GetCurrentProcess(), &wow64) && wow64;
#endif
}

std::string Win32Platform::systemDirectory() {
  return fromWide(systemDirectoryPath());
}

std::string Win32Platform::programPath() {
  // The buffer grows until the whole path fits; a long path (\\?\ form)
  // may pass MAX_PATH.
  for (DWORD size = MAX_PATH + 1; size <= 65536; size *= 2) {
    WideText buffer(size, u'\0');
    const DWORD length = GetModuleFileNameW(nullptr, wideChars(buffer), size);
    if (length == 0) return std::string();
    if (length < size) {
      buffer.resize(length);
      return fromWide(buffer);
    }
  }
  return std::string();
}

}  // namespace kite
