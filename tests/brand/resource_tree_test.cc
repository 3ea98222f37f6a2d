#include "brand/resource_tree.h"

#include <gtest/gtest.h>

#include "brand/synthetic_pe.h"

namespace kite {
namespace {

using synthetic::key;

ResourceName named(const char16_t* text) { return {true, 0, text}; }

constexpr uint32_t kRva = 0x5000;

TEST(ResourceTree, WritesAndReadsBackNamedAndNumberedEntries) {
  ResourceTree tree = synthetic::kiteResources();
  tree[{named(u"PNGS"), named(u"LOGO"), ResourceName::number(0)}] = {
      Bytes{1, 2, 3}, 1252};
  tree[{ResourceName::number(10), named(u"A"), ResourceName::number(7)}] = {
      Bytes(), 0};
  tree[{ResourceName::number(10), ResourceName::number(9), named(u"LANG")}] = {
      Bytes(13, 0xEE), 0};
  Bytes section;
  ASSERT_EQ(writeResourceTree(tree, kRva, &section), "");
  EXPECT_EQ(section.size() % 8, 0u);
  ResourceTree back;
  ASSERT_EQ(parseResourceTree(ByteView(section), kRva, &back), "");
  EXPECT_EQ(back, tree);
  Bytes again;
  ASSERT_EQ(writeResourceTree(back, kRva, &again), "");
  EXPECT_EQ(again, section);
  // Named entries come first in a directory, then numbers in order.
  EXPECT_EQ(ByteView(section).u16(12), 1);  // one named type
  EXPECT_EQ(ByteView(section).u32(16) >> 31, 1u);
}

TEST(ResourceTree, RefusesMalformedDirectories) {
  ResourceTree tree;
  tree[key(kManifestResource, 1)].bytes = Bytes(32, 'x');
  Bytes good;
  ASSERT_EQ(writeResourceTree(tree, kRva, &good), "");
  // Layout: root at 0, type directory at 0x18, name directory at 0x30,
  // data entry at 0x48 (RVA, size), data at 0x58.
  struct Case {
    size_t offset;
    uint32_t value;
    const char* error;
  };
  const Case cases[] = {
      {0x48, kRva + 0x59, "outside the resource section"},
      {0x48, kRva - 8, "outside the resource section"},
      {0x4C, 0xFFFFFFFF, "outside the resource section"},
      {0x14, 0x48, "malformed"},        // type entry names data
      {0x44, 0x80000000, "malformed"},  // language entry names a dir
      {0x14, 0x80001000, "malformed"},  // directory past the end
      {0x10, 0x80000FF0, "malformed"},  // name string past the end
      {0x0C, 0x00020000, "malformed"},  // more entries than room
  };
  for (const Case& c : cases) {
    Bytes section = good;
    put32(section, c.offset, c.value);
    ResourceTree parsed;
    EXPECT_NE(parseResourceTree(ByteView(section), kRva, &parsed).find(c.error),
              std::string::npos)
        << std::hex << c.offset;
  }
  for (size_t size = 0; size < good.size(); size += 8) {
    ResourceTree parsed;
    EXPECT_NE(parseResourceTree(ByteView(good.data(), size), kRva, &parsed),
              "");
  }
}

// Directories that share their parts (or point back at themselves) could
// make a small section describe a huge tree; the parser stops them.
TEST(ResourceTree, RefusesSharedPartsAndLoops) {
  Bytes section(0x200, 0);
  put16(section, 14, 40);  // 40 types, all with the same directory: itself
  for (size_t i = 0; i < 40; ++i) {
    put32(section, 16 + 8 * i, static_cast<uint32_t>(i + 1));
    put32(section, 20 + 8 * i, 0x80000000);
  }
  ResourceTree parsed;
  EXPECT_NE(parseResourceTree(ByteView(section), kRva, &parsed), "");

  ResourceTree tree;
  tree[key(3, 1)].bytes = Bytes(0x100, 1);
  tree[key(3, 2)].bytes = Bytes(1, 2);
  Bytes shared;
  ASSERT_EQ(writeResourceTree(tree, kRva, &shared), "");
  // Both data entries name the first image, more data than the section has.
  const ByteView view(shared);
  const size_t entries = 0x18 + 0x20 + 2 * 0x18;
  put32(shared, entries + 16, view.u32(entries));
  put32(shared, entries + 20, view.u32(entries + 4));
  EXPECT_NE(parseResourceTree(ByteView(shared), kRva, &parsed), "");
}

TEST(ResourceTree, FindsErasesAndListsResources) {
  ResourceTree tree = synthetic::kiteResources();
  tree[key(kIconResource, 2, 0x407)].bytes = {9};
  ResourceKey found;
  ASSERT_NE(findResource(tree, kIconResource, 2, &found), nullptr);
  EXPECT_EQ(found, key(kIconResource, 2, 0x407));  // the first language
  EXPECT_EQ(findResource(tree, kIconResource, 4), nullptr);
  EXPECT_EQ(resourceIds(tree, kIconResource), (std::vector<uint32_t>{1, 2, 3}));
  eraseResource(&tree, kIconResource, 2);
  EXPECT_EQ(resourceIds(tree, kIconResource), (std::vector<uint32_t>{1, 3}));
  ASSERT_NE(firstResource(tree, kIconGroupResource, &found), nullptr);
  EXPECT_EQ(found, key(kIconGroupResource, 101));
}

}  // namespace
}  // namespace kite
