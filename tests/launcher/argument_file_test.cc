// Command lines too long for Windows, shortened by a Java argument file;
// names the ANSI code page cannot hold, passed by their short names.
#include "launcher/argument_file.h"

#include <gtest/gtest.h>

#include "base/exit_codes.h"
#include "launcher/ansi_names.h"
#include "launcher/child_run.h"
#include "launcher/command_line.h"
#include "platform/fake_platform.h"

namespace kite {
namespace {

TEST(ArgumentFile, TextAsJavaReadsIt) {
  const struct {
    std::vector<std::string> arguments;
    const char* text;
  } cases[] = {
      {{"-Xmx1g", "-classpath", "a.jar;b c.jar"},
       "\"-Xmx1g\"\r\n\"-classpath\"\r\n\"a.jar;b c.jar\"\r\n"},
      {{"C:\\My Dir\\", "-Dq=\"x\"", ""}, "\"C:\\\\My Dir\\\\\"\r\n\"-Dq=\\\"x\\\"\"\r\n\"\"\r\n"},
      {{"#not a comment", "a\tb\nc\rd\fe"}, "\"#not a comment\"\r\n\"a\\tb\\nc\\rd\\fe\"\r\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(argumentFileText(c.arguments), c.text);
}

TEST(ArgumentFile, TheRuntimesFeatureVersion) {
  const struct {
    const char* javaPath;
    const char* runtimeVersion;  // the runtime's record holds; null: none
    const char* release;         // the release file above bin; null: none
    unsigned feature;
  } cases[] = {
      {"C:\\jdk\\bin\\javaw.exe", "17.0.2", nullptr, 17},
      {"\"C:\\My JDK\\bin\\javaw.exe\"", nullptr, "JAVA_VERSION=\"21.0.1\"\n", 21},
      {"C:/My JDK/BIN/java.exe", nullptr, "JAVA_VERSION=\"21.0.1\"\n", 21},
      {"C:\\jre8\\bin\\javaw.exe", nullptr, "JAVA_VERSION=\"1.8.0_392\"\n", 8},
      {"C:\\jdk\\bin\\javaw.exe", nullptr, nullptr, 0},
      {"C:\\jdk\\javaw.exe", nullptr, "JAVA_VERSION=\"17\"\n", 0},  // not in bin
  };
  for (const auto& c : cases) {
    FakePlatform platform;
    LaunchSettings settings;
    settings.javaPath = c.javaPath;
    if (c.runtimeVersion) {
      settings.runtime = RuntimeRecord();
      settings.runtime->versionText = c.runtimeVersion;
    }
    if (c.release) {
      platform.addFile("C:\\jdk\\release", c.release);
      platform.addFile("C:\\My JDK\\release", c.release);
      platform.addFile("C:\\jre8\\release", c.release);
      platform.addFile("C:\\release", c.release);
    }
    EXPECT_EQ(runtimeFeature(settings, platform), c.feature) << c.javaPath;
  }
}

// A launch whose class path alone takes the line over Windows' limit.
struct LongLaunch {
  explicit LongLaunch(const char* release, const char* entry = "lib\\x.jar") {
    settings.javaPath = "C:\\jdk\\bin\\javaw.exe";
    settings.mainClass = "app.Main";
    settings.vmParams = {"-Xmx1g -Dq=\"a b\""};
    settings.classPath.assign(4000, std::string(10, 'c'));
    settings.classPath.push_back(entry);
    settings.arguments = {"arg"};
    settings.alwaysQuote = true;
    if (release) platform.addFile("C:\\jdk\\release", release);
    platform.addDirectory("C:\\Temp");
  }
  FakePlatform platform;
  LaunchSettings settings;
};

TEST(ArgumentFile, JavaNineAndLaterGetTheJvmItemsInAFile) {
  LongLaunch launch("JAVA_VERSION=\"17.0.2\"\n");
  launch.platform.queueChild({kRelaunchExitCode, 10, false});
  // Another launch's file of the first name is left alone.  (The fake's
  // random bytes are 01 for the first name, 02 for the second...)
  const std::string taken = "C:\\Temp\\kite-0101010101010101.args";
  launch.platform.addFile(taken, "theirs");
  for (int run = 0; run < 2; ++run) {
    const RunResult result = runJavaOnce(launch.settings, launch.platform);
    EXPECT_EQ(result.failure, 0);
  }
  FakePlatform& platform = launch.platform;
  ASSERT_EQ(platform.starts.size(), 2u);
  const std::string file = "C:\\Temp\\kite-0202020202020202.args";
  EXPECT_EQ(platform.starts[0].commandLine,
            "C:\\jdk\\bin\\javaw.exe @" + file + " app.Main \"arg\" ");
  // Each launch wrote its file, and removed it when the application ended
  // (the first ran ten seconds).
  const std::string second = "C:\\Temp\\kite-0303030303030303.args";
  EXPECT_EQ(platform.filesWritten,
            (std::vector<std::string>{"create " + taken, "create " + file,
                                      "remove " + file, "create " + second,
                                      "remove " + second}));
  EXPECT_EQ(platform.fileContents(taken), "theirs");
  // Each is the user's alone.
  EXPECT_EQ(platform.privateFiles,
            (std::vector<std::string>{taken, file, second}));
  std::string classPath;
  for (size_t i = 0; i < launch.settings.classPath.size(); ++i)
    classPath += (i ? ";" : "") + launch.settings.classPath[i];
  EXPECT_EQ(platform.createdContents.at(0),
            "\"-Xmx1g\"\r\n\"-Dq=a b\"\r\n\"-classpath\"\r\n\"" +
                std::string(classPath).replace(classPath.rfind('\\'), 1, "\\\\") +
                "\"\r\n");
  EXPECT_TRUE(platform.boxes.empty());
}

TEST(ArgumentFile, KitesFilesADayOldAreRemovedByALaunchThatWritesOne) {
  const struct {
    const char* name;
    std::time_t age;
    bool removed;
  } cases[] = {
      {"kite-00112233445566ff.args", 25 * 3600, true},
      {"KITE-00112233445566EE.ARGS", 25 * 3600, true},
      {"kite-1700000000-3.args", 25 * 3600, true},  // named as before
      {"kite-00112233445566dd.args", 23 * 3600, false},
      {"kite-report.args", 25 * 3600, false},
      {"kite-00112233445566.args", 25 * 3600, false},
      {"kite-1-2-3.args", 25 * 3600, false},
      {"kite-x-3.args", 25 * 3600, false},
  };
  LongLaunch launch("JAVA_VERSION=\"17\"\n");
  for (const auto& c : cases) {
    launch.platform.addFile(std::string("C:\\Temp\\") + c.name, "");
    launch.platform.setModified(std::string("C:\\Temp\\") + c.name,
                                launch.platform.clock - c.age);
  }
  runJavaOnce(launch.settings, launch.platform);
  ASSERT_EQ(launch.platform.starts.size(), 1u);
  for (const auto& c : cases)
    EXPECT_EQ(launch.platform.hasFile(std::string("C:\\Temp\\") + c.name),
              !c.removed)
        << c.name;
}

TEST(ArgumentFile, OtherwiseTheLineIsRefusedAsBefore) {
  const struct {
    const char* release;
    const char* entry;
  } cases[] = {
      {nullptr, "lib\\x.jar"},                          // version unknown
      {"JAVA_VERSION=\"1.8.0_392\"\n", "lib\\x.jar"},  // Java 8
      // A name windows-1252 cannot hold, with no short name.
      {"JAVA_VERSION=\"17\"\n", "lib\\\xCE\xB1.jar"},
  };
  for (const auto& c : cases) {
    LongLaunch launch(c.release, c.entry);
    const RunResult result = runJavaOnce(launch.settings, launch.platform);
    EXPECT_EQ(result.failure, kExitStartFailed) << c.entry;
    EXPECT_TRUE(launch.platform.starts.empty());
    EXPECT_TRUE(launch.platform.filesWritten.empty()) << c.entry;
    ASSERT_EQ(launch.platform.boxes.size(), 1u);
    EXPECT_NE(launch.platform.boxes[0].text->find("Windows accepts at most"),
              std::string::npos);
  }
}

// Entries the code page cannot hold go by their short names where the
// file has one; the others, and everything else, as written.  A folder
// without a short name keeps its long name in it, blanks and all: quoted
// then.  With a working directory the jars addjars found are named from
// the start directory first, whose own name the code page may not hold.
TEST(AnsiNames, ShortNamesForEntriesTheCodePageCannotHold) {
  FakePlatform platform;
  platform.addFile("C:\\Apps\\App\\lib\\\xCE\xB1.jar", "PK");
  platform.addDirectory("C:\\Apps\\App\\\xCE\xB2");
  platform.addFile("C:\\Apps\\App\\\xE6\x97\xA5.jar", "PK");
  platform.addFile("C:\\My Apps\\\xCE\xB3.jar", "PK");
  platform.addFile("C:\\\xCE\xB4\\lib\\a.jar", "PK");
  platform.shortNames[platform.normalize("lib\\\xCE\xB1.jar")] = "lib\\A~1.JAR";
  platform.shortNames[platform.normalize("\xCE\xB2")] = "B~1";
  platform.shortNames[platform.normalize("C:\\My Apps\\\xCE\xB3.jar")] = "C:\\My Apps\\G~1.JAR";
  platform.shortNames[platform.normalize("C:\\\xCE\xB4\\lib\\a.jar")] = "C:\\D~1\\lib\\a.jar";
  LaunchSettings settings;
  settings.debugMode = true;
  settings.startDir = "C:\\\xCE\xB4";
  settings.workingDir = "C:\\data";
  settings.scannedJars = {5};
  settings.classPath = {"\"lib\\\xCE\xB1.jar\"", "\xCE\xB2/*", "caf\xC3\xA9.jar",
                        "\xE6\x97\xA5.jar", "C:/My Apps/\xCE\xB3.jar", "lib/a.jar"};
  settings.modulePath = {"\xCE\xB2"};
  settings.mainJar = "C:/My Apps/\xCE\xB3.jar";
  useShortNames(settings, platform);
  EXPECT_EQ(settings.classPath,
            (std::vector<std::string>{"lib\\A~1.JAR", "B~1/*", "caf\xC3\xA9.jar",
                                      "\xE6\x97\xA5.jar", "\"C:\\My Apps\\G~1.JAR\"",
                                      "C:\\D~1\\lib\\a.jar"}));
  EXPECT_EQ(settings.modulePath, std::vector<std::string>{"B~1"});
  EXPECT_EQ(settings.mainJar, "\"C:\\My Apps\\G~1.JAR\"");
  EXPECT_NE(platform.out.find("passing \"lib\\\xCE\xB1.jar\" by its short name "
                              "lib\\A~1.JAR: the ANSI code page 1252 cannot hold "
                              "its name\n"),
            std::string::npos)
      << platform.out;
}

}  // namespace
}  // namespace kite
