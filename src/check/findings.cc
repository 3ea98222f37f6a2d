#include "check/findings.h"

#include <algorithm>
#include <set>
#include <unordered_map>

#include "base/exit_codes.h"
#include "base/text.h"
#include "check/collector.h"
#include "config/config_file.h"
#include "config/config_keys.h"

namespace kite {

void Collector::files() {
  std::set<std::string> seen;  // a file included twice is looked at once
  for (const FileRecord& file : report_.files) {
    switch (file.state) {
      case FileState::kOverLimit:
        add(FindingKind::kTooManyFiles, file.includedFrom, file.includedAt,
            "reading \"" + file.path + "\" would make more than " +
                std::to_string(kMaxConfigFiles) +
                " configuration files for one launch (files that include one "
                "another more than once): the launcher shows an error and "
                "exits with " +
                std::to_string(kExitNoConfig));
        break;
      case FileState::kSkipped:
        add(FindingKind::kIncludeCycle, file.includedFrom, file.includedAt,
            "\"" + file.path +
                "\" is already being read (an include cycle): "
                "the launcher skips this include");
        break;
      case FileState::kNotOpened:
        if (file.depth > 0 &&
            notChecked(file.path, file.includedFrom, file.includedAt))
          break;
        if (file.depth == 0)
          add(FindingKind::kFileNotOpened, file.path, 0,
              "cannot open the configuration file (" + file.errorText +
                  "): the launcher exits with " +
                  std::to_string(kExitNoConfig));
        else
          add(FindingKind::kFileNotOpened, file.includedFrom, file.includedAt,
              "cannot open the included file \"" + file.path + "\" (" +
                  file.errorText + "): the launcher reads on without it");
        break;
      case FileState::kRead:
        // A file included twice is looked at once.
        if (seen.insert(file.path).second) encodingFindings(file);
        break;
    }
  }
}

// What the reader made of a file's bytes: characters it could not decode,
// a Ctrl-Z that ended the file early, and the code page an ANSI file is
// read in.
void Collector::encodingFindings(const FileRecord& file) {
  const std::string encoding = encodingName(file.encoding);
  if (!file.badLines.empty()) {
    const size_t more = file.badLines.size() - 1;
    add(FindingKind::kInvalidText, file.path, file.badLines.front(),
         "the line holds bytes that are not valid " + encoding +
             (more ? " (so do " + std::to_string(more) + " later lines)" : "") +
             ": the launcher reads each of them as the replacement character "
             "U+FFFD");
  }
  if (file.ctrlZLine > 0)
    add(FindingKind::kCtrlZ, file.path, file.ctrlZLine,
         "a Ctrl-Z character ends the file here: the launcher reads nothing "
         "after it");
  if (file.encoding == TextEncoding::kAnsi && file.nonAscii)
    add(FindingKind::kEncoding, file.path, 0,
         std::string("the file is not UTF-8, so the launcher reads it in the "
                     "ANSI code page of the machine it runs on") +
             (report_.hostPaths ? "; kitecheck shows it as windows-1252, the "
                                  "code page of Western Windows"
                                : "") +
             "; save it as UTF-8 to have the same text everywhere");
}

void collectFindings(Report& report, Platform& platform) {
  Collector collector(report, platform);
  collector.files();
  collector.lines();
  collector.settings();
  // In reading order, so that an included file's findings come at its
  // "include" line; findings about the whole configuration (line 0) last,
  // except that its main file cannot be opened, which comes first.
  std::unordered_map<std::string, std::unordered_map<int, long>> lineIndex;
  for (size_t i = 0; i < report.lines.size(); ++i)
    lineIndex[report.lines[i].file].emplace(report.lines[i].number,
                                            static_cast<long>(i));
  const long end = static_cast<long>(report.lines.size());
  std::vector<std::pair<long, Finding>> ordered;
  ordered.reserve(report.findings.size());
  for (Finding& f : report.findings) {
    long position = end;
    if (f.line == 0) {
      if (f.kind == FindingKind::kFileNotOpened) position = -1;
    } else if (const auto file = lineIndex.find(f.file);
               file != lineIndex.end()) {
      if (const auto at = file->second.find(f.line); at != file->second.end())
        position = at->second;
    }
    ordered.emplace_back(position, std::move(f));
  }
  std::stable_sort(
      ordered.begin(), ordered.end(),
      [](const auto& a, const auto& b) { return a.first < b.first; });
  report.findings.clear();
  for (auto& entry : ordered)
    report.findings.push_back(std::move(entry.second));
}

}  // namespace kite
