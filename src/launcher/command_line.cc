#include "launcher/command_line.h"

#include "base/text.h"
#include "config/expand_value.h"
#include "platform/debug_output.h"

namespace kite {
namespace {

// The item that starts the application: the main class, "-m module" or
// "-jar file".
std::string launchItem(const LaunchSettings& settings) {
  const std::string target = launchTarget(settings).value_or("");
  switch (launchKind(settings)) {
    case LaunchKind::kJar:
      return "-jar " + target;
    case LaunchKind::kModule:
      return "-m " + target;
    case LaunchKind::kClass:
      break;
  }
  return target;
}

}  // namespace

bool argumentNeedsQuotes(const std::string& argument, bool alwaysQuote) {
  // An empty argument is quoted too: unquoted it would vanish from the
  // command line, and a tab splits an argument just as a space does.
  return alwaysQuote || argument.empty() ||
         argument.find_first_of(" \t") != std::string::npos;
}

std::string quoteArgument(const std::string& argument, bool alwaysQuote) {
  const bool quote = argumentNeedsQuotes(argument, alwaysQuote);
  if (!quote && argument.find('"') == std::string::npos) return argument;
  // Backslashes are literal except before a double quote, where each pair
  // reads as one and an odd one makes the quote a character.  So a quote
  // inside the argument gets a backslash, the backslashes before it are
  // doubled, and so are those before the closing quote (C:\My Dir\ stays
  // so).
  std::string out;
  out.reserve(argument.size() + 2);
  if (quote) out += '"';
  size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    if (c == '"') out.append(2 * backslashes + 1, '\\');
    else out.append(backslashes, '\\');
    backslashes = 0;
    out += c;
  }
  out.append(quote ? 2 * backslashes : backslashes, '\\');
  if (quote) out += '"';
  return out;
}

std::vector<std::string> classPathEntries(const LaunchSettings& settings) {
  std::vector<std::string> entries = settings.classPath;
  if (!settings.workingDir || settings.workingDir->empty() ||
      settings.startDir.empty())
    return entries;
  // Java resolves a relative entry from the folder the application runs in;
  // the jars "addjars" found are in a folder of the start directory.
  for (const size_t index : settings.scannedJars) {
    std::string& entry = entries[index];
    const std::string path = withoutSurroundingQuotes(entry);
    if (isAbsolutePath(path)) continue;
    const std::string full = inFolder(settings.startDir, path);
    entry = path.size() == entry.size() ? full : "\"" + full + "\"";
  }
  return entries;
}

std::vector<std::string> jvmItems(const LaunchSettings& settings) {
  std::vector<std::string> items = settings.vmParams;
  const auto joined = [](const std::vector<std::string>& entries) {
    std::string text;
    for (size_t i = 0; i < entries.size(); ++i)
      text += (i ? ";" : "") + entries[i];
    return text;
  };
  const LaunchKind kind = launchKind(settings);
  // A main class always follows "-classpath", with or without entries; a
  // module takes one only when there are entries, and Java takes a jar's
  // class path from its manifest.
  if (kind == LaunchKind::kClass ||
      (kind == LaunchKind::kModule && !settings.classPath.empty())) {
    items.push_back("-classpath");
    if (!settings.classPath.empty())
      items.push_back(joined(classPathEntries(settings)));
  }
  if (kind != LaunchKind::kClass && !settings.modulePath.empty()) {
    items.push_back("-p");
    items.push_back(joined(settings.modulePath));
  }
  return items;
}

std::string buildCommandLine(const LaunchSettings& settings,
                             Platform& platform) {
  return buildCommandLine(settings, platform, jvmItems(settings));
}

std::string buildCommandLine(const LaunchSettings& settings,
                             Platform& platform,
                             const std::vector<std::string>& jvm) {
  const std::string javaPath = settings.javaPath.value_or("");
  const std::string target = launchItem(settings);

  // The traced size: every item with two bytes for its separators (three
  // for an argument, which may be quoted), and 12 for "-classpath  ".
  size_t size = javaPath.size() + 2 + target.size() + 2 + 12;
  for (const auto* list : {&settings.vmParams, &settings.classPath,
                           &settings.modulePath})
    for (const std::string& entry : *list) size += entry.size() + 2;
  for (const std::string& argument : settings.arguments)
    size += argument.size() + 3;
  debugTrace(settings, platform, "cmdLine is %d chars long\n",
             static_cast<int>(size));

  std::string line;
  line.reserve(size);
  line += javaPath;
  line += ' ';
  for (const std::string& item : jvm) {
    line += item;
    line += ' ';
  }
  line += target;
  if (!settings.arguments.empty()) line += ' ';
  for (const std::string& argument : settings.arguments) {
    const std::string item = quoteArgument(argument, settings.alwaysQuote);
    if (argumentNeedsQuotes(argument, settings.alwaysQuote))
      debugBox(settings, platform, argument.c_str(),
               "Adding double quotes around");
    line += item;
    line += ' ';
  }
  return line;
}

}  // namespace kite
