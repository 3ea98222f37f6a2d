#include "launcher/argument_file.h"

#include <cerrno>
#include <ctime>
#include <optional>

#include "base/text.h"
#include "config/expand_value.h"
#include "launcher/ansi_names.h"
#include "launcher/command_line.h"
#include "launcher/windows_argv.h"
#include "runtime/java_version.h"
#include "runtime/runtime_record.h"

namespace kite {
namespace {

// How many names in the temporary folder a launch tries before it gives up:
// random names of 64 bits meet an existing one only when it was put there
// on purpose.
constexpr int kNameAttempts = 16;
constexpr size_t kRandomBytes = 8;
// A file of Kite's own left behind (its launcher was killed while the
// application ran) is removed by a later launch once it is this old.
constexpr std::time_t kLeftoverSeconds = 24 * 60 * 60;

// Whether `name` is of the form Kite's argument files have: "kite-", 16
// hexadecimal digits and ".args"; or "kite-", seconds, "-", a counter and
// ".args", as earlier versions named them.
bool isArgumentFileName(const std::string& name) {
  const std::string lower = asciiLower(name);
  if (lower.size() < 11 || lower.compare(0, 5, "kite-") != 0 ||
      lower.compare(lower.size() - 5, 5, ".args") != 0)
    return false;
  const std::string middle = lower.substr(5, lower.size() - 10);
  const size_t dash = middle.find('-');
  if (dash == std::string::npos)
    return middle.size() == 2 * kRandomBytes &&
           middle.find_first_not_of("0123456789abcdef") == std::string::npos;
  return dash > 0 && dash + 1 < middle.size() &&
         middle.find_first_not_of("0123456789-") == std::string::npos &&
         middle.find('-', dash + 1) == std::string::npos;
}

// Removes the argument files in `folder` left by launches that never
// removed them (killed), once they are a day old.
void removeLeftovers(const std::string& folder, Platform& platform) {
  std::vector<FoundFile> found;
  if (!platform.findFiles(folder + "kite-*.args", &found)) return;
  const std::time_t now = platform.now();
  for (const FoundFile& file : found)
    if (!file.isDirectory && isArgumentFileName(file.name) &&
        file.modified != 0 && now - file.modified > kLeftoverSeconds)
      platform.removeFile(folder + file.name);
}

// A name no one can guess: a process of another account could otherwise
// make a file of the next name first, or a link there.
std::string randomName(Platform& platform) {
  std::string bytes;
  if (!platform.randomBytes(kRandomBytes, &bytes)) return std::string();
  std::string name = "kite-";
  for (const char c : bytes)
    name += formatText("%02x", static_cast<unsigned char>(c));
  return name + ".args";
}

}  // namespace

std::string argumentFileText(const std::vector<std::string>& arguments) {
  std::string text;
  for (const std::string& argument : arguments) {
    text += '"';
    for (const char c : argument) {
      switch (c) {
        case '\\':
        case '"':
          text += '\\';
          text += c;
          break;
        case '\n':
          text += "\\n";
          break;
        case '\r':
          text += "\\r";
          break;
        case '\t':
          text += "\\t";
          break;
        case '\f':
          text += "\\f";
          break;
        default:
          text += c;
      }
    }
    text += "\"\r\n";
  }
  return text;
}

unsigned runtimeFeature(const LaunchSettings& settings, Platform& platform) {
  // The record of the runtime the launch decided on knows its version, or
  // where to look; without one (kitecheck) the path tells where.
  RuntimeRecord record;
  if (settings.runtime)
    record = *settings.runtime;
  else if (settings.javaPath)
    record = runtimeRecordFor(*settings.javaPath);
  lookUpVersion(record, platform);
  const std::optional<JavaVersion> version = parseJavaVersion(record.versionText);
  return version ? version->feature : 0;
}

ArgumentFileBytes argumentFileBytes(const LaunchSettings& settings,
                                    Platform& platform) {
  ArgumentFileBytes file;
  const unsigned feature = runtimeFeature(settings, platform);
  if (feature < 9) {
    file.whyNot = feature == 0 ? "the runtime's version is not known"
                               : "Java " + std::to_string(feature) +
                                     " reads no argument file";
    return file;
  }
  // What Java would receive of the items on the command line, one argument
  // each, as the file gives them back.
  std::vector<std::string> arguments;
  for (const std::string& item : jvmItems(settings))
    for (std::string& argument : splitWindowsArguments(item))
      arguments.push_back(std::move(argument));
  if (arguments.empty()) {
    file.whyNot = "there are no JVM parameters, class path or module path "
                  "to put in it";
    return file;
  }
  // Java reads the file in the ANSI code page.
  if (!platform.utf8ToAnsi(argumentFileText(arguments), &file.bytes)) {
    file.bytes.clear();
    file.whyNot = formatText(
        "the ANSI code page %u cannot hold every JVM parameter, class-path "
        "and module-path entry",
        platform.ansiCodePage());
  }
  return file;
}

ArgumentFile writeArgumentFile(const LaunchSettings& settings,
                               Platform& platform) {
  ArgumentFile file;
  const ArgumentFileBytes bytes = argumentFileBytes(settings, platform);
  if (bytes.bytes.empty()) {
    file.whyNot = bytes.whyNot;
    return file;
  }
  const std::string folder = platform.temporaryDirectory();
  if (folder.empty()) {
    file.whyNot = "there is no folder for temporary files";
    return file;
  }
  removeLeftovers(folder, platform);
  // The file is created only where nothing of that name exists, and is the
  // user's alone: TEMP may be a folder others can read.
  int status = EEXIST;
  for (int attempt = 0; attempt < kNameAttempts && status == EEXIST;
       ++attempt) {
    const std::string name = randomName(platform);
    if (name.empty()) {
      file.whyNot = "the system gave no random number for its name";
      return file;
    }
    file.path = folder + name;
    status = platform.createPrivateFile(file.path, bytes.bytes);
  }
  if (status != 0) {
    file.whyNot = "it cannot be written in " + folder + ": " +
                  platform.errorText(status);
    file.path.clear();
    return file;
  }
  // Java reads the file's name in the ANSI code page too.
  std::string name = file.path;
  if (!fitsCodePage(platform, name)) name = shortNameFor(platform, name);
  if (name.empty()) {
    platform.removeFile(file.path);
    file.path.clear();
    file.whyNot = formatText(
        "the ANSI code page %u cannot hold the name of the temporary folder",
        platform.ansiCodePage());
    return file;
  }
  file.commandLine = buildCommandLine(
      settings, platform, {quoteArgument("@" + name, /*alwaysQuote=*/false)});
  return file;
}

}  // namespace kite
