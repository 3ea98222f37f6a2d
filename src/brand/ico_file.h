// Icon files (.ico) and the two resources Windows keeps an icon in: one
// RT_ICON per image and an RT_GROUP_ICON directory that lists them.
#ifndef KITE_BRAND_ICO_FILE_H_
#define KITE_BRAND_ICO_FILE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "brand/byte_io.h"

namespace kite {

// One image of an icon, with the directory fields that describe it.
struct IconImage {
  uint8_t width = 0;   // 0 means 256
  uint8_t height = 0;  // 0 means 256
  uint8_t colorCount = 0;
  uint16_t planes = 0;
  uint16_t bitCount = 0;
  Bytes data;  // a PNG file or a DIB (header, colours, mask), kept as is

  bool isPng() const;
};

// Reads the images of an .ico file.  Returns an empty string on success,
// otherwise what is wrong with the file (truncated, malformed, no images).
// Directory entries that leave the colour planes or bit depth 0 get them
// from the image itself.
std::string parseIcoFile(ByteView file, std::vector<IconImage>* images);

// An RT_GROUP_ICON listing `images` as the RT_ICON resources `ids` (the
// two vectors have the same length).
Bytes encodeIconGroup(const std::vector<IconImage>& images,
                      const std::vector<uint16_t>& ids);

// The RT_ICON ids an RT_GROUP_ICON lists; false when it is malformed.
bool iconGroupIds(ByteView group, std::vector<uint16_t>* ids);

// The sizes of `images` for people: "16x16, 32x32, 256x256 PNG".
std::string describeIconImages(const std::vector<IconImage>& images);

}  // namespace kite

#endif  // KITE_BRAND_ICO_FILE_H_
