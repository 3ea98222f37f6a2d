// POSIX side of the seam for the application's own process: libraries are
// loaded with dlopen, so a host test can run the hosting code against a
// real runtime's libjli.so.  Processes are not started here.
#include <dlfcn.h>

#include "platform/platform_posix.h"
#include "platform/word_call.h"

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

std::intptr_t PosixPlatform::callExport(void* function,
                                        const std::uintptr_t* args,
                                        int count) {
  return callWithWords(function, args, count);
}

}  // namespace kite
