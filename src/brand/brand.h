// Branding a copy of the launcher: its icons, version information and
// requested execution level become the application's own.  Bytes in, bytes
// out; reading and writing the files is the caller's business.
#ifndef KITE_BRAND_BRAND_H_
#define KITE_BRAND_BRAND_H_

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "brand/byte_io.h"

namespace kite {

// The icon group Explorer and the taskbar show for the launcher.
constexpr unsigned kMainIconGroup = 101;

struct BrandRequest {
  std::optional<Bytes> icon;  // an .ico file for group 101
  // Other icon groups (id 1 to 65535) and the .ico file for each.
  std::vector<std::pair<unsigned, Bytes>> iconGroups;
  // UTF-8 text; unset fields keep what the executable has.
  std::optional<std::string> name;         // ProductName
  std::optional<std::string> version;      // "2.3.1": the file and product
                                           // versions, text and numbers
  std::optional<std::string> company;      // CompanyName
  std::optional<std::string> description;  // FileDescription
  std::optional<std::string> copyright;    // LegalCopyright
  bool elevate = false;  // request administrator rights in the manifest
  // The output's file name ("MyApp.exe"), for OriginalFilename and
  // InternalName ("MyApp"); empty keeps them.  A directory part is ignored.
  std::string outputName;
};

struct BrandResult {
  std::string error;  // empty on success
  Bytes output;       // the branded executable
  // What changed, one line each: "ProductName: Kite -> My App".
  std::vector<std::string> changes;
};

// Brands `input`, which must be one of our launchers: a PE executable whose
// version resource holds a Comments string starting "Kite launcher ".  The
// same input and request always give the same bytes.
BrandResult brandExecutable(const Bytes& input, const BrandRequest& request);

}  // namespace kite

#endif  // KITE_BRAND_BRAND_H_
