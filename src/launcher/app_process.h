// The application's own process ("appProcess", "appUserModelId",
// "endWithLauncher"): how the launch starts it, and the hosting copy of the
// launcher that runs the runtime's launcher library in place of
// java.exe / javaw.exe.
#ifndef KITE_LAUNCHER_APP_PROCESS_H_
#define KITE_LAUNCHER_APP_PROCESS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "base/launch_settings.h"
#include "platform/platform.h"

namespace kite {

// The names under which a runtime's launcher library exports its entry:
// undecorated, or as a 32-bit __stdcall function is decorated.
inline constexpr const char* kLaunchExportNames[] = {
    "JLI_Launch", "_JLI_Launch@56", "JLI_Launch@56"};

// Whether the launch runs the runtime itself, and why not.
struct HostingVerdict {
  bool hosted = false;
  std::string library;  // the runtime's jli.dll, beside its executable
  std::string why;      // one line: why it is or is not hosted
};

// The machine this launcher is built for: kMachineI386 or kMachineAmd64.
std::uint16_t launcherMachine();

// Judges "appProcess on" for the runtime whose executable is `executable`
// (unquoted): hosted when its jli.dll exists, is a library of the
// launcher's machine `launcher` (x86 for a 32-bit launcher, x64 for a
// 64-bit one; 0: whichever the library is) exporting JLI_Launch, and the
// launch is not in debug mode.  `launcherPath` is the launcher's own file:
// a runtime's launcher library looks for the runtime beside the program
// first (the folder above the program's, and its "jre" folder), so where
// another runtime lies there the launcher does not host.
HostingVerdict judgeHosting(const LaunchSettings& settings, Platform& platform,
                            const std::string& executable,
                            std::uint16_t launcher,
                            const std::string& launcherPath);

// The keys' values as the launch uses them.
bool wantsAppProcess(const LaunchSettings& settings);
EndWithLauncher endWithLauncher(const LaunchSettings& settings);
// The AppUserModelID the launch gives; empty when unset or invalid (more
// than 128 characters, or a space).
std::string appUserModelId(const LaunchSettings& settings);
// Whether any of the three keys changes how the process is started.
bool startsOwnProcess(const LaunchSettings& settings);

// The hosting copy's whole run: loads the library `request` names and
// hands it this process's command line as java.exe would (javaw.exe's way
// for request.javaw); returns the application's exit code, or
// kExitStartFailed after saying why the library could not be run.  `argv`
// is used only where the library has no JLI_CmdToArgs (a POSIX one).
int hostRuntime(const HostRequest& request,
                const std::vector<std::string>& argv, Platform& platform);

}  // namespace kite

#endif  // KITE_LAUNCHER_APP_PROCESS_H_
