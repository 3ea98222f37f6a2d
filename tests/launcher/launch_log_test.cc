// The launch log, through whole launches on the in-memory platform: what
// it holds, that it never stops a launch, its rotation, and that a launch
// without it does nothing more than before.
#include "launcher/launch_log.h"

#include <gtest/gtest.h>

#include "base/exit_codes.h"
#include "launcher/launcher.h"
#include "platform/fake_platform.h"

namespace kite {
namespace {

using Lines = std::vector<std::string>;

const char kExe[] = "C:\\Apps\\App\\App.exe";
const char kLog[] = "C:\\Apps\\App\\kite.log";

struct Launch {
  FakePlatform platform;
  LaunchSettings settings;
  int code = -1;

  explicit Launch(const std::string& config) {
    platform.addFile("C:\\Apps\\App\\App.config", config);
  }
  Launch& run(Lines args = {}) {
    args.insert(args.begin(), kExe);
    code = runLauncher(args, settings, platform);
    return *this;
  }
  std::string log(const char* path = kLog) const { return platform.fileContents(path); }
  // The log's lines without the "[4242] " each begins with.
  Lines lines(const char* path = kLog) const {
    Lines result;
    const std::string text = log(path);
    size_t start = 0;
    while (start < text.size()) {
      const size_t end = text.find("\r\n", start);
      std::string line = text.substr(start, end - start);
      EXPECT_EQ(line.compare(0, 7, "[4242] "), 0) << line;
      result.push_back(line.substr(7));
      start = end + 2;
    }
    return result;
  }
};

bool has(const Lines& lines, const std::string& line) {
  for (const std::string& l : lines)
    if (l == line) return true;
  return false;
}

TEST(LaunchLogTest, ResolvedAgainstTheStartDirectory) {
  const struct {
    const char* startDir;
    const char* logFile;
    const char* path;
  } cases[] = {
      {"C:\\Apps\\App", "kite.log", "C:\\Apps\\App\\kite.log"},
      {"C:\\Apps\\App", "logs\\kite.log", "C:\\Apps\\App\\logs\\kite.log"},
      {"C:\\Apps\\App", "D:\\logs\\kite.log", "D:\\logs\\kite.log"},
      {"C:\\Apps\\App", "\\\\server\\share\\kite.log", "\\\\server\\share\\kite.log"},
      {"C:\\Apps\\App", "C:/logs/kite.log", "C:/logs/kite.log"},
      {"C:\\", "kite.log", "C:\\kite.log"},
      {"C:\\Apps\\App", "", ""},
  };
  for (const auto& c : cases) {
    LaunchSettings settings;
    settings.startDir = c.startDir;
    settings.logFile = c.logFile;
    EXPECT_EQ(resolvedLogPath(settings), c.path) << c.logFile;
  }
  EXPECT_EQ(resolvedLogPath(LaunchSettings()), "");
}

TEST(LaunchLogTest, ASuccessfulLaunchFromHeaderToExitCode) {
  Launch launch(
      "logFile kite.log\nmainclass app.Main\njavapath C:\\jre\\bin\\javaw.exe\n"
      "addjar a.jar\nworkingDir C:\\data\n");
  launch.platform.addDirectory("C:\\data");
  launch.platform.queueChild({0, 4, false});
  launch.platform.extraMilliseconds = 0;
  launch.run({"x"});
  EXPECT_EQ(launch.code, kExitOk);
  const Lines lines = launch.lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines[0],
            "2026-01-02 03:04:05 Kite 1.0.16 (GUI) started as C:\\Apps\\App\\App.exe in "
            "C:\\Apps\\App, configuration C:\\Apps\\App\\App.config");
  const char* const expected[] = {
      "trace: MainClass is: app.Main",
      "trace: vmpath 0=a.jar",
      "trace: Javapath is: C:\\jre\\bin\\javaw.exe",
      "trace: Command Line is: C:\\jre\\bin\\javaw.exe -classpath a.jar app.Main \"x\" ",
      "trace: starting in C:\\data",
      "trace: the application ended with exit code 0 after 4.000 s",
      "trace: CreateProcess ret 1, exitCode=0",
      "exit: Kite ends with exit code 0",
  };
  size_t at = 0;
  for (const char* line : expected) {
    while (at < lines.size() && lines[at] != line) ++at;
    EXPECT_LT(at, lines.size()) << "missing or out of order: " << line;
  }
  // Nothing shown or written besides the log; the launch is as without it.
  EXPECT_TRUE(launch.platform.boxes.empty());
  EXPECT_EQ(launch.platform.out, "");
  EXPECT_EQ(launch.platform.err, "");
  // Written before the child started, and after the launch.
  EXPECT_EQ(launch.platform.filesWritten,
            (Lines{"append C:\\Apps\\App\\kite.log", "append C:\\Apps\\App\\kite.log",
                   "append C:\\Apps\\App\\kite.log"}));
}

TEST(LaunchLogTest, FailuresRelaunchesAndWhatIsShownAreLogged) {
  const struct {
    const char* name;
    std::string config;
    std::vector<ChildScript> children;
    int code;
    Lines lines;  // each must be in the log
  } cases[] = {
      {"no runtime", "logFile kite.log\nmainclass a.B\n", {}, kExitNoRuntime,
       {"box: \"Error!\" No Java Installation Found", "exit: Kite ends with exit code 7"}},
      {"quick failure", "logFile kite.log\nmainclass a.B\njavapath j.exe\n",
       {{3, 0, false}}, kExitOk,
       {"box: \"Error\" Error launching Class a.B / with Java j.exe. / Error=3",
        "trace: the application ended with exit code 3 after 0.000 s"}},
      {"relaunch", "logFile kite.log\nmainclass a.B\njavapath j.exe\nexitCode app\n",
       {{999, 5, false}, {-1, 5, false}}, -1,
       {"trace: the application asks to be started again (exit code 999)",
        "trace: the application ended with exit code -1 (0xFFFFFFFF) after 5.000 s",
        "exit: Kite ends with exit code -1 (0xFFFFFFFF)"}},
      {"cannot start", "logFile kite.log\nmainclass a.B\njavapath j.exe\n",
       {{0, 0, true}}, kExitStartFailed,
       {"box: \"Error\" Could not start the Java runtime j.exe / The system cannot find the "
        "file specified.",
        "exit: Kite ends with exit code 4"}},
      // Reading ends the launch after the logFile line: still logged.
      {"javaVersion", "logFile kite.log\nmainclass a.B\njavaVersion 1.6.0_99\n", {},
       kExitVersionUnresolved,
       {"box: \"Java Runtime Environment Not Found\" a.B requires the Java Runtime "
        "Environment version 1.6.0_99 / Do you want to download it?",
        "exit: Kite ends with exit code 5"}},
      // The stderr line of a skipped include, before the logFile line.
      {"skipped include", "include App.config\nlogFile kite.log\nmainclass a.B\n"
                          "javapath j.exe\n", {}, kExitOk,
       {"stderr: Skipping include of App.config: it is already being read"}},
  };
  for (const auto& c : cases) {
    Launch launch(c.config);
    for (const ChildScript& child : c.children) launch.platform.queueChild(child);
    launch.run();
    EXPECT_EQ(launch.code, c.code) << c.name;
    const Lines lines = launch.lines();
    for (const std::string& line : c.lines)
      EXPECT_TRUE(has(lines, line)) << c.name << ": " << line << "\n" << launch.log();
  }
}

TEST(LaunchLogTest, DebugModeTracesAreLoggedOnceAndStillWritten) {
  Launch launch("mainclass a.B\nlogFile kite.log\njavapath j.exe\nvmparam -Xa\n");
  launch.run({"-d"});
  const Lines lines = launch.lines();
  EXPECT_TRUE(has(lines, "trace: vmparam 0=-Xa"));
  EXPECT_TRUE(has(lines, "box: \"Version\" 1.0.16"));  // before the logFile line
  EXPECT_TRUE(has(lines, "box: \"Command Line is\" j.exe -Xa -classpath a.B"));
  size_t count = 0;
  for (const std::string& line : lines) count += line == "trace: vmparam 0=-Xa";
  EXPECT_EQ(count, 1u);
  EXPECT_NE(launch.platform.out.find("vmparam 0=-Xa\n"), std::string::npos);
}

TEST(LaunchLogTest, ALogThatCannotBeOpenedIsSkipped) {
  const struct {
    const char* line;
    const char* refused;  // refused by appendFile, or by makeDirectory
    size_t writes;        // what was asked of the file system
    const char* trace;    // in debug mode
  } cases[] = {
      {"logFile kite.log", kLog, 1, ": Permission denied\n"},
      // A file where its folder would be.
      {"logFile App.config\\kite.log", nullptr, 2, ": No such file or directory\n"},
      {"logFile logs\\day\\kite.log", "C:\\Apps\\App\\logs\\day", 5,
       ": the folder C:\\Apps\\App\\logs\\day cannot be created: Permission denied\n"},
  };
  for (const bool debug : {false, true}) {
    for (const auto& c : cases) {
      Launch launch(std::string(c.line) + "\nmainclass a.B\njavapath j.exe\n");
      if (c.refused && c.writes == 1) launch.platform.appendFailures.push_back(c.refused);
      if (c.refused && c.writes > 1) launch.platform.folderFailures.push_back(c.refused);
      launch.run(debug ? Lines{"-d"} : Lines{});
      EXPECT_EQ(launch.code, kExitOk) << c.line;
      EXPECT_EQ(launch.platform.starts.size(), 1u);
      // One try, no box about it, no folder left; debug mode traces it.
      EXPECT_EQ(launch.platform.filesWritten.size(), c.writes) << c.line;
      EXPECT_FALSE(launch.platform.hasFile(kLog));
      EXPECT_FALSE(launch.platform.hasFile("C:\\Apps\\App\\logs"));
      for (const FakeBox& box : launch.platform.boxes)
        EXPECT_EQ(box.text.value_or("").find("log"), std::string::npos) << box.caption;
      const bool traced = launch.platform.out.find(" cannot be opened" + std::string(c.trace)) !=
                          std::string::npos;
      EXPECT_EQ(traced, debug) << c.line << "\n" << launch.platform.out;
    }
  }
  // Missing folders are made, as loggers do.
  Launch launch("logFile D:\\logs\\day\\kite.log\nmainclass a.B\njavapath j.exe\n");
  launch.run();
  EXPECT_EQ(launch.lines("D:\\logs\\day\\kite.log").back(), "exit: Kite ends with exit code 0");
}

TEST(LaunchLogTest, PastOneMebibyteTheLogIsRenamedAndANewOneBegun) {
  Launch launch("logFile kite.log\nmainclass a.B\njavapath j.exe\n");
  const std::string old(kLogRotateBytes - 10, 'o');
  launch.platform.addFile(kLog, old);
  launch.run();
  // The first write took the log past the size: it became kite.log.1.
  const std::string rotated = launch.platform.fileContents("C:\\Apps\\App\\kite.log.1");
  EXPECT_EQ(rotated.compare(0, old.size(), old), 0);
  EXPECT_NE(rotated.find("Kite 1.0.16 (GUI) started as"), std::string::npos);
  // The later writes began a new log.
  const Lines lines = launch.lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "exit: Kite ends with exit code 0");
  EXPECT_TRUE(has(launch.platform.filesWritten,
                  "rename C:\\Apps\\App\\kite.log -> C:\\Apps\\App\\kite.log.1"));

  // Under the size nothing is renamed.
  Launch small("logFile kite.log\nmainclass a.B\njavapath j.exe\n");
  small.platform.addFile(kLog, std::string(1000, 's'));
  small.run();
  for (const std::string& write : small.platform.filesWritten)
    EXPECT_NE(write.compare(0, 6, "rename"), 0) << write;
  EXPECT_FALSE(small.platform.hasFile("C:\\Apps\\App\\kite.log.1"));
}

TEST(LaunchLogTest, EachWriteIsWholeLines) {
  Launch launch("logFile kite.log\nmainclass a.B\njavapath j.exe\n");
  launch.platform.queueChild({999, 5, false});
  launch.run();
  // Every append ends with a line end, so writes of several launches at
  // once never split a line.
  const std::string text = launch.log();
  EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
  EXPECT_EQ(launch.platform.filesWritten.size(), 4u);  // open, 2 starts, end
}

TEST(LaunchLogTest, WithoutTheKeyNothingIsLoggedOrFormatted) {
  Launch launch("mainclass a.B\njavapath j.exe\nvmparam -Xa\n");
  launch.platform.queueChild({1, 0, false});
  launch.run();
  EXPECT_TRUE(launch.platform.filesWritten.empty());
  EXPECT_EQ(launch.platform.out, "");
  // The one box is the quick failure's, as before.
  ASSERT_EQ(launch.platform.boxes.size(), 1u);
  EXPECT_EQ(launch.platform.boxes[0].caption, "Error");

  // The layer on its own: nothing kept wants traces once it knows.
  FakePlatform fake;
  LaunchLog log(fake);
  EXPECT_TRUE(log.wantsTraces());  // until the configuration is read
  LaunchSettings settings;
  log.begin(settings, kExe);
  EXPECT_FALSE(log.wantsTraces());
  EXPECT_FALSE(log.isOpen());
  log.writeError("late\n");
  log.finish(0);
  EXPECT_EQ(fake.err, "late\n");
  EXPECT_TRUE(fake.filesWritten.empty());
}

}  // namespace
}  // namespace kite
