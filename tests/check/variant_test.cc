// The launcher variant kitecheck checks for: as asked, else the one the
// launcher file is by its PE header, else the GUI launcher.
#include "check/exe_variant.h"

#include <gtest/gtest.h>

#include "base/pe_format.h"
#include "check/checker.h"
#include "check/render.h"
#include "platform/fake_platform.h"
#include "support/classic_runtimes.h"
#include "runtime/java_registry.h"

namespace kite {
namespace {

const std::string kBase = kJavaRegistryKey;

// The variant checked for: as asked, else the one the launcher file is by
// its PE header, else the GUI launcher; it decides the runtime executable,
// the exit code and how a missing runtime is told.
std::string peWithSubsystem(unsigned subsystem, bool plus) {
  constexpr size_t kSignature = 0x80;
  constexpr size_t kOptional = kSignature + pe::kOptionalHeader;
  const unsigned magic = plus ? pe::kMagicPe32Plus : pe::kMagicPe32;
  std::string bytes(0x200, '\0');
  bytes[0] = 'M';
  bytes[1] = 'Z';
  bytes[pe::kSignatureOffset] = static_cast<char>(kSignature);
  bytes.replace(kSignature, 4, std::string("PE\0\0", 4));
  bytes[kOptional] = static_cast<char>(magic & 0xFF);
  bytes[kOptional + 1] = static_cast<char>(magic >> 8);
  bytes[kOptional + pe::kSubsystem] = static_cast<char>(subsystem);
  return bytes;
}

TEST(Variant, PeSubsystemOfBothWidthsAndNoImage) {
  EXPECT_EQ(peSubsystem(peWithSubsystem(3, false)), 3u);
  EXPECT_EQ(peSubsystem(peWithSubsystem(2, true)), 2u);
  EXPECT_EQ(peSubsystem(""), std::nullopt);
  EXPECT_EQ(peSubsystem("MZ"), std::nullopt);
  std::string noPe = peWithSubsystem(3, false);
  noPe[0x81] = 'X';
  EXPECT_EQ(peSubsystem(noPe), std::nullopt);
  std::string far = peWithSubsystem(3, false);
  far[0x3F] = 0x7F;  // the PE header would lie beyond the end
  EXPECT_EQ(peSubsystem(far), std::nullopt);
  std::string magic = peWithSubsystem(3, false);
  magic[0x80 + 24] = 0x07;
  EXPECT_EQ(peSubsystem(magic), std::nullopt);
}

TEST(Variant, AsAskedOrAsTheLauncherFileIs) {
  const struct {
    const char* exeBytes;  // null: no launcher file
    std::optional<bool> option;
    const char* config;
    const char* launcherLine;
    const char* runtime;
  } cases[] = {
      {nullptr, std::nullopt, "", "launcher GUI (kite32.exe, kite64.exe), the default: "
       "starts javaw.exe, exits with 0 once the application has run",
       "\"C:\\jre\\1.6\\bin\\javaw.exe\""},
      {"console", std::nullopt, "", "launcher console variant (kitec32.exe, kitec64.exe), "
       "as its PE header says: starts java.exe, writes its messages to standard "
       "error, exits with the application's exit code", "\"C:\\jre\\1.6\\bin\\java.exe\""},
      {"gui", std::nullopt, "exitCode app\n", "launcher GUI (kite32.exe, kite64.exe), as its PE "
       "header says: starts javaw.exe, exits with the application's exit code",
       "\"C:\\jre\\1.6\\bin\\javaw.exe\""},
      {"console", false, "", "launcher GUI (kite32.exe, kite64.exe), as --gui asks: starts "
       "javaw.exe, exits with 0 once the application has run",
       "\"C:\\jre\\1.6\\bin\\javaw.exe\""},
      {nullptr, true, "exitCode launcher\n", "launcher console variant (kitec32.exe, "
       "kitec64.exe), as --console asks: starts java.exe, writes its messages to standard "
       "error, exits with 0 once the application has run",
       "\"C:\\jre\\1.6\\bin\\java.exe\""},
  };
  for (const auto& c : cases) {
    FakePlatform platform;
    installClassicRuntimes(platform, {"1.6"});
    platform.setRegistryValue(kBase, "CurrentVersion", "1.6");
    if (c.exeBytes)
      platform.addFile("C:\\Apps\\App\\App.exe",
                       peWithSubsystem(std::string(c.exeBytes) == "console" ? 3 : 2, true));
    platform.addFile("C:\\Apps\\App\\App.config",
                     std::string("mainclass a.Main\naddjar a.jar\n") + c.config);
    CheckOptions options;
    options.exe = "C:\\Apps\\App\\App.exe";
    options.console = c.option;
    const Report report = runCheck(options, platform);
    const std::string text = renderText(report);
    EXPECT_NE(text.find(std::string("\n") + c.launcherLine + "\n"), std::string::npos)
        << c.launcherLine << "\n" << text;
    EXPECT_EQ(report.settings.javaPath, c.runtime);
    const std::string json = renderJson(report);
    EXPECT_NE(json.find(std::string("\"runtimeExecutable\": \"") +
                        (report.settings.console ? "java.exe" : "javaw.exe")),
              std::string::npos);
  }
}

TEST(Variant, TheConsoleVariantWritesALineWhereTheGuiAsks) {
  for (const bool console : {false, true}) {
    FakePlatform platform;
    platform.addFile("C:\\Apps\\App\\App.config",
                     "mainclass a.Main\naddjar a.jar\njavaMinVersion 17\n"
                     "logFile logs\\kite.log\n");
    CheckOptions options;
    options.exe = "C:\\Apps\\App\\App.exe";
    options.console = console;
    const std::string text = renderText(runCheck(options, platform));
    const char* expected =
        console ? "    standard error: Java Runtime Environment Not Found: a.Main requires "
                  "Java 17 or later, and no installed Java runtime fits. / Download it from "
                  "https://adoptium.net/temurin/releases/?version=17\n"
                : "    box \"Java Runtime Environment Not Found\": a.Main requires Java 17 "
                  "or later, and no installed Java runtime fits. / Do you want to open the "
                  "download page?\n";
    EXPECT_NE(text.find(expected), std::string::npos) << text;
    EXPECT_NE(text.find("  log file           logs\\kite.log -> "
                        "C:\\Apps\\App\\logs\\kite.log  (App.config:4)\n"),
              std::string::npos)
        << text;
    EXPECT_TRUE(platform.filesWritten.empty());
    EXPECT_TRUE(platform.starts.empty());
  }
}

}  // namespace
}  // namespace kite
