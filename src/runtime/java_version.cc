#include "runtime/java_version.h"

#include <algorithm>

#include "base/unicode.h"

namespace kite {
namespace {

constexpr std::string_view kDownloadPage =
    "https://adoptium.net/temurin/releases/";
constexpr std::string_view kReleaseKey = "JAVA_VERSION";

bool isDigit(char c) { return c >= '0' && c <= '9'; }

bool isAlphanumeric(char c) {
  return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trimmed(std::string_view text) {
  constexpr std::string_view kSpace = " \t\r\n";
  const size_t first = text.find_first_not_of(kSpace);
  if (first == std::string_view::npos) return std::string_view();
  const size_t last = text.find_last_not_of(kSpace);
  return text.substr(first, last - first + 1);
}

// A pre-release suffix or build after its "-" or "+": letters, digits, "."
// and "-", starting with a letter or digit.
bool isValidTag(std::string_view tag) {
  if (tag.empty() || !isAlphanumeric(tag[0])) return false;
  for (char c : tag)
    if (!isAlphanumeric(c) && c != '.' && c != '-') return false;
  return true;
}

// The version numbers and what follows each one but the last ("." or "_").
struct NumberList {
  std::vector<unsigned> numbers;
  std::vector<char> separators;
};

// Reads "N(sepN)*" with sep one of "." and "_"; nothing when a number is
// empty or too large, or another character shows up.
std::optional<NumberList> readNumbers(std::string_view text) {
  NumberList list;
  size_t i = 0;
  for (;;) {
    if (i == text.size() || !isDigit(text[i])) return std::nullopt;
    unsigned value = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
      value = value * 10 + static_cast<unsigned>(text[i] - '0');
      if (value > kMaxVersionNumber) return std::nullopt;
    }
    list.numbers.push_back(value);
    if (i == text.size()) return list;
    if (text[i] != '.' && text[i] != '_') return std::nullopt;
    list.separators.push_back(text[i]);
    ++i;
  }
}

struct ParsedText {
  JavaVersion version;
  bool legacy = false;
  std::string_view withoutBuild;  // the trimmed text up to any "+"
};

std::optional<ParsedText> parseText(std::string_view text) {
  ParsedText parsed;
  std::string_view rest = trimmed(text);
  const size_t plus = rest.find('+');
  if (plus != std::string_view::npos) {
    if (!isValidTag(rest.substr(plus + 1))) return std::nullopt;
    rest = rest.substr(0, plus);
  }
  parsed.withoutBuild = rest;
  const size_t dash = rest.find('-');
  if (dash != std::string_view::npos) {
    if (!isValidTag(rest.substr(dash + 1))) return std::nullopt;
    rest = rest.substr(0, dash);
  }
  const std::optional<NumberList> list = readNumbers(rest);
  if (!list) return std::nullopt;
  const std::vector<unsigned>& n = list->numbers;
  const std::vector<char>& separators = list->separators;

  // "1.F..." is the legacy scheme: the "1." goes, and "_" may only stand
  // between the interim and the update number.
  parsed.legacy = n[0] == 1 && n.size() >= 2;
  size_t first = 0;
  if (parsed.legacy) {
    if (n.size() > 4) return std::nullopt;
    for (size_t i = 0; i < separators.size(); ++i)
      if (separators[i] == '_' && i != 2) return std::nullopt;
    first = 1;
  } else {
    for (char c : separators)
      if (c == '_') return std::nullopt;
  }
  unsigned* fields[] = {&parsed.version.feature, &parsed.version.interim,
                        &parsed.version.update, &parsed.version.patch};
  int count = 0;
  for (size_t i = first; i < n.size() && count < 4; ++i)
    *fields[count++] = n[i];
  parsed.version.components = count;
  return parsed;
}

int effectiveComponents(const JavaVersion& version) {
  return version.components >= 1 && version.components <= 4 ? version.components
                                                            : 4;
}

// `version` with the numbers after the first `count` set to 0.
JavaVersion cutTo(JavaVersion version, int count) {
  if (count < 2) version.interim = 0;
  if (count < 3) version.update = 0;
  if (count < 4) version.patch = 0;
  return version;
}

bool belowMaximum(const JavaVersion& max, const JavaVersion& version) {
  return compareVersions(cutTo(version, effectiveComponents(max)), max) <= 0;
}

std::string boundWords(const JavaVersion& bound, const std::string& text) {
  if (trimmed(text).empty()) return formatVersion(bound);
  return versionDisplayName(text);
}

int compareNumbers(unsigned a, unsigned b) { return a < b ? -1 : a > b; }

}  // namespace

std::optional<JavaVersion> parseJavaVersion(std::string_view text) {
  const std::optional<ParsedText> parsed = parseText(text);
  if (!parsed) return std::nullopt;
  return parsed->version;
}

int compareVersions(const JavaVersion& a, const JavaVersion& b) {
  if (int c = compareNumbers(a.feature, b.feature)) return c;
  if (int c = compareNumbers(a.interim, b.interim)) return c;
  if (int c = compareNumbers(a.update, b.update)) return c;
  return compareNumbers(a.patch, b.patch);
}

std::string formatVersion(const JavaVersion& version) {
  const unsigned numbers[] = {version.feature, version.interim, version.update,
                              version.patch};
  int count = effectiveComponents(version);
  for (int i = count; i < 4; ++i)
    if (numbers[i] != 0) count = i + 1;
  // "1.x" reads as the legacy scheme, so a feature 1 that names more than
  // itself is written in that scheme ("1.1.8", "1.1.8_2").
  const bool legacy = version.feature == 1 && count >= 2;
  if (legacy && count > 3) count = 3;
  std::string text = legacy ? "1.1" : std::to_string(numbers[0]);
  for (int i = 1; i < count; ++i)
    text += (legacy && i == 2 ? "_" : ".") + std::to_string(numbers[i]);
  return text;
}

std::string versionDisplayName(std::string_view text) {
  const std::optional<ParsedText> parsed = parseText(text);
  if (!parsed) return std::string(trimmed(text));
  const JavaVersion& v = parsed->version;
  if (!parsed->legacy || v.interim != 0)
    return std::string(parsed->withoutBuild);
  std::string name = std::to_string(v.feature);
  if (v.components >= 3) name += "u" + std::to_string(v.update);
  return name;
}

bool windowAdmits(const VersionWindow& window, const JavaVersion& version) {
  if (window.min && compareVersions(version, *window.min) < 0) return false;
  if (window.max && !belowMaximum(*window.max, version)) return false;
  return true;
}

bool windowIsEmpty(const VersionWindow& window) {
  // The versions a maximum admits reach down to zero and those a minimum
  // admits start at the minimum, so the window holds something exactly when
  // it holds its minimum.
  return window.min && window.max && !belowMaximum(*window.max, *window.min);
}

std::string describeWindow(const VersionWindow& window) {
  if (!window.min && !window.max) return "Java";
  if (!window.max)
    return "Java " + boundWords(*window.min, window.minText) + " or later";
  const std::string maxWords = boundWords(*window.max, window.maxText);
  if (!window.min) return "Java " + maxWords + " or earlier";
  const std::string minWords = boundWords(*window.min, window.minText);
  if (minWords == maxWords) return "Java " + minWords;
  if (compareVersions(*window.min, *window.max) == 0) {
    // The same version written twice: name it as the bound that names fewer
    // numbers, the broader reading of the two.
    const bool maxBroader =
        effectiveComponents(*window.max) < effectiveComponents(*window.min);
    return "Java " + (maxBroader ? maxWords : minWords);
  }
  return "Java " + minWords + " to " + maxWords;
}

std::string defaultDownloadUrl(const VersionWindow& window) {
  std::string url(kDownloadPage);
  if (window.min) url += "?version=" + std::to_string(window.min->feature);
  return url;
}

std::optional<std::string> releaseFileVersion(std::string_view text) {
  if (text.substr(0, kUtf8ByteOrderMark.size()) == kUtf8ByteOrderMark)
    text.remove_prefix(kUtf8ByteOrderMark.size());
  while (!text.empty()) {
    const size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view()
                                         : text.substr(end + 1);
    if (line.substr(0, kReleaseKey.size()) != kReleaseKey) continue;
    line.remove_prefix(kReleaseKey.size());
    while (!line.empty() && isBlank(line.front())) line.remove_prefix(1);
    // Another key that merely starts alike, such as JAVA_VERSION_DATE.
    if (line.empty() || line.front() != '=') continue;
    std::string_view value = trimmed(line.substr(1));
    if (!value.empty() && (value.front() == '"' || value.front() == '\'')) {
      const size_t close = value.find(value.front(), 1);
      if (close == std::string_view::npos) return std::nullopt;
      value = value.substr(1, close - 1);
    }
    if (value.empty()) return std::nullopt;
    return std::string(value);
  }
  return std::nullopt;
}

CandidateChoice chooseCandidate(
    const std::vector<std::optional<JavaVersion>>& versions,
    const VersionWindow& window, const ExecutableCheck& executableExists,
    std::string_view executableName) {
  CandidateChoice choice;
  choice.reasons.resize(versions.size());
  std::vector<size_t> admitted;
  for (size_t i = 0; i < versions.size(); ++i) {
    const std::optional<JavaVersion>& version = versions[i];
    std::string& reason = choice.reasons[i];
    if (!version) {
      reason = "version unknown";
    } else if (window.min && compareVersions(*version, *window.min) < 0) {
      reason = "version " + formatVersion(*version) + " is below the minimum " +
               boundWords(*window.min, window.minText);
    } else if (!windowAdmits(window, *version)) {
      reason = "version " + formatVersion(*version) + " is above the maximum " +
               boundWords(*window.max, window.maxText);
    } else {
      admitted.push_back(i);
    }
  }
  // Highest first; between equal versions the one found first.
  std::stable_sort(admitted.begin(), admitted.end(), [&](size_t a, size_t b) {
    return compareVersions(*versions[a], *versions[b]) > 0;
  });
  for (const size_t i : admitted) {
    if (!choice.chosen) {
      if (executableExists(i))
        choice.chosen = i;
      else
        choice.reasons[i] = std::string(executableName) + " does not exist";
      continue;
    }
    const JavaVersion& best = *versions[*choice.chosen];
    choice.reasons[i] =
        compareVersions(*versions[i], best) == 0
            ? "same version as an earlier candidate"
            : "a higher version was found (" + formatVersion(best) + ")";
  }
  return choice;
}

}  // namespace kite
