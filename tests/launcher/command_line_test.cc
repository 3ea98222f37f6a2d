#include "launcher/command_line.h"

#include <gtest/gtest.h>

#include "platform/fake_platform.h"
#include "launcher/windows_argv.h"

namespace kite {
namespace {

using Args = std::vector<std::string>;

LaunchSettings settingsWith(const std::string& javaPath, Args vmParams,
                            Args classPath, Args arguments, bool alwaysQuote) {
  LaunchSettings settings;
  settings.javaPath = javaPath;
  settings.mainClass = "app.Main";
  settings.vmParams = std::move(vmParams);
  settings.classPath = std::move(classPath);
  settings.arguments = std::move(arguments);
  settings.alwaysQuote = alwaysQuote;
  return settings;
}

TEST(CommandLineTest, Layout) {
  struct Case {
    const char* name;
    LaunchSettings settings;
    const char* expected;
  } cases[] = {
      {"full example",
       settingsWith("\"C:\\Program Files\\Java\\jre6\\bin\\javaw.exe\"",
                    {"-Xmx256m"}, {"lib/a.jar", "lib/b.jar"}, {"my file"}, false),
       "\"C:\\Program Files\\Java\\jre6\\bin\\javaw.exe\" -Xmx256m -classpath "
       "lib/a.jar;lib/b.jar app.Main \"my file\" "},
      {"no JVM parameters", settingsWith("java", {}, {"a.jar"}, {}, false),
       "java -classpath a.jar app.Main"},
      {"an empty entry keeps its place",
       settingsWith("java", {}, {"", "a.jar", ""}, {}, false),
       "java -classpath ;a.jar; app.Main"},
      {"no class-path entries keeps the option",
       settingsWith("java", {"-Xss1m"}, {}, {}, false),
       "java -Xss1m -classpath app.Main"},
      {"arguments end in a space; plain ones unquoted before Vista",
       settingsWith("java", {}, {}, {"x", "y z"}, false),
       "java -classpath app.Main x \"y z\" "},
      {"always quoting quotes arguments only",
       settingsWith("java", {"-Da=b c"}, {"a b.jar"}, {"x", ""}, true),
       "java -Da=b c -classpath a b.jar app.Main \"x\" \"\" "},
      {"trailing backslashes doubled before the closing quote",
       settingsWith("java", {}, {}, {"C:\\My Dir\\", "C:\\x\\\\"}, true),
       "java -classpath app.Main \"C:\\My Dir\\\\\" \"C:\\x\\\\\\\\\" "},
      {"empty and tabbed arguments stay arguments",
       settingsWith("java", {}, {}, {"", "a\tb"}, false),
       "java -classpath app.Main \"\" \"a\tb\" "},
      {"double quotes inside arguments escaped, with the backslashes before",
       settingsWith("java", {}, {}, {"--title=\"My App\"", "q\"x", "a\\\"b"},
                    false),
       "java -classpath app.Main \"--title=\\\"My App\\\"\" q\\\"x "
       "a\\\\\\\"b "},
  };
  for (Case& c : cases) {
    FakePlatform platform;
    EXPECT_EQ(buildCommandLine(c.settings, platform), c.expected) << c.name;
    EXPECT_TRUE(platform.out.empty()) << c.name;  // no traces outside debug
  }
}

// A main module or an executable jar in place of the main class; the jar
// wins over a module, the module over a class.
TEST(CommandLineTest, ModulesAndJars) {
  struct Case {
    const char* module;
    const char* jar;
    Args classPath;
    Args modulePath;
    const char* expected;
  } cases[] = {
      {"app/app.Main", nullptr, {}, {"mods", "\"C:/My Libs\""},
       "java -Xmx1g -p mods;\"C:/My Libs\" -m app/app.Main \"x\" "},
      {"app", nullptr, {"legacy.jar"}, {"mods"},
       "java -Xmx1g -classpath legacy.jar -p mods -m app \"x\" "},
      {"app", nullptr, {}, {}, "java -Xmx1g -m app \"x\" "},
      {nullptr, "\"C:/My App/app.jar\"", {"ignored.jar"}, {},
       "java -Xmx1g -jar \"C:/My App/app.jar\" \"x\" "},
      {"app", "app.jar", {}, {"mods"}, "java -Xmx1g -p mods -jar app.jar \"x\" "},
      // An empty value is no target: the main class is started.
      {"", "", {"a.jar"}, {"mods"}, "java -Xmx1g -classpath a.jar app.Main \"x\" "},
  };
  for (const Case& c : cases) {
    LaunchSettings settings =
        settingsWith("java", {"-Xmx1g"}, c.classPath, {"x"}, true);
    if (c.module) settings.mainModule = c.module;
    if (c.jar) settings.mainJar = c.jar;
    settings.modulePath = c.modulePath;
    FakePlatform platform;
    EXPECT_EQ(buildCommandLine(settings, platform), c.expected) << c.expected;
  }
}

// With a working directory, the jars addjars found in a relative folder are
// named from the start directory; other entries stay as written.
TEST(CommandLineTest, ScannedJarsResolveFromTheStartDirectory) {
  struct Case {
    const char* workingDir;
    const char* startDir;
    const char* classPath;
  } cases[] = {
      {nullptr, "C:\\Apps\\App", "lib/a.jar;x.jar;\"my lib/b.jar\";C:/abs/c.jar"},
      {"C:\\Data", "C:\\Apps\\App",
       "C:\\Apps\\App\\lib/a.jar;x.jar;\"C:\\Apps\\App\\my lib/b.jar\";C:/abs/c.jar"},
      {"data", "C:\\", "C:\\lib/a.jar;x.jar;\"C:\\my lib/b.jar\";C:/abs/c.jar"},
  };
  for (const Case& c : cases) {
    LaunchSettings settings = settingsWith(
        "java", {}, {"lib/a.jar", "x.jar", "\"my lib/b.jar\"", "C:/abs/c.jar"}, {},
        false);
    settings.scannedJars = {0, 2, 3};  // x.jar came from an "addjar" line
    settings.startDir = c.startDir;
    if (c.workingDir) settings.workingDir = c.workingDir;
    FakePlatform platform;
    EXPECT_EQ(buildCommandLine(settings, platform),
              std::string("java -classpath ") + c.classPath + " app.Main")
        << c.classPath;
  }
}

// Whatever the arguments hold, the runtime must split the command line
// back into exactly the settings that went in.
TEST(CommandLineTest, RoundTripsThroughWindowsSplitting) {
  const Args samples = {"plain", "with space", "", "trail\\",
                        "C:\\My Dir\\", "a\\\\b c\\\\", " lead", "tab\there",
                        "\\", "\\\\ \\\\", "q\"x", "\"", "\"\"", "\\\"",
                        "--title=\"My App\"", "a\\\\\"b\\", "\xE6\x97\xA5 \"\xC3\xA9\""};
  for (bool alwaysQuote : {false, true}) {
    LaunchSettings settings = settingsWith(
        "\"C:\\Program Files\\jre\\bin\\javaw.exe\"", {"-Xmx1g", "-Dk=v"},
        {"lib/a.jar", "C:/x/b.jar"}, samples, alwaysQuote);
    FakePlatform platform;
    const Args split = splitWindowsCommandLine(buildCommandLine(settings, platform));
    Args expected = {"C:\\Program Files\\jre\\bin\\javaw.exe", "-Xmx1g", "-Dk=v",
                     "-classpath", "lib/a.jar;C:/x/b.jar", "app.Main"};
    expected.insert(expected.end(), samples.begin(), samples.end());
    EXPECT_EQ(split, expected) << "alwaysQuote " << alwaysQuote;
  }
}

TEST(CommandLineTest, DebugModeTracesSizeAndReportsQuoting) {
  LaunchSettings settings = settingsWith("java", {"-X"}, {"a.jar"}, {"a b", "c"}, false);
  settings.debugMode = true;
  FakePlatform platform;
  buildCommandLine(settings, platform);
  // java+2, app.Main+2, -X+2, a.jar+2, "a b"+3, "c"+3, and 12 for the option.
  EXPECT_EQ(platform.out, "cmdLine is 49 chars long\n");
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].text, "a b");
  EXPECT_EQ(platform.boxes[0].caption, "Adding double quotes around");
  EXPECT_EQ(platform.boxes[0].style, kBoxPlain);
}

}  // namespace
}  // namespace kite
