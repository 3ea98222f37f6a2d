#include "scaling.h"

#include <cstdio>
#include <functional>
#include <utility>

#include "config/config_file.h"
#include "config/jar_scan.h"
#include "launcher/command_line.h"
#include "launcher/launcher.h"
#include "lean_platform.h"
#include "platform/fake_platform.h"
#include "runtime/java_registry.h"
#include "runtime/version_search.h"

namespace kite {
namespace bench {
namespace {

const char kConfigPath[] = "C:\\Apps\\App\\App.config";
const char kExePath[] = "C:\\Apps\\App\\App.exe";

std::string numbered(const char* format, size_t number) {
  char text[64];
  std::snprintf(text, sizeof text, format, static_cast<unsigned long>(number));
  return text;
}

// --- Setting up either platform the same way. ---

void putJars(LeanPlatform& platform, const std::string& dir,
             const std::vector<std::string>& names) {
  std::vector<FoundFile> found;
  for (const std::string& name : names) found.push_back({name, false});
  platform.setSearchResult(dir + "/*.jar", std::move(found));
}

void putJars(FakePlatform& platform, const std::string& dir,
             const std::vector<std::string>& names) {
  for (const std::string& name : names) platform.addFile(dir + "/" + name, "");
}

template <typename P>
void putRuntime(P& platform, const std::string& version, const std::string& home) {
  platform.setRegistryValue(std::string(kJavaRegistryKey) + "\\" + version,
                            "JavaHome", home);
}

// Between two runs: FakePlatform keeps a record of every call, which would
// otherwise grow with the number of runs.
void forget(LeanPlatform& platform) { platform.bytesOut = 0; }
void forget(FakePlatform& platform) {
  platform.registryOpens.clear();
  platform.environmentLookups.clear();
  platform.findPatterns.clear();
  platform.directoryChanges.clear();
  platform.filesRead.clear();
  platform.waits.clear();
  platform.starts.clear();
  platform.boxes.clear();
  platform.out.clear();
  platform.err.clear();
  platform.cwd = "C:\\Apps\\App";
}

// --- The inputs. ---

// n lines cycling through the kinds a real file holds: a comment, JVM
// parameters, class-path entries (one with an environment reference that
// expands to a path with a space), an argument, single values, a blank line.
std::string configText(size_t lines) {
  std::string text;
  for (size_t i = 0; i < lines; ++i) {
    switch (i % 8) {
      case 0: text += numbered("# section %lu of the settings", i); break;
      case 1: text += numbered("vmparam -Dbench.property%lu=value", i); break;
      case 2: text += numbered("addjar lib/library-%05lu-1.0.jar", i); break;
      case 3: text += numbered("addpath $APP_HOME\\classes\\part%lu", i); break;
      case 4: text += numbered("argument --option-%lu", i); break;
      case 5: text += numbered("mainclass com.example.app.Main%lu", i); break;
      case 6: text += numbered("appname Benchmark application %lu", i); break;
      case 7: break;
    }
    text += '\n';
  }
  return text;
}

std::vector<std::string> jarNames(size_t count) {
  std::vector<std::string> names;
  for (size_t i = 0; i < count; ++i)
    names.push_back(numbered("library-%05lu-1.0.jar", i));
  return names;
}

// n runtimes of three families, each with its home directory.
template <typename P>
void putRuntimes(P& platform, size_t count) {
  static const char* const kFamilies[] = {"1.4.2_%02lu", "1.5.0_%02lu", "1.6.0_%02lu"};
  for (size_t i = 0; i < count; ++i) {
    const std::string version = numbered(kFamilies[i % 3], i / 3 + 1);
    putRuntime(platform, version, "C:\\Program Files\\Java\\jre" + version);
  }
}

// The typical configuration of the Wine measurements: main class, 5 JVM
// parameters, a directory of 50 jars, 3 arguments; 50 registered runtimes,
// the current one among them.
std::string typicalConfig(bool versionRequest) {
  std::string text =
      "mainclass com.example.app.Main\n"
      "vmparam -Xms64m\nvmparam -Xmx512m\nvmparam -Dfile.encoding=UTF-8\n"
      "vmparam -Dapp.mode=bench\nvmparam -XX:+UseSerialGC\n"
      "addjars lib\n"
      "argument --mode\nargument production\nargument C:\\data\\in.txt\n";
  if (versionRequest) text += "javaVersion 1.6\n";
  return text;
}

template <typename P>
void putTypicalRuntimes(P& platform) {
  platform.setRegistryValue(kJavaRegistryKey, "CurrentVersion", "1.6");
  putRuntime(platform, "1.6", "C:\\jre\\1.6.0_30");
  for (size_t i = 1; i <= 30; ++i)
    putRuntime(platform, numbered("1.6.0_%02lu", i), numbered("C:\\jre\\1.6.0_%02lu", i));
  for (size_t i = 1; i <= 10; ++i)
    putRuntime(platform, numbered("1.5.0_%02lu", i), numbered("C:\\jre\\1.5.0_%02lu", i));
  for (size_t i = 1; i <= 9; ++i)
    putRuntime(platform, numbered("1.4.2_%02lu", i), numbered("C:\\jre\\1.4.2_%02lu", i));
}

// --- The workloads. ---

template <typename P>
class PlatformWorkload : public Workload {
 public:
  void run() override {
    operation(platform);
    forget(platform);
  }
  P platform;
  std::function<void(P&)> operation;
};

template <typename P>
std::unique_ptr<Workload> build(const std::string& name, size_t size) {
  auto workload = std::make_unique<PlatformWorkload<P>>();
  P& platform = workload->platform;
  if (name == "config") {
    platform.setEnvironment("APP_HOME", "C:\\Program Files\\App");
    platform.addFile(kConfigPath, configText(size));
    workload->operation = [](P& p) {
      LaunchSettings settings;
      RegistryVersionResolver versions;
      (void)readConfigFile(settings, p, kConfigPath, {versions});
      if (settings.classPath.empty()) std::abort();
    };
  } else if (name == "addjars") {
    putJars(platform, "lib", jarNames(size));
    workload->operation = [size](P& p) {
      LaunchSettings settings;
      addJarDirectory(settings, p, "lib");
      if (settings.classPath.size() != size) std::abort();
    };
  } else if (name == "cmdline") {
    auto settings = std::make_shared<LaunchSettings>();
    settings->alwaysQuote = true;
    settings->javaPath = "\"C:\\Program Files\\Java\\jre6\\bin\\javaw.exe\"";
    settings->mainClass = "com.example.app.Main";
    // Half class-path entries, a quarter JVM parameters, a quarter arguments
    // (every other one with a space).
    for (size_t i = 0; i < size; ++i) {
      if (i % 2 == 0)
        settings->classPath.push_back(numbered("lib/library-%05lu-1.0.jar", i));
      else if (i % 4 == 1)
        settings->vmParams.push_back(numbered("-Dbench.property%lu=value", i));
      else
        settings->arguments.push_back(
            numbered(i % 8 == 3 ? "C:\\Data Files\\input%lu\\" : "--option-%lu", i));
    }
    workload->operation = [settings](P& p) {
      const std::string line = buildCommandLine(*settings, p);
      if (line.empty()) std::abort();
    };
  } else if (name == "version") {
    putRuntimes(platform, size);
    workload->operation = [](P& p) {
      LaunchSettings settings;
      settings.alwaysQuote = true;
      settings.javaVersion = "1.6";
      if (!findJavaForVersion(settings, p).runtime) std::abort();
    };
  } else if (name == "typical" || name == "typical-version") {
    putTypicalRuntimes(platform);
    std::vector<std::string> jars;
    for (size_t i = 1; i <= 50; ++i) jars.push_back(numbered("module%02lu.jar", i));
    putJars(platform, "lib", jars);
    platform.addFile(kConfigPath, typicalConfig(name == "typical-version"));
    workload->operation = [](P& p) {
      LaunchSettings settings;
      if (runLauncher({kExePath}, settings, p) != 0) std::abort();
    };
  } else {
    return nullptr;
  }
  return workload;
}

}  // namespace

const std::vector<WorkloadKind>& workloadKinds() {
  static const std::vector<WorkloadKind> kinds = {
      {"config", {1000, 10000, 100000, 1000000}},
      {"addjars", {10, 100, 1000, 10000}},
      {"cmdline", {10, 100, 1000, 10000}},
      {"version", {10, 100, 1000, 10000}},
      {"typical", {1}},
      {"typical-version", {1}},
  };
  return kinds;
}

std::unique_ptr<Workload> makeWorkload(const std::string& name, size_t size,
                                       bool fake) {
  return fake ? build<FakePlatform>(name, size) : build<LeanPlatform>(name, size);
}

}  // namespace bench
}  // namespace kite
