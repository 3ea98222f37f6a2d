// One running instance per configuration file or name: the names the
// settings give, and what a launch does with the lock.
#include "launcher/single_instance.h"

#include <gtest/gtest.h>

#include <set>

#include "base/unicode.h"
#include "launcher/launcher.h"
#include "platform/fake_platform.h"

namespace kite {
namespace {

TEST(SingleInstance, FullPathNames) {
  const struct {
    const char* path;
    const char* directory;
    const char* full;
  } cases[] = {
      {"C:\\Apps\\App\\App.config", "D:\\x", "C:\\Apps\\App\\App.config"},
      {"App.config", "C:\\Apps\\App", "C:\\Apps\\App\\App.config"},
      {"..\\Other\\.\\a.config", "C:\\Apps\\App", "C:\\Apps\\Other\\a.config"},
      {"C:/Apps//App/./a.config", "D:\\x", "C:\\Apps\\App\\a.config"},
      {"..\\..\\..\\a.config", "C:\\Apps", "C:\\a.config"},
      {"\\Apps\\a.config", "D:\\x\\y", "D:\\Apps\\a.config"},
      {"c:a.config", "C:\\Apps", "C:\\Apps\\a.config"},
      {"E:a.config", "C:\\Apps", "E:\\a.config"},
      {"\\\\server\\share\\..\\..\\a.config", "C:\\x",
       "\\\\server\\share\\a.config"},
      {"//server/share/dir/a.config", "C:\\x",
       "\\\\server\\share\\dir\\a.config"},
      {"a.config", "C:\\", "C:\\a.config"},
      {"..", "C:\\Apps", "C:\\"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(fullPathName(c.path, c.directory), c.full) << c.path;
}

TEST(SingleInstance, LongNamesAreCutAndHashed) {
  const std::string shortName = "name:" + std::string(kInstanceNameLimit - 5, 'a');
  EXPECT_EQ(boundedInstanceName(shortName), shortName);
  // Two names that differ only past the cut, one of them in characters of
  // two and four bytes (one and two UTF-16 units).
  const std::string base = "file:c:/" + std::string(200, 'x');
  std::string wide = "file:c:/" + std::string(40, 'x');
  for (int i = 0; i < 100; ++i) wide += "\xC3\xA9";
  wide += "\xF0\x9F\x98\x80";
  std::string mixed;
  for (int i = 0; i < 60; ++i) mixed += "\xC3\xA9\xF0\x9F\x98\x80";
  for (const std::string& name : {base, base + "/a.config", wide, mixed}) {
    const std::string bounded = boundedInstanceName(name);
    EXPECT_LE(utf16Length(bounded), kInstanceNameLimit) << name;
    EXPECT_TRUE(isValidUtf8(bounded)) << bounded;
    EXPECT_EQ(bounded.substr(0, 8), name.substr(0, 8));
    EXPECT_EQ(bounded[bounded.size() - 17], '~') << bounded;
  }
  EXPECT_NE(boundedInstanceName(base), boundedInstanceName(base + "/a.config"));
  EXPECT_EQ(boundedInstanceName(mixed), boundedInstanceName(mixed));
}

TEST(SingleInstance, NamesFromTheSettings) {
  const struct {
    OptionalText value;
    const char* configPath;
    const char* name;  // empty: no instance
  } cases[] = {
      {std::nullopt, "C:\\Apps\\App\\App.config", ""},
      {"", "C:\\Apps\\App\\App.config", ""},
      {"off", "C:\\Apps\\App\\App.config", ""},
      {" OFF ", "C:\\Apps\\App\\App.config", ""},
      {"on", "C:\\Apps\\App\\App.config", "file:c:/apps/app/app.config"},
      {"On \t", "C:\\APPS\\app\\APP.CONFIG", "file:c:/apps/app/app.config"},
      // A "-c" path relative to the current directory.
      {"on", "..\\Other\\My.config", "file:c:/apps/other/my.config"},
      {"My App", "C:\\Apps\\App\\App.config", "name:my app"},
      {"  Tools\\Editor ", "C:\\x.config", "name:tools/editor"},
      {"online", "C:\\x.config", "name:online"},
  };
  for (const auto& c : cases) {
    FakePlatform platform;
    platform.cwd = "C:\\Apps\\App";
    LaunchSettings settings;
    settings.singleInstance = c.value;
    settings.configPath = c.configPath;
    EXPECT_EQ(instanceName(settings, platform), c.name) << c.value.value_or("unset");
  }
}

TEST(SingleInstance, OnIsOneInstanceForEveryNameOfTheFile) {
  // The long path, its short name, a subst drive, the share of a mapped drive.
  const char* names[] = {"C:\\Program Files\\App\\App.config",
                         "C:\\PROGRA~1\\App\\App.config",
                         "S:\\App\\App.config",
                         "\\\\server\\apps\\App\\App.config"};
  FakePlatform platform;
  platform.addFile(names[0], "");
  for (const char* name : names) platform.fileAliases[name] = names[0];
  std::set<std::string> instances;
  for (const char* name : names) {
    LaunchSettings settings;
    settings.singleInstance = "on";
    settings.configPath = name;
    instances.insert(instanceName(settings, platform));
  }
  EXPECT_EQ(instances.size(), 1u);
}

enum class Other { kNone, kHolds, kHoldsWithoutWindow, kRefused, kForeign };

TEST(SingleInstance, WhatALaunchDoes) {
  const char* kName = "name:shared";
  const struct {
    const char* line;  // appended to the configuration
    Other other;
    bool console;
    int starts;
    const char* calls;  // the instance calls, joined by "; "
    const char* trace;  // a trace line (-d) the launch writes, or ""
    const char* err;    // its standard error
  } cases[] = {
      // Without the key, no lock is asked for at all.
      {"", Other::kHolds, false, 2, "", "", ""},
      // The lock is held across the relaunch and released at the end.
      {"singleInstance Shared", Other::kNone, false, 2,
       "claim name:shared; release name:shared",
       "singleInstance: took instance name:shared\n", ""},
      {"singleInstance Shared", Other::kHolds, false, 0,
       "claim name:shared; show name:shared",
       "singleInstance: brought its window to the front\n", ""},
      {"singleInstance Shared", Other::kHoldsWithoutWindow, false, 0,
       "claim name:shared; show name:shared",
       "singleInstance: found no window of it to bring to the front\n", ""},
      {"singleInstance Shared", Other::kHolds, true, 0, "claim name:shared",
       "singleInstance: instance name:shared is running; starting no runtime\n",
       "App: My App is already running\n"},
      // A lock the system refuses: the application runs all the same.
      // Another account's object of that name: not trusted, and said so.
      {"singleInstance Shared", Other::kForeign, false, 2, "claim name:shared",
       "singleInstance: an object of instance name:shared belongs to another "
       "account; not trusting it, starting without it\n",
       ""},
      {"singleInstance Shared", Other::kRefused, false, 2, "claim name:shared",
       "singleInstance: the system refused instance name:shared; starting "
       "without it\n",
       ""},
  };
  for (const auto& c : cases) {
    FakePlatform platform;
    platform.addFile("C:\\Apps\\App\\App.config",
                     std::string("mainclass app.Main\nappname My App\n"
                                 "argument fromConfig\n") +
                         c.line + "\n");
    // No javapath: a start that runs looks the runtime up in the registry.
    platform.setRegistryValue("SOFTWARE\\JavaSoft\\Java Runtime Environment",
                              "CurrentVersion", "1.8");
    platform.setRegistryValue(
        "SOFTWARE\\JavaSoft\\Java Runtime Environment\\1.8", "JavaHome",
        "C:\\jre");
    platform.addFile("C:\\jre\\bin\\javaw.exe", "MZ");
    platform.queueChild({999, 10, false});
    if (c.other == Other::kHolds || c.other == Other::kHoldsWithoutWindow)
      platform.heldInstances.push_back(kName);
    platform.instanceHasWindow = c.other != Other::kHoldsWithoutWindow;
    platform.instanceClaimFails = c.other == Other::kRefused;
    platform.instanceForeign = c.other == Other::kForeign;
    LaunchSettings settings;
    settings.console = c.console;
    const int code = runLauncher({"C:\\Apps\\App\\App.exe", "-d", "one", "two"},
                                 settings, platform);
    const std::string what = std::string(c.line) + " / " +
                             std::to_string(static_cast<int>(c.other));
    EXPECT_EQ(code, 0) << what;
    EXPECT_EQ(static_cast<int>(platform.starts.size()), c.starts) << what;
    // A start that runs nothing does not look for a runtime either.
    EXPECT_EQ(platform.registryOpens.empty(), c.starts == 0) << what;
    std::string calls;
    for (const std::string& call : platform.instanceCalls)
      calls += (calls.empty() ? "" : "; ") + call;
    EXPECT_EQ(calls, c.calls) << what;
    // The console variant writes its traces to standard error, with its
    // name before each line.
    const std::string& traces = c.console ? platform.err : platform.out;
    EXPECT_NE(traces.find(c.trace), std::string::npos) << what << traces;
    if (c.console)
      EXPECT_NE(platform.err.find(c.err), std::string::npos) << what;
    else
      EXPECT_EQ(platform.err, c.err) << what;
    // The arguments of a start that runs nothing are traced as dropped:
    // those of its command line, not the configuration's.
    const bool dropped = c.starts == 0;
    EXPECT_EQ(traces.find("singleInstance: dropping argument 1=two\n") !=
                  std::string::npos,
              dropped)
        << what;
    EXPECT_EQ(traces.find("dropping argument 2"), std::string::npos);
  }
}

}  // namespace
}  // namespace kite
