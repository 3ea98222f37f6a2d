// Fuzz target: the command-line builder, with the round trip through the
// Windows argument rules (src/launcher/windows_argv, the splitter the unit
// tests use).
//
// Input: lines, each a tag character and its text:
//   f<flags>  bit 0 of the first flag byte: always quote; bit 1: debug mode
//   e<N=V>    an environment entry, for the "$" references below
//   h<home>   runtime from a registry "JavaHome" (composed as at launch)
//   p<value>  runtime from a "javapath" line
//   v<value>  a "vmparam" line
//   c<value>  an "addpath" or "addjar" line
//   j<value>  an "addjars" line; its directory holds x.jar and "y z.jar"
//   m<name>   the main class
//   a<text>   a program argument
//
// What "as stored" means.  The builder never quotes the runtime path, JVM
// parameters or class-path entries: it writes them as command-line text.
// A configuration line such as "vmparam -Xmx1g -Xss1m" therefore gives the
// runtime two parameters, on purpose, and quotes a user types are the
// user's own command-line syntax.  What the builder promises is that a value
// the configuration stores as one item reaches the runtime as that one item:
// the quotes expansion (or the jar scan, or the runtime-path composition)
// put around a part holding a space are syntax and vanish, nothing else
// changes.  So the items here are generated the way the configuration
// stores them, through the real expansion, jar scan and composition, from
// line values without blanks or double quotes of their own; environment
// values may hold spaces but no double quote (the builder cannot carry one
// inside a quoted part) and no tab (expansion quotes a value for its spaces
// only; Windows paths cannot hold tabs).  A registry home is a Windows path:
// no double quote and no control character.  Expected for each item is the
// stored text without its double quotes; an item that is empty vanishes,
// as empty text on a command line does.
//
// Program arguments are taken as given (only NUL, which no command line
// can carry, is dropped): quotes, backslashes, blanks, empty arguments and
// any other bytes, and every one must arrive exactly.  Debug mode must not
// change the line.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "config/expand_value.h"
#include "config/jar_scan.h"
#include "fuzz_support.h"
#include "launcher/command_line.h"
#include "platform/fake_platform.h"
#include "runtime/java_registry.h"
#include "launcher/windows_argv.h"

namespace kite {
namespace {

const std::string kNul(1, '\0');
const std::string kNoBlankNoQuote = std::string(" \t\"") + kNul;

std::string unquoted(const std::string& text) {
  return fuzz::without(text, "\"");
}

std::string controlCharacters() {
  std::string text;
  for (int c = 0; c < 0x20; ++c) text += static_cast<char>(c);
  return text + "\"";
}

struct Built {
  LaunchSettings settings;
  std::vector<std::string> expected;  // what the runtime must receive
};

Built buildSettings(const std::vector<std::string>& lines,
                    FakePlatform& platform) {
  Built built;
  LaunchSettings& settings = built.settings;
  for (const std::string& line : lines)
    if (!line.empty() && line[0] == 'f' && line.size() > 1) {
      settings.alwaysQuote = line[1] & 1;
      settings.debugMode = line[1] & 2;
    }
  for (const std::string& line : lines)
    if (!line.empty() && line[0] == 'e') {
      const std::string entry =
          fuzz::without(line.substr(1), std::string("\t\"") + kNul);
      const size_t equals = entry.find('=', 1);
      if (!entry.empty() && equals != std::string::npos)
        platform.setEnvironment(entry.substr(0, equals),
                                entry.substr(equals + 1));
    }

  std::string javaPath = "C:\\jre\\bin\\javaw.exe";
  std::string mainClass = "app.Main";
  std::vector<std::string> arguments;
  for (const std::string& line : lines) {
    if (line.empty()) continue;
    const std::string raw = line.substr(1);
    const std::string value = fuzz::without(raw, kNoBlankNoQuote);
    switch (line[0]) {
      case 'h':
        javaPath = composeJavaExecutable(
            settings, platform, fuzz::without(raw, controlCharacters()));
        break;
      case 'p':
        javaPath = expandValue(settings, platform, value, true);
        break;
      case 'v':
        settings.vmParams.push_back(
            expandValue(settings, platform, value, true));
        break;
      case 'c':
        settings.classPath.push_back(
            expandValue(settings, platform, value, true));
        break;
      case 'j': {
        const std::string dir = expandValue(settings, platform, value, true);
        const std::string searched = withoutSurroundingQuotes(dir);
        platform.addFile(searched + "/x.jar", "");
        platform.addFile(searched + "/y z.jar", "");
        addJarDirectory(settings, platform, dir);
        break;
      }
      case 'm':
        if (!value.empty()) mainClass = value;
        break;
      case 'a':
        arguments.push_back(fuzz::without(raw, kNul));
        break;
    }
  }
  settings.javaPath = javaPath;
  settings.mainClass = mainClass;
  settings.arguments = arguments;

  // The program name: quotes only group, so it is the text without them.
  built.expected.push_back(unquoted(javaPath));
  for (const std::string& param : settings.vmParams)
    if (!unquoted(param).empty()) built.expected.push_back(unquoted(param));
  built.expected.push_back("-classpath");
  std::string classPath;
  for (size_t i = 0; i < settings.classPath.size(); ++i)
    classPath += (i ? ";" : "") + unquoted(settings.classPath[i]);
  if (!classPath.empty()) built.expected.push_back(classPath);
  built.expected.push_back(mainClass);
  built.expected.insert(built.expected.end(), arguments.begin(),
                        arguments.end());
  return built;
}

// Both item lists on standard error, for the report of a broken round trip.
void printItems(const char* what, const std::vector<std::string>& items) {
  std::fprintf(stderr, "%s:", what);
  for (const std::string& item : items) {
    std::fputs(" [", stderr);
    for (unsigned char c : item)
      std::fprintf(stderr, c < 0x20 || c > 0x7e ? "\\x%02x" : "%c", c);
    std::fputs("]", stderr);
  }
  std::fputs("\n", stderr);
}

}  // namespace
}  // namespace kite

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kite;
  const std::string input(reinterpret_cast<const char*>(data), size);
  FakePlatform platform;
  Built built = buildSettings(fuzz::splitOn(input, "\n"), platform);

  const std::string line = buildCommandLine(built.settings, platform);
  built.settings.debugMode = !built.settings.debugMode;
  FUZZ_CHECK(buildCommandLine(built.settings, platform) == line);

  const std::vector<std::string> split = splitWindowsCommandLine(line);
  if (split != built.expected) {
    printItems("command line", {line});
    printItems("split", split);
    printItems("expected", built.expected);
  }
  FUZZ_CHECK(split == built.expected);
  return 0;
}
