// Fuzz target: the PE probe on any bytes.
//
// Input: the first bytes of a file said to be a program or library.
//
// Checked for every input, besides what the sanitizers catch (every read
// is bounded by the input):
//  - a header that is not valid says nothing else, and a file without a
//    valid header exports no names;
//  - every exported name lies in the input, holds no NUL and the count
//    stays under the cap;
//  - the same bytes give the same answer twice.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/pe_probe.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const kite::PeHeader header = kite::readPeHeader(bytes);
  const std::vector<std::string> names = kite::peExportNames(bytes);
  if (!header.valid) {
    FUZZ_CHECK(header.machine == 0 && !header.isDll && !header.is64 &&
               header.subsystem == 0);
    FUZZ_CHECK(names.empty());
  }
  FUZZ_CHECK(names.size() <= kite::kMaxPeExportNames);
  for (const std::string& name : names) {
    FUZZ_CHECK(name.find('\0') == std::string::npos);
    FUZZ_CHECK(bytes.find(name) != std::string_view::npos);
  }
  FUZZ_CHECK(kite::peExportNames(bytes) == names);
  return 0;
}
