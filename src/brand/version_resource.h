// The version resource (VS_VERSIONINFO): a tree of blocks, each a key with
// a text or binary value and child blocks.  The root's value is the fixed
// file information; StringFileInfo holds a string table per language.
#ifndef KITE_BRAND_VERSION_RESOURCE_H_
#define KITE_BRAND_VERSION_RESOURCE_H_

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "brand/byte_io.h"

namespace kite {

struct VersionNode {
  std::u16string key;
  uint16_t type = 1;  // 1: the value is text, 0: binary
  Bytes value;        // text is UTF-16LE with its terminating NUL
  std::vector<VersionNode> children;
};

using VersionNumber = std::array<uint16_t, 4>;

// Reads a version resource.  Returns an empty string on success.
std::string parseVersionInfo(ByteView data, VersionNode* root);

// Writes `root` with its lengths and the padding that aligns each value and
// child block to four bytes.  Fails (with a message) when a block exceeds
// the 64 KB a length can hold.
std::string writeVersionInfo(const VersionNode& root, Bytes* out);

// The value of string `key` (UTF-8) in the first string table, as UTF-8;
// false when there is no such string.
bool versionString(const VersionNode& root, const std::string& key,
                   std::string* value);

// Sets string `key` to `value` (UTF-8) in every string table, every entry
// of that name (Windows shows the first of two), adding it at the end of
// the tables that lack it.  False when `value` is not valid
// UTF-8 or the resource has no string table.
bool setVersionString(VersionNode* root, const std::string& key,
                      const std::string& value);

// Reads "1" to "1.2.3.4" (each number 0 to 65535; missing ones are 0).
bool parseVersionNumber(const std::string& text, VersionNumber* number);

// The fixed file version as "1.2.3.4"; false without fixed information.
bool fixedFileVersion(const VersionNode& root, std::string* text);

// Sets the fixed file and product versions; false without fixed
// information.
bool setFixedVersion(VersionNode* root, const VersionNumber& number);

}  // namespace kite

#endif  // KITE_BRAND_VERSION_RESOURCE_H_
