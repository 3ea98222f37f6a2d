#include "brand/kitebrand_tool.h"

#include "base/text.h"
#include "brand/brand.h"
#include "brand/brand_options.h"
#include "brand/output_files.h"
#include "check/check_platform.h"
#include "check/checker.h"
#include "check/report.h"
#include "config/config_file.h"

namespace kite {
namespace {

constexpr int kFailed = 2;

int fail(Platform& platform, const std::string& message) {
  platform.writeError("kitebrand: " + message + "\n");
  return kFailed;
}

bool readText(Platform& platform, const std::string& path, std::string* text,
              std::string* error) {
  const int status = platform.readFile(path, text);
  if (status == 0) return true;
  *error = "cannot read " + path + ": " + fileErrorText(platform, path, status);
  return false;
}

// Reads the launcher or an icon, taking its size from `budget`: those
// bytes are copied a few times on their way to the output, so their sum is
// bounded as the size of one file is.
bool readBytes(Platform& platform, const std::string& path, size_t* budget,
               Bytes* bytes, std::string* error) {
  std::string text;
  if (!readText(platform, path, &text, error)) return false;
  if (text.size() > *budget) {
    *error = "cannot read " + path +
             ": the launcher and the icons together hold more than " +
             std::to_string(kMaxFileBytes >> 20) + " MB";
    return false;
  }
  *budget -= text.size();
  bytes->assign(text.begin(), text.end());
  return true;
}

// The configuration that goes with `exe`: beside it, under the name the
// launcher reads.
std::string configBeside(const std::string& exe) {
  const size_t cut = exe.find_last_of("/\\");
  const std::string directory =
      cut == std::string::npos ? std::string() : exe.substr(0, cut + 1);
  return directory + configFileName(exe);
}

// Checks the configuration as kitecheck would for the branded launcher at
// `exe`; prints its findings; false when it has errors.
bool checkConfig(const BrandOptions& options, Platform& platform,
                 bool hostPaths) {
  CheckOptions check;
  check.exe = options.out;
  check.config = options.config;
  check.hostPaths = hostPaths;
  // The runtimes that matter are the target machine's, not those of the
  // machine that brands: the registry is left out, on Windows as on Linux,
  // so both give the same verdict.
  check.registryAvailable = false;
  // The check works in the launcher's start directory, as the launcher
  // does; kitebrand goes on where it was.
  const std::string directory = platform.currentDirectory();
  const Report report = runCheck(check, platform);
  platform.changeDirectory(directory);
  for (const Finding& f : report.findings) {
    if (f.severity() == Severity::kNote) continue;
    // A finding about the file as a whole (line 0) names the file alone.
    platform.writeError(formatText("kitebrand: %s: %s: %s\n",
                                   fileAndLine(f.file, f.line).c_str(),
                                   severityWord(f.severity()),
                                   f.message.c_str()));
  }
  return report.errors() == 0;
}

}  // namespace

int runKitebrand(const std::vector<std::string>& args, Platform& platform,
                 bool hostPaths) {
  BrandOptions options;
  const std::string problem = parseBrandOptions(args, &options);
  if (options.help && problem.empty()) {
    platform.writeOut(brandUsage());
    return 0;
  }
  if (!problem.empty()) {
    platform.writeError("kitebrand: " + problem + "\n" + brandUsage());
    return kFailed;
  }
  const std::string input = platform.fileIdentity(options.from);
  if (!input.empty() && input == platform.fileIdentity(options.out))
    return fail(platform, options.out +
                              " is the input file itself; the input "
                              "is never changed, name another output");

  std::string error;
  Bytes launcher;
  size_t budget = kMaxFileBytes;
  if (!readBytes(platform, options.from, &budget, &launcher, &error))
    return fail(platform, error);
  for (IconFile& icon : options.request.icons) {
    if (!readBytes(platform, icon.path, &budget, &icon.ico, &error))
      return fail(platform, error);
  }
  std::string configText;
  if (!options.config.empty()) {
    if (!readText(platform, options.config, &configText, &error))
      return fail(platform, error);
    if (!checkConfig(options, platform, hostPaths))
      return fail(platform, options.config +
                                " has errors (see above); nothing was written");
  }

  const BrandResult result = brandExecutable(launcher, options.request);
  if (!result.error.empty())
    return fail(platform, options.from + ": " + result.error);
  // The configuration first: the executable, the file most likely to be
  // refused (a copy in use), goes last.
  std::vector<OutputFile> outputs;
  if (!options.config.empty())
    outputs.push_back({configBeside(options.out), configText});
  outputs.push_back(
      {options.out, std::string(result.output.begin(), result.output.end())});
  error = writeOutputFiles(platform, outputs);
  if (!error.empty()) return fail(platform, error);

  std::string report = formatText(
      "kitebrand: %s (%lu bytes) from %s (%lu bytes)\n", options.out.c_str(),
      static_cast<unsigned long>(result.output.size()), options.from.c_str(),
      static_cast<unsigned long>(launcher.size()));
  for (const std::string& change : result.changes)
    report += "  " + change + "\n";
  if (!options.config.empty())
    report += "  configuration: " + outputs.front().path + " (checked)\n";
  platform.writeOut(report);
  return 0;
}

}  // namespace kite
