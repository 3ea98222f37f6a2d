// Holds the launcher's Windows argument splitter (src/launcher/windows_argv)
// to Windows' own: the e2e run gives it every command line a stand-in was
// started with and the argv the stand-in's C runtime made of it, and this
// program splits each line again and reports every difference.
//
// Input on standard input, fields ended by a NUL byte: for each start the
// number of arguments, the command line, then the arguments (UTF-8).
// Exit code 0 when every line splits as Windows split it, 1 otherwise, 2
// for input it cannot read.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "launcher/windows_argv.h"

namespace {

std::string listed(const std::vector<std::string>& args) {
  std::string text;
  for (const std::string& arg : args) text += (text.empty() ? "[" : ", [") + arg + "]";
  return text;
}

}  // namespace

int main() {
  const std::string input((std::istreambuf_iterator<char>(std::cin)),
                          std::istreambuf_iterator<char>());
  std::vector<std::string> fields;
  for (size_t at = 0; at < input.size();) {
    const size_t end = input.find('\0', at);
    if (end == std::string::npos) break;
    fields.push_back(input.substr(at, end - at));
    at = end + 1;
  }
  size_t lines = 0, differ = 0;
  for (size_t i = 0; i < fields.size();) {
    char* rest = nullptr;
    const unsigned long count = std::strtoul(fields[i].c_str(), &rest, 10);
    if (fields[i].empty() || *rest || i + 2 + count > fields.size()) {
      std::fprintf(stderr, "argv_check: unreadable input at field %zu\n", i);
      return 2;
    }
    const std::string& line = fields[i + 1];
    const std::vector<std::string> windows(fields.begin() + i + 2,
                                           fields.begin() + i + 2 + count);
    i += 2 + count;
    ++lines;
    const std::vector<std::string> ours = kite::splitWindowsCommandLine(line);
    if (ours == windows) continue;
    ++differ;
    std::printf("command line: %s\n  Windows: %s\n  ours:    %s\n", line.c_str(),
                listed(windows).c_str(), listed(ours).c_str());
  }
  std::printf("%zu of %zu command lines split as Windows split them\n",
              lines - differ, lines);
  return differ ? 1 : 0;
}
