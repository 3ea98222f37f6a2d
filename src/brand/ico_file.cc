#include "brand/ico_file.h"

#include <algorithm>
#include <utility>

namespace kite {

namespace {

constexpr size_t kIcoHeaderSize = 6;
constexpr size_t kIcoEntrySize = 16;
constexpr size_t kGroupEntrySize = 14;
constexpr uint32_t kDibHeaderSize = 40;  // BITMAPINFOHEADER
const unsigned char kPngSignature[8] = {0x89, 'P',  'N',  'G',
                                        '\r', '\n', 0x1A, '\n'};

bool startsWithPng(ByteView data) {
  if (!data.has(0, sizeof kPngSignature)) return false;
  for (size_t i = 0; i < sizeof kPngSignature; ++i)
    if (data.data[i] != kPngSignature[i]) return false;
  return true;
}

// Bits per pixel of a PNG image from its IHDR chunk (0 when unreadable).
uint16_t pngBitCount(ByteView png) {
  // Signature (8), chunk length (4), "IHDR" (4), width, height (4 each),
  // then bit depth and colour type.
  const uint8_t depth = png.u8(24);
  switch (png.u8(25)) {
    case 0:
      return depth;  // grey
    case 2:
      return depth * 3;  // RGB
    case 3:
      return depth;  // palette
    case 4:
      return depth * 2;  // grey and alpha
    case 6:
      return depth * 4;  // RGBA
    default:
      return 0;
  }
}

std::string imageError(size_t index, const std::string& what) {
  return "malformed .ico file: image " + std::to_string(index + 1) + " " + what;
}

// Each image must lie in the file after the directory, apart from every
// other: copied out, the images then take no more bytes than the file
// holds, however many entries its directory lists.
std::string checkImageRanges(ByteView file, uint16_t count,
                             uint64_t directoryEnd) {
  const auto sizeOf = [&](size_t i) {
    return file.u32(kIcoHeaderSize + kIcoEntrySize * i + 8);
  };
  std::vector<std::pair<uint64_t, size_t>> starts;  // offset, image index
  for (size_t i = 0; i < count; ++i) {
    const uint64_t offset = file.u32(kIcoHeaderSize + kIcoEntrySize * i + 12);
    if (!file.has(offset, sizeOf(i)))
      return "truncated .ico file: image " + std::to_string(i + 1) +
             " runs past its end";
    starts.push_back({offset, i});
  }
  std::sort(starts.begin(), starts.end());
  if (starts[0].first < directoryEnd)
    return imageError(starts[0].second, "overlaps the directory");
  for (size_t k = 1; k < starts.size(); ++k) {
    const size_t before = starts[k - 1].second, at = starts[k].second;
    if (starts[k - 1].first + sizeOf(before) > starts[k].first)
      return imageError(std::min(before, at),
                        "shares its bytes with image " +
                            std::to_string(std::max(before, at) + 1));
  }
  return std::string();
}

}  // namespace

bool IconImage::isPng() const { return startsWithPng(ByteView(data)); }

std::string parseIcoFile(ByteView file, std::vector<IconImage>* images) {
  if (!file.has(0, kIcoHeaderSize)) return "truncated .ico file";
  if (file.u16(0) != 0 || file.u16(2) != 1)
    return "not an .ico file (bad header)";
  const uint16_t count = file.u16(4);
  if (count == 0) return "the .ico file holds no images";
  const uint64_t directoryEnd =
      kIcoHeaderSize + uint64_t{kIcoEntrySize} * count;
  if (!file.has(0, directoryEnd)) return "truncated .ico file";
  const std::string error = checkImageRanges(file, count, directoryEnd);
  if (!error.empty()) return error;
  std::vector<IconImage> result;
  for (size_t i = 0; i < count; ++i) {
    const uint64_t entry = kIcoHeaderSize + kIcoEntrySize * i;
    const ByteView data = file.sub(file.u32(entry + 12), file.u32(entry + 8));
    IconImage image;
    image.width = file.u8(entry);
    image.height = file.u8(entry + 1);
    image.colorCount = file.u8(entry + 2);
    image.planes = file.u16(entry + 4);
    image.bitCount = file.u16(entry + 6);
    if (startsWithPng(data)) {
      if (!data.has(0, 26)) return imageError(i, "is a truncated PNG");
      if (image.planes == 0) image.planes = 1;
      if (image.bitCount == 0) image.bitCount = pngBitCount(data);
    } else {
      const uint32_t header = data.u32(0);
      if (header < kDibHeaderSize || !data.has(0, header))
        return imageError(i, "is neither a PNG nor a bitmap");
      if (image.planes == 0) image.planes = data.u16(12);
      if (image.bitCount == 0) image.bitCount = data.u16(14);
    }
    image.data = data.copy();
    result.push_back(std::move(image));
  }
  *images = std::move(result);
  return std::string();
}

Bytes encodeIconGroup(const std::vector<IconImage>& images,
                      const std::vector<uint16_t>& ids) {
  Bytes out;
  append16(out, 0);
  append16(out, 1);
  append16(out, static_cast<uint16_t>(images.size()));
  for (size_t i = 0; i < images.size() && i < ids.size(); ++i) {
    const IconImage& image = images[i];
    out.push_back(image.width);
    out.push_back(image.height);
    out.push_back(image.colorCount);
    out.push_back(0);
    append16(out, image.planes);
    append16(out, image.bitCount);
    append32(out, static_cast<uint32_t>(image.data.size()));
    append16(out, ids[i]);
  }
  return out;
}

bool iconGroupIds(ByteView group, std::vector<uint16_t>* ids) {
  if (!group.has(0, kIcoHeaderSize) || group.u16(2) != 1) return false;
  const uint16_t count = group.u16(4);
  if (!group.has(kIcoHeaderSize, uint64_t{kGroupEntrySize} * count))
    return false;
  ids->clear();
  for (size_t i = 0; i < count; ++i)
    ids->push_back(group.u16(kIcoHeaderSize + kGroupEntrySize * i + 12));
  return true;
}

std::string describeIconImages(const std::vector<IconImage>& images) {
  std::string text;
  for (const IconImage& image : images) {
    if (!text.empty()) text += ", ";
    text += std::to_string(image.width ? image.width : 256) + "x" +
            std::to_string(image.height ? image.height : 256);
    if (image.isPng()) text += " PNG";
  }
  return text;
}

}  // namespace kite
