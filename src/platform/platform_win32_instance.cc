// Win32 side of the platform seam for one instance of an application: the
// lock, the record of its holder, the window of a running instance, and the
// letter-case mapping its names go through.
//
// The lock is a named mutex in the session's own namespace ("Local\"), so
// each logon session (a second Remote Desktop logon too) has its own, and
// its name carries the user's SID, so another user in the same session
// (started with "runas") has another.  The system releases a mutex whose
// owner ends, however it ends; the next claim then finds it free or
// abandoned and takes it.  Beside it, a small named memory block holds the
// holder's process id: a second start reads it and looks for a window of
// the programs that holder started.  Both are made owned by the user and
// open to the user alone, and one found already there is trusted only when
// the user owns it: a process of another account in the session could
// otherwise take the name first (and no launch would start the
// application) or write the id of a process of its choosing.
#include <windows.h>

#include <tlhelp32.h>

#include <cstring>
#include <set>
#include <utility>
#include <vector>

#include "platform/platform_win32.h"
#include "platform/win32_handles.h"
#include "platform/win32_security.h"
#include "platform/win32_support.h"

namespace kite {
namespace {

struct HeldInstance {
  UniqueHandle mutex;
  UniqueHandle holder;  // the memory block with the holder's process id
};

// "Local\Kite.<kind>.<SID>.<name>".  The callers' names hold no backslash,
// which would make a path of the namespace.
WideText objectName(const char16_t* kind, const std::string& name) {
  return u"Local\\Kite." + WideText(kind) + u"." + userSidText() + u"." +
         toWide(name);
}

template <typename Function>
Function user32(const char* name) {
  return asFunction<Function>(user32Function(name));
}

// When the process was created, in 100 ns units; 0 when it cannot be told.
unsigned long long creationTime(DWORD pid) {
  // The limited right is all that is needed from Vista on; Windows XP
  // knows only the full one.
  UniqueHandle process(
      OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  if (!process)
    process.reset(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid));
  FILETIME created, exited, kernel, user;
  if (!process ||
      !GetProcessTimes(process.get(), &created, &exited, &kernel, &user))
    return 0;
  return static_cast<unsigned long long>(created.dwHighDateTime) << 32 |
         created.dwLowDateTime;
}

// `holder` and every process it started, directly or through others.  A
// process id names a parent only while that parent runs, and ids are
// reused: a process created before the one its parent id names is an
// orphan of an earlier process with that id, and not taken.
std::set<DWORD> familyOf(DWORD holder) {
  std::set<DWORD> family{holder};
  std::vector<PROCESSENTRY32W> processes;
  {
    const UniqueFileHandle snapshot(
        CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return family;
    PROCESSENTRY32W entry;
    std::memset(&entry, 0, sizeof entry);
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry))
      processes.push_back(entry);
  }
  for (bool grown = true; grown;) {
    grown = false;
    for (const PROCESSENTRY32W& process : processes) {
      const DWORD pid = process.th32ProcessID;
      const DWORD parent = process.th32ParentProcessID;
      if (pid == parent || family.count(pid) || !family.count(parent)) continue;
      const unsigned long long born = creationTime(pid);
      if (born == 0 || born < creationTime(parent)) continue;
      family.insert(pid);
      grown = true;
    }
  }
  return family;
}

struct WindowSearch {
  const std::set<DWORD>* family;
  HWND found;
};

// The first visible window without an owner that belongs to the family, in
// the order of the windows on the screen from the top: the main window the
// user used last (dialogs and tool windows have an owner).
BOOL CALLBACK takeMainWindow(HWND window, LPARAM data) {
  static const auto isVisible = user32<BOOL(WINAPI*)(HWND)>("IsWindowVisible");
  static const auto getWindow = user32<HWND(WINAPI*)(HWND, UINT)>("GetWindow");
  static const auto processOf = user32<DWORD(WINAPI*)(HWND, LPDWORD)>(
      "GetWindowThreadProcessId");
  WindowSearch& search = *reinterpret_cast<WindowSearch*>(data);
  if (!isVisible || !getWindow || !processOf) return FALSE;
  DWORD pid = 0;
  if (!isVisible(window) || getWindow(window, GW_OWNER) ||
      !processOf(window, &pid) || !search.family->count(pid))
    return TRUE;
  search.found = window;
  return FALSE;
}

// The holder's process id from its memory block; 0 when there is none.
DWORD holderOf(const std::string& name) {
  // READ_CONTROL, to read its owner.
  const UniqueHandle block(
      OpenFileMappingW(FILE_MAP_READ | READ_CONTROL, FALSE,
                       wideChars(objectName(u"Holder", name))));
  if (!block || !ownedByUser(block.get(), SE_KERNEL_OBJECT)) return 0;
  DWORD pid = 0;
  const UniqueMappedView view(
      MapViewOfFile(block.get(), FILE_MAP_READ, 0, 0, sizeof pid));
  if (view) std::memcpy(&pid, view.get(), sizeof pid);
  return pid;
}

}  // namespace

std::string Win32Platform::lowerCase(const std::string& text) {
  // The invariant locale: the same mapping whatever the user's language,
  // so two users of one machine name an instance alike.
  WideText wide = toWide(text);
  if (wide.empty()) return text;
  const int size = static_cast<int>(wide.size());
  const int needed = LCMapStringW(LOCALE_INVARIANT, LCMAP_LOWERCASE,
                                  wideChars(wide), size, nullptr, 0);
  if (needed <= 0) return text;
  WideText lower(static_cast<size_t>(needed), u'\0');
  if (LCMapStringW(LOCALE_INVARIANT, LCMAP_LOWERCASE, wideChars(wide), size,
                   wideChars(lower), needed) != needed)
    return text;
  return fromWide(lower);
}

InstanceClaim Win32Platform::claimInstance(const std::string& name,
                                           InstanceLock* lock) {
  // Without the user's SID nothing can be made the user's alone.
  OwnerOnlySecurity security;
  if (!security.get()) return InstanceClaim::kFailed;
  UniqueHandle mutex(CreateMutexW(security.get(), FALSE,
                                  wideChars(objectName(u"Instance", name))));
  // Denied: an object of that name that the user may not use.
  if (!mutex)
    return GetLastError() == ERROR_ACCESS_DENIED ? InstanceClaim::kForeign
                                                 : InstanceClaim::kFailed;
  if (GetLastError() == ERROR_ALREADY_EXISTS &&
      !ownedByUser(mutex.get(), SE_KERNEL_OBJECT))
    return InstanceClaim::kForeign;
  // Abandoned: its holder ended without releasing it (killed, say); the
  // lock is this process's now all the same.
  const DWORD wait = WaitForSingleObject(mutex.get(), 0);
  if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED)
    return wait == WAIT_TIMEOUT ? InstanceClaim::kHeld : InstanceClaim::kFailed;
  // Without the record a second start finds no window to show; it still
  // starts nothing, so the lock is kept either way.
  const DWORD pid = GetCurrentProcessId();
  UniqueHandle holder(CreateFileMappingW(
      INVALID_HANDLE_VALUE, security.get(), PAGE_READWRITE, 0, sizeof pid,
      wideChars(objectName(u"Holder", name))));
  if ((!holder && GetLastError() == ERROR_ACCESS_DENIED) ||
      (holder && GetLastError() == ERROR_ALREADY_EXISTS &&
       !ownedByUser(holder.get(), SE_KERNEL_OBJECT))) {
    ReleaseMutex(mutex.get());
    return InstanceClaim::kForeign;
  }
  if (holder) {
    const UniqueMappedView view(
        MapViewOfFile(holder.get(), FILE_MAP_WRITE, 0, 0, sizeof pid));
    if (view) std::memcpy(view.get(), &pid, sizeof pid);
  }
  *lock = reinterpret_cast<InstanceLock>(
      new HeldInstance{std::move(mutex), std::move(holder)});
  return InstanceClaim::kTaken;
}

void Win32Platform::releaseInstance(InstanceLock lock) {
  HeldInstance* held = reinterpret_cast<HeldInstance*>(lock);
  ReleaseMutex(held->mutex.get());
  delete held;
}

bool Win32Platform::showInstanceWindow(const std::string& name) {
  const DWORD holder = holderOf(name);
  if (holder == 0) return false;
  const std::set<DWORD> family = familyOf(holder);
  WindowSearch search{&family, nullptr};
  const auto enumWindows =
      user32<BOOL(WINAPI*)(WNDENUMPROC, LPARAM)>("EnumWindows");
  const auto isIconic = user32<BOOL(WINAPI*)(HWND)>("IsIconic");
  const auto showWindow = user32<BOOL(WINAPI*)(HWND, int)>("ShowWindow");
  const auto setForeground =
      user32<BOOL(WINAPI*)(HWND)>("SetForegroundWindow");
  if (!enumWindows || !isIconic || !showWindow || !setForeground) return false;
  enumWindows(takeMainWindow, reinterpret_cast<LPARAM>(&search));
  if (!search.found) return false;
  if (isIconic(search.found)) showWindow(search.found, SW_RESTORE);
  setForeground(search.found);
  return true;
}

}  // namespace kite
