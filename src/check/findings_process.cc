// kitecheck's findings about the application's own process:
// "appProcess", "appUserModelId" and "endWithLauncher".
#include "check/collector.h"
#include "launcher/app_process.h"

namespace kite {

void Collector::appProcess() {
  const LaunchSettings& settings = report_.settings;
  const struct {
    ConfigKey key;
    const OptionalText& value;
    const char* words;
  } options[] = {
      {ConfigKey::kAppProcess, settings.appProcess, "\"on\" or \"off\""},
      {ConfigKey::kEndWithLauncher, settings.endWithLauncher,
       "\"on\", \"tree\" or \"off\""},
  };
  for (const auto& option : options) {
    const LineRecord* line = report_.lastLineWithKey(option.key);
    if (!line || !option.value) continue;
    const std::string& value = *option.value;
    if (value == "on" || value == "off" ||
        (option.key == ConfigKey::kEndWithLauncher && value == "tree"))
      continue;
    add(FindingKind::kOptionValue, line->file, line->number,
        "\"" + value + "\" is not a value of this key (" + option.words +
            "): the launcher reads it as \"off\"");
  }
  if (const LineRecord* line =
          report_.lastLineWithKey(ConfigKey::kAppUserModelId)) {
    if (settings.appUserModelId && appUserModelId(settings).empty())
      add(FindingKind::kAppUserModelId, line->file, line->number,
          "an AppUserModelID has at most 128 characters and no space: the "
          "launcher does not use this one");
    else if (settings.consoleTitle)
      add(FindingKind::kTitleNotShown, line->file, line->number,
          "with an AppUserModelID the console title cannot reach a new "
          "console: Windows takes the ID in its place");
  }
  if (!report_.appProcess.empty() && !report_.hosted)
    if (const LineRecord* line =
            report_.lastLineWithKey(ConfigKey::kAppProcess))
      add(FindingKind::kNotHosted, line->file, line->number,
          "the launcher starts the runtime's executable: " +
              report_.appProcess);
}

}  // namespace kite
