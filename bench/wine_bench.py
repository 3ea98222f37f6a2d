#!/usr/bin/env python3
"""Launch time and memory of the launcher under Wine, against the reference
launcher and against the stand-in runtime started directly.

  python3 bench/wine_bench.py --out RESULTS.json --helpers BUILD_DIR \\
      --launcher 64 KITE_EXE REFERENCE_EXE [--launcher 32 KITE_EXE REFERENCE_EXE] \\
      [--runs 30] [--memory-runs 5] [--runs32 N] [--memory-runs32 N]
      [--root DIR] [--keep]

One Wine prefix (the end-to-end harness's WineSession) holds, per launcher
width, these application directories made with the harness's App class:

  kite            the typical configuration: main class, 5 JVM parameters,
                  "addjars lib" over 50 jars, 3 arguments; the runtime is the
                  registry's current one
  kite-version    the same plus "javaVersion 1.6": a family request searched
                  over the 50 runtimes registered
  kite-window     the same plus "javaMinVersion 21": a version window searched
                  over 40 runtimes registered as current installers do (four
                  vendors' keys, both registry views, each home with a release
                  file), of which one fits; the search reads the 50 classic
                  registrations too
  reference       the reference launcher (bench/reference.c), whose fixed
                  command line is the one Kite builds for both
  reference-idle  the same built to wait for input idle too, as Kite does
                  (referenceNN-idle.exe beside REFERENCE_EXE, when present)

and the stand-in runtime (the harness's stand-in, which exits 0 at once)
installed as the registry's runtime, started directly with the same
arguments.  The runtime the window takes lives in that same home.  First one
checked run of each launcher (through the harness's starter, with the
stand-in recording its command line) proves that all of them start the
runtime with the very same command line.  Then:

  launch  wall time from starting the program until it has ended (a launcher
          ends right after the stand-in it started), and the CPU time of the
          program's own Unix process; warm-up runs first, then --runs rounds
          that take every variant once, in rotating order
  memory  the stand-in sleeps 1.5 s; once it has started, VmHWM (peak
          resident) and VmRSS of the program's Unix process are read from
          /proc/<pid>/status; --memory-runs rounds

Every Windows program runs with WINEDEBUG=-all and no output.
"""
import argparse
import json
import os
import shutil
import statistics
import subprocess
import sys
import threading
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "e2e"))

import launch  # noqa: E402
import wine  # noqa: E402

REGISTRY_BASE = "HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft\\Java Runtime Environment"
RUNTIME_HOME = "C:\\jre\\1.6.0_30"
RUNTIME_EXE = RUNTIME_HOME + "\\bin\\javaw.exe"
MAIN_CLASS = "com.example.app.Main"
VM_PARAMS = ["-Xms64m", "-Xmx512m", "-Dfile.encoding=UTF-8", "-Dapp.mode=bench",
             "-XX:+UseSerialGC"]
JARS = ["module%02d.jar" % i for i in range(1, 51)]
ARGUMENTS = ["--mode", "production", "C:\\data\\in.txt"]
CLASS_PATH = ";".join("lib/" + jar for jar in JARS)
# What Kite builds from the typical configuration on Windows Vista and later
# (runtime path and arguments quoted, each argument followed by a space); the
# reference launcher's fixed command line is the same text.
EXPECTED_COMMAND_LINE = ('"%s" %s -classpath %s %s %s' % (
    RUNTIME_EXE, " ".join(VM_PARAMS), CLASS_PATH, MAIN_CLASS,
    "".join('"%s" ' % argument for argument in ARGUMENTS)))


def registered_runtimes():
    """50 subkeys: "1.6" (the current version) and 1.6.0_01..30, 1.5.0_01..10,
    1.4.2_01..09, each with its home; "1.6" and 1.6.0_30 share one home."""
    keys = {REGISTRY_BASE: {"CurrentVersion": "1.6"},
            REGISTRY_BASE + "\\1.6": {"JavaHome": RUNTIME_HOME}}
    for family, count in (("1.6.0", 30), ("1.5.0", 10), ("1.4.2", 9)):
        for patch in range(1, count + 1):
            version = "%s_%02d" % (family, patch)
            keys[REGISTRY_BASE + "\\" + version] = {"JavaHome": "C:\\jre\\" + version}
    assert len(keys) == 51  # the base key and 50 runtimes
    return keys


# The window's minimum, and the release of the one registered runtime that
# reaches it; every other one is older.
WINDOW_MIN = "21"
WINDOW_RELEASE = "21.0.2"
# Where current installers register a runtime, as (32-bit view, key of one
# runtime with its subkey name for %s, value naming its home, how many).
WINDOW_INSTALLERS = [
    (False, "SOFTWARE\\Eclipse Adoptium\\JDK\\%s\\hotspot\\MSI", "Path", 12),
    (False, "SOFTWARE\\Azul Systems\\Zulu\\zulu-%s", "InstallationPath", 10),
    (True, "SOFTWARE\\JavaSoft\\JDK\\%s", "JavaHome", 10),
    (True, "SOFTWARE\\BellSoft\\Liberica\\%s", "InstallationPath", 8),
]


def window_runtimes():
    """40 runtimes of WINDOW_INSTALLERS: [(32-bit view, key, value name,
    home, release version)].  All are below WINDOW_MIN (features 8 to 20)
    except one of the Adoptium ones, in RUNTIME_HOME."""
    runtimes = []
    for view32, key, value, count in WINDOW_INSTALLERS:
        for _ in range(count):
            index = len(runtimes)
            if index == 5:
                version, home = WINDOW_RELEASE, RUNTIME_HOME
            else:
                version = "%d.0.%d" % (8 + index % 13, index + 1)
                home = "C:\\runtimes\\%02d-%s" % (index, version)
            runtimes.append((view32, key % version, value, home, version))
    assert len(runtimes) == 40
    return runtimes


def install_window_runtimes(session):
    """Registers window_runtimes() in their views and gives each home a
    release file and a bin\\javaw.exe (the one in RUNTIME_HOME is the
    stand-in, installed with it; the others are never started)."""
    runtimes = window_runtimes()
    for view32 in (False, True):
        session.reg_import({"HKEY_LOCAL_MACHINE\\" + key: {value: home}
                            for in32, key, value, home, _ in runtimes
                            if in32 == view32}, view32=view32)
    for _, _, _, home, version in runtimes:
        directory = session.unix_path(home)
        (directory / "bin").mkdir(parents=True, exist_ok=True)
        (directory / "release").write_bytes(b'JAVA_VERSION="%s"\r\n' % version.encode())
        if home != RUNTIME_HOME:
            (directory / "bin" / "javaw.exe").write_bytes(b"")


# The launcher set-ups: name and the lines added to the typical configuration.
SETUPS = [("kite", []), ("kite-version", ["javaVersion 1.6"]),
          ("kite-window", ["javaMinVersion " + WINDOW_MIN])]


def typical_config(extra_lines):
    lines = ["mainclass " + MAIN_CLASS] + ["vmparam " + p for p in VM_PARAMS]
    lines += ["addjars lib"] + ["argument " + a for a in ARGUMENTS]
    return lines + list(extra_lines)


# The starter's exit code when it could not start the program, and how often
# a checked run is tried.
STARTER_FAILED = 250
CHECK_ATTEMPTS = 3


class Variant:
    """One program to time: its Windows command words and the Unix directory
    it is started in."""

    def __init__(self, name, words, unix_dir):
        self.name, self.words, self.unix_dir = name, words, unix_dir


def prepare(session, width, kite_exe, reference_exe, checks):
    """The application directories of one launcher width, and the check of
    the command line each launcher gives the runtime."""
    variants = []
    for name, extra_lines in SETUPS:
        app = launch.App(session, kite_exe, "%s%d" % (name, width))
        app.config(*typical_config(extra_lines))
        for jar in JARS:
            app.write("lib\\" + jar, b"")
        variants.append((name, app))
    reference = launch.App(session, reference_exe, "reference%d" % width,
                           exe_name="Reference.exe")
    variants.append(("reference", reference))
    # The variant that also waits for input idle, built beside it.
    idle_exe = Path(reference_exe).with_name(Path(reference_exe).stem + "-idle.exe")
    if idle_exe.exists():
        variants.append(("reference-idle", launch.App(session, idle_exe, "reference-idle%d" % width,
                                                      exe_name="Reference.exe")))
    result = []
    for name, app in variants:
        begun = time.monotonic()
        # On a busy machine Wine now and then fails to start a process at
        # all (the starter then exits with 250 and nothing ran); that says
        # nothing about the launcher, so such a run is repeated.
        for attempt in range(1, CHECK_ATTEMPTS + 1):
            run = app.run(timeout=1200)
            if run.runs or run.exit_code != STARTER_FAILED:
                break
        command_lines = [record["cmdline"] for record in run.runs]
        checks["%s%d" % (name, width)] = {
            "exit_code": run.exit_code, "command_lines": command_lines,
            "same_as_expected": command_lines == [EXPECTED_COMMAND_LINE],
            "attempts": attempt, "seconds": round(time.monotonic() - begun, 1)}
        print("wine_bench: %s%d starts %s" % (name, width, "the expected command line"
              if command_lines == [EXPECTED_COMMAND_LINE] else repr(command_lines)), flush=True)
        result.append(Variant(name, [app.exe], app.unix_dir))
    return result


def timed_run(session, variant, timeout):
    """Wall time of one run, the CPU time (user + system) of the program's
    own process, and its exit code (None when it had to be ended).  The wall
    time depends on everything else the machine does; the CPU time much
    less."""
    started = time.perf_counter()
    process = session.popen(variant.words, cwd=variant.unix_dir)
    overdue = threading.Timer(timeout, process.kill)  # ends it by its process id
    overdue.start()
    _, status, usage = os.wait4(process.pid, 0)
    wall = time.perf_counter() - started
    overdue.cancel()
    process.returncode = os.waitstatus_to_exitcode(status)
    killed = process.returncode < 0
    return wall, usage.ru_utime + usage.ru_stime, None if killed else process.returncode


def measure_launch(session, variants, runs, warmup, timeout):
    times = {v.name: [] for v in variants}
    cpu = {v.name: [] for v in variants}
    failures = {v.name: 0 for v in variants}
    for round_index in range(warmup + runs):
        shift = round_index % len(variants)
        for variant in variants[shift:] + variants[:shift]:
            seconds, cpu_seconds, code = timed_run(session, variant, timeout)
            if round_index < warmup:
                continue
            if code == 0:
                times[variant.name].append(seconds)
                cpu[variant.name].append(cpu_seconds)
            else:
                failures[variant.name] += 1
    return {"seconds": times, "cpu": cpu, "failures": failures}


def read_status(pid):
    """VmHWM and VmRSS of a process in KiB, and the program it runs."""
    values = {}
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            key, _, rest = line.partition(":")
            if key in ("VmHWM", "VmRSS"):
                values[key] = int(rest.split()[0])
    values["exe"] = os.path.basename(os.readlink("/proc/%d/exe" % pid))
    return values


def memory_run(session, variant, work_dir, timeout):
    """Starts the variant with the stand-in sleeping 1.5 s and reads the
    program's own process status while the stand-in runs."""
    log, script = work_dir / ("%s.jsonl" % variant.name), work_dir / "sleep.script"
    log.unlink(missing_ok=True)
    script.write_text("0 1500\n")
    env = {"KITE_STANDIN_LOG": wine.dos_path(log), "KITE_STANDIN_SCRIPT": wine.dos_path(script)}
    process = session.popen(variant.words, cwd=variant.unix_dir, env=env)
    sample = None
    deadline = time.monotonic() + timeout
    while process.poll() is None and time.monotonic() < deadline:
        if log.exists():
            time.sleep(0.5)  # the stand-in is sleeping now
            sample = read_status(process.pid)
            break
        time.sleep(0.02)
    code = wine.wait(process, max(1, deadline - time.monotonic()))
    return sample if code == 0 else None


def measure_memory(session, variants, runs, work_dir, timeout):
    samples = {v.name: [] for v in variants}
    for round_index in range(runs):
        shift = round_index % len(variants)
        for variant in variants[shift:] + variants[:shift]:
            sample = memory_run(session, variant, work_dir, timeout)
            if sample:
                samples[variant.name].append(sample)
    return samples


def summary(values):
    if not values:
        return None
    ordered = sorted(values)
    return {"n": len(values), "median": statistics.median(values), "min": ordered[0],
            "max": ordered[-1], "q1": ordered[len(ordered) // 4],
            "q3": ordered[(3 * len(ordered)) // 4]}


def ratios(seconds):
    """The launchers' median times over the reference's, and the window
    launch's over the typical launch's, as one line."""
    medians = {name: statistics.median(values) for name, values in seconds.items() if values}
    pairs = [("%s / reference" % name, name, "reference") for name, _ in SETUPS]
    pairs.append(("kite-window / kite", "kite-window", "kite"))
    return ", ".join("%s %.3f" % (label, medians[a] / medians[b]) for label, a, b in pairs
                     if a in medians and b in medians) or "no successful runs"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--out", required=True)
    parser.add_argument("--helpers", required=True,
                        help="build directory holding standin.exe and starter.exe")
    parser.add_argument("--launcher", nargs=3, action="append", required=True,
                        metavar=("WIDTH", "KITE_EXE", "REFERENCE_EXE"))
    parser.add_argument("--runs", type=int, default=30)
    parser.add_argument("--warmup", type=int, default=2)
    parser.add_argument("--memory-runs", type=int, default=5)
    parser.add_argument("--runs32", type=int, help="--runs for the 32-bit launchers")
    parser.add_argument("--memory-runs32", type=int,
                        help="--memory-runs for the 32-bit launchers")
    parser.add_argument("--timeout", type=int, default=120, help="seconds per run")
    parser.add_argument("--root", default="build/bench-wine")
    parser.add_argument("--keep", action="store_true", help="keep the Wine prefix")
    options = parser.parse_args()

    root = Path(options.root).resolve()
    root.mkdir(parents=True, exist_ok=True)
    for stale in (root / "runs", root / "memory"):
        shutil.rmtree(stale, ignore_errors=True)
    (root / "memory").mkdir()
    helpers = Path(options.helpers)
    standin = next(helpers.rglob("standin.exe"))
    starter = next(helpers.rglob("starter.exe"))

    results = {"runs": options.runs, "memory_runs": options.memory_runs, "warmup": options.warmup,
               "expected_command_line": EXPECTED_COMMAND_LINE, "checks": {}, "widths": {}}
    session = wine.WineSession(root)
    begun = time.monotonic()
    try:
        session.start()
        results["boot_seconds"] = round(time.monotonic() - begun, 1)
        results["wine_version"] = subprocess.run([session.wine, "--version"], capture_output=True,
                                                 text=True).stdout.strip()
        print("wine_bench: prefix ready in %.0f s" % results["boot_seconds"], flush=True)
        for helper in (standin, starter):
            shutil.copy(helper, session.unix_path("C:\\kite") / helper.name)
        session.reg_import(registered_runtimes(), view32=True)
        runtime_bin = session.unix_path(RUNTIME_HOME + "\\bin")
        runtime_bin.mkdir(parents=True, exist_ok=True)
        for name in ("javaw.exe", "java.exe"):
            shutil.copy(standin, runtime_bin / name)
        install_window_runtimes(session)
        direct = Variant("standin", [RUNTIME_EXE] + VM_PARAMS +
                         ["-classpath", CLASS_PATH, MAIN_CLASS] + ARGUMENTS,
                         session.unix_path("C:\\kite"))

        for width, kite_exe, reference_exe in options.launcher:
            print("wine_bench: %s-bit launchers" % width, flush=True)
            variants = prepare(session, int(width), kite_exe, reference_exe, results["checks"])
            variants.append(direct)
            runs, memory_runs = options.runs, options.memory_runs
            if width == "32":
                runs = options.runs32 or runs
                memory_runs = options.memory_runs32 or memory_runs
            timing = measure_launch(session, variants, runs, options.warmup, options.timeout)
            memory = measure_memory(session, variants, memory_runs, root / "memory",
                                    options.timeout)
            results["widths"][width] = {
                "runs": runs, "memory_runs": memory_runs,
                "launch": {name: dict(summary(values) or {}, failures=timing["failures"][name],
                                      seconds=values, cpu=summary(timing["cpu"][name]),
                                      cpu_seconds=timing["cpu"][name])
                           for name, values in timing["seconds"].items()},
                "memory": {name: {"samples": samples,
                                  "hwm": summary([s["VmHWM"] for s in samples]),
                                  "rss": summary([s["VmRSS"] for s in samples])}
                           for name, samples in memory.items()}}
            print("wine_bench: %s-bit done; %s" % (width, ratios(timing["seconds"])), flush=True)
    finally:
        session.close()
        if not options.keep:
            shutil.rmtree(session.prefix, ignore_errors=True)
    results["total_seconds"] = round(time.monotonic() - begun, 1)
    Path(options.out).write_text(json.dumps(results, indent=1))
    return 0


if __name__ == "__main__":
    sys.exit(main())
