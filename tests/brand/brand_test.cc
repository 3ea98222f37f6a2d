#include "brand/brand.h"

#include <gtest/gtest.h>

#include "brand/ico_file.h"
#include "brand/manifest.h"
#include "brand/synthetic_pe.h"

namespace kite {
namespace {

using synthetic::icoFile;

struct Branded {
  PeImage image;
  ResourceTree tree;
  VersionNode version;
};

Branded read(const Bytes& file) {
  Branded out;
  size_t index = 0;
  EXPECT_EQ(parsePeImage(ByteView(file), &out.image), "");
  EXPECT_EQ(findResourceSection(ByteView(file), out.image, &index), "");
  const PeSection& section = out.image.sections[index];
  EXPECT_EQ(parseResourceTree(sectionContents(ByteView(file), section),
                              section.virtualAddress, &out.tree),
            "");
  const ResourceData* version = findResource(out.tree, kVersionResource, 1);
  if (version) parseVersionInfo(ByteView(version->bytes), &out.version);
  return out;
}

std::string text(const Branded& branded, const char* key) {
  std::string value;
  versionString(branded.version, key, &value);
  return value;
}

BrandRequest fullRequest() {
  BrandRequest request;
  request.icons = {{kMainIconGroup, "", icoFile({16, 32}, true)},
                   {5, "", icoFile({48})}};
  request.texts = {{"ProductName", "My App"},
                   {"CompanyName", "Example Ltd"},
                   {"FileDescription", "Café Ελληνικά"},
                   {"LegalCopyright", "(C) 2026 Example Ltd"}};
  request.version = "2.3.1";
  request.elevate = true;
  request.outputName = "dist\\MyApp.exe";
  return request;
}

TEST(Brand, BrandsEveryPartAndReportsTheChanges) {
  const Bytes input = synthetic::buildPe(synthetic::kiteResources());
  const BrandResult result = brandExecutable(input, fullRequest());
  ASSERT_EQ(result.error, "");
  const Branded out = read(result.output);
  EXPECT_EQ(text(out, "ProductName"), "My App");
  EXPECT_EQ(text(out, "FileDescription"), "Café Ελληνικά");
  EXPECT_EQ(text(out, "ProductVersion"), "2.3.1");
  EXPECT_EQ(text(out, "OriginalFilename"), "MyApp.exe");
  EXPECT_EQ(text(out, "InternalName"), "MyApp");
  EXPECT_EQ(text(out, "Comments"), "Kite launcher 1.0.16");
  std::string level;
  ASSERT_TRUE(manifestExecutionLevel(
      findResource(out.tree, kManifestResource, 1)->bytes, &level));
  EXPECT_EQ(level, "requireAdministrator");
  std::vector<uint16_t> ids;
  ASSERT_TRUE(iconGroupIds(
      ByteView(findResource(out.tree, kIconGroupResource, 101)->bytes), &ids));
  EXPECT_EQ(ids.size(), 3u);
  EXPECT_EQ(findResource(out.tree, kIconResource, ids[2])->bytes,
            synthetic::pngImage());
  const std::vector<std::string> expected = {
      "icon group 101: 3 images (16x16, 32x32, 256x256 PNG)",
      "icon group 5 (new): 1 image (48x48)",
      "version numbers: 1.0.16.0 -> 2.3.1.0",
      "ProductName: Kite -> My App",
      "FileDescription: (none) -> Café Ελληνικά",
      "CompanyName: The Kite developers -> Example Ltd",
      "LegalCopyright: (none) -> (C) 2026 Example Ltd",
      "FileVersion: 1.0.16 -> 2.3.1",
      "ProductVersion: (none) -> 2.3.1",
      "OriginalFilename: (none) -> MyApp.exe",
      "InternalName: (none) -> MyApp",
      "manifest: asInvoker -> requireAdministrator",
  };
  EXPECT_EQ(result.changes, expected);
}

TEST(Brand, GivesTheSameBytesEachTimeAndRebrands) {
  const Bytes input = synthetic::buildPe(synthetic::kiteResources());
  const BrandResult first = brandExecutable(input, fullRequest());
  EXPECT_EQ(brandExecutable(input, fullRequest()).output, first.output);
  BrandRequest again;
  again.texts["ProductName"] = "Other";
  again.icons = {{kMainIconGroup, "", icoFile({24})}};
  const BrandResult second = brandExecutable(first.output, again);
  ASSERT_EQ(second.error, "");
  const Branded out = read(second.output);
  EXPECT_EQ(text(out, "ProductName"), "Other");
  EXPECT_EQ(text(out, "ProductVersion"), "2.3.1");  // kept from the first
  // The first run gave group 101 images 1, 4 and 5 (2 and 3 belong to
  // other groups) and group 5 image 6; the new image of 101 takes id 1.
  EXPECT_EQ(resourceIds(out.tree, kIconResource),
            (std::vector<uint32_t>{1, 2, 3, 6}));
  EXPECT_EQ(second.changes.back(), "ProductName: My App -> Other");
  // An empty request gives the input back byte for byte.
  EXPECT_EQ(brandExecutable(input, BrandRequest()).output, input);
}

TEST(Brand, RefusesBadInputWithAReason) {
  const Bytes input = synthetic::buildPe(synthetic::kiteResources());
  Bytes signedFile = input;
  put32(signedFile, synthetic::dataDirectory(true, kSecurityDirectory) + 4, 8);
  BrandRequest plain;
  BrandRequest badVersion, badIcon, emptyIcon, twice, badText;
  badVersion.version = "1.2.3.4.5";
  badIcon.icons = {{kMainIconGroup, "", Bytes{0, 0, 1, 0, 1, 0}}};
  emptyIcon.icons = {{9, "", Bytes{0, 0, 1, 0, 0, 0}}};
  twice.icons = {{kMainIconGroup, "", icoFile({16})}, {101, "", icoFile({16})}};
  badText.texts["LegalCopyright"] = "\xFF";
  struct Case {
    Bytes file;
    const BrandRequest* request;
    const char* error;
  };
  const Case cases[] = {
      {Bytes(100, 'x'), &plain, "not a PE executable"},
      {Bytes(input.begin(), input.begin() + 0x300), &plain, "truncated"},
      {synthetic::buildPe(synthetic::kiteResources(nullptr)), &plain,
       "not a Kite launcher"},
      {synthetic::buildPe(synthetic::kiteResources("Other 1.0")), &plain,
       "not a Kite launcher"},
      {signedFile, &plain, "signing must come after branding"},
      {input, &badVersion, "bad version \"1.2.3.4.5\""},
      {input, &badIcon, "icon group 101: truncated .ico file"},
      {input, &emptyIcon, "icon group 9: the .ico file holds no images"},
      {input, &twice, "icon group 101 is given twice"},
      {input, &badText, "the copyright is not valid UTF-8"},
  };
  for (const Case& c : cases) {
    const BrandResult result = brandExecutable(c.file, *c.request);
    EXPECT_NE(result.error.find(c.error), std::string::npos)
        << c.error << ": " << result.error;
    EXPECT_TRUE(result.output.empty());
  }
}

}  // namespace
}  // namespace kite
