// The README's table of findings is the table of finding kinds: every row
// with its kinds, under the heading of its severity, in the same order.
#include "check/finding_kinds.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kite {
namespace {

struct Row {
  std::string severity;  // the section heading: "Errors", "Warnings", "Notes"
  std::string sentence;
  std::string kinds;  // "`a`, `b`"
  bool operator==(const Row& o) const {
    return severity == o.severity && sentence == o.sentence && kinds == o.kinds;
  }
};

std::ostream& operator<<(std::ostream& out, const Row& row) {
  return out << row.severity << " | " << row.sentence << " | " << row.kinds;
}

// The rows of the README's table that follows "| Finding | Kind".
std::vector<Row> readmeRows() {
  std::ifstream file(KITE_SOURCE_DIR "/README.md");
  std::string line, severity;
  std::vector<Row> rows;
  bool inTable = false;
  while (std::getline(file, line)) {
    if (line.rfind("| Finding | Kind", 0) == 0) {
      inTable = true;
      continue;
    }
    if (!inTable) continue;
    if (line.empty() || line[0] != '|') break;
    const size_t middle = line.rfind(" | ");
    if (middle == std::string::npos || line.rfind("|---", 0) == 0) continue;
    const std::string first = line.substr(2, middle - 2);
    const std::string second = line.substr(middle + 3, line.size() - middle - 5);
    if (first.rfind("**", 0) == 0) {
      severity = first.substr(2, first.find(' ') - 2);
      severity = severity.substr(0, severity.find('*'));
      continue;
    }
    rows.push_back({severity, first, second});
  }
  return rows;
}

TEST(FindingKinds, TheReadmeTableIsTheTableOfKinds) {
  std::vector<Row> expected;
  for (const FindingRule& rule : findingKinds()) {
    const std::string severity =
        rule.severity == Severity::kError     ? "Errors"
        : rule.severity == Severity::kWarning ? "Warnings"
                                              : "Notes";
    const std::string kind = std::string("`") + rule.name + "`";
    if (!expected.empty() && expected.back().sentence == rule.readme)
      expected.back().kinds += ", " + kind;
    else
      expected.push_back({severity, rule.readme, kind});
  }
  const std::vector<Row> readme = readmeRows();
  ASSERT_FALSE(readme.empty()) << "no table of findings in README.md";
  EXPECT_EQ(readme, expected);
}

}  // namespace
}  // namespace kite
