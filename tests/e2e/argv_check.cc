// Holds the launcher's argument splitter (src/launcher/windows_argv) to
// Windows' own: the e2e run passes every command line a stand-in was
// started with and the argv its C runtime made of it, and this program
// splits each line again and prints every difference.  Input: fields ended
// by a NUL byte, per start the number of arguments, the command line and
// the arguments (UTF-8).  Exit code 0 when all agree, 1 otherwise.
#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "launcher/windows_argv.h"

int main() {
  const std::string input((std::istreambuf_iterator<char>(std::cin)), {});
  std::vector<std::string> fields;
  for (size_t at = 0, end; (end = input.find('\0', at)) != std::string::npos;
       at = end + 1)
    fields.push_back(input.substr(at, end - at));
  size_t lines = 0, differ = 0;
  for (size_t i = 0; i + 1 < fields.size(); ++lines) {
    const size_t count = std::stoul(fields[i]);
    const std::string& line = fields[i + 1];
    const auto first = fields.begin() + static_cast<long>(i + 2);
    const std::vector<std::string> windows(first, first + static_cast<long>(count));
    i += 2 + count;
    const std::vector<std::string> ours = kite::splitWindowsCommandLine(line);
    if (ours == windows) continue;
    ++differ;
    std::printf("%s\n  Windows:", line.c_str());
    for (const std::string& arg : windows) std::printf(" [%s]", arg.c_str());
    std::printf("\n  ours:   ");
    for (const std::string& arg : ours) std::printf(" [%s]", arg.c_str());
    std::printf("\n");
  }
  std::printf("%zu of %zu command lines split as Windows split them\n",
              lines - differ, lines);
  return differ ? 1 : 0;
}
