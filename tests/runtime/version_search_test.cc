#include "runtime/version_search.h"

#include <gtest/gtest.h>

#include <tuple>

#include "base/exit_codes.h"
#include "platform/fake_platform.h"
#include "runtime/java_registry.h"

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
  int exit = -1;  // -1: goes on
  OptionalText path;
  VersionSearch search;
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
  r.search = findJavaForVersion(settings, platform);
  r.exit = r.search.outcome.endsLauncher() ? r.search.outcome.exitCode() : -1;
  r.path = r.search.runtime;
  r.version = settings.javaVersion;
  r.boxes = platform.boxes;
  r.out = platform.out;
  EXPECT_EQ(platform.openRegistryKeys, 0) << request;  // every key closed
  return r;
}

TEST(VersionSearchTest, ExamplesAndSelectionRules) {
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
      {usual, "1.6.0_04", nullptr, "Java Runtime Environment Not Found",  kExitVersionUnresolved},
      {usual, "1.5", nullptr, "Java Runtime Environment Not Found",  kExitVersionUnresolved},
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
      {usual, "1.6+", nullptr, "Java Runtime Environment Not Found",  kExitVersionUnresolved},
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

TEST(VersionSearchTest, SearchTracesAreWrittenOutsideDebugMode) {
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

TEST(VersionSearchTest, SearchTracesOfManyRuntimesArriveWhole) {
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

TEST(VersionSearchTest, FailureRows) {
  // Exact request: the search is skipped, the key simply opened.
  const Resolution exact = resolve({}, "1.6.0_07", /*withBase=*/false);
  EXPECT_EQ(exact.exit, kExitVersionUnresolved);
  EXPECT_EQ(exact.search.failure, VersionFailure::kNoVersionKey);
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
  const VersionSearch search = findJavaForVersion(settings, platform);
  EXPECT_EQ(search.runtime, std::nullopt);
  EXPECT_EQ(search.failure, VersionFailure::kNoJavaHome);
  EXPECT_EQ(search.outcome, Outcome::exitWith(kExitVersionUnresolved));
  ASSERT_EQ(platform.boxes.size(), 1u);
  EXPECT_EQ(platform.boxes[0].text,
            "No Java Home Directory Found for " + kBase + "\\1.6.0_07 ");
  EXPECT_EQ(platform.boxes[0].caption, "Error!");
  EXPECT_EQ(platform.boxes[0].style, kBoxError);

  // An empty request touches nothing.
  FakePlatform untouched;
  LaunchSettings empty;
  empty.javaVersion = "";
  EXPECT_EQ(findJavaForVersion(empty, untouched).outcome,
            Outcome::exitWith(kExitVersionUnresolved));
  EXPECT_TRUE(untouched.registryOpens.empty());
}

// The search's record: what kitecheck reads instead of the trace lines.
TEST(VersionSearchTest, RecordsEverySubkeyAndTracesIt) {
  const Resolution r =
      resolve({"1.5.0_11", "1.6", "1.6.0_03", "1.6.0_01", "1.6.0_07"}, "1.6.0_02+");
  const VersionSearch& s = r.search;
  EXPECT_TRUE(s.familySearch);
  EXPECT_EQ(s.family, "1.6.0");
  EXPECT_EQ(s.requestedLevel, 2);
  // name, in family, has patch, level, level to reach, best so far
  const std::vector<std::tuple<std::string, bool, bool, int, int, bool>> expected = {
      {"1.5.0_11", false, false, 0, 0, false}, {"1.6", false, false, 0, 0, false},
      {"1.6.0_03", true, true, 3, 2, true},    {"1.6.0_01", true, true, 1, 3, false},
      {"1.6.0_07", true, true, 7, 3, true}};
  ASSERT_EQ(s.subkeys.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    const SubkeyConsidered& k = s.subkeys[i];
    EXPECT_EQ(k.index, static_cast<int>(i + 1));
    EXPECT_EQ(std::make_tuple(k.name, k.inFamily, k.hasPatch, k.patchLevel,
                              k.levelToReach, k.bestSoFar),
              expected[i]) << i;
  }
  EXPECT_EQ(s.chosen, "1.6.0_07");
  EXPECT_EQ(s.versionKey, "1.6.0_07");
  EXPECT_EQ(s.failure, VersionFailure::kNone);
  EXPECT_EQ(s.outcome, Outcome::goOn());
  EXPECT_EQ(r.out,
            "javaVersion=1.6.0_02+, javaVer=1.6.0\n"
            "checking (1) 1.5.0_11\n"
            "checking (2) 1.6\n"
            "checking (3) 1.6.0_03\n"
            "found correct java version 1.6.0_03. checking patch level\n"
            "checking patch level 3 against 2\n"
            "found latest java version 1.6.0_03\n"
            "checking (4) 1.6.0_01\n"
            "found correct java version 1.6.0_01. checking patch level\n"
            "checking patch level 1 against 3\n"
            "checking (5) 1.6.0_07\n"
            "found correct java version 1.6.0_07. checking patch level\n"
            "checking patch level 7 against 3\n"
            "found latest java version 1.6.0_07\n");

  const Resolution none = resolve({"1.6.0_01"}, "1.6.0_02+");
  EXPECT_EQ(none.search.failure, VersionFailure::kNoPatchReached);
  EXPECT_EQ(none.search.outcome, Outcome::exitWith(kExitRuntimeMissing));
  EXPECT_EQ(none.search.versionKey, "");  // no key opened
}

}  // namespace
}  // namespace kite
