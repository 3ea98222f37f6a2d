// kitecheck's findings: each kind of warning and error, with its file and
// line, found by reading a configuration through the launcher's own reader
// on the in-memory platform.
#include "check/findings.h"

#include <gtest/gtest.h>

#include "check/checker.h"
#include "check/edit_distance.h"
#include "check/render.h"
#include "base/exit_codes.h"
#include "platform/fake_platform.h"
#include "runtime/java_registry.h"

namespace kite {
namespace {

const std::string kBase = kJavaRegistryKey;
const char kConfig[] = "C:\\Apps\\App\\App.config";

// An application directory with lib\a.jar, an empty directory, a variable
// whose value holds a space and the runtimes 1.6 and 1.6.0_07.
void prepare(FakePlatform& platform) {
  platform.setEnvironment("HOME", "C:\\Users\\A B");
  platform.addFile("C:\\Apps\\App\\lib\\a.jar", "PK");
  platform.addFile("C:\\Apps\\App\\j.exe", "MZ");
  platform.addFile("C:\\Apps\\App\\j", "MZ");
  platform.addDirectory("C:\\Apps\\App\\emptydir");
  platform.addFile("C:\\Apps\\App\\jre\\bin\\javaw.exe", fakeProgram());
  platform.addFile("C:\\Apps\\App\\bad\\bin\\javaw.exe", "not a program");
  platform.addFile("C:\\Apps\\App\\linuxjre\\bin\\java", "\x7f" "ELF");
  for (const char* version : {"1.6", "1.6.0_07"}) {
    platform.addRegistryKey(kBase + "\\" + version);
    platform.setRegistryValue(kBase + "\\" + version, "JavaHome",
                              std::string("C:\\jre\\") + version);
  }
}

// Checks `text` with a class-path entry after it (unless it is UTF-16), so
// that only the cases about the class path have none.
Report check(FakePlatform& platform, const std::string& text) {
  const bool utf16 = text.compare(0, 2, "\xFF\xFE") == 0 ||
                     text.compare(0, 2, "\xFE\xFF") == 0;
  const bool open = !text.empty() && text.back() != '\n';
  platform.addFile(kConfig, utf16 ? text
                                  : text + (open ? "\n" : "") +
                                        "addjar lib\\a.jar\n");
  CheckOptions options;
  options.config = kConfig;
  return runCheck(options, platform);
}

// "kind@line" for each finding, in order.
std::string summary(const Report& report) {
  std::string text;
  for (const Finding& f : report.findings)
    text += (text.empty() ? "" : " ") + std::string(findingName(f.kind)) + "@" +
            std::to_string(f.line);
  return text;
}

struct Case {
  std::string lines;     // after "mainclass a.Main" and "javapath j.exe"
  const char* expected;  // summary(); lines counted from the first of them
};

TEST(Findings, EachKindWithItsLine) {
  const Case cases[] = {
      {"# comment\n//other\n\n   \nvmparam -Xmx1m\naddjar lib\\a.jar\n", ""},
      {"mainClass x.Main\n", "unknown-key@3"},
      {"exitCode app\nexitCode launcher\n", "key-set-twice@4"},
      {"exitCode App\n", "exit-code-value@3"},
      {"appProcess yes\nendWithLauncher always\n", "option-value@3 option-value@4"},
      {"appProcess off\nendWithLauncher tree\n", ""},
      {"appUserModelId My App\n", "app-user-model-id@3"},
      {"consoleTitle T\nappUserModelId " + std::string(128, 'x') + "\n",
       "console-title-unused@4"},
      // No jli.dll beside j.exe: the launcher starts j.exe.
      {"appProcess on\n", "not-hosted@3"},
      {"exitCode 0\nlogFile logs\\kite.log\n", "exit-code-value@3"},
      {"classpath lib\n", "unknown-key@3"},
      {"vmparam\t-Xmx1m\n", "tab-after-key@3"},
      {"vmparam\t-Da=b c\n", "tab-after-key@3"},  // read, with the value "c"
      {"  addjar lib\\a.jar\n\tvmparam -X\n", "indented-key@3 indented-key@4"},
      {"appname\n", "no-value@3"},
      {"vmparameter -Xss1m\n", "key-prefix@3"},
      // Later keys count only as whole words.
      {"environment X=1\nmainjars lib\\a.jar\nenv\tA=1 B=2\n",
       "unknown-key@3 unknown-key@4 tab-after-key@5"},
      {"vmparam -Dx=$NOPE\nvmparam x$\n", "variable-not-set@3 variable-not-set@4"},
      {"argument $NOPE\n", ""},  // arguments are not expanded
      {"addjar lib/none.jar\naddpath lib\\a.jar;gone\n", "path-missing@3 path-missing@4"},
      {"addpath lib\\\n", ""},  // a directory, with a trailing separator
      // Java expands only a folder followed by "*".
      {"addjar lib/*\naddjar nodir\\*\n", "path-missing@4"},
      {"addjar lib/?.jar\naddjar lib/*.jar\naddpath *\n",
       "path-wildcard@3 path-wildcard@4"},
      {"addjars nodir\naddjars emptydir\n",
       "jar-directory-missing@3 jar-directory-empty@4"},
      {"vmparam -Dh=$HOME\n", "value-quoted@3"},
      // The quotes come off again; the directory does not exist.
      {"workingDir $HOME\nconsoleTitle $HOME\n", "path-missing@3"},
      // Java looks for relative entries (here the "addjar lib\a.jar" that
      // follows) from the working directory.
      {"workingDir emptydir\n", "not-from-working-dir@4"},
      {"workingDir C:\\Apps\\App\n", ""},
      // Not UTF-8: read in the ANSI code page, a note about the whole file.
      {"appname D\xE9mo\nappname \xC3\xA9\n", "key-set-twice@4 encoding@0"},
      {"appname \xC3\xA9\x1a\nvmparam -X\n", "ctrl-z@3 no-class-path@0"},
      {"mainclass b.Main\n", "key-set-twice@3"},
      {"javaVersion 1.6\n", "key-set-twice@3"},  // replaces the javapath runtime
      {"include App.config\n", "include-cycle@3"},
      {"include absent.config\nvmparam -X\n", "file-not-opened@3"},
      {"mainclass \n", "key-set-twice@3 no-main-class@3"},
      {"javaVersion 1.6.0_10+\nvmparam -X\n", "key-set-twice@3 runtime-not-found@3"},
      {"javaVersion 1.5\n", "key-set-twice@3 runtime-not-found@3"},
      {"javaVersion \n", "key-set-twice@3 runtime-not-found@3"},
      {"javapath D:\\My Tools\\javaw.exe\n",
       "key-set-twice@3 unquoted-path@3 path-missing@3"},
      {"javapath \"D:\\My Tools\\javaw.exe\"\n", "key-set-twice@3 path-missing@3"},
      // Blanks that split the command line; a JVM parameter may hold two.
      {"addpath My Apps\\lib\naddjar \"lib\\a.jar\"\n",
       "unquoted-blank@3 path-missing@3"},
      {"vmparam -Xmx1g -Xms1g\nvmparam -Dtitle=My App\n", "unquoted-blank@4"},
      {"javaVersion 1.6+\n", "key-set-twice@3 version-never-matches@3 runtime-not-found@3"},
      {"mainclasscom.other\nlib/b.jar\n", "no-space@3 no-space@4"},
      {std::string("vmparam -X\0junk\n", 16), "nul-byte@3"},
      // The version window, where "javapath" has set the runtime.
      {"javaMinVersion 17\n", "window-unused@3"},
      {"javaMinVersion 17\njavaMinVersion 18\n", "key-set-twice@4 window-unused@4"},
      {"javaMinVersion latest\n", "not-a-version@3 window-unused@3"},
      {"javaMinVersion 21\njavaMaxVersion 17.0.2\n",
       "window-unused@3 empty-window@4"},
      {"javaDownloadUrl C:\\setup.exe\n", "download-page@3"},
      // Characters windows-1252 cannot hold, in values that reach Java.
      {"vmparam -Dx=\xCE\xB1\nargument \xE6\x97\xA5\nargument caf\xC3\xA9\n",
       "code-page@3 code-page@4"},
      // A main module or jar; what goes with each.
      {"mainmodule app/app.Main\nmodulepath lib;mods\n",
       "target-ignored@1 path-missing@4"},
      {"mainjar lib\\a.jar\nmainmodule app\n",
       "target-ignored@1 target-ignored@4 class-path-ignored@5"},
      {"mainjar gone.jar\n", "target-ignored@1 path-missing@3 class-path-ignored@4"},
      {"mainmodule app\njavaMinVersion 8\n",
       "target-ignored@1 module-needs-java9@4 window-unused@4"},
      {"mainmodule app\njavaMaxVersion 21\n",
       "target-ignored@1 module-needs-java9@4 window-unused@4"},
      {"mainmodule app\njavaMinVersion 11\n", "target-ignored@1 window-unused@4"},
      // A runtime option and its value are two words on purpose.
      {"vmparam --module-path mods\nvmparam -cp lib\nvmparam --add-modules a b\n"
       "vmparam -Dfoo bar\n",
       "unquoted-blank@5 unquoted-blank@6"},
      {"env PATH=C:\\x;%PATH%\nenv TITLE=My App\nenv NOEQUALS\nenv =x\n",
       "env-not-a-variable@5 env-not-a-variable@6"},
      {"bundledRuntime jre\n", ""},
      {"bundledRuntime nojre\n", "bundled-runtime-unused@3"},
      {"bundledRuntime bad\n", "bundled-runtime-unused@3"},
      // A usable bundled runtime wins wherever its line stands.
      {"javaVersion 1.5\nbundledRuntime jre\n", "key-set-twice@3"},
      {"javaVersion 1.5\nbundledRuntime nojre\n",
       "key-set-twice@3 runtime-not-found@3 bundled-runtime-unused@4"},
      {"bundledRuntime linuxjre\n", "bundled-runtime-not-windows@3"},
      // The launcher makes missing folders, but not through a file.
      {"logFile logs\\day\\kite.log\n", ""},
      {"logFile emptydir\n", "log-file-unwritable@3"},
      {"logFile j.exe\\logs\\kite.log\n", "log-file-unwritable@3"},
  };
  for (const Case& c : cases) {
    FakePlatform platform;
    prepare(platform);
    const Report report =
        check(platform, std::string("mainclass a.Main\njavapath j.exe\n") + c.lines);
    EXPECT_EQ(summary(report), c.expected) << c.lines;
    for (const Finding& f : report.findings) EXPECT_EQ(f.file, kConfig) << c.lines;
  }
}

TEST(Findings, WholeFileProblems) {
  const std::pair<std::string, const char*> cases[] = {
      // No mainclass line, and no current runtime in the registry.
      {"vmparam -X\n", "no-main-class@0 runtime-not-found@0"},
      // A UTF-8 mark, UTF-16 in both byte orders: read as they are.
      {"\xEF\xBB\xBFmainclass a.Main\njavapath j\n", ""},
      {std::string("\xFF\xFEm\0a\0", 6),
       "no-space@1 no-main-class@0 runtime-not-found@0"},
      {std::string("\xFE\xFF\0j\0a\0v\0a\0p\0a\0t\0h\0 \0j\0\n\0m\0a\0i\0n\0c"
                   "\0l\0a\0s\0s\0 \0a", 46),
       "no-class-path@0"},
      // Bytes that are not UTF-8 after a UTF-8 mark.
      {"\xEF\xBB\xBFmainclass a.Main\njavapath j\nappname \xE9\xE9\n",
       "invalid-text@3"},
  };
  for (const auto& c : cases) {
    FakePlatform platform;
    prepare(platform);
    EXPECT_EQ(summary(check(platform, c.first)), c.second) << c.first;
  }
}

// An "addjars" folder that finds no jar has a finding of its own (a warning:
// kitebrand's check then goes on), not the "no class path" error, which is
// kept for a configuration with no class-path line at all.
TEST(Findings, AddjarsThatFindNothing) {
  const std::pair<const char*, const char*> cases[] = {
      {"addjars nodir\n", "jar-directory-missing@3"},
      {"addjars emptydir\n", "jar-directory-empty@3"},
      {"vmparam -X\n", "no-class-path@0"},
  };
  for (const auto& c : cases) {
    FakePlatform platform;
    prepare(platform);
    platform.addFile(kConfig, std::string("mainclass a.Main\njavapath j\n") +
                                  c.first);
    CheckOptions options;
    options.config = kConfig;
    const Report report = runCheck(options, platform);
    EXPECT_EQ(summary(report), c.second) << c.first;
  }
}

// On a POSIX host a Windows path cannot be looked up: a note, not a
// warning, and a correct configuration exits 0.
TEST(Findings, WindowsPathsOnAPosixHost) {
  FakePlatform platform;
  platform.addFile("/work/App.config",
                   "mainclass a.Main\n"
                   "javapath C:\\jre\\bin\\javaw.exe\n"
                   "addjar C:\\lib\\a.jar;\\\\server\\lib\\b.jar\n"
                   "addjars D:\\jars\n"
                   "workingDir C:\\data\n"
                   "include C:\\common.config\n"
                   "addjar missing.jar\n");
  CheckOptions options;
  options.config = "/work/App.config";
  options.hostPaths = true;
  options.registryAvailable = false;
  const Report report = runCheck(options, platform);
  EXPECT_EQ(summary(report),
            "path-not-checked@2 path-not-checked@3 path-not-checked@3 "
            "path-not-checked@4 path-not-checked@5 path-not-checked@6 "
            "path-missing@7");
  EXPECT_EQ(report.errors(), 0);
  EXPECT_EQ(report.warnings(), 1);  // the relative path that is missing
}

// Arguments after "--" that the launcher keeps: "-c" alone is an error of
// the launcher's, not a file with no name.
TEST(Findings, OwnArguments) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"-d"}, "the argument \"-d\" is the launcher's own"},
      {{"-cx.config"}, "reads the configuration \"x.config\" instead"},
      {{"-c", "x.config"}, "the argument \"-c\" names no configuration file"},
  };
  for (const auto& c : cases) {
    FakePlatform platform;
    prepare(platform);
    platform.addFile(kConfig, "mainclass a.Main\njavapath j\naddjar lib\\a.jar\n");
    CheckOptions options;
    options.config = kConfig;
    options.arguments = c.first;
    const Report report = runCheck(options, platform);
    ASSERT_EQ(summary(report), "own-argument@0") << c.second;
    EXPECT_NE(report.findings[0].message.find(c.second), std::string::npos)
        << report.findings[0].message;
  }
}

TEST(Findings, ExitCodeAndMessages) {
  FakePlatform platform;
  prepare(platform);
  Report report = check(platform, "mainclass a.Main\njavapath j\n");
  EXPECT_EQ(report.exitCode(), 0);

  FakePlatform warned;
  prepare(warned);
  report = check(warned, "mainClass a.Main\nmainclass a.Main\njavapath j\n");
  EXPECT_EQ(report.exitCode(), 1);
  ASSERT_EQ(report.findings.size(), 1u);
  EXPECT_NE(report.findings[0].message.find("did you mean \"mainclass\"?"),
            std::string::npos);
  FakePlatform longer;
  prepare(longer);
  report = check(longer, "mainclass a.Main\njavapath j\nenvironment X=1\n");
  ASSERT_EQ(report.findings.size(), 1u);
  EXPECT_NE(report.findings[0].message.find(
                "begins with the key \"env\", which counts only as a whole word"),
            std::string::npos);

  FakePlatform missing;
  CheckOptions options;
  options.config = "C:\\Apps\\App\\Nothing.config";
  report = runCheck(options, missing);
  EXPECT_EQ(report.exitCode(), 2);
  EXPECT_EQ(summary(report), "file-not-opened@0");

  // A directory named as the configuration is called one everywhere the
  // file is shown, not "Permission denied".
  FakePlatform directory;
  directory.addDirectory("C:\\Apps\\App\\Dir.config");
  options.config = "C:\\Apps\\App\\Dir.config";
  report = runCheck(options, directory);
  EXPECT_EQ(summary(report), "file-not-opened@0");
  EXPECT_NE(renderText(report).find(
                "(cannot be opened: it is a directory, not a file)"),
            std::string::npos);
  EXPECT_EQ(renderJson(report).find("Permission denied"), std::string::npos);
}

// Twelve files, each including the next twice: 4,095 reads without the
// limit of files for one launch.
TEST(Findings, TooManyFiles) {
  FakePlatform platform;
  prepare(platform);
  for (int i = 1; i <= 12; ++i) {
    const std::string next = "include f" + std::to_string(i + 1) + ".config\n";
    platform.addFile("C:\\Apps\\App\\f" + std::to_string(i) + ".config",
                     i < 12 ? next + next : "");
  }
  const Report report =
      check(platform, "mainclass a.Main\njavapath j\ninclude f1.config\n");
  EXPECT_EQ(summary(report), "too-many-files@2");
  EXPECT_EQ(report.exitCode(), 2);
}

TEST(Findings, CommandLineOverTheLimit) {
  FakePlatform platform;
  prepare(platform);
  const Report report =
      check(platform, "mainclass a.Main\njavapath j\nvmparam -D" +
                          std::string(32767, 'x') + "\n");
  EXPECT_EQ(summary(report), "command-line-too-long@3");  // the long line
}

// A lookup that fails is recorded, never shown, and nothing is started.
TEST(Findings, NothingIsShownOrStarted) {
  FakePlatform platform;
  prepare(platform);
  const Report report =
      check(platform, "mainclass a.Main\njavaVersion 1.6.0_10+\njavaVersion 1.4.2_01\n");
  EXPECT_TRUE(platform.boxes.empty());
  EXPECT_TRUE(platform.starts.empty());
  ASSERT_EQ(report.searches.size(), 2u);
  EXPECT_EQ(report.searches[0].exitCode, kExitRuntimeMissing);
  EXPECT_EQ(report.searches[0].boxes.at(0).caption, "Incompatible JRE Version Found");
  EXPECT_EQ(report.searches[1].exitCode, kExitVersionUnresolved);
  EXPECT_EQ(report.searches[1].boxes.at(0).caption,
            "Java Runtime Environment Not Found");
}

TEST(NearestKey, CloseMisspellingsOnly) {
  const std::pair<const char*, const char*> cases[] = {
      {"mainClass", "mainclass"}, {"javaversion", "javaVersion"},
      {"vmparm", "vmparam"},      {"java_path", "javapath"},
      {"workdir", ""},            {"classpath", ""},
      {"x", ""},                  {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(nearestKey(c.first), c.second) << c.first;
  EXPECT_EQ(editDistance("kitten", "sitting"), 3u);
  EXPECT_EQ(editDistance("ABC", "abc"), 0u);
  EXPECT_EQ(editDistance("", "abc"), 3u);
}

}  // namespace
}  // namespace kite
