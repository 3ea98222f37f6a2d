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
  // Where expansion put a pair of double quotes of its own around the
  // variable's part (its value holds a space): the opening and the closing
  // quote's positions in `text`; npos when it added none.
  size_t openQuote = std::string::npos;
  size_t closeQuote = std::string::npos;
  // The name of a "$NAME" whose variable is not set (empty: a lone "$" at
  // the end); the value is then used as written.
  std::optional<std::string> missingVariable;

  // The added quotes stand around the whole text.
  bool wrappedWhole() const {
    return openQuote == 0 && closeQuote + 1 == text.size();
  }
  // `text` without the quotes expansion added; quotes the user typed stay.
  std::string withoutAddedQuotes() const;
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
