// Runs the hosting copy's code as the launcher's copy does, on this host,
// against a real runtime's launcher library:
//   kite_host_probe LIBJLI ARGUMENT...
// hands ARGUMENT... (the program's name first) to the library and exits with
// what it returns.  Built without the sanitizers: the JVM uses SIGSEGV on
// purpose and keeps its memory to the end.
#include <string>
#include <vector>

#include "launcher/app_process.h"
#include "platform/platform_posix.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  kite::PosixPlatform platform;
  kite::HostRequest request;
  request.library = argv[1];
  request.version = "17";
  request.javaw = false;
  return kite::hostRuntime(
      request, std::vector<std::string>(argv + 2, argv + argc), platform);
}
