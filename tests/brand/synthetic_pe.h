// Small synthetic launchers for the branding tests: a PE file with a code
// section, a resource section and base relocations, whose resources look
// like the ones windres gives the real launcher.
#ifndef KITE_TESTS_BRAND_SYNTHETIC_PE_H_
#define KITE_TESTS_BRAND_SYNTHETIC_PE_H_

#include <string>
#include <vector>

#include "base/unicode.h"
#include "brand/byte_io.h"
#include "brand/pe_image.h"
#include "brand/resource_tree.h"
#include "brand/version_resource.h"

namespace kite {
namespace synthetic {

inline VersionNode stringNode(const char* key, const std::string& value) {
  VersionNode node;
  node.key = utf8ToUtf16(key);
  for (char16_t unit : utf8ToUtf16(value)) append16(node.value, unit);
  append16(node.value, 0);
  return node;
}

// The version resource windres writes for the launcher.
inline VersionNode kiteVersion(const char* comment = "Kite launcher 1.0.16") {
  VersionNode root;
  root.key = u"VS_VERSION_INFO";
  root.type = 0;
  const uint32_t fixed[13] = {0xFEEF04BD, 0x10000, 0x10000, 0x100000, 0x10000,
                              0x100000,   0x3F,    0,       0x40004,  1};
  for (uint32_t word : fixed) append32(root.value, word);
  VersionNode table{u"040904B0", 1, {}, {}};
  if (comment) table.children.push_back(stringNode("Comments", comment));
  table.children.push_back(stringNode("CompanyName", "The Kite developers"));
  table.children.push_back(stringNode("FileVersion", "1.0.16"));
  table.children.push_back(stringNode("ProductName", "Kite"));
  root.children.push_back({u"StringFileInfo", 1, {}, {table}});
  VersionNode translation{u"Translation", 0, {0x09, 0x04, 0xB0, 0x04}, {}};
  root.children.push_back({u"VarFileInfo", 1, {}, {translation}});
  return root;
}

inline Bytes text(const std::string& value) {
  return Bytes(value.begin(), value.end());
}

inline const char* kiteManifest() {
  return "<assembly><trustInfo><security><requestedPrivileges>\n"
         "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>\n"
         "</requestedPrivileges></security></trustInfo></assembly>\n";
}

// A bitmap icon image of `size` pixels square (header and a few bytes).
inline Bytes dibImage(uint8_t size) {
  Bytes image;
  append32(image, 40);
  append32(image, size);
  append32(image, 2u * size);
  append16(image, 1);
  append16(image, 32);
  image.resize(40 + 4 * size, size);
  return image;
}

// The start of a PNG file: signature and IHDR for a 256x256 RGBA image.
inline Bytes pngImage() {
  Bytes image = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13,
                 'I',  'H', 'D', 'R', 0,    0,    1,    0,    0, 0, 1, 0,
                 8,    6,   0,   0,   0,    0,    0,    0,    0, 0};
  return image;
}

// An .ico file with a bitmap image for each size and, if `png`, a 256x256
// PNG image.  Planes and bit depth are left 0 in the directory.
inline Bytes icoFile(const std::vector<uint8_t>& sizes, bool png = false) {
  std::vector<Bytes> images;
  for (uint8_t size : sizes) images.push_back(dibImage(size));
  if (png) images.push_back(pngImage());
  Bytes file;
  append16(file, 0);
  append16(file, 1);
  append16(file, static_cast<uint16_t>(images.size()));
  uint32_t offset = static_cast<uint32_t>(6 + 16 * images.size());
  for (size_t i = 0; i < images.size(); ++i) {
    const uint8_t side = i < sizes.size() ? sizes[i] : 0;
    file.insert(file.end(), {side, side, 0, 0, 0, 0, 0, 0});
    append32(file, static_cast<uint32_t>(images[i].size()));
    append32(file, offset);
    offset += static_cast<uint32_t>(images[i].size());
  }
  for (const Bytes& image : images)
    file.insert(file.end(), image.begin(), image.end());
  return file;
}

inline ResourceKey key(uint32_t type, uint32_t id, uint32_t language = 0x409) {
  return {ResourceName::number(type), ResourceName::number(id),
          ResourceName::number(language)};
}

// Icon groups 101 (image 1) and 102 (images 2 and 3, 3 shared with 103),
// the manifest and the version resource.
inline ResourceTree kiteResources(
    const char* comment = "Kite launcher 1.0.16") {
  ResourceTree tree;
  for (uint32_t id = 1; id <= 3; ++id)
    tree[key(kIconResource, id)].bytes = dibImage(static_cast<uint8_t>(id));
  const auto group = [](std::vector<uint16_t> ids) {
    Bytes data = {0, 0, 1, 0, static_cast<unsigned char>(ids.size()), 0};
    for (uint16_t id : ids) {
      data.insert(data.end(), {16, 16, 0, 0, 1, 0, 32, 0, 48, 0, 0, 0});
      append16(data, id);
    }
    return data;
  };
  tree[key(kIconGroupResource, 101)].bytes = group({1});
  tree[key(kIconGroupResource, 102)].bytes = group({2, 3});
  tree[key(kIconGroupResource, 103)].bytes = group({3});
  tree[key(kManifestResource, 1)].bytes = text(kiteManifest());
  writeVersionInfo(kiteVersion(comment), &tree[key(kVersionResource, 1)].bytes);
  return tree;
}

// Where buildPe puts the headers: the signature right after the MS-DOS
// header, the optional header and the section table after it.
constexpr size_t kSignature = 0x40;
constexpr size_t kOptional = kSignature + pe::kOptionalHeader;
inline size_t optionalSize(bool is64) { return is64 ? 240 : 224; }
inline size_t sectionHeader(bool is64, size_t index) {
  return kOptional + optionalSize(is64) + pe::kSectionHeaderSize * index;
}
inline size_t dataDirectory(bool is64, size_t index) {
  return kOptional + pe::dataDirectories(is64) + 8 * index;
}

struct Layout {
  bool is64 = true;
  bool relocationsLast = true;  // .text .rsrc .reloc; else .text .reloc .rsrc
  bool dataAfter = false;       // a .data section after .rsrc (cannot move)
  uint32_t fileAlignment = 0x200;
  uint32_t relocated = 0x1010;  // the address the one base relocation patches
};

// A PE executable with `resources`; its checksum is correct.
inline Bytes buildPe(const ResourceTree& resources, const Layout& layout = {}) {
  const uint32_t align = layout.fileAlignment;
  struct Part {
    const char* name;
    Bytes data;
  };
  std::vector<Part> parts = {{".text", Bytes(0x40, 0xC3)}};
  Bytes relocations;
  append32(relocations, layout.relocated & ~0xFFFu);
  append32(relocations, 12);
  append16(relocations, (layout.is64 ? 0xA000 : 0x3000) |
                            static_cast<uint16_t>(layout.relocated & 0xFFF));
  append16(relocations, 0);
  parts.push_back({".reloc", relocations});
  parts.insert(parts.begin() + (layout.relocationsLast ? 1 : 2), {".rsrc", {}});
  if (layout.dataAfter) parts.push_back({".data", Bytes(0x20, 0x5A)});
  const size_t count = parts.size();
  const bool is64 = layout.is64;
  const uint32_t headers =
      static_cast<uint32_t>(alignUp(sectionHeader(is64, count), align));
  Bytes file(headers, 0);
  put16(file, 0, 0x5A4D);
  put32(file, pe::kSignatureOffset, kSignature);
  put32(file, kSignature, 0x4550);
  put16(file, kSignature + 4, is64 ? 0x8664 : 0x14C);  // Machine
  put16(file, kSignature + pe::kNumberOfSections, static_cast<uint16_t>(count));
  put32(file, kSignature + 8, 0x5E000000);  // TimeDateStamp
  put16(file, kSignature + pe::kSizeOfOptionalHeader,
        static_cast<uint16_t>(optionalSize(is64)));
  put16(file, kSignature + pe::kCharacteristics, is64 ? 0x22 : 0x102);
  put16(file, kOptional, is64 ? 0x20B : 0x10B);  // Magic
  put32(file, kOptional + pe::kSizeOfInitializedData, 0x1000);
  put32(file, kOptional + pe::kAddressOfEntryPoint, 0x1000);
  put32(file, kOptional + pe::kSectionAlignment, 0x1000);
  put32(file, kOptional + pe::kFileAlignment, align);
  put32(file, kOptional + pe::kSizeOfHeaders, headers);
  put16(file, kOptional + 68, 2);  // Subsystem: GUI
  put32(file, kOptional + pe::numberOfRvaAndSizes(is64), 16);
  uint32_t address = 0x1000;
  for (size_t i = 0; i < count; ++i) {
    Part& part = parts[i];
    const std::string name = part.name;
    if (name == ".rsrc") writeResourceTree(resources, address, &part.data);
    const size_t header = sectionHeader(is64, i);
    std::copy(name.begin(), name.end(), file.begin() + header);
    put32(file, header + pe::kVirtualSize,
          static_cast<uint32_t>(part.data.size()));
    put32(file, header + pe::kVirtualAddress, address);
    put32(file, header + pe::kSizeOfRawData,
          static_cast<uint32_t>(alignUp(part.data.size(), align)));
    put32(file, header + pe::kPointerToRawData,
          static_cast<uint32_t>(file.size()));
    put32(file, header + 36, 0x40000040);  // Characteristics
    if (name == ".rsrc" || name == ".reloc") {
      const size_t directory = dataDirectory(
          is64, name == ".rsrc" ? kResourceDirectory : kRelocationDirectory);
      put32(file, directory, address);
      put32(file, directory + 4, static_cast<uint32_t>(part.data.size()));
    }
    file.insert(file.end(), part.data.begin(), part.data.end());
    padTo(file, align);
    address =
        static_cast<uint32_t>(alignUp(address + part.data.size(), 0x1000));
  }
  put32(file, kOptional + pe::kSizeOfImage, address);
  put32(file, kOptional + pe::kCheckSum,
        peChecksum(ByteView(file), kOptional + pe::kCheckSum));
  return file;
}

}  // namespace synthetic
}  // namespace kite

#endif  // KITE_TESTS_BRAND_SYNTHETIC_PE_H_
