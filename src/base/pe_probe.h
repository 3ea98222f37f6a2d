// What the first bytes of a PE file (a Windows .exe or .dll) say about it:
// the machine it runs on, whether it is a library, and the names it exports.
// Pure reading of bytes the caller got; every read is bounded by them.
#ifndef KITE_BASE_PE_PROBE_H_
#define KITE_BASE_PE_PROBE_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kite {

constexpr std::uint16_t kMachineI386 = 0x14C, kMachineAmd64 = 0x8664,
                        kMachineArm64 = 0xAA64;

// "x86", "x64" or "ARM64"; null for another machine.
const char* machineName(std::uint16_t machine);

struct PeHeader {
  bool valid = false;
  std::uint16_t machine = 0;
  bool isDll = false;
  bool is64 = false;  // a PE32+ optional header
  std::uint16_t subsystem = 0;
};

// The COFF/optional header facts of a PE file's first bytes; valid false
// for anything that is not a PE image (bad MZ, bad e_lfanew, truncated, bad
// PE signature, unknown optional-header magic).
PeHeader readPeHeader(std::string_view bytes);

// The names a PE DLL exports (export directory, data directory 0, RVAs
// mapped through the section table), in table order; empty for none or a
// malformed table.  Never reads outside `bytes`; a table of more than
// kMaxPeExportNames names counts as malformed.
std::vector<std::string> peExportNames(std::string_view bytes);

constexpr std::uint32_t kMaxPeExportNames = 65536;

}  // namespace kite

#endif  // KITE_BASE_PE_PROBE_H_
