// Making and completing the record of a runtime (base/runtime_record.h):
// every reading of a runtime's "release" file and of its executable's
// header goes through here, once per record.
#ifndef KITE_RUNTIME_RUNTIME_RECORD_H_
#define KITE_RUNTIME_RUNTIME_RECORD_H_

#include <optional>
#include <string>

#include "base/runtime_record.h"
#include "platform/platform.h"

namespace kite {

// How many bytes of an executable are read for its header.
constexpr std::size_t kHeaderBytes = 4096;

// The record of the runtime executable `executable` (quotes around it are
// dropped), its home the folder above its "bin" folder; nothing read yet.
RuntimeRecord runtimeRecordFor(const std::string& executable);

// The record of the runtime in the folder `home`, with the executable
// bin\`executableName`; nothing read yet.
RuntimeRecord runtimeRecordInHome(const std::string& home,
                                  const char* executableName);

// The version the "release" file in `home` names (JAVA_VERSION); none when
// the file is missing or names none.
std::optional<std::string> releaseVersion(const std::string& home,
                                          Platform& platform);

// Looks the version up in the home's release file, unless it is known or
// was looked for already.
void lookUpVersion(RuntimeRecord& record, Platform& platform);

// The header of the executable, read on the first call.
const PeHeader& executableHeader(RuntimeRecord& record, Platform& platform);

// Why this Windows cannot start the executable as a program (not a PE
// image, a library, a machine it does not run: x86 runs everywhere, x64 and
// ARM64 only on 64-bit Windows); empty when it can.  Reads its header.
std::string whyNotRunnable(RuntimeRecord& record, Platform& platform);

}  // namespace kite

#endif  // KITE_RUNTIME_RUNTIME_RECORD_H_
