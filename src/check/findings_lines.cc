// kitecheck's findings about single lines: keys, values, paths.
#include "check/collector.h"

#include <algorithm>
#include <map>
#include <set>

#include "base/exit_codes.h"
#include "base/text.h"
#include "check/check_platform.h"
#include "check/edit_distance.h"
#include "check/findings.h"
#include "config/config_file.h"
#include "config/config_keys.h"
#include "config/expand_value.h"
#include "launcher/app_environment.h"
#include "launcher/command_line.h"

namespace kite {

void Collector::lines() {
  for (size_t i = 0; i < report_.lines.size(); ++i) {
    const LineRecord& line = report_.lines[i];
    const size_t nul = line.text.find('\0');
    if (nul != std::string::npos)
      add(FindingKind::kNulByte, line.file, line.number,
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
      add(FindingKind::kIndentedKey, line.file, line.number,
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
      add(FindingKind::kTabAfterKey, line.file, line.number,
           std::string("a tab, not a space, follows \"") + rule->text +
               "\": only a space separates key and value, so the launcher "
               "ignores the line");
      return;
    }
  }
  if (text.find(' ') == std::string::npos) {
    const KeyRule* rule = matchConfigKey(text);
    const size_t keyLength =
        rule ? std::char_traits<char>::length(rule->text) : 0;
    if (rule && text.size() == keyLength) {
      add(FindingKind::kNoValue, line.file, line.number,
           "\"" + text + "\" has no value: the launcher ignores the line");
    } else if (rule) {
      add(FindingKind::kNoSpace, line.file, line.number,
           std::string("no space after the key \"") + rule->text +
               "\": the launcher ignores the line; write \"" + rule->text +
               " " + text.substr(keyLength) + "\"");
    } else {
      const std::string lower = asciiLower(text);
      const bool path =
          text.find_first_of("/\\") != std::string::npos ||
          (lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".jar") == 0);
      std::string message =
          "\"" + text +
          "\" holds no space, so it is no key and value: the launcher "
          "ignores the line";
      if (path)
        message +=
            "; it looks like a path: to put it on the class path, "
            "write \"addpath " +
            text + "\"";
      else if (!nearestKey(text).empty())
        message += "; did you mean \"" + nearestKey(text) + " ...\"?";
      add(FindingKind::kNoSpace, line.file, line.number, message);
    }
    return;
  }
  std::string message =
      "unknown key \"" + word + "\": the launcher ignores the line";
  // "environment X=1": a key that counts only as a whole word, with more
  // letters after it.
  const KeyRule* begun = keyAtStart(word);
  const std::string suggestion = nearestKey(word);
  if (begun)
    message += std::string("; it begins with the key \"") + begun->text +
               "\", which counts only as a whole word";
  else if (!suggestion.empty())
    message += "; did you mean \"" + suggestion + "\"?";
  add(FindingKind::kUnknownKey, line.file, line.number, message);
}

void Collector::matchedLine(size_t index) {
  const LineRecord& line = report_.lines[index];
  const ConfigKey id = *line.key;
  const std::string key = keyText(id);
  const std::string& text = line.text;
  const std::string word = text.substr(0, text.find(' '));
  if (text.size() > key.size() && text[key.size()] == '\t') {
    add(FindingKind::kTabAfterKey, line.file, line.number,
         "a tab, not a space, follows \"" + key +
             "\": the value is what "
             "follows the first space, \"" +
             line.raw + "\"");
  } else if (word != key) {
    add(FindingKind::kKeyPrefix, line.file, line.number,
         "\"" + word + "\" is read as the key \"" + key +
             "\" (keys are "
             "compared over their own length only); the value is \"" +
             line.raw + "\"");
  }
  for (const std::string& name : line.missingVariables) {
    add(FindingKind::kVariableNotSet, line.file, line.number,
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
  const KeyRule& rule = ruleOf(id);
  if (id != ConfigKey::kAddJars && quotes(line.value) > quotes(line.raw) &&
      !rule.unquote)
    add(FindingKind::kValueQuoted, line.file, line.number,
         "the value will be put in double quotes, because a variable's value "
         "holds a space: " +
             line.value);

  // A key that sets one value loses the value an earlier line gave it; the
  // runtime keys ("javapath", "javaVersion") share one.
  if (rule.value) {
    const LineRecord*& earlier =
        setBy_[rule.runtime ? std::string("runtime") : key];
    if (earlier) {
      const std::string where = report_.where(earlier->file, earlier->number);
      add(FindingKind::kKeySetTwice, line.file, line.number,
          rule.runtime
              ? "the runtime was already set by \"" +
                    std::string(keyText(*earlier->key)) + " " + earlier->raw +
                    "\" on " + where + "; that is lost"
              : "\"" + key + "\" was already set on " + where + " (\"" +
                    earlier->value + "\"); that value is lost");
    }
    earlier = &line;
  }
  if (id == ConfigKey::kJavaPath) unquotedProgram(line);
  unquotedBlank(line);
  if (id == ConfigKey::kJavaVersion &&
      line.value.find('+') != std::string::npos &&
      line.value.find('_') == std::string::npos)
    add(FindingKind::kVersionNeverMatches, line.file, line.number,
        "\"" + line.value +
            "\" can never match: a \"+\" asks for a patch level or later only "
            "after one (\"1.8.0_151+\"); without a \"_\" the whole text, \"+\" "
            "included, must begin a registry key name, and no runtime's does. "
            "Write the family alone (\"1.8\") for its highest patch level");
  if (line.missingVariables.empty()) checkPaths(line, index);
  if (id == ConfigKey::kEnv) environmentLine(line);
}

// An "env" line must be NAME=value; the launcher skips any other.
void Collector::environmentLine(const LineRecord& line) {
  std::string name, value;
  if (!splitEnvironmentLine(line.value, &name, &value))
    add(FindingKind::kEnvNotAVariable, line.file, line.number,
        "\"" + line.value +
            "\" is not NAME=value: the launcher ignores the line and sets "
            "no variable");
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
  add(FindingKind::kUnquotedPath, line.file, line.number,
       "the runtime path holds a blank and is not in double quotes: Windows "
       "first tries to run \"" +
           first +
           "\", so whoever can write there runs "
           "their program instead; write the path in double quotes");
}

namespace {

// "--module-path mods", "-cp lib": a runtime option and the value it takes
// as the next word, meant as two words.
bool optionAndValue(const std::string& option, const std::string& rest) {
  if (rest.find_first_of(" \t") != std::string::npos) return false;
  const bool longOption = option.size() > 2 &&
                          option.compare(0, 2, "--") == 0 &&
                          option.find('=') == std::string::npos;
  return longOption || option == "-cp" || option == "-classpath" ||
         option == "-p" || option == "-m";
}

}  // namespace

// A blank in a value the launcher puts on the command line as it stands
// splits it there: a class-path entry breaks in two, a JVM parameter
// becomes two.  Quotes (typed, or added by expansion) keep it whole.
void Collector::unquotedBlank(const LineRecord& line) {
  const ConfigKey key = *line.key;
  const std::string& value = line.value;
  const size_t blank = value.find_first_of(" \t");
  if (blank == std::string::npos || value.find('"') != std::string::npos)
    return;
  const size_t next = value.find_first_not_of(" \t", blank);
  const std::string rest =
      next == std::string::npos ? std::string() : value.substr(next);
  if (key == ConfigKey::kAddPath || key == ConfigKey::kAddJar) {
    add(FindingKind::kUnquotedBlank, line.file, line.number,
         "the class-path entry holds a blank and is not in double quotes: "
         "the class path reaches Java in two pieces, \"" +
             value.substr(0, blank) + "\" and \"" + rest +
             "\"; write the entry in double quotes");
  } else if (key == ConfigKey::kVmParam && !rest.empty() && rest[0] != '-' &&
             !optionAndValue(value.substr(0, blank), rest)) {
    add(FindingKind::kUnquotedBlank, line.file, line.number,
         "the JVM parameter holds a blank and is not in double quotes: it "
         "reaches Java as two, \"" +
             value.substr(0, blank) + "\" and \"" + rest +
             "\"; write it in double quotes if it is one");
  }
}

// Class-path and module-path entries, main jars and "addjars" directories
// that do not exist, and jar directories without a jar.
void Collector::checkPaths(const LineRecord& line, size_t index) {
  const ConfigKey key = *line.key;
  if (key == ConfigKey::kAddJars) {
    const std::string dir = line.jarDirectory;
    if (line.jarsAdded == 0 && notChecked(dir, line.file, line.number)) {
      // Its jars are looked for where the launcher runs.
    } else if (line.jarsAdded == 0) {
      if (!exists(dir))
        add(FindingKind::kJarDirectoryMissing, line.file, line.number,
             "the directory \"" + dir + "\" does not exist" + fromStart(dir));
      else
        add(FindingKind::kJarDirectoryEmpty, line.file, line.number,
             "the directory \"" + dir + "\" holds no .jar file" +
                 fromStart(dir));
    }
    const SettingsList classPath = &LaunchSettings::classPath;
    const size_t end = index + 1 < report_.lines.size()
                           ? report_.lines[index + 1].before(classPath)
                           : report_.settings.classPath.size();
    for (size_t i = line.before(classPath); i < end; ++i) {
      if (report_.settings.classPath[i].front() != '"') continue;
      add(FindingKind::kValueQuoted, line.file, line.number,
           "the jars go on the class path in double quotes (the directory or a "
           "file name holds a space), such as " +
               report_.settings.classPath[i]);
      break;
    }
    return;
  }
  const bool classPath = key == ConfigKey::kAddJar || key == ConfigKey::kAddPath;
  if (!classPath && key != ConfigKey::kModulePath && key != ConfigKey::kMainJar)
    return;
  // One line may name several entries separated by ";".
  const std::string value = withoutSurroundingQuotes(line.value);
  size_t start = 0;
  while (start <= value.size()) {
    size_t end = value.find(';', start);
    if (end == std::string::npos) end = value.size();
    std::string entry =
        withoutSurroundingQuotes(value.substr(start, end - start));
    start = end + 1;
    // Java reads one wildcard in a class path: a folder followed by "*"
    // stands for every jar in it.  Any other "*" or "?" is taken as it
    // stands, and no file name on Windows holds one.
    const size_t wildcard = entry.find_first_of("*?");
    const bool folderStar =
        classPath && wildcard == entry.size() - 1 && entry[wildcard] == '*' &&
        (wildcard == 0 || entry[wildcard - 1] == '/' ||
         entry[wildcard - 1] == '\\');
    if (folderStar) {
      entry.pop_back();  // the folder; "*" alone is the current one
    } else if (wildcard != std::string::npos) {
      add(FindingKind::kPathWildcard, line.file, line.number,
          "\"" + entry + "\" holds \"" + entry[wildcard] +
              "\", which Java does not expand" +
              (classPath ? ": only a folder followed by \"*\" (\"lib/*\") "
                           "stands for the jars in it"
                         : std::string()));
      continue;
    }
    if (entry.empty() || notChecked(entry, line.file, line.number)) continue;
    if (!exists(entry)) {
      add(FindingKind::kPathMissing, line.file, line.number,
          "\"" + entry + "\" does not exist" + fromStart(entry));
      continue;
    }
    // Java looks for a relative entry from the folder the application runs
    // in, which is not the start directory when "workingDir" is set.
    const OptionalText& workingDir = report_.settings.workingDir;
    if (workingDir && !workingDir->empty() && !isAbsolutePath(entry) &&
        exists(*workingDir)) {
      const char last = workingDir->back();
      const std::string there =
          *workingDir + (last == '/' || last == '\\' ? "" : "/") + entry;
      if (!exists(there))
        add(FindingKind::kNotFromWorkingDir, line.file, line.number,
            "\"" + entry + "\" is found from the start directory, but Java "
            "looks for it from the working directory " + *workingDir +
                ", where it does not exist: name it by its full path");
    }
  }
}

bool Collector::exists(const std::string& path) {
  // The platform's search takes "*" and "?" as wildcards; a path is looked
  // up as it stands, and no Windows file name holds them.
  if (path.find_first_of("*?") != std::string::npos) return false;
  std::vector<FoundFile> matches;
  return findPath(platform_, path, &matches);
}

bool Collector::notChecked(const std::string& path, const std::string& file,
                           int line) {
  if (!report_.hostPaths || !isWindowsPath(path)) return false;
  add(FindingKind::kPathNotChecked, file, line,
      "\"" + path +
          "\" is a Windows path, which kitecheck cannot look up here: it is "
          "not checked; run kitecheck.exe on the target machine to check it");
  return true;
}

std::string Collector::fromStart(const std::string& path) const {
  return isAbsolutePath(path)
             ? std::string()
             : " (looked up from the start directory " +
                   report_.displayPath(report_.startDirectory) + ")";
}

}  // namespace kite
