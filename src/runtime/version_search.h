// Resolving a "javaVersion" request: an exact registry key, or the highest
// installed patch level of a version family.  The search returns what it
// did as data; its trace lines are formatted from that record, and
// kitecheck reads the record.
#ifndef KITE_RUNTIME_VERSION_SEARCH_H_
#define KITE_RUNTIME_VERSION_SEARCH_H_

#include <string>
#include <vector>

#include "base/launch_settings.h"
#include "base/outcome.h"
#include "platform/platform.h"

namespace kite {

// One registry subkey the family search considered, in enumeration order.
struct SubkeyConsidered {
  int index = 0;  // from 1
  std::string name;
  bool inFamily = false;   // the name begins with the family
  bool hasPatch = false;   // ... and holds a "_"
  int patchLevel = 0;      // ... which gives this level
  int levelToReach = 0;    // the level it was compared against
  bool bestSoFar = false;  // it reached that level, and was the best then
};

enum class VersionFailure {
  kNone,
  kNoRequest,       // the "javaVersion" value is empty
  kNoRegistryBase,  // a family search found no base key
  kNoPatchReached,  // no subkey of the family reaches the requested level
  kNoVersionKey,    // the version key does not exist
  kNoJavaHome,      // the version key has no readable "JavaHome"
};

struct VersionSearch {
  std::string request;        // settings.javaVersion as the line gave it
  bool familySearch = false;  // no "_", or a "+": a family search ran
  std::string family;         // the request up to its first "_"
  int requestedLevel = 0;     // the request's own patch level
  std::vector<SubkeyConsidered> subkeys;
  // The subkey the family search settled on; empty when it kept the request
  // (no subkey lifted the patch level above 0).
  std::string chosen;
  std::string versionKey;  // the version key looked up; empty: none
  VersionFailure failure = VersionFailure::kNone;
  OptionalText runtime;  // the executable path when found
  // Goes on with `runtime`, or ends the launcher (5 or 11) after the boxes
  // that say why.
  Outcome outcome = Outcome::goOn();
};

// Resolves settings.javaVersion (replaced by the chosen key name after a
// family search that found one), showing the boxes and prompts on the way
// and writing the family search's trace lines.
VersionSearch findJavaForVersion(LaunchSettings& settings, Platform& platform);

// The number after the first "_" (digits only, up to the first other
// character; 0 without digits).  Saturates instead of overflowing.
int patchLevel(const std::string& version);

}  // namespace kite

#endif  // KITE_RUNTIME_VERSION_SEARCH_H_
