// The command line of kitebrand.
#ifndef KITE_BRAND_BRAND_OPTIONS_H_
#define KITE_BRAND_BRAND_OPTIONS_H_

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kite {

struct BrandOptions {
  std::string from;                     // the launcher to brand
  std::string out;                      // the branded copy to write
  std::optional<std::string> config;    // a configuration file to go with it
  std::optional<std::string> iconPath;  // .ico for icon group 101
  std::vector<std::pair<unsigned, std::string>> iconGroupPaths;  // ID, .ico
  std::optional<std::string> name;
  std::optional<std::string> version;
  std::optional<std::string> company;
  std::optional<std::string> description;
  std::optional<std::string> copyright;
  bool elevate = false;
  bool help = false;  // --help: print the usage and nothing else
};

// Reads the arguments (without the program name).  Options take their
// value as the next argument or after '=' (--name=App).  Returns an empty
// string on success, otherwise what is wrong: an unknown option, a missing
// value, an option given twice, a bad version or icon group, --from or
// --out missing, or --out the same text as --from.
std::string parseBrandOptions(const std::vector<std::string>& args,
                              BrandOptions* options);

// The usage text, one option a line.
const char* brandUsage();

}  // namespace kite

#endif  // KITE_BRAND_BRAND_OPTIONS_H_
