// Splitting a command line into arguments by the rules the Microsoft C
// runtime, CommandLineToArgvW and Java's launcher follow: what a started
// program receives of the text it is given.
#ifndef KITE_LAUNCHER_WINDOWS_ARGV_H_
#define KITE_LAUNCHER_WINDOWS_ARGV_H_

#include <string>
#include <vector>

namespace kite {

// The arguments of `text`, which holds no program name: blanks separate,
// double quotes group, and backslashes are literal except before a double
// quote (2n and a quote: n backslashes and a quote that groups; 2n+1: n
// backslashes and a literal quote; "" inside quotes: a literal quote).
std::vector<std::string> splitWindowsArguments(const std::string& text);

// The program name and the arguments of a whole command line.  The program
// name ends at the first blank outside quotes; in it, quotes only group and
// backslashes are plain characters.
std::vector<std::string> splitWindowsCommandLine(const std::string& line);

}  // namespace kite

#endif  // KITE_LAUNCHER_WINDOWS_ARGV_H_
