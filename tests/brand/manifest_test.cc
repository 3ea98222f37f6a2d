#include "brand/manifest.h"

#include <gtest/gtest.h>

namespace kite {
namespace {

Bytes bytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

TEST(Manifest, ChangesOnlyTheLevelValue) {
  const std::pair<std::string, std::string> cases[] = {
      {"<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>",
       "<requestedExecutionLevel level=\"requireAdministrator\" "
       "uiAccess=\"false\"/>"},
      {"<requestedExecutionLevel level='highestAvailable'/>",
       "<requestedExecutionLevel level='requireAdministrator'/>"},
      {"<v3:requestedExecutionLevel\n   level = \"asInvoker\" />",
       "<v3:requestedExecutionLevel\n   level = \"requireAdministrator\" />"},
      // The name mentioned in a comment first, an attribute ending in
      // "level" before the real one.
      {"<!-- requestedExecutionLevel level=\"x\" -->\r\n"
       "<requestedExecutionLevel xlevel=\"a\" level=\"asInvoker\"/>\xEF\xBB",
       "<!-- requestedExecutionLevel level=\"x\" -->\r\n"
       "<requestedExecutionLevel xlevel=\"a\" "
       "level=\"requireAdministrator\"/>\xEF\xBB"},
  };
  for (const auto& c : cases) {
    Bytes out;
    ASSERT_TRUE(
        setManifestExecutionLevel(bytes(c.first), "requireAdministrator", &out))
        << c.first;
    EXPECT_EQ(std::string(out.begin(), out.end()), c.second);
  }
  std::string level;
  ASSERT_TRUE(manifestExecutionLevel(bytes(cases[3].first), &level));
  EXPECT_EQ(level, "asInvoker");
}

TEST(Manifest, RefusesManifestsWithoutALevel) {
  for (const char* text :
       {"", "<assembly/>", "<requestedExecutionLevel uiAccess=\"false\"/>",
        "<requestedExecutionLevel level=asInvoker/>",
        "<requestedExecutionLevel level=\"asInvoker/>",
        "<requestedExecutionLevel level=\"asInvoker",
        "requestedExecutionLevel"}) {
    Bytes out;
    std::string level;
    EXPECT_FALSE(setManifestExecutionLevel(bytes(text), "x", &out)) << text;
    EXPECT_FALSE(manifestExecutionLevel(bytes(text), &level)) << text;
  }
}

}  // namespace
}  // namespace kite
