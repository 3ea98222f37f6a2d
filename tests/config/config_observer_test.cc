// The reader's observer: what it is told, in which order, with which file,
// depth and line number; and that without one nothing changes.
#include "config/config_observer.h"

#include <gtest/gtest.h>

#include <set>

#include "config/config_file.h"
#include "config/config_keys.h"
#include "platform/fake_platform.h"
#include "support/config_reading.h"

namespace kite {
namespace {

class Log : public ConfigObserver {
 public:
  std::string events;
  void fileOpened(const std::string& path, int depth, int error,
                  const DecodedText& decoded) override {
    events += "open " + path + " depth " + std::to_string(depth) + " error " +
              std::to_string(error) + " bytes " +
              std::to_string(decoded.text.size()) + " " +
              (error ? "-" : encodingName(decoded.encoding)) + "\n";
  }
  void includeSkipped(const std::string& path, int depth) override {
    events += "skip " + path + " depth " + std::to_string(depth) + "\n";
  }
  void lineRead(const std::string& path, int number, const std::string& line) override {
    events += path + ":" + std::to_string(number) + " [" + line + "]\n";
  }
  void keyMatched(ConfigKey key, const std::string& raw,
                  const std::string& value) override {
    events += "  key " + std::string(keyText(key)) + " [" + raw + "] -> [" + value + "]\n";
  }
  void variableMissing(const std::string& name) override {
    events += "  missing [" + name + "]\n";
  }
  void jarsScanned(const std::string& directory, size_t added) override {
    events += "  jars " + directory + " " + std::to_string(added) + "\n";
  }
};

void prepare(FakePlatform& platform) {
  platform.setEnvironment("HOME", "C:\\Users\\A B");
  platform.addFile("lib\\a.jar", "PK");
  platform.addFile("App.config",
                   "\xEF\xBB\xBFmainclass a.Main\r\n# note\r\ninclude more.config\r\n"
                   "addjars $HOME\r\nvmparam -Dx=$NOPE\r\n");
  platform.addFile("more.config", "addjars lib\ninclude App.config\nargument $HOME\n"
                                  "include none.config\n");
}

TEST(ConfigObserver, ToldEveryFileLineAndLookupInReadingOrder) {
  FakePlatform platform;
  prepare(platform);
  Log log;
  LaunchSettings settings;
  EXPECT_EQ(readAsLauncher(settings, platform, "App.config", &log), 0);
  EXPECT_EQ(log.events,
            "open App.config depth 0 error 0 bytes 76 UTF-8 with byte-order mark\n"
            "App.config:1 [mainclass a.Main]\n"
            "  key mainclass [a.Main] -> [a.Main]\n"
            "App.config:2 [# note]\n"
            "App.config:3 [include more.config]\n"
            "  key include [more.config] -> [more.config]\n"
            "open more.config depth 1 error 0 bytes 66 ANSI code page\n"
            "more.config:1 [addjars lib]\n"
            "  key addjars [lib] -> [lib]\n"
            "  jars lib 1\n"
            "more.config:2 [include App.config]\n"
            "  key include [App.config] -> [App.config]\n"
            "skip App.config depth 2\n"
            "more.config:3 [argument $HOME]\n"
            "  key argument [$HOME] -> [$HOME]\n"
            "more.config:4 [include none.config]\n"
            "  key include [none.config] -> [none.config]\n"
            "open none.config depth 2 error 2 bytes 0 -\n"
            "App.config:4 [addjars $HOME]\n"
            "  key addjars [$HOME] -> [\"C:/Users/A B\"]\n"
            "  jars C:/Users/A B 0\n"
            "App.config:5 [vmparam -Dx=$NOPE]\n"
            "  missing [NOPE]\n"
            "  key vmparam [-Dx=$NOPE] -> [-Dx=$NOPE]\n");
}

TEST(ConfigObserver, WithOrWithoutOneTheSettingsAreTheSame) {
  FakePlatform quiet, observed;
  prepare(quiet);
  prepare(observed);
  LaunchSettings plain, watched;
  Log log;
  readAsLauncher(plain, quiet, "App.config");
  readAsLauncher(watched, observed, "App.config", &log);
  EXPECT_EQ(plain.mainClass, watched.mainClass);
  EXPECT_EQ(plain.vmParams, watched.vmParams);
  EXPECT_EQ(plain.classPath, watched.classPath);
  EXPECT_EQ(plain.arguments, watched.arguments);
  EXPECT_EQ(quiet.err, observed.err);
  EXPECT_EQ(quiet.out, observed.out);
}

TEST(ConfigObserver, KeyMatchingIsTheReaders) {
  EXPECT_STREQ(matchConfigKey("addjars lib")->text, "addjars");
  EXPECT_STREQ(matchConfigKey("addjar x")->text, "addjar");
  EXPECT_EQ(matchConfigKey("vmparameter x")->key, ConfigKey::kVmParam);
  EXPECT_EQ(matchConfigKey(" mainclass x"), nullptr);
  // The first twelve keys match any line that begins with them; every later
  // one only as a whole word, before a space or at the end of the line.
  const std::set<std::string> original = {
      "vmparam", "javapath", "addpath", "mainclass", "appname", "javaVersion",
      "addjars", "argument", "addjar",  "include",   "consoleTitle", "workingDir"};
  for (const KeyRule& rule : configKeys()) {
    const std::string text = rule.text;
    EXPECT_EQ(matchConfigKey(text), &rule) << text;
    EXPECT_EQ(matchConfigKey(text + "X y"), original.count(text) ? &rule : nullptr)
        << text;
  }
  // No key begins with another's text ("addjars" and "addjar" have always
  // been read so): a new key that did would take over lines meant for the
  // other, as "argumentFile x" would be read as an "argument" line today.
  for (const KeyRule& a : configKeys()) {
    EXPECT_EQ(matchConfigKey(std::string(a.text) + " x"), &a) << a.text;
    for (const KeyRule& b : configKeys()) {
      if (&a != &b && std::string(a.text).rfind(b.text, 0) == 0) {
        EXPECT_TRUE(a.key == ConfigKey::kAddJars && b.key == ConfigKey::kAddJar)
            << a.text << " begins with " << b.text;
      }
    }
  }
}

}  // namespace
}  // namespace kite
