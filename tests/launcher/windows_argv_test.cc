#include "launcher/windows_argv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kite {
namespace {

using Args = std::vector<std::string>;

// The splitter the round trip relies on, against the documented examples.
TEST(WindowsArgvTest, DocumentedExamples) {
  const struct {
    const char* line;
    Args args;
  } cases[] = {
      {"p \"a b c\" d e", {"p", "a b c", "d", "e"}},
      {"p \"ab\\\"c\" \"\\\\\" d", {"p", "ab\"c", "\\", "d"}},
      {"p a\\\\\\b d\"e f\"g h", {"p", "a\\\\\\b", "de fg", "h"}},
      {"p a\\\\\\\"b c d", {"p", "a\\\"b", "c", "d"}},
      {"p a\\\\\\\\\"b c\" d e", {"p", "a\\\\b c", "d", "e"}},
      {"\"C:\\a b\\x.exe\" y", {"C:\\a b\\x.exe", "y"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(splitWindowsCommandLine(c.line), c.args) << c.line;
}

}  // namespace
}  // namespace kite
