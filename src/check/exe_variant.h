// Which variant of the launcher an executable is, from its PE header: the
// GUI launcher (kite32.exe, kite64.exe) or the console variant (kitec32.exe,
// kitec64.exe), and copies of them, renamed or branded.
#ifndef KITE_CHECK_EXE_VARIANT_H_
#define KITE_CHECK_EXE_VARIANT_H_

#include <optional>
#include <string_view>

namespace kite {

// The PE subsystems of the two variants.
constexpr unsigned kSubsystemGui = 2;
constexpr unsigned kSubsystemConsole = 3;

// The subsystem the PE image `bytes` declares in its optional header (the
// same place in PE32 and PE32+); unset when `bytes` is no PE image.
std::optional<unsigned> peSubsystem(std::string_view bytes);

}  // namespace kite

#endif  // KITE_CHECK_EXE_VARIANT_H_
