#include "runtime/download_prompt.h"

#include "base/exit_codes.h"
#include "base/launch_target.h"
#include "base/text.h"

namespace kite {
namespace {

// The vendor's download page for the requested family; null when there is
// none (only the 1.4.2 and 1.5 families have one).
const char* downloadPage(const std::string& version) {
  if (version.compare(0, 5, "1.4.2") == 0)
    return "https://java.sun.com/j2se/1.4.2/download.html";
  if (version.compare(0, 3, "1.5") == 0)
    return "https://www.java.com/en/download/download_the_latest.jsp";
  return nullptr;
}

}  // namespace

std::string runtimeRequirementText(const LaunchSettings& settings) {
  return formatText("%s requires the Java Runtime Environment version %s",
                    orNull(applicationName(settings)),
                    orNull(settings.javaVersion));
}

std::string runtimePromptText(const LaunchSettings& settings) {
  return runtimeRequirementText(settings) + "\n" + kDownloadQuestion;
}

std::string classicDownloadPage(const LaunchSettings& settings) {
  if (!settings.javaVersion || settings.javaVersion->empty())
    return std::string();
  const char* page = downloadPage(*settings.javaVersion);
  return page ? page : std::string();
}

void offerDownloadPage(const LaunchSettings& settings, Platform& platform,
                       const std::string& text, const char* question,
                       const std::string& caption, const std::string& page) {
  if (settings.console) {
    // Nobody can answer a question on a console in a script: name the page.
    const std::string line =
        page.empty() ? text : text + "\nDownload it from " + page;
    platform.showMessageBox(line.c_str(), caption, kBoxError);
    return;
  }
  if (platform.showMessageBox((text + "\n" + question).c_str(), caption,
                              kBoxYesNoError) == kAnswerYes &&
      !page.empty())
    openPage(platform, page);
}

Outcome offerRuntimeDownload(const LaunchSettings& settings, Platform& platform,
                             const std::string& caption) {
  offerDownloadPage(settings, platform, runtimeRequirementText(settings),
                    kDownloadQuestion, caption, classicDownloadPage(settings));
  return Outcome::exitWith(kExitRuntimeMissing);
}

void openPage(Platform& platform, const std::string& page) {
  // Only a web address: the URL handler would also run a program named by
  // a path, and a quote would end the argument early.
  if ((!startsWith(page, "https://") && !startsWith(page, "http://")) ||
      page.find('"') != std::string::npos)
    return;
  // The system's own rundll32, by its full path: a rundll32.exe planted in
  // the application's or the current directory is never run.
  const std::string systemDir = platform.systemDirectory();
  if (systemDir.empty()) return;
  std::string rundll = systemDir + "\\rundll32.exe";
  if (rundll.find(' ') != std::string::npos) rundll = "\"" + rundll + "\"";
  const std::string command = formatText(
      "%s url.dll,FileProtocolHandler \"%s\"", rundll.c_str(), page.c_str());
  ChildProcess child = 0;
  std::string error;
  // Not waited for; a page that cannot be opened goes unnoticed.
  if (platform.startProcess(command, nullptr, nullptr, nullptr, &child, &error))
    platform.closeProcess(child);
}

}  // namespace kite
