#include "check/report.h"

#include <algorithm>
#include <string>

#include "base/text.h"

namespace kite {

std::string encodingShown(const FileRecord& file) {
  if (file.encoding == TextEncoding::kAnsi && !file.nonAscii) return "ASCII";
  return encodingName(file.encoding);
}

std::string fileAndLine(const std::string& file, int line) {
  return line > 0 ? file + ":" + std::to_string(line) : file;
}

int Report::errors() const {
  return static_cast<int>(std::count_if(
      findings.begin(), findings.end(),
      [](const Finding& f) { return f.severity() == Severity::kError; }));
}

int Report::warnings() const {
  return static_cast<int>(std::count_if(
      findings.begin(), findings.end(),
      [](const Finding& f) { return f.severity() == Severity::kWarning; }));
}

int Report::notes() const {
  return static_cast<int>(findings.size()) - errors() - warnings();
}

int Report::exitCode() const {
  if (errors() > 0) return 2;
  return warnings() > 0 ? 1 : 0;
}

const LineRecord* Report::lastLineWithKey(ConfigKey key) const {
  for (size_t i = lines.size(); i-- > 0;)
    if (lines[i].key == key) return &lines[i];
  return nullptr;
}

const LineRecord* Report::runtimeLine() const {
  for (size_t i = lines.size(); i-- > 0;)
    if (lines[i].key && ruleOf(*lines[i].key).runtime) return &lines[i];
  return nullptr;
}

const RuntimeSearch* Report::bundledTaken() const {
  for (const RuntimeSearch& search : searches)
    if (search.kind == SearchKind::kBundled &&
        (search.bundled.taken || search.notChecked))
      return &search;
  return nullptr;
}

const RuntimeSearch* Report::runtimeSearch() const {
  if (const RuntimeSearch* bundled = bundledTaken()) return bundled;
  const LineRecord* line = runtimeLine();
  if (line && line->key == ConfigKey::kJavaPath) return nullptr;
  for (size_t i = searches.size(); i-- > 0;) {
    const RuntimeSearch& search = searches[i];
    if (line ? search.kind == SearchKind::kVersionLine &&
                   search.file == line->file && search.line == line->number
             : search.kind != SearchKind::kVersionLine)
      return &search;
  }
  return nullptr;
}

const LineRecord* Report::originOf(SettingsList list, size_t index) const {
  // Entries there before the first line came from the command line.
  if (list == &LaunchSettings::arguments && index < commandLineArguments)
    return nullptr;
  // The lengths only grow from line to line, so the entry belongs to the
  // last line that started at or below it.
  const auto after =
      std::upper_bound(lines.begin(), lines.end(), index,
                       [list](size_t value, const LineRecord& line) {
                         return value < line.before(list);
                       });
  return after == lines.begin() ? nullptr : &*(after - 1);
}

std::string Report::displayPath(const std::string& path) const {
  // Relative paths (included files, as their "include" lines name them)
  // are relative to the start directory, where the launcher reads them.
  std::string text = path;
  if (!text.empty() && !isAbsolutePath(text) && !startDirectory.empty()) {
    const char last = startDirectory.back();
    text = startDirectory +
           (last == '/' || last == '\\' ? ""
            : hostPaths                 ? "/"
                                        : "\\") +
           text;
  }
  if (hostPaths) std::replace(text.begin(), text.end(), '\\', '/');
  return text;
}

}  // namespace kite
