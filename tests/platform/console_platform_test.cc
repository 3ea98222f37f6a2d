// The console variant's layer: its name, a box as one line, and that
// nothing it is asked to show becomes a box.
#include "platform/console_platform.h"

#include <gtest/gtest.h>

#include "platform/fake_platform.h"

namespace kite {
namespace {

TEST(ConsolePlatformTest, ProgramNameIsTheBaseNameWithoutExe) {
  const struct {
    const char* exePath;
    const char* name;
  } cases[] = {
      {"C:\\Tools\\mytool.exe", "mytool"}, {"mytool", "mytool"},
      {"sub/dir/MyTool.EXE", "MyTool"},    {"C:\\x\\tool.exe.exe", "tool.exe"},
      {"C:\\x\\.exe", ".exe"},             {"", "kite"},
      {"C:\\x\\", "kite"},                 {"a.exec", "a.exec"},
  };
  for (const auto& c : cases) EXPECT_EQ(programName(c.exePath), c.name) << c.exePath;
}

TEST(ConsolePlatformTest, BoxAsOneLine) {
  const struct {
    const char* text;
    const char* caption;
    const char* line;
  } cases[] = {
      {"No Java Installation Found", "Error!", "error: No Java Installation Found"},
      {"a\nb", "Error", "error: a / b"},
      {"Error launching Class a\n with Java j.\nError=1", "Error",
       "error: Error launching Class a / with Java j. / Error=1"},
      {"x requires 1.6\r\nDownload it from https://p", "Java Runtime Environment Not Found",
       "Java Runtime Environment Not Found: x requires 1.6 / Download it from https://p"},
      {nullptr, "Starting dir", "Starting dir: (null)"},
      {"", "Version", "Version: "},
      {"1.0.16", "error", "error: 1.0.16"},  // only "Error" and "Error!" are shortened
  };
  for (const auto& c : cases)
    EXPECT_EQ(boxAsLine(c.text, c.caption), c.line) << c.caption;
}

TEST(ConsolePlatformTest, BoxesBecomeLinesOnStandardErrorAnsweredNo) {
  FakePlatform fake;
  ConsolePlatform console(fake, "mytool");
  const struct {
    unsigned style;
    int answer;
  } cases[] = {{kBoxError, kAnswerOk},
               {kBoxPlain, kAnswerOk},
               {kBoxYesNoError, kAnswerNo},
               {kBoxYesNo, kAnswerNo}};
  for (const auto& c : cases)
    EXPECT_EQ(console.showMessageBox("text\nmore", "Error", c.style), c.answer);
  EXPECT_TRUE(fake.boxes.empty());
  EXPECT_EQ(fake.err,
                          "mytool: error: text / more\n"
                          "mytool: error: text / more\n"
                          "mytool: error: text / more\n"
                          "mytool: error: text / more\n");
  EXPECT_EQ(fake.out, "");
}

TEST(ConsolePlatformTest, OutputLinesGoToStandardErrorEachWithTheName) {
  FakePlatform fake;
  ConsolePlatform console(fake, "app");
  console.writeOut("one\ntwo");
  console.writeOut(" halves\n");
  console.writeError("three\n\n");
  // A box in the middle of a line starts a line of its own.
  console.writeOut("four");
  console.showMessageBox("boxed", "CWD", kBoxPlain);
  EXPECT_EQ(fake.out, "");
  EXPECT_EQ(fake.err,
            "app: one\napp: two halves\napp: three\napp: \napp: four\n"
            "app: CWD: boxed\n");
}

TEST(ConsolePlatformTest, EverythingElseIsHandedOn) {
  FakePlatform fake;
  fake.addFile("C:\\a.txt", "abc");
  ConsolePlatform console(fake, "app");
  std::string bytes;
  EXPECT_EQ(console.readFile("C:\\a.txt", &bytes), 0);
  EXPECT_EQ(bytes, "abc");
  ChildProcess child = 0;
  std::string error;
  EXPECT_TRUE(
      console.startProcess("java x", "C:\\d", nullptr, nullptr, &child, &error));
  ASSERT_EQ(fake.starts.size(), 1u);
  EXPECT_EQ(fake.starts[0].commandLine, "java x");
  EXPECT_EQ(console.processId(), 4242u);
  EXPECT_EQ(console.localTime(), fake.localTimeText);
}

}  // namespace
}  // namespace kite
