/* A stand-in Java runtime: records how it was started, then exits as told.
 *
 * Environment:
 *   KITE_STANDIN_LOG     file to which one record per run is appended
 *   KITE_STANDIN_SCRIPT  optional file with one line per run, in run order:
 *                          "CODE DELAY_MS"     sleep DELAY_MS, then exit CODE
 *                          "crash [DELAY_MS]"  sleep DELAY_MS (default 0),
 *                                              then end by an access violation
 *                        runs without a line exit 0 at once
 *   KITE_STANDIN_HOLD    optional file that the stand-in opens without
 *                        sharing before it records its run and keeps open
 *                        until it ends, so that no other process can open
 *                        it meanwhile
 *
 * The run index is the number of records already in the log, so a relaunched
 * stand-in takes the next script line.  A record is one JSON object on one
 * line:
 *   {"run":0,"pid":N,"cmdline":"...","argv":["...",...],"cwd":"...",
 *    "startup_title":"..."|null,"console_title":"..."|null}
 * where "pid" is its Windows process id.
 * Strings are byte strings: '"' and '\' are escaped, every byte below 0x20 or
 * above 0x7e is written as \u00XX, so decoding as Latin-1 gives the bytes. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

static void putJsonString(FILE *out, const char *text) {
  if (text == NULL) {
    fputs("null", out);
    return;
  }
  fputc('"', out);
  for (const unsigned char *p = (const unsigned char *)text; *p; ++p) {
    if (*p == '"' || *p == '\\')
      fprintf(out, "\\%c", *p);
    else if (*p < 0x20 || *p > 0x7e)
      fprintf(out, "\\u%04x", *p);
    else
      fputc(*p, out);
  }
  fputc('"', out);
}

/* Number of complete lines in `path`; 0 when it does not exist yet. */
static int countLines(const char *path) {
  FILE *in = fopen(path, "rb");
  if (in == NULL) return 0;
  int lines = 0, c;
  while ((c = fgetc(in)) != EOF)
    if (c == '\n') ++lines;
  fclose(in);
  return lines;
}

/* Reads line `index` (from 0) of the script into `line`; false if none. */
static int scriptLine(const char *path, int index, char *line, int size) {
  FILE *in = path ? fopen(path, "r") : NULL;
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

static LONG WINAPI endOnException(EXCEPTION_POINTERS *info) {
  (void)info;
  return EXCEPTION_EXECUTE_HANDLER;
}

int main(int argc, char **argv) {
  const char *logPath = getenv("KITE_STANDIN_LOG");
  const char *scriptPath = getenv("KITE_STANDIN_SCRIPT");
  const char *holdPath = getenv("KITE_STANDIN_HOLD");
  int run = logPath ? countLines(logPath) : 0;

  /* Never closed: the handle goes when the process ends. */
  if (holdPath != NULL &&
      CreateFileA(holdPath, GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL) ==
          INVALID_HANDLE_VALUE)
    return 3;

  char cwd[4096] = "";
  GetCurrentDirectoryA(sizeof cwd, cwd);
  STARTUPINFOA si;
  memset(&si, 0, sizeof si);
  si.cb = sizeof si;
  GetStartupInfoA(&si);
  char consoleTitle[4096];
  const char *consoleTitleOrNull =
      GetConsoleTitleA(consoleTitle, sizeof consoleTitle) > 0 ? consoleTitle : NULL;

  if (logPath != NULL) {
    FILE *out = fopen(logPath, "ab");
    if (out != NULL) {
      fprintf(out, "{\"run\":%d,\"pid\":%lu,\"cmdline\":", run,
              (unsigned long)GetCurrentProcessId());
      putJsonString(out, GetCommandLineA());
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
      fputs("}\n", out);
      fclose(out);
    }
  }

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
  if (delay > 0) Sleep((DWORD)delay);
  return (int)code;
}
