#include "runtime/java_registry.h"

#include <gtest/gtest.h>

#include "platform/fake_platform.h"
#include "runtime/download_prompt.h"

namespace kite {
namespace {

const std::string kBase = kJavaRegistryKey;

// A registry with the given subkeys (in enumeration order), each with a
// JavaHome of C:\jre\<name>.
void install(FakePlatform& platform, const std::vector<std::string>& versions) {
  platform.addRegistryKey(kBase);
  for (const std::string& version : versions)
    platform.setRegistryValue(kBase + "\\" + version, "JavaHome", "C:\\jre\\" + version);
}

struct Resolution {
  int exit = -1;  // -1: returned normally
  OptionalText path;
  OptionalText version;
  std::vector<FakeBox> boxes;
  std::string out;
};

Resolution resolve(const std::vector<std::string>& installed,
                   const std::string& request, bool withBase = true) {
  FakePlatform platform;
  if (withBase) install(platform, installed);
  LaunchSettings settings;
  settings.mainClass = "app.Main";
  settings.javaVersion = request;
  Resolution r;
  r.exit = FakePlatform::run([&] {
    r.path = findJavaForVersion(settings, platform);
    return -1;
  });
  r.version = settings.javaVersion;
  r.boxes = platform.boxes;
  r.out = platform.out;
  EXPECT_EQ(platform.openRegistryKeys, 0) << request;  // every key closed
  return r;
}

TEST(JavaVersionTest, ExamplesAndSelectionRules) {
  const std::vector<std::string> usual = {"1.6", "1.6.0_03", "1.6.0_07"};
  const struct {
    std::vector<std::string> installed;
    const char* request;
    const char* runs;          // JavaHome's last component, or null
    const char* promptCaption;  // or null
    int exit;
  } cases[] = {
      {usual, "1.6", "1.6.0_07", nullptr, -1},
      {usual, "1.6.0_05+", "1.6.0_07", nullptr, -1},
      {usual, "1.6.0_10+", nullptr, "Incompatible JRE Version Found", 11},
      {usual, "1.6.0_03", "1.6.0_03", nullptr, -1},
      {usual, "1.6.0_04", nullptr, "Java Runtime Environment Not Found", -1},
      {usual, "1.5", nullptr, "Java Runtime Environment Not Found", -1},
      // Equal levels: the one enumerated last wins.
      {{"1.6.0_07", "1.6.1_07"}, "1.6", "1.6.1_07", nullptr, -1},
      // Only the number after "_" counts.
      {{"1.6.0_20", "1.6.1_05"}, "1.6", "1.6.0_20", nullptr, -1},
      // A plain text prefix: 1.60 belongs to the 1.6 family.
      {{"1.6", "1.60_09"}, "1.6", "1.60_09", nullptr, -1},
      // Family keys without "_" never win; level 0 leaves the request alone.
      {{"1.6"}, "1.6", "1.6", nullptr, -1},
      {{"1.6", "1.6.0_00"}, "1.6", "1.6", nullptr, -1},
      // "+" without "_" stays part of the prefix and matches nothing.
      {usual, "1.6+", nullptr, "Java Runtime Environment Not Found", -1},
      // Levels too large for an int saturate instead of overflowing.
      {{"1.6.0_99999999999999999999", "1.6.0_07"}, "1.6", "1.6.0_99999999999999999999",
       nullptr, -1},
  };
  for (const auto& c : cases) {
    const Resolution r = resolve(c.installed, c.request);
    EXPECT_EQ(r.exit, c.exit) << c.request;
    if (c.runs)
      EXPECT_EQ(r.path, "C:\\jre\\" + std::string(c.runs) + "\\bin\\javaw.exe")
          << c.request;
    else
      EXPECT_EQ(r.path, std::nullopt) << c.request;
    if (c.promptCaption) {
      ASSERT_EQ(r.boxes.size(), 1u) << c.request;
      EXPECT_EQ(r.boxes[0].caption, c.promptCaption);
      EXPECT_EQ(r.boxes[0].style, kBoxYesNoError);
    } else {
      EXPECT_TRUE(r.boxes.empty()) << c.request;
    }
  }
}

TEST(JavaVersionTest, SearchTracesAreWrittenOutsideDebugMode) {
  const Resolution r = resolve({"1.6", "1.5.0_11", "1.6.0_07"}, "1.6.0_05+");
  EXPECT_EQ(r.out,
            "javaVersion=1.6.0_05+, javaVer=1.6.0\n"
            "checking (1) 1.6\n"
            "checking (2) 1.5.0_11\n"
            "checking (3) 1.6.0_07\n"
            "found correct java version 1.6.0_07. checking patch level\n"
            "checking patch level 7 against 5\n"
            "found latest java version 1.6.0_07\n");
  EXPECT_EQ(r.version, "1.6.0_07");

  const Resolution family = resolve({"1.6"}, "1.6");
  EXPECT_NE(family.out.find("No patch level found in 1.6\n"), std::string::npos);
}

TEST(JavaVersionTest, SearchTracesOfManyRuntimesArriveWhole) {
  // Enough runtimes for the search to write its lines in several pieces.
  std::vector<std::string> installed;
  std::string expected = "javaVersion=1.6, javaVer=1.6\n";
  for (int i = 1; i <= 400; ++i) {
    const std::string family = i % 2 ? "1.5.0_" : "1.6.0_";
    const std::string version = family + std::to_string(i);
    installed.push_back(version);
    expected += "checking (" + std::to_string(i) + ") " + version + "\n";
    if (i % 2) continue;
    expected += "found correct java version " + version + ". checking patch level\n";
    expected += "checking patch level " + std::to_string(i) + " against " +
                std::to_string(i == 2 ? 0 : i - 2) + "\n";
    expected += "found latest java version " + version + "\n";
  }
  const Resolution r = resolve(installed, "1.6");
  EXPECT_GT(r.out.size(), 3 * 8192u);
  EXPECT_EQ(r.out, expected);
  EXPECT_EQ(r.version, "1.6.0_400");
}

TEST(JavaVersionTest, FailureRows) {
  // Exact request: the search is skipped, the key simply opened.
  const Resolution exact = resolve({}, "1.6.0_07", /*withBase=*/false);
  EXPECT_EQ(exact.exit, -1);
  EXPECT_TRUE(exact.out.empty());
  ASSERT_EQ(exact.boxes.size(), 1u);
  EXPECT_EQ(exact.boxes[0].text,
            "app.Main requires the Java Runtime Environment version 1.6.0_07\n"
            "Do you want to download it?");

  // A family search without the base key is fatal.
  const Resolution noBase = resolve({}, "1.6", /*withBase=*/false);
  EXPECT_EQ(noBase.exit, kExitRuntimeMissing);
  ASSERT_EQ(noBase.boxes.size(), 1u);
  EXPECT_EQ(noBase.boxes[0].caption, "Java Runtime Environment Not Found");

  // A version key without JavaHome.
  FakePlatform platform;
  platform.addRegistryKey(kBase + "\\1.6.0_07");
  LaunchSettings settings;
  settings.javaVersion = "1.6.0_07";
  EXPECT_EQ(findJavaForVersion(settings, platform), std::nullopt);
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].text,
            "No Java Home Directory Found for " + kBase + "\\1.6.0_07 ");
  EXPECT_EQ(platform.boxes[0].caption, "Error!");
  EXPECT_EQ(platform.boxes[0].style, kBoxError);

  // An empty request touches nothing.
  FakePlatform untouched;
  LaunchSettings empty;
  empty.javaVersion = "";
  EXPECT_EQ(findJavaForVersion(empty, untouched), std::nullopt);
  EXPECT_TRUE(untouched.registryOpens.empty());
}

TEST(DefaultJavaTest, FailureBoxesInOrder) {
  const struct {
    const char* name;
    std::function<void(FakePlatform&)> setUp;
    const char* debugText;
    const char* debugCaption;
    const char* userText;
  } cases[] = {
      {"no base key", [](FakePlatform&) {}, "SOFTWARE\\JavaSoft\\Java Runtime Environment",
       "Error Accessing Registry!", "No Java Installation Found"},
      {"no CurrentVersion", [](FakePlatform& p) { p.addRegistryKey(kBase); },
       "Java Current Version Key", "Error Reading Registry", "No Java Installation Found"},
      {"current version key missing",
       [](FakePlatform& p) { p.setRegistryValue(kBase, "CurrentVersion", "1.7"); },
       "Java Current Version", "Error Accessing Registry!",
       "No Java Installation (No Current Version) Found"},
      {"no JavaHome",
       [](FakePlatform& p) {
         p.setRegistryValue(kBase, "CurrentVersion", "1.7");
         p.addRegistryKey(kBase + "\\1.7");
       },
       "Java Home Directory", "Error Reading Registry!",
       "No Java Installation Home Directory Found"},
  };
  for (const auto& c : cases) {
    for (bool debug : {false, true}) {
      FakePlatform platform;
      c.setUp(platform);
      LaunchSettings settings;
      settings.debugMode = debug;
      EXPECT_EQ(findDefaultJava(settings, platform), std::nullopt) << c.name;
      ASSERT_EQ(platform.boxes.size(), debug ? 2u : 1u) << c.name;
      if (debug) {
        EXPECT_EQ(platform.boxes[0].text, c.debugText) << c.name;
        EXPECT_EQ(platform.boxes[0].caption, c.debugCaption) << c.name;
      }
      EXPECT_EQ(platform.boxes.back().text, c.userText) << c.name;
      EXPECT_EQ(platform.boxes.back().caption, "Error!") << c.name;
      for (const FakeBox& box : platform.boxes) EXPECT_EQ(box.style, kBoxError);
      EXPECT_EQ(platform.openRegistryKeys, 0);
    }
  }
}

TEST(DefaultJavaTest, ComposesTheExecutablePath) {
  const struct {
    const char* home;
    bool alwaysQuote;
    bool debug;
    const char* path;
  } cases[] = {
      {"C:\\jre", false, false, "C:\\jre\\bin\\javaw.exe"},
      {"C:\\jre", true, false, "\"C:\\jre\\bin\\javaw.exe\""},
      {"C:\\jre", false, true, "C:\\jre\\bin\\java.exe"},
      {"C:\\Program Files\\Java\\jre1.6.0_07", false, false,
       "\"C:\\Program Files\\Java\\jre1.6.0_07\\bin\\javaw.exe\""},
      {"C:\\jre\\", false, false, "C:\\jre\\\\bin\\javaw.exe"},
  };
  for (const auto& c : cases) {
    FakePlatform platform;
    LaunchSettings settings;
    settings.alwaysQuote = c.alwaysQuote;
    settings.debugMode = c.debug;
    EXPECT_EQ(composeJavaExecutable(settings, platform, c.home), c.path);
  }
  // A home of any length is kept whole.
  FakePlatform platform;
  const std::string longHome = "C:\\" + std::string(3000, 'h');
  EXPECT_EQ(composeJavaExecutable(LaunchSettings(), platform, longHome),
            longHome + "\\bin\\javaw.exe");
}

}  // namespace
}  // namespace kite
