#include "config/jar_scan.h"

#include <vector>

#include "config/expand_value.h"
#include "launcher/text.h"

namespace kite {

void addJarDirectory(LaunchSettings& settings, Platform& platform,
                     const std::string& dir) {
  // A directory wrapped in double quotes (expansion quotes a variable whose
  // value holds a space, such as a folder under Program Files) is searched
  // without them, since a file name can never contain a double quote.  The
  // quotes then go around each entry as a whole, so the class path reaches
  // the runtime intact.  Quotes typed around the directory by hand are
  // treated the same way: they cannot be part of a real directory either.
  const std::string searched = withoutSurroundingQuotes(dir);
  const bool quoted = searched.size() != dir.size();

  std::vector<FoundFile> matches;
  if (!platform.findFiles(searched + "/*.jar", &matches)) {
    debugTrace(settings, platform,
               formatText("No jar files found in [%s]\n", dir.c_str()));
    return;
  }
  // The order is the search's own; nothing is sorted or de-duplicated.
  // Directories (".", ".." and any whose name ends in ".jar") are skipped.
  for (const FoundFile& match : matches) {
    if (match.isDirectory) continue;
    std::string entry = searched + "/" + match.name;
    if (quoted) entry = "\"" + entry + "\"";
    debugTrace(settings, platform,
               formatText("adding jar %s\n", entry.c_str()));
    settings.classPath.push_back(std::move(entry));
  }
}

}  // namespace kite
