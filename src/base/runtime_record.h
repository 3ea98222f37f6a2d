// What is known about one Java runtime, gathered once: where its executable
// and home are, its version and where that came from, the machine its
// executable is built for, and its launcher library.  Plain data; the
// runtime layer makes and completes it (runtime/runtime_record.h).
#ifndef KITE_BASE_RUNTIME_RECORD_H_
#define KITE_BASE_RUNTIME_RECORD_H_

#include <optional>
#include <string>

#include "base/pe_probe.h"

namespace kite {

struct RuntimeRecord {
  std::string executable;  // the runtime executable, without quotes
  // The folder above the executable's "bin" folder; empty when its path
  // has no "bin" folder.
  std::string home;
  std::string launcherLibrary;  // home\bin\jli.dll; empty without a home
  // The version, once looked for: its text ("17.0.2"; empty when it is not
  // known) and where it came from ("release file", "key name").
  bool versionLooked = false;
  std::string versionText;
  std::string versionFrom;
  // The header of the executable, once read (only what needs it reads it);
  // not valid when the file is no PE image or cannot be read.
  std::optional<PeHeader> header;
};

}  // namespace kite

#endif  // KITE_BASE_RUNTIME_RECORD_H_
