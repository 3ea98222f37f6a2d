#include "base/text.h"

#include <gtest/gtest.h>

#include <string>

namespace kite {
namespace {

TEST(WildcardMatch, WindowsRulesWithoutLetterCase) {
  const struct {
    const char* pattern;
    const char* name;
    bool matches;
  } cases[] = {
      {"*.jar", "a.jar", true},        {"*.jar", "A.JAR", true},
      {"*.jar", "a.jar.txt", false},   {"*.jar", ".jar", true},
      {"?.jar", "ab.jar", false},      {"a?c", "abc", true},
      {"*", "", true},                 {"", "", true},
      {"", "a", false},                {"a*", "a", true},
      {"*a*b*", "xxaxxbxx", true},     {"*a*b", "ab_a", false},
      {"**b", "ab", true},             {"a*b*c", "abbbcbc", true},
      {"a*b*c", "abbbcb", false},      {"ab?", "ab", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(wildcardMatch(c.pattern, c.name), c.matches)
        << c.pattern << " " << c.name;
  // Many stars against a long name that nearly matches: a matcher that
  // tries every split of the name takes minutes here.
  EXPECT_FALSE(wildcardMatch("*a*a*a*a*a*a*a*a*a*a*b", std::string(40, 'a')));
  EXPECT_TRUE(wildcardMatch("*a*a*a*a*a*a*a*a*a*a*b", std::string(40, 'a') + "b"));
}

}  // namespace
}  // namespace kite
