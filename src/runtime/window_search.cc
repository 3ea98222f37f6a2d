#include "runtime/window_search.h"

#include <map>

#include "base/exit_codes.h"
#include "base/launch_target.h"
#include "base/text.h"
#include "platform/debug_output.h"
#include "runtime/download_prompt.h"
#include "runtime/java_registry.h"
#include "runtime/runtime_record.h"

namespace kite {
namespace {

// Where an installer registers its runtimes: one subkey per runtime under
// `base`, the home directory in `value` of the subkey (or of `suffix`
// below it).
struct InstallerKey {
  const char* base;
  const char* suffix;
  const char* value;
};

// The keys below HKxx\SOFTWARE.
const InstallerKey kInstallerKeys[] = {
    {"JavaSoft\\Java Runtime Environment", "", "JavaHome"},
    {"JavaSoft\\Java Development Kit", "", "JavaHome"},
    {"JavaSoft\\JRE", "", "JavaHome"},
    {"JavaSoft\\JDK", "", "JavaHome"},
    {"Eclipse Adoptium\\JDK", "\\hotspot\\MSI", "Path"},
    {"Eclipse Adoptium\\JRE", "\\hotspot\\MSI", "Path"},
    {"AdoptOpenJDK\\JDK", "\\hotspot\\MSI", "Path"},
    {"AdoptOpenJDK\\JRE", "\\hotspot\\MSI", "Path"},
    {"Eclipse Foundation\\JDK", "\\hotspot\\MSI", "Path"},
    {"Microsoft\\JDK", "\\hotspot\\MSI", "Path"},
    {"Semeru\\JDK", "\\openj9\\MSI", "Path"},
    {"Semeru\\JRE", "\\openj9\\MSI", "Path"},
    {"Azul Systems\\Zulu", "", "InstallationPath"},
    {"BellSoft\\Liberica", "", "InstallationPath"},
};

std::string rootWords(RegistryRoot root) {
  return std::string(root.hive == RegistryHive::kCurrentUser ? "HKCU"
                                                             : "HKLM") +
         (root.view == RegistryView::k64Bit ? " 64-bit " : " 32-bit ");
}

// A home as a key for "the same home found twice": without letter case,
// with one kind of separator and no separator at the end.
std::string homeKey(std::string home) {
  for (char& c : home)
    if (c == '/') c = '\\';
  while (home.size() > 3 && home.back() == '\\') home.pop_back();
  return asciiLower(home);
}

// How many numbers a version names (see JavaVersion::components); none
// for an unknown one.
int namedNumbers(const std::optional<JavaVersion>& version) {
  if (!version) return 0;
  return version->components >= 1 && version->components <= 4
             ? version->components
             : 4;
}

class Search {
 public:
  explicit Search(Platform& platform) : platform_(platform) {}

  std::vector<RuntimeCandidate> run() {
    // 64-bit Windows keeps a view for 64-bit programs (where current
    // installers register) and one for 32-bit programs; 32-bit Windows
    // has one registry.
    const std::vector<RegistryView> views =
        platform_.is64BitWindows()
            ? std::vector<RegistryView>{RegistryView::k64Bit,
                                        RegistryView::k32Bit}
            : std::vector<RegistryView>{RegistryView::k32Bit};
    for (RegistryHive hive :
         {RegistryHive::kLocalMachine, RegistryHive::kCurrentUser}) {
      for (const RegistryView view : views) {
        // Every key is opened below SOFTWARE, opened once per view: an open
        // from the root of the 32-bit view is redirected again each time,
        // and costs more.
        RegistryKey software = 0;
        if (platform_.openRegistryKey({hive, view}, "SOFTWARE", &software) != 0)
          continue;
        for (const InstallerKey& key : kInstallerKeys)
          installer({hive, view}, software, key);
        platform_.closeRegistryKey(software);
      }
    }
    std::string javaHome;
    if (platform_.getEnvironment("JAVA_HOME", &javaHome) && !javaHome.empty())
      add("JAVA_HOME", javaHome, std::string());
    return std::move(found_);
  }

 private:
  void installer(RegistryRoot root, RegistryKey software,
                 const InstallerKey& installer) {
    RegistryKey base = 0;
    if (platform_.openRegistrySubkey(software, installer.base, &base) != 0)
      return;
    const unsigned long count = platform_.countRegistrySubkeys(base);
    std::string subkey;
    for (unsigned long i = 0; i < count; ++i) {
      if (platform_.enumRegistrySubkey(base, i, &subkey) != 0) continue;
      RegistryKey key = 0;
      if (platform_.openRegistrySubkey(base, subkey + installer.suffix, &key) !=
          0)
        continue;
      std::string home;
      const bool read =
          platform_.readRegistryString(key, installer.value, &home) == 0;
      platform_.closeRegistryKey(key);
      if (read && !home.empty())
        add(rootWords(root) + "SOFTWARE\\" + installer.base + "\\" + subkey +
                installer.suffix,
            home, subkey);
    }
    platform_.closeRegistryKey(base);
  }

  // Adds a home with its version: from its "release" file, which every
  // modern runtime ships, else from the key name when that reads as a
  // version.  A home found before is not added again; an installer that
  // registers one home under several names ("1.6" and "1.6.0_45") gives it
  // the most precise of them, so that the family's name cannot hide the
  // update a window asks for.
  void add(const std::string& source, const std::string& home,
           const std::string& keyName) {
    const auto known = homes_.find(homeKey(home));
    if (known != homes_.end()) {
      RuntimeCandidate& candidate = found_[known->second];
      // A release file names the version whatever the key is called.
      if (candidate.version && candidate.versionFrom == "release file") return;
      const auto fromKey = parseJavaVersion(keyName);
      if (namedNumbers(fromKey) > namedNumbers(candidate.version)) {
        candidate.source = source;
        candidate.versionText = keyName;
        candidate.versionFrom = "key name";
        candidate.version = fromKey;
      }
      return;
    }
    homes_.emplace(homeKey(home), found_.size());
    RuntimeCandidate candidate;
    candidate.source = source;
    candidate.home = home;
    if (std::optional<std::string> text = releaseVersion(home, platform_)) {
      candidate.versionText = std::move(*text);
      candidate.versionFrom = "release file";
    }
    if (!candidate.versionText.empty())
      candidate.version = parseJavaVersion(candidate.versionText);
    if (!candidate.version) {
      if (const auto fromKey = parseJavaVersion(keyName)) {
        candidate.versionText = keyName;
        candidate.versionFrom = "key name";
        candidate.version = fromKey;
      }
    }
    found_.push_back(std::move(candidate));
  }

  Platform& platform_;
  std::vector<RuntimeCandidate> found_;
  // The index in found_ of each home, by homeKey().
  std::map<std::string, size_t> homes_;
};

// Reads one bound; false (with its text in *bad) when it is no version.
bool readBound(const OptionalText& text, const char* key,
               std::optional<JavaVersion>* bound, std::string* boundText,
               std::string* bad) {
  if (!text) return true;
  *boundText = *text;
  *bound = parseJavaVersion(*text);
  if (*bound) return true;
  *bad = std::string(key) + " " + *text;
  return false;
}

}  // namespace

bool hasVersionWindow(const LaunchSettings& settings) {
  return settings.javaMinVersion || settings.javaMaxVersion;
}

WindowSearch findRuntimeInWindow(const LaunchSettings& settings,
                                 Platform& platform,
                                 const PreferredHome& preferred) {
  WindowSearch search;
  VersionWindow& window = search.window;
  if (!readBound(settings.javaMinVersion, "javaMinVersion", &window.min,
                 &window.minText, &search.badBound) ||
      !readBound(settings.javaMaxVersion, "javaMaxVersion", &window.max,
                 &window.maxText, &search.badBound)) {
    platform.showMessageBox(
        formatText("The configuration file %s sets %s, which is not a Java "
                   "version (such as 17, 17.0.2 or 1.8).",
                   settings.configPath.c_str(), search.badBound.c_str())
            .c_str(),
        "Error", kBoxError);
    search.outcome = Outcome::exitWith(kExitVersionUnresolved);
    return search;
  }
  search.words = describeWindow(window);
  search.candidates = Search(platform).run();

  std::vector<std::optional<JavaVersion>> versions;
  for (const RuntimeCandidate& c : search.candidates)
    versions.push_back(c.version);
  const char* executable = runtimeExecutableName(settings);
  CandidateChoice choice = chooseCandidate(
      versions, window,
      [&](size_t i) {
        RuntimeCandidate& c = search.candidates[i];
        std::vector<FoundFile> files;
        c.executableExists =
            platform.findFiles(c.home + "\\bin\\" + executable, &files);
        return *c.executableExists;
      },
      std::string("bin\\") + executable);
  // Among runtimes of the chosen version, one the caller prefers (one the
  // launcher can run itself) comes first.
  if (choice.chosen && preferred &&
      !preferred(search.candidates[*choice.chosen].home)) {
    const size_t first = *choice.chosen;
    for (size_t i = 0; i < versions.size(); ++i) {
      if (i == first || !versions[i] ||
          compareVersions(*versions[i], *versions[first]) != 0)
        continue;
      std::vector<FoundFile> files;
      RuntimeCandidate& c = search.candidates[i];
      c.executableExists =
          platform.findFiles(c.home + "\\bin\\" + executable, &files);
      if (!*c.executableExists || !preferred(c.home)) continue;
      choice.reasons[first] = "same version as a candidate preferred to it";
      choice.reasons[i].clear();
      choice.chosen = i;
      break;
    }
  }
  debugTrace(settings, platform, "runtime window: %s\n", search.words.c_str());
  for (size_t i = 0; i < search.candidates.size(); ++i) {
    RuntimeCandidate& c = search.candidates[i];
    c.taken = choice.chosen && *choice.chosen == i;
    c.reason = choice.reasons[i];
    debugTrace(settings, platform,
               "candidate %d: %s: home %s, version %s%s%s%s: %s\n",
               static_cast<int>(i + 1), c.source.c_str(), c.home.c_str(),
               c.versionText.empty() ? "unknown" : c.versionText.c_str(),
               c.versionFrom.empty() ? "" : " (", c.versionFrom.c_str(),
               c.versionFrom.empty() ? "" : ")",
               c.taken ? "taken" : ("passed over, " + c.reason).c_str());
  }
  if (choice.chosen) {
    // Installers write the folder with a separator at the end or without.
    std::string home = search.candidates[*choice.chosen].home;
    while (home.size() > 3 && (home.back() == '\\' || home.back() == '/'))
      home.pop_back();
    search.runtime = composeJavaExecutable(settings, platform, home);
    // Its version as read here, not read again.
    const RuntimeCandidate& taken = search.candidates[*choice.chosen];
    search.record = runtimeRecordInHome(home, executable);
    search.record.versionLooked = true;
    search.record.versionText = taken.versionText;
    search.record.versionFrom = taken.versionFrom;
    return search;
  }

  search.page = settings.javaDownloadUrl && !settings.javaDownloadUrl->empty()
                    ? *settings.javaDownloadUrl
                    : defaultDownloadUrl(window);
  offerDownloadPage(
      settings, platform,
      formatText("%s requires %s, and no installed Java runtime fits.",
                 orNull(applicationName(settings)), search.words.c_str()),
      "Do you want to open the download page?",
      "Java Runtime Environment Not Found", search.page);
  search.outcome = Outcome::exitWith(kExitVersionUnresolved);
  return search;
}

}  // namespace kite
