// What kitecheck reports besides its findings: the runtime search taken
// apart subkey by subkey, where each setting came from, the files read, and
// the two renderings.
#include <gtest/gtest.h>

#include "check/checker.h"
#include "check/recorder.h"
#include "check/render.h"
#include "platform/fake_platform.h"
#include "support/classic_runtimes.h"
#include "runtime/java_registry.h"

namespace kite {
namespace {

const std::string kBase = kJavaRegistryKey;

Report check(FakePlatform& platform, const std::string& text,
             std::vector<std::string> arguments = {}) {
  platform.addFile("C:\\Apps\\App\\App.config", text);
  CheckOptions options;
  options.exe = "C:\\Apps\\App\\App.exe";
  options.arguments = std::move(arguments);
  return runCheck(options, platform);
}

struct SearchCase {
  std::vector<std::string> installed;
  const char* request;
  const char* steps;  // "name: reason" per subkey, one per line
};

TEST(RuntimeSearch, EachSubkeyWithWhyItWasTakenOrPassedOver) {
  const SearchCase cases[] = {
      {{"1.6", "1.6.0_03", "1.6.0_07", "1.7.0_01"}, "1.6",
       "1.6: passed over: of the family, but no patch level\n"
       "1.6.0_03: passed over: patch level 3, outdone by 1.6.0_07\n"
       "1.6.0_07: taken: the highest patch level of the family (7)\n"
       "1.7.0_01: passed over: not of the family \"1.6\"\n"},
      {{"1.6.0_07", "1.6.0_03"}, "1.6.0_05+",
       "1.6.0_07: taken: the highest patch level of the family (7)\n"
       "1.6.0_03: passed over: patch level 3 is below 7\n"},
      // No patch level above 0: the request's own key is opened.
      {{"1.6", "1.6.0_00"}, "1.6",
       "1.6: taken: the requested key itself (no subkey of the family has a "
       "patch level above 0)\n"
       "1.6.0_00: passed over: patch level 0 is not above 0\n"},
      {{"1.6.0_07"}, "1.6.0_07", ""},  // exact: no search
  };
  for (const SearchCase& c : cases) {
    FakePlatform platform;
    installClassicRuntimes(platform, c.installed);
    const Report report =
        check(platform, std::string("mainclass a.Main\njavaVersion ") + c.request + "\n");
    ASSERT_EQ(report.searches.size(), 1u) << c.request;
    std::string steps;
    for (const SubkeyStep& step : report.searches[0].subkeys)
      steps += step.name + ": " + step.reason + "\n";
    EXPECT_EQ(steps, c.steps) << c.request;
    EXPECT_EQ(report.searches[0].exitCode, 0) << c.request;
  }
}

TEST(RuntimeSearch, NotAvailableWithoutARegistry) {
  FakePlatform platform;
  installClassicRuntimes(platform, {"1.6.0_07"});
  platform.addDirectory("C:\\Apps\\App\\classes");
  platform.addFile("C:\\Apps\\App\\App.config",
                   "mainclass a\naddpath classes\njavaVersion 1.6\n");
  CheckOptions options;
  options.config = "C:\\Apps\\App\\App.config";
  options.registryAvailable = false;
  const Report report = runCheck(options, platform);
  EXPECT_TRUE(platform.registryOpens.empty());
  EXPECT_EQ(report.exitCode(), 0);
  EXPECT_TRUE(report.runtimePlaceholder);
  EXPECT_EQ(report.settings.javaPath.value_or(""), "<runtime for javaVersion 1.6>");
  EXPECT_NE(renderText(report).find("not available on Linux"), std::string::npos);
}

// A version window replaces the default runtime: every candidate is
// listed with why it was taken or passed over.
TEST(RuntimeSearch, TheVersionWindowListsEveryCandidate) {
  FakePlatform platform;
  const RegistryRoot machine64{RegistryHive::kLocalMachine, RegistryView::k64Bit};
  platform.setRegistryValue(
      machine64, "SOFTWARE\\Eclipse Adoptium\\JDK\\21.0.1.12\\hotspot\\MSI",
      "Path", "C:\\jdk21");
  platform.addFile("C:\\jdk21\\bin\\javaw.exe", "MZ");
  installClassicRuntimes(platform, {"1.8.0_392"});
  const Report report =
      check(platform, "mainclass a\njavaMinVersion 17\njavaMaxVersion 21\n");
  ASSERT_EQ(report.searches.size(), 1u);
  const RuntimeSearch& s = report.searches[0];
  EXPECT_EQ(s.kind, SearchKind::kWindow);
  EXPECT_EQ(s.windowWords, "Java 17 to 21");
  ASSERT_EQ(s.candidates.size(), 2u);
  EXPECT_TRUE(s.candidates[0].taken);
  EXPECT_EQ(s.candidates[1].reason, "version 8.0.392 is below the minimum 17");
  EXPECT_EQ(report.settings.javaPath, "\"C:\\jdk21\\bin\\javaw.exe\"");
  const std::string text = renderText(report);
  EXPECT_NE(text.find("\"C:\\jdk21\\bin\\javaw.exe\"  (the version window's choice)"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("(1) HKLM 64-bit SOFTWARE\\Eclipse Adoptium\\JDK\\21.0.1.12"
                      "\\hotspot\\MSI\n        C:\\jdk21, version 21.0.1.12 (key "
                      "name): taken\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("  lowest version     17  (App.config:2)\n"
                      "  highest version    21  (App.config:3)\n"),
            std::string::npos)
      << text;
  const std::string json = renderJson(report);
  EXPECT_NE(json.find("\"window\": \"Java 17 to 21\""), std::string::npos);
  EXPECT_NE(json.find("\"javaMaxVersion\": {\"value\": \"21\", \"file\""),
            std::string::npos)
      << json;
}

// A bundled runtime is looked at before any search, and the variables the
// application gets are listed, "%NAME%" expanded, in both renderings.
TEST(RuntimeSearch, BundledRuntimeAndTheApplicationEnvironment) {
  const struct {
    const char* release;
    bool taken;
    const char* textShown;
  } cases[] = {
      {"17.0.2",
       true,
       "  bundledRuntime jre (App.config:3): C:\\Apps\\App\\jre\\bin\\javaw.exe\n"
       "    executable found, version 17.0.2 (release file), window Java 17 "
       "or later\n    -> taken: \"C:\\Apps\\App\\jre\\bin\\javaw.exe\"\n"},
      {"11",
       false,
       "    -> passed over: its release file names 11, outside the window (Java "
       "17 or later)\n  no javapath or javaVersion: the highest runtime in the "
       "version window"},
  };
  for (const auto& c : cases) {
    FakePlatform platform;
    platform.addFile("C:\\Apps\\App\\jre\\bin\\javaw.exe", fakeProgram());
    platform.addFile("C:\\Apps\\App\\jre\\release",
                     std::string("JAVA_VERSION=\"") + c.release + "\"\n");
    platform.setEnvironment("Path", "C:\\windows");
    const Report report =
        check(platform,
              "mainclass a\njavaMinVersion 17\nbundledRuntime jre\n"
              "env PATH=%KITE_APP_DIR%\\native;%PATH%\nenv TITLE=My App\n");
    EXPECT_EQ(report.searches.at(0).kind, SearchKind::kBundled);
    EXPECT_EQ(report.searches.size(), c.taken ? 1u : 2u);
    const std::string text = renderText(report);
    EXPECT_NE(text.find(c.textShown), std::string::npos) << text;
    EXPECT_NE(text.find("Application environment\n"
                        "  KITE_APP_DIR=C:\\Apps\\App\n"
                        "  KITE_APP_EXE=C:\\Apps\\App\\App.exe\n"
                        "  PATH=C:\\Apps\\App\\native;C:\\windows\n"
                        "  TITLE=My App\n"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("  environment        PATH=%KITE_APP_DIR%\\native;%PATH%"
                        "  (App.config:4)\n"
                        "                     TITLE=My App  (App.config:5)\n"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("runtime            \"C:\\Apps\\App\\jre\\bin\\javaw.exe\""
                        "  (the bundled runtime, App.config:3)"),
              c.taken ? text.find("runtime            \"C") : std::string::npos)
        << text;
    const std::string json = renderJson(report);
    EXPECT_NE(json.find("\"bundledRuntime\": {\"value\": \"jre\""),
              std::string::npos)
        << json;
    EXPECT_NE(json.find(std::string("\"taken\": ") + (c.taken ? "true" : "false")),
              std::string::npos);
    EXPECT_NE(json.find("{\"name\": \"TITLE\", \"value\": \"My App\"}"),
              std::string::npos)
        << json;
    EXPECT_TRUE(platform.environmentSets.empty()) << "kitecheck set a variable";
  }
}

TEST(Report, SettingsKnowTheLineTheyCameFrom) {
  FakePlatform platform;
  installClassicRuntimes(platform, {"1.6"});
  platform.setRegistryValue(kBase, "CurrentVersion", "1.6");
  platform.addFile("C:\\Apps\\App\\lib\\a.jar", "PK");
  platform.addFile("C:\\Apps\\App\\more.config", "addjars lib\nargument two\n");
  const Report report = check(
      platform, "mainclass a.Main\nvmparam -X\ninclude more.config\naddpath lib\n",
      {"one"});
  EXPECT_EQ(report.exitCode(), 0);
  EXPECT_EQ(report.config, "C:\\Apps\\App\\App.config");
  EXPECT_EQ(platform.directoryChanges, std::vector<std::string>{"C:\\Apps\\App"});
  ASSERT_EQ(report.files.size(), 2u);
  EXPECT_EQ(report.files[1].depth, 1);
  const auto where = [&](SettingsList list, size_t i) {
    const LineRecord* line = report.originOf(list, i);
    return line ? line->file + ":" + std::to_string(line->number) : "command line";
  };
  EXPECT_EQ(where(&LaunchSettings::vmParams, 0), "C:\\Apps\\App\\App.config:2");
  EXPECT_EQ(where(&LaunchSettings::classPath, 0), "more.config:1");
  EXPECT_EQ(where(&LaunchSettings::classPath, 1), "C:\\Apps\\App\\App.config:4");
  EXPECT_EQ(where(&LaunchSettings::arguments, 0), "command line");
  EXPECT_EQ(where(&LaunchSettings::arguments, 1), "more.config:2");
  // The registry's current runtime, quoted as on Vista and later.
  EXPECT_EQ(report.settings.javaPath.value_or(""), "\"C:\\jre\\1.6\\bin\\javaw.exe\"");
  EXPECT_EQ(report.commandLine,
            "\"C:\\jre\\1.6\\bin\\javaw.exe\" -X -classpath lib/a.jar;lib a.Main "
            "\"one\" \"two\" ");
}

// Keys added since the first releases show in both renderings when set,
// and not at all in the text when unset (older reports stay as they were).
TEST(Render, SettingsOfModulesAndJars) {
  FakePlatform platform;
  installClassicRuntimes(platform, {"1.6.0_07"});
  const Report report = check(
      platform, "mainmodule app/app.Main\nmodulepath mods\nmodulepath x.jar\n"
                "javapath j.exe\n");
  const std::string text = renderText(report);
  EXPECT_NE(text.find("  main module        app/app.Main  (App.config:1)\n"),
            std::string::npos) << text;
  EXPECT_NE(text.find("  module path        mods  (App.config:2)\n"
                      "                     x.jar  (App.config:3)\n"),
            std::string::npos) << text;
  EXPECT_EQ(text.find("main jar"), std::string::npos) << text;
  const std::string json = renderJson(report);
  EXPECT_NE(json.find("\"mainModule\": {\"value\": \"app/app.Main\""), std::string::npos);
  EXPECT_NE(json.find("\"modulePath\": [{\"value\": \"mods\""), std::string::npos);
  EXPECT_NE(json.find("\"mainJar\": null"), std::string::npos) << json;
  EXPECT_EQ(report.commandLine, "j.exe -p mods;x.jar -m app/app.Main");
}

TEST(Render, TextSectionsInOrder) {
  FakePlatform platform;
  installClassicRuntimes(platform, {"1.6.0_07"});
  const std::string text =
      renderText(check(platform, "mainClass a\njavaVersion 1.6.0_07\n"));
  size_t last = 0;
  for (const char* section : {"\nFiles read\n", "\nSettings\n", "\nRuntime search\n",
                              "\nCommand line: ", "\nFindings\n",
                              "1 error, 1 warning (exit code 2)\n"}) {
    const size_t at = text.find(section);
    ASSERT_NE(at, std::string::npos) << section << text;
    EXPECT_GT(at, last) << section;
    last = at;
  }
  EXPECT_NE(text.find("\n  App.config:1: warning: unknown key \"mainClass\""),
            std::string::npos) << text;
}

TEST(Render, JsonEscapesEveryString) {
  FakePlatform platform;
  platform.addFile("C:\\Apps\\App\\j", "MZ");
  platform.addDirectory("C:\\Apps\\App\\c");
  const Report report = check(
      platform,
      "mainclass a\"b\\c\nappname D\xE9mo \xC3\xA9\tx\njavapath j\naddpath c\n");
  const std::string json = renderJson(report);
  EXPECT_NE(json.find("\"value\": \"a\\\"b\\\\c\""), std::string::npos) << json;
  // Not valid UTF-8, so read in the ANSI code page (windows-1252 here) and
  // written as UTF-8; a tab escaped.
  EXPECT_NE(json.find("\"value\": \"D\xC3\xA9mo \xC3\x83\xC2\xA9\\tx\""),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"encoding\": \"ANSI code page\""), std::string::npos);
  // The encoding note does not raise the exit code.
  EXPECT_NE(json.find("\"severity\": \"note\""), std::string::npos);
  EXPECT_NE(json.find("\"exitCode\": 0"), std::string::npos);
  EXPECT_EQ(groupedNumber(32767), "32,767");
  EXPECT_EQ(groupedNumber(999), "999");
  EXPECT_EQ(groupedNumber(1234567), "1,234,567");
}

TEST(Render, TheInstanceNameTheLauncherTakes) {
  const struct {
    const char* line;
    const char* text;  // the text's line, or null for none
    const char* json;
  } cases[] = {
      {"singleInstance on\n",
       "  instance name      file:c:/apps/app/app.config\n",
       "\"instanceName\": \"file:c:/apps/app/app.config\""},
      {"singleInstance My Tools\n", "  instance name      name:my tools\n",
       "\"instanceName\": \"name:my tools\""},
      {"singleInstance off\n", "  instance name      (none: no limit)\n",
       "\"instanceName\": null"},
      {"", nullptr, "\"instanceName\": null"},
  };
  for (const auto& c : cases) {
    FakePlatform platform;
    const Report report =
        check(platform, std::string("mainclass a\njavapath j\n") + c.line);
    const std::string text = renderText(report);
    EXPECT_EQ(text.find("instance name") != std::string::npos, c.text != nullptr)
        << text;
    if (c.text) {
      EXPECT_NE(text.find(c.text), std::string::npos) << text;
    }
    EXPECT_NE(renderJson(report).find(c.json), std::string::npos) << c.line;
  }
}

}  // namespace
}  // namespace kite
