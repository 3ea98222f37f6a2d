#include "config/jar_scan.h"

#include <gtest/gtest.h>

#include "platform/fake_platform.h"
#include "support/config_reading.h"

namespace kite {
namespace {

using Entries = std::vector<std::string>;

TEST(JarScan, AddsJarsInSearchOrderAndSkipsDirectories) {
  FakePlatform platform;
  platform.addFile("C:\\Apps\\App\\lib\\b.jar", "");
  platform.addDirectory("C:\\Apps\\App\\lib\\old.jar");
  platform.addFile("C:\\Apps\\App\\lib\\a.jar", "");
  platform.addFile("C:\\Apps\\App\\lib\\notes.txt", "");
  LaunchSettings settings;
  settings.debugMode = true;
  settings.classPath = {"first"};
  addJarDirectory(settings, platform, "lib");
  addJarDirectory(settings, platform, "missing");
  EXPECT_EQ(settings.classPath, (Entries{"first", "lib/b.jar", "lib/a.jar"}));
  EXPECT_EQ(settings.scannedJars, (std::vector<size_t>{1, 2}));
  EXPECT_EQ(platform.findPatterns, (Entries{"lib/*.jar", "missing/*.jar"}));
  EXPECT_EQ(platform.out,
            "adding jar lib/b.jar\nadding jar lib/a.jar\n"
            "No jar files found in [missing]\n");
}

// A directory under a path with a space comes out of expansion quoted; the
// search must drop the quotes and each entry be quoted as a whole.
TEST(JarScan, QuotedDirectoryIsSearchedBareAndEntriesQuotedWhole) {
  FakePlatform platform;
  platform.setEnvironment("APP", "C:\\Program Files\\App");
  platform.addFile("C:\\Program Files\\App\\lib\\a.jar", "");
  platform.addFile("C:\\Apps\\App\\App.config", "addjars $APP\\lib\n");
  LaunchSettings settings;
  EXPECT_EQ(readAsLauncher(settings, platform, "App.config"), 0);
  EXPECT_EQ(platform.findPatterns, (Entries{"C:/Program Files/App/lib/*.jar"}));
  EXPECT_EQ(settings.classPath,
            (Entries{"\"C:/Program Files/App/lib/a.jar\""}));
}

// Class-path entries go onto the command line as they stand, so an entry
// holding a blank (a jar named with a space, or a directory written with
// one) is quoted as a whole, or the runtime would get the class path split.
TEST(JarScan, EntriesHoldingABlankAreQuotedWhole) {
  FakePlatform platform;
  platform.addFile("C:\\Apps\\App\\lib\\my lib.jar", "");
  platform.addFile("C:\\Apps\\App\\lib\\plain.jar", "");
  platform.addFile("C:\\Apps\\App\\my jars\\a.jar", "");
  LaunchSettings settings;
  addJarDirectory(settings, platform, "lib");
  addJarDirectory(settings, platform, "my jars");
  EXPECT_EQ(settings.classPath, (Entries{"\"lib/my lib.jar\"", "lib/plain.jar",
                                         "\"my jars/a.jar\""}));
}

}  // namespace
}  // namespace kite
