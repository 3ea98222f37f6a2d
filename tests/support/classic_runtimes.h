// Runtimes registered the classic way, for the tests of what kitecheck
// reports about them.
#ifndef KITE_TESTS_SUPPORT_CLASSIC_RUNTIMES_H_
#define KITE_TESTS_SUPPORT_CLASSIC_RUNTIMES_H_

#include <string>
#include <vector>

#include "platform/fake_platform.h"
#include "runtime/java_registry.h"

namespace kite {

// Registers each version under the classic key, its home C:\jre\VERSION.
inline void installClassicRuntimes(FakePlatform& platform,
                                   const std::vector<std::string>& versions) {
  const std::string base = kJavaRegistryKey;
  for (const std::string& version : versions) {
    platform.addRegistryKey(base + "\\" + version);
    platform.setRegistryValue(base + "\\" + version, "JavaHome",
                              "C:\\jre\\" + version);
  }
}

}  // namespace kite

#endif  // KITE_TESTS_SUPPORT_CLASSIC_RUNTIMES_H_
