/* Starts one program with an exact command line and waits for it.
 *
 * Environment:
 *   KITE_STARTER_EXE      the executable to start (CreateProcessW's
 *                         application name)
 *   KITE_STARTER_CMDLINE  the command line it receives, argv[0] included
 *   KITE_STARTER_DIR      optional current directory for it
 *
 * The values come from the environment, not from the starter's own command
 * line, so they reach CreateProcessW without another round of quoting, and
 * as wide strings, so any character arrives whatever the ANSI code page.
 * Standard handles are inherited.  Once the child runs, the starter writes
 * "kite-starter: child pid XXXX" (the child's process id in hex, as Wine's
 * debug output prints it) to standard error, so the test can tell the
 * child's debug lines from its own.  The starter exits with the child's exit
 * code, or with 250 when the child could not be started; since a Unix exit
 * status keeps only 8 bits, it also writes "kite-starter: exit code N" (all
 * 32 bits, unsigned) to standard error before it ends. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

int main(void) {
  const wchar_t *exe = _wgetenv(L"KITE_STARTER_EXE");
  const wchar_t *cmdline = _wgetenv(L"KITE_STARTER_CMDLINE");
  const wchar_t *dir = _wgetenv(L"KITE_STARTER_DIR");
  if (exe == NULL || cmdline == NULL) {
    fprintf(stderr, "starter: KITE_STARTER_EXE and KITE_STARTER_CMDLINE must be set\n");
    return 250;
  }
  if (dir != NULL && dir[0] == L'\0') dir = NULL;

  /* CreateProcessW may write into the command line: give it a copy. */
  wchar_t *writable = _wcsdup(cmdline);
  STARTUPINFOW si;
  PROCESS_INFORMATION pi;
  memset(&si, 0, sizeof si);
  memset(&pi, 0, sizeof pi);
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);

  if (!CreateProcessW(exe, writable, NULL, NULL, TRUE, 0, NULL, dir, &si, &pi)) {
    fprintf(stderr, "starter: CreateProcessW(%ls) failed, error %lu\n", exe,
            (unsigned long)GetLastError());
    return 250;
  }
  fprintf(stderr, "kite-starter: child pid %04lx\n", (unsigned long)pi.dwProcessId);
  fflush(stderr);
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 250;
  GetExitCodeProcess(pi.hProcess, &code);
  fprintf(stderr, "kite-starter: exit code %lu\n", (unsigned long)code);
  fflush(stderr);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return (int)code;
}
