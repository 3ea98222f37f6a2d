#include "config/config_keys.h"

#include <iterator>

namespace kite {
namespace {

struct Expansion {
  bool expand;
  bool quote;
};
constexpr Expansion kRaw{false, false};
constexpr Expansion kExpanded{true, false};
constexpr Expansion kExpandedQuoted{true, true};

constexpr KeyRule value(const char* text, ConfigKey key, Expansion expansion,
                        SettingsText field, const char* label,
                        const char* json, const char* unset = nullptr,
                        bool unquote = false) {
  return {text,  key,  expansion.expand, expansion.quote, field, nullptr,
          unquote, label, json,         unset,           false};
}

constexpr KeyRule list(const char* text, ConfigKey key, Expansion expansion,
                       SettingsList field, const char* label, const char* json,
                       const char* unset = "(none)") {
  return {text,  key,  expansion.expand, expansion.quote, nullptr, field,
          false, label, json,            unset,           false};
}

// A key added after the first twelve: it counts only as a whole word, so
// that "environment X=1" is no "env" line.
constexpr KeyRule added(KeyRule rule) {
  rule.wholeWord = true;
  return rule;
}

// A key the reader acts on itself.
constexpr KeyRule action(const char* text, ConfigKey key, Expansion expansion) {
  return {text,  key,     expansion.expand, expansion.quote, nullptr, nullptr,
          false, nullptr, nullptr,          nullptr,         false};
}

constexpr KeyRule runtime(const char* text, ConfigKey key, Expansion expansion,
                          SettingsText field) {
  return {text,    key,     expansion.expand, expansion.quote, field, nullptr,
          false,   nullptr, nullptr,          nullptr,         true};
}

// In the order kitecheck shows the settings.  A line matches the longest
// key it begins with: the first twelve keys are compared with the start of
// the line, not with a word cut out of it, so "vmparameter -Xss1m" is a
// "vmparam" line and "addjars lib" an "addjars" line although it also
// begins with "addjar".  Every later key counts only as a whole word.
constexpr KeyRule kRules[] = {
    value("mainclass", ConfigKey::kMainClass, kExpanded,
          &LaunchSettings::mainClass, "main class", "mainClass", "(not set)"),
    added(value("mainmodule", ConfigKey::kMainModule, kExpanded,
                &LaunchSettings::mainModule, "main module", "mainModule")),
    added(value("mainjar", ConfigKey::kMainJar, kExpandedQuoted,
                &LaunchSettings::mainJar, "main jar", "mainJar")),
    value("appname", ConfigKey::kAppName, kExpanded, &LaunchSettings::appName,
          "application name", "appName", "(not set)"),
    runtime("javapath", ConfigKey::kJavaPath, kExpandedQuoted,
            &LaunchSettings::javaPath),
    runtime("javaVersion", ConfigKey::kJavaVersion, kExpanded,
            &LaunchSettings::javaVersion),
    list("vmparam", ConfigKey::kVmParam, kExpandedQuoted,
         &LaunchSettings::vmParams, "JVM parameters", "vmParams"),
    list("addpath", ConfigKey::kAddPath, kExpandedQuoted,
         &LaunchSettings::classPath, "class path", "classPath"),
    list("addjar", ConfigKey::kAddJar, kExpandedQuoted,
         &LaunchSettings::classPath, "class path", "classPath"),
    // Every jar of the folder goes on the class path.
    action("addjars", ConfigKey::kAddJars, kExpandedQuoted),
    added(list("modulepath", ConfigKey::kModulePath, kExpandedQuoted,
               &LaunchSettings::modulePath, "module path", "modulePath",
               nullptr)),
    list("argument", ConfigKey::kArgument, kRaw, &LaunchSettings::arguments,
         "arguments", "arguments"),
    value("workingDir", ConfigKey::kWorkingDir, kExpandedQuoted,
          &LaunchSettings::workingDir, "working directory", "workingDir",
          "(not set: the start directory)", /*unquote=*/true),
    value("consoleTitle", ConfigKey::kConsoleTitle, kExpandedQuoted,
          &LaunchSettings::consoleTitle, "console title", "consoleTitle",
          "(not set)", /*unquote=*/true),
    added(value("javaMinVersion", ConfigKey::kJavaMinVersion, kExpanded,
                &LaunchSettings::javaMinVersion, "lowest version",
                "javaMinVersion")),
    added(value("javaMaxVersion", ConfigKey::kJavaMaxVersion, kExpanded,
                &LaunchSettings::javaMaxVersion, "highest version",
                "javaMaxVersion")),
    added(value("javaDownloadUrl", ConfigKey::kJavaDownloadUrl, kExpanded,
                &LaunchSettings::javaDownloadUrl, "download page",
                "javaDownloadUrl")),
    added(value("exitCode", ConfigKey::kExitCode, kExpanded,
                &LaunchSettings::exitCode, "exit code", "exitCode")),
    // A folder like "workingDir": expansion's quotes are taken off again.
    added(value("logFile", ConfigKey::kLogFile, kExpandedQuoted,
                &LaunchSettings::logFile, "log file", "logFile", nullptr,
                /*unquote=*/true)),
    added(value("singleInstance", ConfigKey::kSingleInstance, kExpanded,
                &LaunchSettings::singleInstance, "single instance",
                "singleInstance")),
    added(value("bundledRuntime", ConfigKey::kBundledRuntime, kExpandedQuoted,
                &LaunchSettings::bundledRuntime, "bundled runtime",
                "bundledRuntime", nullptr, /*unquote=*/true)),
    // Not "$" expanded: the value is no command-line text, and expansion
    // would turn its backslashes into slashes and quote it; its "%NAME%"
    // references are expanded when the application starts.
    added(list("env", ConfigKey::kEnv, kRaw, &LaunchSettings::environment,
               "environment", "environment", nullptr)),
    action("include", ConfigKey::kInclude, kExpanded),
    added(value("appProcess", ConfigKey::kAppProcess, kExpanded,
                &LaunchSettings::appProcess, "application process",
                "appProcess")),
    added(value("appUserModelId", ConfigKey::kAppUserModelId, kExpanded,
                &LaunchSettings::appUserModelId, "AppUserModelID",
                "appUserModelId")),
    added(value("endWithLauncher", ConfigKey::kEndWithLauncher, kExpanded,
                &LaunchSettings::endWithLauncher, "end with the launcher",
                "endWithLauncher")),
};

}  // namespace

const KeyRule* KeyTable::begin() const { return kRules; }
const KeyRule* KeyTable::end() const { return kRules + std::size(kRules); }

namespace {

const KeyRule* longestKey(std::string_view line, bool anyKeyAsPrefix) {
  const KeyRule* match = nullptr;
  size_t longest = 0;
  for (const KeyRule& rule : configKeys()) {
    const size_t length = std::char_traits<char>::length(rule.text);
    if (length > longest && line.compare(0, length, rule.text) == 0 &&
        (anyKeyAsPrefix || !rule.wholeWord || line.size() == length ||
         line[length] == ' ')) {
      match = &rule;
      longest = length;
    }
  }
  return match;
}

}  // namespace

const KeyRule* matchConfigKey(std::string_view line) {
  return longestKey(line, false);
}

const KeyRule* keyAtStart(std::string_view text) {
  return longestKey(text, true);
}

const KeyRule& ruleOf(ConfigKey key) {
  for (const KeyRule& rule : configKeys())
    if (rule.key == key) return rule;
  return kRules[0];  // not reached: every key has a rule
}

const std::vector<SettingsList>& settingsLists() {
  static const std::vector<SettingsList> lists = [] {
    std::vector<SettingsList> found;
    for (const KeyRule& rule : configKeys()) {
      if (!rule.list) continue;
      bool known = false;
      for (SettingsList list : found) known = known || list == rule.list;
      if (!known) found.push_back(rule.list);
    }
    return found;
  }();
  return lists;
}

size_t listIndex(SettingsList list) {
  const std::vector<SettingsList>& lists = settingsLists();
  for (size_t i = 0; i < lists.size(); ++i)
    if (lists[i] == list) return i;
  return lists.size();  // not reached: every list a key fills is there
}

}  // namespace kite
