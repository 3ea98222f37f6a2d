#include "check/recorder.h"

#include <utility>

#include "runtime/java_registry.h"

namespace kite {
namespace {

bool startsWith(const std::string& text, const char* prefix, std::string* rest) {
  const std::string head = prefix;
  if (text.compare(0, head.size(), head) != 0) return false;
  *rest = text.substr(head.size());
  return true;
}

// The integer at the start of `text` (the version search prints with %d).
int leadingNumber(const std::string& text) {
  int value = 0;
  bool negative = false;
  size_t i = 0;
  if (i < text.size() && text[i] == '-') negative = true, ++i;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    value = value * 10 + (text[i] - '0');
  return negative ? -value : value;
}

std::vector<RecordedBox> boxesSince(const CheckPlatform& platform, size_t mark) {
  return std::vector<RecordedBox>(platform.boxes.begin() + mark,
                                  platform.boxes.end());
}

}  // namespace

void readSearchTrace(const std::string& trace, RuntimeSearch* search) {
  std::vector<SubkeyStep>& steps = search->subkeys;
  std::vector<bool> bestSoFar;  // per step: it was the search's best once
  std::vector<int> levels;
  size_t start = 0;
  while (start < trace.size()) {
    size_t end = trace.find('\n', start);
    if (end == std::string::npos) end = trace.size();
    const std::string line = trace.substr(start, end - start);
    start = end + 1;
    std::string rest;
    if (startsWith(line, "javaVersion=", &rest)) {
      const size_t cut = rest.rfind(", javaVer=");
      if (cut != std::string::npos) search->family = rest.substr(cut + 10);
    } else if (startsWith(line, "checking (", &rest)) {
      const size_t close = rest.find(") ");
      if (close == std::string::npos) continue;
      steps.push_back({leadingNumber(rest), rest.substr(close + 2), false,
                       "passed over: not of the family \"" + search->family + "\""});
      bestSoFar.push_back(false);
      levels.push_back(0);
    } else if (steps.empty()) {
      continue;
    } else if (startsWith(line, "No patch level found in ", &rest)) {
      steps.back().reason = "passed over: of the family, but no patch level";
    } else if (startsWith(line, "checking patch level ", &rest)) {
      const size_t against = rest.find(" against ");
      levels.back() = leadingNumber(rest);
      steps.back().reason =
          "passed over: patch level " + std::to_string(levels.back()) +
          " is below " +
          (against == std::string::npos ? "?" : rest.substr(against + 9));
    } else if (startsWith(line, "found latest java version ", &rest)) {
      bestSoFar.back() = true;
    }
  }
  // Only the last of the steps that were the best at their time is the
  // search's choice, and only when it lifted the patch level above 0 (then
  // it is the key opened); the earlier ones were outdone by a later subkey.
  size_t last = steps.size();
  for (size_t i = 0; i < steps.size(); ++i)
    if (bestSoFar[i]) last = i;
  const bool chosen = last < steps.size() && steps[last].name == search->versionKey;
  std::string best;
  for (size_t i = steps.size(); i-- > 0;) {
    if (!bestSoFar[i]) continue;
    const std::string level = std::to_string(levels[i]);
    if (i == last && chosen) {
      best = steps[i].name;
      steps[i].reason = "the highest patch level of the family (" + level + ")";
    } else if (!best.empty()) {
      steps[i].reason = "passed over: patch level " + level + ", outdone by " + best;
    } else {
      steps[i].reason = "passed over: patch level " + level + " is not above 0";
    }
  }
  for (SubkeyStep& step : steps) {
    if (step.name != search->versionKey) continue;
    step.taken = true;
    if (step.name != best)
      step.reason = "the requested key itself (no subkey of the family has a "
                    "patch level above 0)";
    step.reason = "taken: " + step.reason;
  }
}

LineRecord* Recorder::lastLine() {
  return report_.lines.empty() ? nullptr : &report_.lines.back();
}

void Recorder::fileOpened(const std::string& path, int depth, int error,
                          const std::string& text) {
  FileRecord file;
  file.path = path;
  file.depth = depth;
  file.error = error;
  if (error != 0) file.errorText = platform_.errorText(error);
  if (depth > 0 && lastLine()) {
    file.includedFrom = lastLine()->file;
    file.includedAt = lastLine()->number;
  }
  file.text = text;
  report_.files.push_back(std::move(file));
}

void Recorder::includeSkipped(const std::string& path, int depth) {
  FileRecord file;
  file.path = path;
  file.depth = depth;
  file.skipped = true;
  if (lastLine()) {
    file.includedFrom = lastLine()->file;
    file.includedAt = lastLine()->number;
  }
  report_.files.push_back(std::move(file));
}

void Recorder::lineRead(const std::string& path, int number,
                        const std::string& line) {
  LineRecord record;
  record.file = path;
  record.number = number;
  record.text = line;
  record.vmParamsBefore = settings_.vmParams.size();
  record.classPathBefore = settings_.classPath.size();
  record.argumentsBefore = settings_.arguments.size();
  report_.lines.push_back(std::move(record));
}

void Recorder::keyMatched(const char* key, const std::string& raw,
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
    line->scannedJars = true;
    line->jarDirectory = directory;
    line->jarsAdded = added;
  }
}

OptionalText Recorder::resolveJavaVersion(LaunchSettings& settings,
                                          Platform& platform) {
  RuntimeSearch search;
  if (const LineRecord* line = lastLine()) {
    search.file = line->file;
    search.line = line->number;
  }
  search.request = settings.javaVersion.value_or("");
  search.available = report_.registryAvailable;
  search.familySearch = search.request.find('_') == std::string::npos ||
                        search.request.find('+') != std::string::npos;
  OptionalText found;
  if (search.request.empty()) {
    // The launcher gives up before any registry access.
    search.exitCode = kExitVersionUnresolved;
  } else if (search.available) {
    const size_t traced = platform_.out.size();
    const size_t shown = platform_.boxes.size();
    try {
      found = findJavaForVersion(settings, platform);
    } catch (const CheckExit& exit) {
      search.exitCode = exit.code;
    }
    if (search.exitCode == 0 && (!found || found->empty()))
      search.exitCode = kExitVersionUnresolved;
    search.versionKey = settings.javaVersion.value_or("");
    readSearchTrace(platform_.out.substr(traced), &search);
    search.boxes = boxesSince(platform_, shown);
  }
  if (search.exitCode == 0 && search.available) search.runtime = found;
  const std::string request = search.request;
  const bool unresolved = search.exitCode != 0;
  report_.searches.push_back(std::move(search));
  // The launcher would end here; reading goes on with a stand-in so that
  // the rest of the configuration is checked too.
  if (unresolved) return "<no runtime for javaVersion " + request + ">";
  if (!found) return "<runtime for javaVersion " + request + ">";
  return found;
}

void recordDefaultRuntime(Report& report, LaunchSettings& settings,
                          CheckPlatform& platform) {
  RuntimeSearch search;
  search.available = report.registryAvailable;
  if (!search.available) {
    settings.javaPath = "<runtime from the registry>";
    report.searches.push_back(std::move(search));
    return;
  }
  const size_t shown = platform.boxes.size();
  OptionalText found;
  try {
    found = findDefaultJava(settings, platform);
  } catch (const CheckExit& exit) {
    search.exitCode = exit.code;
  }
  if (search.exitCode == 0 && !found) search.exitCode = kExitNoRuntime;
  search.boxes = boxesSince(platform, shown);
  search.runtime = found;
  settings.javaPath = found ? *found : "<no runtime>";
  report.searches.push_back(std::move(search));
}

}  // namespace kite
