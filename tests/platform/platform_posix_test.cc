// The POSIX side of the seam, as host kitecheck uses it: Windows-style
// paths and letter case, text mode, directory searches and the environment,
// in a scratch directory of its own.
#include "platform/platform_posix.h"
#include "platform/stdio_file.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace kite {
namespace {

class PosixPlatformTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char* cwd = ::getcwd(nullptr, 0);
    cwd_ = cwd ? cwd : "/";
    std::free(cwd);
    char pattern[] = "/tmp/kitecheck-test-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    root_ = pattern;
    write("App.config", "mainclass a\r\nvmparam -X\r\n\x1a" "ignored");
    write("Lib/B.jar", "");
    write("Lib/a.JAR", "");
    write("Lib/notes.txt", "");
    ASSERT_EQ(::mkdir((root_ + "/Lib/old.jar").c_str(), 0700), 0);
  }
  void TearDown() override {
    ASSERT_EQ(::chdir(cwd_.c_str()), 0);
    std::system(("rm -rf '" + root_ + "'").c_str());
  }
  void write(const std::string& relative, const std::string& content) {
    const std::string path = root_ + "/" + relative;
    const size_t slash = path.rfind('/');
    ::mkdir(path.substr(0, slash).c_str(), 0700);
    std::ofstream(path, std::ios::binary) << content;
  }

  std::string cwd_;
  std::string root_;
  PosixPlatform platform_;
};

TEST_F(PosixPlatformTest, BackslashesAndLetterCaseAsOnWindows) {
  std::string text;
  EXPECT_EQ(platform_.readFile(root_ + "\\app.CONFIG", &text), 0);
  // Byte for byte: text-mode rules belong to the reader.
  EXPECT_EQ(text, "mainclass a\r\nvmparam -X\r\n\x1a" "ignored");
  EXPECT_EQ(platform_.fileIdentity(root_ + "/App.config"),
            platform_.fileIdentity(root_ + "\\APP.config"));
  EXPECT_TRUE(platform_.fileIdentity(root_ + "/none").empty());
  EXPECT_NE(platform_.readFile(root_ + "/none.config", &text), 0);
  EXPECT_NE(platform_.readFile(root_ + "/Lib", &text), 0);  // a directory
}

TEST_F(PosixPlatformTest, SearchesMatchWildcardsInNameOrder) {
  ASSERT_TRUE(platform_.changeDirectory(root_));
  std::vector<FoundFile> found;
  ASSERT_TRUE(platform_.findFiles("lib/*.jar", &found));
  std::vector<std::string> names;
  for (const FoundFile& f : found) names.push_back(f.name + (f.isDirectory ? "/" : ""));
  EXPECT_EQ(names, (std::vector<std::string>{"a.JAR", "B.jar", "old.jar/"}));
  EXPECT_TRUE(platform_.findFiles("LIB\\notes.txt", &found));  // one name
  EXPECT_TRUE(platform_.findFiles("lib", &found));             // a directory
  EXPECT_FALSE(platform_.findFiles("lib/*.zip", &found));
  EXPECT_FALSE(platform_.findFiles("nodir/*.jar", &found));
  EXPECT_FALSE(platform_.findFiles("\"lib\"/*.jar", &found));
}

TEST_F(PosixPlatformTest, CreatesAFileOnlyWhereNothingHasItsName) {
  write("taken.txt", "mine");
  ASSERT_EQ(
      ::symlink((root_ + "/taken.txt").c_str(), (root_ + "/link").c_str()), 0);
  ASSERT_EQ(
      ::symlink((root_ + "/nowhere").c_str(), (root_ + "/dangling").c_str()),
      0);
  const std::pair<const char*, int> cases[] = {
      {"new.txt", 0},       {"taken.txt", EEXIST}, {"link", EEXIST},
      {"dangling", EEXIST}, {"Lib", EEXIST},       {"none/new.txt", ENOENT},
  };
  for (const auto& c : cases)
    EXPECT_EQ(platform_.createNewFile(root_ + "/" + c.first, "new"), c.second)
        << c.first;
  std::string text;
  EXPECT_EQ(platform_.readFile(root_ + "/new.txt", &text), 0);
  EXPECT_EQ(text, "new");
  EXPECT_EQ(platform_.readFile(root_ + "/taken.txt", &text), 0);
  EXPECT_EQ(text, "mine");  // not written through the link
  EXPECT_TRUE(platform_.fileIdentity(root_ + "/nowhere").empty());
}

TEST_F(PosixPlatformTest, EnvironmentNamesMatchWithoutCase) {
  ::setenv("KITE_POSIX_TEST_VAR", "C:\\x y", 1);
  std::string value;
  EXPECT_TRUE(platform_.getEnvironment("kite_posix_test_var", &value));
  EXPECT_EQ(value, "C:\\x y");
  EXPECT_FALSE(platform_.getEnvironment("KITE_POSIX_TEST_NONE", &value));
  EXPECT_FALSE(platform_.getEnvironment("", &value));
  ::unsetenv("KITE_POSIX_TEST_VAR");
}

TEST_F(PosixPlatformTest, NoRegistryNoProcesses) {
  RegistryKey key = 0;
  EXPECT_NE(platform_.openRegistryKey(kClassicRegistryRoot, "SOFTWARE\\JavaSoft", &key), 0);
  ChildProcess child = 0;
  std::string error;
  EXPECT_FALSE(platform_.startProcess("java", nullptr, nullptr, nullptr, &child,
                                         &error));
  EXPECT_FALSE(error.empty());
}

// The bound on a whole-file read, with files of one and of two buffers.
TEST(StdioFile, ReadsAWholeFileUpToTheLimit) {
  struct Case {
    size_t size, limit;
    int status;
  };
  const Case cases[] = {
      {11, 11, 0}, {11, 10, EFBIG}, {20000, 20000, 0}, {20000, 16385, EFBIG}};
  for (const Case& c : cases) {
    FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    const std::string content(c.size, 'k');
    std::fwrite(content.data(), 1, content.size(), file);
    std::rewind(file);
    std::string bytes = "old";
    EXPECT_EQ(readWholeFile(file, &bytes, c.limit), c.status) << c.limit;
    EXPECT_EQ(bytes, c.status == 0 ? content : "") << c.limit;
  }
}

}  // namespace
}  // namespace kite
