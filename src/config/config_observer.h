// An optional listener to the configuration reader.  The launcher passes
// none and behaves exactly as with one; kitecheck passes one to learn what
// the reader did with each file and line, with the reader's own code rather
// than a second parser.
#ifndef KITE_CONFIG_CONFIG_OBSERVER_H_
#define KITE_CONFIG_CONFIG_OBSERVER_H_

#include <cstddef>
#include <string>

#include "config/config_keys.h"
#include "config/config_text.h"

namespace kite {

class ConfigObserver {
 public:
  virtual ~ConfigObserver() = default;

  /// A configuration file was read (`error` 0; `decoded` is its text as the
  /// reader takes it, and how it was decoded) or could not be opened
  /// (`error` is the errno value, `decoded` empty).  `depth` is 0 for the
  /// main file, 1 for a file it includes, and so on.
  virtual void fileOpened(const std::string& /*path*/, int /*depth*/,
                          int /*error*/, const DecodedText& /*decoded*/) {}
  /// `path` was not read: it would have passed the limit of files for one
  /// launch, and the launcher ends.
  virtual void fileLimitReached(const std::string& /*path*/, int /*depth*/) {}
  /// An "include" of a file that is already being read was skipped.
  virtual void includeSkipped(const std::string& /*path*/, int /*depth*/) {}
  /// The reader took line `number` (counted from 1) of `path`.
  virtual void lineRead(const std::string& /*path*/, int /*number*/,
                        const std::string& /*line*/) {}
  /// The line last read matched `key`; `raw` is the value as written and
  /// `value` what the key works with (expanded, or the raw value for a key
  /// that is not expanded).  Called before the key takes effect.
  virtual void keyMatched(ConfigKey /*key*/, const std::string& /*raw*/,
                          const std::string& /*value*/) {}
  /// Expansion found no variable `name` (empty: a lone "$" at the end).
  virtual void variableMissing(const std::string& /*name*/) {}
  /// "addjars" searched `directory` and added `added` class-path entries.
  virtual void jarsScanned(const std::string& /*directory*/,
                           std::size_t /*added*/) {}
};

}  // namespace kite

#endif  // KITE_CONFIG_CONFIG_OBSERVER_H_
