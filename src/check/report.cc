#include "check/report.h"

#include <algorithm>
#include <string>

namespace kite {

int Report::errors() const {
  return static_cast<int>(std::count_if(
      findings.begin(), findings.end(),
      [](const Finding& f) { return f.severity == Severity::kError; }));
}

int Report::warnings() const {
  return static_cast<int>(findings.size()) - errors();
}

int Report::exitCode() const {
  if (errors() > 0) return 2;
  return warnings() > 0 ? 1 : 0;
}

const LineRecord* Report::lastLineWithKey(const std::string& key) const {
  for (size_t i = lines.size(); i-- > 0;)
    if (lines[i].key && key == lines[i].key) return &lines[i];
  return nullptr;
}

const LineRecord* Report::runtimeLine() const {
  for (size_t i = lines.size(); i-- > 0;) {
    if (!lines[i].key) continue;
    const std::string key = lines[i].key;
    if (key == "javapath" || key == "javaVersion") return &lines[i];
  }
  return nullptr;
}

const RuntimeSearch* Report::runtimeSearch() const {
  const LineRecord* line = runtimeLine();
  if (line && std::string(line->key) == "javapath") return nullptr;
  for (size_t i = searches.size(); i-- > 0;) {
    const RuntimeSearch& search = searches[i];
    if (line ? search.file == line->file && search.line == line->number
             : search.file.empty())
      return &search;
  }
  return nullptr;
}

const LineRecord* Report::originOf(
    const std::vector<std::string> LaunchSettings::*list, size_t index) const {
  const LineRecord* origin = nullptr;
  for (const LineRecord& line : lines) {
    const size_t before = list == &LaunchSettings::vmParams ? line.vmParamsBefore
                          : list == &LaunchSettings::classPath ? line.classPathBefore
                                                               : line.argumentsBefore;
    if (before > index) break;
    origin = &line;
  }
  // Entries there before the first line came from the command line.
  if (origin == nullptr || index < (list == &LaunchSettings::arguments
                                        ? commandLineArguments
                                        : 0))
    return nullptr;
  return origin;
}

std::string Report::displayPath(const std::string& path) const {
  if (!hostPaths) return path;
  std::string text = path;
  std::replace(text.begin(), text.end(), '\\', '/');
  return text;
}

}  // namespace kite
