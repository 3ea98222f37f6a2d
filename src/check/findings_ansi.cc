// kitecheck's findings about the ANSI code page: Java's launcher reads its
// command line in it, so a character the code page cannot hold reaches
// the application as "?" or a look-alike.
#include "check/collector.h"
#include "launcher/ansi_names.h"

namespace kite {

void Collector::codePage() {
  const LaunchSettings& settings = report_.settings;
  const unsigned codePage = platform_.ansiCodePage();
  // On Windows a path with a short name is passed by it; on a host
  // without short names kitecheck cannot tell whether Windows keeps one.
  const auto check = [&](const char* what, const std::string& value,
                         const LineRecord* line, bool path) {
    if (fitsCodePage(platform_, value)) return;
    if (path && !shortNameFor(platform_, value).empty()) return;
    std::string ansi;
    platform_.utf8ToAnsi(value, &ansi);
    std::string message =
        std::string(what) + " \"" + value +
        "\" holds characters the ANSI code page " + std::to_string(codePage) +
        " cannot hold: Java's launcher reads its command line in that code "
        "page, so the application gets \"" +
        platform_.ansiToUtf8(ansi) + "\"";
    if (path)
      message += report_.hostPaths
                     ? "; the launcher passes the short (8.3) name where "
                       "Windows keeps one, which kitecheck cannot tell here"
                     : ", and Windows keeps no short name for it";
    add(FindingKind::kCodePage, line ? line->file : report_.config,
        line ? line->number : 0, message);
  };
  const struct {
    SettingsList list;
    const char* what;
    bool path;
  } lists[] = {
      {&LaunchSettings::vmParams, "the JVM parameter", false},
      {&LaunchSettings::classPath, "the class-path entry", true},
      {&LaunchSettings::modulePath, "the module-path entry", true},
      {&LaunchSettings::arguments, "the argument", false},
  };
  for (const auto& list : lists) {
    const std::vector<std::string>& values = settings.*list.list;
    for (size_t i = 0; i < values.size(); ++i)
      check(list.what, values[i], report_.originOf(list.list, i), list.path);
  }
  const struct {
    ConfigKey key;
    const char* what;
    bool path;
  } singles[] = {
      {ConfigKey::kMainClass, "the main class", false},
      {ConfigKey::kMainModule, "the main module", false},
      {ConfigKey::kMainJar, "the main jar", true},
  };
  for (const auto& single : singles) {
    const OptionalText& value = settings.*ruleOf(single.key).value;
    if (value)
      check(single.what, *value, report_.lastLineWithKey(single.key),
            single.path);
  }
}

}  // namespace kite
