#include "brand/brand_options.h"

#include <gtest/gtest.h>

#include <map>
#include <utility>

namespace kite {
namespace {

using Args = std::vector<std::string>;

TEST(BrandOptions, ReadsEveryOptionInBothForms) {
  BrandOptions options;
  ASSERT_EQ(parseBrandOptions({"--from",
                               "dist/kite32.exe",
                               "--out=MyApp.exe",
                               "--icon",
                               "app.ico",
                               "--icon-group",
                               "7=seven.ico",
                               "--icon-group=65535=last=one.ico",
                               "--name",
                               "My App",
                               "--version=2.3",
                               "--company",
                               "Example Ltd",
                               "--description",
                               "",
                               "--copyright",
                               "(C) 2026",
                               "--elevate",
                               "--config",
                               "MyApp.config"},
                              &options),
            "");
  EXPECT_EQ(options.from, "dist/kite32.exe");
  EXPECT_EQ(options.out, "MyApp.exe");
  const BrandRequest& request = options.request;
  std::vector<std::pair<unsigned, std::string>> icons;
  for (const IconFile& icon : request.icons)
    icons.push_back({icon.group, icon.path});
  EXPECT_EQ(icons,
            (std::vector<std::pair<unsigned, std::string>>{
                {101, "app.ico"}, {7, "seven.ico"}, {65535, "last=one.ico"}}));
  EXPECT_EQ(request.texts, (std::map<std::string, std::string>{
                               {"ProductName", "My App"},
                               {"CompanyName", "Example Ltd"},
                               {"FileDescription", ""},
                               {"LegalCopyright", "(C) 2026"}}));
  EXPECT_EQ(request.version, "2.3");
  EXPECT_EQ(request.outputName, "MyApp.exe");
  EXPECT_EQ(options.config, "MyApp.config");
  EXPECT_TRUE(request.elevate);
  EXPECT_FALSE(options.help);

  ASSERT_EQ(parseBrandOptions({"--out", "x", "--help"}, &options), "");
  EXPECT_TRUE(options.help);
}

TEST(BrandOptions, RefusesBadCommandLines) {
  const Args base = {"--from", "a.exe", "--out", "b.exe"};
  const std::pair<Args, const char*> cases[] = {
      {{"--frob", "x"}, "unknown option --frob"},
      {{"stray"}, "unexpected argument stray"},
      {{"--name"}, "--name needs a value"},
      {{"--name", "--elevate"}, "--name needs a value"},
      {{"--icon="}, "--icon needs a value"},
      {{"--elevate=yes"}, "--elevate takes no value"},
      {{"--name", "a", "--name", "b"}, "--name is given twice"},
      {{"--out", "c.exe"}, "--out is given twice"},
      {{"--version", "1.2.3.4.5"}, "bad version"},
      {{"--version", "70000"}, "bad version"},
      {{"--icon-group", "0=a.ico"}, "--icon-group needs ID=FILE.ico"},
      {{"--icon-group", "65536=a.ico"}, "--icon-group needs ID=FILE.ico"},
      {{"--icon-group", "x=a.ico"}, "--icon-group needs ID=FILE.ico"},
      {{"--icon-group", "5="}, "--icon-group needs ID=FILE.ico"},
      {{"--icon", "a.ico", "--icon-group", "101=b.ico"},
       "icon group 101 is given twice"},
      {{"--icon-group", "9=a.ico", "--icon-group=9=b.ico"},
       "icon group 9 is given twice"},
  };
  for (const auto& c : cases) {
    Args args = base;
    args.insert(args.end(), c.first.begin(), c.first.end());
    BrandOptions options;
    EXPECT_NE(parseBrandOptions(args, &options).find(c.second),
              std::string::npos)
        << c.second;
  }
  BrandOptions options;
  EXPECT_EQ(parseBrandOptions({"--out", "b.exe"}, &options),
            "--from is required");
  EXPECT_EQ(parseBrandOptions({"--from", "a.exe"}, &options),
            "--out is required");
  EXPECT_EQ(parseBrandOptions({"--from", "a.exe", "--out", "a.exe"}, &options),
            "--out must differ from --from");
}

}  // namespace
}  // namespace kite
