/* A DLL that reports being loaded: a stand-in for a DLL someone placed
 * beside the launcher under the name of a system DLL.
 *
 * Environment:
 *   KITE_PLANTED_MARKER  file to which the DLL, when a process loads it,
 *                        appends its own full path and a line end
 *
 * Copies of it are placed in an application's folder as version.dll,
 * imm32.dll and so on; a marker file that exists after a run therefore names
 * every copy that was loaded.  It uses kernel32 alone, so loading it pulls
 * in nothing that could itself be looked for beside the launcher.  It exports
 * none of the functions of the DLLs it poses as; a process that loads it
 * in their place may fail afterwards, which does not matter here. */
#include <windows.h>

static void appendOwnPath(HINSTANCE self) {
  char marker[MAX_PATH + 1];
  const DWORD markerLength =
      GetEnvironmentVariableA("KITE_PLANTED_MARKER", marker, sizeof marker);
  if (markerLength == 0 || markerLength >= sizeof marker) return;
  char line[MAX_PATH + 3];
  DWORD length = GetModuleFileNameA(self, line, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) return;
  line[length++] = '\r';
  line[length++] = '\n';
  /* FILE_APPEND_DATA alone: every write goes to the end of the file, so the
   * lines of several loads (in one process or several) never overwrite
   * each other. */
  const HANDLE file =
      CreateFileA(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, line, length, &written, NULL);
  CloseHandle(file);
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)reserved;
  if (reason == DLL_PROCESS_ATTACH) appendOwnPath(self);
  return TRUE;
}
