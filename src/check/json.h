// Writing JSON text: kitecheck's --json output is assembled from these.
#ifndef KITE_CHECK_JSON_H_
#define KITE_CHECK_JSON_H_

#include <string>

#include "base/launch_settings.h"

namespace kite {

// `text` as a JSON string, quotes included.  UTF-8 is kept as it is; a byte
// that is not part of valid UTF-8 (text in an ANSI code page) is taken as
// Latin-1 and written as \u00XX, so the output is always valid JSON.
std::string jsonString(const std::string& text);

// jsonString(*text), or null when it is unset.
std::string jsonOrNull(const OptionalText& text);

inline const char* jsonBool(bool value) { return value ? "true" : "false"; }

}  // namespace kite

#endif  // KITE_CHECK_JSON_H_
