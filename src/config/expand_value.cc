#include "config/expand_value.h"

#include <algorithm>
#include <utility>

#include "base/text.h"
#include "platform/debug_output.h"

namespace kite {

Expansion expand(const LaunchSettings& settings, Platform& platform,
                 const std::string& value, bool quote) {
  Expansion expansion;
  // Only the first "$" is expanded; a value without one is used as it
  // stands, backslashes included.
  const size_t dollar = value.find('$');
  if (dollar == std::string::npos) {
    expansion.text = value;
    return expansion;
  }

  // The name runs up to the first backslash after the "$"; only when there
  // is none does a forward slash end it, and otherwise the end of the value.
  // A later "$" or an "=" does not end it.
  size_t nameEnd = value.find('\\', dollar);
  if (nameEnd == std::string::npos) nameEnd = value.find('/', dollar);
  if (nameEnd == std::string::npos) nameEnd = value.size();

  // An "=" before the reference marks a "-Dname=$VAR" style value: its
  // variable part is quoted whatever the caller asked for.
  const size_t equals = value.find('=');
  const bool hasEquals = equals != std::string::npos;
  if (hasEquals && equals < dollar) quote = true;

  // An empty name is never looked up: Windows environment blocks hold
  // entries such as "=C:=C:\dir" whose name reads as empty, and a lookup
  // could match one of them.  It is treated as a variable that is not set.
  const std::string name = value.substr(dollar + 1, nameEnd - dollar - 1);
  std::string variable;
  if (name.empty() || !platform.getEnvironment(name, &variable)) {
    debugBox(settings, platform, name.c_str(), "Can't find variable");
    expansion.text = value;
    expansion.missingVariable = name;
    return expansion;
  }

  // Quotes go around the variable's part when its value holds a space.
  // Without an "=" in the value they open at the very start; with one they
  // open after everything that precedes the "$", so "-Dx=$V" becomes
  // -Dx="...".  They always close at the very end.
  const bool spaced = variable.find(' ') != std::string::npos;
  const bool quoted = spaced && quote;
  std::string result;
  if (quoted && !hasEquals) {
    expansion.openQuote = 0;
    result += '"';
  }
  result.append(value, 0, dollar);
  if (quoted && hasEquals) {
    expansion.openQuote = result.size();
    result += '"';
  }
  result += variable;
  // A variable that ends in a separator already provides the one that
  // follows the name in the value.
  size_t rest = nameEnd;
  if (!variable.empty() && isPathSeparator(variable.back()) &&
      rest < value.size() && isPathSeparator(value[rest]))
    ++rest;
  result.append(value, rest, std::string::npos);
  if (quoted) {
    expansion.closeQuote = result.size();
    result += '"';
  }

  // Formatted only when it is shown or logged: most launches expand values
  // outside debug mode and without a log.
  if (tracing(settings, platform))
    debugBox(
        settings, platform,
        formatText("arg [%s] expanded to [%s]\n", value.c_str(), result.c_str())
            .c_str(),
        "Parse Path");
  toForwardSlashes(result);
  expansion.text = std::move(result);
  return expansion;
}

std::string expandValue(const LaunchSettings& settings, Platform& platform,
                        const std::string& value, bool quote) {
  return expand(settings, platform, value, quote).text;
}

void toForwardSlashes(std::string& text) {
  std::replace(text.begin(), text.end(), '\\', '/');
}

std::string Expansion::withoutAddedQuotes() const {
  if (openQuote == std::string::npos) return text;
  std::string plain = text;
  plain.erase(closeQuote, 1);  // the later one first: it moves nothing else
  plain.erase(openQuote, 1);
  return plain;
}

std::string withoutSurroundingQuotes(const std::string& text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
    return text.substr(1, text.size() - 2);
  return text;
}

}  // namespace kite
