/* The least a launcher can be: start one fixed command line and wait.
 *
 * It is the yardstick for Kite's launch overhead.  It reads no file, no
 * registry and no environment: it calls CreateProcessA the way Kite does
 * (no application name, handles inherited, no creation flags, the current
 * directory), waits for the child and exits with the child's exit code.
 *
 * The command line is the one Kite builds for the benchmark's typical
 * configuration (bench/wine_bench.py writes that configuration and checks
 * that both programs start the runtime with the very same text): the runtime
 * found in the registry, 5 JVM parameters, 50 jars of the directory "lib",
 * the main class and 3 arguments, each argument quoted and followed by a
 * space, as Kite writes them on Windows Vista and later.
 *
 * Built a second time with KITE_REFERENCE_WAIT_FOR_INPUT_IDLE defined
 * (referenceNN-idle.exe), it also waits for the child to be ready for input
 * as Kite does, which under Wine costs the loading of user32: the difference
 * between the two yardsticks is that cost. */
#include <windows.h>

#define JAR(n) "lib/module" #n ".jar;"
#define JARS(d)                                                           \
  JAR(d##0) JAR(d##1) JAR(d##2) JAR(d##3) JAR(d##4) JAR(d##5) JAR(d##6)  \
  JAR(d##7) JAR(d##8) JAR(d##9)

static const char kCommandLine[] =
    "\"C:\\jre\\1.6.0_30\\bin\\javaw.exe\" "
    "-Xms64m -Xmx512m -Dfile.encoding=UTF-8 -Dapp.mode=bench -XX:+UseSerialGC "
    "-classpath "
    /* module01 .. module50; the last entry has no ";" after it. */
    JAR(01) JAR(02) JAR(03) JAR(04) JAR(05) JAR(06) JAR(07) JAR(08) JAR(09)
    JARS(1) JARS(2) JARS(3) JARS(4) "lib/module50.jar "
    "com.example.app.Main \"--mode\" \"production\" \"C:\\data\\in.txt\" ";

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR line, int show) {
  (void)instance;
  (void)previous;
  (void)line;
  (void)show;
  /* CreateProcessA may write into the command line: give it a copy. */
  char writable[sizeof kCommandLine];
  CopyMemory(writable, kCommandLine, sizeof kCommandLine);
  STARTUPINFOA startup;
  PROCESS_INFORMATION process;
  ZeroMemory(&startup, sizeof startup);
  ZeroMemory(&process, sizeof process);
  startup.cb = sizeof startup;
  if (!CreateProcessA(NULL, writable, NULL, NULL, TRUE, 0, NULL, NULL, &startup,
                      &process))
    return 4;
  CloseHandle(process.hThread);
#ifdef KITE_REFERENCE_WAIT_FOR_INPUT_IDLE
  /* The second yardstick: also waits, as Kite does, until the child is
   * ready for input, with user32 loaded for that after the start. */
  {
    typedef DWORD(WINAPI * WaitForInputIdleFunction)(HANDLE, DWORD);
    HMODULE user32 = LoadLibraryA("user32.dll");
    WaitForInputIdleFunction waitForInputIdle =
        user32 ? (WaitForInputIdleFunction)(void (*)(void))GetProcAddress(
                     user32, "WaitForInputIdle")
               : NULL;
    if (waitForInputIdle) waitForInputIdle(process.hProcess, 5000);
  }
#endif
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  return (int)code;
}
