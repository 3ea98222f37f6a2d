// Branding a copy of the launcher: its icons, version information and
// requested execution level become the application's own.  Bytes in, bytes
// out; reading and writing the files is the caller's business.
#ifndef KITE_BRAND_BRAND_H_
#define KITE_BRAND_BRAND_H_

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "brand/byte_io.h"

namespace kite {

// The icon group Explorer and the taskbar show for the launcher.
constexpr unsigned kMainIconGroup = 101;

// An .ico file that becomes an icon group.
struct IconFile {
  unsigned group = 0;  // 1 to 65535
  std::string path;    // where the caller reads it from
  Bytes ico;           // its bytes
};

struct BrandRequest {
  std::vector<IconFile> icons;
  // Version strings to set, UTF-8, by name: those of kitebrand's text
  // options (ProductName, ...).  Unset ones keep what the executable has.
  std::map<std::string, std::string> texts;
  // "2.3.1": the file and product versions, text and numbers.
  std::optional<std::string> version;
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

// What is wrong with `request` whatever the executable: a bad version, a
// text that is not UTF-8, an icon group id out of range or given twice.
// Returns an empty string when nothing is.
std::string checkBrandRequest(const BrandRequest& request);

// Brands `input`, which must be one of our launchers: a PE executable whose
// version resource holds a Comments string starting "Kite launcher ".  The
// same input and request always give the same bytes.
BrandResult brandExecutable(const Bytes& input, const BrandRequest& request);

}  // namespace kite

#endif  // KITE_BRAND_BRAND_H_
