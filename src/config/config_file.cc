#include "config/config_file.h"

#include <utility>
#include <vector>

#include "base/exit_codes.h"
#include "base/text.h"
#include "config/config_keys.h"
#include "config/config_observer.h"
#include "config/config_text.h"
#include "config/expand_value.h"
#include "config/jar_scan.h"
#include "platform/debug_output.h"

namespace kite {
namespace {

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
struct ReadStack {
  std::vector<OpenFile> files;
  int opened = 0;  // files opened or tried so far, the main file included
};

// What two names of the same file have in common: the platform's file
// identity, or the path text itself when the platform cannot tell (the file
// does not exist, say).
std::string identityOf(Platform& platform, const std::string& path) {
  std::string identity = platform.fileIdentity(path);
  return identity.empty() ? path : identity;
}

// Reads `path` whole and puts it on top of the stack.  A file that cannot
// be opened is reported on standard error and goes on without it; one past
// the limit of files for one launch ends the launcher.
Outcome openConfig(LaunchSettings& settings, Platform& platform,
                   const std::string& path, std::string identity,
                   ConfigObserver* observer, ReadStack& reading) {
  const int depth = static_cast<int>(reading.files.size());
  // Files that include one another more than once are read again each time
  // (a later include may mean to repeat what an earlier one set), so
  // without a limit a few files can make the work grow without bound.
  if (++reading.opened > kMaxConfigFiles) {
    platform.writeError(formatText(
        "Not reading %s: a launch reads at most %d configuration files\n",
        path.c_str(), kMaxConfigFiles));
    if (observer) observer->fileLimitReached(path, depth);
    platform.showMessageBox(
        formatText("The configuration includes too many files: reading %s "
                   "would make more than %d configuration files for one "
                   "launch.\nLook for files that include one another more "
                   "than once.",
                   path.c_str(), kMaxConfigFiles)
            .c_str(),
        "Error", kBoxError);
    return Outcome::exitWith(kExitNoConfig);
  }
  debugBox(settings, platform, path.c_str(), "Reading Config file");
  std::string bytes;
  const int error = platform.readFile(path, &bytes);
  // Each file is decoded on its own: an included file may be saved in
  // another encoding than the file that includes it.
  DecodedText decoded;
  if (error == 0)
    decoded = decodeConfigText(bytes, [&platform](std::string_view ansi) {
      return platform.ansiToUtf8(ansi);
    });
  if (observer) observer->fileOpened(path, depth, error, decoded);
  if (error != 0) {
    platform.writeError(formatText("Can't open %s Error %s\n", path.c_str(),
                                   platform.errorText(error).c_str()));
    // Only the main file is needed; an included one is read on without.
    return depth == 0 ? Outcome::exitWith(kExitNoConfig) : Outcome::goOn();
  }
  OpenFile file;
  file.text = std::move(decoded.text);
  file.identity = std::move(identity);
  file.path = path;
  reading.files.push_back(std::move(file));
  return Outcome::goOn();
}

// Follows an "include" line, unless the file it names is already being
// read: that would include itself again without end, so it is skipped with
// one standard-error line and the including file goes on.  "Already being
// read" compares identities, so the same file is found however it is named.
Outcome includeConfig(LaunchSettings& settings, Platform& platform,
                      const std::string& path, ConfigObserver* observer,
                      ReadStack& reading) {
  std::string identity = identityOf(platform, path);
  for (const OpenFile& file : reading.files) {
    if (file.identity == identity) {
      platform.writeError(formatText(
          "Skipping include of %s: it is already being read\n", path.c_str()));
      if (observer)
        observer->includeSkipped(path, static_cast<int>(reading.files.size()));
      return Outcome::goOn();
    }
  }
  return openConfig(settings, platform, path, std::move(identity), observer,
                    reading);
}

// Performs one configuration line; the launcher ends there when a
// "javaVersion" line cannot be resolved.
Outcome applyLine(LaunchSettings& settings, Platform& platform,
                  const std::string& line, const ConfigReading& config,
                  ReadStack& reading) {
  if (line.empty() || line[0] == '#' || line[0] == '/') return Outcome::goOn();
  // Only a space separates key and value (a tab does not); the value is all
  // that follows the first space, further spaces included.
  const size_t space = line.find(' ');
  if (space == std::string::npos) return Outcome::goOn();
  const KeyRule* rule = matchConfigKey(line);
  if (!rule) return Outcome::goOn();
  const std::string raw = line.substr(space + 1);
  Expansion expansion;
  if (rule->expand)
    expansion = expand(settings, platform, raw, rule->quote);
  else
    expansion.text = raw;
  std::string& value = expansion.text;
  ConfigObserver* observer = config.observer;
  if (observer) {
    if (expansion.missingVariable)
      observer->variableMissing(*expansion.missingVariable);
    observer->keyMatched(rule->key, raw, value);
  }

  if (rule->value) {
    // A folder or a title is no command-line text: quotes that expansion
    // added (a variable whose value holds a space) would make the folder
    // unusable and show up in the title, so they are taken off wherever
    // they stand.  Quotes the user typed into the value are kept.
    settings.*rule->value =
        rule->unquote ? expansion.withoutAddedQuotes() : std::move(value);
  } else if (rule->list) {
    (settings.*rule->list).push_back(std::move(value));
  }
  switch (rule->key) {
    case ConfigKey::kJavaVersion:
      // Resolved at once, while the file is read, so that a later
      // "javapath" line can still replace what it finds.
      return config.versions.resolve(settings, platform);
    case ConfigKey::kAddJars: {
      const JarScan scan = addJarDirectory(settings, platform, value);
      if (observer) observer->jarsScanned(scan.directory, scan.added);
      break;
    }
    case ConfigKey::kInclude:
      return includeConfig(settings, platform, value, observer, reading);
    default:
      break;
  }
  return Outcome::goOn();
}

}  // namespace

std::string configFileName(const std::string& exePath) {
  // The file carries the executable's own base name, so one copy of the
  // launcher renamed after an application finds that application's file.
  return exeStem(exePath, /*anyCase=*/false) + ".config";
}

Outcome locateAppConfig(LaunchSettings& settings, Platform& platform,
                        const std::string& exePath, const std::string& startDir,
                        const ConfigReading& reading) {
  std::string path;
  if (settings.configOverride) {
    // A "-c" path is used as given; a relative one is relative to the
    // current directory.
    path = *settings.configOverride;
  } else {
    path = inFolder(startDir, configFileName(exePath));
  }
  settings.configPath = path;
  debugTrace(settings, platform, "reading app config %s\n", path.c_str());
  debugBox(settings, platform, formatText("[%s]", path.c_str()).c_str(),
           "Reading App Config file");
  const Outcome outcome = readConfigFile(settings, platform, path, reading);
  if (outcome == Outcome::exitWith(kExitNoConfig))
    debugBox(settings, platform, formatText("[%s]", exePath.c_str()).c_str(),
             "LpCmdLine");
  return outcome;
}

Outcome readConfigFile(LaunchSettings& settings, Platform& platform,
                       const std::string& path, const ConfigReading& config) {
  ReadStack reading;
  const Outcome opened =
      openConfig(settings, platform, path, identityOf(platform, path),
                 config.observer, reading);
  if (opened.endsLauncher()) return opened;
  // Lines are taken whole, however long, from the top file of the stack; an
  // "include" line pushes the included file, which is then read to its end
  // before the including file goes on with its next line.
  while (!reading.files.empty()) {
    OpenFile& file = reading.files.back();
    if (file.next >= file.text.size()) {
      reading.files.pop_back();
      continue;
    }
    size_t end = file.text.find('\n', file.next);
    if (end == std::string::npos) end = file.text.size();
    std::string line = file.text.substr(file.next, end - file.next);
    file.next = end + 1;
    ++file.lineNumber;
    if (config.observer)
      config.observer->lineRead(file.path, file.lineNumber, line);
    // A line ends at a NUL byte, as a C string would: the command line is
    // handed to Windows as one, and a NUL inside a value would silently cut
    // off everything after it (the class path, the main class, arguments).
    const size_t nul = line.find('\0');
    if (nul != std::string::npos) line.resize(nul);
    // May grow `reading`, so `file` is not used after it.
    const Outcome outcome =
        applyLine(settings, platform, line, config, reading);
    if (outcome.endsLauncher()) return outcome;
  }
  return Outcome::goOn();
}

}  // namespace kite
