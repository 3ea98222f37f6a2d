// Fuzz target: the configuration reader, through the in-memory platform.
//
// Input: one or more file texts separated by lines holding only "%%%%".  The
// first text is the main configuration C:\Apps\App\App.config; the others
// become a.config, b.config, c.config, d.config and inc\e.config beside it,
// so "include" lines in the input can reach them, miss them or loop through
// them.  The environment, the registry and two jar directories are fixed and
// small, so "$" references, "javaVersion" and "addjars" lines do real work.
//
// Checked for every input, besides what the sanitizers catch:
//  - the reader goes on to the end, or ends the launcher with 5 or 11 (a
//    "javaVersion" line that cannot be met) or 2 (more configuration files
//    than one launch reads), and with nothing else;
//  - nothing is lost: every "argument" line of every file read arrives in
//    the arguments whole and unchanged (in file order when only the main
//    file was read), and every "vmparam" line adds one JVM parameter;
//  - debug mode changes none of the values read.
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "config/config_file.h"
#include "config/config_observer.h"
#include "fuzz_support.h"
#include "launcher/launcher.h"
#include "platform/fake_platform.h"

namespace kite {
namespace {

const char kMainPath[] = "C:\\Apps\\App\\App.config";
const char* const kOtherPaths[] = {"a.config", "b.config", "c.config",
                                   "d.config", "inc\\e.config"};
// A few files that each include the next many times would make the
// reader's work grow exponentially (each include is read again, as it must
// be); the reader's own limit of files for one launch keeps every run short.
using ConfigPlatform = FakePlatform;

// Keeps the text of every file read, as the reader sees it.
class TextKeeper : public ConfigObserver {
 public:
  void fileOpened(const std::string&, int, int error,
                  const DecodedText& decoded) override {
    if (error == 0) texts.push_back(decoded.text);
  }
  std::vector<std::string> texts;
};

void setUp(ConfigPlatform& platform, const std::vector<std::string>& files) {
  platform.addFile(kMainPath, files[0]);
  for (size_t i = 1; i < files.size() && i <= std::size(kOtherPaths); ++i)
    platform.addFile(std::string("C:\\Apps\\App\\") + kOtherPaths[i - 1],
                     files[i]);
  platform.setEnvironment("APP_HOME", "C:\\Program Files\\App");
  platform.setEnvironment("JRE", "C:\\jre\\");
  platform.setEnvironment("EMPTY", "");
  platform.setEnvironment("INC", "C:\\Apps\\App\\inc");
  platform.setEnvironment("JARS", "C:\\Apps\\App\\my jars");
  platform.addFile("C:\\Apps\\App\\lib\\a.jar", "");
  platform.addFile("C:\\Apps\\App\\lib\\b.jar", "");
  platform.addDirectory("C:\\Apps\\App\\lib\\dir.jar");
  platform.addFile("C:\\Apps\\App\\my jars\\c.jar", "");
  const std::string base = "SOFTWARE\\JavaSoft\\Java Runtime Environment";
  platform.setRegistryValue(base, "CurrentVersion", "1.6");
  platform.setRegistryValue(base + "\\1.6", "JavaHome", "C:\\jre6");
  platform.setRegistryValue(base + "\\1.6.0_03", "JavaHome", "C:\\jre 603");
  platform.setRegistryValue(base + "\\1.6.0_07", "JavaHome", "C:\\jre\\607");
  platform.addRegistryKey(base + "\\1.5.0_01");  // no JavaHome
}

struct Result {
  std::optional<int> exitCode;  // set when the launcher would end
  LaunchSettings settings;
  std::vector<std::string> texts;
};

Result readAll(const std::vector<std::string>& files, bool debug) {
  ConfigPlatform platform;
  setUp(platform, files);
  Result result;
  result.settings.debugMode = debug;
  TextKeeper keeper;
  RegistryVersionResolver versions;
  const Outcome outcome = readConfigFile(result.settings, platform, kMainPath,
                                         {versions, &keeper});
  if (outcome.endsLauncher()) result.exitCode = outcome.exitCode();
  result.texts = std::move(keeper.texts);
  return result;
}

// The "argument" values and the number of "vmparam" lines of one file text
// as the reader sees it: a leading UTF-8 byte-order mark skipped, lines cut
// at line feeds only, each ending at its first NUL byte.  Only a space separates key and value, and no earlier
// key begins with "argument", so the test of each line is exact.
void expectedLines(const std::string& text, std::vector<std::string>* arguments,
                   size_t* vmParams) {
  const size_t start = fuzz::startsWith(text, "\xEF\xBB\xBF") ? 3 : 0;
  for (std::string line : fuzz::splitOn(text.substr(start), "\n")) {
    line.resize(std::min(line.size(), line.find('\0')));  // a NUL ends it
    const size_t space = line.find(' ');
    if (space == std::string::npos) continue;
    if (fuzz::startsWith(line, "argument"))
      arguments->push_back(line.substr(space + 1));
    else if (fuzz::startsWith(line, "vmparam"))
      ++*vmParams;
  }
}

void check(const Result& outcome) {
  if (outcome.exitCode) {
    FUZZ_CHECK(*outcome.exitCode == 5 || *outcome.exitCode == 11 ||
               (*outcome.exitCode == 2 &&
                outcome.texts.size() <= static_cast<size_t>(kMaxConfigFiles)));
    return;  // ended part-way: the lists hold what came before
  }
  FUZZ_CHECK(!outcome.texts.empty());
  std::vector<std::string> arguments;
  size_t vmParams = 0;
  for (const std::string& text : outcome.texts)
    expectedLines(text, &arguments, &vmParams);
  FUZZ_CHECK(outcome.settings.vmParams.size() == vmParams);
  std::vector<std::string> actual = outcome.settings.arguments;
  if (outcome.texts.size() > 1) {
    // Included files' lines stand at their include line; compare as sets.
    std::sort(arguments.begin(), arguments.end());
    std::sort(actual.begin(), actual.end());
  }
  FUZZ_CHECK(actual == arguments);
}

}  // namespace
}  // namespace kite

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kite;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> files = fuzz::splitOn(input, "\n%%%%\n");

  const Result plain = readAll(files, false);
  check(plain);
  const Result debug = readAll(files, true);
  FUZZ_CHECK(debug.exitCode == plain.exitCode);
  FUZZ_CHECK(debug.settings.vmParams == plain.settings.vmParams);
  FUZZ_CHECK(debug.settings.classPath == plain.settings.classPath);
  FUZZ_CHECK(debug.settings.arguments == plain.settings.arguments);
  FUZZ_CHECK(debug.settings.mainClass == plain.settings.mainClass);
  FUZZ_CHECK(debug.settings.appName == plain.settings.appName);
  FUZZ_CHECK(debug.settings.workingDir == plain.settings.workingDir);
  FUZZ_CHECK(debug.settings.consoleTitle == plain.settings.consoleTitle);
  return 0;
}
