#include "check/recorder.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "base/exit_codes.h"
#include "runtime/bundled_runtime.h"
#include "runtime/runtime_record.h"
#include "runtime/java_registry.h"
#include "runtime/window_search.h"

namespace kite {
namespace {

std::vector<RecordedBox> boxesSince(const CheckPlatform& platform,
                                    size_t mark) {
  return std::vector<RecordedBox>(platform.boxes.begin() + mark,
                                  platform.boxes.end());
}

}  // namespace

std::vector<SubkeyStep> describeSubkeys(const VersionSearch& search) {
  std::vector<SubkeyStep> steps;
  for (const SubkeyConsidered& subkey : search.subkeys) {
    SubkeyStep step{subkey.index, subkey.name, false, ""};
    if (!subkey.inFamily)
      step.reason = "passed over: not of the family \"" + search.family + "\"";
    else if (!subkey.hasPatch)
      step.reason = "passed over: of the family, but no patch level";
    else
      step.reason = "passed over: patch level " +
                    std::to_string(subkey.patchLevel) + " is below " +
                    std::to_string(subkey.levelToReach);
    steps.push_back(std::move(step));
  }
  // Of the subkeys that were the best at their time, only the last can be
  // the search's choice; the earlier ones were outdone by a later one.
  std::string best;
  for (size_t i = steps.size(); i-- > 0;) {
    const SubkeyConsidered& subkey = search.subkeys[i];
    if (!subkey.bestSoFar) continue;
    const std::string level = std::to_string(subkey.patchLevel);
    if (best.empty() && !search.chosen.empty() &&
        subkey.name == search.chosen) {
      best = subkey.name;
      steps[i].reason = "the highest patch level of the family (" + level + ")";
    } else if (!best.empty()) {
      steps[i].reason =
          "passed over: patch level " + level + ", outdone by " + best;
    } else {
      steps[i].reason = "passed over: patch level " + level + " is not above 0";
    }
  }
  for (SubkeyStep& step : steps) {
    if (search.versionKey.empty() || step.name != search.versionKey) continue;
    step.taken = true;
    if (step.name != best)
      step.reason =
          "the requested key itself (no subkey of the family has a "
          "patch level above 0)";
    step.reason = "taken: " + step.reason;
  }
  return steps;
}

LineRecord* Recorder::lastLine() {
  return report_.lines.empty() ? nullptr : &report_.lines.back();
}

void Recorder::fileOpened(const std::string& path, int depth, int error,
                          const DecodedText& decoded) {
  FileRecord file;
  file.path = path;
  file.depth = depth;
  if (error != 0) {
    file.state = FileState::kNotOpened;
    file.error = error;
    file.errorText = fileErrorText(platform_, path, error);
  }
  if (depth > 0 && lastLine()) {
    file.includedFrom = lastLine()->file;
    file.includedAt = lastLine()->number;
  }
  file.encoding = decoded.encoding;
  file.nonAscii = std::any_of(decoded.text.begin(), decoded.text.end(),
                              [](char c) { return (c & 0x80) != 0; });
  file.badLines = decoded.badLines;
  if (decoded.endedAtCtrlZ) file.ctrlZLine = decoded.ctrlZLine;
  report_.files.push_back(std::move(file));
}

void Recorder::notRead(const std::string& path, int depth, FileState state) {
  FileRecord file;
  file.path = path;
  file.depth = depth;
  file.state = state;
  if (lastLine()) {
    file.includedFrom = lastLine()->file;
    file.includedAt = lastLine()->number;
  }
  report_.files.push_back(std::move(file));
}

void Recorder::includeSkipped(const std::string& path, int depth) {
  notRead(path, depth, FileState::kSkipped);
}

void Recorder::fileLimitReached(const std::string& path, int depth) {
  notRead(path, depth, FileState::kOverLimit);
}

void Recorder::lineRead(const std::string& path, int number,
                        const std::string& line) {
  LineRecord record;
  record.file = path;
  record.number = number;
  record.text = line;
  for (SettingsList list : settingsLists())
    record.listsBefore.push_back((settings_.*list).size());
  report_.lines.push_back(std::move(record));
}

void Recorder::keyMatched(ConfigKey key, const std::string& raw,
                          const std::string& value) {
  if (LineRecord* line = lastLine()) {
    line->key = key;
    line->raw = raw;
    line->value = value;
  }
}

void Recorder::variableMissing(const std::string& name) {
  if (LineRecord* line = lastLine()) line->missingVariables.push_back(name);
}

void Recorder::jarsScanned(const std::string& directory, size_t added) {
  if (LineRecord* line = lastLine()) {
    line->jarDirectory = directory;
    line->jarsAdded = added;
  }
}

Outcome Recorder::resolve(LaunchSettings& settings, Platform& platform) {
  (void)platform;
  VersionLine line;
  line.settings = settings;
  if (const LineRecord* record = lastLine()) {
    line.file = record->file;
    line.line = record->number;
  }
  versionLines_.push_back(std::move(line));
  // A "javapath" line after this one sets the path again.
  settings.javaPath.reset();
  return Outcome::goOn();
}

void Recorder::searchVersionLines() {
  if (versionLines_.empty()) return;
  const bool pathAfter = settings_.javaPath.has_value();
  for (VersionLine& line : versionLines_) searchVersionLine(line);
  const LaunchSettings& last = versionLines_.back().settings;
  settings_.javaVersion = last.javaVersion;
  if (!pathAfter) settings_.javaPath = last.javaPath;
}

void Recorder::searchVersionLine(VersionLine& line) {
  LaunchSettings& settings = line.settings;
  RuntimeSearch search;
  search.kind = SearchKind::kVersionLine;
  search.file = line.file;
  search.line = line.line;
  search.request = settings.javaVersion.value_or("");
  const bool searched = report_.registryAvailable;
  search.familySearch = search.request.find('_') == std::string::npos ||
                        search.request.find('+') != std::string::npos;
  OptionalText found;
  if (search.request.empty()) {
    // The launcher gives up before any registry access.
    search.exitCode = kExitVersionUnresolved;
  } else if (searched) {
    const size_t shown = platform_.boxes.size();
    VersionSearch result = findJavaForVersion(settings, platform_);
    search.exitCode = result.outcome.exitCode();
    search.family = result.family;
    // The request after the search (the chosen key name, when a family
    // search chose one), whether or not a key of that name was opened.
    search.versionKey = settings.javaVersion.value_or("");
    search.subkeys = describeSubkeys(result);
    search.boxes = boxesSince(platform_, shown);
    found = std::move(result.runtime);
  }
  if (search.exitCode == 0 && searched) search.runtime = found;
  const std::string request = search.request;
  const bool unresolved = search.exitCode != 0;
  report_.searches.push_back(std::move(search));
  // The launcher would end here; the check goes on with a stand-in so that
  // the rest of the configuration is checked too.
  if (unresolved)
    settings.javaPath = "<no runtime for javaVersion " + request + ">";
  else if (!found)
    settings.javaPath = "<runtime for javaVersion " + request + ">";
  else
    settings.javaPath = std::move(found);
}

void recordDefaultRuntime(Report& report, LaunchSettings& settings,
                          CheckPlatform& platform) {
  RuntimeSearch search;
  const bool window = hasVersionWindow(settings);
  search.kind = window ? SearchKind::kWindow : SearchKind::kCurrent;
  if (!report.registryAvailable) {
    settings.javaPath = window ? "<runtime in the version window>"
                               : "<runtime from the registry>";
    report.searches.push_back(std::move(search));
    return;
  }
  if (window) {
    const size_t shown = platform.boxes.size();
    WindowSearch found = findRuntimeInWindow(settings, platform);
    search.exitCode = found.outcome.exitCode();
    search.boxes = boxesSince(platform, shown);
    search.windowWords = found.words;
    search.candidates = std::move(found.candidates);
    search.runtime = found.runtime;
    settings.javaPath = found.runtime ? *found.runtime : "<no runtime>";
    report.searches.push_back(std::move(search));
    return;
  }
  const size_t shown = platform.boxes.size();
  const DefaultLookup lookup = findDefaultJava(settings, platform);
  search.exitCode = lookup.outcome.exitCode();
  search.boxes = boxesSince(platform, shown);
  search.runtime = lookup.runtime;
  settings.javaPath = lookup.runtime ? *lookup.runtime : "<no runtime>";
  report.searches.push_back(std::move(search));
}

void recordBundledRuntime(Report& report, LaunchSettings& settings,
                          CheckPlatform& platform) {
  RuntimeSearch search;
  search.kind = SearchKind::kBundled;
  search.request = *settings.bundledRuntime;
  if (const LineRecord* line =
          report.lastLineWithKey(ConfigKey::kBundledRuntime)) {
    search.file = line->file;
    search.line = line->number;
  }
  const std::string home = bundledHome(settings.startDir, search.request);
  if (report.hostPaths && isWindowsPath(home)) {
    search.notChecked = true;
    search.bundled.record =
        runtimeRecordInHome(home, runtimeExecutableName(settings));
    search.runtime = "\"" + search.bundled.record.executable + "\"";
  } else {
    search.bundled = findBundledRuntime(settings, platform);
    search.runtime = search.bundled.runtime;
  }
  if (search.runtime) settings.javaPath = search.runtime;
  report.searches.push_back(std::move(search));
}

}  // namespace kite
