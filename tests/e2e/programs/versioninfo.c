/* Reads a file's version resource, manifest and main icon group the way
 * Windows programs do, and prints them as one JSON object in UTF-8:
 *
 *   versioninfo.exe FILE
 *
 *   {"fixed":{"fileVersion":"2.3.1.0","productVersion":"2.3.1.0"},
 *    "translation":"040904b0",
 *    "strings":{"ProductName":"...",...},   (null for a missing string)
 *    "manifest":"<?xml ..."|null,           (RT_MANIFEST 1, as it is stored)
 *    "icons":[{"width":16,"height":16,"bits":32,"id":1,"size":1128,
 *              "decoded":true},...]}        (RT_GROUP_ICON 101 and its images)
 *
 * The version resource comes from GetFileVersionInfoW and VerQueryValueW
 * (the strings of the first translation), the rest from the file loaded as
 * data (LoadLibraryExW with LOAD_LIBRARY_AS_DATAFILE); "decoded" says whether
 * CreateIconFromResourceEx makes an icon of the image.  Exits 0, or 1 with
 * {"error":"..."} when the file has no version resource. */
#include <stdio.h>
#include <stdlib.h>
#include <windows.h>

static const wchar_t *const kStrings[] = {
    L"ProductName",      L"FileDescription", L"CompanyName",
    L"LegalCopyright",   L"FileVersion",     L"ProductVersion",
    L"OriginalFilename", L"InternalName",    L"Comments"};

/* Writes `bytes` (UTF-8) as a JSON string. */
static void putUtf8(const char *bytes, size_t size) {
  putchar('"');
  for (size_t i = 0; i < size; ++i) {
    unsigned char c = (unsigned char)bytes[i];
    if (c == '"' || c == '\\')
      printf("\\%c", c);
    else if (c < 0x20)
      printf("\\u%04x", c);
    else
      putchar(c);
  }
  putchar('"');
}

/* Writes a UTF-16 text as a JSON string in UTF-8; null when it is NULL. */
static void putWide(const wchar_t *text, int length) {
  if (text == NULL) {
    fputs("null", stdout);
    return;
  }
  int size = WideCharToMultiByte(CP_UTF8, 0, text, length, NULL, 0, NULL, NULL);
  char *bytes = malloc(size > 0 ? size : 1);
  WideCharToMultiByte(CP_UTF8, 0, text, length, bytes, size, NULL, NULL);
  putUtf8(bytes, size > 0 ? (size_t)size : 0);
  free(bytes);
}

static void putVersion(const char *name, DWORD ms, DWORD ls) {
  printf("\"%s\":\"%u.%u.%u.%u\"", name, (unsigned)HIWORD(ms),
         (unsigned)LOWORD(ms), (unsigned)HIWORD(ls), (unsigned)LOWORD(ls));
}

/* The data of resource `id` of type `type` in `module`; NULL if none. */
static const void *resource(HMODULE module, WORD id, LPCWSTR type,
                            DWORD *size) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
  HGLOBAL loaded = found ? LoadResource(module, found) : NULL;
  *size = found ? SizeofResource(module, found) : 0;
  return loaded ? LockResource(loaded) : NULL;
}

#pragma pack(push, 2)
typedef struct {
  BYTE width, height, colours, reserved;
  WORD planes, bits;
  DWORD size;
  WORD id;
} GroupEntry;
#pragma pack(pop)

static void putIcons(HMODULE module) {
  DWORD size = 0;
  const BYTE *group = resource(module, 101, (LPCWSTR)RT_GROUP_ICON, &size);
  fputs("\"icons\":[", stdout);
  WORD count = group && size >= 6 ? *(const WORD *)(group + 4) : 0;
  for (WORD i = 0; i < count && 6 + 14u * (i + 1) <= size; ++i) {
    const GroupEntry *entry = (const GroupEntry *)(group + 6 + 14 * i);
    int width = entry->width ? entry->width : 256;
    int height = entry->height ? entry->height : 256;
    DWORD imageSize = 0;
    const BYTE *image =
        resource(module, entry->id, (LPCWSTR)RT_ICON, &imageSize);
    HICON icon = image ? CreateIconFromResourceEx((PBYTE)image, imageSize, TRUE,
                                                  0x00030000, width, height, 0)
                       : NULL;
    printf(
        "%s{\"width\":%d,\"height\":%d,\"bits\":%u,\"id\":%u,\"size\":%lu,"
        "\"decoded\":%s}",
        i ? "," : "", width, height, (unsigned)entry->bits, (unsigned)entry->id,
        (unsigned long)imageSize, icon ? "true" : "false");
    if (icon) DestroyIcon(icon);
  }
  putchar(']');
}

int wmain(int argc, wchar_t **argv) {
  if (argc != 2) {
    fputs("usage: versioninfo FILE\n", stderr);
    return 2;
  }
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(argv[1], &ignored);
  void *info = size ? malloc(size) : NULL;
  if (info == NULL || !GetFileVersionInfoW(argv[1], 0, size, info)) {
    printf("{\"error\":\"no version resource (error %lu)\"}\n",
           (unsigned long)GetLastError());
    return 1;
  }
  VS_FIXEDFILEINFO *fixed = NULL;
  UINT length = 0;
  fputs("{\"fixed\":", stdout);
  if (VerQueryValueW(info, L"\\", (void **)&fixed, &length) &&
      length >= sizeof *fixed) {
    putchar('{');
    putVersion("fileVersion", fixed->dwFileVersionMS, fixed->dwFileVersionLS);
    putchar(',');
    putVersion("productVersion", fixed->dwProductVersionMS,
               fixed->dwProductVersionLS);
    putchar('}');
  } else {
    fputs("null", stdout);
  }

  WORD *translation = NULL;
  wchar_t block[64];
  if (VerQueryValueW(info, L"\\VarFileInfo\\Translation", (void **)&translation,
                     &length) &&
      length >= 4) {
    swprintf(block, 64, L"%04x%04x", translation[0], translation[1]);
    printf(",\"translation\":\"%ls\",\"strings\":{", block);
    for (size_t i = 0; i < sizeof kStrings / sizeof kStrings[0]; ++i) {
      wchar_t query[128];
      wchar_t *value = NULL;
      swprintf(query, 128, L"\\StringFileInfo\\%ls\\%ls", block, kStrings[i]);
      if (!VerQueryValueW(info, query, (void **)&value, &length)) value = NULL;
      printf("%s\"%ls\":", i ? "," : "", kStrings[i]);
      /* The length counts the terminating zero when there is one. */
      while (value && length > 0 && value[length - 1] == 0) --length;
      putWide(value, value ? (int)length : 0);
    }
    putchar('}');
  } else {
    fputs(",\"translation\":null,\"strings\":{}", stdout);
  }
  free(info);

  fputs(",\"manifest\":", stdout);
  HMODULE module = LoadLibraryExW(argv[1], NULL, LOAD_LIBRARY_AS_DATAFILE);
  DWORD manifestSize = 0;
  const char *manifest =
      module ? resource(module, 1, (LPCWSTR)RT_MANIFEST, &manifestSize) : NULL;
  if (manifest)
    putUtf8(manifest, manifestSize);
  else
    fputs("null", stdout);
  putchar(',');
  if (module) {
    putIcons(module);
    FreeLibrary(module);
  } else {
    fputs("\"icons\":[]", stdout);
  }
  puts("}");
  return 0;
}
