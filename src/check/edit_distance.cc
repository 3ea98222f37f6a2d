#include "check/edit_distance.h"

#include <algorithm>
#include <vector>

#include "base/text.h"
#include "config/config_keys.h"

namespace kite {

size_t editDistance(const std::string& a, const std::string& b) {
  const std::string x = asciiLower(a), y = asciiLower(b);
  std::vector<size_t> row(y.size() + 1);
  for (size_t j = 0; j <= y.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= x.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= y.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1,
                         diagonal + (x[i - 1] == y[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[y.size()];
}

std::string nearestKey(const std::string& word) {
  std::string best;
  size_t bestDistance = 0;
  for (const KeyRule& rule : configKeys()) {
    // Only a distance of two or less counts, and a difference in length
    // costs at least that many edits.
    const size_t length = std::char_traits<char>::length(rule.text);
    if (word.size() > length + 2 || length > word.size() + 2) continue;
    const size_t distance = editDistance(word, rule.text);
    if (best.empty() || distance < bestDistance) {
      best = rule.text;
      bestDistance = distance;
    }
  }
  // Close: at most two edits, and fewer than half the key's letters.
  if (best.empty() || bestDistance > 2 || bestDistance * 2 >= best.size())
    return std::string();
  return best;
}

}  // namespace kite
