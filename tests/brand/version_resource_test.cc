#include "brand/version_resource.h"

#include <gtest/gtest.h>

namespace kite {
namespace {

Bytes fromHex(const char* hex) {
  Bytes out;
  for (; hex[0] && hex[1]; hex += 2)
    out.push_back(static_cast<unsigned char>(
        std::stoi(std::string(hex, 2), nullptr, 16)));
  return out;
}

// What windres makes of FILEVERSION 1,2,3,4 with the strings Comments
// ("Kite launcher 1.2") and ProductName ("Kite") and Translation 0x0409,
// 1200.
const Bytes kWindresVersion = fromHex(
    "440134000000560053005f00560045005200530049004f004e005f0049004e00"
    "46004f0000000000bd04effe0000010002000100040003000200010004000300"
    "00000000000000000400040001000000000000000000000000000000a2000000"
    "010053007400720069006e006700460069006c00650049006e0066006f000000"
    "7e00000001003000340030003900300034004200300000003c00120001004300"
    "6f006d006d0065006e007400730000004b0069007400650020006c0061007500"
    "6e006300680065007200200031002e00320000002a0005000100500072006f00"
    "64007500630074004e0061006d006500000000004b0069007400650000000000"
    "440000000100560061007200460069006c00650049006e0066006f0000000000"
    "2400040000005400720061006e0073006c006100740069006f006e0000000000"
    "0904b004");

TEST(VersionResource, ReadsAndWritesBackWhatWindresWrites) {
  VersionNode root;
  ASSERT_EQ(parseVersionInfo(ByteView(kWindresVersion), &root), "");
  std::string text;
  ASSERT_TRUE(versionString(root, "Comments", &text));
  EXPECT_EQ(text, "Kite launcher 1.2");
  ASSERT_TRUE(fixedFileVersion(root, &text));
  EXPECT_EQ(text, "1.2.3.4");
  EXPECT_EQ(root.children[1].children[0].value, (Bytes{9, 4, 0xB0, 4}));
  Bytes written;
  ASSERT_EQ(writeVersionInfo(root, &written), "");
  EXPECT_EQ(written, kWindresVersion);
}

TEST(VersionResource, SetsStringsAndVersionsThatReadBack) {
  VersionNode root;
  ASSERT_EQ(parseVersionInfo(ByteView(kWindresVersion), &root), "");
  ASSERT_TRUE(setVersionString(&root, "ProductName", "Café Ελληνικά 𝄞"));
  ASSERT_TRUE(setVersionString(&root, "CompanyName", "Example Ltd"));  // new
  EXPECT_FALSE(setVersionString(&root, "CompanyName", "\xC3("));
  ASSERT_TRUE(setFixedVersion(&root, {2, 3, 65535, 0}));
  Bytes written;
  ASSERT_EQ(writeVersionInfo(root, &written), "");
  EXPECT_EQ(written.size() % 2, 0u);
  EXPECT_EQ(ByteView(written).u16(0), written.size());
  VersionNode back;
  ASSERT_EQ(parseVersionInfo(ByteView(written), &back), "");
  std::string text;
  ASSERT_TRUE(versionString(back, "ProductName", &text));
  EXPECT_EQ(text, "Café Ελληνικά 𝄞");
  ASSERT_TRUE(versionString(back, "CompanyName", &text));
  EXPECT_EQ(text, "Example Ltd");
  ASSERT_TRUE(fixedFileVersion(back, &text));
  EXPECT_EQ(text, "2.3.65535.0");
  EXPECT_EQ(ByteView(back.value).u32(16), 0x20003u);  // product version
  // A text value's length counts UTF-16 units with the terminator.
  const VersionNode& company = back.children[0].children[0].children[2];
  EXPECT_EQ(company.value.size(), 2 * 12u);

  // A table that names a string twice: Windows reads the first, so both
  // take the value (found by the pe_image fuzz target).
  VersionNode twice = root;
  twice.children[0].children[0].children.push_back(
      twice.children[0].children[0].children[1]);
  ASSERT_TRUE(setVersionString(&twice, "ProductName", "Fuzz App"));
  ASSERT_TRUE(versionString(twice, "ProductName", &text));
  EXPECT_EQ(text, "Fuzz App");
  EXPECT_EQ(twice.children[0].children[0].children.back().value,
            twice.children[0].children[0].children[1].value);
}

TEST(VersionResource, ReadsVersionNumbers) {
  const std::pair<const char*, VersionNumber> good[] = {
      {"2", {2, 0, 0, 0}},
      {"2.3.1", {2, 3, 1, 0}},
      {"0.0.0.65535", {0, 0, 0, 65535}},
      {"007.1", {7, 1, 0, 0}},
  };
  for (const auto& c : good) {
    VersionNumber number;
    ASSERT_TRUE(parseVersionNumber(c.first, &number)) << c.first;
    EXPECT_EQ(number, c.second) << c.first;
  }
  for (const char* bad : {"", ".", "1.", ".1", "1..2", "1.2.3.4.5", "65536",
                          "1.99999999999", "1.-2", "v1", "1 .2", "1,2"}) {
    VersionNumber number;
    EXPECT_FALSE(parseVersionNumber(bad, &number)) << bad;
  }
}

TEST(VersionResource, RefusesMalformedBlocks) {
  struct Case {
    size_t offset;
    uint16_t value;
  };
  const Case cases[] = {
      {0, 0x0500},     // longer than the data
      {0, 4},          // shorter than a header
      {0x5C, 3},       // StringFileInfo shorter than a header
      {0x5C, 0x0400},  // StringFileInfo past its parent's end
  };
  for (const Case& c : cases) {
    Bytes data = kWindresVersion;
    put16(data, c.offset, c.value);
    VersionNode root;
    EXPECT_NE(parseVersionInfo(ByteView(data), &root), "") << c.offset;
  }
  Bytes noTerminator = {12, 0, 0, 0, 1, 0, 'A', 0, 'B', 0, 'C', 0};
  VersionNode root;
  EXPECT_NE(parseVersionInfo(ByteView(noTerminator), &root), "");
  // Blocks nested deeper than any version resource goes.
  Bytes deep;
  for (int level = 0; level < 12; ++level) {
    const uint16_t length = static_cast<uint16_t>(8 * (12 - level));
    deep.insert(deep.end(),
                {static_cast<unsigned char>(length), 0, 0, 0, 1, 0, 0, 0});
  }
  EXPECT_NE(parseVersionInfo(ByteView(deep), &root), "");
}

}  // namespace
}  // namespace kite
