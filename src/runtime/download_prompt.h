// The missing-runtime prompt and the runtime vendor's download page.
#ifndef KITE_RUNTIME_DOWNLOAD_PROMPT_H_
#define KITE_RUNTIME_DOWNLOAD_PROMPT_H_

#include <string>

#include "base/launch_settings.h"
#include "base/outcome.h"
#include "platform/platform.h"

namespace kite {

// "<application> requires the Java Runtime Environment version <version>\n
// Do you want to download it?"
std::string runtimePromptText(const LaunchSettings& settings);

// Asks whether to download the missing runtime and opens the page on Yes;
// the launcher then ends with kExitRuntimeMissing whatever the answer.
Outcome offerRuntimeDownload(const LaunchSettings& settings, Platform& platform,
                             const std::string& caption);

// Opens `page` (an http or https address) in the default browser through
// the system's URL handler; anything else is not opened.  Nothing to report
// on failure.
void openPage(Platform& platform, const std::string& page);

// Opens the download page for settings.javaVersion, if there is one.
void openDownloadPage(const LaunchSettings& settings, Platform& platform);

}  // namespace kite

#endif  // KITE_RUNTIME_DOWNLOAD_PROMPT_H_
