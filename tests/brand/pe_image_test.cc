#include "brand/pe_image.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "brand/synthetic_pe.h"

namespace kite {
namespace {

using synthetic::buildPe;
using synthetic::kiteResources;
using synthetic::Layout;

TEST(PeChecksum, FoldsCarriesSkipsTheFieldAndAddsTheLength) {
  struct Case {
    Bytes file;
    size_t field;
    uint32_t expected;
  };
  const Case cases[] = {
      {{0x01, 0x02, 0x03}, 100, 0x0204 + 3},  // odd length: last byte alone
      {{0xFF, 0xFF, 0xFF, 0xFF}, 100, 0xFFFF + 4},
      {{0xFF, 0xFF, 0x02, 0x00}, 100, 0x0002 + 4},  // end-around carry
      {{0x10, 0x00, 0xAA, 0xBB, 0xCC, 0xDD}, 2, 0x10 + 6},
      {{0x10, 0xAA, 0xBB, 0xCC, 0xDD, 0x00}, 1, 0x10 + 6},  // odd offset
  };
  for (const Case& c : cases)
    EXPECT_EQ(peChecksum(ByteView(c.file), c.field), c.expected);
}

TEST(PeImage, ReadsTheHeadersOfBothWidths) {
  for (bool is64 : {false, true}) {
    Layout layout;
    layout.is64 = is64;
    const Bytes file = buildPe(kiteResources(), layout);
    PeImage image;
    ASSERT_EQ(parsePeImage(ByteView(file), &image), "");
    EXPECT_EQ(image.is64, is64);
    ASSERT_EQ(image.sections.size(), 3u);
    EXPECT_EQ(image.sections[1].name, ".rsrc");
    EXPECT_EQ(ByteView(file).u32(image.checksumOffset()),
              peChecksum(ByteView(file), image.checksumOffset()));
    size_t index = 0;
    EXPECT_EQ(findResourceSection(ByteView(file), image, &index), "");
    EXPECT_EQ(index, 1u);
  }
}

TEST(PeImage, RefusesFilesThatAreNoUsableExecutable) {
  const Bytes good = buildPe(kiteResources());
  struct Case {
    size_t offset;
    uint32_t value;
    int width;  // bytes written
    const char* error;
  };
  using synthetic::kOptional;
  using synthetic::kSignature;
  const size_t second = synthetic::sectionHeader(true, 1);
  const Case cases[] = {
      {0, 0x5A4E, 2, "no MZ header"},
      {pe::kSignatureOffset, 0xFFFFFFF0, 4, "no PE signature"},
      {kSignature, 0x4551, 4, "no PE signature"},
      {kSignature + pe::kCharacteristics, 0x0020, 2, "object file"},
      {kOptional, 0x0107, 2, "optional header kind"},
      {kOptional + pe::kFileAlignment, 0x300, 4, "alignment"},
      {kOptional + pe::kSizeOfHeaders, 0x100, 4, "size of headers"},
      {kSignature + pe::kNumberOfSections, 0, 2, "number of sections"},
      {kSignature + pe::kNumberOfSections, 200, 2, "number of sections"},
      {second + pe::kPointerToRawData, 0x7FFFFF00, 4, "runs past the end"},
      {second + pe::kVirtualAddress, 0x800, 4, "out of order"},
      {kOptional + pe::numberOfRvaAndSizes(true), 17, 4,
       "too many data directories"},
  };
  for (const Case& c : cases) {
    Bytes file = good;
    if (c.width == 2)
      put16(file, c.offset, static_cast<uint16_t>(c.value));
    else
      put32(file, c.offset, c.value);
    PeImage image;
    EXPECT_NE(parsePeImage(ByteView(file), &image).find(c.error),
              std::string::npos)
        << c.error;
  }
  for (size_t size : {size_t{0}, size_t{63}, kOptional, kOptional + 100,
                      synthetic::sectionHeader(true, 1) + 10, size_t{0x500}}) {
    PeImage image;
    EXPECT_NE(parsePeImage(ByteView(good.data(), size), &image), "") << size;
  }
}

TEST(PeImage, RefusesSignedFilesOverlaysAndMisplacedResources) {
  const Bytes good = buildPe(kiteResources());
  const auto directory = [](size_t index) {
    return synthetic::dataDirectory(true, index);
  };
  Bytes signedFile = good, overlay = good, noResources = good, inside = good;
  put32(signedFile, directory(kSecurityDirectory) + 4, 0x100);
  overlay.push_back(0);
  put32(noResources, directory(kResourceDirectory) + 4, 0);
  put32(inside, directory(kResourceDirectory), 0x2010);
  Layout patched;  // .rsrc is at 0x2000, and may grow up to .reloc
  patched.relocated = 0x2FFC;
  const Bytes relocated = buildPe(kiteResources(), patched);
  const std::pair<const Bytes*, const char*> cases[] = {
      {&signedFile, "signing must come after branding"},
      {&overlay, "overlay"},
      {&noResources, "no resources"},
      {&inside, "do not start a section"},
      {&relocated, "base relocations point into the resource section"},
  };
  for (const auto& c : cases) {
    PeImage image;
    ASSERT_EQ(parsePeImage(ByteView(*c.first), &image), "");
    size_t index = 0;
    EXPECT_NE(
        findResourceSection(ByteView(*c.first), image, &index).find(c.second),
        std::string::npos)
        << c.second;
  }
}

// Replaces the resource section with `size` bytes and checks everything a
// loader relies on.
Bytes replaced(const Bytes& file, size_t size, std::string* error) {
  PeImage image;
  size_t index = 0;
  EXPECT_EQ(parsePeImage(ByteView(file), &image), "");
  EXPECT_EQ(findResourceSection(ByteView(file), image, &index), "");
  Bytes out;
  *error = replaceResourceSection(ByteView(file), image, index,
                                  Bytes(size, 0x77), &out);
  return out;
}

TEST(PeImage, MovesTheRelocationsAfterAGrowingOrShrinkingResourceSection) {
  const Bytes file = buildPe(kiteResources());
  PeImage before;
  ASSERT_EQ(parsePeImage(ByteView(file), &before), "");
  for (size_t size : {0x10, 0x1000, 0x1001, 0x5432}) {
    std::string error;
    const Bytes out = replaced(file, size, &error);
    ASSERT_EQ(error, "") << size;
    PeImage after;
    ASSERT_EQ(parsePeImage(ByteView(out), &after), "");
    EXPECT_EQ(ByteView(out).u32(after.checksumOffset()),
              peChecksum(ByteView(out), after.checksumOffset()));
    const PeSection& resources = after.sections[1];
    const PeSection& relocations = after.sections[2];
    EXPECT_EQ(resources.virtualSize, size);
    EXPECT_EQ(resources.rawSize, alignUp(size, 0x200));
    EXPECT_EQ(relocations.virtualAddress, alignUp(0x2000 + size, 0x1000));
    EXPECT_EQ(relocations.rawOffset, resources.rawOffset + resources.rawSize);
    EXPECT_EQ(after.directory(kRelocationDirectory).rva,
              relocations.virtualAddress);
    EXPECT_EQ(after.directory(kResourceDirectory).size, size);
    EXPECT_EQ(ByteView(out).u32(after.optionalHeader + pe::kSizeOfImage),
              relocations.virtualAddress + 0x1000);
    EXPECT_EQ(sectionContents(ByteView(out), relocations).copy(),
              sectionContents(ByteView(file), before.sections[2]).copy());
    // .text, stored after the headers, is where it was.
    EXPECT_TRUE(std::equal(file.begin() + 0x200, file.begin() + 0x400,
                           out.begin() + 0x200));
  }
}

TEST(PeImage, ResizesALastResourceSectionInPlace) {
  Layout layout;
  layout.relocationsLast = false;
  const Bytes file = buildPe(kiteResources(), layout);
  std::string error;
  const Bytes out = replaced(file, 0x2345, &error);
  ASSERT_EQ(error, "");
  PeImage after;
  ASSERT_EQ(parsePeImage(ByteView(out), &after), "");
  EXPECT_EQ(after.sections[1].virtualAddress, 0x2000u);  // .reloc stays
  EXPECT_EQ(out.size(), after.sections[2].rawOffset + 0x2400u);
}

TEST(PeImage, RefusesToMoveASectionOtherThanTheRelocations) {
  Layout layout;
  layout.dataAfter = true;
  const Bytes file = buildPe(kiteResources(), layout);
  std::string error;
  replaced(file, 0x10, &error);  // same pages: nothing moves
  EXPECT_EQ(error, "");
  replaced(file, 0x1800, &error);
  EXPECT_NE(error.find("cannot move"), std::string::npos);
}

}  // namespace
}  // namespace kite
