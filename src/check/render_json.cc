#include "check/render.h"

#include "base/launch_settings.h"
#include "base/version.h"
#include "check/json.h"
#include "launcher/command_line.h"
#include "launcher/launcher.h"
#include "runtime/java_registry.h"

namespace kite {
namespace {

// "file" and "line" of a line record, or nulls (the command line).
std::string originFields(const Report& report, const LineRecord* line) {
  if (!line) return "\"file\": null, \"line\": null";
  return "\"file\": " + jsonString(report.displayPath(line->file)) +
         ", \"line\": " + std::to_string(line->number);
}

std::string single(const Report& report, const OptionalText& value,
                   ConfigKey key) {
  if (!value) return "null";
  return "{\"value\": " + jsonString(*value) + ", " +
         originFields(report, report.lastLineWithKey(key)) + "}";
}

std::string list(const Report& report, SettingsList member) {
  const std::vector<std::string>& values = report.settings.*member;
  std::string out = "[";
  for (size_t i = 0; i < values.size(); ++i)
    out += std::string(i ? ", " : "") + "{\"value\": " + jsonString(values[i]) +
           ", " + originFields(report, report.originOf(member, i)) + "}";
  return out + "]";
}

std::string runtime(const Report& report) {
  const LineRecord* line = report.runtimeLine();
  if (report.bundledTaken())
    line = report.lastLineWithKey(ConfigKey::kBundledRuntime);
  return "{\"path\": " + jsonOrNull(report.settings.javaPath) +
         ", \"source\": " +
         jsonString(line ? keyText(*line->key) : "registry") + ", " +
         originFields(report, line) +
         ", \"known\": " + jsonBool(!report.runtimePlaceholder) + "}";
}

std::string boxes(const std::vector<RecordedBox>& shown) {
  std::string out = "[";
  for (size_t i = 0; i < shown.size(); ++i)
    out += std::string(i ? ", " : "") +
           "{\"caption\": " + jsonString(shown[i].caption) +
           ", \"text\": " + jsonString(shown[i].text) +
           ", \"style\": " + std::to_string(shown[i].style) + "}";
  return out + "]";
}

std::string candidates(const std::vector<RuntimeCandidate>& found) {
  std::string out = "[";
  for (size_t i = 0; i < found.size(); ++i) {
    const RuntimeCandidate& c = found[i];
    out += std::string(i ? ", " : "") +
           "{\"source\": " + jsonString(c.source) +
           ", \"home\": " + jsonString(c.home) + ", \"version\": " +
           (c.versionText.empty() ? "null" : jsonString(c.versionText)) +
           ", \"versionFrom\": " +
           (c.versionFrom.empty() ? "null" : jsonString(c.versionFrom)) +
           ", \"taken\": " + jsonBool(c.taken) +
           ", \"reason\": " + (c.taken ? "null" : jsonString(c.reason)) + "}";
  }
  return out + "]";
}

std::string bundled(const Report& report, const RuntimeSearch& s) {
  const BundledRuntime& b = s.bundled;
  return "{\"bundledRuntime\": " + jsonString(s.request) +
         ", \"file\": " + jsonString(report.displayPath(s.file)) +
         ", \"line\": " + std::to_string(s.line) +
         ", \"home\": " + jsonString(b.record.home) +
         ", \"executable\": " + jsonString(b.record.executable) +
         ", \"checked\": " + jsonBool(!s.notChecked) +
         ", \"exists\": " + (s.notChecked ? "null" : jsonBool(b.exists)) +
         ", \"version\": " +
         (b.record.versionText.empty() ? "null" : jsonString(b.record.versionText)) +
         ", \"window\": " +
         (b.windowWords.empty() ? "null" : jsonString(b.windowWords)) +
         ", \"taken\": " + jsonBool(b.taken || s.notChecked) +
         ", \"reason\": " + (b.reason.empty() ? "null" : jsonString(b.reason)) +
         ", \"runtime\": " + jsonOrNull(s.runtime) + "}";
}

std::string search(const Report& report, const RuntimeSearch& s) {
  if (s.kind == SearchKind::kBundled) return bundled(report, s);
  const bool line = s.kind == SearchKind::kVersionLine;
  std::string out = "{\"request\": " + (line ? jsonString(s.request) : "null");
  out += ", \"file\": " +
         (line ? jsonString(report.displayPath(s.file)) : "null");
  out += ", \"line\": " + (line ? std::to_string(s.line) : "null");
  out += std::string(", \"searched\": ") + jsonBool(report.registryAvailable);
  out += ", \"family\": " + (s.familySearch && report.registryAvailable
                                 ? jsonString(s.family)
                                 : "null");
  out += ", \"subkeys\": [";
  for (size_t i = 0; i < s.subkeys.size(); ++i) {
    const SubkeyStep& step = s.subkeys[i];
    out += std::string(i ? ", " : "") +
           "{\"index\": " + std::to_string(step.index) +
           ", \"name\": " + jsonString(step.name) +
           ", \"taken\": " + jsonBool(step.taken) +
           ", \"reason\": " + jsonString(step.reason) + "}";
  }
  out += "], \"versionKey\": " +
         (s.versionKey.empty() ? "null" : jsonString(s.versionKey));
  out += ", \"runtime\": " + jsonOrNull(s.runtime);
  out += ", \"boxes\": " + boxes(s.boxes);
  if (s.kind == SearchKind::kWindow)
    out += ", \"window\": " + jsonString(s.windowWords) +
           ", \"candidates\": " + candidates(s.candidates);
  out += ", \"launcherExitCode\": " +
         (s.exitCode ? std::to_string(s.exitCode) : "null");
  return out + "}";
}

// Every setting a key fills, in the order of the key table: the runtime
// once for the keys that set it, a list once for the keys that fill it.
std::string settings(const Report& report) {
  std::vector<std::string> fields;
  bool runtimeShown = false;
  std::vector<bool> listShown(settingsLists().size());
  for (const KeyRule& rule : configKeys()) {
    if (rule.runtime && !runtimeShown) {
      runtimeShown = true;
      fields.push_back("\"runtime\": " + runtime(report));
    } else if (rule.list && !listShown[listIndex(rule.list)]) {
      listShown[listIndex(rule.list)] = true;
      fields.push_back(std::string("\"") + rule.json +
                       "\": " + list(report, rule.list));
    } else if (rule.value && rule.json) {
      fields.push_back(std::string("\"") + rule.json + "\": " +
                       single(report, report.settings.*rule.value, rule.key));
      if (rule.key == ConfigKey::kSingleInstance)
        fields.push_back("\"instanceName\": " +
                         (report.instanceName.empty()
                              ? std::string("null")
                              : jsonString(report.instanceName)));
      if (rule.key == ConfigKey::kAppProcess)
        fields.push_back(
            "\"startedAs\": " +
            (report.appProcess.empty()
                 ? std::string("null")
                 : "{\"hosted\": " +
                       std::string(report.hosted ? "true" : "false") +
                       ", \"why\": " + jsonString(report.appProcess) + "}"));
    }
  }
  std::string out = "  \"settings\": {\n";
  for (size_t i = 0; i < fields.size(); ++i)
    out += "    " + fields[i] + (i + 1 < fields.size() ? ",\n" : "\n");
  return out + "  },\n";
}

void settingsAndSearches(std::string& out, const Report& report) {
  out += settings(report);
  out += "  \"applicationEnvironment\": [";
  for (size_t i = 0; i < report.environment.size(); ++i) {
    const std::string& entry = report.environment[i];
    const size_t equals = entry.find('=', 1);
    out += std::string(i ? ", " : "") +
           "{\"name\": " + jsonString(entry.substr(0, equals)) +
           ", \"value\": " + jsonString(entry.substr(equals + 1)) + "}";
  }
  out += "],\n";
  out += std::string("  \"runtimeSearch\": {\"available\": ") +
         jsonBool(report.registryAvailable) + ", \"searches\": [";
  for (size_t i = 0; i < report.searches.size(); ++i)
    out += std::string(i ? "," : "") + "\n    " +
           search(report, report.searches[i]);
  out += "\n  ]},\n";

  const size_t length = report.commandLineLength;
  out += "  \"commandLine\": {\"text\": " + jsonString(report.commandLine) +
         ", \"length\": " + std::to_string(length) +
         ", \"limit\": " + std::to_string(kCommandLineLimit) +
         ", \"withinLimit\": " + jsonBool(length + 1 <= kCommandLineLimit) +
         "},\n";
}

void findingsAndTotals(std::string& out, const Report& report) {
  out += "  \"findings\": [";
  for (size_t i = 0; i < report.findings.size(); ++i) {
    const Finding& f = report.findings[i];
    out += std::string(i ? "," : "") + "\n    {\"severity\": " +
           jsonString(severityWord(f.severity())) +
           ", \"kind\": " + jsonString(findingName(f.kind)) +
           ", \"file\": " + jsonString(report.displayPath(f.file)) +
           ", \"line\": " + (f.line > 0 ? std::to_string(f.line) : "null") +
           ", \"message\": " + jsonString(f.message) + "}";
  }
  out += "\n  ],\n";
  out += "  \"errors\": " + std::to_string(report.errors()) +
         ",\n  \"warnings\": " + std::to_string(report.warnings()) +
         ",\n  \"notes\": " + std::to_string(report.notes()) +
         ",\n  \"exitCode\": " + std::to_string(report.exitCode()) + "\n}\n";
}

}  // namespace

std::string renderJson(const Report& report) {
  std::string out = "{\n";
  out += "  \"version\": " + jsonString(kVersionText) + ",\n";
  out += "  \"config\": " + jsonString(report.displayPath(report.config)) +
         ",\n";
  out += "  \"startDirectory\": " +
         jsonString(report.displayPath(report.startDirectory)) + ",\n";
  out += std::string("  \"variant\": {\"console\": ") +
         jsonBool(report.settings.console) +
         ", \"from\": " + jsonString(report.variantFrom) +
         ", \"runtimeExecutable\": " +
         jsonString(runtimeExecutableName(report.settings)) +
         ", \"exitsWithApplicationCode\": " +
         jsonBool(exitsWithApplicationCode(report.settings)) + "},\n";
  out += "  \"logFile\": " +
         (report.settings.logFile && !report.settings.logFile->empty()
              ? jsonString(report.displayPath(*report.settings.logFile))
              : std::string("null")) +
         ",\n";

  out += "  \"files\": [";
  for (size_t i = 0; i < report.files.size(); ++i) {
    const FileRecord& f = report.files[i];
    const bool read = f.state == FileState::kRead;
    out += std::string(i ? "," : "") +
           "\n    {\"path\": " + jsonString(report.displayPath(f.path)) +
           ", \"depth\": " + std::to_string(f.depth) +
           ", \"opened\": " + jsonBool(read) +
           ", \"skipped\": " + jsonBool(f.state == FileState::kSkipped) +
           ", \"encoding\": " +
           (read ? jsonString(encodingShown(f)) : std::string("null")) +
           ", \"error\": " +
           (f.state == FileState::kNotOpened ? jsonString(f.errorText)
                                             : std::string("null")) +
           "}";
  }
  out += "\n  ],\n";

  // Where the launcher ends while reading, it has no settings, searches or
  // command line.
  out += "  \"readExitCode\": " +
         (report.readExitCode ? std::to_string(report.readExitCode) : "null") +
         ",\n";
  if (report.readExitCode == 0) {
    settingsAndSearches(out, report);
  } else {
    out +=
        "  \"settings\": null,\n  \"runtimeSearch\": null,\n"
        "  \"commandLine\": null,\n";
  }
  findingsAndTotals(out, report);
  return out;
}

}  // namespace kite
