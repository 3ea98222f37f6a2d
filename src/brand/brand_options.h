// The command line of kitebrand: one table row per option drives its
// parsing, the usage text and the names the messages give it.
#ifndef KITE_BRAND_BRAND_OPTIONS_H_
#define KITE_BRAND_BRAND_OPTIONS_H_

#include <string>
#include <vector>

#include "brand/brand.h"

namespace kite {

struct BrandOptions {
  std::string from;    // the launcher to brand
  std::string out;     // the branded copy to write
  std::string config;  // a configuration to go with it; empty: none
  // What to brand with; the icons' bytes are not read yet.
  BrandRequest request;
  bool help = false;  // --help: print the usage and nothing else
};

// What an option's value is and where it goes.
enum class OptionKind {
  kPath,       // a file name for BrandOptions::*path, given once
  kIcon,       // an .ico for icon group 101
  kIconGroup,  // ID=FILE.ico, any number of times
  kText,       // the version string `versionString`
  kVersion,    // the file and product version
  kElevate,    // a flag: ask for administrator rights
};

struct BrandOption {
  const char* name;   // "--name"
  const char* value;  // what the usage calls its value; null for a flag
  const char* help;   // the usage line; null for those the first line shows
  OptionKind kind;
  std::string BrandOptions::*path = nullptr;  // kPath
  const char* versionString = nullptr;        // kText
  bool required = false;
};

// The options in the order of the usage.  The texts come in the order
// their changes are reported.
inline const BrandOption kBrandOptions[] = {
    {"--from", "FILE", nullptr, OptionKind::kPath, &BrandOptions::from, nullptr,
     true},
    {"--out", "FILE", nullptr, OptionKind::kPath, &BrandOptions::out, nullptr,
     true},
    {"--icon", "FILE.ico", "the application's icon (group 101)",
     OptionKind::kIcon},
    {"--icon-group", "ID=FILE.ico", "another icon group, ID 1 to 65535",
     OptionKind::kIconGroup},
    {"--name", "TEXT", "the product name", OptionKind::kText, nullptr,
     "ProductName"},
    {"--version", "1.2.3.4", "file and product version (1 to 4 numbers)",
     OptionKind::kVersion},
    {"--description", "TEXT", "the file description", OptionKind::kText,
     nullptr, "FileDescription"},
    {"--company", "TEXT", "the company name", OptionKind::kText, nullptr,
     "CompanyName"},
    {"--copyright", "TEXT", "the copyright notice", OptionKind::kText, nullptr,
     "LegalCopyright"},
    {"--elevate", nullptr, "ask for administrator rights on start",
     OptionKind::kElevate},
    {"--config", "FILE", "the configuration to go with it", OptionKind::kPath,
     &BrandOptions::config},
};

// Reads the arguments (without the program name).  Options take their
// value as the next argument or after '=' (--name=App).  Returns an empty
// string on success, otherwise what is wrong: an unknown option, a missing
// value, an option given twice, a required one missing, --out the same
// text as --from, or what checkBrandRequest finds.
std::string parseBrandOptions(const std::vector<std::string>& args,
                              BrandOptions* options);

// The usage text, one option a line.
std::string brandUsage();

}  // namespace kite

#endif  // KITE_BRAND_BRAND_OPTIONS_H_
