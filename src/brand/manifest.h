// The execution level an application manifest requests (whether Windows
// asks for administrator rights before starting the program).
#ifndef KITE_BRAND_MANIFEST_H_
#define KITE_BRAND_MANIFEST_H_

#include <string>

#include "brand/byte_io.h"

namespace kite {

// The level attribute of the manifest's requestedExecutionLevel element
// ("asInvoker", ...); false when there is none.
bool manifestExecutionLevel(const Bytes& manifest, std::string* level);

// `manifest` with that attribute set to `level`, every other byte as it
// was; false when the manifest has no such attribute.
bool setManifestExecutionLevel(const Bytes& manifest, const std::string& level,
                               Bytes* out);

}  // namespace kite

#endif  // KITE_BRAND_MANIFEST_H_
