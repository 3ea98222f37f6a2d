#include "launcher/ansi_names.h"

#include "config/expand_value.h"
#include "launcher/command_line.h"
#include "platform/debug_output.h"

namespace kite {

bool fitsCodePage(Platform& platform, const std::string& text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) {
      std::string ansi;
      return platform.utf8ToAnsi(text, &ansi);
    }
  return true;  // ASCII fits every code page
}

std::string shortNameFor(Platform& platform, const std::string& path) {
  if (fitsCodePage(platform, path)) return std::string();
  std::string bare = withoutSurroundingQuotes(path);
  // Java's own wildcard, a folder followed by "*": the folder's short name.
  std::string star;
  if (bare.size() >= 2 && bare.back() == '*' &&
      (bare[bare.size() - 2] == '/' || bare[bare.size() - 2] == '\\')) {
    star = bare.substr(bare.size() - 2);
    bare.resize(bare.size() - 2);
  }
  std::string shortName;
  if (!platform.shortPathName(bare, &shortName) ||
      !fitsCodePage(platform, shortName))
    return std::string();
  return shortName + star;
}

void useShortNames(LaunchSettings& settings, Platform& platform) {
  // With a working directory the jars "addjars" found are named from the
  // start directory, whose own name the code page may not hold: they are
  // made absolute first, so that the short name covers that part too.
  settings.classPath = classPathEntries(settings);
  const auto replace = [&](std::string& path) {
    const std::string shortName = shortNameFor(platform, path);
    if (shortName.empty()) return;
    // Windows gives a folder that has no short name (Windows 8 and later
    // make none on drives other than the system's) by its long name, blanks
    // and all: such a name is quoted, or the command line would split it.
    const std::string item = quoteArgument(shortName, /*alwaysQuote=*/false);
    debugTrace(settings, platform,
               "passing %s by its short name %s: the ANSI code page %u cannot "
               "hold its name\n",
               path.c_str(), item.c_str(), platform.ansiCodePage());
    path = item;
  };
  for (std::string& entry : settings.classPath) replace(entry);
  for (std::string& entry : settings.modulePath) replace(entry);
  if (settings.mainJar) replace(*settings.mainJar);
}

}  // namespace kite
