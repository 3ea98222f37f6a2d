// The layout of a PE executable's headers (the Windows .exe format), as
// field offsets: described once for every reader and writer of them.
#ifndef KITE_BASE_PE_FORMAT_H_
#define KITE_BASE_PE_FORMAT_H_

#include <cstddef>
#include <cstdint>

namespace kite {

// Where the header fields Kite's tools read and write lie: those of the
// COFF header from the "PE\0\0" signature, those of the optional header and
// of a section header from the start of theirs.  kitebrand rewrites
// executables, kitecheck tells the launcher's variant by its subsystem, and
// the tests build and change executables, all through these names.
namespace pe {
constexpr size_t kSignatureOffset = 0x3C;  // in the MS-DOS header
constexpr size_t kMachine = 4;
constexpr size_t kNumberOfSections = 6;
constexpr size_t kSizeOfOptionalHeader = 20;
constexpr size_t kCharacteristics = 22;
constexpr std::uint16_t kImageFileDll = 0x2000;  // in the characteristics
constexpr size_t kOptionalHeader = 24;  // after the COFF header
constexpr size_t kSizeOfInitializedData = 8;
constexpr size_t kAddressOfEntryPoint = 16;
constexpr size_t kSectionAlignment = 32;
constexpr size_t kFileAlignment = 36;
constexpr size_t kSizeOfImage = 56;
constexpr size_t kSizeOfHeaders = 60;
constexpr size_t kCheckSum = 64;
constexpr size_t kSubsystem = 68;
constexpr std::uint16_t kMagicPe32 = 0x10B;      // the optional header's
constexpr std::uint16_t kMagicPe32Plus = 0x20B;  // first field
// NumberOfRvaAndSizes and the data directories after it, 8 bytes each,
// come after fields that PE32+ makes wider.
constexpr size_t dataDirectories(bool is64) { return is64 ? 112 : 96; }
constexpr size_t numberOfRvaAndSizes(bool is64) {
  return dataDirectories(is64) - 4;
}
constexpr size_t kExportDirectory = 0;  // data directory index
// Fields of the export directory the data directory points to.
constexpr size_t kExportNumberOfNames = 24;
constexpr size_t kExportAddressOfNames = 32;
constexpr size_t kExportDirectorySize = 40;
constexpr size_t kSectionHeaderSize = 40;
constexpr size_t kVirtualSize = 8;
constexpr size_t kVirtualAddress = 12;
constexpr size_t kSizeOfRawData = 16;
constexpr size_t kPointerToRawData = 20;
}  // namespace pe

}  // namespace kite

#endif  // KITE_BASE_PE_FORMAT_H_
