#include "config/jar_scan.h"

#include <vector>

#include "config/expand_value.h"
#include "platform/debug_output.h"

namespace kite {

JarScan addJarDirectory(LaunchSettings& settings, Platform& platform,
                        const std::string& dir) {
  // A directory wrapped in double quotes (expansion quotes a variable whose
  // value holds a space, such as a folder under Program Files) is searched
  // without them, since a file name can never contain a double quote.  The
  // quotes then go around each entry as a whole, so the class path reaches
  // the runtime intact.  Quotes typed around the directory by hand are
  // treated the same way: they cannot be part of a real directory either.
  const std::string searched = withoutSurroundingQuotes(dir);
  const bool quoted = searched.size() != dir.size();

  const size_t before = settings.classPath.size();
  std::vector<FoundFile> matches;
  if (!platform.findFiles(searched + "/*.jar", &matches)) {
    debugTrace(settings, platform, "No jar files found in [%s]\n", dir.c_str());
    return {searched, 0};
  }
  // The order is the search's own; nothing is sorted or de-duplicated.
  // Directories (".", ".." and any whose name ends in ".jar") are skipped.
  for (const FoundFile& match : matches) {
    if (match.isDirectory) continue;
    std::string entry = searched + "/" + match.name;
    // An entry holding a blank (a jar named "my lib.jar", or a directory
    // written with a space) is quoted as a whole too: class-path entries go
    // onto the command line as they stand, and unquoted it would split the
    // class path in two.
    if (quoted || entry.find_first_of(" \t") != std::string::npos)
      entry = "\"" + entry + "\"";
    debugTrace(settings, platform, "adding jar %s\n", entry.c_str());
    settings.scannedJars.push_back(settings.classPath.size());
    settings.classPath.push_back(std::move(entry));
  }
  return {searched, settings.classPath.size() - before};
}

}  // namespace kite
