#include "check/render.h"

#include <cstdio>

#include "base/launch_settings.h"
#include "base/unicode.h"
#include "base/version.h"
#include "launcher/command_line.h"

namespace kite {
namespace {

std::string quote(const std::string& text) {
  std::string out = "\"";
  char32_t decoded = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    char escaped[8];
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || c == 0x7F) {
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (size_t next = i; decodeUtf8(text, &next, &decoded)) {
      out.append(text, i, next - i);
      i = next - 1;
    } else {
      // A byte of the ANSI code page: taken as Latin-1.
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    }
  }
  return out + "\"";
}

std::string optional(const OptionalText& text) {
  return text ? quote(*text) : "null";
}

// "file" and "line" of a line record, or nulls (the command line).
std::string originFields(const Report& report, const LineRecord* line) {
  if (!line) return "\"file\": null, \"line\": null";
  return "\"file\": " + quote(report.displayPath(line->file)) +
         ", \"line\": " + std::to_string(line->number);
}

std::string single(const Report& report, const OptionalText& value,
                   ConfigKey key) {
  if (!value) return "null";
  return "{\"value\": " + quote(*value) + ", " +
         originFields(report, report.lastLineWithKey(key)) + "}";
}

std::string list(const Report& report,
                 const std::vector<std::string> LaunchSettings::*member) {
  const std::vector<std::string>& values = report.settings.*member;
  std::string out = "[";
  for (size_t i = 0; i < values.size(); ++i)
    out += std::string(i ? ", " : "") + "{\"value\": " + quote(values[i]) +
           ", " + originFields(report, report.originOf(member, i)) + "}";
  return out + "]";
}

std::string boxes(const std::vector<RecordedBox>& shown) {
  std::string out = "[";
  for (size_t i = 0; i < shown.size(); ++i)
    out += std::string(i ? ", " : "") +
           "{\"caption\": " + quote(shown[i].caption) +
           ", \"text\": " + quote(shown[i].text) +
           ", \"style\": " + std::to_string(shown[i].style) + "}";
  return out + "]";
}

std::string search(const Report& report, const RuntimeSearch& s) {
  std::string out =
      "{\"request\": " + (s.file.empty() ? "null" : quote(s.request));
  out += ", \"file\": " +
         (s.file.empty() ? "null" : quote(report.displayPath(s.file)));
  out += ", \"line\": " + (s.file.empty() ? "null" : std::to_string(s.line));
  out += ", \"searched\": " + std::string(s.available ? "true" : "false");
  out += ", \"family\": " +
         (s.familySearch && s.available ? quote(s.family) : "null");
  out += ", \"subkeys\": [";
  for (size_t i = 0; i < s.subkeys.size(); ++i) {
    const SubkeyStep& step = s.subkeys[i];
    out += std::string(i ? ", " : "") +
           "{\"index\": " + std::to_string(step.index) +
           ", \"name\": " + quote(step.name) +
           ", \"taken\": " + (step.taken ? "true" : "false") +
           ", \"reason\": " + quote(step.reason) + "}";
  }
  out += "], \"versionKey\": " +
         (s.versionKey.empty() ? "null" : quote(s.versionKey));
  out += ", \"runtime\": " + optional(s.runtime);
  out += ", \"boxes\": " + boxes(s.boxes);
  if (s.window) {
    out += ", \"window\": " + quote(s.windowWords) + ", \"candidates\": [";
    for (size_t i = 0; i < s.candidates.size(); ++i) {
      const RuntimeCandidate& c = s.candidates[i];
      out += std::string(i ? ", " : "") + "{\"source\": " + quote(c.source) +
             ", \"home\": " + quote(c.home) + ", \"version\": " +
             (c.versionText.empty() ? "null" : quote(c.versionText)) +
             ", \"versionFrom\": " +
             (c.versionFrom.empty() ? "null" : quote(c.versionFrom)) +
             ", \"taken\": " + (c.taken ? "true" : "false") +
             ", \"reason\": " + (c.taken ? "null" : quote(c.reason)) + "}";
    }
    out += "]";
  }
  out += ", \"launcherExitCode\": " +
         (s.exitCode ? std::to_string(s.exitCode) : "null");
  return out + "}";
}
void settingsAndSearches(std::string& out, const Report& report) {
  const LaunchSettings& s = report.settings;
  const LineRecord* runtime = report.runtimeLine();
  out += "  \"settings\": {\n";
  out += "    \"mainClass\": " +
         single(report, s.mainClass, ConfigKey::kMainClass) + ",\n";
  out += "    \"appName\": " + single(report, s.appName, ConfigKey::kAppName) +
         ",\n";
  out +=
      "    \"runtime\": {\"path\": " + optional(s.javaPath) +
      ", \"source\": " + quote(runtime ? keyText(*runtime->key) : "registry") +
      ", " + originFields(report, runtime) +
      ", \"known\": " + (report.runtimePlaceholder ? "false" : "true") + "},\n";
  out += "    \"vmParams\": " + list(report, &LaunchSettings::vmParams) + ",\n";
  out +=
      "    \"classPath\": " + list(report, &LaunchSettings::classPath) + ",\n";
  out +=
      "    \"arguments\": " + list(report, &LaunchSettings::arguments) + ",\n";
  out += "    \"workingDir\": " +
         single(report, s.workingDir, ConfigKey::kWorkingDir) + ",\n";
  out += "    \"consoleTitle\": " +
         single(report, s.consoleTitle, ConfigKey::kConsoleTitle) + "\n";
  out += "  },\n";

  out += "  \"runtimeSearch\": {\"available\": " +
         std::string(report.registryAvailable ? "true" : "false") +
         ", \"searches\": [";
  for (size_t i = 0; i < report.searches.size(); ++i)
    out += std::string(i ? "," : "") + "\n    " +
           search(report, report.searches[i]);
  out += "\n  ]},\n";

  const size_t length = report.commandLineLength;
  out += "  \"commandLine\": {\"text\": " + quote(report.commandLine) +
         ", \"length\": " + std::to_string(length) +
         ", \"limit\": " + std::to_string(kCommandLineLimit) +
         ", \"withinLimit\": " +
         (length + 1 <= kCommandLineLimit ? "true" : "false") + "},\n";
}

void findingsAndTotals(std::string& out, const Report& report) {
  out += "  \"findings\": [";
  for (size_t i = 0; i < report.findings.size(); ++i) {
    const Finding& f = report.findings[i];
    out += std::string(i ? "," : "") + "\n    {\"severity\": " +
           (f.severity == Severity::kError     ? "\"error\""
            : f.severity == Severity::kWarning ? "\"warning\""
                                               : "\"note\"") +
           ", \"kind\": " + quote(f.kind) +
           ", \"file\": " + quote(report.displayPath(f.file)) +
           ", \"line\": " + (f.line > 0 ? std::to_string(f.line) : "null") +
           ", \"message\": " + quote(f.message) + "}";
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
  out += "  \"version\": " + quote(kVersionText) + ",\n";
  out += "  \"config\": " + quote(report.displayPath(report.config)) + ",\n";
  out += "  \"startDirectory\": " +
         quote(report.displayPath(report.startDirectory)) + ",\n";

  out += "  \"files\": [";
  for (size_t i = 0; i < report.files.size(); ++i) {
    const FileRecord& f = report.files[i];
    out += std::string(i ? "," : "") +
           "\n    {\"path\": " + quote(report.displayPath(f.path)) +
           ", \"depth\": " + std::to_string(f.depth) + ", \"opened\": " +
           (f.error == 0 && !f.skipped && !f.overLimit ? "true" : "false") +
           ", \"skipped\": " + (f.skipped ? "true" : "false") +
           ", \"encoding\": " +
           (f.error == 0 && !f.skipped && !f.overLimit ? quote(encodingShown(f))
                                                       : std::string("null")) +
           ", \"error\": " + (f.error ? quote(f.errorText) : "null") + "}";
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
