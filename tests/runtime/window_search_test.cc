#include "runtime/window_search.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/exit_codes.h"
#include "platform/fake_platform.h"

namespace kite {
namespace {

constexpr RegistryRoot kMachine64{RegistryHive::kLocalMachine,
                                  RegistryView::k64Bit};
constexpr RegistryRoot kMachine32{RegistryHive::kLocalMachine,
                                  RegistryView::k32Bit};
constexpr RegistryRoot kUser64{RegistryHive::kCurrentUser,
                               RegistryView::k64Bit};

// A runtime at `home`: its executable, and a release file unless
// `release` is empty.
void runtime(FakePlatform& p, const std::string& home,
             const std::string& release) {
  p.addFile(home + "\\bin\\javaw.exe", "MZ");
  if (!release.empty())
    p.addFile(home + "\\release", "IMPLEMENTOR=\"x\"\r\nJAVA_VERSION=\"" +
                                      release + "\"\r\n");
}

void adoptium(FakePlatform& p, RegistryRoot root, const std::string& key,
              const std::string& home) {
  p.setRegistryValue(root, "SOFTWARE\\Eclipse Adoptium\\JDK\\" + key +
                               "\\hotspot\\MSI",
                     "Path", home);
}

// The homes of the candidates, each with "*" when taken.
std::string homes(const WindowSearch& s) {
  std::string text;
  for (const RuntimeCandidate& c : s.candidates)
    text += (text.empty() ? "" : " ") + c.home + (c.taken ? "*" : "");
  return text;
}

WindowSearch find(FakePlatform& p, const char* min, const char* max) {
  LaunchSettings settings;
  settings.mainClass = "app.Main";
  if (min) settings.javaMinVersion = min;
  if (max) settings.javaMaxVersion = max;
  return findRuntimeInWindow(settings, p);
}

TEST(WindowSearch, TakesTheHighestVersionInsideTheWindow) {
  FakePlatform p;
  // 64-bit view first, then 32-bit, HKLM before HKCU, JAVA_HOME last.
  adoptium(p, kMachine32, "11.0.2.9", "C:\\j11");
  runtime(p, "C:\\j11", "11.0.2");
  adoptium(p, kMachine64, "17.0.2.8", "C:\\j17");
  runtime(p, "C:\\j17", "17.0.2");
  p.setRegistryValue(kUser64, "SOFTWARE\\Azul Systems\\Zulu\\zulu-21",
                     "InstallationPath", "C:\\zulu21");
  runtime(p, "C:\\zulu21", "21.0.1");
  p.setRegistryValue(kMachine64, "SOFTWARE\\JavaSoft\\JDK\\25", "JavaHome",
                     "C:\\j25\\");
  runtime(p, "C:\\j25", "");  // no release file: the key name tells
  p.setEnvironment("JAVA_HOME", "c:\\J17\\");  // the same home again
  const struct {
    const char* min;
    const char* max;
    const char* homes;
  } cases[] = {
      {"17", nullptr, "C:\\j25\\* C:\\j17 C:\\j11 C:\\zulu21"},
      {"11", "21", "C:\\j25\\ C:\\j17 C:\\j11 C:\\zulu21*"},
      {nullptr, "17", "C:\\j25\\ C:\\j17* C:\\j11 C:\\zulu21"},
      {"1.8", "11.0.2", "C:\\j25\\ C:\\j17 C:\\j11* C:\\zulu21"},
      {"26", nullptr, "C:\\j25\\ C:\\j17 C:\\j11 C:\\zulu21"},
  };
  for (const auto& c : cases) {
    FakePlatform q = p;
    const WindowSearch s = find(q, c.min, c.max);
    EXPECT_EQ(homes(s), c.homes) << (c.min ? c.min : "-") << " "
                                 << (c.max ? c.max : "-");
    EXPECT_EQ(s.outcome.endsLauncher(), !s.runtime);
    EXPECT_EQ(q.openRegistryKeys, 0);
  }
  const WindowSearch s = find(p, "17", nullptr);
  EXPECT_EQ(s.runtime, "C:\\j25\\bin\\javaw.exe");
  EXPECT_EQ(s.candidates[0].versionFrom, "key name");
  EXPECT_EQ(s.candidates[1].versionFrom, "release file");
  EXPECT_EQ(s.candidates[1].source,
            "HKLM 64-bit SOFTWARE\\Eclipse Adoptium\\JDK\\17.0.2.8\\hotspot\\MSI");
}

TEST(WindowSearch, ReleaseFileWinsAndUnusableRuntimesArePassedOver) {
  FakePlatform p;
  p.sixtyFourBit = false;  // one registry view
  // The key says 21, the runtime says 17; a runtime without its
  // executable; one whose version cannot be told.
  adoptium(p, kMachine32, "21.0.1.12", "C:\\a");
  runtime(p, "C:\\a", "17.0.9");
  adoptium(p, kMachine32, "22.0.0.1", "C:\\gone");
  p.setRegistryValue(kMachine32, "SOFTWARE\\BellSoft\\Liberica\\liberica",
                     "InstallationPath", "C:\\lib");
  runtime(p, "C:\\lib", "");
  const WindowSearch s = find(p, "17", nullptr);
  ASSERT_EQ(s.candidates.size(), 3u);
  EXPECT_TRUE(s.candidates[0].taken);
  EXPECT_EQ(s.candidates[0].versionText, "17.0.9");
  EXPECT_EQ(s.candidates[1].reason, "bin\\javaw.exe does not exist");
  EXPECT_EQ(s.candidates[2].reason, "version unknown");
  // One view only: nothing asked of a 64-bit one.
  for (const std::string& open : p.registryOpens)
    EXPECT_EQ(open.find("64:"), std::string::npos) << open;
}

TEST(WindowSearch, OneHomeKeepsItsMostPreciseVersion) {
  // One home registered under several key names (in this order) below
  // JavaSoft\Java Runtime Environment; a release file, when given, decides.
  const struct {
    std::vector<const char*> keys;
    const char* release;
    const char* min;
    const char* version;  // the candidate's version text
    bool taken;
  } cases[] = {
      {{"1.6", "1.6.0_45"}, "", "1.6.0_20", "1.6.0_45", true},
      {{"1.6.0_45", "1.6"}, "", "1.6.0_20", "1.6.0_45", true},
      {{"1.8", "1.8.0", "1.8.0_151"}, "", "1.8.0_100", "1.8.0_151", true},
      {{"current", "17.0.2"}, "", "17", "17.0.2", true},
      {{"1.6", "1.6.0_45"}, "1.6.0_10", "1.6.0_20", "1.6.0_10", false},
  };
  for (const auto& c : cases) {
    FakePlatform p;
    for (const char* key : c.keys)
      p.setRegistryValue(kMachine32,
                         std::string("SOFTWARE\\JavaSoft\\Java Runtime "
                                     "Environment\\") + key,
                         "JavaHome", "C:\\jre");
    runtime(p, "C:\\jre", c.release);
    const WindowSearch s = find(p, c.min, nullptr);
    ASSERT_EQ(s.candidates.size(), 1u) << c.keys[0];
    EXPECT_EQ(s.candidates[0].versionText, c.version) << c.keys[0];
    EXPECT_EQ(s.candidates[0].taken, c.taken) << c.keys[0];
  }
}

TEST(WindowSearch, NoneFitsOffersTheDownloadPage) {
  const struct {
    const char* min;
    const char* max;
    const char* url;  // javaDownloadUrl, or null
    int answer;
    const char* words;
    const char* opened;  // the page opened, or null
  } cases[] = {
      {"17", nullptr, nullptr, kAnswerYes, "Java 17 or later",
       "https://adoptium.net/temurin/releases/?version=17"},
      {"11", "21", "https://example.com/java", kAnswerYes, "Java 11 to 21",
       "https://example.com/java"},
      {nullptr, "8", nullptr, kAnswerYes, "Java 8 or earlier",
       "https://adoptium.net/temurin/releases/"},
      {"17", nullptr, nullptr, kAnswerNo, "Java 17 or later", nullptr},
      // Only web addresses are opened.
      {"17", nullptr, "C:\\setup.exe", kAnswerYes, "Java 17 or later", nullptr},
  };
  for (const auto& c : cases) {
    FakePlatform p;
    p.queueAnswer(c.answer);
    LaunchSettings settings;
    settings.appName = "My App";
    if (c.min) settings.javaMinVersion = c.min;
    if (c.max) settings.javaMaxVersion = c.max;
    if (c.url) settings.javaDownloadUrl = c.url;
    const WindowSearch s = findRuntimeInWindow(settings, p);
    EXPECT_EQ(s.outcome, Outcome::exitWith(kExitVersionUnresolved));
    ASSERT_EQ(p.boxes.size(), 1u);
    EXPECT_EQ(p.boxes[0].caption, "Java Runtime Environment Not Found");
    EXPECT_EQ(p.boxes[0].style, kBoxYesNoError);
    EXPECT_EQ(*p.boxes[0].text,
              std::string("My App requires ") + c.words +
                  ", and no installed Java runtime fits.\n"
                  "Do you want to open the download page?");
    if (c.opened) {
      ASSERT_EQ(p.starts.size(), 1u);
      EXPECT_EQ(p.starts[0].commandLine,
                "C:\\windows\\system32\\rundll32.exe url.dll,"
                "FileProtocolHandler \"" + std::string(c.opened) + "\"");
    } else {
      EXPECT_TRUE(p.starts.empty());
    }
  }
}

// A preferred home (one the launcher can host) wins only among runtimes of
// the chosen version.
TEST(WindowSearch, APreferredHomeComesFirstAmongItsVersion) {
  const struct {
    std::vector<std::string> preferred;
    const char* expected;
  } cases[] = {
      {{}, "C:\\a17* C:\\b17 C:\\c11"},
      {{"C:\\b17"}, "C:\\a17 C:\\b17* C:\\c11"},
      {{"C:\\c11"}, "C:\\a17* C:\\b17 C:\\c11"},
  };
  for (const auto& c : cases) {
    FakePlatform p;
    adoptium(p, kMachine64, "17.0.2.8", "C:\\a17");
    runtime(p, "C:\\a17", "17.0.2");
    adoptium(p, kMachine32, "17.0.2.8", "C:\\b17");
    runtime(p, "C:\\b17", "17.0.2");
    adoptium(p, kUser64, "11.0.2.9", "C:\\c11");
    runtime(p, "C:\\c11", "11.0.2");
    LaunchSettings settings;
    settings.javaMinVersion = "11";
    const WindowSearch s =
        findRuntimeInWindow(settings, p, [&c](const std::string& home) {
          return std::count(c.preferred.begin(), c.preferred.end(), home) > 0;
        });
    EXPECT_EQ(homes(s), c.expected);
  }
}

TEST(WindowSearch, ABoundThatIsNoVersionEndsTheLauncher) {
  FakePlatform p;
  LaunchSettings settings;
  settings.configPath = "C:\\App\\App.config";
  settings.javaMinVersion = "17";
  settings.javaMaxVersion = "latest";
  const WindowSearch s = findRuntimeInWindow(settings, p);
  EXPECT_EQ(s.outcome, Outcome::exitWith(kExitVersionUnresolved));
  EXPECT_EQ(s.badBound, "javaMaxVersion latest");
  ASSERT_EQ(p.boxes.size(), 1u);
  EXPECT_EQ(p.boxes[0].caption, "Error");
  EXPECT_TRUE(p.registryOpens.empty());
}

}  // namespace
}  // namespace kite
