// The missing-runtime prompt and the runtime vendor's download page.
#ifndef KITE_RUNTIME_DOWNLOAD_PROMPT_H_
#define KITE_RUNTIME_DOWNLOAD_PROMPT_H_

#include <string>

#include "base/launch_settings.h"
#include "base/outcome.h"
#include "platform/platform.h"

namespace kite {

// The question the GUI launcher asks after the requirement.
constexpr char kDownloadQuestion[] = "Do you want to download it?";

// "<application> requires the Java Runtime Environment version <version>"
std::string runtimeRequirementText(const LaunchSettings& settings);

// The requirement, "\n" and "Do you want to download it?": the text of the
// GUI launcher's box.
std::string runtimePromptText(const LaunchSettings& settings);

// The download page for settings.javaVersion; empty when there is none.
std::string classicDownloadPage(const LaunchSettings& settings);

// Tells the user that no runtime fits, with `text`, and offers the download
// page `page` (empty: there is none).  The GUI launcher asks in a Yes/No
// error box (`text`, a line break, `question`) and opens the page on Yes.
// The console variant asks nothing and opens nothing: its error box, which
// becomes a line on standard error, is `text` and the page to visit.
void offerDownloadPage(const LaunchSettings& settings, Platform& platform,
                       const std::string& text, const char* question,
                       const std::string& caption, const std::string& page);

// Asks whether to download the missing runtime and opens the page on Yes;
// the launcher then ends with kExitRuntimeMissing whatever the answer.
Outcome offerRuntimeDownload(const LaunchSettings& settings, Platform& platform,
                             const std::string& caption);

// Opens `page` (an http or https address) in the default browser through
// the system's URL handler; anything else is not opened.  Nothing to report
// on failure.
void openPage(Platform& platform, const std::string& page);

}  // namespace kite

#endif  // KITE_RUNTIME_DOWNLOAD_PROMPT_H_
