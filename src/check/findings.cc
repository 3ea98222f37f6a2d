#include "check/findings.h"

#include <algorithm>
#include <map>
#include <set>
#include <unordered_map>

#include "base/exit_codes.h"
#include "base/text.h"
#include "config/config_file.h"
#include "config/config_keys.h"
#include "config/expand_value.h"
#include "launcher/command_line.h"

namespace kite {
namespace {

class Collector {
 public:
  Collector(Report& report, Platform& platform)
      : report_(report), platform_(platform) {}

  void warn(const std::string& kind, const std::string& file, int line,
            const std::string& message) {
    report_.findings.push_back({Severity::kWarning, kind, file, line, message});
  }
  void note(const std::string& kind, const std::string& file, int line,
            const std::string& message) {
    report_.findings.push_back({Severity::kNote, kind, file, line, message});
  }
  void error(const std::string& kind, const std::string& file, int line,
             const std::string& message) {
    report_.findings.push_back({Severity::kError, kind, file, line, message});
  }

  void files();
  void lines();
  void settings();

 private:
  void ignoredLine(const LineRecord& line);
  void matchedLine(size_t index);
  void encodingFindings(const FileRecord& file);
  void checkPaths(const LineRecord& line, size_t index);
  void unquotedProgram(const LineRecord& line);
  bool exists(std::string path);
  std::string fromStart(const std::string& path) const;

  Report& report_;
  Platform& platform_;
  std::map<std::string, const LineRecord*> setBy_;  // single-value slots
};

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

void Collector::lines() {
  for (size_t i = 0; i < report_.lines.size(); ++i) {
    const LineRecord& line = report_.lines[i];
    const size_t nul = line.text.find('\0');
    if (nul != std::string::npos)
      warn("nul-byte", line.file, line.number,
           "the line holds a NUL byte: the launcher reads it only up to there, "
           "as \"" +
               line.text.substr(0, nul) + "\"");
    if (line.key)
      matchedLine(i);
    else
      ignoredLine(line);
  }
}

// A line the reader ignored: say why, when it looks like it was meant to
// set something.
void Collector::ignoredLine(const LineRecord& line) {
  const std::string& text = line.text;
  const size_t start = text.find_first_not_of(" \t");
  if (start == std::string::npos || text[0] == '#' || text[0] == '/') return;
  const std::string stripped = text.substr(start);
  if (stripped[0] == '#' || stripped[0] == '/') return;
  if (start > 0) {
    if (const KeyRule* rule = matchConfigKey(stripped)) {
      warn("indented-key", line.file, line.number,
           std::string("the key \"") + rule->text +
               "\" is indented: keys count only "
               "at the very start of a line, so the launcher ignores it");
      return;
    }
  }
  const size_t blank = stripped.find_first_of(" \t");
  const std::string word = stripped.substr(0, blank);
  if (blank != std::string::npos && stripped[blank] == '\t') {
    if (const KeyRule* rule = matchConfigKey(word)) {
      warn("tab-after-key", line.file, line.number,
           std::string("a tab, not a space, follows \"") + rule->text +
               "\": only a space separates key and value, so the launcher "
               "ignores the line");
      return;
    }
  }
  if (text.find(' ') == std::string::npos && matchConfigKey(text)) {
    warn("no-value", line.file, line.number,
         "\"" + text +
             "\" has no value (no space follows it): the launcher "
             "ignores the line");
    return;
  }
  std::string message =
      "unknown key \"" + word + "\": the launcher ignores the line";
  const std::string suggestion = nearestKey(word);
  if (!suggestion.empty()) message += "; did you mean \"" + suggestion + "\"?";
  warn("unknown-key", line.file, line.number, message);
}

void Collector::matchedLine(size_t index) {
  const LineRecord& line = report_.lines[index];
  const ConfigKey id = *line.key;
  const std::string key = keyText(id);
  const std::string& text = line.text;
  const std::string word = text.substr(0, text.find(' '));
  if (text.size() > key.size() && text[key.size()] == '\t') {
    warn("tab-after-key", line.file, line.number,
         "a tab, not a space, follows \"" + key +
             "\": the value is what "
             "follows the first space, \"" +
             line.raw + "\"");
  } else if (word != key) {
    warn("key-prefix", line.file, line.number,
         "\"" + word + "\" is read as the key \"" + key +
             "\" (keys are "
             "compared over their own length only); the value is \"" +
             line.raw + "\"");
  }
  for (const std::string& name : line.missingVariables) {
    warn("variable-not-set", line.file, line.number,
         name.empty() ? "a \"$\" at the end of the value names no variable: "
                        "the value is used as written"
                      : "the variable \"" + name +
                            "\" is not set: the value is "
                            "used as written, \"" +
                            line.raw + "\"");
  }

  // Quotes that expansion added (a variable's value holds a space); those
  // in a directory or console title are taken off again.
  const auto quotes = [](const std::string& s) {
    return std::count(s.begin(), s.end(), '"');
  };
  const bool removedAgain =
      id == ConfigKey::kWorkingDir || id == ConfigKey::kConsoleTitle;
  if (id != ConfigKey::kAddJars && quotes(line.value) > quotes(line.raw) &&
      !removedAgain)
    warn("value-quoted", line.file, line.number,
         "the value will be put in double quotes, because a variable's value "
         "holds a space: " +
             line.value);

  // The keys that set one value; "javapath" and "javaVersion" share one.
  static const std::map<ConfigKey, std::string> kSlots = {
      {ConfigKey::kJavaPath, "runtime"},
      {ConfigKey::kJavaVersion, "runtime"},
      {ConfigKey::kMainClass, "mainclass"},
      {ConfigKey::kAppName, "appname"},
      {ConfigKey::kConsoleTitle, "consoleTitle"},
      {ConfigKey::kWorkingDir, "workingDir"}};
  const auto slot = kSlots.find(id);
  if (slot != kSlots.end()) {
    const LineRecord*& earlier = setBy_[slot->second];
    if (earlier) {
      const std::string where = report_.displayPath(earlier->file) + ":" +
                                std::to_string(earlier->number);
      warn("key-set-twice", line.file, line.number,
           slot->second == "runtime"
               ? "the runtime was already set by \"" +
                     std::string(keyText(*earlier->key)) + " " + earlier->raw +
                     "\" on " + where + "; that is lost"
               : "\"" + key + "\" was already set on " + where + " (\"" +
                     earlier->value + "\"); that value is lost");
    }
    earlier = &line;
  }
  if (id == ConfigKey::kJavaPath) unquotedProgram(line);
  if (line.missingVariables.empty()) checkPaths(line, index);
}

// A runtime path with a blank that is not in double quotes goes to Windows
// as it stands, and Windows then tries the text up to each blank as a
// program first: "D:\My Tools\jre\bin\javaw.exe" runs "D:\My.exe" if
// there is one.  The launcher keeps the value as written.
void Collector::unquotedProgram(const LineRecord& line) {
  const std::string& path = line.value;
  const size_t blank = path.find_first_of(" \t");
  if (path.empty() || path[0] == '"' || blank == std::string::npos) return;
  std::string first = path.substr(0, blank);
  const size_t name = first.find_last_of("\\/");
  if (first.find('.', name == std::string::npos ? 0 : name) ==
      std::string::npos)
    first += ".exe";
  warn("unquoted-path", line.file, line.number,
       "the runtime path holds a blank and is not in double quotes: Windows "
       "first tries to run \"" +
           first +
           "\", so whoever can write there runs "
           "their program instead; write the path in double quotes");
}

// "addjar" and "addpath" entries and "addjars" directories that do not
// exist, and jar directories without a jar.
void Collector::checkPaths(const LineRecord& line, size_t index) {
  const ConfigKey key = *line.key;
  if (key == ConfigKey::kAddJars) {
    const std::string dir = line.jarDirectory;
    if (line.jarsAdded == 0) {
      if (!exists(dir))
        warn("jar-directory-missing", line.file, line.number,
             "the directory \"" + dir + "\" does not exist" + fromStart(dir));
      else
        warn("jar-directory-empty", line.file, line.number,
             "the directory \"" + dir + "\" holds no .jar file" +
                 fromStart(dir));
    }
    const size_t end = index + 1 < report_.lines.size()
                           ? report_.lines[index + 1].classPathBefore
                           : report_.settings.classPath.size();
    for (size_t i = line.classPathBefore; i < end; ++i) {
      if (report_.settings.classPath[i].front() != '"') continue;
      warn("value-quoted", line.file, line.number,
           "the jars go on the class path in double quotes (the directory or a "
           "file name holds a space), such as " +
               report_.settings.classPath[i]);
      break;
    }
    return;
  }
  if (key != ConfigKey::kAddJar && key != ConfigKey::kAddPath) return;
  // One line may name several entries separated by ";".
  const std::string value = withoutSurroundingQuotes(line.value);
  size_t start = 0;
  while (start <= value.size()) {
    size_t end = value.find(';', start);
    if (end == std::string::npos) end = value.size();
    const std::string entry =
        withoutSurroundingQuotes(value.substr(start, end - start));
    start = end + 1;
    if (!entry.empty() && !exists(entry))
      warn("path-missing", line.file, line.number,
           "\"" + entry + "\" does not exist" + fromStart(entry));
  }
}

bool Collector::exists(std::string path) {
  while (path.size() > 1 && (path.back() == '/' || path.back() == '\\'))
    path.pop_back();
  std::vector<FoundFile> matches;
  return !path.empty() && platform_.findFiles(path, &matches);
}

std::string Collector::fromStart(const std::string& path) const {
  return isAbsolutePath(path)
             ? std::string()
             : " (looked up from the start directory " +
                   report_.displayPath(report_.startDirectory) + ")";
}

void Collector::settings() {
  const LaunchSettings& settings = report_.settings;
  const bool configRead = !report_.files.empty() && report_.files[0].error == 0;
  if (configRead && (!settings.mainClass || settings.mainClass->empty())) {
    const LineRecord* line = report_.lastLineWithKey(ConfigKey::kMainClass);
    error("no-main-class", line ? line->file : report_.config,
          line ? line->number : 0,
          std::string(line ? "the main class is empty"
                           : "no \"mainclass\" line") +
              ": the launcher shows an error and exits with " +
              std::to_string(kExitNoMainClass));
  }
  for (const RuntimeSearch& search : report_.searches) {
    if (search.exitCode == 0) continue;
    std::string message;
    if (search.request.empty() && search.file.empty()) {
      message = "no runtime: ";
    } else if (search.request.empty()) {
      message = "\"javaVersion\" has no value: ";
    } else {
      message =
          "the requested runtime " + search.request + " cannot be found: ";
    }
    if (!search.boxes.empty()) {
      const RecordedBox& box = search.boxes.back();
      message += "the launcher shows \"" + box.caption + "\" (" +
                 box.text.substr(0, box.text.find('\n')) + ") and ";
    } else {
      message += "the launcher ";
    }
    message += "exits with " + std::to_string(search.exitCode);
    if (!search.file.empty()) {
      message += ", reading no further line";
      error("runtime-not-found", search.file, search.line, message);
    } else {
      error("runtime-not-found", report_.config, 0,
            message + " when it starts");
    }
  }
  const size_t length = report_.commandLineLength;
  if (length + 1 > kCommandLineLimit)
    error("command-line-too-long", report_.config, 0,
          formatText("the command line is %lu characters long; Windows accepts "
                     "at most %lu: the launcher refuses to start it and exits "
                     "with %d",
                     static_cast<unsigned long>(length),
                     static_cast<unsigned long>(kCommandLineLimit - 1),
                     kExitStartFailed));
}

}  // namespace

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
