// The parts of a PE executable (the Windows .exe format) that branding
// reads and rewrites: the headers, the section table, the data directories
// and the checksum; and the rebuilding of a file around a new resource
// section.
#ifndef KITE_BRAND_PE_IMAGE_H_
#define KITE_BRAND_PE_IMAGE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/pe_format.h"
#include "brand/byte_io.h"

namespace kite {

struct PeSection {
  std::string name;
  uint32_t virtualSize = 0;
  uint32_t virtualAddress = 0;
  uint32_t rawSize = 0;
  uint32_t rawOffset = 0;

  // The room the section takes in memory: its virtual size, or its raw size
  // for the linkers that leave the virtual size 0.
  uint64_t memorySize() const { return virtualSize ? virtualSize : rawSize; }
  bool holds(uint64_t rva) const {
    return rva >= virtualAddress && rva - virtualAddress < memorySize();
  }
};

struct DataDirectory {
  uint32_t rva = 0;
  uint32_t size = 0;
};

constexpr size_t kResourceDirectory = 2;
constexpr size_t kSecurityDirectory = 4;
constexpr size_t kRelocationDirectory = 5;
constexpr size_t kDebugDirectory = 6;

struct PeImage {
  bool is64 = false;
  size_t optionalHeader = 0;  // file offset of the optional header
  size_t sectionTable = 0;    // file offset of the first section header
  // The optional header's fields, as named in pe::.
  uint32_t initializedDataSize = 0;
  uint32_t entryPoint = 0;
  uint32_t sectionAlignment = 0;
  uint32_t fileAlignment = 0;
  uint32_t imageSize = 0;
  uint32_t sizeOfHeaders = 0;
  std::vector<DataDirectory> directories;  // at most 16
  std::vector<PeSection> sections;         // in file order (by address)

  size_t checksumOffset() const { return optionalHeader + pe::kCheckSum; }
  DataDirectory directory(size_t index) const {
    return index < directories.size() ? directories[index] : DataDirectory();
  }
};

// Reads and checks the headers of `file`.  Returns an empty string on
// success, otherwise why the bytes are no PE executable we can work on.
std::string parsePeImage(ByteView file, PeImage* image);

// The PE checksum of `file`: the 16-bit sum with end-around carry of its
// words (the checksum field counted as 0), plus the length of the file.
uint32_t peChecksum(ByteView file, size_t checksumOffset);

// Finds the section the resource directory occupies and checks that the
// file can be rebuilt around a new one: not signed, no data after the last
// section, the resource directory alone in its section.  Returns an empty
// string on success, with the section's index in `*index`.
std::string findResourceSection(ByteView file, const PeImage& image,
                                size_t* index);

// The bytes a section holds in the file (never more than its virtual size).
ByteView sectionContents(ByteView file, const PeSection& section);

// `file` with the contents of resource section `index` replaced by
// `contents`, which must have been laid out for the section's unchanged
// address.  `index` is the one findResourceSection gave, having checked
// the layout a rebuild relies on.  Sections after it move up or
// down as needed (only the base relocations can); every other section keeps
// its bytes, offset and address.  The headers that describe sizes, the
// resource and relocation directories and the checksum are brought up to
// date.  Returns an empty string on success.
std::string replaceResourceSection(ByteView file, const PeImage& image,
                                   size_t index, const Bytes& contents,
                                   Bytes* out);

}  // namespace kite

#endif  // KITE_BRAND_PE_IMAGE_H_
