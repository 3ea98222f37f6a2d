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

// One helper cuts paths for the configuration's name (only ".exe" in lower
// case is cut), the console variant's name (any case) and KITE_APP_DIR.
TEST(FileNames, FolderNameAndStem) {
  const struct {
    const char* path;
    const char* folder;
    const char* name;
    const char* lowerStem;  // exeStem(path, false)
    const char* anyStem;    // exeStem(path, true)
  } cases[] = {
      {"C:\\Apps\\App.exe", "C:\\Apps", "App.exe", "App", "App"},
      {"C:\\Apps/My App.EXE", "C:\\Apps", "My App.EXE", "My App.EXE", "My App"},
      {"C:\\App.Exe", "C:\\", "App.Exe", "App.Exe", "App"},
      {"\\App.exe", "\\", "App.exe", "App", "App"},
      {"App.exe", "", "App.exe", "App", "App"},
      {"C:\\Apps\\.exe", "C:\\Apps", ".exe", "", ""},
      {"C:\\Apps\\", "C:\\Apps", "", "", ""},
      {"App.exe.bak", "", "App.exe.bak", "App.exe.bak", "App.exe.bak"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(folderOf(c.path), c.folder) << c.path;
    EXPECT_EQ(fileNameOf(c.path), c.name) << c.path;
    EXPECT_EQ(exeStem(c.path, false), c.lowerStem) << c.path;
    EXPECT_EQ(exeStem(c.path, true), c.anyStem) << c.path;
  }
}

}  // namespace
}  // namespace kite
