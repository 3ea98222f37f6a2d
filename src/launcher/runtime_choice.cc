#include "launcher/runtime_choice.h"

#include <utility>

#include "runtime/bundled_runtime.h"
#include "runtime/version_search.h"

namespace kite {

bool decideBundledRuntime(LaunchSettings& settings, Platform& platform) {
  if (!settings.bundledRuntime) return false;
  BundledRuntime bundled = findBundledRuntime(settings, platform);
  settings.bundledRuntime.reset();
  if (!bundled.taken) return false;
  settings.javaPath = std::move(bundled.runtime);
  settings.runtime = std::move(bundled.record);
  return true;
}

void RuntimeChoice::HeldOutput::markSearch(size_t from) {
  for (size_t i = from; i < held_.size(); ++i) held_[i].search = true;
}

void RuntimeChoice::HeldOutput::release(size_t count, bool searches,
                                        size_t tailFrom) {
  holding_ = false;
  for (size_t i = 0; i < held_.size(); ++i) {
    const Item& item = held_[i];
    if ((i >= count && i < tailFrom) || (item.search && !searches)) continue;
    switch (item.kind) {
      case Kind::kBox:
        inner().showMessageBox(item.text ? item.text->c_str() : nullptr,
                               item.caption, item.style);
        break;
      case Kind::kOut:
        inner().writeOut(*item.text);
        break;
      case Kind::kError:
        inner().writeError(*item.text);
        break;
      case Kind::kTrace:
        inner().trace(*item.text);
        break;
    }
  }
  held_.clear();
}

int RuntimeChoice::HeldOutput::showMessageBox(const char* text,
                                              const std::string& caption,
                                              unsigned style) {
  if (!holding_) return inner().showMessageBox(text, caption, style);
  held_.push_back({Kind::kBox, text ? OptionalText(text) : std::nullopt,
                   caption, style});
  // Only a search that fails asks a question, and it runs again for real
  // before its answer counts.
  return (style & kBoxButtonsMask) == kBoxYesNo ? kAnswerNo : kAnswerOk;
}

void RuntimeChoice::HeldOutput::writeOut(const std::string& text) {
  if (!holding_) return inner().writeOut(text);
  held_.push_back({Kind::kOut, text, std::string()});
}

void RuntimeChoice::HeldOutput::writeError(const std::string& text) {
  if (!holding_) return inner().writeError(text);
  held_.push_back({Kind::kError, text, std::string()});
}

void RuntimeChoice::HeldOutput::trace(const std::string& line) {
  if (!holding_) return inner().trace(line);
  held_.push_back({Kind::kTrace, line, std::string()});
}

Outcome RuntimeChoice::resolve(LaunchSettings& settings, Platform& platform) {
  // Where a search failed, the launcher ends there unless a bundled
  // runtime wins: the runtime lines after it count for nothing.
  if (failed_) return Outcome::goOn();
  if (settings.bundledRuntime) {
    waiting_.push_back(settings);
    // A "javapath" line after this one sets the path again.
    settings.javaPath.reset();
    return Outcome::goOn();
  }
  // The reader reads through held_ (reading()), so `platform` is held_.
  (void)platform;
  held_.hold();
  const size_t from = held_.size();
  LaunchSettings before = settings;
  VersionSearch search = findJavaForVersion(settings, held_);
  if (search.outcome.endsLauncher()) {
    held_.dropFrom(from);
    failed_ = std::move(before);
    failedAt_ = from;
    return Outcome::goOn();
  }
  held_.markSearch(from);
  settings.javaPath = std::move(search.runtime);
  return Outcome::goOn();
}

Outcome RuntimeChoice::decide(LaunchSettings& settings, Outcome read) {
  const size_t judged = held_.size();
  const bool bundled = !read.endsLauncher() &&
                       decideBundledRuntime(settings, held_);
  if (bundled) {
    held_.release(SIZE_MAX, /*searches=*/false);
    return read;
  }
  if (failed_) {
    // What came before the failed line, then why the bundled runtime was
    // passed over, then the search again.
    held_.release(failedAt_, /*searches=*/true, judged);
    LaunchSettings whole = std::move(settings);
    settings = std::move(*failed_);
    VersionSearch again = findJavaForVersion(settings, held_);
    if (again.outcome.endsLauncher()) return again.outcome;
    // The runtime was installed in the meantime: the whole configuration
    // counts after all, with what the search found.
    whole.javaVersion = settings.javaVersion;
    whole.javaPath = std::move(again.runtime);
    settings = std::move(whole);
    return Outcome::goOn();
  }
  held_.release(SIZE_MAX, /*searches=*/true);
  if (read.endsLauncher() || waiting_.empty()) return read;
  // The lines that waited, each searched with the settings of its line; the
  // last one's runtime counts unless a "javapath" line came after it.
  const bool pathAfter = settings.javaPath.has_value();
  OptionalText runtime;
  for (LaunchSettings& at : waiting_) {
    VersionSearch search = findJavaForVersion(at, held_);
    if (search.outcome.endsLauncher()) {
      settings = std::move(at);
      return search.outcome;
    }
    runtime = std::move(search.runtime);
    settings.javaVersion = at.javaVersion;
  }
  if (!pathAfter) settings.javaPath = std::move(runtime);
  return read;
}

}  // namespace kite
