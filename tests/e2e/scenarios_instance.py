"""One instance of the application (singleInstance): while one launch runs
the application, a second start of the same one starts no runtime, brings
its window to the front and exits 0; the lock lasts through a relaunch, goes
with a killed launcher, and is shared by configurations that give the same
name."""
import copy
import os
import shutil
import subprocess
import threading
import time
from pathlib import Path

import wine
from expectations import EXIT_OK, base_config, generous_timeout
from scenarios_check import run_check
from suite import collector

SCENARIOS = []
scenario = collector(SCENARIOS)

WINDOWED = "C:\\kite\\standin_windowed.exe"
FIRST_TITLE = "Kite Instance Window"
OTHER_TITLE = "Kite Other Window"
# The stand-in's window as it shows it, and Wine's minimised window.
NORMAL_SIZE = "400x300"
MINIMISED_SIZE = "160x24"
# Long enough for any scenario: the stop file ends every such run.
FOREVER = 600000


def twin(app, name):
    """The same launcher and configuration, run with output of its own: a
    second start of the same application."""
    other = copy.copy(app)
    other.output = app.session.root / "runs" / name
    other.output.mkdir(parents=True, exist_ok=True)
    return other


class Background:
    """app.run(**kwargs) in a thread, for a launch that goes on while the
    scenario starts others."""

    def __init__(self, app, **kwargs):
        self.app = app
        self.result = None
        (app.output / "standin.jsonl").unlink(missing_ok=True)
        self.thread = threading.Thread(target=self._run, kwargs=kwargs)
        self.thread.start()

    def _run(self, **kwargs):
        self.result = self.app.run(**kwargs)

    def record(self, index, seconds):
        """The stand-in's record of run `index`, once it is there."""
        path = self.app.output / "standin.jsonl"
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline and self.thread.is_alive():
            lines = path.read_text(encoding="utf-8").splitlines() if path.exists() else []
            if len(lines) > index and lines[index].endswith("}"):
                return lines[index]
            time.sleep(0.2)
        return None

    def launcher_pid(self):
        """The launcher's Windows process id, as the starter reports it."""
        text = (self.app.output / "stderr.txt").read_bytes().decode("utf-8", "replace")
        for line in text.splitlines():
            if line.startswith("kite-starter: child pid "):
                return int(line.split()[-1], 16)
        return None

    def join(self, seconds):
        self.thread.join(seconds)
        return self.result


def stop_file(app):
    """A file that ends the sleep of every stand-in given it, once written."""
    path = app.output / "stop"
    path.unlink(missing_ok=True)
    return path


def xdotool(session, *args):
    env = {"DISPLAY": session.env["DISPLAY"], "PATH": os.environ.get("PATH", "")}
    done = subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True)
    return done.stdout.strip() if done.returncode == 0 else None


def window_of(session, title, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        found = xdotool(session, "search", "--name", "^%s$" % title)
        if found:
            return found.split()[0]
        time.sleep(0.2)
    return None


def settled(read, expected, seconds):
    """read(), once it gives `expected` or `seconds` have passed: what the
    display shows follows Wine's calls a moment later."""
    deadline = time.monotonic() + seconds
    while True:
        value = read()
        if value == expected or time.monotonic() > deadline:
            return value
        time.sleep(0.2)


def focused_title(session, expected, seconds):
    return settled(lambda: xdotool(session, "getwindowfocus", "getwindowname"), expected,
                   seconds)


def size_of(session, window, expected, seconds=10):
    def read():
        geometry = xdotool(session, "getwindowgeometry", window) or ""
        return geometry.split("Geometry: ")[-1] if "Geometry: " in geometry else None
    return settled(read, expected, seconds)


def expect_refused(check, result, what):
    """A second start: exit 0, no child started, no box."""
    check.eq("%s: exit code" % what, result.exit_code, EXIT_OK)
    check.eq("%s: child starts" % what, result.runs, [])
    check.eq("%s: message boxes" % what, result.boxes, [])


def expect_ran(check, result, what, runs=1):
    check.eq("%s: exit code" % what, result and result.exit_code, EXIT_OK)
    check.eq("%s: child starts" % what, result and len(result.runs), runs)


@scenario("single instance: a second start raises the first's window, starts nothing, exits 0")
def second_start_raises(t):
    app = t.app("instance", display=True)
    session = app.session
    # Without a window manager on the display, Wine leaves the stacking and
    # focus of the windows it lets one manage to that manager; windows it
    # manages itself it stacks and focuses as Windows does.
    session.reg_import({"HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\"
                        "standin_windowed.exe\\X11 Driver": {"Managed": "N"}})
    app.config("mainclass app.Main", "javapath " + WINDOWED, "singleInstance on")
    stop = stop_file(app)
    env = {"KITE_STANDIN_WINDOW": FIRST_TITLE, "KITE_STANDIN_MINIMIZED": "1",
           "KITE_STANDIN_STOP": wine.dos_path(stop)}
    first = Background(app, script=[(0, FOREVER)], env=env, timeout=generous_timeout(t))
    other = None
    try:
        t.check.true("the first start runs its child",
                     first.record(0, generous_timeout(t)) is not None)
        window = window_of(session, FIRST_TITLE, generous_timeout(t))
        t.check.true("the first child's window shows", window is not None)
        if window is None:
            return
        t.check.eq("the first window starts minimised",
                   size_of(session, window, MINIMISED_SIZE), MINIMISED_SIZE)
        # Another application's window takes the front.
        script = app.output / "other.script"
        script.write_text("0 %d\n" % FOREVER)
        other = session.popen([WINDOWED], env={
            "KITE_STANDIN_WINDOW": OTHER_TITLE, "KITE_STANDIN_STOP": wine.dos_path(stop),
            "KITE_STANDIN_SCRIPT": wine.dos_path(script)})
        t.check.eq("the other window has the focus",
                   focused_title(session, OTHER_TITLE, generous_timeout(t)), OTHER_TITLE)

        second = twin(app, "instance-second")
        result = second.run(["dropped argument"], env=env)
        expect_refused(t.check, result, "second start")
        t.check.true("the first launch still runs", first.thread.is_alive())
        t.check.eq("window with the focus after the second start",
                   focused_title(session, FIRST_TITLE, 10), FIRST_TITLE)
        def topmost():
            return (xdotool(session, "search", "--name", "^Kite (Instance|Other) Window$")
                    or "").split()[-1:]
        t.check.eq("the topmost of the two windows (xdotool lists bottom to top)",
                   settled(topmost, [window], 10), [window])
        t.check.eq("the first window is restored", size_of(session, window, NORMAL_SIZE),
                   NORMAL_SIZE)
    finally:
        stop.write_text("stop")
        if other is not None:
            wine.wait(other, generous_timeout(t))
        expect_ran(t.check, first.join(generous_timeout(t)), "first start")

    result = twin(app, "instance-after").run()
    expect_ran(t.check, result, "a start after the first ended")


@scenario("single instance: kept through a relaunch; a killed launcher leaves no lock behind")
def relaunch_and_kill(t):
    app = t.app("instancekill")
    app.config(*base_config("singleInstance on"))
    stop = stop_file(app)
    env = {"KITE_STANDIN_STOP": wine.dos_path(stop)}
    # Four seconds before the relaunch: not a quick failure.
    first = Background(app, script=[(999, 4000), (0, FOREVER)], env=env,
                       timeout=generous_timeout(t))
    try:
        t.check.true("the first start relaunches", first.record(1, generous_timeout(t)))
        # The same configuration file, named with other letter case.
        result = twin(app, "instancekill-second").run(
            ["-c" + app.path("app.CONFIG").upper()], env=env)
        expect_refused(t.check, result, "a start during the relaunched run")
        pid = first.launcher_pid()
        t.check.true("the launcher's process id is known", pid is not None)
        if pid is None:
            return
        code = t.session.run(["taskkill", "/F", "/PID", str(pid)],
                             stdout=t.session.log, stderr=t.session.log)
        t.check.eq("taskkill exit code", code, 0)
        # Its child sleeps until the stop file shows, so only the kill can
        # have ended it (with whatever code Wine's taskkill gives).
        t.check.true("the killed launcher ended", first.join(generous_timeout(t)) is not None)
        # Its child runs on, but nothing holds the lock now.
        result = twin(app, "instancekill-after").run(env=env, script=[(0, 0)])
        expect_ran(t.check, result, "a start after the kill")
    finally:
        # Ends the killed launcher's child too.
        stop.write_text("stop")
        first.join(generous_timeout(t))


@scenario("single instance: configurations that give one name share it; 'on' is per file")
def shared_name(t):
    holder = t.app("instancename1")
    holder.config(*base_config("singleInstance Kite Shared"))
    stop = stop_file(holder)
    env = {"KITE_STANDIN_STOP": wine.dos_path(stop)}
    first = Background(holder, script=[(0, FOREVER)], env=env, timeout=generous_timeout(t))
    try:
        t.check.true("the first start runs", first.record(0, generous_timeout(t)))
        rows = [  # directory, singleInstance value, starts a child
            ("instancename2", "kite shared", False),
            ("instancename3", "Kite Other", True),
            ("instancename4", "on", True),
        ]
        for name, value, runs in rows:
            app = t.app(name)
            app.config(*base_config("singleInstance " + value))
            result = app.run(env=env)
            if runs:
                expect_ran(t.check, result, "singleInstance %r" % value)
            else:
                expect_refused(t.check, result, "singleInstance %r" % value)
    finally:
        stop.write_text("stop")
        expect_ran(t.check, first.join(generous_timeout(t)), "the first start")

    # kitecheck names the instance as the launcher does: Windows' own
    # lower case, beyond ASCII too.
    kitecheck = Path(t.launcher_exe).parent / "kitecheck.exe"
    if not kitecheck.exists():
        return
    shutil.copy(kitecheck, t.session.unix_path("C:\\kite") / "kitecheck.exe")
    app = t.app("instanceNAMEÄ")
    # (With "on" it shows the file's identity, which only Windows knows.)
    app.config(*base_config("singleInstance Kite NAMEÄ"))
    # Its exit code speaks of the stand-in runtime, not of the instance.
    _, text, _ = run_check(t, app, ["--exe", app.exe], "check")
    t.check.true("kitecheck shows the instance name",
                 "  instance name      name:kite nameä\n" in text, text)
