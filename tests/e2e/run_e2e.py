#!/usr/bin/env python3
"""End-to-end tests of the real Kite launcher under Wine.

  python3 tests/e2e/run_e2e.py --build build/win64 --width 64 [-k NAME] [--keep]
      [--kitebrand build/host/kitebrand] [--argv-check build/host/kite_argv_check]

Finds kite32.exe or kite64.exe and the helper programs (standin.exe,
standin_windowed.exe, starter.exe, versioninfo.exe) in the build directory, and there too the
helpers that must have the launcher's width (planted_dll.dll, and
kite32-unrestricted.exe or kite64-unrestricted.exe: the launcher without the
DLL search restriction) and kitebrand.exe.  The branding scenarios also need
the host build of kitebrand (--kitebrand); without it they are skipped.
With --argv-check (host build), the launcher's argument splitter is held to
the argv Windows made of every stand-in's command line: one more line.
Boots one Wine prefix, runs every scenario, prints one PASS, FAIL or SKIP
line per scenario and a closing "N passed, M failed, K skipped" line, and
exits non-zero if any scenario failed or none passed; exits with 77 (and
runs nothing) when this machine cannot run programs of that width under
Wine at all.
"""
import argparse
import shutil
import subprocess
import sys
import time
import traceback
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))

import launch  # noqa: E402
import scenarios_apps  # noqa: E402
import machine  # noqa: E402
import scenarios_appenv  # noqa: E402
import scenarios_brand  # noqa: E402
import scenarios_check  # noqa: E402
import scenarios_config  # noqa: E402
import scenarios_console  # noqa: E402
import scenarios_faults  # noqa: E402
import scenarios_instance  # noqa: E402
import scenarios_launch  # noqa: E402
import scenarios_modern  # noqa: E402
import scenarios_process  # noqa: E402
import scenarios_runtime  # noqa: E402
import scenarios_security  # noqa: E402
import scenarios_unicode  # noqa: E402
import wine  # noqa: E402
from suite import Skip  # noqa: E402

# The scenario modules, in the order their scenarios run.
SCENARIO_MODULES = (scenarios_launch, scenarios_config, scenarios_runtime, scenarios_check,
                    scenarios_faults, scenarios_security, scenarios_unicode, scenarios_modern,
                    scenarios_apps, scenarios_instance, scenarios_appenv, scenarios_brand,
                    scenarios_console, scenarios_process)

# Exit code when this machine cannot run the programs under test at all.
UNSUPPORTED = 77
# How long one launcher run may take where it runs through a CPU emulator:
# a start takes about a minute there, more on a busy machine.
EMULATED_RUN_TIMEOUT = 1200


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
    (App.run(answers=[(caption, key)])) and every box must be answered.  Both
    run under wine.DEFAULT_LOCALE; a scenario that needs another locale (so
    another ANSI code page) gets a session of its own for it, again only when
    it asks, without a display.

    Wine boots once per run, a template prefix under root/template; each
    session's prefix is a clone of it (see wine.clone_prefix), so the run
    needs the room of one booted prefix rather than one per session."""

    def __init__(self, root, helpers):
        self.root = root
        self.helpers = helpers
        for attempt in (1, 2):
            self.template = wine.WineSession(root / "template")
            try:
                self.template.start()
            finally:
                self.template.close()  # its registry is written out as its server ends
            # Clones of a prefix without its registry run every scenario
            # against an empty one, and fail far from the cause.
            problem = self.template.registry_problem()
            if problem is None:
                break
            message = "the booted template prefix %s %s (see %s)" % (
                self.template.prefix, problem, self.template.log.name)
            if attempt == 2:
                raise RuntimeError(message)
            print("e2e: %s; booting it again" % message, flush=True)
        self.plain = self._start(self._session(root))
        self.display = None
        self.locales = {}  # locale name -> its session

    def _session(self, root, **kwargs):
        return wine.WineSession(root, template=self.template.prefix, **kwargs)

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
            self.display = self._start(self._session(self.root / "display", display=True))
        return self.display

    def with_locale(self, locale):
        if locale == self.plain.locale:
            return self.plain
        if locale not in self.locales:
            self.locales[locale] = self._start(
                self._session(self.root / ("locale-" + locale), locale=locale))
        return self.locales[locale]

    def close(self, keep):
        for session in (self.plain, self.display, *self.locales.values(), self.template):
            if session is not None:
                session.close()
                if not keep:
                    shutil.rmtree(session.prefix, ignore_errors=True)


class Context:
    """What a scenario needs: the sessions, the launcher under test, the
    checks and how long one launcher run may take (run_timeout, seconds);
    every run it makes is kept for the failure report.  `kitebrand` is the
    host build of kitebrand (a Path), or None when none was given."""

    def __init__(self, sessions, launcher_exe, width, check, run_timeout, kitebrand=None,
                 console_exe=None):
        self.sessions = sessions
        self.console_exe = console_exe  # kitec32.exe or kitec64.exe; None: not built
        self.session = sessions.plain
        self.launcher_exe = launcher_exe
        self.width = width
        self.check = check
        self.run_timeout = run_timeout
        self.kitebrand = kitebrand

    def app(self, name, display=False, locale=None, console=False, **kwargs):
        """An application directory; with display=True in the session whose
        boxes can be answered, with a `locale` in the session of that locale;
        with console=True holding the console variant instead of the GUI
        launcher.  Its runs take the context's run_timeout unless given a
        timeout of their own."""
        if display:
            session = self.sessions.with_display()
        else:
            session = self.sessions.with_locale(locale) if locale else self.session
        kwargs.setdefault("run_timeout", self.run_timeout)
        if console and self.console_exe is None:
            raise Skip("the console variant kitec%d.exe was not built" % self.width)
        exe = self.console_exe if console else self.launcher_exe
        return TrackedApp(self, session, exe, name, **kwargs)


class TrackedApp(launch.App):
    def __init__(self, context, *args, **kwargs):
        super().__init__(*args, **kwargs)
        self.context = context

    def run(self, *args, **kwargs):
        result = super().run(*args, **kwargs)
        self.context.check.results.append(result)
        return result


def find_file(build, name, required=True):
    """The build's own `name`, not a copy inside an earlier test prefix; None
    when it is not there and not `required`."""
    own = Path(build) / "e2e"
    matches = sorted(path for path in Path(build).rglob(name) if own not in path.parents)
    if not matches:
        if not required:
            return None
        raise SystemExit("error: %s not found under %s (build it first)" % (name, build))
    return matches[0]


def can_run(session):
    """True when the stand-in (built with this build's width) runs in the
    prefix at all."""
    probe_log = session.root / "probe.jsonl"
    probe_log.unlink(missing_ok=True)
    env = {"KITE_STANDIN_LOG": wine.dos_path(probe_log)}
    code = session.run([launch.STANDIN], env=env, timeout=600,
                       stdout=session.log, stderr=session.log)
    return code == 0 and probe_log.exists()


def argv_check(tool, starts):
    """Runs `tool` (kite_argv_check) on `starts`, (command line, argv) pairs
    as stand-ins recorded them; returns (agrees, its output lines)."""
    def field(text):
        return text.encode("utf-8", "surrogatepass") + b"\0"
    data = b"".join(field(str(len(argv))) + field(line) + b"".join(field(a) for a in argv)
                    for line, argv in starts)
    done = subprocess.run([str(tool)], input=data, capture_output=True, timeout=600)
    output = (done.stdout + done.stderr).decode("utf-8", "backslashreplace").splitlines()
    return done.returncode == 0, output


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True, help="win32 or win64 build directory")
    parser.add_argument("--width", required=True, choices=["32", "64"])
    parser.add_argument("--helpers", help="build directory holding standin.exe and starter.exe "
                        "(default: --build)")
    parser.add_argument("--smoke", action="store_true",
                        help="run only the smoke scenarios (automatic for an emulated 32-bit run)")
    parser.add_argument("--kitebrand", help="the host build of kitebrand, for the branding "
                        "scenarios (skipped without it)")
    parser.add_argument("--argv-check", help="the host build of kite_argv_check: compare the "
                        "launcher's argument splitter with Windows' on every child start")
    parser.add_argument("-k", dest="only", default="", help="run scenarios whose name has this")
    parser.add_argument("--keep", action="store_true", help="keep the prefix and run outputs")
    options = parser.parse_args()

    build = Path(options.build).resolve()
    launcher_exe = find_file(build, "kite%s.exe" % options.width)
    console_exe = find_file(build, "kitec%s.exe" % options.width, required=False)
    helpers = Path(options.helpers).resolve() if options.helpers else build
    standin = find_file(helpers, "standin.exe")
    starter = find_file(helpers, "starter.exe")
    # Optional here: a scenario that needs one that was not built fails,
    # naming it; the others still run.
    same_width = [find_file(build, name, required=False)
                  for name in ("planted_dll.dll", "kite%s-unrestricted.exe" % options.width)]
    # kitebrand.exe of the launcher's width, else the helpers'.
    optional = same_width + [find_file(helpers, "versioninfo.exe", required=False),
                             find_file(helpers, "standin_windowed.exe", required=False),
                             find_file(build, "kitebrand.exe", required=False)
                             or find_file(helpers, "kitebrand.exe", required=False)]
    kitebrand = Path(options.kitebrand).resolve() if options.kitebrand else None
    emulated = options.width == "32" and machine.emulated_i386()
    smoke = options.smoke or emulated
    run_timeout = EMULATED_RUN_TIMEOUT if emulated else launch.DEFAULT_RUN_TIMEOUT
    scenarios = [scenario for module in SCENARIO_MODULES for scenario in module.SCENARIOS]
    root = build / "e2e"
    root.mkdir(exist_ok=True)
    for stale in (root / "runs", root / "display", root / "template", *root.glob("locale-*")):
        shutil.rmtree(stale, ignore_errors=True)

    started = time.monotonic()
    sessions = None
    passed = failed = skipped = 0
    starts = []  # (command line, argv) of every stand-in start
    try:
        sessions = Sessions(root, [standin, starter] + [p for p in optional if p])
        session = sessions.plain
        print("e2e: kite%s.exe, Wine prefix %s ready in %.0f s"
              % (options.width, session.prefix, time.monotonic() - started), flush=True)
        if not can_run(session):
            print("e2e: SKIPPED: this machine cannot run %s-bit Windows programs under Wine "
                  "(the helper %s does not start%s; see %s)"
                  % (options.width, standin, machine.loader_problem(), session.log.name),
                  flush=True)
            return UNSUPPORTED

        if emulated:
            print("e2e: smoke scenarios only (32-bit programs run through an emulator here)",
                  flush=True)
        elif smoke:
            print("e2e: smoke scenarios only", flush=True)
        for scenario in scenarios:
            if options.only not in scenario.name or (smoke and not scenario.smoke):
                continue
            check = Check()
            context = Context(sessions, launcher_exe, int(options.width), check, run_timeout,
                              kitebrand, console_exe)
            begun = time.monotonic()
            skip = None
            try:
                scenario.function(context)
            except Skip as reason:
                skip = str(reason)
            except Exception:  # a broken scenario counts as a failure
                check.failures.append("exception:\n" + traceback.format_exc())
            seconds = time.monotonic() - begun
            label = "kite%s %s" % (options.width, scenario.name)
            if check.failures:  # what failed before a skip still fails
                failed += 1
                print("FAIL %s (%.1f s)" % (label, seconds))
                for failure in check.failures:
                    print("  - " + failure)
                for index, result in enumerate(check.results):
                    print("  run %d:\n%s" % (index + 1, result.describe()))
            elif skip is not None:
                skipped += 1
                print("SKIP %s: %s" % (label, skip))
            else:
                passed += 1
                print("PASS %s (%.1f s)" % (label, seconds))
            sys.stdout.flush()
            starts += [(run["cmdline"], run["argv"]) for result in check.results
                       for run in result.runs]
        if options.argv_check and starts:
            agrees, output = argv_check(Path(options.argv_check).resolve(), starts)
            label = "kite%s the launcher's argument splitter against Windows' argv" % options.width
            if agrees:
                passed += 1
                print("PASS %s: %s" % (label, output[-1] if output else ""))
            else:
                failed += 1
                print("FAIL %s" % label)
                for line in output:
                    print("  " + line)
            sys.stdout.flush()
    finally:
        if sessions is not None:
            sessions.close(options.keep)
    print("e2e: kite%s.exe finished in %.0f s" % (options.width, time.monotonic() - started))
    print("%d passed, %d failed, %d skipped" % (passed, failed, skipped))
    return 1 if failed or not passed else 0


if __name__ == "__main__":
    sys.exit(main())
