#include "launcher/app_environment.h"

#include <algorithm>
#include <utility>

#include "base/letter_case.h"
#include "base/text.h"
#include "platform/debug_output.h"

namespace kite {
namespace {

// The name of an entry "NAME=value".  Windows keeps the current folder of
// each drive in entries such as "=C:=C:\dir", whose name begins with "=".
std::string entryName(const std::string& entry) {
  return entry.substr(0, entry.find('=', 1));
}

// Windows compares variable names without regard to letter case, in every
// script ("ÄPP" and "äpp" are one variable), and keeps them in that order.
bool sameName(const std::string& a, const std::string& b) {
  return compareIgnoringCase(a, b) == 0;
}

}  // namespace

std::string appDirectory(const std::string& exePath) {
  return folderOf(exePath);
}

void setAppVariables(const std::string& exePath, Platform& platform) {
  platform.setEnvironmentVariable("KITE_APP_DIR", appDirectory(exePath));
  platform.setEnvironmentVariable("KITE_APP_EXE", exePath);
}

std::string expandPercentReferences(const std::string& text,
                                    const VariableLookup& lookup) {
  std::string out;
  size_t at = 0;
  while (at < text.size()) {
    const size_t open = text.find('%', at);
    const size_t close =
        open == std::string::npos ? open : text.find('%', open + 1);
    if (close == std::string::npos) break;
    out.append(text, at, open - at);
    std::string value;
    if (close > open + 1 &&
        lookup(text.substr(open + 1, close - open - 1), &value)) {
      out += value;
      at = close + 1;
    } else {
      // Not a reference: its text stays, and its closing "%" may open the
      // next one.
      out.append(text, open, close - open);
      at = close;
    }
  }
  out.append(text, at, std::string::npos);
  return out;
}

bool splitEnvironmentLine(const std::string& line, std::string* name,
                          std::string* value) {
  const size_t equals = line.find('=');
  if (equals == std::string::npos || equals == 0) return false;
  *name = line.substr(0, equals);
  *value = line.substr(equals + 1);
  return true;
}

std::vector<std::string> applyEnvironmentLines(
    std::vector<std::string> entries, const std::vector<std::string>& lines) {
  const auto find = [&entries](const std::string& name) {
    return std::find_if(entries.begin(), entries.end(),
                        [&name](const std::string& entry) {
                          return sameName(entryName(entry), name);
                        });
  };
  const VariableLookup lookup = [&](const std::string& name,
                                    std::string* value) {
    const auto found = find(name);
    if (found == entries.end()) return false;
    *value = found->substr(entryName(*found).size() + 1);
    return true;
  };
  for (const std::string& line : lines) {
    std::string name, value;
    if (!splitEnvironmentLine(line, &name, &value)) continue;
    std::string entry = name + "=" + expandPercentReferences(value, lookup);
    const auto found = find(name);
    if (found == entries.end())
      entries.push_back(std::move(entry));
    else
      *found = std::move(entry);
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const std::string& a, const std::string& b) {
                     return compareIgnoringCase(entryName(a), entryName(b)) < 0;
                   });
  return entries;
}

std::optional<std::vector<std::string>> childEnvironment(
    const LaunchSettings& settings, Platform& platform) {
  if (settings.environment.empty()) return std::nullopt;
  std::vector<std::string> entries =
      applyEnvironmentLines(platform.listEnvironment(), settings.environment);
  if (settings.debugMode) {
    // Each variable the lines set, once, as the application gets it.
    std::vector<std::string> traced;
    for (const std::string& line : settings.environment) {
      std::string name, value;
      if (!splitEnvironmentLine(line, &name, &value)) continue;
      if (std::any_of(traced.begin(), traced.end(),
                      [&name](const std::string& done) {
                        return sameName(done, name);
                      }))
        continue;
      traced.push_back(name);
      for (const std::string& entry : entries)
        if (sameName(entryName(entry), name))
          debugTrace(settings, platform, "env %s\n", entry.c_str());
    }
  }
  return entries;
}

}  // namespace kite
