// Win32 side of the seam for the application's own process: starting it
// with an AppUserModelID, in a job that ends it with the launcher, or as a
// hosting copy of the launcher; and, in that copy, reading the request and
// running the runtime's launcher library.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "platform/platform_win32.h"
#include "platform/win32_handles.h"
#include "platform/win32_support.h"
#include "platform/word_call.h"

#if defined(__i386__)
// Calls a function whose calling convention is not known: __cdecl leaves
// the arguments on the stack, __stdcall takes them off.  The stack pointer
// is saved in a register both conventions preserve and put back after the
// call, so either way the stack is as before.
//   intptr_t kite_call_any(void* function, const uintptr_t* args, int count)
extern "C" std::intptr_t kite_call_any(void* function,
                                       const std::uintptr_t* args, int count);
__asm__(
    ".text\n"
    ".globl _kite_call_any\n"
    "_kite_call_any:\n"
    "  pushl %ebp\n"
    "  movl %esp, %ebp\n"
    "  pushl %esi\n"
    "  pushl %edi\n"
    "  movl 12(%ebp), %esi\n"
    "  movl 16(%ebp), %ecx\n"
    "  movl %esp, %edi\n"
    "1:\n"
    "  testl %ecx, %ecx\n"
    "  jz 2f\n"
    "  decl %ecx\n"
    "  pushl (%esi,%ecx,4)\n"
    "  jmp 1b\n"
    "2:\n"
    "  call *8(%ebp)\n"
    "  movl %edi, %esp\n"
    "  popl %edi\n"
    "  popl %esi\n"
    "  popl %ebp\n"
    "  ret\n");
#endif

namespace kite {
namespace {

// The variable that names the channel's handle in the hosting copy's
// environment; the copy removes it before anything else runs.
constexpr wchar_t kChannelVariable[] = L"KITE_HOST_CHANNEL";
constexpr char kChannelMagic[] = "KITE-HOST 1\n";
// Far above what four lines of paths and names take.
constexpr DWORD kChannelBytes = 64 * 1024;

std::string hexText(std::uintptr_t value) {
  static const char digits[] = "0123456789abcdef";
  std::string text;
  do {
    text.insert(text.begin(), digits[value & 15]);
    value >>= 4;
  } while (value);
  return text;
}

// An inheritable section holding the request as lines of UTF-8 text after
// the magic line: library, version, "1" for javaw, AppUserModelID.  Empty
// on failure.
UniqueHandle makeChannel(const HostRequest& request) {
  const std::string text = std::string(kChannelMagic) + request.library +
                           "\n" + request.version + "\n" +
                           (request.javaw ? "1" : "0") + "\n" +
                           request.appUserModelId + "\n";
  if (text.size() >= kChannelBytes) return UniqueHandle();
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  UniqueHandle section(CreateFileMappingW(INVALID_HANDLE_VALUE, &inherit,
                                          PAGE_READWRITE, 0, kChannelBytes,
                                          nullptr));
  if (!section) return section;
  const UniqueMappedView view(
      MapViewOfFile(section.get(), FILE_MAP_WRITE, 0, 0, 0));
  if (!view) return UniqueHandle();
  std::memcpy(view.get(), text.data(), text.size());
  return section;
}

// Puts the new process in a job that ends it when the launcher's last
// handle to the job closes, which happens when the launcher ends, however
// it ends.  The handle is kept (not inheritable) for the launcher's life.
// Returns why the process could not be tied; empty when it is.
std::string tieToLauncher(HANDLE process, EndWithLauncher mode) {
  UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
  if (!job) return "no job object: " + systemMessage(GetLastError());
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
  std::memset(&limits, 0, sizeof limits);
  limits.BasicLimitInformation.LimitFlags =
      JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE |
      (mode == EndWithLauncher::kOn ? JOB_OBJECT_LIMIT_SILENT_BREAKAWAY_OK
                                    : JOB_OBJECT_LIMIT_BREAKAWAY_OK);
  const char* why = nullptr;
  if (!SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation,
                               &limits, sizeof limits))
    why = "the job refuses its limits: ";
  else if (!AssignProcessToJobObject(job.get(), process))
    why = "the process cannot join a job: ";
  if (why) return why + systemMessage(GetLastError());
  // Kept open on purpose until the launcher ends.
  job.release();
  return std::string();
}

WideText systemFile(const char16_t* name) {
  wchar_t folder[MAX_PATH + 1];
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return WideText();
  return WideText(reinterpret_cast<const char16_t*>(folder), length) + u"\\" +
         name;
}

}  // namespace

bool Win32Platform::startApplication(const std::string& commandLine,
                                     ApplicationStart& start,
                                     ChildProcess* child, std::string* error) {
  ChildOptions options;
  options.directory = start.directory;
  // STARTUPINFO has one title: an AppUserModelID takes the console's.
  options.titleIsAppId = !start.appUserModelId.empty();
  options.title =
      options.titleIsAppId ? start.appUserModelId.c_str() : start.consoleTitle;
  options.environment = start.environment;
  if (start.endWith != EndWithLauncher::kNo) options.flags |= CREATE_SUSPENDED;

  UniqueHandle channel;
  std::vector<std::string> environment;
  if (start.host) {
    channel = makeChannel(*start.host);
    if (!channel) {
      *error = systemMessage(GetLastError());
      return false;
    }
    const std::string value =
        hexText(reinterpret_cast<std::uintptr_t>(channel.get()));
    if (start.environment) {
      environment = *start.environment;
      environment.push_back(fromWide(kChannelVariable,
                                     std::wcslen(kChannelVariable)) +
                            "=" + value);
      options.environment = &environment;
    } else {
      SetEnvironmentVariableW(kChannelVariable, wideChars(toWide(value)));
    }
  }
  PROCESS_INFORMATION process;
  const bool started = createChildProcess(commandLine, options, &process, error);
  // The child holds its own inherited handle now; ours closes on return.
  if (start.host && !start.environment)
    SetEnvironmentVariableW(kChannelVariable, nullptr);
  if (!started) return false;
  const UniqueHandle thread(process.hThread);
  if (start.endWith != EndWithLauncher::kNo) {
    start.jobNote = tieToLauncher(process.hProcess, start.endWith);
    ResumeThread(thread.get());
  }
  *child = reinterpret_cast<ChildProcess>(process.hProcess);
  return true;
}

bool Win32Platform::takeHostRequest(HostRequest* request) {
  wchar_t value[24];
  const DWORD length = GetEnvironmentVariableW(kChannelVariable, value, 24);
  if (length == 0) return false;
  // Gone before the runtime or anything it starts can see it: from the
  // process's environment and from the C runtime's copy of it.
  SetEnvironmentVariableW(kChannelVariable, nullptr);
  _wputenv(L"KITE_HOST_CHANNEL=");
  if (length >= 24) return false;
  std::uintptr_t number = 0;
  for (DWORD i = 0; i < length; ++i) {
    const wchar_t c = value[i];
    const int digit = c >= L'0' && c <= L'9'   ? c - L'0'
                      : c >= L'a' && c <= L'f' ? c - L'a' + 10
                                               : -1;
    if (digit < 0) return false;
    number = number * 16 + static_cast<unsigned>(digit);
  }
  // Only an inherited handle counts: the variable alone crosses into an
  // elevated process, inherited handles do not, so a program that names a
  // handle value cannot make this copy load a library of its choosing.
  HANDLE section = reinterpret_cast<HANDLE>(number);
  DWORD flags = 0;
  if (!GetHandleInformation(section, &flags) || !(flags & HANDLE_FLAG_INHERIT))
    return false;
  std::string text;
  {
    const UniqueMappedView view(MapViewOfFile(section, FILE_MAP_READ, 0, 0, 0));
    if (!view) return false;
    const char* bytes = static_cast<const char*>(view.get());
    MEMORY_BASIC_INFORMATION region;
    const size_t size =
        VirtualQuery(bytes, &region, sizeof region) ? region.RegionSize : 0;
    text.assign(bytes, strnlen(bytes, size));
  }
  // A handle that is not the channel (a standard handle, say) is not ours
  // to close.
  if (text.compare(0, sizeof kChannelMagic - 1, kChannelMagic) != 0)
    return false;
  // The channel is closed once read, so nothing the runtime starts
  // inherits it.
  CloseHandle(section);
  std::string fields[4];
  size_t at = sizeof kChannelMagic - 1;
  for (std::string& field : fields) {
    const size_t end = text.find('\n', at);
    if (end == std::string::npos) return false;
    field = text.substr(at, end - at);
    at = end + 1;
  }
  if (fields[0].empty()) return false;
  request->library = fields[0];
  request->version = fields[1];
  request->javaw = fields[2] == "1";
  request->appUserModelId = fields[3];
  return true;
}

LoadedLibrary Win32Platform::loadLibrary(const std::string& path,
                                         const std::string& folder,
                                         std::string* error) {
  // SetDllDirectoryW (Windows XP SP1 and later) puts the folder after the
  // program's own and drops the current directory from the search.
  using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCWSTR);
  if (const HMODULE kernel32 = GetModuleHandleA("kernel32.dll"))
    if (const auto setDirectory = asFunction<SetDllDirectoryFunction>(
            GetProcAddress(kernel32, "SetDllDirectoryW")))
      setDirectory(wideChars(toWide(folder)));
  // The library's own folder first for what it imports, as for a program
  // started from there.
  const HMODULE library = LoadLibraryExW(wideChars(toWide(path)), nullptr,
                                         LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!library) *error = systemMessage(GetLastError());
  return reinterpret_cast<LoadedLibrary>(library);
}

void* Win32Platform::findExport(LoadedLibrary library, const char* name) {
  return reinterpret_cast<void*>(
      GetProcAddress(reinterpret_cast<HMODULE>(library), name));
}

std::intptr_t Win32Platform::callExport(void* function,
                                        const std::uintptr_t* args,
                                        int count) {
#if defined(__i386__)
  return kite_call_any(function, args, count);
#else
  return callWithWords(function, args, count);
#endif
}

std::string Win32Platform::ansiCommandLine() {
  const wchar_t* line = GetCommandLineW();
  // As Java's launcher converts it: no near character for one the code
  // page lacks.  Where the code page is UTF-8 those flags are refused.
  DWORD flags = WC_NO_BEST_FIT_CHARS | WC_COMPOSITECHECK | WC_DEFAULTCHAR;
  int size = WideCharToMultiByte(CP_ACP, flags, line, -1, nullptr, 0, nullptr,
                                 nullptr);
  if (size == 0) {
    flags = 0;
    size = WideCharToMultiByte(CP_ACP, 0, line, -1, nullptr, 0, nullptr,
                               nullptr);
  }
  if (size <= 0) return std::string();
  std::string text(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, flags, line, -1, &text[0], size, nullptr,
                      nullptr);
  text.resize(static_cast<size_t>(size - 1));
  return text;
}

bool Win32Platform::setAppUserModelId(const std::string& id) {
  // shell32 from the system folder only, and only when the key is used:
  // loading it costs more than the rest of a launch.
  const WideText path = systemFile(u"shell32.dll");
  if (path.empty()) return false;
  const HMODULE shell32 =
      LoadLibraryExW(wideChars(path), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!shell32) return false;
  using SetIdFunction = HRESULT(WINAPI*)(PCWSTR);
  const auto setId = asFunction<SetIdFunction>(
      GetProcAddress(shell32, "SetCurrentProcessExplicitAppUserModelID"));
  return setId && SUCCEEDED(setId(wideChars(toWide(id))));
}

}  // namespace kite
