#include "runtime/version_search.h"

#include <climits>

#include "base/exit_codes.h"
#include "platform/debug_output.h"
#include "runtime/download_prompt.h"
#include "runtime/java_registry.h"

namespace kite {
namespace {

// A family request has no "_" or has a "+": it asks for the highest
// installed patch level rather than one exact key.
bool isFamilyRequest(const std::string& request) {
  return request.find('_') == std::string::npos ||
         request.find('+') != std::string::npos;
}

// Walks the subkeys of the base key for the family of the request.  The
// winner is the subkey with the highest patch level at or above the one
// requested; among equal levels the one enumerated last wins.
void searchFamily(Platform& platform, RegistryKey key, VersionSearch& search) {
  const unsigned long count = platform.countRegistrySubkeys(key);
  int wanted = search.requestedLevel;
  std::string name;
  for (unsigned long i = 0; i < count; ++i) {
    if (platform.enumRegistrySubkey(key, i, &name) != 0) continue;
    SubkeyConsidered subkey;
    subkey.index = static_cast<int>(i + 1);
    subkey.name = name;
    subkey.inFamily = name.compare(0, search.family.size(), search.family) == 0;
    subkey.hasPatch = subkey.inFamily && name.find('_') != std::string::npos;
    if (subkey.hasPatch) {
      subkey.patchLevel = patchLevel(name);
      subkey.levelToReach = wanted;
      if (subkey.patchLevel >= wanted) {
        wanted = subkey.patchLevel;
        search.chosen = name;
        subkey.bestSoFar = true;
      }
    }
    search.subkeys.push_back(std::move(subkey));
  }
  // A search that never lifted the level above 0 keeps the request itself.
  if (wanted <= 0) search.chosen.clear();
}

// Ends the search with `failure`, and the launcher with `outcome`.
void fail(VersionSearch& search, VersionFailure failure, Outcome outcome) {
  search.failure = failure;
  search.outcome = outcome;
}

// Writes the family search's trace lines in pieces of about kTracePiece
// bytes, each ending at a line end: every write is a system call (under
// Wine a round trip to its server, too), so a search over many runtimes is
// not written line by line, and the pieces stay small so that the text is
// never one large allocation.
void traceSearch(const VersionSearch& search, Platform& platform) {
  constexpr size_t kTracePiece = 8192;
  std::string piece = formatText("javaVersion=%s, javaVer=%s\n",
                                 search.request.c_str(), search.family.c_str());
  for (const SubkeyConsidered& subkey : search.subkeys) {
    if (piece.size() >= kTracePiece) {
      platform.writeOut(piece);
      piece.clear();
    }
    const char* name = subkey.name.c_str();
    piece += formatText("checking (%d) %s\n", subkey.index, name);
    if (!subkey.inFamily) continue;
    piece += formatText("found correct java version %s. checking patch level\n",
                        name);
    if (!subkey.hasPatch) {
      piece += formatText("No patch level found in %s\n", name);
      continue;
    }
    piece += formatText("checking patch level %d against %d\n",
                        subkey.patchLevel, subkey.levelToReach);
    if (subkey.bestSoFar)
      piece += formatText("found latest java version %s\n", name);
  }
  platform.writeOut(piece);
}

}  // namespace

int patchLevel(const std::string& version) {
  const size_t underscore = version.find('_');
  if (underscore == std::string::npos) return 0;
  long long level = 0;
  for (size_t i = underscore + 1; i < version.size(); ++i) {
    const char c = version[i];
    if (c < '0' || c > '9') break;
    level = level * 10 + (c - '0');
    if (level > INT_MAX) return INT_MAX;
  }
  return static_cast<int>(level);
}

VersionSearch findJavaForVersion(LaunchSettings& settings, Platform& platform) {
  VersionSearch search;
  search.request = settings.javaVersion.value_or("");
  if (search.request.empty()) {
    fail(search, VersionFailure::kNoRequest,
         Outcome::exitWith(kExitVersionUnresolved));
    return search;
  }

  search.familySearch = isFamilyRequest(search.request);
  if (search.familySearch) {
    search.family = search.request.substr(0, search.request.find('_'));
    search.requestedLevel = patchLevel(search.request);
    RegistryKey key = 0;
    if (platform.openRegistryKey(kClassicRegistryRoot, kJavaRegistryKey,
                                 &key) != 0) {
      debugBox(settings, platform, "Java Current Version",
               "Error Accessing Registry!", kBoxError);
      fail(search, VersionFailure::kNoRegistryBase,
           offerRuntimeDownload(settings, platform,
                                "Java Runtime Environment Not Found"));
      return search;
    }
    searchFamily(platform, key, search);
    // Written even outside debug mode: it is how a user sees which
    // runtimes the family search looked at.
    traceSearch(search, platform);
    platform.closeRegistryKey(key);
    if (search.chosen.empty() && search.requestedLevel > 0) {
      fail(search, VersionFailure::kNoPatchReached,
           offerRuntimeDownload(settings, platform,
                                "Incompatible JRE Version Found"));
      return search;
    }
    if (!search.chosen.empty()) settings.javaVersion = search.chosen;
  }

  search.versionKey = *settings.javaVersion;
  const std::string path =
      std::string(kJavaRegistryKey) + "\\" + search.versionKey;
  debugBox(settings, platform, path.c_str(), "JavaInstallRegPath");
  std::string home;
  switch (readJavaHome(platform, path, &home)) {
    case 1:
      debugBox(settings, platform, "Java Current Version",
               "Error Accessing Registry!", kBoxError);
      offerDownloadPage(settings, platform, runtimeRequirementText(settings),
                        kDownloadQuestion, "Java Runtime Environment Not Found",
                        classicDownloadPage(settings));
      fail(search, VersionFailure::kNoVersionKey,
           Outcome::exitWith(kExitVersionUnresolved));
      return search;
    case 2:
      debugBox(settings, platform, "Java Home Directory",
               "Error Reading Registry!", kBoxError);
      platform.showMessageBox(
          formatText("No Java Home Directory Found for %s ", path.c_str())
              .c_str(),
          "Error!", kBoxError);
      fail(search, VersionFailure::kNoJavaHome,
           Outcome::exitWith(kExitVersionUnresolved));
      return search;
  }
  search.runtime = composeJavaExecutable(settings, platform, home);
  return search;
}

}  // namespace kite
