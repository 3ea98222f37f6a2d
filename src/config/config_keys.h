// The configuration keys, one row each: what the key is called in a file,
// how its value is expanded, where it goes in the settings, and how
// kitecheck shows it.  The reader, kitecheck's findings and both of its
// renderers work from these rows, so a new key is its row, its field in
// LaunchSettings and the code that acts on the value.
#ifndef KITE_CONFIG_CONFIG_KEYS_H_
#define KITE_CONFIG_CONFIG_KEYS_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "base/launch_settings.h"

namespace kite {

enum class ConfigKey {
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
  kJavaMinVersion,
  kJavaMaxVersion,
  kJavaDownloadUrl,
  kMainModule,
  kModulePath,
  kMainJar,
  kExitCode,
  kLogFile,
  kSingleInstance,
  kBundledRuntime,
  kEnv,
  kAppProcess,
  kAppUserModelId,
  kEndWithLauncher,
};

using SettingsText = OptionalText LaunchSettings::*;
using SettingsList = std::vector<std::string> LaunchSettings::*;

struct KeyRule {
  const char* text;  // as written in a file
  ConfigKey key;
  bool expand;  // the value goes through expandValue first
  bool quote;   // the quote flag given to expandValue
  // Where the value goes: one value that a later line replaces (`value`),
  // or one more entry of a list (`list`).  Keys that act on their value
  // ("javaVersion" after it is set, "addjars", "include") do so in the
  // reader.
  SettingsText value;
  SettingsList list;
  // The value is not command-line text (a folder, a title): quotes that
  // expansion added around a variable's value are taken off again.
  bool unquote;
  // kitecheck: the label of the Settings section, the name in the JSON
  // output, and what an unset value shows (null: an unset value is not
  // shown in the text).  Keys that fill one list share its label; the
  // runtime keys ("javapath", "javaVersion") are shown as the runtime and
  // have no label.  Null label: shown elsewhere, or not at all.
  const char* label;
  const char* json;
  const char* unset;
  // The key sets the runtime: "javapath" and "javaVersion" replace each
  // other, in file order.
  bool runtime;
  // The key counts only as a whole word, followed by a space or the end of
  // the line: so are all keys but the first twelve, which match any line
  // that begins with them, as they always have.
  bool wholeWord = false;
};

// The rule of the key a line begins with, exactly as the reader matches it
// (the longest key the line starts with, a whole-word key followed by a
// space or the end of the line); null for none.
const KeyRule* matchConfigKey(std::string_view line);

// The rule of the longest key `text` begins with, whole word or not; null
// for none.  kitecheck names it for a word the reader does not take.
const KeyRule* keyAtStart(std::string_view text);

// The rule of `key`.
const KeyRule& ruleOf(ConfigKey key);

// The text of `key`, as written in a file.
inline const char* keyText(ConfigKey key) { return ruleOf(key).text; }

// Every key, in the order kitecheck shows the settings.
struct KeyTable {
  const KeyRule* begin() const;
  const KeyRule* end() const;
  size_t size() const { return static_cast<size_t>(end() - begin()); }
};
inline KeyTable configKeys() { return {}; }

// The lists the keys fill, each once, in the order of the table: the index
// of a list here is how a record of the lists' lengths is kept.
const std::vector<SettingsList>& settingsLists();
size_t listIndex(SettingsList list);

}  // namespace kite

#endif  // KITE_CONFIG_CONFIG_KEYS_H_
