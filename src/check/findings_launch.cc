// kitecheck's findings about what the launch starts: a main class, a main
// module or an executable jar, and what goes with each.
#include <optional>

#include "base/exit_codes.h"
#include "check/collector.h"
#include "launcher/command_line.h"
#include "runtime/java_version.h"

namespace kite {
namespace {

// The keys that name what the launch starts, the one that wins first.
constexpr ConfigKey kTargets[] = {ConfigKey::kMainJar, ConfigKey::kMainModule,
                                  ConfigKey::kMainClass};

bool isSet(const OptionalText& value) { return value && !value->empty(); }

}  // namespace

void Collector::launchTarget() {
  const LaunchSettings& settings = report_.settings;
  const LaunchKind kind = launchKind(settings);
  const OptionalText& target = kite::launchTarget(settings);
  if (!isSet(target)) {
    const LineRecord* line = nullptr;
    for (ConfigKey key : kTargets)
      if (const LineRecord* found = report_.lastLineWithKey(key))
        line = line ? line : found;
    add(FindingKind::kNoMainClass, line ? line->file : report_.config,
        line ? line->number : 0,
        std::string(line ? "the main class is empty"
                         : "no \"mainclass\" line (nor \"mainmodule\" or "
                           "\"mainjar\")") +
            ": the launcher shows an error and exits with " +
            std::to_string(kExitNoMainClass));
    return;
  }
  // The first of jar, module and class that is set wins; the others are
  // not used.
  const KeyRule* used = nullptr;
  for (ConfigKey key : kTargets) {
    const KeyRule& rule = ruleOf(key);
    if (!isSet(settings.*rule.value)) continue;
    if (!used) {
      used = &rule;
      continue;
    }
    const LineRecord* line = report_.lastLineWithKey(key);
    add(FindingKind::kTargetIgnored, line->file, line->number,
        std::string("\"") + rule.text + " " + line->value +
            "\" is not used: the launcher starts the " + used->label + " " +
            *(settings.*used->value) + " (a main jar wins over a main module, "
            "a main module over a main class)");
  }
  if (kind == LaunchKind::kJar) {
    // The first line that put an entry on the class path.
    for (const LineRecord& line : report_.lines) {
      if (line.key != ConfigKey::kAddJar && line.key != ConfigKey::kAddPath &&
          line.key != ConfigKey::kAddJars)
        continue;
      add(FindingKind::kClassPathIgnored, line.file, line.number,
          "a class path does not go with a main jar: the launcher starts "
          "\"-jar " +
              *target +
              "\" without it, and Java takes the class path from the jar's "
              "manifest");
      break;
    }
  }
  if (kind == LaunchKind::kModule) moduleWindow();
  // An "addjars" line that found no jar has its own finding, which says why.
  if (kind == LaunchKind::kClass && settings.classPath.empty() &&
      !report_.lastLineWithKey(ConfigKey::kAddJars))
    add(FindingKind::kNoClassPath, report_.config, 0,
        "no addjar, addjars or addpath line puts anything on the class "
        "path: the launcher passes \"-classpath " +
            *target +
            "\", so Java takes the main class for the class path and finds "
            "no class to run");
}

// Modules came with Java 9: a version window that admits an older runtime
// may choose one that cannot start the application.
void Collector::moduleWindow() {
  const LineRecord* min = report_.lastLineWithKey(ConfigKey::kJavaMinVersion);
  const LineRecord* max = report_.lastLineWithKey(ConfigKey::kJavaMaxVersion);
  if (!min && !max) return;
  const std::optional<JavaVersion> lowest =
      min ? parseJavaVersion(min->value) : std::nullopt;
  if (min && !lowest) return;  // not a version: a finding of its own
  if (lowest && lowest->feature >= 9) return;
  const LineRecord* line = min ? min : max;
  add(FindingKind::kModuleNeedsJava9, line->file, line->number,
      "a main module needs Java 9 or later, and the version window admits " +
          std::string(lowest ? "Java " + formatVersion(*lowest)
                             : "any Java up to its maximum") +
          ": add \"javaMinVersion 9\" or higher");
}

}  // namespace kite
