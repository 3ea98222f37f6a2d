// kitebrand's command line on the in-memory platform: which files it reads
// and writes, under which names, and that a refusal changes nothing.
#include "brand/kitebrand_tool.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "brand/synthetic_pe.h"
#include "platform/fake_platform.h"

namespace kite {
namespace {

using Args = std::vector<std::string>;

const char kLauncher[] = "C:\\dist\\kite32.exe";
const char kOutDir[] = "C:\\out";

// A launcher, an icon and a configuration to brand with, and an output
// folder holding an earlier branded copy and its configuration.
void prepare(FakePlatform& platform) {
  const Bytes launcher = synthetic::buildPe(synthetic::kiteResources());
  platform.addFile(kLauncher, std::string(launcher.begin(), launcher.end()));
  const Bytes icon = synthetic::icoFile({16});
  platform.addFile("C:\\in\\app.ico", std::string(icon.begin(), icon.end()));
  platform.addFile("C:\\in\\app.config", "mainclass a.Main\naddjar app.jar\n");
  platform.addFile("C:\\in\\j.exe", "MZ");
  platform.addFile("C:\\out\\MyApp.exe", "earlier copy");
  platform.addFile("C:\\out\\MyApp.config", "earlier config");
}

// Runs kitebrand on the launcher with `options`, and with --out
// C:\out\MyApp.exe unless they name another.
int brand(FakePlatform& platform, const Args& options) {
  Args args = {"--from", kLauncher};
  if (std::find(options.begin(), options.end(), "--out") == options.end())
    args.insert(args.end(), {"--out", "C:\\out\\MyApp.exe"});
  args.insert(args.end(), options.begin(), options.end());
  return runKitebrand(args, platform, /*hostPaths=*/false);
}

// Each entry of the output folder, by name: " PATH/" for a folder, and
// " PATH=CONTENTS" (the first 40 bytes) for a file, or " PATH" without
// `contents`.
std::string outputFolder(FakePlatform& platform, bool contents = false) {
  std::vector<FoundFile> found;
  platform.findFiles(std::string(kOutDir) + "\\*", &found);
  std::sort(
      found.begin(), found.end(),
      [](const FoundFile& a, const FoundFile& b) { return a.name < b.name; });
  std::string text;
  for (const FoundFile& f : found) {
    const std::string path = std::string(kOutDir) + "\\" + f.name;
    text += " " + path;
    if (f.isDirectory)
      text += "/";
    else if (contents)
      text += "=" + platform.fileContents(path).substr(0, 40);
  }
  return text;
}

TEST(Kitebrand, WritesTheConfigurationUnderTheNameTheLauncherReads) {
  const std::pair<const char*, const char*> cases[] = {
      {"MyApp.exe", "MyApp.config"},
      // The launcher cuts only a lower-case ".exe".
      {"MyApp.EXE", "MyApp.EXE.config"},
      {"My.App", "My.App.config"},
      // Missing folders are made.
      {"new\\deeper\\MyApp.exe", "new\\deeper\\MyApp.config"},
  };
  for (const auto& c : cases) {
    FakePlatform platform;
    prepare(platform);
    platform.removeFile("C:\\out\\MyApp.config");
    const std::string out = std::string(kOutDir) + "\\" + c.first;
    ASSERT_EQ(runKitebrand({"--from", kLauncher, "--out", out, "--config",
                            "C:\\in\\app.config"},
                           platform, false),
              0)
        << platform.err;
    const std::string config = std::string(kOutDir) + "\\" + c.second;
    EXPECT_EQ(platform.fileContents(config),
              platform.fileContents("C:\\in\\app.config"))
        << c.first;
    EXPECT_NE(platform.out.find("  configuration: " + config + " (checked)\n"),
              std::string::npos)
        << platform.out;
  }
}

// The new copy is written to a file of a name nothing had before, so a
// file or link planted under the name kitebrand would take is left alone.
TEST(Kitebrand, WritesThroughNoFileInTheWay) {
  FakePlatform platform;
  prepare(platform);
  const char* planted[] = {"C:\\out\\MyApp.exe.kitebrand-new",
                           "C:\\out\\MyApp.exe.kitebrand-new-1"};
  for (const char* path : planted) platform.addFile(path, "planted");
  ASSERT_EQ(brand(platform, {"--name", "X"}), 0) << platform.err;
  for (const char* path : planted)
    EXPECT_EQ(platform.fileContents(path), "planted") << path;
  EXPECT_EQ(platform.fileContents("C:\\out\\MyApp.exe").compare(0, 2, "MZ"), 0);
  EXPECT_EQ(outputFolder(platform),
            " C:\\out\\MyApp.config C:\\out\\MyApp.exe"
            " C:\\out\\MyApp.exe.kitebrand-new"
            " C:\\out\\MyApp.exe.kitebrand-new-1");
}

TEST(Kitebrand, ARefusalSaysWhyAndChangesNothing) {
  struct Case {
    Args options;
    const char* message;           // on standard error
    const char* folder = nullptr;  // an output's name, taken by a folder
    const char* inUse = nullptr;   // an output that cannot be replaced
    // An .ico within the bound on one file, but not with the launcher.
    bool large = false;
    const char* refusedFolder = nullptr;  // one makeDirectory refuses
  };
  const Args deeper = {"--out", "C:\\out\\new\\deeper\\MyApp.exe", "--config",
                       "C:\\in\\app.config"};
  const Args config = {"--config", "C:\\in\\app.config"};
  const Case cases[] = {
      {{"--colour", "red"}, "kitebrand: unknown option --colour\nusage:"},
      {{"--out", "c:\\DIST\\Kite32.EXE"},
       "kitebrand: c:\\DIST\\Kite32.EXE is the input file itself"},
      {{"--icon", "C:\\in\\none.ico"},
       "kitebrand: cannot read C:\\in\\none.ico: No such file or directory\n"},
      {{"--icon", "C:\\in"},
       "kitebrand: cannot read C:\\in: it is a directory, not a file\n"},
      {{"--icon", "C:\\in\\app.config"},
       "kitebrand: C:\\dist\\kite32.exe: icon group 101: not an .ico file"},
      {{"--icon", "C:\\in\\app.ico", "--icon-group", "7=C:\\in\\big.ico"},
       "kitebrand: cannot read C:\\in\\big.ico: the launcher and the icons "
       "together hold more than 64 MB\n",
       nullptr,
       nullptr,
       true},
      {{"--config", "C:\\in\\none.config"},
       "kitebrand: cannot read C:\\in\\none.config: No such file or "
       "directory\n"},
      {{"--config", "C:\\in"},
       "kitebrand: cannot read C:\\in: it is a directory, not a file\n"},
      // A finding about the whole file names no line.
      {{"--config", "C:\\in\\j.exe"},
       "kitebrand: C:\\in\\j.exe: error: no \"mainclass\" line"},
      // The configuration cannot take its place, or the executable, after
      // the configuration did (they go in that order).
      {config,
       "kitebrand: cannot write C:\\out\\MyApp.config: it is a directory, "
       "not a file\n",
       "MyApp.config"},
      {config,
       "kitebrand: cannot write C:\\out\\MyApp.exe: Permission denied\n",
       nullptr, "MyApp.exe"},
      // The folders it made go too.
      {deeper,
       "kitebrand: cannot write C:\\out\\new\\deeper\\MyApp.exe: Permission "
       "denied\n",
       nullptr, "new\\deeper\\MyApp.exe"},
      {deeper,
       "kitebrand: cannot write C:\\out\\new\\deeper\\MyApp.config: cannot "
       "create the folder C:\\out\\new\\deeper: Permission denied\n",
       nullptr, nullptr, false, "C:\\out\\new\\deeper"},
  };
  for (const Case& c : cases) {
    FakePlatform platform;
    prepare(platform);
    if (c.large)
      platform.addFile("C:\\in\\big.ico", std::string(kMaxFileBytes - 1000, 0));
    if (c.folder) {
      const std::string path = std::string(kOutDir) + "\\" + c.folder;
      platform.removeFile(path);
      platform.addDirectory(path);
    }
    if (c.inUse)
      platform.filesInUse.push_back(std::string(kOutDir) + "\\" + c.inUse);
    if (c.refusedFolder) platform.folderFailures.push_back(c.refusedFolder);
    const std::string before = outputFolder(platform, true);
    const std::string launcher = platform.fileContents(kLauncher);
    EXPECT_EQ(brand(platform, c.options), 2) << c.message;
    EXPECT_NE(platform.err.find(c.message), std::string::npos)
        << c.message << "\n"
        << platform.err;
    EXPECT_EQ(outputFolder(platform, true), before) << c.message;
    EXPECT_EQ(platform.fileContents(kLauncher), launcher) << c.message;
    EXPECT_EQ(platform.out, "") << c.message;
  }
}

}  // namespace
}  // namespace kite
