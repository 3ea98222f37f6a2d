#include "base/pe_probe.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace kite {
namespace {

void put(std::string& b, size_t at, unsigned value, int width) {
  for (int i = 0; i < width; ++i) b[at + i] = static_cast<char>(value >> 8 * i);
}

// A DLL laid out by hand: headers at 0x80, optional header at 0x98, one
// section (RVA 0x1000 at file offset 0x200) holding the export directory,
// its name table at RVA 0x1040 and the names at 0x1080 and 0x10A0.
std::string library(bool is64) {
  std::string b(0x400, '\0');
  b.replace(0, 2, "MZ");
  put(b, 0x3C, 0x80, 4);
  b.replace(0x80, 4, std::string("PE\0\0", 4));
  put(b, 0x84, is64 ? 0x8664 : 0x14C, 2);
  put(b, 0x86, 1, 2);                    // one section
  put(b, 0x94, is64 ? 240 : 224, 2);     // optional header size
  put(b, 0x96, 0x2102, 2);               // DLL
  put(b, 0x98, is64 ? 0x20B : 0x10B, 2);
  put(b, 0x98 + 68, 3, 2);               // console subsystem
  put(b, 0x98 + (is64 ? 108 : 92), 16, 4);
  put(b, 0x98 + (is64 ? 112 : 96), 0x1000, 4);  // export directory RVA
  const size_t section = 0x98 + (is64 ? 240 : 224);
  put(b, section + 8, 0x200, 4);
  put(b, section + 12, 0x1000, 4);
  put(b, section + 16, 0x200, 4);
  put(b, section + 20, 0x200, 4);
  put(b, 0x200 + 24, 2, 4);  // two names, table at RVA 0x1040
  put(b, 0x200 + 32, 0x1040, 4);
  put(b, 0x240, 0x1080, 4);
  put(b, 0x244, 0x10A0, 4);
  b.replace(0x280, 16, "JNI_CreateJavaVM");
  b.replace(0x2A0, 14, "JNI_GetCreated");
  return b;
}

TEST(PeProbe, HeaderFactsAndExportedNames) {
  using Change = std::function<void(std::string&)>;
  const std::vector<std::string> both = {"JNI_CreateJavaVM", "JNI_GetCreated"};
  const struct {
    const char* what;
    bool is64;
    Change change;
    bool valid;
    unsigned machine;
    std::vector<std::string> names;
  } cases[] = {
      {"PE32 DLL", false, [](std::string&) {}, true, 0x14C, both},
      {"PE32+ DLL", true, [](std::string&) {}, true, 0x8664, both},
      {"ARM64", true, [](std::string& b) { put(b, 0x84, 0xAA64, 2); }, true, 0xAA64, both},
      {"no MZ", false, [](std::string& b) { b[0] = 'N'; }, false, 0, {}},
      {"e_lfanew past end", false, [](std::string& b) { put(b, 0x3C, 0xFFFFFFF0, 4); }, false, 0, {}},
      {"no PE signature", false, [](std::string& b) { b[0x81] = 'F'; }, false, 0, {}},
      {"ROM magic", false, [](std::string& b) { put(b, 0x98, 0x107, 2); }, false, 0, {}},
      {"cut before subsystem", false, [](std::string& b) { b.resize(0x98 + 69); }, false, 0, {}},
      {"no export directory", false, [](std::string& b) { put(b, 0x98 + 96, 0, 4); }, true, 0x14C, {}},
      {"no data directories", false, [](std::string& b) { put(b, 0x98 + 92, 0, 4); }, true, 0x14C, {}},
      {"name outside sections", false, [](std::string& b) { put(b, 0x244, 0x9000, 4); }, true, 0x14C, {}},
      {"name without its end", false, [](std::string& b) { b.resize(0x2AE); }, true, 0x14C, {}},
      {"huge name count", false, [](std::string& b) { put(b, 0x200 + 24, 0x7FFFFFFF, 4); }, true, 0x14C, {}},
  };
  for (const auto& c : cases) {
    std::string bytes = library(c.is64);
    c.change(bytes);
    const PeHeader header = readPeHeader(bytes);
    EXPECT_EQ(header.valid, c.valid) << c.what;
    EXPECT_EQ(header.machine, c.valid ? c.machine : 0) << c.what;
    EXPECT_EQ(header.isDll, c.valid) << c.what;
    EXPECT_EQ(header.is64, c.valid && c.is64) << c.what;
    EXPECT_EQ(header.subsystem, c.valid ? 3 : 0) << c.what;
    EXPECT_EQ(peExportNames(bytes), c.names) << c.what;
  }
}

}  // namespace
}  // namespace kite
