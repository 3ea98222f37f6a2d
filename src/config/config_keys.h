// The configuration keys: what each is called in a file, and how the reader
// treats its value.  kitecheck uses the same table, so the two cannot
// disagree about which line sets what.
#ifndef KITE_CONFIG_CONFIG_KEYS_H_
#define KITE_CONFIG_CONFIG_KEYS_H_

#include <cstddef>
#include <string_view>

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
};

struct KeyRule {
  const char* text;  // as written in a file
  ConfigKey key;
  bool expand;  // the value goes through expandValue first
  bool quote;   // the quote flag given to expandValue
};

// The rule of the key a line begins with, exactly as the reader matches it
// (the first of the table that the line starts with); null for none.
const KeyRule* matchConfigKey(std::string_view line);

// The rule of `key`.
const KeyRule& ruleOf(ConfigKey key);

// The text of `key`, as written in a file.
inline const char* keyText(ConfigKey key) { return ruleOf(key).text; }

// Every key, in the order the reader tests them.
struct KeyTable {
  const KeyRule* begin() const;
  const KeyRule* end() const;
  size_t size() const { return static_cast<size_t>(end() - begin()); }
};
inline KeyTable configKeys() { return {}; }

}  // namespace kite

#endif  // KITE_CONFIG_CONFIG_KEYS_H_
