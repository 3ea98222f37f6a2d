// The findings of a check: what in the recorded files, lines and settings
// looks wrong, each with its file and line.
#ifndef KITE_CHECK_FINDINGS_H_
#define KITE_CHECK_FINDINGS_H_

#include <string>
#include <vector>

#include "check/report.h"
#include "platform/platform.h"

namespace kite {

// Fills report.findings from the recorded files and lines, the settings,
// the runtime lookups and the command line.  `platform` answers whether the
// paths named by "addjar", "addpath" and "addjars" exist (relative ones from
// the current directory, which is the start directory).
void collectFindings(Report& report, Platform& platform);

}  // namespace kite

#endif  // KITE_CHECK_FINDINGS_H_
