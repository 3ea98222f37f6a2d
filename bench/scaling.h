// The workloads of the host benchmarks: each builds an input of a given size
// once, then performs one operation of the launcher's logic on it as often
// as asked.  Shared by the Google Benchmark runs and by the single runs that
// scripts/bench counts instructions of under callgrind.
#ifndef KITE_BENCH_SCALING_H_
#define KITE_BENCH_SCALING_H_

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace kite {
namespace bench {

class Workload {
 public:
  virtual ~Workload() = default;
  // Performs the operation once.
  virtual void run() = 0;
};

// The kinds of workload, with the sizes each is measured at:
//   config   reading a configuration file of n lines
//   addjars  one "addjars" directory holding n jars
//   cmdline  assembling the command line from n entries
//   version  a "javaVersion" family request over n registry subkeys
//   typical  a whole launch of the typical configuration (n is 1)
//   typical-version   the same with a "javaVersion" family request
struct WorkloadKind {
  const char* name;
  std::vector<size_t> sizes;
};
const std::vector<WorkloadKind>& workloadKinds();

// Builds a workload; `fake` measures through the unit tests' FakePlatform
// instead of the lean platform.  Returns null for an unknown name.
std::unique_ptr<Workload> makeWorkload(const std::string& name, size_t size,
                                       bool fake);

}  // namespace bench
}  // namespace kite

#endif  // KITE_BENCH_SCALING_H_
