// Fuzz target: reading a PE executable, its resource tree and version
// resource, rebuilding it around a rewritten resource section, and branding
// it as a whole.
//
// Input: the bytes of an executable.
//
// Checked for every input, besides what the sanitizers catch:
//  - a resource tree that reads writes back to bytes that read as the same
//    tree, and those bytes written again are the same bytes;
//  - the file rebuilt around them reads as a PE file again, with a correct
//    checksum, the same resource tree, and every other section's bytes as
//    they were (at the same offset for the sections before the resources);
//  - branding either fails with a message and no output, or gives a file
//    that branding again with the same request leaves byte for byte as it
//    is, whose version strings read back as requested.
#include <cstddef>
#include <cstdint>
#include <string>

#include "brand/brand.h"
#include "brand/pe_image.h"
#include "brand/resource_tree.h"
#include "brand/version_resource.h"
#include "fuzz_support.h"

namespace {

using kite::Bytes;
using kite::ByteView;

kite::ResourceTree readTree(ByteView file, const kite::PeImage& image,
                            size_t index, std::string* error) {
  const kite::PeSection& section = image.sections[index];
  kite::ResourceTree tree;
  *error = kite::parseResourceTree(kite::sectionContents(file, section),
                                   section.virtualAddress, &tree);
  return tree;
}

void checkRebuild(ByteView file, const kite::PeImage& image, size_t index) {
  std::string error;
  const kite::ResourceTree tree = readTree(file, image, index, &error);
  if (!error.empty()) return;
  const uint32_t rva = image.sections[index].virtualAddress;
  Bytes contents;
  if (!kite::writeResourceTree(tree, rva, &contents).empty()) return;
  kite::ResourceTree again;
  FUZZ_CHECK(kite::parseResourceTree(ByteView(contents), rva, &again) == "");
  FUZZ_CHECK(again == tree);
  Bytes rewritten;
  FUZZ_CHECK(kite::writeResourceTree(again, rva, &rewritten) == "");
  FUZZ_CHECK(rewritten == contents);

  Bytes out;
  if (!kite::replaceResourceSection(file, image, index, contents, &out).empty())
    return;
  const ByteView rebuilt(out);
  kite::PeImage after;
  FUZZ_CHECK(kite::parsePeImage(rebuilt, &after) == "");
  FUZZ_CHECK(rebuilt.u32(after.checksumOffset()) ==
             kite::peChecksum(rebuilt, after.checksumOffset()));
  size_t afterIndex = 0;
  FUZZ_CHECK(kite::findResourceSection(rebuilt, after, &afterIndex) == "");
  FUZZ_CHECK(afterIndex == index);
  FUZZ_CHECK(readTree(rebuilt, after, index, &error) == tree);
  FUZZ_CHECK(after.sections.size() == image.sections.size());
  for (size_t i = 0; i < image.sections.size(); ++i) {
    if (i == index) continue;
    const kite::PeSection& was = image.sections[i];
    const kite::PeSection& is = after.sections[i];
    FUZZ_CHECK(is.rawSize == was.rawSize);
    FUZZ_CHECK(i > index || is.rawOffset == was.rawOffset);
    const ByteView before = file.sub(was.rawOffset, was.rawSize);
    const ByteView now = rebuilt.sub(is.rawOffset, is.rawSize);
    FUZZ_CHECK(before.copy() == now.copy());
  }
}

void checkBranding(const Bytes& input) {
  kite::BrandRequest request;
  request.texts["ProductName"] = "Fuzz App";
  request.version = "1.2.3";
  request.elevate = true;
  request.outputName = "Fuzz.exe";
  // A one-image icon: a 40-byte bitmap header and nothing more.
  Bytes icon = {0,  0, 1,  0, 1, 0, 16, 16, 0, 0, 1, 0,
                32, 0, 40, 0, 0, 0, 22, 0,  0, 0, 40};
  icon.resize(22 + 40, 0);
  request.icons = {{kite::kMainIconGroup, "", icon}};
  const kite::BrandResult first = kite::brandExecutable(input, request);
  if (!first.error.empty()) {
    FUZZ_CHECK(first.output.empty() && first.changes.empty());
    return;
  }
  const kite::BrandResult second = kite::brandExecutable(first.output, request);
  FUZZ_CHECK(second.error == "");
  FUZZ_CHECK(second.output == first.output);

  const ByteView file(first.output);
  kite::PeImage image;
  size_t index = 0;
  FUZZ_CHECK(kite::parsePeImage(file, &image) == "");
  FUZZ_CHECK(kite::findResourceSection(file, image, &index) == "");
  std::string error;
  const kite::ResourceTree tree = readTree(file, image, index, &error);
  FUZZ_CHECK(error == "");
  const kite::ResourceData* data =
      kite::firstResource(tree, kite::kVersionResource);
  FUZZ_CHECK(data != nullptr);
  kite::VersionNode version;
  FUZZ_CHECK(kite::parseVersionInfo(ByteView(data->bytes), &version) == "");
  std::string text;
  FUZZ_CHECK(kite::versionString(version, "ProductName", &text));
  FUZZ_CHECK(text == "Fuzz App");
  FUZZ_CHECK(kite::versionString(version, "InternalName", &text));
  FUZZ_CHECK(text == "Fuzz");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const ByteView file(data, size);
  kite::PeImage image;
  size_t index = 0;
  if (kite::parsePeImage(file, &image).empty() &&
      kite::findResourceSection(file, image, &index).empty())
    checkRebuild(file, image, index);
  checkBranding(Bytes(data, data + size));
  return 0;
}
