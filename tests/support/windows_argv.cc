#include "support/windows_argv.h"

namespace kite {
namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> splitWindowsCommandLine(const std::string& line) {
  std::vector<std::string> args;
  size_t i = 0;
  // The program name: up to the first blank outside quotes; quotes only
  // group, backslashes are plain characters.
  std::string program;
  bool quoted = false;
  for (; i < line.size(); ++i) {
    if (line[i] == '"') {
      quoted = !quoted;
    } else if (isBlank(line[i]) && !quoted) {
      break;
    } else {
      program += line[i];
    }
  }
  args.push_back(program);

  for (;;) {
    while (i < line.size() && isBlank(line[i])) ++i;
    if (i >= line.size()) break;
    std::string arg;
    quoted = false;
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
    args.push_back(arg);
  }
  return args;
}

}  // namespace kite
