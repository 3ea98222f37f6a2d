#include "base/pe_probe.h"

#include "base/pe_format.h"

namespace kite {
namespace {

// Little-endian reads that say whether the bytes were there.
bool read16(std::string_view bytes, std::uint64_t at, std::uint16_t* value) {
  if (at > bytes.size() || bytes.size() - at < 2) return false;
  *value = static_cast<std::uint16_t>(
      static_cast<unsigned char>(bytes[at]) |
      static_cast<unsigned char>(bytes[at + 1]) << 8);
  return true;
}

bool read32(std::string_view bytes, std::uint64_t at, std::uint32_t* value) {
  std::uint16_t low = 0, high = 0;
  if (!read16(bytes, at, &low) || !read16(bytes, at + 2, &high)) return false;
  *value = static_cast<std::uint32_t>(low) |
           static_cast<std::uint32_t>(high) << 16;
  return true;
}

// Where the headers lie, once the PE signature is found.
struct Headers {
  PeHeader facts;
  std::uint64_t optional = 0;  // offset of the optional header
  std::uint16_t optionalSize = 0;
  std::uint16_t sections = 0;
};

Headers locate(std::string_view bytes) {
  Headers found;
  std::uint32_t signature = 0;
  std::uint16_t magic = 0, characteristics = 0, subsystem = 0;
  if (bytes.substr(0, 2) != "MZ" ||
      !read32(bytes, pe::kSignatureOffset, &signature) ||
      signature > bytes.size() ||
      bytes.substr(signature, 4) != std::string_view("PE\0\0", 4))
    return found;
  const std::uint64_t optional = std::uint64_t{signature} + pe::kOptionalHeader;
  // The subsystem is the last field read: the bytes must reach it.
  if (!read16(bytes, optional + pe::kSubsystem, &subsystem) ||
      !read16(bytes, optional, &magic) ||
      (magic != pe::kMagicPe32 && magic != pe::kMagicPe32Plus))
    return found;
  read16(bytes, signature + pe::kMachine, &found.facts.machine);
  read16(bytes, signature + pe::kNumberOfSections, &found.sections);
  read16(bytes, signature + pe::kSizeOfOptionalHeader, &found.optionalSize);
  read16(bytes, signature + pe::kCharacteristics, &characteristics);
  found.facts.subsystem = subsystem;
  found.facts.isDll = (characteristics & pe::kImageFileDll) != 0;
  found.facts.is64 = magic == pe::kMagicPe32Plus;
  found.facts.valid = true;
  found.optional = optional;
  return found;
}

// The PE format's own limit on sections; it also bounds the work of
// mapping each exported name.
constexpr std::uint16_t kMaxSections = 96;

// The file offset of the relative virtual address `rva`, through the
// section that holds it in its file data; false when none does.
bool fileOffset(std::string_view bytes, const Headers& headers,
                std::uint32_t rva, std::uint64_t* offset) {
  const std::uint64_t table = headers.optional + headers.optionalSize;
  for (std::uint16_t i = 0; i < headers.sections; ++i) {
    const std::uint64_t header = table + pe::kSectionHeaderSize * i;
    std::uint32_t virtualSize = 0, address = 0, rawSize = 0, rawOffset = 0;
    if (!read32(bytes, header + pe::kVirtualSize, &virtualSize) ||
        !read32(bytes, header + pe::kVirtualAddress, &address) ||
        !read32(bytes, header + pe::kSizeOfRawData, &rawSize) ||
        !read32(bytes, header + pe::kPointerToRawData, &rawOffset))
      return false;
    const std::uint32_t span = virtualSize != 0 ? virtualSize : rawSize;
    if (rva < address || rva - address >= span) continue;
    if (rva - address >= rawSize) return false;  // not in the file
    *offset = std::uint64_t{rawOffset} + (rva - address);
    return *offset < bytes.size();
  }
  return false;
}

}  // namespace

const char* machineName(std::uint16_t machine) {
  switch (machine) {
    case kMachineI386:
      return "x86";
    case kMachineAmd64:
      return "x64";
    case kMachineArm64:
      return "ARM64";
    default:
      return nullptr;
  }
}

PeHeader readPeHeader(std::string_view bytes) { return locate(bytes).facts; }

std::vector<std::string> peExportNames(std::string_view bytes) {
  const Headers headers = locate(bytes);
  if (!headers.facts.valid || headers.sections > kMaxSections) return {};
  const bool is64 = headers.facts.is64;
  std::uint32_t directories = 0, rva = 0, names = 0, namesRva = 0;
  std::uint64_t directory = 0, table = 0;
  const std::uint64_t entry = headers.optional + pe::dataDirectories(is64) +
                              8 * pe::kExportDirectory;
  // The data directory must lie inside the optional header its size gives.
  if (!read32(bytes, headers.optional + pe::numberOfRvaAndSizes(is64),
              &directories) ||
      directories <= pe::kExportDirectory ||
      entry + 8 > headers.optional + headers.optionalSize ||
      !read32(bytes, entry, &rva) || rva == 0 ||
      !fileOffset(bytes, headers, rva, &directory) ||
      !read32(bytes, directory + pe::kExportNumberOfNames, &names) ||
      !read32(bytes, directory + pe::kExportAddressOfNames, &namesRva) ||
      names > kMaxPeExportNames ||
      (names != 0 && !fileOffset(bytes, headers, namesRva, &table)))
    return {};
  std::vector<std::string> exported;
  for (std::uint32_t i = 0; i < names; ++i) {
    std::uint32_t nameRva = 0;
    std::uint64_t at = 0;
    if (!read32(bytes, table + 4 * std::uint64_t{i}, &nameRva) ||
        !fileOffset(bytes, headers, nameRva, &at))
      return {};
    const size_t end = bytes.find('\0', at);
    if (end == std::string_view::npos) return {};
    exported.emplace_back(bytes.substr(at, end - at));
  }
  return exported;
}

}  // namespace kite
