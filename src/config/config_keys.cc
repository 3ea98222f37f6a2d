#include "config/config_keys.h"

#include <iterator>

namespace kite {
namespace {

// Tested in this order; the first key that the line begins with wins.  The
// key is compared with the start of the line, not with a word cut out of
// it, so "vmparameter -Xss1m" is a "vmparam" line, and "addjars" has to come
// before "addjar", whose text it begins with.
constexpr KeyRule kRules[] = {
    {"vmparam", ConfigKey::kVmParam, true, true},
    {"javapath", ConfigKey::kJavaPath, true, true},
    {"addpath", ConfigKey::kAddPath, true, true},
    {"mainclass", ConfigKey::kMainClass, true, false},
    {"appname", ConfigKey::kAppName, true, false},
    {"javaVersion", ConfigKey::kJavaVersion, true, false},
    {"addjars", ConfigKey::kAddJars, true, true},
    {"argument", ConfigKey::kArgument, false, false},
    {"addjar", ConfigKey::kAddJar, true, true},
    {"include", ConfigKey::kInclude, true, false},
    {"consoleTitle", ConfigKey::kConsoleTitle, true, true},
    {"workingDir", ConfigKey::kWorkingDir, true, true},
    // No earlier key is the start of these, nor are these the start of an
    // earlier one, so they change no line's meaning.
    {"javaMinVersion", ConfigKey::kJavaMinVersion, true, false},
    {"javaMaxVersion", ConfigKey::kJavaMaxVersion, true, false},
    {"javaDownloadUrl", ConfigKey::kJavaDownloadUrl, true, false},
};

}  // namespace

const KeyRule* KeyTable::begin() const { return kRules; }
const KeyRule* KeyTable::end() const { return kRules + std::size(kRules); }

const KeyRule* matchConfigKey(std::string_view line) {
  for (const KeyRule& rule : configKeys())
    if (line.compare(0, std::char_traits<char>::length(rule.text), rule.text) ==
        0)
      return &rule;
  return nullptr;
}

const KeyRule& ruleOf(ConfigKey key) {
  for (const KeyRule& rule : configKeys())
    if (rule.key == key) return rule;
  return kRules[0];  // not reached: every key has a rule
}

}  // namespace kite
