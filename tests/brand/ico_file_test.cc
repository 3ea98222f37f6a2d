#include "brand/ico_file.h"

#include <gtest/gtest.h>

#include "brand/icon_group.h"
#include "brand/synthetic_pe.h"

namespace kite {
namespace {

using synthetic::icoFile;
using synthetic::key;

TEST(IcoFile, ReadsBitmapAndPngImagesAndFillsTheirDepth) {
  const Bytes file = icoFile({16, 32}, true);
  std::vector<IconImage> images;
  ASSERT_EQ(parseIcoFile(ByteView(file), &images), "");
  ASSERT_EQ(images.size(), 3u);
  EXPECT_EQ(images[0].data, synthetic::dibImage(16));
  EXPECT_EQ(images[2].data, synthetic::pngImage());
  EXPECT_EQ(images[0].planes, 1);
  EXPECT_EQ(images[0].bitCount, 32);  // from the bitmap header
  EXPECT_EQ(images[2].bitCount, 32);  // from IHDR: 8-bit RGBA
  EXPECT_EQ(describeIconImages(images), "16x16, 32x32, 256x256 PNG");
}

TEST(IcoFile, RefusesTruncatedAndMalformedFiles) {
  // One image at offset 22; two images at 38 (104 bytes) and 142.
  const Bytes bases[] = {icoFile({16}), icoFile({16, 32})};
  struct Case {
    size_t offset;  // 16-bit value written, or the size to cut to when
    int value;      // value is -1
    const char* error;
    int base = 0;
  };
  const Case cases[] = {
      {0, -1, "truncated"},
      {5, -1, "truncated"},
      {21, -1, "truncated"},  // in the directory
      {bases[0].size() - 1, -1, "runs past its end"},
      {2, 2, "not an .ico file"},  // a cursor
      {0, 1, "not an .ico file"},
      {4, 0, "holds no images"},
      {4, 3, "truncated"},
      {18, 0xFFFF, "runs past its end"},      // image offset
      {22, 8, "neither a PNG nor a bitmap"},  // header size 8
      {18, 6, "image 1 overlaps the directory"},
      // Entries that share bytes would copy them once each: 4,000 entries
      // on one 1 MB image ask for 4 GB.
      {34, 38, "image 1 shares its bytes with image 2", 1},
      {34, 100, "image 1 shares its bytes with image 2", 1},
  };
  for (const Case& c : cases) {
    const Bytes& good = bases[c.base];
    Bytes file = good;
    if (c.value < 0)
      file.resize(c.offset);
    else if (c.offset == 22)
      put32(file, 22, static_cast<uint32_t>(c.value));
    else
      put16(file, c.offset, static_cast<uint16_t>(c.value));
    std::vector<IconImage> images;
    EXPECT_NE(parseIcoFile(ByteView(file), &images).find(c.error),
              std::string::npos)
        << c.error << " at " << c.offset;
  }
  Bytes png = icoFile({}, true);
  png.resize(png.size() - 10);  // no room for the IHDR fields
  std::vector<IconImage> images;
  EXPECT_NE(parseIcoFile(ByteView(png), &images), "");
}

std::vector<uint16_t> groupIds(const ResourceTree& tree, uint32_t group) {
  const ResourceData* data = findResource(tree, kIconGroupResource, group);
  std::vector<uint16_t> ids;
  if (data) iconGroupIds(ByteView(data->bytes), &ids);
  return ids;
}

TEST(IconGroup, ReplacingDropsOnlyImagesNoOtherGroupUses) {
  // Group 102 has images 2 and 3; 103 shares image 3.
  ResourceTree tree = synthetic::kiteResources();
  std::vector<IconImage> images;
  ASSERT_EQ(parseIcoFile(ByteView(icoFile({16, 24, 32})), &images), "");
  bool existed = false;
  ASSERT_EQ(setIconGroup(&tree, 102, images, &existed), "");
  EXPECT_TRUE(existed);
  EXPECT_EQ(groupIds(tree, 102), (std::vector<uint16_t>{2, 4, 5}));
  EXPECT_EQ(resourceIds(tree, kIconResource),
            (std::vector<uint32_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(tree[key(kIconResource, 4)].bytes, images[1].data);
  EXPECT_EQ(groupIds(tree, 103), (std::vector<uint16_t>{3}));

  ASSERT_EQ(setIconGroup(&tree, 7, {images[0]}, &existed), "");
  EXPECT_FALSE(existed);
  EXPECT_EQ(groupIds(tree, 7), (std::vector<uint16_t>{6}));
  EXPECT_EQ(tree.count(key(kIconGroupResource, 7, 0x409)), 1u);

  tree[key(kIconGroupResource, 104)].bytes = {0, 0, 2, 0};
  EXPECT_NE(setIconGroup(&tree, 101, images, &existed), "");
  EXPECT_EQ(groupIds(tree, 101), (std::vector<uint16_t>{1}));  // untouched
}

}  // namespace
}  // namespace kite
