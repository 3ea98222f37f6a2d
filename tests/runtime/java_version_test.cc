#include "runtime/java_version.h"

#include <gtest/gtest.h>

namespace kite {
namespace {

JavaVersion v(const char* text) { return parseJavaVersion(text).value(); }

VersionWindow window(const char* min, const char* max) {
  VersionWindow w;
  if (*min) w.min = v(min), w.minText = min;
  if (*max) w.max = v(max), w.maxText = max;
  return w;
}

TEST(JavaVersionTest, ParsesBothSchemes) {
  // Expected: the numbers the text names, in canonical form.
  const char* const cases[][2] = {
      {"8", "8"},
      {"1.8", "8"},
      {"1.7.0", "7.0"},
      {"1.8.0_151", "8.0.151"},
      {"1.6.0_07", "6.0.7"},
      {"1.8.0.151", "8.0.151"},
      {"17.0.2", "17.0.2"},
      {"21.0.1+12", "21.0.1"},
      {"11.0.21+9-LTS", "11.0.21"},
      {"22-ea", "22"},
      {"17.0.2.1", "17.0.2.1"},
      {"17.0.2.1.5", "17.0.2.1"},
      {" 17.0.0 \r\n", "17.0.0"},
      {"1", "1"},
      {"1.8.0_392-b08", "8.0.392"},
      {"1000000", "1000000"},
  };
  for (const auto& c : cases) {
    const std::optional<JavaVersion> parsed = parseJavaVersion(c[0]);
    ASSERT_TRUE(parsed) << c[0];
    EXPECT_EQ(formatVersion(*parsed), c[1]) << c[0];
  }
}

TEST(JavaVersionTest, RejectsMalformedText) {
  for (const char* text : {"",          "  ",      "17.",
                           ".17",       "17..2",   "+17",
                           "-17",       "17 .0",   "1 7",
                           "17a",       "17+",     "17-",
                           "17-+1",     "17+.x",   "17-é",
                           "17_2",      "1.8_151", "1.8.0_1_2",
                           "1.8.0.1.2", "1000001", "99999999999999999999",
                           "x",         "17.0\t2", "1.8.0_"})
    EXPECT_FALSE(parseJavaVersion(text)) << text;
  EXPECT_FALSE(parseJavaVersion(std::string_view("17\0", 3)));
}

TEST(JavaVersionTest, ComparesAllFourNumbersAndFormats) {
  EXPECT_EQ(compareVersions(v("17"), v("17.0.0")), 0);
  EXPECT_EQ(compareVersions(v("1.8.0_151"), v("8.0.151")), 0);
  EXPECT_LT(compareVersions(v("1.8.0_151"), v("1.8.0_392")), 0);
  EXPECT_LT(compareVersions(v("17.0.2"), v("17.0.2.1")), 0);
  EXPECT_GT(compareVersions(v("11.0.21"), v("1.8.0_999")), 0);
  EXPECT_GT(compareVersions(v("22-ea"), v("21.0.9")), 0);
  for (const char* text : {"21", "17.0.2", "1.8.0_151", "17.0.0.1", "1.7.0"})
    EXPECT_EQ(compareVersions(v(formatVersion(v(text)).c_str()), v(text)), 0);
  EXPECT_EQ(formatVersion(v("1.8.0_151")), "8.0.151");
  EXPECT_EQ(formatVersion(v("21+35")), "21");
  EXPECT_EQ(formatVersion(JavaVersion{17, 0, 2, 0, 1}), "17.0.2");
  EXPECT_EQ(formatVersion(JavaVersion{8, 0, 0, 0, 2}), "8.0");
  EXPECT_EQ(formatVersion(v("1.1.8")), "1.1.8");
  EXPECT_EQ(formatVersion(v("1.1.0_18")), "1.1.0_18");
}

TEST(JavaVersionTest, WindowAdmitsByNamedComponents) {
  const struct {
    const char* min;
    const char* max;
    const char* version;
    bool admitted;
  } cases[] = {
      {"17", "", "17", true},           {"17", "", "17.0.1", true},
      {"17", "", "11.0.21", false},     {"17.0.5", "", "17.0.4", false},
      {"", "21", "21.0.9.1", true},     {"", "21", "22", false},
      {"", "1.8", "1.8.0_392", true},   {"", "1.8", "9", false},
      {"", "17.0.2", "17.0.2.9", true}, {"", "17.0.2", "17.0.3", false},
      {"", "17.0", "17.0.5", true},     {"", "17.0", "17.1", false},
      {"11", "21", "21.0.1", true},     {"", "", "5", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(windowAdmits(window(c.min, c.max), v(c.version)), c.admitted)
        << c.min << ".." << c.max << " " << c.version;
}

TEST(JavaVersionTest, TellsAWindowThatAdmitsNothing) {
  EXPECT_TRUE(windowIsEmpty(window("21", "17")));
  EXPECT_TRUE(windowIsEmpty(window("17.0.5", "17.0.2")));
  EXPECT_FALSE(windowIsEmpty(window("17.0.5", "17")));
  EXPECT_FALSE(windowIsEmpty(window("1.8.0_151", "1.8")));
  EXPECT_FALSE(windowIsEmpty(window("17", "17")));
  EXPECT_FALSE(windowIsEmpty(window("21", "")));
}

TEST(JavaVersionTest, DescribesWindowsAndTheirDownloadPage) {
  const struct {
    const char* min;
    const char* max;
    const char* words;
    const char* url;
  } cases[] = {
      {"17", "", "Java 17 or later", "?version=17"},
      {"", "21", "Java 21 or earlier", ""},
      {"11", "21.0.1+12", "Java 11 to 21.0.1", "?version=11"},
      {"1.8", "8", "Java 8", "?version=8"},
      {"17", "17.0.0", "Java 17", "?version=17"},
      {"1.8.0_151", "22-ea", "Java 8u151 to 22-ea", "?version=8"},
      {"1.4.2_10", "", "Java 1.4.2_10 or later", "?version=4"},
      {"", "", "Java", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(describeWindow(window(c.min, c.max)), c.words);
    EXPECT_EQ(defaultDownloadUrl(window(c.min, c.max)),
              std::string("https://adoptium.net/temurin/releases/") + c.url);
  }
  VersionWindow unwritten;
  unwritten.min = v("1.8.0_151");
  EXPECT_EQ(describeWindow(unwritten), "Java 8.0.151 or later");
}

TEST(JavaVersionTest, ReadsTheReleaseFile) {
  const struct {
    const char* text;
    const char* version;  // null: none
  } cases[] = {
      {"IMPLEMENTOR=\"Eclipse Adoptium\"\nJAVA_VERSION=\"17.0.2\"\n", "17.0.2"},
      {"\xEF\xBB\xBFJAVA_VERSION=\"21\"\r\nOS_NAME=\"Windows\"\r\n", "21"},
      {"JAVA_VERSION_DATE=\"2023-10-17\"\nJAVA_VERSION=11.0.21\r", "11.0.21"},
      {"JAVA_VERSION = '1.8.0_392'", "1.8.0_392"},
      {" JAVA_VERSION=\"17\"\n", nullptr},
      {"JAVA_VERSION=\"17.0.2\nX=\"1\"", nullptr},
      {"JAVA_VERSION=\"\"\nJAVA_VERSION=\"17\"", nullptr},
      {"JAVA_VERSION", nullptr},
      {"", nullptr},
  };
  for (const auto& c : cases) {
    const std::optional<std::string> found = releaseFileVersion(c.text);
    EXPECT_EQ(found.has_value(), c.version != nullptr) << c.text;
    if (found && c.version) {
      EXPECT_EQ(*found, c.version);
    }
  }
}

TEST(JavaVersionTest, ChoosesTheHighestAdmittedRuntime) {
  // A version and whether its executable exists.
  const std::vector<std::pair<std::optional<JavaVersion>, bool>> candidates = {
      {v("25"), true},        {v("21.0.2"), false}, {std::nullopt, true},
      {v("11.0.21"), true},   {v("17.0.9"), true},  {v("21.0.1"), true},
      {v("21.0.1+12"), true}, {v("17"), true},
  };
  std::vector<std::optional<JavaVersion>> versions;
  for (const auto& c : candidates) versions.push_back(c.first);
  std::vector<size_t> asked;
  const auto exists = [&](size_t i) {
    asked.push_back(i);
    return candidates[i].second;
  };
  const CandidateChoice choice =
      chooseCandidate(versions, window("17", "21"), exists);
  EXPECT_EQ(choice.chosen, 5u);
  EXPECT_EQ(choice.reasons, (std::vector<std::string>{
                                "version 25 is above the maximum 21",
                                "bin\\javaw.exe does not exist",
                                "version unknown",
                                "version 11.0.21 is below the minimum 17",
                                "a higher version was found (21.0.1)",
                                "",
                                "same version as an earlier candidate",
                                "a higher version was found (21.0.1)",
                            }));
  // Only the highest inside the window are looked at, until one exists.
  EXPECT_EQ(asked, (std::vector<size_t>{1, 5}));
  EXPECT_FALSE(chooseCandidate({}, window("17", ""), exists).chosen);
  EXPECT_FALSE(chooseCandidate(versions, window("21", "17"), exists).chosen);
}

}  // namespace
}  // namespace kite
