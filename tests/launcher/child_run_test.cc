#include "launcher/child_run.h"

#include <gtest/gtest.h>

#include "launcher/command_line.h"
#include "base/exit_codes.h"
#include "platform/fake_platform.h"

namespace kite {
namespace {

LaunchSettings runnable() {
  LaunchSettings settings;
  settings.javaPath = "C:\\jre\\bin\\javaw.exe";
  settings.mainClass = "app.Main";
  return settings;
}

// A non-zero code is reported only for a child that ran under three whole
// seconds; the code is returned either way.
TEST(ChildRunTest, QuickFailureIsReported) {
  const struct {
    int code;
    std::time_t seconds;
    bool boxed;
  } cases[] = {{0, 0, false}, {1, 1, true}, {1, 2, true},  {1, 3, false},
               {1, 10, false}, {999, 0, true}, {-1, 0, true}};
  for (const auto& c : cases) {
    FakePlatform platform;
    platform.queueChild({c.code, c.seconds, false});
    LaunchSettings settings = runnable();
    const RunResult result = runJavaOnce(settings, platform);
    EXPECT_EQ(result.failure, 0);
    EXPECT_EQ(result.exitCode, c.code);
    ASSERT_EQ(platform.boxes.size(), c.boxed ? 1u : 0u) << c.code << " " << c.seconds;
    if (c.boxed) {
      EXPECT_EQ(platform.boxes[0].text,
                "Error launching Class app.Main\n with Java "
                "C:\\jre\\bin\\javaw.exe.\nError=" + std::to_string(c.code));
      EXPECT_EQ(platform.boxes[0].caption, "Error");
      EXPECT_EQ(platform.boxes[0].style, kBoxError);
    }
  }
}

TEST(ChildRunTest, StartsWithDirectoryAndTitleThenWaits) {
  FakePlatform platform;
  LaunchSettings settings = runnable();
  settings.workingDir = "C:\\data";
  settings.consoleTitle = "My App";
  runJavaOnce(settings, platform);
  ASSERT_EQ(platform.starts.size(), 1u);
  EXPECT_EQ(platform.starts[0].commandLine,
            "C:\\jre\\bin\\javaw.exe -classpath app.Main");
  EXPECT_EQ(platform.starts[0].directory, "C:\\data");
  EXPECT_EQ(platform.starts[0].consoleTitle, "My App");
  EXPECT_EQ(platform.waits,
            (std::vector<std::string>{"idle 5000", "exit", "code", "close"}));

  FakePlatform inherit;
  LaunchSettings plain = runnable();
  runJavaOnce(plain, inherit);
  EXPECT_EQ(inherit.starts[0].directory, std::nullopt);
  EXPECT_EQ(inherit.starts[0].consoleTitle, std::nullopt);
}

TEST(ChildRunTest, ChildThatCannotStartIsNotWaitedFor) {
  FakePlatform platform;
  platform.queueChild({0, 0, true});
  LaunchSettings settings = runnable();
  const RunResult result = runJavaOnce(settings, platform);
  EXPECT_EQ(result.failure, kExitStartFailed);
  EXPECT_TRUE(platform.waits.empty());
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].caption, "Error");
  EXPECT_EQ(platform.boxes[0].style, kBoxError);
  EXPECT_NE(platform.boxes[0].text->find("C:\\jre\\bin\\javaw.exe"), std::string::npos);
  EXPECT_NE(platform.boxes[0].text->find("cannot find the file"), std::string::npos);
}

TEST(ChildRunTest, CommandLineOverTheLimitIsRefusedBeforeStarting) {
  for (size_t extra : {0, 1}) {
    LaunchSettings settings = runnable();
    // javaPath, " -classpath ", the entry, a space and mainClass.
    const size_t fixed = settings.javaPath->size() + 13 + settings.mainClass->size();
    settings.classPath.push_back(std::string(kCommandLineLimit - 1 - fixed + extra, 'x'));
    FakePlatform platform;
    const RunResult result = runJavaOnce(settings, platform);
    if (extra == 0) {
      EXPECT_EQ(result.failure, 0);
      ASSERT_EQ(platform.starts.size(), 1u);
      EXPECT_EQ(platform.starts[0].commandLine.size(), kCommandLineLimit - 1);
    } else {
      EXPECT_EQ(result.failure, kExitStartFailed);
      EXPECT_TRUE(platform.starts.empty());
      ASSERT_EQ(platform.boxes.size(), 1u);
      EXPECT_NE(platform.boxes[0].text->find("32767 characters long"), std::string::npos);
      EXPECT_NE(platform.boxes[0].text->find("at most 32766"), std::string::npos);
    }
  }
}

TEST(ChildRunTest, LooksUpTheDefaultRuntimeOnceAndReusesIt) {
  FakePlatform platform;
  platform.setRegistryValue("SOFTWARE\\JavaSoft\\Java Runtime Environment",
                            "CurrentVersion", "1.6");
  platform.setRegistryValue("SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.6",
                            "JavaHome", "C:\\jre6");
  LaunchSettings settings;
  settings.mainClass = "app.Main";
  settings.alwaysQuote = true;
  runJavaOnce(settings, platform);
  runJavaOnce(settings, platform);
  EXPECT_EQ(settings.javaPath, "\"C:\\jre6\\bin\\javaw.exe\"");
  EXPECT_EQ(platform.registryOpens.size(), 2u);  // base key and 1.6, once
  EXPECT_EQ(platform.starts.size(), 2u);

  FakePlatform empty;
  LaunchSettings none;
  none.mainClass = "app.Main";
  EXPECT_EQ(runJavaOnce(none, empty).failure, kExitNoRuntime);
  EXPECT_TRUE(empty.starts.empty());
}

TEST(ChildRunTest, DebugModeShowsWhatItStarts) {
  FakePlatform platform;
  platform.queueChild({7, 5, false});
  LaunchSettings settings = runnable();
  settings.debugMode = true;
  runJavaOnce(settings, platform);
  ASSERT_EQ(platform.boxes.size(), 3u);
  EXPECT_EQ(platform.boxes[0].caption, "Javapath is");
  EXPECT_EQ(platform.boxes[1].caption, "Starting dir");
  EXPECT_EQ(platform.boxes[1].text, std::nullopt);
  EXPECT_EQ(platform.boxes[2].caption, "Command Line is");
  EXPECT_EQ(platform.out,
            "cmdLine is 44 chars long\nCreateProcess ret 1, exitCode=7\n");
}

}  // namespace
}  // namespace kite
