#include "launcher/argument_file.h"

#include <cerrno>
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

// How many names in the temporary folder a launch tries before it gives up.
constexpr int kNameAttempts = 1000;

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
  // A name no other launch can take: the file is created only where none
  // of that name exists.
  const std::string stem =
      folder + "kite-" + std::to_string(static_cast<long long>(platform.now()));
  int status = EEXIST;
  for (int attempt = 0; attempt < kNameAttempts && status == EEXIST;
       ++attempt) {
    file.path = stem + "-" + std::to_string(attempt) + ".args";
    status = platform.createNewFile(file.path, bytes.bytes);
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
