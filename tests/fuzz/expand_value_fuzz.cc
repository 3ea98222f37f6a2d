// Fuzz target: value expansion, through the in-memory platform.
//
// Input: the first byte's lowest bit is the quote flag; the rest of the
// first line is the value; every further line is one environment entry
// NAME=VALUE (the name ends at the first "=" after its first character, as
// in a Windows environment block, where "=C:=C:\dir" names "=C:").
//
// Checked for every input, besides what the sanitizers catch:
//  - debug mode does not change the result;
//  - a value without "$", or whose name is empty or not set, comes back
//    unchanged, and an empty name is never looked up;
//  - otherwise nothing is lost or truncated: the result is the text before
//    the "$", the variable's whole value and the text after the name (less
//    at most the one separator the variable's value already ends in), with
//    backslashes turned into slashes, plus two double quotes exactly when
//    the value holds a space and quoting is asked for (or an "=" stands
//    before the "$"); a pair reported as wrapping the whole result does.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "config/expand_value.h"
#include "fuzz_support.h"
#include "platform/fake_platform.h"

namespace kite {
namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

std::string slashed(std::string text) {
  std::replace(text.begin(), text.end(), '\\', '/');
  return text;
}

bool endsWith(const std::string& text, const std::string& suffix) {
  return text.size() >= suffix.size() &&
         text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

void setEnvironment(FakePlatform& platform,
                    const std::vector<std::string>& entries) {
  for (const std::string& raw : entries) {
    // Environment blocks cannot hold NUL.
    const std::string entry = fuzz::without(raw, std::string(1, '\0'));
    if (entry.empty()) continue;
    const size_t equals = entry.find('=', 1);
    if (equals == std::string::npos)
      platform.setEnvironment(entry, "");
    else
      platform.setEnvironment(entry.substr(0, equals),
                              entry.substr(equals + 1));
  }
}

struct Expanded {
  std::string result;
  bool wrapped = false;
  std::vector<std::string> lookups;
};

Expanded expandWith(const std::string& value, bool quote, bool debug,
                    const std::vector<std::string>& entries) {
  FakePlatform platform;
  setEnvironment(platform, entries);
  LaunchSettings settings;
  settings.debugMode = debug;
  const Expansion expansion = expand(settings, platform, value, quote);
  return {expansion.text, expansion.wrappedWhole(), platform.environmentLookups};
}

void checkExpansion(const std::string& value, bool quote,
                    const std::vector<std::string>& entries,
                    const Expanded& got) {
  for (const std::string& name : got.lookups) FUZZ_CHECK(!name.empty());
  const size_t dollar = value.find('$');
  size_t nameEnd = std::string::npos;
  if (dollar != std::string::npos) {
    nameEnd = value.find('\\', dollar);
    if (nameEnd == std::string::npos) nameEnd = value.find('/', dollar);
    if (nameEnd == std::string::npos) nameEnd = value.size();
  }
  std::string variable;
  FakePlatform lookup;
  setEnvironment(lookup, entries);
  if (dollar == std::string::npos || nameEnd == dollar + 1 ||
      !lookup.getEnvironment(value.substr(dollar + 1, nameEnd - dollar - 1),
                             &variable)) {
    FUZZ_CHECK(got.result == value);
    FUZZ_CHECK(!got.wrapped);
    return;
  }

  const std::string& result = got.result;
  FUZZ_CHECK(result.find('\\') == std::string::npos);
  const size_t equals = value.find('=');
  const bool quoted =
      variable.find(' ') != std::string::npos &&
      (quote || (equals != std::string::npos && equals < dollar));
  const size_t added = quoted ? 2 : 0;
  const size_t whole =
      dollar + variable.size() + (value.size() - nameEnd) + added;
  // At most the one separator after the name may be dropped, and only when
  // the variable's value already ends in one.
  FUZZ_CHECK(result.size() == whole || result.size() + 1 == whole);
  const size_t skipped = whole - result.size();
  if (skipped == 1)
    FUZZ_CHECK(!variable.empty() && isSeparator(variable.back()) &&
               nameEnd < value.size() && isSeparator(value[nameEnd]));

  const std::string prefix = slashed(value.substr(0, dollar));
  FUZZ_CHECK(fuzz::startsWith(result, prefix) ||
             fuzz::startsWith(result, "\"" + prefix));
  FUZZ_CHECK(result.find(slashed(variable), dollar) != std::string::npos);
  const std::string tail = slashed(value.substr(nameEnd + skipped));
  FUZZ_CHECK(endsWith(result, tail) || endsWith(result, tail + "\""));
  if (got.wrapped)
    FUZZ_CHECK(quoted && result.front() == '"' && result.back() == '"');
}

}  // namespace
}  // namespace kite

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kite;
  if (size == 0) return 0;
  const bool quote = data[0] & 1;
  std::vector<std::string> lines = fuzz::splitOn(
      std::string(reinterpret_cast<const char*>(data) + 1, size - 1), "\n");
  const std::string value = lines[0];
  lines.erase(lines.begin());

  const Expanded plain = expandWith(value, quote, false, lines);
  const Expanded debug = expandWith(value, quote, true, lines);
  FUZZ_CHECK(debug.result == plain.result);
  FUZZ_CHECK(debug.wrapped == plain.wrapped);
  checkExpansion(value, quote, lines, plain);
  return 0;
}
