// Fuzz target: Java version parsing, comparison, version windows, the
// "release" file reader and the choice among runtimes.
//
// Input: lines.  The whole input is read as a "release" file.  The first
// line is a window's minimum and the second its maximum (each ignored when it
// is no version); the first three lines are also compared with one another.
// Every line from the third on is a candidate runtime whose version is the
// line's text, with its executable missing when the line starts with "!".
//
// Checked for every input, besides what the sanitizers catch (each text is
// handed over in a buffer of exactly its size, so reading past it shows):
//  - a parsed version names 1 to 4 numbers, none above the limit, and its
//    canonical form parses back to the same numbers and component count;
//    surrounding spaces do not change what parses;
//  - comparison is reflexive, antisymmetric and transitive;
//  - a window is empty exactly when it does not admit its own minimum, an
//    empty window admits nothing, and nothing below the minimum is admitted;
//  - the window's words and download page are never empty;
//  - a release file version is a non-empty part of one line of the input;
//  - the chosen candidate is admitted, has its executable, and is above
//    every earlier eligible one and at least every later one; exactly the
//    chosen one has no reason.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "runtime/java_version.h"

#define VERSION_CHECK(condition)                                      \
  do {                                                                \
    if (!(condition)) {                                               \
      std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, \
                   __LINE__, #condition);                             \
      __builtin_trap();                                               \
    }                                                                 \
  } while (0)

namespace kite {
namespace {

// `text` copied into a heap block of exactly its size.
struct ExactText {
  explicit ExactText(std::string_view text)
      : size(text.size()), bytes(new char[text.size()]) {
    if (size) std::memcpy(bytes.get(), text.data(), size);
  }
  std::string_view view() const { return std::string_view(bytes.get(), size); }
  size_t size;
  std::unique_ptr<char[]> bytes;
};

std::optional<JavaVersion> parseExact(std::string_view text) {
  const ExactText exact(text);
  return parseJavaVersion(exact.view());
}

int sign(int value) { return (value > 0) - (value < 0); }

bool sameNumbers(const JavaVersion& a, const JavaVersion& b) {
  return compareVersions(a, b) == 0 && a.components == b.components;
}

std::optional<JavaVersion> checkVersion(std::string_view text) {
  const std::optional<JavaVersion> version = parseExact(text);
  const std::optional<JavaVersion> padded =
      parseJavaVersion(" \t" + std::string(text) + "\r\n");
  VERSION_CHECK(version.has_value() == padded.has_value());
  VERSION_CHECK(!versionDisplayName(text).empty() ||
                text.find_first_not_of(" \t\r\n") == std::string_view::npos);
  if (!version) return version;
  VERSION_CHECK(sameNumbers(*version, *padded));
  VERSION_CHECK(version->components >= 1 && version->components <= 4);
  for (unsigned number :
       {version->feature, version->interim, version->update, version->patch})
    VERSION_CHECK(number <= kMaxVersionNumber);
  VERSION_CHECK(compareVersions(*version, *version) == 0);
  const std::string canonical = formatVersion(*version);
  const std::optional<JavaVersion> again = parseExact(canonical);
  VERSION_CHECK(again && sameNumbers(*version, *again));
  VERSION_CHECK(formatVersion(*again) == canonical);
  return version;
}

void checkOrder(const std::vector<JavaVersion>& versions) {
  for (const JavaVersion& a : versions)
    for (const JavaVersion& b : versions) {
      VERSION_CHECK(sign(compareVersions(a, b)) ==
                    -sign(compareVersions(b, a)));
      for (const JavaVersion& c : versions)
        if (compareVersions(a, b) <= 0 && compareVersions(b, c) <= 0)
          VERSION_CHECK(compareVersions(a, c) <= 0);
    }
}

// A runtime as far as choosing among them goes.
struct VersionedCandidate {
  std::optional<JavaVersion> version;
  bool executableExists = false;
};

void checkWindow(const VersionWindow& window,
                 const std::vector<VersionedCandidate>& candidates) {
  VERSION_CHECK(!describeWindow(window).empty());
  VERSION_CHECK(fuzz::startsWith(defaultDownloadUrl(window),
                                 "https://adoptium.net/temurin/releases/"));
  const bool empty = windowIsEmpty(window);
  if (window.min) VERSION_CHECK(windowAdmits(window, *window.min) == !empty);
  if (!window.min || !window.max) VERSION_CHECK(!empty);
  if (window.max)
    VERSION_CHECK(
        windowAdmits(window, *window.max) ==
        (!window.min || compareVersions(*window.max, *window.min) >= 0));

  std::vector<std::optional<JavaVersion>> versions;
  for (const VersionedCandidate& c : candidates) versions.push_back(c.version);
  const CandidateChoice choice = chooseCandidate(
      versions, window,
      [&](size_t i) { return candidates.at(i).executableExists; });
  VERSION_CHECK(choice.reasons.size() == candidates.size());
  const VersionedCandidate* best =
      choice.chosen ? &candidates.at(*choice.chosen) : nullptr;
  if (best)
    VERSION_CHECK(best->executableExists && best->version &&
                  windowAdmits(window, *best->version));
  for (size_t i = 0; i < candidates.size(); ++i) {
    const VersionedCandidate& candidate = candidates[i];
    VERSION_CHECK(choice.reasons[i].empty() == (choice.chosen == i));
    if (!candidate.version) continue;
    const bool admitted = windowAdmits(window, *candidate.version);
    if (empty) VERSION_CHECK(!admitted);
    if (admitted && window.min)
      VERSION_CHECK(compareVersions(*candidate.version, *window.min) >= 0);
    if (!admitted || !candidate.executableExists) continue;
    VERSION_CHECK(best != nullptr);
    const int order = compareVersions(*candidate.version, *best->version);
    VERSION_CHECK(i < *choice.chosen ? order < 0 : order <= 0);
  }
}

void checkReleaseFile(std::string_view text) {
  const ExactText exact(text);
  const std::optional<std::string> version = releaseFileVersion(exact.view());
  if (!version) return;
  VERSION_CHECK(!version->empty());
  VERSION_CHECK(version->find('\n') == std::string::npos);
  VERSION_CHECK(text.find(*version) != std::string_view::npos);
  checkVersion(*version);
}

}  // namespace
}  // namespace kite

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kite;
  const std::string input(reinterpret_cast<const char*>(data), size);
  checkReleaseFile(input);
  const std::vector<std::string> lines = fuzz::splitOn(input, "\n");

  std::vector<JavaVersion> compared;
  std::vector<std::optional<JavaVersion>> parsed;
  for (const std::string& line : lines) {
    parsed.push_back(checkVersion(line));
    if (parsed.size() <= 3 && parsed.back()) compared.push_back(*parsed.back());
  }
  checkOrder(compared);

  VersionWindow window;
  window.min = parsed[0];
  if (window.min) window.minText = lines[0];
  if (lines.size() > 1 && parsed[1]) {
    window.max = parsed[1];
    window.maxText = lines[1];
  }
  std::vector<VersionedCandidate> candidates;
  for (size_t i = 2; i < lines.size(); ++i) {
    const bool missing = !lines[i].empty() && lines[i][0] == '!';
    candidates.push_back(
        {missing ? parseJavaVersion(lines[i].substr(1)) : parsed[i], !missing});
  }
  checkWindow(window, candidates);
  return 0;
}
