#include "check/exe_variant.h"

#include <cstdint>

#include "base/pe_format.h"

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
  // "MZ", the offset of "PE\0\0", the COFF header, then the optional
  // header: its magic, and the subsystem.
  if (bytes.size() < pe::kSignatureOffset + 4 || bytes.substr(0, 2) != "MZ")
    return std::nullopt;
  const size_t signature = little(bytes, pe::kSignatureOffset, 4);
  const size_t optional = signature + pe::kOptionalHeader;
  if (signature > bytes.size() ||
      bytes.size() - signature < pe::kOptionalHeader + pe::kSubsystem + 2 ||
      bytes.substr(signature, 4) != std::string_view("PE\0\0", 4))
    return std::nullopt;
  const std::uint32_t magic = little(bytes, optional, 2);
  if (magic != pe::kMagicPe32 && magic != pe::kMagicPe32Plus)
    return std::nullopt;
  return little(bytes, optional + pe::kSubsystem, 2);
}

}  // namespace kite
