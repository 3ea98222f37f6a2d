#include "runtime/java_registry.h"

#include <gtest/gtest.h>

#include <functional>

#include "base/exit_codes.h"
#include "platform/fake_platform.h"

namespace kite {
namespace {

const std::string kBase = kJavaRegistryKey;

TEST(DefaultJavaTest, FailureBoxesInOrder) {
  const struct {
    const char* name;
    std::function<void(FakePlatform&)> setUp;
    const char* debugText;
    const char* debugCaption;
    const char* userText;
  } cases[] = {
      {"no base key", [](FakePlatform&) {}, "SOFTWARE\\JavaSoft\\Java Runtime Environment",
       "Error Accessing Registry!", "No Java Installation Found"},
      {"no CurrentVersion", [](FakePlatform& p) { p.addRegistryKey(kBase); },
       "Java Current Version Key", "Error Reading Registry", "No Java Installation Found"},
      {"current version key missing",
       [](FakePlatform& p) { p.setRegistryValue(kBase, "CurrentVersion", "1.7"); },
       "Java Current Version", "Error Accessing Registry!",
       "No Java Installation (No Current Version) Found"},
      {"no JavaHome",
       [](FakePlatform& p) {
         p.setRegistryValue(kBase, "CurrentVersion", "1.7");
         p.addRegistryKey(kBase + "\\1.7");
       },
       "Java Home Directory", "Error Reading Registry!",
       "No Java Installation Home Directory Found"},
  };
  for (const auto& c : cases) {
    for (bool debug : {false, true}) {
      FakePlatform platform;
      c.setUp(platform);
      LaunchSettings settings;
      settings.debugMode = debug;
      const DefaultLookup lookup = findDefaultJava(settings, platform);
      EXPECT_EQ(lookup.runtime, std::nullopt) << c.name;
      EXPECT_EQ(lookup.outcome, Outcome::exitWith(kExitNoRuntime)) << c.name;
      ASSERT_EQ(platform.boxes.size(), debug ? 2u : 1u) << c.name;
      if (debug) {
        EXPECT_EQ(platform.boxes[0].text, c.debugText) << c.name;
        EXPECT_EQ(platform.boxes[0].caption, c.debugCaption) << c.name;
      }
      EXPECT_EQ(platform.boxes.back().text, c.userText) << c.name;
      EXPECT_EQ(platform.boxes.back().caption, "Error!") << c.name;
      for (const FakeBox& box : platform.boxes) EXPECT_EQ(box.style, kBoxError);
      EXPECT_EQ(platform.openRegistryKeys, 0);
    }
  }
}

TEST(DefaultJavaTest, ComposesTheExecutablePath) {
  const struct {
    const char* home;
    bool alwaysQuote;
    bool debug;
    const char* path;
  } cases[] = {
      {"C:\\jre", false, false, "C:\\jre\\bin\\javaw.exe"},
      {"C:\\jre", true, false, "\"C:\\jre\\bin\\javaw.exe\""},
      {"C:\\jre", false, true, "C:\\jre\\bin\\java.exe"},
      {"C:\\Program Files\\Java\\jre1.6.0_07", false, false,
       "\"C:\\Program Files\\Java\\jre1.6.0_07\\bin\\javaw.exe\""},
      {"C:\\jre\\", false, false, "C:\\jre\\\\bin\\javaw.exe"},
  };
  for (const auto& c : cases) {
    FakePlatform platform;
    LaunchSettings settings;
    settings.alwaysQuote = c.alwaysQuote;
    settings.debugMode = c.debug;
    EXPECT_EQ(composeJavaExecutable(settings, platform, c.home), c.path);
  }
  // A home of any length is kept whole.
  FakePlatform platform;
  const std::string longHome = "C:\\" + std::string(3000, 'h');
  EXPECT_EQ(composeJavaExecutable(LaunchSettings(), platform, longHome),
            longHome + "\\bin\\javaw.exe");
}

}  // namespace
}  // namespace kite
