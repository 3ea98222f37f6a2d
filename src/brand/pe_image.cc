#include "brand/pe_image.h"

#include <algorithm>

namespace kite {

namespace {

constexpr size_t kMaxSections = 96;  // the most the Windows loader takes
constexpr uint16_t kExecutableImage = 0x0002;
constexpr uint32_t kMaxFileSize = 0xFFFFFFFFu;

// The fields kitebrand reads from the headers and writes back: one table
// each for the optional header and a section header, for both directions.
template <typename Header>
struct Field {
  uint32_t Header::*member;
  size_t offset;
};
constexpr Field<PeImage> kOptionalFields[] = {
    {&PeImage::initializedDataSize, pe::kSizeOfInitializedData},
    {&PeImage::entryPoint, pe::kAddressOfEntryPoint},
    {&PeImage::sectionAlignment, pe::kSectionAlignment},
    {&PeImage::fileAlignment, pe::kFileAlignment},
    {&PeImage::imageSize, pe::kSizeOfImage},
    {&PeImage::sizeOfHeaders, pe::kSizeOfHeaders},
};
constexpr Field<PeSection> kSectionFields[] = {
    {&PeSection::virtualSize, pe::kVirtualSize},
    {&PeSection::virtualAddress, pe::kVirtualAddress},
    {&PeSection::rawSize, pe::kSizeOfRawData},
    {&PeSection::rawOffset, pe::kPointerToRawData},
};

std::string malformed(const std::string& what) {
  return "malformed PE executable: " + what;
}

// The file offset of `length` bytes at `rva`, when the file holds them.
bool rvaToOffset(const PeImage& image, uint64_t rva, uint64_t length,
                 uint64_t* offset) {
  for (const PeSection& section : image.sections) {
    if (!section.holds(rva)) continue;
    const uint64_t into = rva - section.virtualAddress;
    if (into > section.rawSize || length > section.rawSize - into) return false;
    *offset = section.rawOffset + into;
    return true;
  }
  return false;
}

bool overlaps(const DataDirectory& directory, const PeSection& section) {
  if (directory.size == 0) return false;
  const uint64_t start = directory.rva;
  const uint64_t end = start + directory.size;
  return start < section.virtualAddress + section.memorySize() &&
         end > section.virtualAddress;
}

// Whether a base relocation patches a byte in [from, to): the loader
// would change those bytes, and a rebuild rewrites or moves them.
bool relocatesWithin(ByteView file, const PeImage& image, uint64_t from,
                     uint64_t to) {
  const DataDirectory relocations = image.directory(kRelocationDirectory);
  uint64_t offset = 0;
  if (relocations.size == 0 ||
      !rvaToOffset(image, relocations.rva, relocations.size, &offset))
    return false;
  const ByteView blocks = file.sub(offset, relocations.size);
  uint64_t block = 0;
  while (blocks.has(block, 8)) {
    const uint32_t page = blocks.u32(block);
    const uint32_t blockSize = blocks.u32(block + 4);
    if (blockSize < 8 || !blocks.has(block, blockSize)) break;
    for (uint64_t entry = block + 8; entry + 2 <= block + blockSize;
         entry += 2) {
      const uint16_t value = blocks.u16(entry);
      const unsigned type = value >> 12;
      // Type 0 entries only pad a block to a multiple of four bytes; type
      // 10 patches eight bytes, the others at most four.
      const uint64_t address = uint64_t{page} + (value & 0xFFF);
      const uint64_t width = type == 10 ? 8 : 4;
      if (type != 0 && address < to && address + width > from) return true;
    }
    block += blockSize;
  }
  return false;
}

// Whether section `index` may take another address: it holds the base
// relocations and nothing any other header or the code can point to.
bool canMove(const PeImage& image, size_t index) {
  const PeSection& section = image.sections[index];
  const DataDirectory relocations = image.directory(kRelocationDirectory);
  if (relocations.size == 0 || relocations.rva != section.virtualAddress)
    return false;
  for (size_t i = 0; i < image.directories.size(); ++i) {
    if (i == kRelocationDirectory || i == kSecurityDirectory) continue;
    if (overlaps(image.directories[i], section)) return false;
  }
  return !section.holds(image.entryPoint);
}

// Debug directory entries locate their data by file offset; refuses a file
// in which any of that data lies where the rebuild moves bytes.
bool debugDataBefore(ByteView file, const PeImage& image, uint64_t offset) {
  const DataDirectory debug = image.directory(kDebugDirectory);
  uint64_t start = 0;
  if (debug.size == 0) return true;
  if (!rvaToOffset(image, debug.rva, debug.size, &start)) return false;
  constexpr uint64_t kEntrySize = 28;
  for (uint64_t entry = 0; entry + kEntrySize <= debug.size;
       entry += kEntrySize) {
    if (file.u32(start + entry + 24) >= offset) return false;
  }
  return true;
}

// The file layout a rebuild depends on: headers and earlier sections before
// the resource section's bytes, later sections after them.
std::string checkLayout(const PeImage& image, size_t index) {
  const PeSection& resources = image.sections[index];
  if (resources.rawSize == 0)
    return malformed("the resource section has no data in the file");
  const uint64_t start = resources.rawOffset;
  const uint64_t end = start + resources.rawSize;
  if (image.sizeOfHeaders > start)
    return malformed("the resource section overlaps the headers");
  for (size_t i = 0; i < image.sections.size(); ++i) {
    const PeSection& section = image.sections[i];
    if (i == index || section.rawSize == 0) continue;
    if (section.rawOffset < image.sizeOfHeaders)
      return malformed("section " + section.name + " overlaps the headers");
    const uint64_t sectionEnd = uint64_t{section.rawOffset} + section.rawSize;
    if ((i < index && sectionEnd > start) ||
        (i > index && section.rawOffset < end))
      return "unsupported PE layout: section " + section.name +
             " is stored out of order around the resource section";
  }
  return std::string();
}

// The headers after the resource section takes `size` bytes: its new
// sizes, the later sections' new places, and the directories and sizes
// that describe them.  Refuses a rebuild that would move anything the code
// or a header points to.
std::string planRebuild(ByteView file, const PeImage& image, size_t index,
                        uint64_t size, PeImage* rebuilt) {
  const PeSection& old = image.sections[index];
  const uint64_t rawSize = alignUp(size, image.fileAlignment);
  if (uint64_t{old.rawOffset} + rawSize > kMaxFileSize ||
      uint64_t{old.virtualAddress} + size > kMaxFileSize)
    return "the resources are too large";
  PeImage result = image;
  std::vector<PeSection>& sections = result.sections;
  sections[index].virtualSize = static_cast<uint32_t>(size);
  sections[index].rawSize = static_cast<uint32_t>(rawSize);
  const bool moving =
      index + 1 < sections.size() &&
      alignUp(uint64_t{old.virtualAddress} + size, image.sectionAlignment) !=
          sections[index + 1].virtualAddress;
  if (moving && relocatesWithin(file, image, sections[index + 1].virtualAddress,
                                UINT64_MAX))
    return "unsupported PE layout: base relocations point into the sections "
           "after the resources";
  if (!debugDataBefore(file, image, old.rawOffset))
    return "unsupported PE layout: debug data after the resources";
  uint64_t fileEnd = uint64_t{old.rawOffset} + rawSize;
  for (size_t i = index + 1; i < sections.size(); ++i) {
    PeSection& section = sections[i];
    const PeSection& before = sections[i - 1];
    const uint64_t address = alignUp(
        before.virtualAddress + before.memorySize(), image.sectionAlignment);
    if (address + section.memorySize() > kMaxFileSize)
      return "the resources are too large";
    if (address != section.virtualAddress && !canMove(image, i))
      return "unsupported PE layout: section " + section.name +
             " after the resources cannot move";
    if (image.directory(kRelocationDirectory).size != 0 &&
        image.directory(kRelocationDirectory).rva == section.virtualAddress)
      result.directories[kRelocationDirectory].rva =
          static_cast<uint32_t>(address);
    section.virtualAddress = static_cast<uint32_t>(address);
    if (section.rawSize == 0) continue;
    fileEnd = alignUp(fileEnd, image.fileAlignment);
    if (fileEnd + section.rawSize > kMaxFileSize)
      return "the resources are too large";
    section.rawOffset = static_cast<uint32_t>(fileEnd);
    fileEnd += section.rawSize;
  }
  result.directories[kResourceDirectory].size = static_cast<uint32_t>(size);
  const PeSection& last = sections.back();
  result.imageSize = static_cast<uint32_t>(
      alignUp(uint64_t{last.virtualAddress} + last.memorySize(),
              image.sectionAlignment));
  // The size of initialised data counts the resource section's file size.
  const uint64_t grown = uint64_t{image.initializedDataSize} + rawSize;
  result.initializedDataSize = static_cast<uint32_t>(std::min<uint64_t>(
      grown > old.rawSize ? grown - old.rawSize : 0, kMaxFileSize));
  *rebuilt = std::move(result);
  return std::string();
}

// The file `rebuilt` describes: the bytes before the resource section as
// they were, `contents`, and every later section's bytes at its new place;
// then the headers and the checksum.
Bytes writeRebuild(ByteView file, const PeImage& image, const PeImage& rebuilt,
                   size_t index, const Bytes& contents) {
  const PeSection& resources = rebuilt.sections[index];
  const ByteView before = file.sub(0, resources.rawOffset);
  Bytes out(before.data, before.data + before.size);
  out.insert(out.end(), contents.begin(), contents.end());
  out.resize(resources.rawOffset + size_t{resources.rawSize}, 0);
  for (size_t i = index + 1; i < rebuilt.sections.size(); ++i) {
    const PeSection& section = rebuilt.sections[i];
    if (section.rawSize == 0) continue;
    out.resize(section.rawOffset, 0);
    const ByteView data =
        file.sub(image.sections[i].rawOffset, section.rawSize);
    out.insert(out.end(), data.data, data.data + data.size);
  }
  for (size_t i = 0; i < rebuilt.sections.size(); ++i) {
    const size_t at = rebuilt.sectionTable + pe::kSectionHeaderSize * i;
    for (const Field<PeSection>& field : kSectionFields)
      put32(out, at + field.offset, rebuilt.sections[i].*field.member);
  }
  for (const Field<PeImage>& field : kOptionalFields)
    put32(out, rebuilt.optionalHeader + field.offset, rebuilt.*field.member);
  const size_t directories =
      rebuilt.optionalHeader + pe::dataDirectories(rebuilt.is64);
  for (size_t i = 0; i < rebuilt.directories.size(); ++i) {
    put32(out, directories + 8 * i, rebuilt.directories[i].rva);
    put32(out, directories + 8 * i + 4, rebuilt.directories[i].size);
  }
  put32(out, rebuilt.checksumOffset(),
        peChecksum(ByteView(out), rebuilt.checksumOffset()));
  return out;
}

}  // namespace

std::string parsePeImage(ByteView file, PeImage* image) {
  if (file.size < 64 || file.u16(0) != 0x5A4D)
    return "not a PE executable (no MZ header)";
  const uint64_t signature = file.u32(pe::kSignatureOffset);
  if (!file.has(signature, pe::kOptionalHeader) ||
      file.u32(signature) != 0x00004550)
    return "not a PE executable (no PE signature)";
  const uint16_t sectionCount = file.u16(signature + pe::kNumberOfSections);
  const uint16_t optionalSize = file.u16(signature + pe::kSizeOfOptionalHeader);
  if (!(file.u16(signature + pe::kCharacteristics) & kExecutableImage))
    return "not a PE executable (an object file, not an image)";

  PeImage result;
  result.optionalHeader = static_cast<size_t>(signature + pe::kOptionalHeader);
  const uint64_t optional = result.optionalHeader;
  if (!file.has(optional, 2))
    return "truncated PE executable: the headers are cut short";
  const uint16_t magic = file.u16(optional);
  if (magic != pe::kMagicPe32 && magic != pe::kMagicPe32Plus)
    return malformed("unknown optional header kind");
  result.is64 = magic == pe::kMagicPe32Plus;
  const uint64_t directoryTable = pe::dataDirectories(result.is64);
  const uint32_t directoryCount =
      file.u32(optional + pe::numberOfRvaAndSizes(result.is64));
  if (directoryCount > 16) return malformed("too many data directories");
  if (optionalSize < directoryTable + 8 * directoryCount)
    return malformed("optional header too small");
  if (!file.has(optional, optionalSize))
    return "truncated PE executable: the headers are cut short";
  for (const Field<PeImage>& field : kOptionalFields)
    result.*field.member = file.u32(optional + field.offset);
  for (uint32_t i = 0; i < directoryCount; ++i) {
    const uint64_t at = optional + directoryTable + 8 * i;
    result.directories.push_back({file.u32(at), file.u32(at + 4)});
  }
  if (!isPowerOfTwo(result.fileAlignment) || result.fileAlignment > 0x10000 ||
      !isPowerOfTwo(result.sectionAlignment) ||
      result.sectionAlignment < result.fileAlignment)
    return malformed("bad section or file alignment");

  if (sectionCount == 0 || sectionCount > kMaxSections)
    return malformed("bad number of sections");
  result.sectionTable = static_cast<size_t>(optional + optionalSize);
  const uint64_t tableEnd =
      result.sectionTable + uint64_t{pe::kSectionHeaderSize} * sectionCount;
  if (!file.has(result.sectionTable, tableEnd - result.sectionTable))
    return "truncated PE executable: the headers are cut short";
  if (result.sizeOfHeaders < tableEnd || result.sizeOfHeaders > file.size)
    return malformed("bad size of headers");
  uint64_t nextFree = 0;
  for (uint16_t i = 0; i < sectionCount; ++i) {
    const uint64_t at = result.sectionTable + pe::kSectionHeaderSize * i;
    PeSection section;
    for (uint64_t k = 0; k < 8 && file.u8(at + k) != 0; ++k)
      section.name += static_cast<char>(file.u8(at + k));
    for (const Field<PeSection>& field : kSectionFields)
      section.*field.member = file.u32(at + field.offset);
    if (section.rawSize != 0 && !file.has(section.rawOffset, section.rawSize))
      return "truncated PE executable: section " + section.name +
             " runs past the end of the file";
    if (section.virtualAddress < nextFree)
      return malformed("sections overlap or are out of order");
    nextFree = uint64_t{section.virtualAddress} + section.memorySize();
    result.sections.push_back(section);
  }
  *image = std::move(result);
  return std::string();
}

uint32_t peChecksum(ByteView file, size_t checksumOffset) {
  uint64_t sum = 0;
  for (size_t i = 0; i < file.size; i += 2) {
    uint32_t word = 0;
    for (size_t k = 0; k < 2 && i + k < file.size; ++k) {
      const size_t at = i + k;
      const bool inField = at >= checksumOffset && at - checksumOffset < 4;
      if (!inField) word |= static_cast<uint32_t>(file.data[at]) << (8 * k);
    }
    sum += word;
    sum = (sum & 0xFFFF) + (sum >> 16);
  }
  sum = (sum & 0xFFFF) + (sum >> 16);
  return static_cast<uint32_t>(sum + file.size);
}

std::string findResourceSection(ByteView file, const PeImage& image,
                                size_t* index) {
  if (image.directory(kSecurityDirectory).size != 0)
    return "the executable is signed: signing must come after branding";
  uint64_t end = image.sizeOfHeaders;
  for (const PeSection& section : image.sections) {
    if (section.rawSize != 0)
      end = std::max(end, uint64_t{section.rawOffset} + section.rawSize);
  }
  if (file.size > end)
    return "the executable has data after its last section (an overlay); "
           "branding must come before anything is appended to it";
  const DataDirectory resources = image.directory(kResourceDirectory);
  if (resources.size == 0) return "the executable has no resources";
  for (size_t i = 0; i < image.sections.size(); ++i) {
    const PeSection& section = image.sections[i];
    if (section.virtualAddress != resources.rva) continue;
    if (resources.size > section.memorySize())
      return malformed("the resource directory is larger than its section");
    for (size_t k = 0; k < image.directories.size(); ++k) {
      if (k != kResourceDirectory && k != kSecurityDirectory &&
          overlaps(image.directories[k], section))
        return "unsupported PE layout: the resource section holds other data";
    }
    const std::string layout = checkLayout(image, i);
    if (!layout.empty()) return layout;
    // The section's bytes are rewritten, and it may grow up to the next
    // section, so nothing there may be patched by the loader.
    const uint64_t room = i + 1 < image.sections.size()
                              ? image.sections[i + 1].virtualAddress
                              : UINT64_MAX;
    if (relocatesWithin(file, image, section.virtualAddress, room))
      return "unsupported PE layout: base relocations point into the "
             "resource section";
    *index = i;
    return std::string();
  }
  return "unsupported PE layout: the resources do not start a section";
}

ByteView sectionContents(ByteView file, const PeSection& section) {
  return file.sub(section.rawOffset,
                  std::min<uint64_t>(section.rawSize, section.memorySize()));
}

std::string replaceResourceSection(ByteView file, const PeImage& image,
                                   size_t index, const Bytes& contents,
                                   Bytes* out) {
  if (index >= image.sections.size() || contents.empty())
    return "internal error: no resource section to replace";
  PeImage rebuilt;
  const std::string error =
      planRebuild(file, image, index, contents.size(), &rebuilt);
  if (!error.empty()) return error;
  *out = writeRebuild(file, image, rebuilt, index, contents);
  return std::string();
}

}  // namespace kite
