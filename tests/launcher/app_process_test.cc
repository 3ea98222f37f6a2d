// The values of the application-process keys as the launch uses them.
#include "launcher/app_process.h"

#include <gtest/gtest.h>

namespace kite {
namespace {

std::string repeated(const char* text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += text;
  return out;
}

TEST(AppProcess, KeyValuesAsTheLaunchUsesThem) {
  const struct {
    const char* appProcess;
    const char* endWith;
    std::string id;
    bool hosts;
    EndWithLauncher end;
    std::string usedId;
    bool ownStart;
  } cases[] = {
      {nullptr, nullptr, "", false, EndWithLauncher::kNo, "", false},
      {"on", nullptr, "", true, EndWithLauncher::kNo, "", true},
      {"On", "On", "", false, EndWithLauncher::kNo, "", false},
      {"off", "tree", "", false, EndWithLauncher::kTree, "", true},
      {nullptr, "on", "", false, EndWithLauncher::kOn, "", true},
      {nullptr, nullptr, "Company.Product", false, EndWithLauncher::kNo,
       "Company.Product", true},
      // Windows' limits: at most 128 characters, no space.
      {nullptr, nullptr, "Company Product", false, EndWithLauncher::kNo, "", false},
      {nullptr, nullptr, std::string(128, 'a'), false, EndWithLauncher::kNo,
       std::string(128, 'a'), true},
      {nullptr, nullptr, std::string(129, 'a'), false, EndWithLauncher::kNo, "", false},
      // Characters, not bytes: 100 of two bytes each.
      {nullptr, nullptr, repeated("\xC3\xA9", 100), false, EndWithLauncher::kNo,
       repeated("\xC3\xA9", 100), true},
  };
  for (const auto& c : cases) {
    LaunchSettings settings;
    if (c.appProcess) settings.appProcess = c.appProcess;
    if (c.endWith) settings.endWithLauncher = c.endWith;
    if (!c.id.empty()) settings.appUserModelId = c.id;
    SCOPED_TRACE(c.id.substr(0, 20));
    EXPECT_EQ(wantsAppProcess(settings), c.hosts);
    EXPECT_EQ(endWithLauncher(settings), c.end);
    EXPECT_EQ(appUserModelId(settings), c.usedId);
    EXPECT_EQ(startsOwnProcess(settings), c.ownStart);
  }
}

}  // namespace
}  // namespace kite
