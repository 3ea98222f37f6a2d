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
    if (file.overLimit) {
      error("too-many-files", file.includedFrom, file.includedAt,
            "reading \"" + file.path + "\" would make more than " +
                std::to_string(kMaxConfigFiles) +
                " configuration files for one launch (files that include one "
                "another more than once): the launcher shows an error and "
                "exits with " +
                std::to_string(kExitNoConfig));
    } else if (file.skipped) {
      warn("include-cycle", file.includedFrom, file.includedAt,
           "\"" + file.path +
               "\" is already being read (an include cycle): "
               "the launcher skips this include");
    } else if (file.error != 0 && file.depth == 0) {
      error("file-not-opened", file.path, 0,
            "cannot open the configuration file (" + file.errorText +
                "): the launcher exits with " + std::to_string(kExitNoConfig));
    } else if (file.error != 0) {
      error("file-not-opened", file.includedFrom, file.includedAt,
            "cannot open the included file \"" + file.path + "\" (" +
                file.errorText + "): the launcher reads on without it");
    } else if (!seen.insert(file.path).second) {
      continue;
    } else {
      encodingFindings(file);
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
    warn("invalid-text", file.path, file.badLines.front(),
         "the line holds bytes that are not valid " + encoding +
             (more ? " (so do " + std::to_string(more) + " later lines)" : "") +
             ": the launcher reads each of them as the replacement character "
             "U+FFFD");
  }
  if (file.ctrlZLine > 0)
    warn("ctrl-z", file.path, file.ctrlZLine,
         "a Ctrl-Z character ends the file here: the launcher reads nothing "
         "after it");
  if (file.encoding == TextEncoding::kAnsi && file.nonAscii)
    note("encoding", file.path, 0,
         std::string("the file is not UTF-8, so the launcher reads it in the "
                     "ANSI code page of the machine it runs on") +
             (report_.hostPaths ? "; kitecheck shows it as windows-1252, the "
                                  "code page of Western Windows"
                                : "") +
             "; save it as UTF-8 to have the same text everywhere");
}

size_t editDistance(const std::string& a, const std::string& b) {
  const std::string x = asciiLower(a), y = asciiLower(b);
  std::vector<size_t> row(y.size() + 1);
  for (size_t j = 0; j <= y.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= x.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= y.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1,
                         diagonal + (x[i - 1] == y[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[y.size()];
}

std::string nearestKey(const std::string& word) {
  std::string best;
  size_t bestDistance = 0;
  for (const KeyRule& rule : configKeys()) {
    // Only a distance of two or less counts, and a difference in length
    // costs at least that many edits.
    const size_t length = std::char_traits<char>::length(rule.text);
    if (word.size() > length + 2 || length > word.size() + 2) continue;
    const size_t distance = editDistance(word, rule.text);
    if (best.empty() || distance < bestDistance) {
      best = rule.text;
      bestDistance = distance;
    }
  }
  // Close: at most two edits, and fewer than half the key's letters.
  if (best.empty() || bestDistance > 2 || bestDistance * 2 >= best.size())
    return std::string();
  return best;
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
      if (f.kind == "file-not-opened") position = -1;
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
