// The runtime a configuration asks for, decided once, after reading: a
// usable bundled runtime wins wherever its "bundledRuntime" line stands;
// otherwise the "javapath" and "javaVersion" lines count in their order,
// each as it would where it stands, and a configuration without a bundled
// runtime behaves as if the lines were resolved while reading.
//
// A "javaVersion" line after a "bundledRuntime" line waits: its search runs
// after reading, and only when the bundled runtime is not usable.  One
// before any "bundledRuntime" line is searched where it stands, but what
// the search and the rest of the reading show (boxes, trace and standard-
// error lines) is held back until reading ends.  If a bundled runtime wins,
// the search's part never shows; otherwise all of it shows in its order.
// A search that fails there stops the runtime lines after it; unless a
// bundled runtime wins, the settings go back to that line and the search
// runs again for real, so its prompt asks the user and it ends the launcher
// as it did when the line ended reading.
#ifndef KITE_LAUNCHER_RUNTIME_CHOICE_H_
#define KITE_LAUNCHER_RUNTIME_CHOICE_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/launch_settings.h"
#include "base/outcome.h"
#include "config/config_file.h"
#include "platform/forwarding_platform.h"

namespace kite {

// Judges settings.bundledRuntime when it is set, once: a usable one becomes
// the runtime (settings.javaPath and its record); either way the setting is
// cleared, so nothing judges it again.  Returns whether it was taken.
bool decideBundledRuntime(LaunchSettings& settings, Platform& platform);

class RuntimeChoice : public VersionResolver {
 public:
  // `platform` is where what reading shows goes in the end.
  explicit RuntimeChoice(Platform& platform) : held_(platform) {}

  // The platform the configuration is read through (it holds output back
  // once a search runs while reading).
  Platform& reading() { return held_; }

  Outcome resolve(LaunchSettings& settings, Platform& platform) override;

  // After reading ended with `read`: decides the runtime and shows what was
  // held back.  Ends the launcher where a search that counts fails, or
  // with `read`'s code.
  Outcome decide(LaunchSettings& settings, Outcome read);

 private:
  // Output held back: each box or line in order, and whether a version
  // search made it.
  class HeldOutput : public ForwardingPlatform {
   public:
    using ForwardingPlatform::ForwardingPlatform;
    void hold() { holding_ = true; }
    size_t size() const { return held_.size(); }
    void markSearch(size_t from);
    void dropFrom(size_t from) { held_.resize(from); }
    // Shows the held items before `count` and from `tailFrom` on (without
    // a search's, unless `searches`) and passes everything through from
    // then on.
    void release(size_t count, bool searches, size_t tailFrom = SIZE_MAX);

    int showMessageBox(const char* text, const std::string& caption,
                       unsigned style) override;
    void writeOut(const std::string& text) override;
    void writeError(const std::string& text) override;
    void trace(const std::string& line) override;

   private:
    enum class Kind { kBox, kOut, kError, kTrace };
    struct Item {
      Kind kind;
      OptionalText text;
      std::string caption;
      unsigned style = 0;
      bool search = false;
    };
    bool holding_ = false;
    std::vector<Item> held_;
  };

  HeldOutput held_;
  // The settings at each line that waited for the bundled runtime.
  std::vector<LaunchSettings> waiting_;
  // The settings at the line whose search failed while reading, and how
  // much output was held before it.
  std::optional<LaunchSettings> failed_;
  size_t failedAt_ = 0;
};

}  // namespace kite

#endif  // KITE_LAUNCHER_RUNTIME_CHOICE_H_
