#!/usr/bin/env python3
"""A copy of the launcher named Setup.exe starts its application.

  python3 tests/release/check_setup_name.py --build32 build/win32 --build64 build/win64 \
      --example docs/example.config

Windows asks to elevate a program named like an installer (Setup.exe,
Install.exe) unless its manifest says asInvoker, and a manifest Windows
cannot read stops a program from starting at all.  Under Wine, kite32.exe
and kite64.exe, each copied as Setup.exe, read the shipped example
configuration (plus a javapath line naming the stand-in runtime) and must
start the application once, as the example describes it, show no box and
exit with 0.  Prints one PASS/FAIL line per launcher and a closing
"N passed, M failed" line; exits with 77 when neither width of Windows
program runs under Wine on this machine.
"""
import argparse
import shutil
import sys
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "e2e"))

import launch  # noqa: E402
import wine  # noqa: E402

UNSUPPORTED = 77
# Generous: 32-bit programs may run under an emulator, on a busy machine.
RUN_TIMEOUT = 1200


def example_lines(path):
    """The example's lines, and the main class it names."""
    lines = Path(path).read_text().splitlines()
    main = next(line.split(" ", 1)[1] for line in lines if line.startswith("mainclass "))
    return lines, main


def check_run(app, lines, main):
    """Problems with one run of the copy `app` (none when it behaved)."""
    app.config(*lines, "javapath " + launch.STANDIN)
    result = app.run(timeout=RUN_TIMEOUT)
    problems = []
    if result.exit_code != 0:
        problems.append("exit code %r, expected 0" % result.exit_code)
    if len(result.runs) != 1:
        problems.append("%d application starts, expected 1" % len(result.runs))
    else:
        argv = result.runs[0]["argv"]
        if main not in argv or "-Xmx512m" not in argv:
            problems.append("the application got %r" % argv)
        # The example expands $APPDATA in a JVM parameter.
        home = [a for a in argv if a.startswith("-Dmyapp.home=")]
        if len(home) != 1 or "$" in home[0] or not home[0].endswith("/MyApp"):
            problems.append("-Dmyapp.home parameter %r" % home)
    if result.boxes:
        problems.append("message boxes %r" % result.boxes)
    if problems:
        problems.append("launcher output:\n" + result.describe())
    return problems


def can_run(session, build, width):
    """True when this build's stand-in runs under Wine and writes its log."""
    probe = "C:\\kite\\probe%s.exe" % width
    shutil.copy(build / "tests" / "e2e" / "programs" / "standin.exe", session.unix_path(probe))
    log = session.root / ("probe%s.jsonl" % width)
    env = {"KITE_STANDIN_LOG": "Z:" + str(log).replace("/", "\\")}
    code = session.run([probe], env=env, stdout=session.log, stderr=session.log,
                       timeout=RUN_TIMEOUT)
    return code == 0 and log.exists()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build32")
    parser.add_argument("--build64")
    parser.add_argument("--example", required=True)
    options = parser.parse_args()
    builds = [(width, Path(build).resolve()) for width, build in
              (("32", options.build32), ("64", options.build64)) if build]
    if not builds:
        parser.error("give --build32, --build64 or both")
    lines, main_class = example_lines(options.example)
    root = builds[0][1] / "release-e2e"
    shutil.rmtree(root, ignore_errors=True)
    root.mkdir()
    session = wine.WineSession(root)
    passed = failed = skipped = 0
    try:
        session.start()
        kite_dir = session.unix_path("C:\\kite")
        runnable = [(width, build) for width, build in builds if can_run(session, build, width)]
        for width, build in builds:
            if (width, build) not in runnable:
                skipped += 1
                print("SKIP kite%s.exe: %s-bit programs do not run under Wine here (see %s)"
                      % (width, width, session.log.name))
        if not runnable:
            return UNSUPPORTED
        # The helpers of one width serve both launchers; 64-bit ones where
        # they run, as they need no emulation.
        helpers = runnable[-1][1] / "tests" / "e2e" / "programs"
        for helper in ("standin.exe", "starter.exe"):
            shutil.copy(helpers / helper, kite_dir / helper)
        for width, build in runnable:
            app = launch.App(session, build / ("kite%s.exe" % width), "kite%s-setup" % width,
                             exe_name="Setup.exe")
            problems = check_run(app, lines, main_class)
            print("%s kite%s.exe as Setup.exe" % ("FAIL" if problems else "PASS", width))
            for problem in problems:
                print("  - " + problem)
            passed, failed = passed + (not problems), failed + bool(problems)
            sys.stdout.flush()
    finally:
        session.close()
        shutil.rmtree(session.prefix, ignore_errors=True)
    print("%d passed, %d failed, %d skipped" % (passed, failed, skipped))
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    sys.exit(main())
