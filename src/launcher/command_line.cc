#include "launcher/command_line.h"

#include "platform/debug_output.h"

namespace kite {

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

std::string buildCommandLine(const LaunchSettings& settings,
                             Platform& platform) {
  const std::string javaPath = settings.javaPath.value_or("");
  const std::string mainClass = settings.mainClass.value_or("");

  // Every item with its separators, and "-classpath" with two spaces.
  size_t size = javaPath.size() + 2 + mainClass.size() + 2 + 12;
  for (const std::string& param : settings.vmParams) size += param.size() + 2;
  for (const std::string& entry : settings.classPath) size += entry.size() + 2;
  for (const std::string& argument : settings.arguments)
    size += argument.size() + 3;
  debugTrace(settings, platform, "cmdLine is %d chars long\n",
             static_cast<int>(size));

  std::string line;
  line.reserve(size);
  line += javaPath;
  line += ' ';
  for (const std::string& param : settings.vmParams) {
    line += param;
    line += ' ';
  }
  line += "-classpath ";
  for (const std::string& entry : settings.classPath) {
    line += entry;
    line += ';';
  }
  // Drops the last ";", or the space after "-classpath" when the class path
  // is empty.
  line.pop_back();
  line += ' ';
  line += mainClass;
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
