// Fuzz target: reading .ico files and putting their images into icon
// groups of a resource tree.
//
// Input: the bytes of an .ico file.
//
// Checked for every input, besides what the sanitizers catch:
//  - a file that reads has at least one image, none of them empty, and its
//    images together take no more bytes than the file holds;
//  - the RT_GROUP_ICON made for the images lists the ids it was given;
//  - after the images replace icon group 101 and then become a new group,
//    every id a group lists names an RT_ICON holding that image, every
//    RT_ICON belongs to some group, and the tree writes and reads back
//    unchanged.
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <vector>

#include "brand/ico_file.h"
#include "brand/icon_group.h"
#include "brand/resource_tree.h"
#include "fuzz_support.h"

namespace {

using kite::Bytes;
using kite::ByteView;
using kite::ResourceName;

kite::ResourceKey key(uint32_t type, uint32_t id) {
  return {ResourceName::number(type), ResourceName::number(id),
          ResourceName::number(0x409)};
}

// Groups 101 (image 1) and 102 (images 1 and 2).
kite::ResourceTree startingTree() {
  kite::ResourceTree tree;
  std::vector<kite::IconImage> images(2);
  images[0].data = {1};
  images[1].data = {2, 2};
  tree[key(kite::kIconResource, 1)].bytes = images[0].data;
  tree[key(kite::kIconResource, 2)].bytes = images[1].data;
  tree[key(kite::kIconGroupResource, 101)].bytes =
      kite::encodeIconGroup({images[0]}, {1});
  tree[key(kite::kIconGroupResource, 102)].bytes =
      kite::encodeIconGroup(images, {1, 2});
  return tree;
}

void checkGroups(const kite::ResourceTree& tree) {
  std::set<uint32_t> listed;
  for (const auto& entry : tree) {
    if (!(entry.first.type == ResourceName::number(kite::kIconGroupResource)))
      continue;
    std::vector<uint16_t> ids;
    FUZZ_CHECK(kite::iconGroupIds(ByteView(entry.second.bytes), &ids));
    const ByteView group(entry.second.bytes);
    for (size_t i = 0; i < ids.size(); ++i) {
      const kite::ResourceData* image =
          kite::findResource(tree, kite::kIconResource, ids[i]);
      FUZZ_CHECK(image != nullptr);
      FUZZ_CHECK(group.u32(6 + 14 * i + 8) == image->bytes.size());
      listed.insert(ids[i]);
    }
  }
  for (uint32_t id : kite::resourceIds(tree, kite::kIconResource))
    FUZZ_CHECK(listed.count(id) == 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<kite::IconImage> images;
  if (!kite::parseIcoFile(ByteView(data, size), &images).empty()) return 0;
  FUZZ_CHECK(!images.empty());
  std::vector<uint16_t> ids;
  size_t taken = 0;
  for (size_t i = 0; i < images.size(); ++i) {
    FUZZ_CHECK(!images[i].data.empty());
    taken += images[i].data.size();
    ids.push_back(static_cast<uint16_t>(i + 1));
  }
  FUZZ_CHECK(taken <= size);
  std::vector<uint16_t> listed;
  FUZZ_CHECK(kite::iconGroupIds(ByteView(kite::encodeIconGroup(images, ids)),
                                &listed));
  FUZZ_CHECK(listed == ids);
  FUZZ_CHECK(!kite::describeIconImages(images).empty());

  kite::ResourceTree tree = startingTree();
  bool existed = false;
  FUZZ_CHECK(kite::setIconGroup(&tree, 101, images, &existed) == "");
  FUZZ_CHECK(existed);
  FUZZ_CHECK(kite::setIconGroup(&tree, 7, images, &existed) == "");
  FUZZ_CHECK(!existed);
  checkGroups(tree);
  Bytes section;
  FUZZ_CHECK(kite::writeResourceTree(tree, 0x3000, &section) == "");
  kite::ResourceTree back;
  FUZZ_CHECK(kite::parseResourceTree(ByteView(section), 0x3000, &back) == "");
  FUZZ_CHECK(back == tree);
  return 0;
}
