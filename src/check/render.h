// A check report as text for people, or as one JSON document for tools.
#ifndef KITE_CHECK_RENDER_H_
#define KITE_CHECK_RENDER_H_

#include <string>

#include "check/report.h"

namespace kite {

// Files read, settings, runtime search, command line, findings, in this
// order, and a closing summary line.
std::string renderText(const Report& report);

// The same as one JSON document (UTF-8; bytes of other text are read as
// Latin-1).
std::string renderJson(const Report& report);

// The launcher variant checked for, in words: which it is and why, the
// runtime executable it starts and the exit code it ends with.
std::string variantWords(const Report& report);

// `n` with a comma between each group of three digits: 32,767.
std::string groupedNumber(size_t n);

}  // namespace kite

#endif  // KITE_CHECK_RENDER_H_
