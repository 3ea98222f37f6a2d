#include "runtime/runtime_record.h"

#include "base/text.h"
#include "runtime/java_version.h"

namespace kite {
namespace {

// The folder above the "bin" folder that holds the executable `path`;
// empty when the path is not of that form.
std::string homeAboveBin(const std::string& path) {
  const std::string folder = folderOf(path);
  if (asciiLower(fileNameOf(folder)) != "bin") return std::string();
  const std::string home = folderOf(folder);
  return home.empty() || home == folder ? std::string() : home;
}

RuntimeRecord withHome(std::string executable, std::string home) {
  RuntimeRecord record;
  record.executable = std::move(executable);
  record.home = std::move(home);
  if (!record.home.empty())
    record.launcherLibrary = inFolder(record.home, "bin\\jli.dll");
  return record;
}

}  // namespace

RuntimeRecord runtimeRecordFor(const std::string& executable) {
  std::string path = executable;
  if (path.size() >= 2 && path.front() == '"' && path.back() == '"')
    path = path.substr(1, path.size() - 2);
  return withHome(path, homeAboveBin(path));
}

RuntimeRecord runtimeRecordInHome(const std::string& home,
                                  const char* executableName) {
  return withHome(inFolder(home, std::string("bin\\") + executableName), home);
}

std::optional<std::string> releaseVersion(const std::string& home,
                                          Platform& platform) {
  std::string release;
  if (platform.readFile(inFolder(home, "release"), &release) != 0)
    return std::nullopt;
  return releaseFileVersion(release);
}

void lookUpVersion(RuntimeRecord& record, Platform& platform) {
  if (record.versionLooked || !record.versionText.empty()) return;
  record.versionLooked = true;
  if (record.home.empty()) return;
  if (std::optional<std::string> text = releaseVersion(record.home, platform)) {
    record.versionText = std::move(*text);
    record.versionFrom = "release file";
  }
}

const PeHeader& executableHeader(RuntimeRecord& record, Platform& platform) {
  if (!record.header) {
    std::string bytes;
    record.header =
        platform.readFileStart(record.executable, kHeaderBytes, &bytes) == 0
            ? readPeHeader(bytes)
            : PeHeader();
  }
  return *record.header;
}

std::string whyNotRunnable(RuntimeRecord& record, Platform& platform) {
  const PeHeader& header = executableHeader(record, platform);
  if (!header.valid) return "it is not a Windows program";
  if (header.isDll) return "it is a library, not a program";
  const char* name = machineName(header.machine);
  if (!name)
    return formatText("it is built for another processor (machine 0x%X)",
                      static_cast<unsigned>(header.machine));
  if (header.machine != kMachineI386 && !platform.is64BitWindows())
    return std::string("it is built for ") + name +
           ", which 32-bit Windows does not run";
  return std::string();
}

}  // namespace kite
