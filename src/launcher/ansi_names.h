// Java's launcher (java.exe, javaw.exe) reads its command line in the ANSI
// code page: a character the code page cannot hold reaches the application
// as "?" or a look-alike, whatever Kite passes.  Paths have a way around
// it: the short (8.3) name Windows keeps for many files is plain ASCII.
#ifndef KITE_LAUNCHER_ANSI_NAMES_H_
#define KITE_LAUNCHER_ANSI_NAMES_H_

#include <string>

#include "base/launch_settings.h"
#include "platform/platform.h"

namespace kite {

// Whether the ANSI code page holds every character of `text`.
bool fitsCodePage(Platform& platform, const std::string& text);

// The short name of `path` (a class-path or module-path entry, possibly in
// double quotes, or a folder followed by "*"), when the code page cannot
// hold it and Windows has a short name it can; empty otherwise.  The name
// is bare: it may hold a blank, where a folder has no short name.
std::string shortNameFor(Platform& platform, const std::string& path);

// Makes the jars "addjars" found absolute as classPathEntries() does, then
// replaces every class-path and module-path entry and the main jar that
// shortNameFor() has a name for by that name (quoted where it holds a
// blank), with a trace in debug mode.
void useShortNames(LaunchSettings& settings, Platform& platform);

}  // namespace kite

#endif  // KITE_LAUNCHER_ANSI_NAMES_H_
