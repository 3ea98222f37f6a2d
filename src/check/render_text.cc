#include "check/render.h"

#include "base/launch_settings.h"
#include "base/text.h"
#include "base/version.h"
#include "launcher/command_line.h"
#include "launcher/launcher.h"
#include "platform/console_platform.h"
#include "runtime/java_registry.h"

namespace kite {
namespace {

// A file under the start directory is named relative to it.
std::string where(const Report& report, const std::string& file, int line) {
  std::string path = report.displayPath(file);
  const std::string start = report.displayPath(report.startDirectory);
  if (!start.empty() && path.size() > start.size() + 1 &&
      path.compare(0, start.size(), start) == 0 &&
      (path[start.size()] == '/' || path[start.size()] == '\\'))
    path = path.substr(start.size() + 1);
  return fileAndLine(path, line);
}

std::string origin(const Report& report, const LineRecord* line) {
  if (!line) return "  (command line)";
  return "  (" + where(report, line->file, line->number) + ")";
}

// `text` as it can be shown on a terminal: control characters written as
// \xHH, and a value longer than `limit` characters shortened in the middle
// (the JSON output keeps every value whole).
std::string shown(const std::string& text, size_t limit = 300) {
  std::string out;
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F)
      out += formatText("\\x%02X", u);
    else
      out += c;
  }
  if (out.size() <= limit) return out;
  // Cut between characters, never inside one.
  const auto start = [&out](size_t at) {
    while (at > 0 && at < out.size() &&
           (static_cast<unsigned char>(out[at]) & 0xC0) == 0x80)
      --at;
    return at;
  };
  const size_t head = start(limit * 2 / 3);
  const size_t tail = start(out.size() - limit / 4);
  return out.substr(0, head) + " ... (" + groupedNumber(out.size()) +
         " bytes in all) ... " + out.substr(tail);
}

// A box's text on one line.
std::string oneLine(const std::string& text) {
  std::string result;
  for (char c : text)
    result += c == '\n' ? std::string(" / ") : std::string(1, c);
  return shown(result);
}

void field(std::string& out, const char* label, const std::string& value) {
  std::string padded = label;
  padded.resize(19, ' ');
  out += "  " + padded + value + "\n";
}

void single(std::string& out, const Report& report, const KeyRule& rule) {
  const OptionalText& value = report.settings.*rule.value;
  if (!value) {
    if (rule.unset) field(out, rule.label, rule.unset);
    return;
  }
  // The log file as the launcher resolves it, from the start directory.
  const std::string resolved =
      rule.key == ConfigKey::kLogFile && !value->empty()
          ? " -> " + shown(report.displayPath(*value))
          : std::string();
  field(out, rule.label,
        shown(*value) + resolved +
            origin(report, report.lastLineWithKey(rule.key)));
}

void list(std::string& out, const Report& report, const KeyRule& rule) {
  const std::vector<std::string>& values = report.settings.*rule.list;
  if (values.empty()) {
    if (rule.unset) field(out, rule.label, rule.unset);
    return;
  }
  for (size_t i = 0; i < values.size(); ++i)
    field(out, i == 0 ? rule.label : "",
          shown(values[i]) + origin(report, report.originOf(rule.list, i)));
}

void runtime(std::string& out, const Report& report) {
  const LineRecord* line = report.runtimeLine();
  const RuntimeSearch* search = report.runtimeSearch();
  const RuntimeSearch* bundled = report.bundledTaken();
  std::string from =
      bundled ? "  (the bundled runtime, " + where(report, bundled->file,
                                                   bundled->line) + ")"
      : line  ? "  (" + std::string(keyText(*line->key)) + " " + line->raw +
                   ", " + where(report, line->file, line->number) + ")"
      : search && search->kind == SearchKind::kWindow
          ? "  (the version window's choice)"
          : "  (the registry's current runtime)";
  if (report.runtimePlaceholder) from += ", not known here";
  const OptionalText& path = report.settings.javaPath;
  field(out, "runtime", path ? shown(*path) + from : "(not looked up)");
}

// Every setting a key fills, in the order of the key table: the runtime
// once for the keys that set it, a list once for the keys that fill it.
void settings(std::string& out, const Report& report) {
  out += "\nSettings\n";
  bool runtimeShown = false;
  std::vector<bool> listShown(settingsLists().size());
  for (const KeyRule& rule : configKeys()) {
    if (rule.runtime && !runtimeShown) {
      runtimeShown = true;
      runtime(out, report);
    } else if (rule.list && !listShown[listIndex(rule.list)]) {
      listShown[listIndex(rule.list)] = true;
      list(out, report, rule);
    } else if (rule.value && rule.label) {
      single(out, report, rule);
      // What the launcher makes of the value: the lock it takes.
      if (rule.key == ConfigKey::kSingleInstance && report.settings.*rule.value)
        field(out, "instance name",
              report.instanceName.empty() ? "(none: no limit)"
                                          : shown(report.instanceName));
      // ... and how it starts the application.
      if (rule.key == ConfigKey::kAppProcess && !report.appProcess.empty())
        field(out, "started as",
              (report.hosted ? "a copy of the launcher: "
                             : "the runtime's executable: ") +
                  report.appProcess);
    }
  }
}

// The bundled runtime, looked at before any other lookup.
void bundled(std::string& out, const Report& report, const RuntimeSearch& s) {
  const BundledRuntime& b = s.bundled;
  out += "  bundledRuntime " + s.request + " (" +
         where(report, s.file, s.line) + "): " +
         report.displayPath(b.record.executable) + "\n";
  if (s.notChecked) {
    out += "    -> a Windows path, not checked here: taken if it is there\n";
    return;
  }
  out += std::string("    executable ") +
         (b.exists ? "found" : "not found") + ", version " +
         (b.record.versionText.empty() ? "unknown"
                                : b.record.versionText + " (release file)") +
         (b.windowWords.empty() ? "" : ", window " + b.windowWords) + "\n";
  out += b.taken ? "    -> taken: " + *b.runtime + "\n"
                 : "    -> passed over: " + b.reason + "\n";
}

void search(std::string& out, const Report& report, const RuntimeSearch& s) {
  const std::string base = kJavaRegistryKey;
  if (s.kind == SearchKind::kBundled) return bundled(out, report, s);
  if (s.kind == SearchKind::kWindow) {
    out +=
        "  no javapath or javaVersion: the highest runtime in the version "
        "window" +
        (s.windowWords.empty() ? std::string() : " (" + s.windowWords + ")") +
        ", from every registered runtime and JAVA_HOME\n";
  } else if (s.kind == SearchKind::kCurrent) {
    out +=
        "  no javapath or javaVersion: the runtime the registry names as "
        "current\n";
  } else {
    out += "  javaVersion " + s.request + " (" + where(report, s.file, s.line) +
           "): ";
    if (s.request.empty())
      out += "no version given\n";
    else if (!report.registryAvailable)
      out += "not searched\n";
    else if (s.familySearch)
      out += "the highest patch level of the family \"" + s.family + "\"\n";
    else
      out += "exactly this version\n";
  }
  for (const SubkeyStep& step : s.subkeys) {
    std::string name = "(" + std::to_string(step.index) + ") " + step.name;
    if (name.size() < 16) name.resize(16, ' ');
    out += "    " + name + " " + step.reason + "\n";
  }
  for (size_t i = 0; i < s.candidates.size(); ++i) {
    const RuntimeCandidate& c = s.candidates[i];
    out +=
        "    (" + std::to_string(i + 1) + ") " + c.source + "\n        " +
        c.home + ", version " +
        (c.versionText.empty() ? "unknown"
                               : c.versionText + " (" + c.versionFrom + ")") +
        ": " + (c.taken ? "taken" : "passed over: " + c.reason) + "\n";
  }
  // The console variant shows no box: it writes the line instead.
  for (const RecordedBox& box : s.boxes)
    out += report.settings.console
               ? "    standard error: " +
                     shown(boxAsLine(box.text.c_str(), box.caption)) + "\n"
               : "    box \"" + box.caption + "\": " + oneLine(box.text) + "\n";
  if (!report.registryAvailable) return;
  if (s.exitCode != 0) {
    out += "    -> not found: the launcher exits with " +
           std::to_string(s.exitCode) + "\n";
  } else if (s.runtime) {
    out += "    -> ";
    if (!s.versionKey.empty()) out += base + "\\" + s.versionKey + ": ";
    out += *s.runtime + "\n";
  }
}

void runtimeSearches(std::string& out, const Report& report) {
  out += "\nRuntime search\n";
  if (!report.registryAvailable && !report.bundledTaken())
    out +=
        "  not available on Linux: the launcher finds Java runtimes in the "
        "Windows registry; run kitecheck.exe on the target machine to see "
        "which one it takes\n";
  for (const RuntimeSearch& s : report.searches) search(out, report, s);
  const LineRecord* runtime = report.runtimeLine();
  if (runtime && runtime->key == ConfigKey::kJavaPath)
    out += "  the runtime is set by \"javapath\" on " +
           where(report, runtime->file, runtime->number) + "\n";
}

}  // namespace

std::string variantWords(const Report& report) {
  const LaunchSettings& settings = report.settings;
  const bool appCode = exitsWithApplicationCode(settings);
  return std::string(settings.console
                         ? "console variant (kitec32.exe, kitec64.exe)"
                         : "GUI (kite32.exe, kite64.exe)") +
         ", " + report.variantFrom + ": starts " +
         runtimeExecutableName(settings) +
         (settings.console ? ", writes its messages to standard error" : "") +
         ", exits with " +
         (appCode ? "the application's exit code"
                  : "0 once the application has run");
}

std::string groupedNumber(size_t n) {
  std::string digits = std::to_string(n);
  for (size_t i = digits.size(); i > 3; i -= 3) digits.insert(i - 3, ",");
  return digits;
}

std::string renderText(const Report& report) {
  std::string out = "kitecheck " + std::string(kVersionText) + ": " +
                    report.displayPath(report.config) + "\n";
  out += "start directory " + report.displayPath(report.startDirectory) + "\n";
  out += "launcher " + variantWords(report) + "\n";

  out += "\nFiles read\n";
  for (const FileRecord& file : report.files) {
    out += std::string(2 + 2 * static_cast<size_t>(file.depth), ' ') +
           report.displayPath(file.path);
    switch (file.state) {
      case FileState::kSkipped:
        out += "  (skipped: already being read)\n";
        break;
      case FileState::kOverLimit:
        out += "  (not read: too many configuration files)\n";
        break;
      case FileState::kNotOpened:
        out += "  (cannot be opened: " + file.errorText + ")\n";
        break;
      case FileState::kRead:
        out += std::string("  (") + encodingShown(file) + ")\n";
        break;
    }
  }

  if (report.readExitCode != 0) {
    // The launcher gets no further: there are no settings to show.
    out +=
        "\nThe launcher ends while reading its configuration, with exit "
        "code " +
        std::to_string(report.readExitCode) +
        "; it starts nothing (see the findings).\n";
  } else {
    settings(out, report);
    out += "\nApplication environment\n";
    for (const std::string& entry : report.environment)
      out += "  " + shown(entry) + "\n";
    runtimeSearches(out, report);
    const size_t length = report.commandLineLength;
    out +=
        "\nCommand line: " + groupedNumber(length) + " characters, limit " +
        groupedNumber(kCommandLineLimit) + " with the terminating null" +
        (length + 1 > kCommandLineLimit ? " (TOO LONG)" : "") +
        (report.runtimePlaceholder ? "; the runtime path is a stand-in" : "") +
        "\n  " + shown(report.commandLine, 2000) + "\n";
  }

  out += "\nFindings\n";
  for (const Finding& f : report.findings)
    out += "  " + where(report, f.file, f.line) + ": " +
           severityWord(f.severity()) + ": " + shown(f.message, 600) + " [" +
           findingName(f.kind) + "]\n";
  if (report.findings.empty()) out += "  none\n";
  const int errors = report.errors(), warnings = report.warnings();
  const int notes = report.notes();
  out +=
      "\n" + std::to_string(errors) + (errors == 1 ? " error, " : " errors, ") +
      std::to_string(warnings) + (warnings == 1 ? " warning" : " warnings") +
      (notes ? ", " + std::to_string(notes) + (notes == 1 ? " note" : " notes")
             : std::string()) +
      " (exit code " + std::to_string(report.exitCode()) + ")\n";
  return out;
}

}  // namespace kite
