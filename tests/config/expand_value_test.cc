#include "config/expand_value.h"

#include <gtest/gtest.h>

#include "platform/fake_platform.h"

namespace kite {
namespace {

struct ExpandCase {
  const char* value;
  bool quote;
  const char* expected;
};

TEST(ExpandValue, TableOfValues) {
  const ExpandCase cases[] = {
      {"$APP_HOME\\lib", true, "\"C:/Program Files/App/lib\""},
      {"-Dapp.home=$APP_HOME", true, "-Dapp.home=\"C:/Program Files/App\""},
      {"$JRE\\bin", false, "C:/jre/bin"},  // the doubled separator is skipped
      {"lib\\x.jar", true, "lib\\x.jar"},  // no "$": not even slashes change
      {"$NOPE/x", true, "$NOPE/x"},
      {"", true, ""},
      {"$APP_HOME", true, "\"C:/Program Files/App\""},
      {"$APP_HOME", false, "C:/Program Files/App"},
      {"x=$APP_HOME", false, "x=\"C:/Program Files/App\""},  // "=" forces
      {"$JRE", false, "C:/jre/"},          // nothing after the name to skip
      {"$JRE/x$JRE", false, "C:/jre/x$JRE"},  // only the first "$"
      {"$X=1", true, "$X=1"},              // looks up "X=1", not "X"
      {"$A$B", false, "ab"},               // looks up "A$B"
      {"$A/b\\c", false, "v/c"},           // a later backslash ends the name
      {"p$EMPTY/q", true, "p/q"},
      {"p$SPACED/q=r", true, "p\"a b/q=r\""},
  };
  for (const ExpandCase& c : cases) {
    FakePlatform platform;
    platform.setEnvironment("APP_HOME", "C:\\Program Files\\App");
    platform.setEnvironment("JRE", "C:\\jre\\");
    platform.setEnvironment("X", "one");
    platform.setEnvironment("A$B", "ab");
    platform.setEnvironment("A/b", "v");
    platform.setEnvironment("EMPTY", "");
    platform.setEnvironment("SPACED", "a b");
    LaunchSettings settings;
    EXPECT_EQ(expandValue(settings, platform, c.value, c.quote), c.expected)
        << c.value << " quote " << c.quote;
    EXPECT_TRUE(platform.boxes.empty());
  }
}

TEST(ExpandValue, EmptyNameIsNeverLookedUp) {
  FakePlatform platform;
  platform.setEnvironment("", "C:\\dir");  // like "=C:=C:\dir" on Windows
  LaunchSettings settings;
  for (const char* value : {"abc$", "$", "$\\x", "$/x"})
    EXPECT_EQ(expandValue(settings, platform, value, true), value);
  EXPECT_TRUE(platform.environmentLookups.empty());
}

TEST(ExpandValue, DebugBoxesNameTheVariableAndTheExpansion) {
  FakePlatform platform;
  platform.setEnvironment("HOME", "C:\\Users\\A B");
  LaunchSettings settings;
  settings.debugMode = true;
  expandValue(settings, platform, "$NOPE", true);
  EXPECT_EQ(expandValue(settings, platform, "$HOME\\x", true),
            "\"C:/Users/A B/x\"");
  ASSERT_EQ(platform.boxes.size(), 2u);
  EXPECT_EQ(platform.boxes[0].text, "NOPE");
  EXPECT_EQ(platform.boxes[0].caption, "Can't find variable");
  // The box shows the result before the slashes are turned.
  EXPECT_EQ(platform.boxes[1].text,
            "arg [$HOME\\x] expanded to [\"C:\\Users\\A B\\x\"]\n");
  EXPECT_EQ(platform.boxes[1].caption, "Parse Path");
  EXPECT_EQ(platform.boxes[1].style, kBoxPlain);
}

}  // namespace
}  // namespace kite
