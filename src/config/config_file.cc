#include "config/config_file.h"

#include <utility>
#include <vector>

#include "config/config_observer.h"
#include "config/expand_value.h"
#include "config/jar_scan.h"
#include "launcher/text.h"
#include "runtime/java_registry.h"

namespace kite {
namespace {

enum class Key {
  kVmParam,
  kJavaPath,
  kAddPath,
  kMainClass,
  kAppName,
  kJavaVersion,
  kAddJars,
  kArgument,
  kAddJar,
  kInclude,
  kConsoleTitle,
  kWorkingDir,
};

struct KeyRule {
  const char* text;
  Key key;
  bool expand;  // pass the value through expandValue first
  bool quote;   // the quote flag given to expandValue
};

// Tested in this order; the first key that the line begins with wins.  The
// key is compared with the start of the line, not with a word cut out of
// it, so "vmparameter -Xss1m" is a "vmparam" line, and "addjars" has to come
// before "addjar", whose text it begins with.
const KeyRule kKeyRules[] = {
    {"vmparam", Key::kVmParam, true, true},
    {"javapath", Key::kJavaPath, true, true},
    {"addpath", Key::kAddPath, true, true},
    {"mainclass", Key::kMainClass, true, false},
    {"appname", Key::kAppName, true, false},
    {"javaVersion", Key::kJavaVersion, true, false},
    {"addjars", Key::kAddJars, true, true},
    {"argument", Key::kArgument, false, false},
    {"addjar", Key::kAddJar, true, true},
    {"include", Key::kInclude, true, false},
    {"consoleTitle", Key::kConsoleTitle, true, true},
    {"workingDir", Key::kWorkingDir, true, true},
};

const KeyRule* matchKey(const std::string& line) {
  for (const KeyRule& rule : kKeyRules)
    if (line.compare(0, std::char_traits<char>::length(rule.text),
                     rule.text) == 0)
      return &rule;
  return nullptr;
}

// One file being read: what names it for the include-cycle check, its whole
// text, and where the next line starts.
struct OpenFile {
  std::string identity;
  std::string text;
  size_t next = 0;
  std::string path;    // as given, for the observer
  int lineNumber = 0;  // of the line last taken, for the observer
};

// The files being read, the outermost first.  Includes are followed with
// this explicit stack rather than by recursion, so a long chain of includes
// costs heap, not machine stack.
using ReadStack = std::vector<OpenFile>;

// What two names of the same file have in common: the platform's file
// identity, or the path text itself when the platform cannot tell (the file
// does not exist, say).
std::string identityOf(Platform& platform, const std::string& path) {
  std::string identity = platform.fileIdentity(path);
  return identity.empty() ? path : identity;
}

// Reads `path` whole and puts it on top of the stack; false (after the
// standard-error line) when it cannot be opened.
bool openConfig(LaunchSettings& settings, Platform& platform,
                const std::string& path, std::string identity,
                ReadStack& reading) {
  debugBox(settings, platform, path.c_str(), "Reading Config file");
  OpenFile file;
  const int error = platform.readTextFile(path, &file.text);
  if (settings.observer)
    settings.observer->fileOpened(path, static_cast<int>(reading.size()),
                                  error, file.text);
  if (error != 0) {
    platform.writeError(formatText("Can't open %s Error %s\n", path.c_str(),
                                   platform.errorText(error).c_str()));
    return false;
  }
  // A UTF-8 byte-order mark (Notepad writes one) is not part of the first
  // line; without this its key would never match.
  if (file.text.compare(0, 3, "\xEF\xBB\xBF") == 0) file.next = 3;
  file.identity = std::move(identity);
  file.path = path;
  reading.push_back(std::move(file));
  return true;
}

// Follows an "include" line, unless the file it names is already being
// read: that would include itself again without end, so it is skipped with
// one standard-error line and the including file goes on.  "Already being
// read" compares identities, so the same file is found however it is named.
void includeConfig(LaunchSettings& settings, Platform& platform,
                   const std::string& path, ReadStack& reading) {
  std::string identity = identityOf(platform, path);
  for (const OpenFile& file : reading) {
    if (file.identity == identity) {
      platform.writeError(formatText(
          "Skipping include of %s: it is already being read\n", path.c_str()));
      if (settings.observer)
        settings.observer->includeSkipped(path, static_cast<int>(reading.size()));
      return;
    }
  }
  // A file that cannot be opened has already been reported; the including
  // file is read on either way.
  openConfig(settings, platform, path, std::move(identity), reading);
}

// Resolves the requested runtime version at once, while the file is read,
// so that a later "javapath" line can still replace what it finds.  A
// version that cannot be resolved ends the launcher.
void applyJavaVersion(LaunchSettings& settings, Platform& platform,
                      std::string version) {
  settings.javaVersion = std::move(version);
  OptionalText found =
      settings.observer ? settings.observer->resolveJavaVersion(settings, platform)
                        : findJavaForVersion(settings, platform);
  if (!found || found->empty()) platform.exitProcess(kExitVersionUnresolved);
  settings.javaPath = std::move(*found);
}

// Performs one configuration line.
void applyLine(LaunchSettings& settings, Platform& platform,
               const std::string& line, ReadStack& reading) {
  if (line.empty() || line[0] == '#' || line[0] == '/') return;
  // Only a space separates key and value (a tab does not); the value is all
  // that follows the first space, further spaces included.
  const size_t space = line.find(' ');
  if (space == std::string::npos) return;
  const KeyRule* rule = matchKey(line);
  if (!rule) return;
  const std::string raw = line.substr(space + 1);
  bool wrappedWhole = false;
  std::string value =
      rule->expand
          ? expandValue(settings, platform, raw, rule->quote, &wrappedWhole)
          : raw;
  if (settings.observer) settings.observer->keyMatched(rule->text, raw, value);

  switch (rule->key) {
    case Key::kVmParam:
      settings.vmParams.push_back(std::move(value));
      break;
    case Key::kJavaPath:
      settings.javaPath = std::move(value);
      break;
    case Key::kAddPath:
    case Key::kAddJar:
      settings.classPath.push_back(std::move(value));
      break;
    case Key::kMainClass:
      settings.mainClass = std::move(value);
      break;
    case Key::kAppName:
      settings.appName = std::move(value);
      break;
    case Key::kJavaVersion:
      applyJavaVersion(settings, platform, std::move(value));
      break;
    case Key::kAddJars:
      addJarDirectory(settings, platform, value);
      break;
    case Key::kArgument:
      settings.arguments.push_back(std::move(value));
      break;
    case Key::kInclude:
      includeConfig(settings, platform, value, reading);
      break;
    case Key::kConsoleTitle:
    case Key::kWorkingDir:
      // The child's directory and console title are not command-line text:
      // quotes that expansion put around the whole value (a variable whose
      // value holds a space) would make the directory unusable and show up
      // in the title, so exactly that pair is taken off.  Quotes the user
      // typed into the value are not expansion's and are kept as written.
      if (wrappedWhole) value = withoutSurroundingQuotes(value);
      (rule->key == Key::kWorkingDir ? settings.workingDir
                                     : settings.consoleTitle) =
          std::move(value);
      break;
  }
}

}  // namespace

const char* matchConfigKey(const std::string& line) {
  const KeyRule* rule = matchKey(line);
  return rule ? rule->text : nullptr;
}

std::vector<const char*> configKeys() {
  std::vector<const char*> keys;
  for (const KeyRule& rule : kKeyRules) keys.push_back(rule.text);
  return keys;
}

int locateAppConfig(LaunchSettings& settings, Platform& platform,
                    const std::string& exePath, const std::string& startDir) {
  std::string path;
  if (settings.configOverride) {
    // A "-c" path is used as given; a relative one is relative to the
    // current directory.
    path = *settings.configOverride;
  } else {
    // The file carries the executable's own base name, so one copy of the
    // launcher renamed after an application finds that application's file.
    // Only a lower-case ".exe" is cut off.
    const size_t slash = exePath.rfind('\\');
    std::string base =
        slash == std::string::npos ? exePath : exePath.substr(slash + 1);
    if (base.size() >= 4 && base.compare(base.size() - 4, 4, ".exe") == 0)
      base.resize(base.size() - 4);
    path = startDir + "\\" + base + ".config";
  }
  settings.configPath = path;
  debugTrace(settings, platform, "reading app config %s\n", path.c_str());
  debugBox(settings, platform, formatText("[%s]", path.c_str()).c_str(),
           "Reading App Config file");
  return readConfigFile(settings, platform, path);
}

int readConfigFile(LaunchSettings& settings, Platform& platform,
                   const std::string& path) {
  ReadStack reading;
  if (!openConfig(settings, platform, path, identityOf(platform, path),
                  reading))
    return 1;
  // Lines are taken whole, however long, from the top file of the stack; an
  // "include" line pushes the included file, which is then read to its end
  // before the including file goes on with its next line.
  while (!reading.empty()) {
    OpenFile& file = reading.back();
    if (file.next >= file.text.size()) {
      reading.pop_back();
      continue;
    }
    size_t end = file.text.find('\n', file.next);
    if (end == std::string::npos) end = file.text.size();
    const std::string line = file.text.substr(file.next, end - file.next);
    file.next = end + 1;
    ++file.lineNumber;
    if (settings.observer)
      settings.observer->lineRead(file.path, file.lineNumber, line);
    applyLine(settings, platform, line, reading);  // may grow `reading`
  }
  return 0;
}

}  // namespace kite
