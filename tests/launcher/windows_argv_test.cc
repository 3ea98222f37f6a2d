#include "launcher/windows_argv.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kite {
namespace {

using Args = std::vector<std::string>;

// The splitter the round trip and the argument file rely on, against
// Microsoft's documented examples of how the C runtime parses a command
// line, and against the rules documented with them; the expected argv is
// written from those, not from the code.
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
      // The table "Results of parsing command lines".
      {"p \"abc\" d e", {"p", "abc", "d", "e"}},
      {"p a\"b\"\" c d", {"p", "ab\" c d"}},
      // Spaces and tabs delimit; a quoted string is one argument, also
      // when empty or embedded in an argument.
      {"p \ta  b\t\tc ", {"p", "a", "b", "c"}},
      {"p \"\" x\"\"y \"\"", {"p", "", "xy", ""}},
      // Within quotes a pair of quotes is one literal quote.
      {"p \"a\"\"b\" c", {"p", "a\"b", "c"}},
      // A line that ends inside quotes: what was read is the last argument.
      {"p \"a b", {"p", "a b"}},
      // Backslashes not before a quote are literal.
      {"p \\\\server\\share\\ x\\\\", {"p", "\\\\server\\share\\", "x\\\\"}},
      // argv[0]: quotes only group, and a backslash escapes nothing.
      {"\"C:\\dir\\\"x y", {"C:\\dir\\x", "y"}},
      {"C:\\a\\\"b c\" d", {"C:\\a\\b c", "d"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(splitWindowsCommandLine(c.line), c.args) << c.line;
}

}  // namespace
}  // namespace kite
