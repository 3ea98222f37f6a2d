#include "launcher/app_process.h"

#include <algorithm>

#include "base/exit_codes.h"
#include "base/pe_probe.h"
#include "base/text.h"
#include "base/unicode.h"

namespace kite {
namespace {

// The machine's name, for a message.
const char* machineWords(std::uint16_t machine) {
  const char* name = machineName(machine);
  return name ? name : "an unknown machine";
}

// The folder of `path` with the separator that ends it, as a prefix for a
// file name beside it; empty without a folder.
std::string folderPrefix(const std::string& path) {
  const size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

bool isOn(const OptionalText& value) { return value && *value == "on"; }

// JLI_Launch under any of the names it is exported by.
void* launchExport(Platform& platform, LoadedLibrary library) {
  for (const char* name : kLaunchExportNames)
    if (void* found = platform.findExport(library, name)) return found;
  return nullptr;
}

std::uintptr_t word(const void* pointer) {
  return reinterpret_cast<std::uintptr_t>(pointer);
}

// The list JLI_PreprocessArg returns: the arguments an "@file" stands for.
struct JliList {
  char** elements;
  size_t size;
  size_t capacity;
};

}  // namespace

// A runtime's library is loaded into the launcher's own process, so it must
// be built for the same machine.
std::uint16_t launcherMachine() {
  return sizeof(void*) == 8 ? kMachineAmd64 : kMachineI386;
}

bool wantsAppProcess(const LaunchSettings& settings) {
  return isOn(settings.appProcess);
}

EndWithLauncher endWithLauncher(const LaunchSettings& settings) {
  if (!settings.endWithLauncher) return EndWithLauncher::kNo;
  if (*settings.endWithLauncher == "on") return EndWithLauncher::kOn;
  if (*settings.endWithLauncher == "tree") return EndWithLauncher::kTree;
  return EndWithLauncher::kNo;
}

std::string appUserModelId(const LaunchSettings& settings) {
  if (!settings.appUserModelId) return std::string();
  const std::string& id = *settings.appUserModelId;
  // Windows' own limits: at most 128 characters, no spaces.
  if (utf16Length(id) > 128 || id.find(' ') != std::string::npos)
    return std::string();
  return id;
}

bool startsOwnProcess(const LaunchSettings& settings) {
  return wantsAppProcess(settings) ||
         endWithLauncher(settings) != EndWithLauncher::kNo ||
         !appUserModelId(settings).empty();
}

HostingVerdict judgeHosting(const LaunchSettings& settings, Platform& platform,
                            const std::string& executable,
                            std::uint16_t launcher,
                            const std::string& launcherPath) {
  HostingVerdict verdict;
  verdict.library = folderPrefix(executable) + "jli.dll";
  if (settings.debugMode) {
    verdict.why = "debug mode keeps java.exe, so its console shows what happens";
    return verdict;
  }
  std::string bytes;
  if (platform.readFile(verdict.library, &bytes) != 0) {
    verdict.why = verdict.library + " cannot be read";
    return verdict;
  }
  const PeHeader header = readPeHeader(bytes);
  if (!header.valid || !header.isDll) {
    verdict.why = verdict.library + " is not a library";
    return verdict;
  }
  if (launcher != 0 && header.machine != launcher) {
    verdict.why = verdict.library + " is built for " +
                  machineWords(header.machine) + ", the launcher for " +
                  machineWords(launcher);
    return verdict;
  }
  const std::vector<std::string> names = peExportNames(bytes);
  const bool launches = std::any_of(
      std::begin(kLaunchExportNames), std::end(kLaunchExportNames),
      [&names](const char* name) {
        return std::find(names.begin(), names.end(), name) != names.end();
      });
  if (!launches) {
    verdict.why = verdict.library + " exports no JLI_Launch";
    return verdict;
  }
  // As java.exe, the library takes the folder above its program's for the
  // runtime's home when that (or its "jre" folder) holds bin\java.dll;
  // only then does it look beside itself.
  std::string above = folderPrefix(launcherPath);
  if (!above.empty()) above = folderPrefix(above.substr(0, above.size() - 1));
  const std::string runtimeBin = folderPrefix(executable);
  for (const char* home : {"", "jre\\"}) {
    const std::string bin = above + home + "bin\\";
    std::vector<FoundFile> found;
    if (above.empty() || asciiLower(bin) == asciiLower(runtimeBin) ||
        !platform.findFiles(bin + "java.dll", &found))
      continue;
    verdict.why = "the runtime's library would take the runtime in " +
                  above + home + " beside the launcher for its own";
    return verdict;
  }
  verdict.hosted = true;
  verdict.why = "the launcher runs " + verdict.library + " itself";
  if (launcher == 0)
    verdict.why += std::string(" where it is built for ") +
                   machineWords(header.machine) +
                   " (a launcher of the other width starts javaw.exe)";
  return verdict;
}

int hostRuntime(const HostRequest& request,
                const std::vector<std::string>& argv, Platform& platform) {
  if (!request.appUserModelId.empty())
    platform.setAppUserModelId(request.appUserModelId);
  std::string error;
  std::string folder = folderPrefix(request.library);
  if (!folder.empty()) folder.pop_back();
  const LoadedLibrary library =
      platform.loadLibrary(request.library, folder, &error);
  void* launch = library ? launchExport(platform, library) : nullptr;
  if (!launch) {
    const std::string text =
        "Could not run the Java runtime's launcher library " +
        request.library + "\n" + (library ? "It has no JLI_Launch." : error);
    if (request.javaw)
      platform.showMessageBox(text.c_str(), "Error", kBoxError);
    else
      platform.writeError(text + "\n");
    return kExitStartFailed;
  }
  // As java.exe: argument processing set up (Java 9 and later) for a
  // launcher with no built-in arguments and argument files allowed.
  if (void* init = platform.findExport(library, "JLI_InitArgProcessing")) {
    const std::uintptr_t none[] = {0, 0};
    platform.callExport(init, none, 2);
  }
  std::vector<const char*> arguments;
  void* toArgs = platform.findExport(library, "JLI_CmdToArgs");
  void* count = platform.findExport(library, "JLI_GetStdArgc");
  void* list = platform.findExport(library, "JLI_GetStdArgs");
  void* preprocess = platform.findExport(library, "JLI_PreprocessArg");
  const std::string line = platform.ansiCommandLine();
  if (toArgs && count && list && !line.empty()) {
    // Windows: the library splits the command line itself, reading
    // JDK_JAVA_OPTIONS and expanding "@file" arguments on the way.
    const std::uintptr_t lineArg[] = {word(line.c_str())};
    platform.callExport(toArgs, lineArg, 1);
    const int argc = static_cast<int>(platform.callExport(count, nullptr, 0));
    // An array of { char* arg; jboolean has_wildcard; }, two words each.
    const auto* stdArgs =
        reinterpret_cast<char* const*>(platform.callExport(list, nullptr, 0));
    for (int i = 0; stdArgs && i < argc; ++i) arguments.push_back(stdArgs[2 * i]);
  } else {
    // A POSIX library: each argument after the first is handed to it, and
    // an "@file" comes back as what the file holds.
    for (size_t i = 0; i < argv.size(); ++i) {
      const JliList* expanded = nullptr;
      if (i > 0 && preprocess) {
        const std::uintptr_t args[] = {word(argv[i].c_str()), 1};
        expanded = reinterpret_cast<const JliList*>(
            platform.callExport(preprocess, args, 2));
      }
      if (!expanded) {
        arguments.push_back(argv[i].c_str());
        continue;
      }
      for (size_t j = 0; j < expanded->size; ++j)
        arguments.push_back(expanded->elements[j]);
    }
  }
  const int argc = static_cast<int>(arguments.size());
  arguments.push_back(nullptr);
  const char* version = request.version.c_str();
  // JLI_Launch(argc, argv, jargc, jargv, appclassc, appclassv, fullversion,
  // dotversion, pname, lname, javaargs, cpwildcard, javaw, ergo), with
  // java.exe's values.
  const std::uintptr_t args[] = {static_cast<std::uintptr_t>(argc),
                                 word(arguments.data()),
                                 0,
                                 0,
                                 0,
                                 0,
                                 word(version),
                                 word(version),
                                 word("java"),
                                 word("java"),
                                 0,
                                 1,
                                 request.javaw ? 1u : 0u,
                                 0};
  return static_cast<int>(platform.callExport(launch, args, 14));
}

}  // namespace kite
