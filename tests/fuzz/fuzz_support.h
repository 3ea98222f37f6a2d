// Helpers the fuzz targets share: cutting an input into parts, and ending
// the run loudly when an invariant breaks, so libFuzzer keeps the input
// that broke it.
#ifndef KITE_TESTS_FUZZ_FUZZ_SUPPORT_H_
#define KITE_TESTS_FUZZ_FUZZ_SUPPORT_H_

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace kite {
namespace fuzz {

// `text` cut at every occurrence of `separator` (which is dropped).
inline std::vector<std::string> splitOn(const std::string& text,
                                        const std::string& separator) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    const size_t found = text.find(separator, start);
    if (found == std::string::npos) break;
    parts.push_back(text.substr(start, found - start));
    start = found + separator.size();
  }
  parts.push_back(text.substr(start));
  return parts;
}

// `text` without any of the characters in `unwanted` (which may hold NUL).
inline std::string without(const std::string& text,
                           const std::string& unwanted) {
  std::string kept;
  for (char c : text)
    if (unwanted.find(c) == std::string::npos) kept += c;
  return kept;
}

inline bool startsWith(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

[[noreturn]] inline void fail(const char* file, int line, const char* what) {
  std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, what);
  std::abort();
}

}  // namespace fuzz
}  // namespace kite

#define FUZZ_CHECK(condition)                                             \
  do {                                                                    \
    if (!(condition)) ::kite::fuzz::fail(__FILE__, __LINE__, #condition); \
  } while (0)

#endif  // KITE_TESTS_FUZZ_FUZZ_SUPPORT_H_
