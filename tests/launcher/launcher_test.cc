#include "launcher/launcher.h"

#include <gtest/gtest.h>

#include "base/exit_codes.h"
#include "platform/fake_platform.h"
#include "support/classic_runtimes.h"

namespace kite {
namespace {

using Args = std::vector<std::string>;

const char kConfig[] =
    "mainclass app.Main\n"
    "javapath C:\\jre\\bin\\javaw.exe\n"
    "argument fromConfig\n";

struct Launch {
  FakePlatform platform;
  LaunchSettings settings;
  int code = -1;

  explicit Launch(const char* config = kConfig,
                  const char* configPath = "C:\\Apps\\App\\App.config") {
    if (config) platform.addFile(configPath, config);
  }
  Launch& run(const Args& argv) {
    code = runLauncher(argv, settings, platform);
    return *this;
  }
};

TEST(LauncherTest, OwnArguments) {
  const struct {
    Args argv;
    bool debug;
    OptionalText override;
    Args arguments;  // the configuration's own come after these
    int code;
  } cases[] = {
      {{"C:\\Apps\\App\\App.exe"}, false, std::nullopt, {"fromConfig"}, 0},
      {{"C:\\Apps\\App\\App.exe", "-d", "x", "-cmy.config", "y"}, true, "my.config",
       {"x", "y", "fromConfig"}, 0},
      {{"C:\\Apps\\App\\App.exe", "-dx", "-D"}, false, std::nullopt,
       {"-dx", "-D", "fromConfig"}, 0},
      // "-cp": the file "p" does not exist, so nothing is read.
      {{"C:\\Apps\\App\\App.exe", "-cp", "x"}, false, "p", {"x"}, kExitNoConfig},
      // The last "-c" wins: an empty path.
      {{"C:\\Apps\\App\\App.exe", "-ca", "-c"}, false, "", {}, kExitNoConfig},
  };
  for (const auto& c : cases) {
    Launch launch;
    launch.platform.addFile("C:\\Apps\\App\\my.config", kConfig);
    launch.run(c.argv);
    EXPECT_EQ(launch.code, c.code) << c.argv.size();
    EXPECT_EQ(launch.settings.debugMode, c.debug);
    EXPECT_EQ(launch.settings.configOverride, c.override);
    EXPECT_EQ(launch.settings.arguments, c.arguments) << c.argv.size();
  }
}

TEST(LauncherTest, StartDirectoryAndConfigurationPath) {
  const struct {
    const char* exePath;
    const char* startDir;
    bool changes;
    const char* configPath;
  } cases[] = {
      {"C:\\Apps\\App\\App.exe", "C:\\Apps\\App", true, "C:\\Apps\\App\\App.config"},
      {"C:\\Apps\\App\\Tool.exe", "C:\\Apps\\App", true, "C:\\Apps\\App\\Tool.config"},
      {"App", "C:\\Work", false, "C:\\Work\\App.config"},
      {"sub\\App.exe", "C:\\Work", false, "C:\\Work\\App.config"},
      // A drive's root keeps its backslash ("C:" is the drive's current
      // folder), and the configuration's path gets no second one.
      {"C:\\App.exe", "C:\\", true, "C:\\App.config"},
      {"D:\\x\\App.EXE", "D:\\x", true, "D:\\x\\App.EXE.config"},
      // A "/" separates folders as a "\\" does.
      {"C:/Apps/App/App.exe", "C:\\Apps\\App", true, "C:\\Apps\\App\\App.config"},
      {"C:/Apps\\App/Tool.exe", "C:\\Apps\\App", true, "C:\\Apps\\App\\Tool.config"},
      {"C:/App.exe", "C:\\", true, "C:\\App.config"},
  };
  for (const auto& c : cases) {
    Launch launch(kConfig, c.configPath);
    launch.platform.cwd = "C:\\Work";
    launch.run({c.exePath});
    EXPECT_EQ(launch.code, 0) << c.exePath;
    EXPECT_EQ(launch.settings.startDir, c.startDir);
    EXPECT_EQ(launch.platform.directoryChanges,
              c.changes ? Args{c.startDir} : Args{});
    EXPECT_EQ(launch.settings.configPath, c.configPath);
  }
}

// KITE_APP_DIR and KITE_APP_EXE are set before the configuration is read,
// from the program's own path (argv[0] only when that is unknown).
TEST(LauncherTest, AppVariablesNameTheLauncher) {
  const struct {
    const char* program;
    const char* argv0;
    Args sets;
    const char* vmparam;  // "vmparam -Dd=$KITE_APP_DIR"
  } cases[] = {
      {"C:\\Apps\\App\\App.exe", "App",
       {"KITE_APP_DIR=C:\\Apps\\App", "KITE_APP_EXE=C:\\Apps\\App\\App.exe"},
       "-Dd=C:/Apps/App"},
      {"", "C:\\Apps\\App\\App.exe",
       {"KITE_APP_DIR=C:\\Apps\\App", "KITE_APP_EXE=C:\\Apps\\App\\App.exe"},
       "-Dd=C:/Apps/App"},
      {"D:\\App.exe", "D:\\App.exe",
       {"KITE_APP_DIR=D:\\", "KITE_APP_EXE=D:\\App.exe"}, "-Dd=D:/"},
  };
  for (const auto& c : cases) {
    Launch launch("mainclass a.B\njavapath j.exe\nvmparam -Dd=$KITE_APP_DIR\n",
                  "C:\\Apps\\App\\App.config");
    launch.platform.addFile("D:\\App.config", "mainclass a.B\njavapath j.exe\n"
                            "vmparam -Dd=$KITE_APP_DIR\n");
    launch.platform.cwd = "C:\\Apps\\App";
    launch.platform.program = c.program;
    launch.run({c.argv0});
    EXPECT_EQ(launch.platform.environmentSets, c.sets) << c.program;
    EXPECT_EQ(launch.settings.vmParams, Args{c.vmparam}) << c.program;
  }
}

// The runtime is decided once, after reading: a usable bundled runtime wins
// wherever its line stands, with no box or trace of a search; otherwise the
// lines count in their order, and a configuration without one shows what
// it always did (the failed search's prompt, nothing read after it).
TEST(LauncherTest, ABundledRuntimeWinsWhereverItsLineStands) {
  const char* jre = "\"C:\\Apps\\App\\jre\\bin\\javaw.exe\"";
  const char* java8 = "\"C:\\jre\\1.8.0_01\\bin\\javaw.exe\"";
  const int none = kExitVersionUnresolved;
  const struct {
    const char* config;
    const char* release;  // the bundled runtime's; null: none
    int code;
    const char* started;  // the runtime started; null: the download page
    bool searchShown;     // the family search's trace lines
    bool includeShown;    // "Can't open none.config"
  } cases[] = {
      {"bundledRuntime jre\njavaVersion 1.5\n", nullptr, 0, jre, false, false},
      {"javaVersion 1.5\nbundledRuntime jre\n", nullptr, 0, jre, false, false},
      {"javaVersion 1.8\ninclude none.config\nbundledRuntime jre\n", nullptr, 0,
       jre, false, true},
      {"bundledRuntime none\njavaVersion 1.5\n", nullptr, none, nullptr, true, false},
      // Judged with the whole window: outside it, the later "javaVersion"
      // line counts, not the earlier "javapath".
      {"javapath C:\\x\\bin\\javaw.exe\nbundledRuntime jre\njavaVersion 1.8\n"
       "javaMaxVersion 11\n", "JAVA_VERSION=\"17\"", 0, java8, true, false},
      {"bundledRuntime jre\njavaVersion 1.8\njavapath C:\\x.exe\njavaMaxVersion 11\n",
       "JAVA_VERSION=\"17\"", 0, "C:\\x.exe", true, false},
      // Without a bundled runtime, as ever: the search shown in its place,
      // the prompt, and nothing read after a line that fails.
      {"javaVersion 1.8\ninclude none.config\n", nullptr, 0, java8, true, true},
      {"javaVersion 1.5\ninclude none.config\n", nullptr, none, nullptr, true, false},
  };
  for (const auto& c : cases) {
    Launch launch((std::string("mainclass a.B\n") + c.config).c_str());
    launch.platform.addFile("C:\\Apps\\App\\jre\\bin\\javaw.exe", fakeProgram());
    if (c.release) launch.platform.addFile("C:\\Apps\\App\\jre\\release", c.release);
    installClassicRuntimes(launch.platform, {"1.8", "1.8.0_01"});
    launch.platform.queueAnswer(kAnswerYes);
    launch.run({"C:\\Apps\\App\\App.exe"});
    EXPECT_EQ(launch.code, c.code) << c.config;
    EXPECT_EQ(launch.platform.boxes.size(), c.started ? 0u : 1u) << c.config;
    EXPECT_EQ(launch.platform.out.find("javaVersion=") != std::string::npos,
              c.searchShown) << c.config << launch.platform.out;
    EXPECT_EQ(launch.platform.err.find("none.config") != std::string::npos,
              c.includeShown) << c.config << launch.platform.err;
    // The prompt's Yes opens the download page: the search ran for real.
    const std::string started = c.started ? std::string(c.started) + " -classpath a.B"
                                          : "url.dll";
    ASSERT_EQ(launch.platform.starts.size(), 1u) << c.config;
    EXPECT_NE(launch.platform.starts[0].commandLine.find(started), std::string::npos)
        << launch.platform.starts[0].commandLine;
  }
}

// "-c other.config": "-c" takes the file joined to it; the launcher says so
// rather than fail to open a file with no name.
// Each variant says it once, on one line of standard error; a name with a
// blank is written quoted, as it must be typed.
TEST(LauncherTest, ConfigOptionWithoutFileSaysWhatIsWrong) {
  const std::string said =
      "The option -c names no configuration file: it takes the file "
      "name joined to it, with no space.";
  const struct {
    const char* next;
    bool console;
    std::string hint;
  } cases[] = {
      {"other.config", false, "Write -cother.config instead of -c other.config"},
      {"my dir\\x y.config", false,
       "Write \"-cmy dir\\x y.config\" instead of -c \"my dir\\x y.config\""},
      {"other.config", true, "Write -cother.config instead of -c other.config"},
  };
  for (const auto& c : cases) {
    Launch launch;
    launch.settings.console = c.console;
    launch.run({"C:\\Apps\\App\\App.exe", "-c", c.next});
    EXPECT_EQ(launch.code, kExitNoConfig);
    EXPECT_TRUE(launch.platform.filesRead.empty());
    EXPECT_EQ(launch.platform.err,
              (c.console ? "App: error: " : "") + said + " / " + c.hint + "\n");
    ASSERT_EQ(launch.platform.boxes.size(), c.console ? 0u : 1u);
    if (!c.console) {
      EXPECT_EQ(*launch.platform.boxes[0].text, said + "\n" + c.hint);
    }
  }
}

TEST(LauncherTest, RelaunchesWhileTheApplicationAsksForIt) {
  Launch launch;
  launch.platform.queueChild({999, 60, false});
  launch.platform.queueChild({999, 0, false});  // quick: reported and relaunched
  launch.platform.queueChild({1, 60, false});
  launch.run({"C:\\Apps\\App\\App.exe"});
  EXPECT_EQ(launch.code, 0);  // whatever the child's own code
  EXPECT_EQ(launch.platform.starts.size(), 3u);
  EXPECT_EQ(launch.platform.boxes.size(), 1u);
}

TEST(LauncherTest, MissingMainClassIsReportedBeforeAnyRuntimeLookup) {
  Launch launch("addjar a.jar\n");
  launch.run({"C:\\Apps\\App\\App.exe"});
  EXPECT_EQ(launch.code, kExitNoMainClass);
  EXPECT_TRUE(launch.platform.registryOpens.empty());
  ASSERT_EQ(launch.platform.boxes.size(), 1u);
  EXPECT_EQ(launch.platform.boxes[0].caption, "Error");
  EXPECT_EQ(launch.platform.boxes[0].style, kBoxError);
  EXPECT_NE(launch.platform.boxes[0].text->find("C:\\Apps\\App\\App.config"),
            std::string::npos);
}

TEST(LauncherTest, QuotingFollowsTheOsGeneration) {
  for (unsigned long major : {5ul, 6ul, 10ul}) {
    Launch launch;
    launch.platform.osMajor = major;
    launch.run({"C:\\Apps\\App\\App.exe", "x"});
    EXPECT_EQ(launch.settings.alwaysQuote, major > 5);
    EXPECT_EQ(launch.platform.starts.at(0).commandLine,
              major > 5 ? "C:\\jre\\bin\\javaw.exe -classpath app.Main \"x\" \"fromConfig\" "
                        : "C:\\jre\\bin\\javaw.exe -classpath app.Main x fromConfig ");
  }
}

TEST(LauncherTest, DebugModeShowsItsStateInOrder) {
  Launch launch("mainclass app.Main\njavapath j.exe\nvmparam -Xa\naddjar a.jar\n");
  launch.run({"C:\\Apps\\App\\App.exe", "-d"});
  Args captions;
  for (const FakeBox& box : launch.platform.boxes) captions.push_back(box.caption);
  ASSERT_GE(captions.size(), 5u);
  EXPECT_EQ(Args(captions.begin(), captions.begin() + 4),
            (Args{"Running on Vista", "Version", "LpCmdLine", "CWD"}));
  EXPECT_EQ(launch.platform.boxes[0].text, "1.0.16");
  EXPECT_EQ(launch.platform.boxes[2].text, "[C:\\Apps\\App\\App.exe]");
  EXPECT_NE(launch.platform.out.find("vmparam 0=-Xa\nvmpath 0=a.jar\n"),
            std::string::npos);

  Launch missing(nullptr);
  missing.run({"C:\\Apps\\App\\App.exe", "-d"});
  EXPECT_EQ(missing.code, kExitNoConfig);
  EXPECT_EQ(missing.platform.boxes.back().caption, "LpCmdLine");
  EXPECT_EQ(missing.platform.boxes.back().text, "[C:\\Apps\\App\\App.exe]");
}

// The exit code once the application has run: the GUI launcher's own 0
// unless "exitCode app"; the console variant's the application's unless
// "exitCode launcher"; another value counts as no line.
TEST(LauncherTest, ExitCodeOfTheLauncherOrOfTheApplication) {
  const struct {
    bool console;
    const char* line;
    bool appCode;
  } variants[] = {
      {false, "", false},
      {false, "exitCode app\n", true},
      {false, "exitCode launcher\n", false},
      {false, "exitCode App\n", false},
      {true, "", true},
      {true, "exitCode app\n", true},
      {true, "exitCode launcher\n", false},
      {true, "exitCode 1\n", true},
  };
  for (const auto& v : variants) {
    for (const int child : {0, 1, 42, 255, 256, -1, 2, 7}) {
      Launch launch((std::string(kConfig) + v.line).c_str());
      launch.settings.console = v.console;
      launch.platform.queueChild({999, 5, false});  // relaunched, then ends
      launch.platform.queueChild({child, 5, false});
      launch.run({"C:\\Apps\\App\\App.exe"});
      EXPECT_EQ(launch.code, v.appCode ? child : kExitOk)
          << v.console << " " << v.line << " " << child;
      EXPECT_EQ(launch.platform.starts.size(), 2u);
    }
  }
}

// The launcher's own exit codes, the same for both variants.  The console
// variant shows no box, whatever happens: each message is one line on
// standard error with the program's name (null: not checked here).
TEST(LauncherTest, ExitCodesOfBothVariants) {
  const struct {
    const char* name;
    const char* config;
    ChildScript child;
    int code;
    size_t starts;
    const char* line;  // the console variant's, on standard error
  } cases[] = {
      {"no configuration", nullptr, {}, kExitNoConfig, 0,
       "App: Can't open C:\\Apps\\App\\App.config Error No such file or directory\n"},
      {"no main class", "javapath x.exe\n", {}, kExitNoMainClass, 0,
       "App: error: The configuration file C:\\Apps\\App\\App.config names no main "
       "class. / Add a line such as: mainclass com.example.Main\n"},
      {"empty main class", "mainclass \njavapath x.exe\n", {}, kExitNoMainClass, 0,
       nullptr},
      {"empty module and jar", "mainmodule \nmainjar \njavapath x.exe\n", {},
       kExitNoMainClass, 0, nullptr},
      {"a main module alone", "mainmodule app\njavapath x.exe\n", {}, kExitOk, 1,
       nullptr},
      {"a main jar alone", "mainjar app.jar\njavapath x.exe\n", {}, kExitOk, 1, nullptr},
      {"no runtime", "mainclass a.B\n", {}, kExitNoRuntime, 0,
       "App: error: No Java Installation Found\n"},
      {"cannot start", kConfig, {0, 0, true}, kExitStartFailed, 1,
       "App: error: Could not start the Java runtime C:\\jre\\bin\\javaw.exe / The "
       "system cannot find the file specified.\n"},
      {"unresolved version", "mainclass a.B\njavaVersion \n", {}, kExitVersionUnresolved,
       0, nullptr},
      {"no home", "mainclass a.B\njavaVersion 1.6.0_01\n", {}, kExitVersionUnresolved, 0,
       "App: error: No Java Home Directory Found for SOFTWARE\\JavaSoft\\Java Runtime "
       "Environment\\1.6.0_01\n"},
      {"classic download", "mainclass a.B\njavaVersion 1.5.0_99\n", {},
       kExitVersionUnresolved, 0,
       "App: Java Runtime Environment Not Found: a.B requires the Java Runtime "
       "Environment version 1.5.0_99 / Download it from "
       "https://www.java.com/en/download/download_the_latest.jsp\n"},
      {"family without a page", "mainclass a.B\njavaVersion 1.8.0_99+\n", {},
       kExitRuntimeMissing, 0,
       "App: Incompatible JRE Version Found: a.B requires the Java Runtime Environment "
       "version 1.8.0_99+\n"},
      {"window", "mainclass a.B\njavaMinVersion 17\n", {}, kExitVersionUnresolved, 0,
       "App: Java Runtime Environment Not Found: a.B requires Java 17 or later, and no "
       "installed Java runtime fits. / Download it from "
       "https://adoptium.net/temurin/releases/?version=17\n"},
  };
  for (const auto& c : cases) {
    for (const bool console : {false, true}) {
      Launch launch(c.config);
      launch.platform.setRegistryValue(
          "SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.6.0_01", "Other", "x");
      launch.platform.addRegistryKey(
          "SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.8.0_01");
      launch.settings.console = console;
      launch.platform.queueChild(c.child);
      launch.run({"C:\\Apps\\App\\App.exe"});
      const std::string what = std::string(c.name) + (console ? " (console)" : "");
      EXPECT_EQ(launch.code, c.code) << what;
      EXPECT_EQ(launch.platform.starts.size(), c.starts) << what;
      if (!console) continue;
      EXPECT_TRUE(launch.platform.boxes.empty()) << what;
      EXPECT_EQ(launch.platform.out, "") << what;
      // Kite's own lines only: the family search's trace goes there too.
      const std::string& err = launch.platform.err;
      const std::string line = c.line ? c.line : "";
      EXPECT_TRUE(err.size() >= line.size() &&
                  err.compare(err.size() - line.size(), std::string::npos, line) == 0)
          << what << ":\n" << err;
      // No browser is started for a download page.
      for (const FakeStart& start : launch.platform.starts)
        EXPECT_EQ(start.commandLine.find("rundll32"), std::string::npos) << what;
    }
  }
  // A quick failure: no box in the console variant, whose code is the
  // application's.
  Launch quick(kConfig);
  quick.settings.console = true;
  quick.platform.queueChild({3, 0, false});
  quick.run({"C:\\Apps\\App\\App.exe"});
  EXPECT_EQ(quick.code, 3);
  EXPECT_TRUE(quick.platform.boxes.empty());
}

TEST(LauncherTest, ConsoleVariantStartsJavaExeAndDebugsOnStandardError) {
  const struct {
    bool console;
    bool debug;
    const char* runtime;
  } cases[] = {{false, false, "\"C:\\jre6\\bin\\javaw.exe\""},
               {false, true, "\"C:\\jre6\\bin\\java.exe\""},
               {true, false, "\"C:\\jre6\\bin\\java.exe\""},
               {true, true, "\"C:\\jre6\\bin\\java.exe\""}};
  for (const auto& c : cases) {
    Launch launch("mainclass app.Main\n");
    launch.platform.setRegistryValue("SOFTWARE\\JavaSoft\\Java Runtime Environment",
                                     "CurrentVersion", "1.6");
    launch.platform.setRegistryValue(
        "SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.6", "JavaHome", "C:\\jre6");
    launch.settings.console = c.console;
    launch.run(c.debug ? Args{"C:\\Apps\\App\\App.exe", "-d"}
                       : Args{"C:\\Apps\\App\\App.exe"});
    EXPECT_EQ(launch.settings.javaPath, c.runtime);
    if (c.console) {
      EXPECT_TRUE(launch.platform.boxes.empty());
      EXPECT_EQ(launch.platform.out, "");
      EXPECT_EQ(launch.platform.err.find("App: Version: 1.0.16\n") != std::string::npos,
                c.debug);
      EXPECT_EQ(launch.platform.err.find("App: vmpath") == std::string::npos, true);
      EXPECT_EQ(launch.platform.err.find("App: CreateProcess ret 1, exitCode=0\n") !=
                    std::string::npos,
                c.debug);
    }
  }
  // A javapath is used as written.
  Launch written(kConfig);
  written.settings.console = true;
  written.run({"C:\\Apps\\App\\App.exe"});
  EXPECT_EQ(written.platform.starts.at(0).commandLine,
            "C:\\jre\\bin\\javaw.exe -classpath app.Main \"fromConfig\" ");
}

}  // namespace
}  // namespace kite
