// Expansion of one "$NAME" environment reference in a configuration value.
#ifndef KITE_CONFIG_EXPAND_VALUE_H_
#define KITE_CONFIG_EXPAND_VALUE_H_

#include <optional>
#include <string>

#include "base/launch_settings.h"
#include "platform/platform.h"

namespace kite {

struct Expansion {
  std::string text;
  // The expansion itself put a pair of double quotes around the whole
  // result (the opening quote first, the closing quote last), so a caller
  // can take exactly that pair off again without touching quotes the user
  // typed.
  bool wrappedWhole = false;
  // The name of a "$NAME" whose variable is not set (empty: a lone "$" at
  // the end); the value is then used as written.
  std::optional<std::string> missingVariable;
};

// Replaces the first "$NAME" of `value` with the variable's value, quoting
// it when it holds a space and `quote` (or an "=" before the "$") asks for
// it, and turns backslashes into forward slashes.  A value without "$", or
// whose variable is not set, comes back unchanged.
Expansion expand(const LaunchSettings& settings, Platform& platform,
                 const std::string& value, bool quote);

// The text of expand().
std::string expandValue(const LaunchSettings& settings, Platform& platform,
                        const std::string& value, bool quote);

// Replaces every backslash of `text` with a forward slash.
void toForwardSlashes(std::string& text);

// `text` without one pair of double quotes around the whole of it, if it has
// them; otherwise unchanged.
std::string withoutSurroundingQuotes(const std::string& text);

}  // namespace kite

#endif  // KITE_CONFIG_EXPAND_VALUE_H_
