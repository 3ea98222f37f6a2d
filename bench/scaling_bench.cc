// Host benchmarks of the launcher's logic (Google Benchmark).
//
//   kite_bench [Google Benchmark flags]   every workload at every size,
//       through the lean platform ("<kind>/lean/<n>") and through the unit
//       tests' FakePlatform ("<kind>/fake/<n>"); the items counter is n.
//   kite_bench --once KIND N [fake]       builds that workload, runs its
//       operation once to warm up, then once more inside
//       kite_bench_measured(), for counting its instructions:
//       valgrind --tool=callgrind
//       --toggle-collect=kite_bench_measured kite_bench --once config 1000
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "scaling.h"

using kite::bench::Workload;

// The measured region of a --once run; not inlined, so that callgrind can
// collect exactly the calls made from here.
extern "C" __attribute__((noinline)) void kite_bench_measured(Workload* workload) {
  workload->run();
  benchmark::ClobberMemory();
}

namespace {

// Inputs are built once per workload and size: Google Benchmark calls a
// benchmark function several times while it settles on an iteration count.
Workload& cachedWorkload(const std::string& kind, size_t size, bool fake) {
  static std::map<std::tuple<std::string, size_t, bool>, std::unique_ptr<Workload>> cache;
  auto& slot = cache[std::make_tuple(kind, size, fake)];
  if (!slot) slot = kite::bench::makeWorkload(kind, size, fake);
  return *slot;
}

void registerAll() {
  for (const auto& kind : kite::bench::workloadKinds()) {
    for (bool fake : {false, true}) {
      const std::string name = std::string(kind.name) + (fake ? "/fake" : "/lean");
      const std::string kindName = kind.name;
      auto* bench = benchmark::RegisterBenchmark(
          name.c_str(), [kindName, fake](benchmark::State& state) {
            const size_t size = static_cast<size_t>(state.range(0));
            Workload& workload = cachedWorkload(kindName, size, fake);
            for (auto _ : state) workload.run();
            state.SetItemsProcessed(state.iterations() * state.range(0));
          });
      for (size_t size : kind.sizes) bench->Arg(static_cast<int64_t>(size));
      bench->Unit(benchmark::kMicrosecond);
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 4 && std::string(argv[1]) == "--once") {
    const bool fake = argc >= 5 && std::string(argv[4]) == "fake";
    auto workload = kite::bench::makeWorkload(argv[2], std::strtoul(argv[3], nullptr, 10), fake);
    if (!workload) {
      std::fprintf(stderr, "unknown workload %s\n", argv[2]);
      return 2;
    }
    // One run first, outside the measured region: the dynamic linker binds
    // each library function on its first call, which would otherwise be
    // counted against the smallest sizes.
    workload->run();
    kite_bench_measured(workload.get());
    return 0;
  }
  registerAll();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
