// Repairing UTF-8, for tests that compare the launcher's decoders with a
// plain reference.
#ifndef KITE_TESTS_SUPPORT_VALID_UTF8_H_
#define KITE_TESTS_SUPPORT_VALID_UTF8_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace kite {

// `text` with every invalid sequence replaced by U+FFFD, one for each
// maximal subpart; *replaced (optional) receives the number of
// replacements.
std::string toValidUtf8(std::string_view text, size_t* replaced = nullptr);

}  // namespace kite

#endif  // KITE_TESTS_SUPPORT_VALID_UTF8_H_
