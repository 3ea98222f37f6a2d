// How far a word is from the configuration keys: the basis of kitecheck's
// "did you mean" hints.
#ifndef KITE_CHECK_EDIT_DISTANCE_H_
#define KITE_CHECK_EDIT_DISTANCE_H_

#include <cstddef>
#include <string>

namespace kite {

// The Levenshtein distance between `a` and `b`, letter case ignored.
size_t editDistance(const std::string& a, const std::string& b);

// The configuration key closest to `word` when one is close enough to be a
// likely misspelling of it (a difference of letter case, or one or two
// letters); empty otherwise.
std::string nearestKey(const std::string& word);

}  // namespace kite

#endif  // KITE_CHECK_EDIT_DISTANCE_H_
