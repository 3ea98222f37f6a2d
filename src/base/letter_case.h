// Letter case as Windows compares names without regard to it (environment
// variables, CompareStringOrdinal with bIgnoreCase): each UTF-16 code unit
// is upper-cased on its own by a one-to-one mapping, the same in every
// locale ("ß" stays, nothing becomes two letters), and the units are then
// compared by value.
#ifndef KITE_BASE_LETTER_CASE_H_
#define KITE_BASE_LETTER_CASE_H_

#include <string_view>

namespace kite {

// The upper-case form of one UTF-16 code unit; a unit without one (a
// surrogate among them) is returned as it is.
char16_t upperCaseUnit(char16_t unit);

// Compares two UTF-8 texts as Windows does without regard to letter case:
// negative, zero or positive as `a` sorts before, with or after `b`.
int compareIgnoringCase(std::string_view a, std::string_view b);

}  // namespace kite

#endif  // KITE_BASE_LETTER_CASE_H_
