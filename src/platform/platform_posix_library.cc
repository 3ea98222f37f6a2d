// POSIX side of the seam for the application's own process: libraries are
// loaded with dlopen, so a host test can run the hosting code against a
// real runtime's libjli.so.  Processes are not started here.
#include <dlfcn.h>

#include "platform/platform_posix.h"

namespace kite {

bool PosixPlatform::startApplication(const std::string&, ApplicationStart&,
                                     ChildProcess*, std::string* error) {
  *error = "starting a process is not available on this platform";
  return false;
}

// `folder` has no meaning here: a shared library finds what it needs
// through its own run path, as libjli.so does.
LoadedLibrary PosixPlatform::loadLibrary(const std::string& path,
                                         const std::string&,
                                         std::string* error) {
  void* library = ::dlopen(path.c_str(), RTLD_NOW | RTLD_GLOBAL);
  if (!library) {
    const char* why = ::dlerror();
    *error = why ? why : "cannot be loaded";
    return 0;
  }
  return reinterpret_cast<LoadedLibrary>(library);
}

void* PosixPlatform::findExport(LoadedLibrary library, const char* name) {
  return ::dlsym(reinterpret_cast<void*>(library), name);
}

// One calling convention here: every integer or pointer argument takes one
// register or stack slot of the width of a pointer, so a function of up to
// fourteen such arguments is called through one of this type.
std::intptr_t PosixPlatform::callExport(void* function,
                                        const std::uintptr_t* args,
                                        int count) {
  using Word = std::uintptr_t;
  using Call = std::intptr_t (*)(Word, Word, Word, Word, Word, Word, Word,
                                 Word, Word, Word, Word, Word, Word, Word);
  Word a[14] = {};
  for (int i = 0; i < count && i < 14; ++i) a[i] = args[i];
  // Extra arguments are harmless: the callee never reads them.
  return reinterpret_cast<Call>(function)(a[0], a[1], a[2], a[3], a[4], a[5],
                                          a[6], a[7], a[8], a[9], a[10], a[11],
                                          a[12], a[13]);
}

}  // namespace kite
