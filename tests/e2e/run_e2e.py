#!/usr/bin/env python3
"""End-to-end tests of the real Kite launcher under Wine.

  python3 tests/e2e/run_e2e.py --build build/win64 --width 64 [-k NAME] [--keep]

Finds kite32.exe or kite64.exe and the helper programs (standin.exe,
starter.exe) in the build directory, boots one Wine prefix, runs every
scenario, prints one PASS/FAIL line per scenario and a closing
"N passed, M failed" line, and exits non-zero if any scenario failed;
exits with 77 (and runs nothing) when this machine cannot run programs of
that width under Wine at all.
"""
import argparse
import os
import shutil
import subprocess
import sys
import time
import traceback
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import cases  # noqa: E402
import launch  # noqa: E402
import scenarios_launch  # noqa: E402,F401  (registers its scenarios)
import scenarios_config  # noqa: E402,F401  (registers its scenarios)
import scenarios_runtime  # noqa: E402,F401  (registers its scenarios)
import scenarios_check  # noqa: E402,F401  (registers its scenarios)
import scenarios_faults  # noqa: E402,F401  (registers its scenarios)
import wine  # noqa: E402

# Exit code when this machine cannot run the programs under test at all.
UNSUPPORTED = 77


class Check:
    """Collects the failed expectations of one scenario."""

    def __init__(self):
        self.failures = []
        self.results = []

    def eq(self, what, actual, expected):
        if actual != expected:
            self.failures.append("%s:\n      expected %r\n      actual   %r" % (what, expected, actual))

    def true(self, what, condition, detail=""):
        if not condition:
            self.failures.append("%s%s" % (what, (": " + detail) if detail else ""))


class Sessions:
    """The run's Wine session without a display (message boxes return at
    once, answered "not Yes"), and, only when a scenario asks for it, a second
    one with its own prefix and Xvfb display, where boxes wait for an answer
    (App.run(answers=[(caption, key)])) and every box must be answered."""

    def __init__(self, root, helpers):
        self.root = root
        self.helpers = helpers
        self.plain = self._start(wine.WineSession(root))
        self.display = None

    def _start(self, session):
        try:
            session.start()
            for helper in self.helpers:
                shutil.copy(helper, session.unix_path("C:\\kite") / helper.name)
        except BaseException:
            session.close()
            raise
        return session

    def with_display(self):
        if self.display is None:
            self.display = self._start(wine.WineSession(self.root / "display", display=True))
        return self.display

    def close(self, keep):
        for session in (self.plain, self.display):
            if session is not None:
                session.close()
                if not keep:
                    shutil.rmtree(session.prefix, ignore_errors=True)


class Context:
    """What a scenario needs: the sessions, the launcher under test and the
    checks; every run it makes is kept for the failure report."""

    def __init__(self, sessions, launcher_exe, width, check):
        self.sessions = sessions
        self.session = sessions.plain
        self.launcher_exe = launcher_exe
        self.width = width
        self.check = check

    def app(self, name, display=False, **kwargs):
        """An application directory; with display=True in the session whose
        boxes can be answered."""
        session = self.sessions.with_display() if display else self.session
        return TrackedApp(self, session, self.launcher_exe, name, **kwargs)


class TrackedApp(launch.App):
    def __init__(self, context, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.context = context

    def run(self, *args, **kwargs):
        result = super().run(*args, **kwargs)
        self.context.check.results.append(result)
        return result


def find_file(build, name):
    """The build's own `name`, not a copy inside an earlier test prefix."""
    own = Path(build) / "e2e"
    matches = sorted(path for path in Path(build).rglob(name) if own not in path.parents)
    if not matches:
        raise SystemExit("error: %s not found under %s (build it first)" % (name, build))
    return matches[0]


def emulated_i386():
    """True when 32-bit Linux programs run here only through a CPU emulator
    registered with binfmt_misc (the kernel cannot run them itself).  Every
    32-bit Windows process then takes minutes, so only the smoke scenarios
    are run for the 32-bit launcher."""
    entries = Path("/proc/sys/fs/binfmt_misc")
    try:
        for entry in entries.iterdir():
            if entry.name in ("register", "status"):
                continue
            text = entry.read_text(errors="replace")
            if text.startswith("enabled") and "qemu-i386" in text:
                return True
    except OSError:
        pass
    return False


def can_run(session):
    """True when the stand-in (built with this build's width) runs in the
    prefix at all."""
    probe_log = session.root / "probe.jsonl"
    probe_log.unlink(missing_ok=True)
    env = {"KITE_STANDIN_LOG": wine.dos_path(probe_log)}
    code = session.run([launch.STANDIN], env=env, timeout=600,
                       stdout=session.log, stderr=session.log)
    return code == 0 and probe_log.exists()


def loader_problem():
    """Why Wine's 32-bit loader cannot run here, if that is the reason."""
    for loader in ("/usr/lib/wine/wine", "/usr/lib/i386-linux-gnu/wine/wine"):
        if os.access(loader, os.X_OK):
            try:
                subprocess.run([loader, "--version"], capture_output=True, timeout=60)
            except OSError as error:
                return ": Wine's 32-bit loader %s cannot be executed (%s): the kernel does " \
                       "not run 32-bit Linux programs" % (loader, error.strerror)
            return ""
    return ": Wine's 32-bit loader is not installed"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True, help="win32 or win64 build directory")
    parser.add_argument("--width", required=True, choices=["32", "64"])
    parser.add_argument("--helpers", help="build directory holding standin.exe and starter.exe "
                        "(default: --build)")
    parser.add_argument("--smoke", action="store_true",
                        help="run only the smoke scenarios (automatic for an emulated 32-bit run)")
    parser.add_argument("-k", dest="only", default="", help="run scenarios whose name has this")
    parser.add_argument("--keep", action="store_true", help="keep the prefix and run outputs")
    options = parser.parse_args()

    build = Path(options.build).resolve()
    launcher_exe = find_file(build, "kite%s.exe" % options.width)
    helpers = Path(options.helpers).resolve() if options.helpers else build
    standin = find_file(helpers, "standin.exe")
    starter = find_file(helpers, "starter.exe")
    smoke = options.smoke or (options.width == "32" and emulated_i386())
    root = build / "e2e"
    root.mkdir(exist_ok=True)
    for stale in (root / "runs", root / "display"):
        shutil.rmtree(stale, ignore_errors=True)

    started = time.monotonic()
    sessions = None
    passed = failed = 0
    try:
        sessions = Sessions(root, [standin, starter])
        session = sessions.plain
        print("e2e: kite%s.exe, Wine prefix %s ready in %.0f s"
              % (options.width, session.prefix, time.monotonic() - started), flush=True)
        if not can_run(session):
            print("e2e: SKIPPED: this machine cannot run %s-bit Windows programs under Wine "
                  "(the helper %s does not start%s; see %s)"
                  % (options.width, standin, loader_problem(), session.log.name), flush=True)
            return UNSUPPORTED

        if smoke:
            launch.RUN_TIMEOUT = 1200
            print("e2e: smoke scenarios only (32-bit programs run through an emulator here)",
                  flush=True)
        for name, function, is_smoke in cases.SCENARIOS:
            if options.only not in name or (smoke and not is_smoke):
                continue
            check = Check()
            context = Context(sessions, launcher_exe, int(options.width), check)
            begun = time.monotonic()
            try:
                function(context)
            except Exception:  # a broken scenario counts as a failure
                check.failures.append("exception:\n" + traceback.format_exc())
            seconds = time.monotonic() - begun
            if check.failures:
                failed += 1
                print("FAIL kite%s %s (%.1f s)" % (options.width, name, seconds))
                for failure in check.failures:
                    print("  - " + failure)
                for index, result in enumerate(check.results):
                    print("  run %d:\n%s" % (index + 1, result.describe()))
            else:
                passed += 1
                print("PASS kite%s %s (%.1f s)" % (options.width, name, seconds))
            sys.stdout.flush()
    finally:
        if sessions is not None:
            sessions.close(options.keep)
    print("e2e: kite%s.exe finished in %.0f s" % (options.width, time.monotonic() - started))
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    sys.exit(main())
