#include "launcher/app_environment.h"

#include <gtest/gtest.h>

#include <map>

namespace kite {
namespace {

using Entries = std::vector<std::string>;

TEST(AppEnvironment, PercentReferences) {
  const std::map<std::string, std::string> variables = {
      {"PATH", "C:\\windows"}, {"EMPTY", ""}, {"P", "100%"}};
  const VariableLookup lookup = [&](const std::string& name,
                                    std::string* value) {
    const auto found = variables.find(name);
    if (found == variables.end()) return false;
    *value = found->second;
    return true;
  };
  const std::pair<const char*, const char*> cases[] = {
      {"plain", "plain"},
      {"%PATH%", "C:\\windows"},
      {"C:\\app\\native;%PATH%", "C:\\app\\native;C:\\windows"},
      {"%PATH%;%PATH%", "C:\\windows;C:\\windows"},
      {"a%EMPTY%b", "ab"},
      // Unknown, empty and unclosed references stay as written.
      {"%NOPE%;%PATH%", "%NOPE%;C:\\windows"},
      {"%NOPE%PATH%", "%NOPEC:\\windows"},  // its closing "%" opens the next
      {"100%% sure", "100%% sure"},
      {"50% off", "50% off"},
      {"%", "%"},
      {"%PATH", "%PATH"},
      // A value's own "%" is not expanded again.
      {"%P%PATH%", "100%PATH%"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(expandPercentReferences(c.first, lookup), c.second) << c.first;
}

TEST(AppEnvironment, EnvLinesAppliedInOrder) {
  const Entries base = {"=C:=C:\\work", "Path=C:\\windows", "TEMP=C:\\tmp"};
  const struct {
    Entries lines;
    Entries expected;
  } cases[] = {
      {{}, base},
      // Names compare without letter case; the line's spelling is kept.
      {{"PATH=C:\\app;%path%"},
       {"=C:=C:\\work", "PATH=C:\\app;C:\\windows", "TEMP=C:\\tmp"}},
      // Later lines see earlier ones.
      {{"A=1", "B=%A%2", "A=%A%%B%"},
       {"=C:=C:\\work", "A=112", "B=12", "Path=C:\\windows", "TEMP=C:\\tmp"}},
      // A value with spaces and "=" signs is taken whole.
      {{"TITLE=My App = 2"},
       {"=C:=C:\\work", "Path=C:\\windows", "TEMP=C:\\tmp",
        "TITLE=My App = 2"}},
      {{"TEMP="}, {"=C:=C:\\work", "Path=C:\\windows", "TEMP="}},
      // No NAME=value: skipped.
      {{"NOEQUALS", "=x", "=C:=D:\\"}, base},
      // Sorted by the upper-case name, as Windows compares: "_" after "Z".
      {{"a_b=1", "AB=2"},
       {"=C:=C:\\work", "AB=2", "a_b=1", "Path=C:\\windows", "TEMP=C:\\tmp"}},
      // Letter case is ignored in every script ("\xC3\xA4pp" and "\xC3\x84PP";
      // sigma, final sigma and capital sigma), one letter to one: "\xC3\x9F"
      // is not "SS".  Beyond ASCII the letters sort after it.
      {{"\xC3\xA4pp=1", "\xC3\x84PP=%\xC3\xA4PP%2", "\xCF\x83=1", "\xCE\xA3=2",
        "\xCF\x82=3", "\xC3\x9F=1", "SS=2"},
       {"=C:=C:\\work", "Path=C:\\windows", "SS=2", "TEMP=C:\\tmp", "\xC3\x84PP=12",
        "\xC3\x9F=1", "\xCF\x82=3"}},
  };
  for (const auto& c : cases)
    EXPECT_EQ(applyEnvironmentLines(base, c.lines), c.expected)
        << (c.lines.empty() ? "" : c.lines[0]);
}

TEST(AppEnvironment, AppDirectory) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:\\Apps\\App\\App.exe", "C:\\Apps\\App"},
      {"C:/Apps/App/App.exe", "C:/Apps/App"},
      {"C:\\App.exe", "C:\\"},
      {"\\\\server\\share\\App.exe", "\\\\server\\share"},
      {"/opt/app/App.exe", "/opt/app"},
      {"App.exe", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(appDirectory(c.first), c.second);
}

}  // namespace
}  // namespace kite
