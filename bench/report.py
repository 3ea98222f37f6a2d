#!/usr/bin/env python3
"""Writes docs/BENCHMARKS.md from the results of host_bench.py and
wine_bench.py.  Called by scripts/bench; see there for the arguments."""
import argparse
import datetime
import json
import os
import platform
import random
import subprocess
from pathlib import Path

LAUNCH_TARGET = 1.05   # kite / reference, launch time
WINDOW_TARGET = 1.05   # (kite-window / reference) / (kite / reference), launch time
FLAT_TARGET = 1.5      # largest / smallest cost per item
ITEMS = {"config": "line", "addjars": "jar", "cmdline": "entry", "version": "subkey"}
TITLES = {"config": "reading a configuration file", "addjars": "one \"addjars\" directory",
          "cmdline": "assembling the command line", "version": "\"javaVersion\" family request"}
VARIANTS = [("reference", "reference launcher (`reference%s.exe`)"),
            ("reference-idle", "reference + `WaitForInputIdle` (`reference%s-idle.exe`)"),
            ("kite", "`kite%s.exe`, typical configuration"),
            ("kite-version", "`kite%s.exe`, typical + `javaVersion 1.6` over 50 runtimes"),
            ("kite-window", "`kite%s.exe`, typical + `javaMinVersion 21` over 40 modern runtimes"),
            ("standin", "stand-in runtime started directly")]


def first_line(command):
    try:
        done = subprocess.run(command, capture_output=True, text=True, timeout=60)
        return (done.stdout or done.stderr).splitlines()[0].strip()
    except (OSError, IndexError, subprocess.TimeoutExpired):
        return "unknown"


def proc_value(path, key):
    try:
        for line in Path(path).read_text().splitlines():
            if line.startswith(key):
                return line.split(":", 1)[1].strip()
    except OSError:
        pass
    return "unknown"


def ms(seconds):
    return "%.0f" % (seconds * 1000)


def bootstrap_ratio(numerator, denominator, rounds=2000):
    """95% interval of median(numerator) / median(denominator)."""
    generator = random.Random(6)
    ratios = []
    for _ in range(rounds):
        a = sorted(generator.choice(numerator) for _ in numerator)
        b = sorted(generator.choice(denominator) for _ in denominator)
        ratios.append(a[len(a) // 2] / b[len(b) // 2])
    ratios.sort()
    return ratios[int(0.025 * rounds)], ratios[int(0.975 * rounds) - 1]


def machine_section(options, wine):
    lines = ["## Machine", ""]
    lines.append("| | |\n|---|---|")
    rows = [
        ("Date", datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")),
        ("Processor", "%s, %d logical cores" % (proc_value("/proc/cpuinfo", "model name"),
                                                os.cpu_count() or 0)),
        ("Memory", proc_value("/proc/meminfo", "MemTotal")),
        ("System", "%s %s, Debian %s" % (platform.system(), platform.release(),
                                         first_line(["cat", "/etc/debian_version"]))),
        ("Load average (1, 5, 15 min)", "%s before the host runs, %s before the Wine runs, "
         "%s after them" % (options.load_start, options.load_before, options.load_after)),
        ("Wine", wine.get("wine_version", "not run") if wine else "not run"),
        ("Priority of the benchmark runs", "`%s`" % options.priority),
        ("Cross compilers", "%s; %s" % (first_line(["i686-w64-mingw32-gcc", "--version"]),
                                        first_line(["x86_64-w64-mingw32-gcc", "--version"]))),
        ("Host compiler", first_line(["g++", "--version"])),
        ("Google Benchmark", first_line(["dpkg-query", "-W", "-f=${Version}",
                                         "libbenchmark-dev"])),
        ("Valgrind", first_line(["valgrind", "--version"])),
        ("32-bit Linux programs", {
            "native": "run natively",
            "emulated": "run only through the qemu-i386 CPU emulator (binfmt_misc)",
            "unavailable": "cannot run"}[options.i386]),
    ]
    lines += ["| %s | %s |" % row for row in rows]
    return lines + [""]


def launch_section(options, wine):
    lines = ["## Launch time under Wine", ""]
    if options.i386 != "native":
        lines += [
            "32-bit programs do not run natively on this machine (%s). Under Wine every 32-bit "
            "Windows process is then a 32-bit Linux process interpreted by the qemu-i386 CPU "
            "emulator: it takes about a minute instead of a fraction of a second, for the "
            "launcher and the reference alike, so a `kite32.exe` timing measures the emulator, "
            "not the launcher. The launch overhead is therefore measured with the 64-bit build, "
            "`kite64.exe`, against the reference launcher built from the same source for 64 "
            "bits (`reference64.exe`). Both builds share all of the launcher's logic; they "
            "differ in the compiler's target only. On a machine that runs 32-bit programs "
            "natively, `scripts/bench` measures `kite32.exe` against `reference32.exe` in the "
            "same way.%s" % (
                "they are emulated" if options.i386 == "emulated" else "they cannot run at all",
                "" if "32" not in wine["widths"] else
                " The 32-bit rows below were taken under the emulator anyway "
                "(`--kite32-emulated-runs`); read them as the emulator's cost."), ""]
    lines += [
        "Wall time from starting the program (`wine64 <program>` in a running Wine prefix) "
        "until it has ended. A launcher ends right after the stand-in runtime it started, "
        "which exits 0 at once, so this is the time from launcher start until the "
        "application has ended, plus the launcher's own exit. The typical configuration: "
        "main class, 5 `vmparam` lines, `addjars lib` over 50 jars, 3 `argument` lines; the "
        "runtime is the registry's current one (50 runtimes are registered). The version "
        "window adds `javaMinVersion 21`: 40 more runtimes are registered as current "
        "installers do (Eclipse Adoptium and Zulu keys in the 64-bit registry view, JavaSoft "
        "JDK and Liberica keys in the 32-bit one, each home with a release file), and the "
        "search reads them all, the 50 classic ones too; only one reaches 21, installed in the "
        "current runtime's home, so this launcher starts the same command line. Its target "
        "is a launch time at most %.2f times the typical launch's, the same overhead against "
        "the reference within 5%%. After %d warm-up "
        "rounds, every program is run the number of times shown, in rounds that start every "
        "program once, in rotating order. Spread: the middle half of the runs (first to third "
        "quartile) and the extremes. Own CPU: user and system time of the program's own Unix "
        "process (not of the process it starts), which the machine's other work disturbs "
        "far less than the wall time." % (WINDOW_TARGET, wine.get("warmup", 2)), ""]
    checks = wine.get("checks", {})
    for width, data in sorted(wine["widths"].items(), reverse=True):
        launch = data["launch"]
        reference = launch["reference"]
        lines += ["### %s-bit launchers" % width, "",
                  "| Program | median ms | middle half ms | min–max ms | runs (failed) "
                  "| minus stand-in ms | / reference | own CPU ms | CPU / reference |",
                  "|---|---:|---:|---:|---:|---:|---:|---:|---:|"]
        for name, title in VARIANTS:
            row = launch.get(name)
            if not row or "median" not in row:
                continue
            cpu = row.get("cpu") or {}
            lines.append("| %s | %s | %s–%s | %s–%s | %d (%d) | %s | %.3f | %s | %s |" % (
                title % width if "%s" in title else title, ms(row["median"]), ms(row["q1"]),
                ms(row["q3"]), ms(row["min"]), ms(row["max"]), row["n"], row["failures"],
                ms(row["median"] - launch["standin"]["median"]) if name != "standin" else "–",
                row["median"] / reference["median"],
                ms(cpu["median"]) if cpu else "–",
                "%.2f" % (cpu["median"] / reference["cpu"]["median"]) if cpu else "–"))
        lines.append("")
        for name in ("kite", "kite-version"):
            row = launch.get(name)
            if not row or "median" not in row:
                continue
            ratio = row["median"] / reference["median"]
            low, high = bootstrap_ratio(row["seconds"], reference["seconds"])
            lines.append("- `%s` / reference: **%.3f** (95%% bootstrap interval %.3f–%.3f); "
                         "target at most %.2f: **%s**." % (
                             name.replace("kite", "kite" + width, 1), ratio, low, high,
                             LAUNCH_TARGET, "met" if ratio <= LAUNCH_TARGET else "missed"))
        lines += window_lines(width, launch)
        idle = launch.get("reference-idle")
        if idle and "median" in idle:
            for name in ("kite", "kite-version"):
                row = launch.get(name)
                if row and "median" in row:
                    low, high = bootstrap_ratio(row["seconds"], idle["seconds"])
                    lines.append("- `%s` / (reference + `WaitForInputIdle`): %.3f (95%% "
                                 "bootstrap interval %.3f–%.3f)." % (
                                     name.replace("kite", "kite" + width, 1),
                                     row["median"] / idle["median"], low, high))
        same = [key for key, check in checks.items()
                if key.endswith(width) and check["same_as_expected"]]
        lines += ["- Command line: %s of the %d launcher set-ups (`%s`) started the runtime "
                  "with exactly the reference's fixed command line (%d characters)." % (
                      len(same), len([k for k in checks if k.endswith(width)]),
                      "`, `".join(sorted(k for k in checks if k.endswith(width))),
                      len(wine["expected_command_line"])), ""]
    return lines


def window_lines(width, launch):
    """The window launch's ratio to the reference beside the typical
    launch's, and the quotient of the two (the reference cancels out of it:
    it is the window launch's time over the typical launch's)."""
    window, typical, reference = (launch.get(name) for name in
                                  ("kite-window", "kite", "reference"))
    if not all(row and "median" in row for row in (window, typical, reference)):
        return []
    window_ratio = window["median"] / reference["median"]
    typical_ratio = typical["median"] / reference["median"]
    quotient = window["median"] / typical["median"]
    low, high = bootstrap_ratio(window["seconds"], typical["seconds"])
    cpu = ""
    if window.get("cpu") and typical.get("cpu"):
        cpu = " Own CPU: %s ms against %s ms (%.2f)." % (
            ms(window["cpu"]["median"]), ms(typical["cpu"]["median"]),
            window["cpu"]["median"] / typical["cpu"]["median"])
    return ["- Version window over 40 runtimes: `kite%s-window` / reference **%.3f** beside "
            "`kite%s` / reference **%.3f**; their quotient **%.3f** (95%% bootstrap interval "
            "%.3f–%.3f); target at most %.2f: **%s**.%s" % (
                width, window_ratio, width, typical_ratio, quotient, low, high, WINDOW_TARGET,
                "met" if quotient <= WINDOW_TARGET else "missed", cpu)]


def memory_section(wine):
    lines = ["## Memory held while the application runs", "",
             "Peak resident memory (`VmHWM`) and resident memory (`VmRSS`) of the program's "
             "Unix process (the Wine process that runs it), read from `/proc/<pid>/status` "
             "while the stand-in runtime it started sleeps (1.5 s). For the stand-in started "
             "directly, its own process. Medians, in KiB; under Wine every process carries "
             "Wine's own libraries, so the difference to the reference is the launcher's "
             "share.", ""]
    for width, data in sorted(wine["widths"].items(), reverse=True):
        memory = data["memory"]
        reference = memory["reference"]["hwm"]
        lines += ["### %s-bit launchers" % width, "",
                  "| Program | peak resident KiB | resident KiB | runs | peak minus reference KiB |",
                  "|---|---:|---:|---:|---:|"]
        for name, title in VARIANTS:
            row = memory.get(name)
            if not row or not row["hwm"]:
                continue
            lines.append("| %s | %d | %d | %d | %s |" % (
                title % width if "%s" in title else title, row["hwm"]["median"],
                row["rss"]["median"], row["hwm"]["n"],
                "%+d" % (row["hwm"]["median"] - reference["median"]) if reference else "–"))
        lines.append("")
    return lines


def host_section(host):
    time_rows, instructions = host["time"], host.get("instructions", {})
    lines = ["## Scaling of the logic on the host", "",
             "Google Benchmark (each benchmark in %d processes of its own, taken in separate passes "
             "over all benchmarks; CPU time of the "
             "fastest of its %d repetitions: other work on the machine only ever adds time) and "
             "callgrind (instructions of exactly one "
             "operation after one warm-up run: repeatable to the instruction) on the launcher's logic built for the "
             "host (`-O3`, no sanitizers), through a lean in-memory platform "
             "(`bench/lean_platform.h`) that answers every registry, file and search "
             "question in constant time or by copying what it holds, as the system's calls "
             "do. The C library's allocator keeps the memory a repetition frees for the next "
             "(`GLIBC_TUNABLES`, in `bench/host_bench.py`): by default it gives blocks over "
             "128 KiB back to the system, and then only the largest sizes pay fresh pages on "
             "every repetition. A real launch touches its pages once at every size, a cost "
             "linear in its memory. Cost per item = cost of one operation / n. Linear total cost means a flat "
             "cost per item: the largest per-item cost at most %.1f times the smallest. The "
             "instruction counts decide where the machine's load blurs the times; the times "
             "are given as measured." % (host.get("processes", 1), host["repetitions"], FLAT_TARGET), "",
             "| Workload | n | time per operation | ns per item | instructions per item |",
             "|---|---:|---:|---:|---:|"]
    verdicts = []
    for kind, item in ITEMS.items():
        per_time, per_instr = [], []
        for size in host["sizes"][kind]:
            row = time_rows["lean"][kind][str(size)]
            per_item = row["cpu_ns"] / size
            per_time.append(per_item)
            count = instructions.get(kind, {}).get(str(size))
            if count:
                per_instr.append(count / size)
            lines.append("| %s | %s | %s | %.1f | %s |" % (
                TITLES[kind], "{:,}".format(size), duration(row["cpu_ns"]), per_item,
                "%.0f" % (count / size) if count else "–"))
        spread_time = max(per_time) / min(per_time)
        spread_instr = max(per_instr) / min(per_instr) if per_instr else None
        verdicts.append("| %s | %s | %.2f | %s | %s | %s |" % (
            TITLES[kind], item, spread_time, "%.2f" % spread_instr if spread_instr else "–",
            "yes" if spread_time <= FLAT_TARGET else "no",
            ("yes" if spread_instr <= FLAT_TARGET else "no") if spread_instr else "–"))
    lines += ["", "| Workload | item | spread of time per item | spread of instructions per item "
              "| time within %.1f× | instructions within %.1f× |" % (FLAT_TARGET, FLAT_TARGET),
              "|---|---|---:|---:|---|---|"] + verdicts + [""]
    lines += ["The whole launch of the typical configuration (configuration, registry, jar "
              "search, command line; the child is simulated) costs, on the host:", "",
              "| Launch | time | instructions |", "|---|---:|---:|"]
    for kind, title in (("typical", "typical configuration"),
                        ("typical-version", "typical + `javaVersion 1.6` over 50 runtimes")):
        row = time_rows["lean"][kind]["1"]
        count = instructions.get(kind, {}).get("1")
        lines.append("| %s | %s | %s |" % (title, duration(row["cpu_ns"]),
                                          "{:,}".format(count) if count else "–"))
    lines += ["", "### Through the unit tests' FakePlatform", "",
              "The same workloads through `tests/platform/fake_platform.h`. The test double "
              "records every call and finds things by walking all it holds: its subkey "
              "enumeration walks every key for each index (O(n²) for a family request), and "
              "its wildcard search walks every file it holds. Where the figures below grow, "
              "they show the double, not the launcher; that is why the table above uses the "
              "lean platform.", "",
              "| Workload, CPU time per item (n) | smallest n | | | largest n | spread |",
              "|---|---:|---:|---:|---:|---:|"]
    for kind in ITEMS:
        sizes = host["sizes"][kind]
        cells = ["%.0f ns (n = %s)" % (time_rows["fake"][kind][str(s)]["cpu_ns"] / s,
                                       "{:,}".format(s)) for s in sizes]
        values = [time_rows["fake"][kind][str(s)]["cpu_ns"] / s for s in sizes]
        lines.append("| %s per %s | %s | %.1f |" % (TITLES[kind], ITEMS[kind], " | ".join(cells),
                                                   max(values) / min(values)))
    return lines + [""]


def duration(ns):
    if ns >= 1e6:
        return "%.2f ms" % (ns / 1e6)
    if ns >= 1e3:
        return "%.2f µs" % (ns / 1e3)
    return "%.0f ns" % ns


def size_section(executables):
    lines = ["## Executable sizes", "", "| File | bytes | KiB |", "|---|---:|---:|"]
    for path in executables:
        if Path(path).exists():
            size = Path(path).stat().st_size
            lines.append("| `%s` | %s | %.1f |" % (Path(path).name, "{:,}".format(size),
                                                  size / 1024))
    return lines + ["", "The launchers are built as shipped (MinSizeRel, static, stripped); "
                    "the reference launchers with the same compilers, static and stripped.", ""]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--host", required=True)
    parser.add_argument("--wine", required=True)
    parser.add_argument("--i386", required=True, choices=["native", "emulated", "unavailable"])
    parser.add_argument("--command", required=True, help="the command that was run")
    parser.add_argument("--priority", default="normal",
                        help="the priority the Wine runs had (a nice command)")
    parser.add_argument("--load-start", default="unknown")
    parser.add_argument("--load-before", default="unknown")
    parser.add_argument("--load-after", default="unknown")
    parser.add_argument("--notes", help="Markdown file appended as the closing section")
    parser.add_argument("--out", required=True)
    parser.add_argument("executables", nargs="*")
    options = parser.parse_args()
    host = json.loads(Path(options.host).read_text())
    wine = json.loads(Path(options.wine).read_text())

    lines = ["# Benchmarks", "",
             "What the launcher costs the application it starts: the time it adds before "
             "the application runs, the memory it holds while the application runs, and how "
             "its work grows with the size of its configuration, each side by side with the "
             "least a launcher can be. Written by `scripts/bench`; do not edit by hand.", ""]
    lines += machine_section(options, wine)
    lines += ["## Commands", "", "```sh", options.command, "```", "",
              "`scripts/bench` builds in `build/bench-host`, `build/bench-win32` and "
              "`build/bench-win64`, then runs `bench/host_bench.py` (Google Benchmark and "
              "callgrind on `kite_bench`) and `bench/wine_bench.py` (one Wine prefix, the "
              "end-to-end harness's session and application directories) and this report. "
              "`scripts/bench --help` lists its options.", ""]
    lines += launch_section(options, wine)
    lines += memory_section(wine)
    lines += host_section(host)
    lines += size_section(options.executables)
    if options.notes and Path(options.notes).exists():
        lines += Path(options.notes).read_text().rstrip("\n").splitlines() + [""]
    Path(options.out).write_text("\n".join(lines))
    return 0


if __name__ == "__main__":
    raise SystemExit(main())
