#include "runtime/download_prompt.h"

#include <gtest/gtest.h>

#include "base/exit_codes.h"
#include "platform/fake_platform.h"

namespace kite {
namespace {

TEST(DownloadPromptTest, NamesTheApplication) {
  const struct {
    OptionalText appName;
    OptionalText mainClass;
    OptionalText mainJar;
    const char* shown;
  } cases[] = {
      {"My App", "app.Main", std::nullopt, "My App"},
      {"", "app.Main", std::nullopt, "app.Main"},
      {std::nullopt, "app.Main", std::nullopt, "app.Main"},
      {std::nullopt, std::nullopt, std::nullopt, "(null)"},
      // An executable jar has no main class: the jar names it.
      {"", std::nullopt, "app.jar", "app.jar"},
  };
  for (const auto& c : cases) {
    LaunchSettings settings;
    settings.appName = c.appName;
    settings.mainClass = c.mainClass;
    settings.mainJar = c.mainJar;
    settings.javaVersion = "1.6";
    EXPECT_EQ(runtimePromptText(settings),
              std::string(c.shown) +
                  " requires the Java Runtime Environment version 1.6\n"
                  "Do you want to download it?");
  }
}

TEST(DownloadPromptTest, YesOpensTheFamilyPageThenExits) {
  const struct {
    const char* version;
    int answer;
    const char* page;  // null: nothing started
  } cases[] = {
      {"1.4.2_10", kAnswerYes, "https://java.sun.com/j2se/1.4.2/download.html"},
      {"1.5.0_11+", kAnswerYes, "https://www.java.com/en/download/download_the_latest.jsp"},
      {"1.5.0_11+", 7, nullptr},
      {"1.6", kAnswerYes, nullptr},
      {"1.4", kAnswerYes, nullptr},
  };
  for (const auto& c : cases) {
    FakePlatform platform;
    platform.queueAnswer(c.answer);
    LaunchSettings settings;
    settings.mainClass = "app.Main";
    settings.javaVersion = c.version;
    EXPECT_EQ(offerRuntimeDownload(settings, platform,
                                   "Incompatible JRE Version Found"),
              Outcome::exitWith(kExitRuntimeMissing))
        << c.version;
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].caption, "Incompatible JRE Version Found");
    EXPECT_EQ(platform.boxes[0].style, kBoxYesNoError);
    if (c.page) {
      ASSERT_EQ(platform.starts.size(), 1u) << c.version;
      // The system's own rundll32 by its full path, never one found nearby.
      EXPECT_EQ(platform.starts[0].commandLine,
                "C:\\windows\\system32\\rundll32.exe url.dll,FileProtocolHandler \"" +
                    std::string(c.page) + "\"");
      EXPECT_TRUE(platform.waits == std::vector<std::string>{"close"});  // not waited for
    } else {
      EXPECT_TRUE(platform.starts.empty()) << c.version;
    }
  }
}

}  // namespace
}  // namespace kite
