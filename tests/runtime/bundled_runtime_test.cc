#include "runtime/bundled_runtime.h"

#include <gtest/gtest.h>

#include "platform/fake_platform.h"

namespace kite {
namespace {

TEST(BundledRuntime, TakenOrPassedOver) {
  const struct {
    const char* folder;
    const char* installed;  // the executable put on disk; null: none
    const char* release;    // JAVA_VERSION of its release file; null: none
    const char* min;        // javaMinVersion; null: no window
    bool debug;
    const char* runtime;  // taken: the path; null: passed over ...
    const char* reason;   // ... for this reason
  } cases[] = {
      {"jre", "C:\\Apps\\App\\jre\\bin\\javaw.exe", nullptr, nullptr, false,
       "C:\\Apps\\App\\jre\\bin\\javaw.exe", ""},
      // Debug mode (and the console variant) start the console runtime.
      {"jre", "C:\\Apps\\App\\jre\\bin\\javaw.exe", nullptr, nullptr, true,
       nullptr, "bin\\java.exe does not exist"},
      {"jre/", "C:\\Apps\\App\\jre\\bin\\java.exe", nullptr, nullptr, true,
       "C:\\Apps\\App\\jre\\bin\\java.exe", ""},
      {"D:\\rt\\", "D:\\rt\\bin\\javaw.exe", nullptr, nullptr, false,
       "D:\\rt\\bin\\javaw.exe", ""},
      {"my jre", "C:\\Apps\\App\\my jre\\bin\\javaw.exe", nullptr, nullptr,
       false, "\"C:\\Apps\\App\\my jre\\bin\\javaw.exe\"", ""},
      {"jre", nullptr, nullptr, nullptr, false, nullptr,
       "bin\\javaw.exe does not exist"},
      // A window: the release file's version must fit; an unknown one does.
      {"jre", "C:\\Apps\\App\\jre\\bin\\javaw.exe", "17.0.2", "17", false,
       "C:\\Apps\\App\\jre\\bin\\javaw.exe", ""},
      {"jre", "C:\\Apps\\App\\jre\\bin\\javaw.exe", "11.0.2", "17", false,
       nullptr,
       "its release file names 11.0.2, outside the window (Java 17 or later)"},
      {"jre", "C:\\Apps\\App\\jre\\bin\\javaw.exe", nullptr, "17", false,
       "C:\\Apps\\App\\jre\\bin\\javaw.exe", ""},
      // Without a window the version is not looked at.
      {"jre", "C:\\Apps\\App\\jre\\bin\\javaw.exe", "1.4.2", nullptr, false,
       "C:\\Apps\\App\\jre\\bin\\javaw.exe", ""},
  };
  for (const auto& c : cases) {
    FakePlatform platform;
    if (c.installed) platform.addFile(c.installed, fakeProgram());
    const std::string home = bundledHome("C:\\Apps\\App", c.folder);
    if (c.release)
      platform.addFile(home + "\\release",
                       std::string("JAVA_VERSION=\"") + c.release + "\"\n");
    LaunchSettings settings;
    settings.startDir = "C:\\Apps\\App";
    settings.bundledRuntime = c.folder;
    settings.debugMode = c.debug;
    if (c.min) settings.javaMinVersion = c.min;
    const BundledRuntime bundled = findBundledRuntime(settings, platform);
    EXPECT_EQ(bundled.taken, c.runtime != nullptr) << c.folder;
    EXPECT_EQ(bundled.runtime.value_or("(none)"),
              c.runtime ? c.runtime : "(none)");
    EXPECT_EQ(bundled.reason, c.reason) << c.folder;
    EXPECT_TRUE(platform.registryOpens.empty());
    // Debug mode says why it was passed over.
    if (c.debug && !c.runtime) {
      EXPECT_NE(platform.out.find(c.reason), std::string::npos) << platform.out;
    }
  }
}

// An executable Windows would refuse ("Bad EXE format") is passed over
// like a missing one, and the trace says why.
TEST(BundledRuntime, OnlyAProgramThisWindowsRuns) {
  const struct {
    std::string executable;
    bool sixtyFourBit;  // the Windows it runs on
    const char* reason;
  } cases[] = {
      {fakeProgram(0x14C), false, ""},
      {fakeProgram(0x8664), true, ""},
      {fakeProgram(0xAA64), true, ""},
      {"garbage, not a program", true, "it is not a Windows program"},
      {fakeProgram(0x8664), false, "it is built for x64, which 32-bit Windows does not run"},
      {fakeProgram(0x14C, true), true, "it is a library, not a program"},
      {fakeProgram(0x1C4), true, "it is built for another processor (machine 0x1C4)"},
  };
  for (const auto& c : cases) {
    FakePlatform platform;
    platform.sixtyFourBit = c.sixtyFourBit;
    platform.addFile("C:\\App\\jre\\bin\\java.exe", c.executable);
    LaunchSettings settings;
    settings.startDir = "C:\\App";
    settings.bundledRuntime = "jre";
    settings.debugMode = true;  // traces
    const BundledRuntime bundled = findBundledRuntime(settings, platform);
    const std::string reason =
        *c.reason ? std::string("bin\\java.exe cannot be started: ") + c.reason : "";
    EXPECT_EQ(bundled.reason, reason);
    EXPECT_EQ(bundled.taken, !*c.reason) << c.reason;
    EXPECT_NE(platform.out.find(*c.reason ? reason : "taken"), std::string::npos)
        << platform.out;
  }
}

TEST(BundledRuntime, HomeFromTheStartDirectory) {
  const struct {
    const char* startDir;
    const char* folder;
    const char* home;
  } cases[] = {
      {"C:\\Apps\\App", "jre", "C:\\Apps\\App\\jre"},
      {"C:\\Apps\\App", "runtime/jre/", "C:\\Apps\\App\\runtime\\jre"},
      {"C:\\", "jre", "C:\\jre"},
      {"C:\\Apps", "D:\\", "D:\\"},
      {"C:\\Apps", "\\\\server\\rt", "\\\\server\\rt"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(bundledHome(c.startDir, c.folder), c.home) << c.folder;
}

}  // namespace
}  // namespace kite
