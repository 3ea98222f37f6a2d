#include "base/text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <string>

namespace kite {
namespace {

TEST(WildcardMatch, WindowsRulesWithoutLetterCase) {
  const struct {
    const char* pattern;
    const char* name;
    bool matches;
  } cases[] = {
      {"*.jar", "a.jar", true},        {"*.jar", "A.JAR", true},
      {"*.jar", "a.jar.txt", false},   {"*.jar", ".jar", true},
      {"?.jar", "ab.jar", false},      {"a?c", "abc", true},
      {"*", "", true},                 {"", "", true},
      {"", "a", false},                {"a*", "a", true},
      {"*a*b*", "xxaxxbxx", true},     {"*a*b", "ab_a", false},
      {"**b", "ab", true},             {"a*b*c", "abbbcbc", true},
      {"a*b*c", "abbbcb", false},      {"ab?", "ab", false},
  };
  for (const auto& c : cases)
    EXPECT_EQ(wildcardMatch(c.pattern, c.name), c.matches)
        << c.pattern << " " << c.name;
  // Many stars against a long name that nearly matches: a matcher that
  // tries every split of the name takes minutes here.
  EXPECT_FALSE(wildcardMatch("*a*a*a*a*a*a*a*a*a*a*b", std::string(40, 'a')));
  EXPECT_TRUE(wildcardMatch("*a*a*a*a*a*a*a*a*a*a*b", std::string(40, 'a') + "b"));
}

// One helper cuts paths for the configuration's name (only ".exe" in lower
// case is cut), the console variant's name (any case) and KITE_APP_DIR.
TEST(FileNames, FolderNameAndStem) {
  const struct {
    const char* path;
    const char* folder;
    const char* name;
    const char* lowerStem;  // exeStem(path, false)
    const char* anyStem;    // exeStem(path, true)
  } cases[] = {
      {"C:\\Apps\\App.exe", "C:\\Apps", "App.exe", "App", "App"},
      {"C:\\Apps/My App.EXE", "C:\\Apps", "My App.EXE", "My App.EXE", "My App"},
      {"C:\\App.Exe", "C:\\", "App.Exe", "App.Exe", "App"},
      {"\\App.exe", "\\", "App.exe", "App", "App"},
      {"App.exe", "", "App.exe", "App", "App"},
      {"C:\\Apps\\.exe", "C:\\Apps", ".exe", "", ""},
      {"C:\\Apps\\", "C:\\Apps", "", "", ""},
      {"App.exe.bak", "", "App.exe.bak", "App.exe.bak", "App.exe.bak"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(folderOf(c.path), c.folder) << c.path;
    EXPECT_EQ(fileNameOf(c.path), c.name) << c.path;
    EXPECT_EQ(exeStem(c.path, false), c.lowerStem) << c.path;
    EXPECT_EQ(exeStem(c.path, true), c.anyStem) << c.path;
  }
}

// The C library's printf as the reference for formatText's own.
template <typename... Args>
std::string libraryFormat(const char* format, Args... args) {
  char text[256];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}

#define SAME_AS_PRINTF(...) \
  EXPECT_EQ(formatText(__VA_ARGS__), libraryFormat(__VA_ARGS__)) << #__VA_ARGS__

TEST(FormatText, WritesWhatPrintfWrites) {
  SAME_AS_PRINTF("plain %% text %d", 1);
  SAME_AS_PRINTF("%d %i %d %+d % d %5d %-5d| %05d %.3d %5.3d %.0d|", 0, -7,
                 INT_MIN, 7, 7, -42, 42, -42, 5, -5, 0);
  SAME_AS_PRINTF("%u %lu %llu %zu %hu %hhu", UINT_MAX, ULONG_MAX, ULLONG_MAX,
                 SIZE_MAX, 70000u, 300u);
  SAME_AS_PRINTF("%ld %lld %hd %hhd %jd %td", LONG_MIN, LLONG_MIN, 40000,
                 200, INTMAX_MIN, static_cast<std::ptrdiff_t>(-3));
  SAME_AS_PRINTF("%x %X %#x %#X %#x %08lX %016llx %lx:%lx", 0xbeefu, 0xbeefu,
                 0xbeefu, 0xbeefu, 0u, 0xC0000005ul, 0x1234ull, 0ul, 0xfful);
  SAME_AS_PRINTF("%o %#o %#o %04u-%02u-%02u", 8u, 8u, 0u, 2026u, 1u, 9u);
  SAME_AS_PRINTF("[%s] [%8s] [%-8s] [%.2s] [%*s] [%-*d] [%.*s]", "text",
                 "right", "left", "cut", 6, "star", 4, 1, 3, "precise");
  SAME_AS_PRINTF("%c%c%3c%-3c|", 'k', 'i', 't', 'e');
  SAME_AS_PRINTF("\\u%04x \\u%04x", 0x1f, 0xe9);
  // No fixed buffer: a long text comes whole.
  const std::string text(5000, 'x');
  EXPECT_EQ(formatText("<%s>", text.c_str()), "<" + text + ">");
}

}  // namespace
}  // namespace kite
