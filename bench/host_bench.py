#!/usr/bin/env python3
"""Runs the host benchmarks of the logic and collects their figures.

  python3 bench/host_bench.py --bench build/bench-host/bench/kite_bench --out HOST.json
      [--repetitions 3] [--processes 3] [--min-time 0.5] [--no-callgrind]

Two measurements of every workload of kite_bench:
  time          Google Benchmark, --repetitions runs of each benchmark in
                each of --processes processes; the CPU time per operation of
                the fastest run and the median
  instructions  valgrind's callgrind counting the instructions of exactly one
                operation (kite_bench --once, collecting only inside
                kite_bench_measured); repeatable to the instruction, so it
                shows how the cost grows without the machine's noise
Callgrind counts only the lean-platform rows (the FakePlatform rows at the
largest sizes would take many minutes under it).
"""
import argparse
import json
import os
import re
import shutil
import statistics
import subprocess
import sys
import tempfile
from pathlib import Path

# The workloads and sizes kite_bench registers (bench/scaling.cc).
KINDS = {
    "config": [1000, 10000, 100000, 1000000],
    "addjars": [10, 100, 1000, 10000],
    "cmdline": [10, 100, 1000, 10000],
    "version": [10, 100, 1000, 10000],
    "typical": [1],
    "typical-version": [1],
}
TIME_UNITS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}

# glibc hands every block over 128 KiB straight back to the system when it is
# freed.  A benchmark repeats one operation thousands of times, so at the
# largest sizes alone (a 10,000-jar class path, say) every repetition took
# fresh pages from the system and paid their page faults, while the smaller
# sizes reused the heap: three times the time per jar at 10,000 jars for the
# same instructions.  With the threshold fixed at glibc's largest value, every
# size reuses its memory and the times compare the logic's work.
ALLOCATOR = "glibc.malloc.mmap_threshold=33554432:glibc.malloc.trim_threshold=1073741824"


def run_google_benchmark(bench, repetitions, min_time, processes):
    """Per benchmark: the CPU time of one operation in the fastest of the
    repetitions (other work on the machine only ever adds time, so the
    fastest is the least disturbed) and the median.  Every benchmark runs in
    `processes` processes of its own: in one long process the heap that
    earlier benchmarks left behind changes the times of later ones (by up to
    2.5 times for the same instructions), and one process can be unlucky in
    where its memory lies.  The processes of one benchmark are taken in
    separate passes over all benchmarks, minutes apart: this virtual machine
    now and then runs everything about twice as slow for some seconds, and
    that should not catch every process of one benchmark."""
    names = [(kind, platform, size) for kind, sizes in KINDS.items()
             for platform in ("lean", "fake") for size in sizes]
    times = {name: [] for name in names}
    context = None
    for _ in range(processes):
        for kind, platform, size in names:
            context = run_one(bench, "%s/%s/%d" % (kind, platform, size), repetitions,
                              min_time, times[(kind, platform, size)]) or context
    rows = {}
    for (kind, platform, size), measured in times.items():
        rows.setdefault(platform, {}).setdefault(kind, {})[str(size)] = {
            "cpu_ns": min(measured), "cpu_ns_median": statistics.median(measured)}
    return context, rows


def run_one(bench, name, repetitions, min_time, times):
    """Runs one benchmark in a process of its own; adds the CPU time per
    operation of each repetition to `times` and returns the context."""
    with tempfile.TemporaryDirectory() as scratch:
        out = Path(scratch) / "gbench.json"
        subprocess.run([bench, "--benchmark_filter=^%s$" % name,
                        "--benchmark_out=%s" % out, "--benchmark_out_format=json",
                        "--benchmark_repetitions=%d" % repetitions,
                        "--benchmark_min_time=%g" % min_time],
                       check=True, stdout=sys.stderr,
                       env=dict(os.environ, GLIBC_TUNABLES=ALLOCATOR))
        data = json.loads(out.read_text())
    times += [entry["cpu_time"] * TIME_UNITS[entry["time_unit"]]
              for entry in data["benchmarks"] if entry.get("run_type") == "iteration"]
    return data["context"]


def count_instructions(bench, kind, size):
    """Instructions of one operation, counted by callgrind."""
    with tempfile.TemporaryDirectory() as scratch:
        done = subprocess.run(["valgrind", "--tool=callgrind",
                               "--toggle-collect=kite_bench_measured",
                               "--callgrind-out-file=%s/out" % scratch,
                               bench, "--once", kind, str(size)],
                              capture_output=True, text=True)
    found = re.search(r"Collected\s*:\s*(\d+)", done.stderr)
    if done.returncode != 0 or not found:
        raise RuntimeError("callgrind failed for %s %d:\n%s" % (kind, size, done.stderr[-2000:]))
    return int(found.group(1))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--bench", required=True, help="the kite_bench executable")
    parser.add_argument("--out", required=True)
    parser.add_argument("--repetitions", type=int, default=3)
    parser.add_argument("--processes", type=int, default=3,
                        help="processes each benchmark runs in, one after the other")
    parser.add_argument("--min-time", type=float, default=0.5)
    parser.add_argument("--no-callgrind", action="store_true")
    options = parser.parse_args()

    context, rows = run_google_benchmark(options.bench, options.repetitions, options.min_time,
                                         options.processes)
    instructions = {}
    if not options.no_callgrind and shutil.which("valgrind"):
        for kind, sizes in KINDS.items():
            for size in sizes:
                instructions.setdefault(kind, {})[str(size)] = count_instructions(
                    options.bench, kind, size)
                print("host_bench: %s %d: %d instructions"
                      % (kind, size, instructions[kind][str(size)]), file=sys.stderr)
    Path(options.out).write_text(json.dumps({
        "context": context, "repetitions": options.repetitions * options.processes,
        "processes": options.processes,
        "min_time": options.min_time,
        "time": rows, "instructions": instructions, "sizes": KINDS}, indent=1))
    return 0


if __name__ == "__main__":
    sys.exit(main())
