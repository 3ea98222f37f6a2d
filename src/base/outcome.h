// What a step that may end the launcher decided: go on, or end the launcher
// with an exit code.  Steps return it and callers stop at once when it ends
// the launcher; only the entry point ends the process.
#ifndef KITE_BASE_OUTCOME_H_
#define KITE_BASE_OUTCOME_H_

#include <optional>

namespace kite {

class [[nodiscard]] Outcome {
 public:
  static Outcome goOn() { return Outcome(std::nullopt); }
  static Outcome exitWith(int code) { return Outcome(code); }

  bool endsLauncher() const { return code_.has_value(); }
  // The exit code; only meaningful when endsLauncher().
  int exitCode() const { return code_.value_or(0); }

  bool operator==(const Outcome& other) const { return code_ == other.code_; }
  bool operator!=(const Outcome& other) const { return !(*this == other); }

 private:
  explicit Outcome(std::optional<int> code) : code_(code) {}
  std::optional<int> code_;
};

}  // namespace kite

#endif  // KITE_BASE_OUTCOME_H_
