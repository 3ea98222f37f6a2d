// The one record of everything a launch needs.  The entry logic fills the
// flags, the start directory and the pass-through arguments; the
// configuration reader fills the rest; the command-line builder only reads.
// Plain data: nothing here acts.
#ifndef KITE_BASE_LAUNCH_SETTINGS_H_
#define KITE_BASE_LAUNCH_SETTINGS_H_

#include <string>
#include <vector>

#include "base/diagnostics.h"
#include "base/runtime_record.h"

namespace kite {

// Debug mode and the launch log ("logFile") are the Diagnostics part.
struct LaunchSettings : Diagnostics {
  std::string startDir;
  OptionalText configOverride;  // the path given with "-c"
  std::string configPath;       // the main configuration file, for messages
  bool alwaysQuote = false;
  // The console variant (kitec32.exe, kitec64.exe), set by its entry point:
  // it shares its console with the application and shows no message box.
  bool console = false;

  OptionalText mainClass;
  // A modular application ("-m module[/class]") or an executable jar
  // ("-jar file"), in place of the main class.
  OptionalText mainModule;
  OptionalText mainJar;
  OptionalText appName;
  OptionalText javaVersion;
  OptionalText javaPath;
  // What is known about the runtime javaPath names, once the launch has
  // decided on it; relaunches and the argument file use it.
  std::optional<RuntimeRecord> runtime;
  OptionalText consoleTitle;
  OptionalText workingDir;
  // A window of acceptable runtime versions, used where no "javapath" or
  // "javaVersion" line has set the runtime, and the page offered when no
  // installed runtime fits it.
  OptionalText javaMinVersion;
  OptionalText javaMaxVersion;
  OptionalText javaDownloadUrl;
  // "exitCode": "app" makes the launcher exit with the application's exit
  // code, "launcher" with its own (0 once the application has run); unset,
  // the GUI launcher exits with its own and the console variant with the
  // application's (launcher.h: exitsWithApplicationCode).
  OptionalText exitCode;
  // "on": one running instance per configuration file; another value: one
  // per name, shared by every configuration that gives it; "off" or unset:
  // no limit.
  OptionalText singleInstance;
  // A runtime shipped with the application (its home, relative to the start
  // directory), used before any other when its executable exists.
  OptionalText bundledRuntime;
  // "appProcess on": the runtime runs inside a copy of the launcher, so the
  // application's process carries the launcher's name, icon and version.
  OptionalText appProcess;
  // The taskbar identity of the application's windows (STARTUPINFO, and the
  // process's own for a hosting copy).
  OptionalText appUserModelId;
  // "on" or "tree": the application's process (with "tree" the processes it
  // starts) ends when the launcher ends.
  OptionalText endWithLauncher;

  // The lists only grow and keep the order of appending; they have no
  // capacity limit (the command-line length limit is checked at launch).
  std::vector<std::string> vmParams;
  std::vector<std::string> classPath;
  // The class-path entries "addjars" found (their indices): they name jars
  // in a folder of the start directory.
  std::vector<size_t> scannedJars;
  std::vector<std::string> modulePath;
  std::vector<std::string> arguments;
  // "NAME=value" lines for the application's environment, as written.
  std::vector<std::string> environment;
};

}  // namespace kite

#endif  // KITE_BASE_LAUNCH_SETTINGS_H_
