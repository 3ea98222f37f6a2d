// Splits a command line into arguments by the rules the Microsoft C runtime
// and CommandLineToArgvW follow, so tests can check what a child receives.
#ifndef KITE_TESTS_SUPPORT_WINDOWS_ARGV_H_
#define KITE_TESTS_SUPPORT_WINDOWS_ARGV_H_

#include <string>
#include <vector>

namespace kite {

std::vector<std::string> splitWindowsCommandLine(const std::string& line);

}  // namespace kite

#endif  // KITE_TESTS_SUPPORT_WINDOWS_ARGV_H_
