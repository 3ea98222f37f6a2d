#include "check/exe_variant.h"

#include <cstdint>

namespace kite {
namespace {

std::uint32_t little(std::string_view bytes, size_t at, size_t width) {
  std::uint32_t value = 0;
  for (size_t i = width; i-- > 0;)
    value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

}  // namespace

std::optional<unsigned> peSubsystem(std::string_view bytes) {
  // "MZ", the PE header's offset at 0x3C, "PE\0\0", the 20-byte file header,
  // then the optional header: its magic, and the subsystem 68 bytes in.
  if (bytes.size() < 0x40 || bytes.substr(0, 2) != "MZ") return std::nullopt;
  const size_t pe = little(bytes, 0x3C, 4);
  const size_t optional = pe + 24;
  if (pe > bytes.size() || bytes.size() - pe < 24 + 70 ||
      bytes.substr(pe, 4) != std::string_view("PE\0\0", 4))
    return std::nullopt;
  const std::uint32_t magic = little(bytes, optional, 2);
  if (magic != 0x10B && magic != 0x20B) return std::nullopt;
  return little(bytes, optional + 68, 2);
}

}  // namespace kite
