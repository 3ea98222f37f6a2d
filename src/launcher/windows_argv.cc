#include "launcher/windows_argv.h"

namespace kite {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Appends the arguments of line[i...] to *args.
void splitArguments(const std::string& line, size_t i,
                    std::vector<std::string>* args) {
  for (;;) {
    while (i < line.size() && isBlank(line[i])) ++i;
    if (i >= line.size()) break;
    std::string arg;
    bool quoted = false;
    while (i < line.size() && (quoted || !isBlank(line[i]))) {
      size_t backslashes = 0;
      while (i < line.size() && line[i] == '\\') {
        ++backslashes;
        ++i;
      }
      if (i < line.size() && line[i] == '"') {
        // 2n backslashes and a quote: n backslashes, the quote is syntax;
        // 2n+1: n backslashes and a literal quote.
        arg.append(backslashes / 2, '\\');
        if (backslashes % 2) {
          arg += '"';
        } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          arg += '"';  // "" inside quotes is a literal quote
          ++i;
        } else {
          quoted = !quoted;
        }
        ++i;
      } else {
        arg.append(backslashes, '\\');
        if (i < line.size() && (quoted || !isBlank(line[i]))) arg += line[i++];
      }
    }
    args->push_back(arg);
  }
}

}  // namespace

std::vector<std::string> splitWindowsArguments(const std::string& text) {
  std::vector<std::string> args;
  splitArguments(text, 0, &args);
  return args;
}

std::vector<std::string> splitWindowsCommandLine(const std::string& line) {
  // The program name: up to the first blank outside quotes; quotes only
  // group, backslashes are plain characters.
  std::string program;
  bool quoted = false;
  size_t i = 0;
  for (; i < line.size(); ++i) {
    if (line[i] == '"') {
      quoted = !quoted;
    } else if (isBlank(line[i]) && !quoted) {
      break;
    } else {
      program += line[i];
    }
  }
  std::vector<std::string> args{program};
  splitArguments(line, i, &args);
  return args;
}

}  // namespace kite
