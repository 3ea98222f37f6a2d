#include "brand/manifest.h"

namespace kite {

namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Where the value of the level attribute lies in `text`: [*start, *end).
bool findLevel(const std::string& text, size_t* start, size_t* end) {
  const std::string element = "requestedExecutionLevel";
  for (size_t at = text.find(element); at != std::string::npos;
       at = text.find(element, at + 1)) {
    // The element itself (<requestedExecutionLevel or <prefix:...), not a
    // mention of its name in a comment or another name.
    if (at == 0 || (text[at - 1] != '<' && text[at - 1] != ':')) continue;
    const size_t close = text.find('>', at);
    if (close == std::string::npos) return false;
    for (size_t i = at + element.size(); i + 5 <= close; ++i) {
      if (!isSpace(text[i - 1]) || text.compare(i, 5, "level") != 0) continue;
      size_t k = i + 5;
      while (k < close && isSpace(text[k])) ++k;
      if (k == close || text[k] != '=') continue;
      ++k;
      while (k < close && isSpace(text[k])) ++k;
      if (k == close || (text[k] != '"' && text[k] != '\'')) return false;
      const size_t last = text.find(text[k], k + 1);
      if (last == std::string::npos || last > close) return false;
      *start = k + 1;
      *end = last;
      return true;
    }
    return false;
  }
  return false;
}

}  // namespace

bool manifestExecutionLevel(const Bytes& manifest, std::string* level) {
  const std::string text(manifest.begin(), manifest.end());
  size_t start = 0, end = 0;
  if (!findLevel(text, &start, &end)) return false;
  *level = text.substr(start, end - start);
  return true;
}

bool setManifestExecutionLevel(const Bytes& manifest, const std::string& level,
                               Bytes* out) {
  const std::string text(manifest.begin(), manifest.end());
  size_t start = 0, end = 0;
  if (!findLevel(text, &start, &end)) return false;
  Bytes result(manifest.begin(), manifest.begin() + start);
  result.insert(result.end(), level.begin(), level.end());
  result.insert(result.end(), manifest.begin() + end, manifest.end());
  *out = std::move(result);
  return true;
}

}  // namespace kite
