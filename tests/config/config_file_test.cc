#include "config/config_file.h"

#include <gtest/gtest.h>

#include "base/exit_codes.h"
#include "platform/fake_platform.h"
#include "runtime/java_registry.h"
#include "support/config_reading.h"

namespace kite {
namespace {

using Entries = std::vector<std::string>;

// Every field the reader fills that is set, as "name=value" lines.
std::string describe(const LaunchSettings& s) {
  std::string text;
  auto one = [&](const char* name, const OptionalText& value) {
    if (value) text += std::string(name) + "=" + *value + "\n";
  };
  auto list = [&](const char* name, const Entries& values) {
    for (const std::string& value : values) text += std::string(name) + "=" + value + "\n";
  };
  list("vmParams", s.vmParams);
  list("classPath", s.classPath);
  list("arguments", s.arguments);
  one("mainClass", s.mainClass);
  one("appName", s.appName);
  one("javaPath", s.javaPath);
  one("consoleTitle", s.consoleTitle);
  one("workingDir", s.workingDir);
  return text;
}

struct LineCase {
  const char* line;
  const char* expected;  // describe() of the settings after reading it
};

TEST(ConfigFile, KeyTable) {
  const LineCase cases[] = {
      {"vmparam -Xmx1m", "vmParams=-Xmx1m\n"},
      {"vmparameter -Xss1m", "vmParams=-Xss1m\n"},  // keys are line prefixes
      {"javapath C:\\j\\bin\\java.exe", "javaPath=C:\\j\\bin\\java.exe\n"},
      {"addpath classes", "classPath=classes\n"},
      {"addjar lib/x.jar", "classPath=lib/x.jar\n"},
      {"mainclass  app.Main", "mainClass= app.Main\n"},
      {"appname My App", "appName=My App\n"},
      {"argument $HOME", "arguments=$HOME\n"},  // raw
      {"vmparam $HOME", "vmParams=\"C:/Users/A B\"\n"},
      {"mainclass $HOME", "mainClass=C:/Users/A B\n"},  // quote flag 0
      {"consoleTitle My Title", "consoleTitle=My Title\n"},
      {"workingDir C:\\w", "workingDir=C:\\w\n"},
      // Quotes that expansion put around the whole value are taken off;
      // quotes the user typed stay.
      {"workingDir $HOME", "workingDir=C:/Users/A B\n"},
      {"consoleTitle \"$HOME\\\"", "consoleTitle=\"C:/Users/A B/\"\n"},
      {"consoleTitle \"Typed\"", "consoleTitle=\"Typed\"\n"},
      // ... also where they do not stand around the whole value.
      {"consoleTitle mode=$HOME", "consoleTitle=mode=C:/Users/A B\n"},
      {"workingDir \"x\"=$HOME\\y", "workingDir=\"x\"=C:/Users/A B/y\n"},
      {"\xEF\xBB\xBFmainclass a", "mainClass=a\n"},  // byte-order mark
      {"# mainclass a", ""},
      {"//mainclass a", ""},
      {"mainclass", ""},
      {"mainclass\tapp.Main", ""},
      {" mainclass a", ""},
      {"\tmainclass a", ""},
      {"MainClass a", ""},
      {"unknown key", ""},
  };
  for (const LineCase& c : cases) {
    FakePlatform platform;
    platform.setEnvironment("HOME", "C:\\Users\\A B");
    platform.addFile("App.config", std::string(c.line) + "\r\n");
    LaunchSettings settings;
    EXPECT_EQ(readAsLauncher(settings, platform, "App.config"), 0);
    EXPECT_EQ(describe(settings), c.expected) << c.line;
  }
}

TEST(ConfigFile, LinesAreReadWholeAndTheLastKeepsItsLastCharacter) {
  const std::string longValue = "-D" + std::string(5000, 'x');
  FakePlatform platform;
  platform.addFile("App.config", "vmparam " + longValue + "\nmainclass a.Main");
  LaunchSettings settings;
  readAsLauncher(settings, platform, "App.config");
  EXPECT_EQ(describe(settings), "vmParams=" + longValue + "\nmainClass=a.Main\n");
}

TEST(ConfigFile, IncludesAreReadInPlaceRelativeToTheCurrentDirectory) {
  FakePlatform platform;
  platform.addFile("C:\\Apps\\App\\conf\\main.config",
                   "addjar a\ninclude sub.config\ninclude missing.config\naddjar d\n");
  platform.addFile("sub.config", "addjar b\naddjar c\n");
  LaunchSettings settings;
  EXPECT_EQ(readAsLauncher(settings, platform, "conf\\main.config"), 0);
  EXPECT_EQ(settings.classPath, (Entries{"a", "b", "c", "d"}));
  EXPECT_EQ(platform.err, "Can't open missing.config Error No such file or directory\n");
  EXPECT_EQ(readAsLauncher(settings, platform, "nothing.config"), kExitNoConfig);
}

TEST(ConfigFile, IncludeOfAFileBeingReadIsSkippedHoweverItIsNamed) {
  FakePlatform platform;
  platform.addFile("a.config", "addjar a1\ninclude b.config\ninclude a.config\naddjar a2\n");
  platform.addFile("b.config", "addjar b1\ninclude C:\\APPS\\App\\.\\A.CONFIG\naddjar b2\n");
  LaunchSettings settings;
  EXPECT_EQ(readAsLauncher(settings, platform, "a.config"), 0);
  EXPECT_EQ(settings.classPath, (Entries{"a1", "b1", "b2", "a2"}));
  EXPECT_EQ(platform.err,
            "Skipping include of C:\\APPS\\App\\.\\A.CONFIG: it is already being read\n"
            "Skipping include of a.config: it is already being read\n");
}

TEST(ConfigFile, LongIncludeChainsWork) {
  FakePlatform platform;
  const int depth = 300;
  for (int i = 0; i < depth; ++i)
    platform.addFile("f" + std::to_string(i) + ".config",
                     "include f" + std::to_string(i + 1) + ".config\naddjar " +
                         std::to_string(i) + "\n");
  platform.addFile("f300.config", "");
  LaunchSettings settings;
  EXPECT_EQ(readAsLauncher(settings, platform, "f0.config"), 0);
  ASSERT_EQ(settings.classPath.size(), 300u);
  EXPECT_EQ(settings.classPath.front(), "299");  // innermost first
  EXPECT_EQ(platform.err, "");
}

// A value ends at a NUL byte, so the rest of the command line stays whole.
TEST(ConfigFile, ALineEndsAtANulByte) {
  FakePlatform platform;
  const char text[] = "vmparam -Xmx1g\0junk\nmainclass a.Main\n\0addjar x\n";
  platform.addFile("App.config", std::string(text, sizeof text - 1));
  LaunchSettings settings;
  EXPECT_EQ(readAsLauncher(settings, platform, "App.config"), 0);
  EXPECT_EQ(describe(settings), "vmParams=-Xmx1g\nmainClass=a.Main\n");
}

// Files that include one another more than once are read again each time;
// the number of files read for one launch is capped.
TEST(ConfigFile, FilesReadForOneLaunchAreCapped) {
  const struct {
    int chain;    // files in a chain, each including the next once
    int repeats;  // ... or each including the next this many times
    int code;
    size_t reads;
  } cases[] = {
      {kMaxConfigFiles, 1, 0, static_cast<size_t>(kMaxConfigFiles)},
      {kMaxConfigFiles + 1, 1, kExitNoConfig,
       static_cast<size_t>(kMaxConfigFiles)},
      // 2^21 - 1 reads without the cap.
      {21, 2, kExitNoConfig, static_cast<size_t>(kMaxConfigFiles)},
  };
  for (const auto& c : cases) {
    FakePlatform platform;
    for (int i = 0; i < c.chain; ++i) {
      std::string text = "vmparam -D" + std::to_string(i) + "\n";
      for (int r = 0; i + 1 < c.chain && r < c.repeats; ++r)
        text += "include f" + std::to_string(i + 1) + ".config\n";
      platform.addFile("f" + std::to_string(i) + ".config", text);
    }
    LaunchSettings settings;
    EXPECT_EQ(readAsLauncher(settings, platform, "f0.config"), c.code);
    EXPECT_EQ(platform.filesRead.size(), c.reads) << c.chain;
    if (c.code == 0) {
      EXPECT_EQ(platform.err, "");
      EXPECT_TRUE(platform.boxes.empty());
      continue;
    }
    EXPECT_NE(platform.err.find("a launch reads at most 1000 configuration "
                                "files"),
              std::string::npos);
    ASSERT_EQ(platform.boxes.size(), 1u);
    EXPECT_EQ(platform.boxes[0].caption, "Error");
    EXPECT_EQ(platform.boxes[0].style, kBoxError);
    EXPECT_NE(platform.boxes[0].text->find("more than 1000"), std::string::npos);
  }
}

TEST(ConfigFile, JavaVersionResolvesWhileTheFileIsRead) {
  FakePlatform platform;
  platform.setRegistryValue(std::string(kJavaRegistryKey) + "\\1.6.0_07",
                            "JavaHome", "C:\\jre6");
  platform.addFile("App.config", "javapath first\njavaVersion 1.6.0_07\n");
  platform.addFile("Missing.config", "javaVersion 1.7.0_01\nmainclass a.Main\n");
  platform.addFile("Empty.config", "javaVersion \nmainclass a.Main\n");
  LaunchSettings settings;
  EXPECT_EQ(readAsLauncher(settings, platform, "App.config"), 0);
  EXPECT_EQ(settings.javaPath, "C:\\jre6\\bin\\javaw.exe");
  // Unresolved, or empty: the launcher ends at once, before the next line.
  for (const char* file : {"Missing.config", "Empty.config"}) {
    EXPECT_EQ(readAsLauncher(settings, platform, file), kExitVersionUnresolved);
    EXPECT_FALSE(settings.mainClass);
  }
}

struct LocateCase {
  const char* exePath;
  const char* override;
  const char* expected;
};

TEST(ConfigFile, LocateAppConfigNamesTheFileAfterTheExecutable) {
  const LocateCase cases[] = {
      {"C:\\Apps\\App\\App.exe", nullptr, "C:\\Apps\\App\\App.config"},
      {"C:\\Apps\\App\\Tool.exe", nullptr, "C:\\Apps\\App\\Tool.config"},
      {"App.EXE", nullptr, "C:\\Apps\\App\\App.EXE.config"},
      {"App", nullptr, "C:\\Apps\\App\\App.config"},
      {"C:\\Apps\\App\\App.exe", "other.config", "other.config"},
  };
  for (const LocateCase& c : cases) {
    FakePlatform platform;
    LaunchSettings settings;
    if (c.override) settings.configOverride = c.override;
    EXPECT_EQ(locateAsLauncher(settings, platform, c.exePath, "C:\\Apps\\App"), kExitNoConfig);
    EXPECT_EQ(settings.configPath, c.expected);
    EXPECT_EQ(platform.filesRead, (Entries{c.expected}));
    EXPECT_EQ(platform.err, "Can't open " + std::string(c.expected) +
                                " Error No such file or directory\n");
  }
}

TEST(ConfigFile, DebugModeTracesAndShowsThePaths) {
  FakePlatform platform;
  platform.addFile("C:\\Apps\\App\\App.config", "include sub.config\n");
  platform.addFile("sub.config", "");
  LaunchSettings settings;
  settings.debugMode = true;
  EXPECT_EQ(locateAsLauncher(settings, platform, "C:\\Apps\\App\\App.exe", "C:\\Apps\\App"), 0);
  EXPECT_EQ(platform.out, "reading app config C:\\Apps\\App\\App.config\n");
  ASSERT_EQ(platform.boxes.size(), 3u);
  EXPECT_EQ(platform.boxes[0].text, "[C:\\Apps\\App\\App.config]");
  EXPECT_EQ(platform.boxes[0].caption, "Reading App Config file");
  EXPECT_EQ(platform.boxes[1].text, "C:\\Apps\\App\\App.config");
  EXPECT_EQ(platform.boxes[1].caption, "Reading Config file");
  EXPECT_EQ(platform.boxes[2].text, "sub.config");
}

}  // namespace
}  // namespace kite
