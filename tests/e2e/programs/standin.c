/* A stand-in Java runtime: records how it was started, then exits as told.
 *
 * Environment:
 *   KITE_STANDIN_LOG     file to which one record per run is appended
 *   KITE_STANDIN_SCRIPT  optional file with one line per run, in run order:
 *                          "CODE DELAY_MS"     sleep DELAY_MS, then exit CODE
 *                          "crash [DELAY_MS]"  sleep DELAY_MS (default 0),
 *                                              then end by an access violation
 *                        runs without a line exit 0 at once
 *   KITE_STANDIN_ECHO    optional: when set, the stand-in writes
 *                        "out RUN" to standard output and "err RUN" to
 *                        standard error, then copies what it reads from
 *                        standard input to standard output as "in TEXT"
 *                        (one line per line read) before it exits
 *   KITE_STANDIN_HOLD    optional file that the stand-in opens without
 *                        sharing before it records its run and keeps open
 *                        until it ends, so that no other process can open
 *                        it meanwhile
 *   KITE_STANDIN_STOP    optional file whose appearance ends the sleep early
 *   KITE_STANDIN_WINDOW  (windowed build only, see below) optional title:
 *                        after recording its run the stand-in shows a
 *                        top-level window with this title (minimised when
 *                        KITE_STANDIN_MINIMIZED is set) and handles its
 *                        messages while it sleeps
 *   KITE_STANDIN_ENV     optional comma-separated names of environment
 *                        variables to record
 *   KITE_STANDIN_SPAWN   optional: before its scripted sleep the stand-in
 *                        starts itself again (not waited for), with
 *                        KITE_STANDIN_LOG set to this file for it
 *   KITE_STANDIN_ENDED   optional file to which "ended PID" is appended when
 *                        the scripted sleep is over (a process ended from
 *                        outside writes nothing)
 *
 * The run index is the number of records already in the log, so a relaunched
 * stand-in takes the next script line.  A record is one JSON object on one
 * line:
 *   {"run":0,"pid":N,"cmdline":"...","argv":["...",...],"cwd":"...",
 *    "startup_title":"..."|null,"console_title":"..."|null,
 *    "ansi_argv":["...",...],"argfiles":["..."|null,...],
 *    "class_path_long":["...",...],"acp":N,
 *    "env":{"NAME":"..."|null,...}}
 * where "pid" is its Windows process id, "acp" its ANSI code page and "env"
 * the value of each variable KITE_STANDIN_ENV names (null: not set).  The
 * strings are what a Java program receives: the wide command line, the C
 * runtime's wide argv (wmain), the current directory and the titles, all
 * from the wide functions, written as UTF-8.  Two more show what Java's own
 * launcher, which reads its command line in the ANSI code page, gets:
 *   "ansi_argv": the ANSI command line (GetCommandLineA) split into
 *                arguments, each read back in the code page;
 *   "argfiles":  the text of each argument file named by an argument
 *                "@FILE", read in the code page as Java reads it (null for
 *                one that cannot be opened);
 *   "class_path_long": the entries of the argument after "-classpath", each
 *                by its long name where it names a file or folder (a short
 *                name given for it shows as the name it stands for).
 * '"', '\' and characters below 0x20 are escaped, and so is a UTF-16
 * surrogate without its partner (as \uXXXX, which JSON readers give back as
 * that code unit).
 *
 * Every record also holds "parent" (the id of the process that started it),
 * "process" (the program's own path), "startup_flags"
 * (STARTUPINFO's dwFlags), "in_job" (whether the process is in a job),
 * "loaded" (the path a LoadLibraryW of the name KITE_STANDIN_LOADLIB gives
 * loaded, null when it fails or the variable is unset) and "jli" (below).
 *
 * Built with STANDIN_JLI it is a stand-in for a runtime's launcher library
 * (jli.dll), as a copy of Kite that hosts the runtime loads it: it exports
 * JLI_InitArgProcessing, JLI_CmdToArgs, JLI_GetStdArgc, JLI_GetStdArgs and
 * JLI_Launch (__stdcall with STANDIN_STDCALL, else __cdecl), and JLI_Launch
 * records its run as the program does, with "argv" what it was handed and
 * "jli" the calls made and JLI_Launch's other parameters; then returns the
 * scripted code.  In the program, "jli" is null.
 *
 * Built with STANDIN_WINDOWED (standin_windowed.exe) it can show a window, as
 * a GUI application does; the plain build does not load user32, so its
 * start-up costs what a console program's does. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <wchar.h>
#include <windows.h>
#include <shellapi.h>
#include <tlhelp32.h>

/* Writes the code point `c` in UTF-8. */
static void putUtf8(FILE *out, unsigned long c) {
  static const int lead[] = {0x00, 0xC0, 0xE0, 0xF0};
  int extra = c < 0x80 ? 0 : c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
  fputc(lead[extra] | (int)(c >> (6 * extra)), out);
  for (int shift = 6 * (extra - 1); shift >= 0; shift -= 6)
    fputc(0x80 | (int)(c >> shift & 0x3F), out);
}

static void putJsonString(FILE *out, const wchar_t *text) {
  if (text == NULL) {
    fputs("null", out);
    return;
  }
  fputc('"', out);
  for (const wchar_t *p = text; *p; ++p) {
    unsigned long c = *p;
    if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
      ++p;
    }
    if (c == '"' || c == '\\')
      fprintf(out, "\\%c", (int)c);
    else if (c < 0x20 || (c >= 0xD800 && c <= 0xDFFF))
      fprintf(out, "\\u%04lx", c);
    else
      putUtf8(out, c);
  }
  fputc('"', out);
}

/* `text` in the ANSI code page, as a JSON string. */
static void putAnsiString(FILE *out, const char *text, int length) {
  int units = MultiByteToWideChar(CP_ACP, 0, text, length, NULL, 0);
  wchar_t *wide = calloc((size_t)units + 1, sizeof *wide);
  if (wide == NULL) return;
  MultiByteToWideChar(CP_ACP, 0, text, length, wide, units);
  putJsonString(out, wide);
  free(wide);
}

/* The ANSI command line split by the wide rules (the two agree on every
 * character that matters to splitting), each argument as a JSON string. */
static void putAnsiArguments(FILE *out) {
  const char *line = GetCommandLineA();
  int units = MultiByteToWideChar(CP_ACP, 0, line, -1, NULL, 0);
  wchar_t *wide = calloc((size_t)units + 1, sizeof *wide);
  if (wide == NULL) return;
  MultiByteToWideChar(CP_ACP, 0, line, -1, wide, units);
  int count = 0;
  wchar_t **args = CommandLineToArgvW(wide, &count);
  for (int i = 0; args != NULL && i < count; ++i) {
    if (i > 0) fputc(',', out);
    putJsonString(out, args[i]);
  }
  LocalFree(args);
  free(wide);
}

/* The whole file `path`, read in the ANSI code page; null when it cannot
 * be read. */
static void putAnsiFile(FILE *out, const wchar_t *path) {
  FILE *in = _wfopen(path, L"rb");
  char *text = in ? malloc(1 << 20) : NULL;
  size_t length = text ? fread(text, 1, (1 << 20) - 1, in) : 0;
  if (in != NULL) fclose(in);
  if (text == NULL) {
    fputs("null", out);
    return;
  }
  putAnsiString(out, text, (int)length);
  free(text);
}

/* Copies the item `list` begins with, up to the first of `separators`,
 * into `item` (of `size` characters, cut to fit); returns where the next
 * item begins. */
static const wchar_t *nextItem(const wchar_t *list, const wchar_t *separators,
                               wchar_t *item, size_t size) {
  size_t length = wcscspn(list, separators);
  const wchar_t *next = list + length;
  if (length >= size) length = size - 1;
  wmemcpy(item, list, length);
  item[length] = L'\0';
  return *next != L'\0' ? next + 1 : next;
}

/* The ";"-separated entries of `list`, each by its long name where it
 * names a file or folder, as JSON strings. */
static void putLongEntries(FILE *out, const wchar_t *list) {
  wchar_t entry[4096], name[4096];
  for (int first = 1; *list != L'\0'; first = 0) {
    list = nextItem(list, L";", entry, sizeof entry / sizeof entry[0]);
    DWORD got = GetLongPathNameW(entry, name, sizeof name / sizeof name[0]);
    if (!first) fputc(',', out);
    putJsonString(out, got > 0 && got < sizeof name / sizeof name[0] ? name : entry);
  }
}

/* Number of complete lines in `path`; 0 when it does not exist yet. */
static int countLines(const wchar_t *path) {
  FILE *in = _wfopen(path, L"rb");
  if (in == NULL) return 0;
  int lines = 0, c;
  while ((c = fgetc(in)) != EOF)
    if (c == '\n') ++lines;
  fclose(in);
  return lines;
}

/* Reads line `index` (from 0) of the script into `line`; false if none. */
static int scriptLine(const wchar_t *path, int index, char *line, int size) {
  FILE *in = path ? _wfopen(path, L"r") : NULL;
  if (in == NULL) return 0;
  int found = 0;
  for (int i = 0; fgets(line, size, in) != NULL; ++i) {
    if (i == index) {
      found = 1;
      break;
    }
  }
  fclose(in);
  return found;
}

#ifdef STANDIN_WINDOWED
/* Shows the window a GUI application would; it lives until the process
 * ends. */
static void openWindow(const wchar_t *title, int minimized) {
  WNDCLASSW windowClass;
  memset(&windowClass, 0, sizeof windowClass);
  windowClass.lpfnWndProc = DefWindowProcW;
  windowClass.hInstance = GetModuleHandleW(NULL);
  windowClass.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
  windowClass.lpszClassName = L"KiteStandin";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, L"KiteStandin", title, WS_OVERLAPPEDWINDOW, 100, 100, 400,
                                300, NULL, NULL, windowClass.hInstance, NULL);
  ShowWindow(window, minimized ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
  UpdateWindow(window);
}

#endif

/* Sleeps `delay` ms, handling window messages meanwhile (windowed build),
 * and returns early once `stopPath` (if given) exists. */
static void sleepAttentively(DWORD delay, const wchar_t *stopPath) {
  const DWORD start = GetTickCount();
  for (;;) {
#ifdef STANDIN_WINDOWED
    MSG message;
    while (PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
#endif
    if (stopPath != NULL && GetFileAttributesW(stopPath) != INVALID_FILE_ATTRIBUTES) return;
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed >= delay) return;
    const DWORD step = delay - elapsed < 100 ? delay - elapsed : 100;
#ifdef STANDIN_WINDOWED
    MsgWaitForMultipleObjects(0, NULL, FALSE, step, QS_ALLINPUT);
#else
    Sleep(step);
#endif
  }
}

/* The id of the process that started this one; 0 when it cannot be told. */
static unsigned long parentId(void) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry;
  entry.dwSize = sizeof entry;
  unsigned long parent = 0;
  for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry))
    if (entry.th32ProcessID == GetCurrentProcessId()) parent = entry.th32ParentProcessID;
  CloseHandle(snapshot);
  return parent;
}

/* Starts this program again with its log in `log`; not waited for. */
static void spawnAgain(const wchar_t *log) {
  wchar_t self[4096];
  GetModuleFileNameW(NULL, self, sizeof self / sizeof self[0]);
  wchar_t *oldLog = _wgetenv(L"KITE_STANDIN_LOG");
  SetEnvironmentVariableW(L"KITE_STANDIN_LOG", log);
  SetEnvironmentVariableW(L"KITE_STANDIN_SPAWN", NULL);
  STARTUPINFOW si;
  memset(&si, 0, sizeof si);
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  if (CreateProcessW(self, NULL, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi)) {
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  SetEnvironmentVariableW(L"KITE_STANDIN_LOG", oldLog);
}

static LONG WINAPI endOnException(EXCEPTION_POINTERS *info) {
  (void)info;
  return EXCEPTION_EXECUTE_HANDLER;
}

#ifdef STANDIN_JLI
/* The calls the library was given, in order, as text. */
static char jliCalls[2048];
#define STANDIN_MAIN static int standinMain
#else
#define STANDIN_MAIN int wmain
#endif

STANDIN_MAIN(int argc, wchar_t **argv) {
  const wchar_t *logPath = _wgetenv(L"KITE_STANDIN_LOG");
  const wchar_t *scriptPath = _wgetenv(L"KITE_STANDIN_SCRIPT");
  const wchar_t *holdPath = _wgetenv(L"KITE_STANDIN_HOLD");
  const wchar_t *stopPath = _wgetenv(L"KITE_STANDIN_STOP");
  int run = logPath ? countLines(logPath) : 0;

  /* Never closed: the handle goes when the process ends. */
  if (holdPath != NULL &&
      CreateFileW(holdPath, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL) ==
          INVALID_HANDLE_VALUE)
    return 3;

  wchar_t cwd[4096] = L"";
  GetCurrentDirectoryW(sizeof cwd / sizeof cwd[0], cwd);
  STARTUPINFOW si;
  memset(&si, 0, sizeof si);
  si.cb = sizeof si;
  GetStartupInfoW(&si);
  wchar_t consoleTitle[4096];
  const DWORD titleSize = sizeof consoleTitle / sizeof consoleTitle[0];
  const wchar_t *consoleTitleOrNull =
      GetConsoleTitleW(consoleTitle, titleSize) > 0 ? consoleTitle : NULL;

  if (logPath != NULL) {
    FILE *out = _wfopen(logPath, L"ab");
    if (out != NULL) {
      fprintf(out, "{\"run\":%d,\"pid\":%lu,\"cmdline\":", run,
              (unsigned long)GetCurrentProcessId());
      putJsonString(out, GetCommandLineW());
      fputs(",\"argv\":[", out);
      for (int i = 0; i < argc; ++i) {
        if (i > 0) fputc(',', out);
        putJsonString(out, argv[i]);
      }
      fputs("],\"cwd\":", out);
      putJsonString(out, cwd);
      fputs(",\"startup_title\":", out);
      putJsonString(out, si.lpTitle);
      fputs(",\"console_title\":", out);
      putJsonString(out, consoleTitleOrNull);
      fputs(",\"ansi_argv\":[", out);
      putAnsiArguments(out);
      fputs("],\"argfiles\":[", out);
      for (int i = 1, first = 1; i < argc; ++i) {
        if (argv[i][0] != L'@') continue;
        if (!first) fputc(',', out);
        first = 0;
        putAnsiFile(out, argv[i] + 1);
      }
      fputs("],\"class_path_long\":[", out);
      for (int i = 1; i + 1 < argc; ++i)
        if (wcscmp(argv[i], L"-classpath") == 0) putLongEntries(out, argv[i + 1]);
      fprintf(out, "],\"acp\":%u,\"startup_flags\":%lu,\"parent\":%lu,\"process\":",
              (unsigned)GetACP(), (unsigned long)si.dwFlags, parentId());
      wchar_t self[4096] = L"";
      GetModuleFileNameW(NULL, self, sizeof self / sizeof self[0]);
      putJsonString(out, self);
      BOOL inJob = FALSE;
      IsProcessInJob(GetCurrentProcess(), NULL, &inJob);
      fprintf(out, ",\"in_job\":%s,\"loaded\":", inJob ? "true" : "false");
      const wchar_t *loadName = _wgetenv(L"KITE_STANDIN_LOADLIB");
      HMODULE loaded = loadName ? LoadLibraryW(loadName) : NULL;
      wchar_t loadedPath[4096] = L"";
      if (loaded) GetModuleFileNameW(loaded, loadedPath, sizeof loadedPath / sizeof loadedPath[0]);
      putJsonString(out, loaded ? loadedPath : NULL);
      fputs(",\"jli\":", out);
#ifdef STANDIN_JLI
      fputc('"', out);
      fputs(jliCalls, out);
      fputc('"', out);
#else
      fputs("null", out);
#endif
      fputs(",\"env\":{", out);
      const wchar_t *names = _wgetenv(L"KITE_STANDIN_ENV");
      wchar_t name[256];
      for (int first = 1; names != NULL && *names != L'\0'; first = 0) {
        names = nextItem(names, L",", name, sizeof name / sizeof name[0]);
        if (!first) fputc(',', out);
        putJsonString(out, name);
        fputc(':', out);
        putJsonString(out, _wgetenv(name));
      }
      fputs("}}\n", out);
      fclose(out);
    }
  }

  if (_wgetenv(L"KITE_STANDIN_ECHO") != NULL) {
    printf("out %d\n", run);
    fflush(stdout);
    fprintf(stderr, "err %d\n", run);
    fflush(stderr);
    char input[512];
    while (fgets(input, sizeof input, stdin) != NULL) {
      input[strcspn(input, "\r\n")] = '\0';
      printf("in %s\n", input);
    }
    fflush(stdout);
  }
#ifdef STANDIN_WINDOWED
  const wchar_t *windowTitle = _wgetenv(L"KITE_STANDIN_WINDOW");
  if (windowTitle != NULL) openWindow(windowTitle, _wgetenv(L"KITE_STANDIN_MINIMIZED") != NULL);
#endif

  char line[256];
  if (!scriptLine(scriptPath, run, line, sizeof line)) return 0;
  if (strncmp(line, "crash", 5) == 0) {
    long crashDelay = atol(line + 5);
    if (crashDelay > 0) Sleep((DWORD)crashDelay);
    /* No crash dialog and no debugger: the unhandled access violation
     * simply ends the process with its exception code. */
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(endOnException);
    *(volatile int *)NULL = 0;
    return 0;
  }
  long code = 0, delay = 0;
  sscanf(line, "%ld %ld", &code, &delay);
  const wchar_t *spawnLog = _wgetenv(L"KITE_STANDIN_SPAWN");
  if (spawnLog != NULL) spawnAgain(spawnLog);
  if (delay > 0) sleepAttentively((DWORD)delay, stopPath);
  const wchar_t *endedPath = _wgetenv(L"KITE_STANDIN_ENDED");
  FILE *ended = endedPath ? _wfopen(endedPath, L"ab") : NULL;
  if (ended != NULL) {
    fprintf(ended, "ended %lu\n", (unsigned long)GetCurrentProcessId());
    fclose(ended);
  }
  return (int)code;
}

#ifdef STANDIN_JLI
#ifdef STANDIN_STDCALL
#define JLICALL __stdcall
#else
#define JLICALL __cdecl
#endif

struct StdArg {
  char *arg;
  unsigned char has_wildcard;
};
static struct StdArg *stdArgs;
static int stdArgc;

static void noteCall(const char *text) {
  strncat(jliCalls, text, sizeof jliCalls - strlen(jliCalls) - 1);
}

__declspec(dllexport) void JLICALL JLI_InitArgProcessing(unsigned char hasJavaArgs,
                                                        unsigned char disableArgFile) {
  char text[64];
  snprintf(text, sizeof text, "InitArgProcessing(%d,%d) ", hasJavaArgs, disableArgFile);
  noteCall(text);
}

/* Splits the ANSI command line as Windows splits the wide one. */
__declspec(dllexport) void JLICALL JLI_CmdToArgs(char *line) {
  noteCall("CmdToArgs ");
  int units = MultiByteToWideChar(CP_ACP, 0, line, -1, NULL, 0);
  wchar_t *wide = calloc((size_t)units + 1, sizeof *wide);
  MultiByteToWideChar(CP_ACP, 0, line, -1, wide, units);
  wchar_t **args = CommandLineToArgvW(wide, &stdArgc);
  stdArgs = calloc((size_t)stdArgc + 1, sizeof *stdArgs);
  for (int i = 0; i < stdArgc; ++i) {
    int bytes = WideCharToMultiByte(CP_ACP, 0, args[i], -1, NULL, 0, NULL, NULL);
    stdArgs[i].arg = calloc((size_t)bytes + 1, 1);
    WideCharToMultiByte(CP_ACP, 0, args[i], -1, stdArgs[i].arg, bytes, NULL, NULL);
  }
  LocalFree(args);
  free(wide);
}

__declspec(dllexport) int JLICALL JLI_GetStdArgc(void) {
  noteCall("GetStdArgc ");
  return stdArgc;
}

__declspec(dllexport) struct StdArg *JLICALL JLI_GetStdArgs(void) {
  noteCall("GetStdArgs ");
  return stdArgs;
}

__declspec(dllexport) int JLICALL JLI_Launch(int argc, char **argv, int jargc,
                                             const char **jargv, int appclassc,
                                             const char **appclassv, const char *fullversion,
                                             const char *dotversion, const char *pname,
                                             const char *lname, unsigned char javaargs,
                                             unsigned char cpwildcard, unsigned char javaw,
                                             int ergo) {
  char text[512];
  snprintf(text, sizeof text,
           "Launch(jargc=%d,jargv=%s,appclassc=%d,appclassv=%s,fullversion=%s,dotversion=%s,"
           "pname=%s,lname=%s,javaargs=%d,cpwildcard=%d,javaw=%d,ergo=%d)",
           jargc, jargv ? "set" : "null", appclassc, appclassv ? "set" : "null", fullversion,
           dotversion, pname, lname, javaargs, cpwildcard, javaw, ergo);
  noteCall(text);
  wchar_t **wide = calloc((size_t)argc + 1, sizeof *wide);
  for (int i = 0; i < argc; ++i) {
    int units = MultiByteToWideChar(CP_ACP, 0, argv[i], -1, NULL, 0);
    wide[i] = calloc((size_t)units + 1, sizeof **wide);
    MultiByteToWideChar(CP_ACP, 0, argv[i], -1, wide[i], units);
  }
  return standinMain(argc, wide);
}
#endif
