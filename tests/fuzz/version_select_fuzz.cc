// Fuzz target: runtime version selection over arbitrary registry subkey
// names and requests, through the in-memory registry.
//
// Input: lines.  The first is the requested version (a "javaVersion"
// value).  A line "=TEXT" sets the base key's "CurrentVersion"; any other
// line names a subkey of the base key, whose "JavaHome" is C:\jre\<name>
// unless the line starts with "!" (a runtime entry without a home).  An
// empty line only makes sure the base key exists; with no lines after the
// request there is no base key at all.
//
// Checked for every input, besides what the sanitizers catch:
//  - findJavaForVersion finds a path, or finds none and ends the launcher
//    with 5 or 11, and leaves no registry key open; so does findDefaultJava
//    (ending it with its own code);
//  - an exact request (a "_" and no "+") is used as it stands;
//  - a family request that changes the version picks an installed subkey of
//    that family with a patch level, at least the one asked for and at
//    least that of every other such subkey;
//  - a returned path is the composition of the chosen key's "JavaHome";
//    nothing returned means that key or its home is missing;
//  - debug mode changes neither the outcome nor the version chosen.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/exit_codes.h"
#include "fuzz_support.h"
#include "platform/fake_platform.h"
#include "runtime/java_registry.h"
#include "runtime/version_search.h"

namespace kite {
namespace {

const std::string kBase = kJavaRegistryKey;

// The number after the first "_", saturating; 0 without digits.
long long level(const std::string& version) {
  const size_t underscore = version.find('_');
  long long value = 0;
  if (underscore == std::string::npos) return 0;
  for (size_t i = underscore + 1; i < version.size(); ++i) {
    if (version[i] < '0' || version[i] > '9') break;
    value = std::min<long long>(value * 10 + (version[i] - '0'), INT_MAX);
  }
  return value;
}

struct Registry {
  bool hasBase = false;
  std::optional<std::string> currentVersion;
  std::vector<std::string> names;  // as installed, in enumeration order
};

Registry parse(const std::vector<std::string>& lines) {
  Registry registry;
  registry.hasBase = lines.size() > 1;
  for (size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (!line.empty() && line[0] == '=') {
      registry.currentVersion = line.substr(1);
      continue;
    }
    // Registry key names hold no backslash and are at most 255 characters.
    std::string name = fuzz::without(line, std::string("\\\0", 2));
    if (name.size() > 255) name.resize(255);
    if (!name.empty() && !(name == "!")) registry.names.push_back(name);
  }
  return registry;
}

void install(FakePlatform& platform, const Registry& registry) {
  if (!registry.hasBase) return;
  platform.addRegistryKey(kBase);
  if (registry.currentVersion)
    platform.setRegistryValue(kBase, "CurrentVersion",
                              *registry.currentVersion);
  for (const std::string& name : registry.names) {
    if (name[0] == '!')
      platform.addRegistryKey(kBase + "\\" + name.substr(1));
    else
      platform.setRegistryValue(kBase + "\\" + name, "JavaHome",
                                "C:\\jre\\" + name);
  }
}

// The installed subkey names, in enumeration order, as the registry has them.
std::vector<std::string> installedNames(FakePlatform& platform) {
  std::vector<std::string> names;
  RegistryKey key = 0;
  if (platform.openRegistryKey(kClassicRegistryRoot, kBase, &key) != 0) return names;
  std::string name;
  for (unsigned long i = 0; platform.enumRegistrySubkey(key, i, &name) == 0;
       ++i)
    names.push_back(name);
  platform.closeRegistryKey(key);
  return names;
}

std::optional<std::string> homeOf(FakePlatform& platform,
                                  const std::string& path) {
  RegistryKey key = 0;
  if (platform.openRegistryKey(kClassicRegistryRoot, path, &key) != 0) return std::nullopt;
  std::string home;
  const long status = platform.readRegistryString(key, "JavaHome", &home);
  platform.closeRegistryKey(key);
  if (status != 0) return std::nullopt;
  return home;
}

struct Result {
  std::optional<int> exitCode;
  OptionalText path;
  OptionalText version;
};

Result selectVersion(const std::string& request, const Registry& registry,
                     bool debug) {
  FakePlatform platform;
  install(platform, registry);
  LaunchSettings settings;
  settings.debugMode = debug;
  settings.javaVersion = request;
  Result outcome;
  const VersionSearch search = findJavaForVersion(settings, platform);
  outcome.path = search.runtime;
  if (search.outcome.endsLauncher()) outcome.exitCode = search.outcome.exitCode();
  outcome.version = settings.javaVersion;
  FUZZ_CHECK(platform.openRegistryKeys == 0);
  // A search that ends the launcher found nothing, and the other way round.
  FUZZ_CHECK(outcome.exitCode.has_value() == !outcome.path.has_value());
  FUZZ_CHECK(!outcome.exitCode || *outcome.exitCode == kExitRuntimeMissing ||
             *outcome.exitCode == kExitVersionUnresolved);
  if ((outcome.exitCode && *outcome.exitCode == kExitRuntimeMissing) || debug)
    return outcome;

  // What the registry holds, asked independently of the code under test.
  const std::vector<std::string> names = installedNames(platform);
  const std::string& chosen = *outcome.version;
  const bool exact = request.find('_') != std::string::npos &&
                     request.find('+') == std::string::npos;
  if (exact || request.empty()) FUZZ_CHECK(chosen == request);
  if (chosen != request) {
    const std::string family = request.substr(0, request.find('_'));
    FUZZ_CHECK(std::find(names.begin(), names.end(), chosen) != names.end());
    FUZZ_CHECK(fuzz::startsWith(chosen, family));
    FUZZ_CHECK(chosen.find('_') != std::string::npos);
    FUZZ_CHECK(level(chosen) >= level(request) && level(chosen) > 0);
    for (const std::string& name : names)
      if (fuzz::startsWith(name, family) && name.find('_') != std::string::npos)
        FUZZ_CHECK(level(name) <= level(chosen));
  }
  const std::optional<std::string> home =
      request.empty() ? std::nullopt : homeOf(platform, kBase + "\\" + chosen);
  FUZZ_CHECK(outcome.path.has_value() == home.has_value());
  if (home) {
    LaunchSettings plain;
    FUZZ_CHECK(*outcome.path == composeJavaExecutable(plain, platform, *home));
  }
  return outcome;
}

void checkDefault(const Registry& registry) {
  FakePlatform platform;
  install(platform, registry);
  LaunchSettings settings;
  const DefaultLookup lookup = findDefaultJava(settings, platform);
  const OptionalText& path = lookup.runtime;
  FUZZ_CHECK(lookup.outcome.endsLauncher() == !path.has_value());
  FUZZ_CHECK(platform.openRegistryKeys == 0);
  std::optional<std::string> home;
  if (registry.hasBase && registry.currentVersion)
    home = homeOf(platform, kBase + "\\" + *registry.currentVersion);
  FUZZ_CHECK(path.has_value() == home.has_value());
  if (home)
    FUZZ_CHECK(*path == composeJavaExecutable(settings, platform, *home));
  FUZZ_CHECK(path || platform.boxes.size() == 1);
}

}  // namespace
}  // namespace kite

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace kite;
  const std::vector<std::string> lines = fuzz::splitOn(
      std::string(reinterpret_cast<const char*>(data), size), "\n");
  const Registry registry = parse(lines);
  const Result plain = selectVersion(lines[0], registry, false);
  const Result debug = selectVersion(lines[0], registry, true);
  FUZZ_CHECK(debug.exitCode == plain.exitCode);
  FUZZ_CHECK(debug.version == plain.version);
  FUZZ_CHECK(debug.path.has_value() == plain.path.has_value());
  checkDefault(registry);
  return 0;
}
