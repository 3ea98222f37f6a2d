// Owners of Win32 handles: each kind of handle (kernel objects, files,
// searches, registry keys, loaded libraries, mapped views, LocalAlloc'd
// memory) gets one move-only type that closes it in its destructor, so no
// return path of a function can leak one.  Each is a single pointer-sized
// member with inline functions, costing no more code than the calls it
// replaces.  Windows only.
#ifndef KITE_PLATFORM_WIN32_HANDLES_H_
#define KITE_PLATFORM_WIN32_HANDLES_H_

#include <windows.h>

namespace kite {

// `Traits` gives the handle's type, the value that means "none"
// (invalid()) and the call that closes one (close()).
template <typename Traits>
class UniqueWin32 {
 public:
  using Type = typename Traits::Type;

  UniqueWin32() = default;
  explicit UniqueWin32(Type value) : value_(value) {}
  ~UniqueWin32() { reset(); }
  UniqueWin32(UniqueWin32&& other) noexcept : value_(other.release()) {}
  UniqueWin32& operator=(UniqueWin32&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueWin32(const UniqueWin32&) = delete;
  UniqueWin32& operator=(const UniqueWin32&) = delete;

  Type get() const { return value_; }
  explicit operator bool() const { return value_ != Traits::invalid(); }
  // Gives the handle up without closing it.
  Type release() {
    const Type value = value_;
    value_ = Traits::invalid();
    return value;
  }
  // Closes the handle held, if any, and holds `value`.
  void reset(Type value = Traits::invalid()) {
    if (value_ != Traits::invalid()) Traits::close(value_);
    value_ = value;
  }
  // For a function that returns a handle through a pointer: closes the
  // one held and gives the place of the new one.
  Type* put() {
    reset();
    return &value_;
  }

 private:
  Type value_ = Traits::invalid();
};

namespace win32_traits {

// Kernel objects that are null when missing: processes, threads, tokens,
// mutexes, file mappings, job objects.
struct Handle {
  using Type = HANDLE;
  static Type invalid() { return nullptr; }
  static void close(Type value) { CloseHandle(value); }
};
// Handles that are INVALID_HANDLE_VALUE when missing: files, snapshots.
struct FileHandle {
  using Type = HANDLE;
  static Type invalid() { return INVALID_HANDLE_VALUE; }
  static void close(Type value) { CloseHandle(value); }
};
struct FindHandle {
  using Type = HANDLE;
  static Type invalid() { return INVALID_HANDLE_VALUE; }
  static void close(Type value) { FindClose(value); }
};
struct RegistryKey {
  using Type = HKEY;
  static Type invalid() { return nullptr; }
  static void close(Type value) { RegCloseKey(value); }
};
struct Library {
  using Type = HMODULE;
  static Type invalid() { return nullptr; }
  static void close(Type value) { FreeLibrary(value); }
};
struct MappedView {
  using Type = void*;
  static Type invalid() { return nullptr; }
  static void close(Type value) { UnmapViewOfFile(value); }
};
struct LocalMemory {
  using Type = HLOCAL;
  static Type invalid() { return nullptr; }
  static void close(Type value) { LocalFree(value); }
};

}  // namespace win32_traits

using UniqueHandle = UniqueWin32<win32_traits::Handle>;
using UniqueFileHandle = UniqueWin32<win32_traits::FileHandle>;
using UniqueFindHandle = UniqueWin32<win32_traits::FindHandle>;
using UniqueRegistryKey = UniqueWin32<win32_traits::RegistryKey>;
using UniqueLibrary = UniqueWin32<win32_traits::Library>;
using UniqueMappedView = UniqueWin32<win32_traits::MappedView>;
using UniqueLocalMemory = UniqueWin32<win32_traits::LocalMemory>;

}  // namespace kite

#endif  // KITE_PLATFORM_WIN32_HANDLES_H_
