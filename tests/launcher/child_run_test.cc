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
// A module or a jar is named as such; a code above 0x7FFFFFFF shows its
// hexadecimal form too.
TEST(ChildRunTest, QuickFailureIsReported) {
  const struct {
    int code;
    std::time_t seconds;
    const char* shown;  // null: no box
    const char* launched = "Class app.Main";
  } cases[] = {{0, 0, nullptr},   {1, 1, "1"},      {1, 2, "1"},
               {1, 3, nullptr},   {1, 10, nullptr}, {999, 0, "999"},
               {-1, 0, "-1 (0xFFFFFFFF)"},
               {-1073741819, 0, "-1073741819 (0xC0000005)"},
               {1, 0, "1", "Module app/app.Main"},
               {1, 0, "1", "Jar \"C:\\My App\\app.jar\""}};
  for (const auto& c : cases) {
    FakePlatform platform;
    platform.queueChild({c.code, c.seconds, false});
    LaunchSettings settings = runnable();
    if (c.launched[0] == 'M') settings.mainModule = "app/app.Main";
    if (c.launched[0] == 'J') settings.mainJar = "\"C:\\My App\\app.jar\"";
    const RunResult result = runJavaOnce(settings, platform);
    EXPECT_EQ(result.failure, 0);
    EXPECT_EQ(result.exitCode, c.code);
    ASSERT_EQ(platform.boxes.size(), c.shown ? 1u : 0u) << c.code << " " << c.seconds;
    if (c.shown) {
      EXPECT_EQ(platform.boxes[0].text,
                std::string("Error launching ") + c.launched +
                    "\n with Java C:\\jre\\bin\\javaw.exe.\nError=" + c.shown);
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

// The box names the runtime, the working directory when there is one, and
// the system's reason with the program in place of its "%1".
TEST(ChildRunTest, ChildThatCannotStartIsNotWaitedFor) {
  const struct {
    const char* reason;
    const char* javaPath;
    const char* workingDir;
    const char* box;  // after "Could not start the Java runtime "
  } cases[] = {
      {"Bad EXE format for %1.", "C:\\j.exe", nullptr,
       "C:\\j.exe\nBad EXE format for C:\\j.exe."},
      {"%1 is not a valid Win32 application.", "\"C:\\My Java\\j.exe\"", nullptr,
       "\"C:\\My Java\\j.exe\"\nC:\\My Java\\j.exe is not a valid Win32 application."},
      {"Cannot run %1!s! (%2, %10).", "C:\\j.exe", nullptr,
       "C:\\j.exe\nCannot run C:\\j.exe (, )."},
      {"The directory name is invalid.", "C:\\j.exe", "C:\\no where",
       "C:\\j.exe in the working directory C:\\no where (workingDir)\n"
       "The directory name is invalid."},
  };
  for (const auto& c : cases) {
    FakePlatform platform;
    platform.queueChild({0, 0, true, c.reason});
    LaunchSettings settings = runnable();
    settings.javaPath = c.javaPath;
    if (c.workingDir) settings.workingDir = c.workingDir;
    const RunResult result = runJavaOnce(settings, platform);
    EXPECT_EQ(result.failure, kExitStartFailed);
    EXPECT_TRUE(platform.waits.empty());
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].caption, "Error");
    EXPECT_EQ(platform.boxes[0].style, kBoxError);
    EXPECT_EQ(platform.boxes[0].text,
              std::string("Could not start the Java runtime ") + c.box);
  }
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
  // Without a working directory: the launcher's, where the child starts.
  EXPECT_EQ(platform.boxes[1].text, "C:\\Apps\\App");
  EXPECT_EQ(platform.boxes[2].caption, "Command Line is");
  EXPECT_EQ(platform.out,
            "cmdLine is 44 chars long\nCreateProcess ret 1, exitCode=7\n");
}

// A bundled runtime is looked at first, once: taken, it is started with no
// registry lookup; passed over, the usual lookup runs.  Relaunches reuse
// the choice.
TEST(ChildRunTest, BundledRuntimeFirstThenTheUsualLookup) {
  const struct {
    bool installed;
    const char* release;  // its release file; null: none
    const char* started;  // the runtime on the command line
  } cases[] = {
      {true, nullptr, "\"C:\\Apps\\App\\jre\\bin\\javaw.exe\""},
      {true, "JAVA_VERSION=\"21.0.1\"", "\"C:\\Apps\\App\\jre\\bin\\javaw.exe\""},
      {false, nullptr, "\"C:\\jdk17\\bin\\javaw.exe\""},
      {true, "JAVA_VERSION=\"11.0.2\"", "\"C:\\jdk17\\bin\\javaw.exe\""},
  };
  for (const auto& c : cases) {
    FakePlatform platform;
    if (c.installed) platform.addFile("C:\\Apps\\App\\jre\\bin\\javaw.exe", fakeProgram());
    if (c.release) platform.addFile("C:\\Apps\\App\\jre\\release", c.release);
    platform.setEnvironment("JAVA_HOME", "C:\\jdk17");
    platform.addFile("C:\\jdk17\\bin\\javaw.exe", "MZ");
    platform.addFile("C:\\jdk17\\release", "JAVA_VERSION=\"17\"");
    platform.queueChild({999, 10, false});
    LaunchSettings settings;
    settings.mainClass = "app.Main";
    settings.startDir = "C:\\Apps\\App";
    settings.alwaysQuote = true;
    settings.bundledRuntime = "jre";
    settings.javaMinVersion = "17";
    runJavaOnce(settings, platform);
    const size_t opens = platform.registryOpens.size();
    runJavaOnce(settings, platform);
    ASSERT_EQ(platform.starts.size(), 2u);
    const std::string expected = std::string(c.started) + " -classpath app.Main";
    EXPECT_EQ(platform.starts[0].commandLine, expected) << c.started;
    EXPECT_EQ(platform.starts[1].commandLine, expected);
    EXPECT_EQ(opens == 0, std::string(c.started).find("jre") != std::string::npos);
    EXPECT_EQ(platform.registryOpens.size(), opens) << "looked up again";
  }
}

// "env" lines give the child an environment of its own; without them it
// inherits the launcher's.  Debug mode traces each variable once.
TEST(ChildRunTest, EnvironmentOnlyWithEnvLines) {
  FakePlatform platform;
  platform.setEnvironment("Path", "C:\\windows");
  LaunchSettings settings = runnable();
  runJavaOnce(settings, platform);
  settings.environment = {"PATH=C:\\app\\native;%PATH%", "TITLE=My App",
                          "title=%TITLE%!"};
  settings.debugMode = true;
  runJavaOnce(settings, platform);
  ASSERT_EQ(platform.starts.size(), 2u);
  EXPECT_EQ(platform.starts[0].environment, std::nullopt);
  EXPECT_EQ(platform.starts[1].environment,
            (std::vector<std::string>{"PATH=C:\\app\\native;C:\\windows",
                                      "title=My App!"}));
  std::vector<std::string> traced;
  for (size_t at = 0; (at = platform.out.find("env ", at)) != std::string::npos;)
    traced.push_back(platform.out.substr(at, platform.out.find('\n', at) - at)), ++at;
  EXPECT_EQ(traced, (std::vector<std::string>{"env PATH=C:\\app\\native;C:\\windows",
                                              "env title=My App!"}));
}

}  // namespace
}  // namespace kite
