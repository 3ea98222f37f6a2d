"""Scenarios of the console variant (kitec32.exe, kitec64.exe) and of what
both variants share for scripts: the application's exit code, the exitCode
key, `start /wait`, and the launch log (logFile)."""
import re
import subprocess
import threading
import time

from expectations import (EXIT_NO_CONFIG, EXIT_NO_RUNTIME, EXIT_OK, JAVA,
                          MAIN, base_config, command_line)
from suite import collector

SCENARIOS = []
scenario = collector(SCENARIOS)

# The stand-in's echo mode: "out RUN" on standard output, "err RUN" on
# standard error, standard input copied as "in LINE".
ECHO = {"KITE_STANDIN_ECHO": "1"}
# Exit codes an application may end with, and the unsigned 32 bits the
# launcher must end with for each (the stand-in takes them signed).
APP_CODES = [(0, 0), (1, 1), (42, 42), (255, 255), (256, 256), (-1, 4294967295)]


def own_lines(result):
    """The launcher's standard-error lines, without the stand-in's."""
    return [line for line in result.stderr_lines if not re.match(r"^err \d+$", line)]


def no_box(t, result, what):
    t.check.eq("message boxes (%s)" % what, result.boxes, [])


@scenario("console: output and error to files, input from a pipe, the application's exit code",
          smoke=True)
def console_files(t):
    app = t.app("console-files", console=True)
    app.config(*base_config())
    for index, (code, unsigned) in enumerate(APP_CODES):
        # The first run is fed standard input; the others read none.
        stdin = b"line one\r\nline two\r\n" if index == 0 else None
        result = app.run(["arg"], env=ECHO, script=[(code, 0)], stdin=stdin)
        what = "exit code %d" % code
        t.check.eq("launcher's exit code, all 32 bits (%s)" % what, result.full_exit_code,
                   unsigned)
        t.check.eq("child starts (%s)" % what, len(result.runs), 1)
        no_box(t, result, what)
        expected_out = ["out 0"] + (["in line one", "in line two"] if index == 0 else [])
        t.check.eq("standard output: the application's alone (%s)" % what,
                   result.stdout_lines, expected_out)
        t.check.true("the application's standard error (%s)" % what,
                     "err 0" in result.stderr_lines, repr(result.stderr_lines))
        # A quick failure is the application's to report: no line of Kite's.
        t.check.eq("the launcher's own lines (%s)" % what, own_lines(result), [])
    # A javapath is used as written (java.exe or javaw.exe alike).
    if result.runs:
        t.check.eq("child command line", result.runs[0]["cmdline"],
                   command_line(arguments=["arg"]))


@scenario("console: output, error and input through pipes")
def console_pipes(t):
    app = t.app("console-pipes", console=True)
    app.config(*base_config())
    result = app.run(env=ECHO, script=[(3, 0)], stdin=b"piped\n", pipes=True)
    t.check.eq("launcher's exit code", result.full_exit_code, 3)
    t.check.eq("standard output through the pipe", result.stdout_lines, ["out 0", "in piped"])
    t.check.true("standard error through the pipe", "err 0" in result.stderr_lines,
                 repr(result.stderr_lines))
    t.check.eq("the launcher's own lines", own_lines(result), [])
    no_box(t, result, "pipes")


@scenario("console: a 999 relaunch runs in the same console, the last code is the launcher's")
def console_relaunch(t):
    app = t.app("console-relaunch", console=True)
    app.config(*base_config())
    result = app.run(env=ECHO, script=[(999, 0), (999, 0), (42, 0)])
    t.check.eq("child starts", len(result.runs), 3)
    t.check.eq("launcher's exit code", result.full_exit_code, 42)
    t.check.eq("standard output of every run", result.stdout_lines, ["out 0", "out 1", "out 2"])
    no_box(t, result, "relaunch")
    # Every run is started without a console of its own (no
    # CREATE_NEW_CONSOLE, no DETACHED_PROCESS: creation flags 0), so it is
    # attached to the launcher's console, and its output reached the
    # launcher's standard handles above.  (Wine gives a program started
    # without a terminal no console whose title or process list could be
    # compared.)
    t.check.eq("creation flags of every start", [start[2] for start in result.process_starts],
               [0, 0, 0])


@scenario("console: missing configuration: a line on standard error, exit 2, no box")
def console_missing_config(t):
    app = t.app("console-noconfig", console=True)
    result = app.run()
    t.check.eq("launcher's exit code", result.full_exit_code, EXIT_NO_CONFIG)
    no_box(t, result, "no configuration")
    prefix = "App: Can't open %s\\App.config Error " % app.dir
    lines = own_lines(result)
    t.check.true("one line naming the file", len(lines) == 1 and lines[0].startswith(prefix),
                 repr(lines))
    t.check.eq("standard output", result.stdout_lines, [])


@scenario("console: debug mode writes to standard error and shows no box")
def console_debug(t):
    app = t.app("console-debug", console=True)
    app.config(*base_config("vmparam -Xmx64m"))
    result = app.run(["-d", "x"])
    t.check.eq("launcher's exit code", result.full_exit_code, EXIT_OK)
    no_box(t, result, "debug mode")
    lines = own_lines(result)
    t.check.true("every line carries the program's name",
                 lines and all(line.startswith("App: ") for line in lines), repr(lines))
    cmdline = command_line(["-Xmx64m"], arguments=["x"])
    for expected in ("App: Version: 1.0.16", "App: MainClass is: " + MAIN,
                     "App: Javapath is: " + JAVA, "App: vmparam 0=-Xmx64m",
                     "App: Command Line is: " + cmdline.rstrip(" "),
                     "App: CreateProcess ret 1, exitCode=0"):
        t.check.true("debug line %r" % expected, expected in lines, repr(lines))
    t.check.eq("standard output", result.stdout_lines, [])
    t.check.eq("child command line", [run["cmdline"] for run in result.runs], [cmdline])


def visible_windows(session):
    env = {"DISPLAY": session.env["DISPLAY"], "PATH": "/usr/bin:/bin"}
    found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", ".*"], env=env,
                           capture_output=True, text=True)
    return set(found.stdout.split())


@scenario("console: no runtime: a line on standard error, exit 7, and no window appears")
def console_no_runtime(t):
    session = t.sessions.with_display()
    for view32 in (True, False):
        session.reg_import({}, view32=view32, delete=["HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft"])
    app = t.app("console-noruntime", display=True, console=True)
    app.config("mainclass " + MAIN)
    before = visible_windows(session)
    seen = set()
    done = threading.Event()

    def watch():
        while not done.is_set():
            seen.update(visible_windows(session) - before)
            time.sleep(0.05)

    watcher = threading.Thread(target=watch)
    watcher.start()
    try:
        result = app.run(timeout=t.run_timeout)
    finally:
        done.set()
        watcher.join()
    t.check.eq("launcher's exit code", result.full_exit_code, EXIT_NO_RUNTIME)
    t.check.eq("the launcher's own lines", own_lines(result),
               ["App: error: No Java Installation Found"])
    no_box(t, result, "no runtime")
    t.check.eq("windows that appeared during the run", sorted(seen), [])
    t.check.eq("child starts", len(result.runs), 0)


@scenario("GUI launcher: exit code 0 by default, the application's with exitCode app; "
          "start /wait shows it")
def gui_exit_code(t):
    app = t.app("gui-exitcode")
    cases = [  # key line, the application's runs, the launcher's code
        (None, [(42, 3100)], 0), ("exitCode launcher", [(42, 3100)], 0),
        ("exitCode app", [(999, 3100), (42, 3100)], 42),
        ("exitCode app", [(-1, 3100)], 4294967295), ("exitCode app", [(256, 3100)], 256)]
    for line, script, expected in cases:
        app.config(*base_config(*([line] if line else [])))
        # Slow enough not to count as a quick failure (no box).
        result = app.run(script=script)
        t.check.eq("launcher's exit code with %r after %r" % (line, script),
                   result.full_exit_code, expected)
        t.check.eq("child starts with %r" % line, len(result.runs), len(script))
        t.check.eq("message boxes with %r" % line, result.boxes, [])
    # cmd's start /wait waits for a GUI program and sets ERRORLEVEL.
    app.config(*base_config("exitCode app"))
    app.write("run.bat", "@start /wait App.exe\n@echo code=%ERRORLEVEL%\n")
    result = app.run(command_line="cmd.exe /c run.bat", cwd=app.dir, script=[(42, 3100)],
                     env={"KITE_STARTER_EXE": "C:\\windows\\system32\\cmd.exe"})
    t.check.true("start /wait shows the code", "code=42" in result.stdout_lines,
                 repr(result.stdout_lines))


LOG_LINE = re.compile(r"^\[(\d+)\] (.*)$")


def read_log(app, name="kite.log"):
    """The log's lines (each must end with CR LF and carry a process id),
    as (pid, text) pairs, and the failures found in its form."""
    path = app.unix_dir / name
    if not path.exists():
        return None, ["%s was not written" % name]
    data = path.read_bytes()
    problems = []
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError as error:
        return None, ["%s is not UTF-8: %s" % (name, error)]
    if not text.endswith("\r\n"):
        problems.append("%s does not end with a line end" % name)
    lines = []
    for line in text.split("\r\n")[:-1]:
        match = LOG_LINE.match(line)
        if not match:
            problems.append("a line without a process id: %r" % line)
            continue
        lines.append((match.group(1), match.group(2)))
    return lines, problems


HEADER = re.compile(r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d Kite 1\.0\.16 \((GUI|console)\) started as ")


@scenario("launch log: a launch and a relaunch, from the GUI launcher and the console variant",
          smoke=True)
def log_launches(t):
    # What goes into the log, for each outcome, is the unit tests'
    # (launch_log_test); here the log is written on Windows, from both
    # variants, with the time, the process id and whole lines.
    for console in (False, True):
        app = t.app("log-%s" % ("console" if console else "gui"), console=console)
        variant = "console" if console else "GUI"
        if console:
            lines, script, code = base_config("logFile kite.log"), [(999, 0), (7, 0)], 7
            expected = ["trace: the application asks to be started again (exit code 999)",
                        "trace: the application ended with exit code 7 after ",
                        "exit: Kite ends with exit code 7"]
        else:
            lines, script, code = base_config("logFile kite.log", "argument x"), [(0, 0)], 0
            expected = ["trace: MainClass is: " + MAIN,
                        "trace: Command Line is: " + command_line(arguments=["x"]).rstrip(" "),
                        "trace: starting in " + app.dir,
                        "trace: the application ended with exit code 0 after ",
                        "exit: Kite ends with exit code 0"]
        (app.unix_dir / "kite.log").unlink(missing_ok=True)
        app.config(*lines)
        result = app.run(script=script)
        t.check.eq("exit code (%s)" % variant, result.full_exit_code, code)
        t.check.eq("boxes (%s): the log adds none" % variant, result.boxes, [])
        log, problems = read_log(app)
        t.check.eq("the log's form (%s)" % variant, problems, [])
        if log is None:
            continue
        texts = [text for _, text in log]
        t.check.true("header (%s)" % variant, texts and HEADER.match(texts[0])
                     and ("(%s)" % variant) in texts[0], repr(texts[:1]))
        t.check.eq("one process id (%s)" % variant, len({pid for pid, _ in log}), 1)
        at = 0
        for line in expected:
            while at < len(texts) and not texts[at].startswith(line):
                at += 1
            t.check.true("%r in the log, in order (%s)" % (line, variant), at < len(texts),
                         "\n".join(texts))


@scenario("launch log: missing folders are made, an unwritable path is skipped, a log past "
          "1 MiB is rotated")
def log_unwritable_and_rotation(t):
    app = t.app("log-edge")
    app.config(*base_config("logFile made\\day\\kite.log"))
    result = app.run()
    t.check.eq("exit code with the log's folders missing", result.full_exit_code, EXIT_OK)
    log, problems = read_log(app, "made/day/kite.log")
    t.check.eq("the log, in the folders made for it", problems, [])

    # A file where a folder of the log would be.
    app.write("blocker", "")
    unwritable = app.dir + "\\blocker\\day\\kite.log"
    app.config(*base_config("logFile " + unwritable))
    result = app.run()
    t.check.eq("exit code with an unwritable log", result.full_exit_code, EXIT_OK)
    t.check.eq("child starts with an unwritable log", len(result.runs), 1)
    t.check.eq("boxes with an unwritable log", result.boxes, [])
    result = app.run(["-d"])
    t.check.true("debug mode says the log and its folder cannot be made",
                 any(line.startswith("log file %s cannot be opened: the folder %s\\blocker\\day "
                                     "cannot be created: " % (unwritable, app.dir))
                     for line in result.stdout_lines), repr(result.stdout_lines))

    app.config(*base_config("logFile logs\\kite.log"))
    app.mkdir("logs")
    old = (b"x" * 99 + b"\r\n") * (1024 * 1024 // 101)  # just under 1 MiB
    (app.unix_dir / "logs" / "kite.log").write_bytes(old)
    result = app.run()
    t.check.eq("exit code while rotating", result.full_exit_code, EXIT_OK)
    rotated = app.unix_dir / "logs" / "kite.log.1"
    t.check.true("the full log was renamed to kite.log.1",
                 rotated.exists() and rotated.read_bytes().startswith(old))
    log, problems = read_log(app, "logs\\kite.log".replace("\\", "/"))
    t.check.eq("the new log's form", problems, [])
    t.check.true("the new log is small and ends the launch",
                 log is not None and len(log) < 20 and
                 log[-1][1] == "exit: Kite ends with exit code 0", repr(log))


@scenario("launch log: two launches at once write whole lines")
def log_two_at_once(t):
    apps = [t.app("log-together-%d" % i) for i in (1, 2)]
    shared = "C:\\apps\\together.log"
    unix_log = t.session.unix_path(shared)
    if unix_log.exists():
        unix_log.unlink()
    for app in apps:
        app.config(*base_config("logFile " + shared, "vmparam -Dpad=" + "p" * 2000))
    results = [None, None]

    def run(index):
        results[index] = apps[index].run(script=[(999, 400), (999, 400), (0, 400)])

    threads = [threading.Thread(target=run, args=(i,)) for i in (0, 1)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    for index, result in enumerate(results):
        t.check.eq("exit code of launch %d" % (index + 1), result.full_exit_code, EXIT_OK)
    data = unix_log.read_bytes() if unix_log.exists() else b""
    lines = data.decode("utf-8", "replace").split("\r\n")
    t.check.eq("the log ends with a line end", lines[-1:], [""])
    by_pid = {}
    for line in lines[:-1]:
        match = LOG_LINE.match(line)
        if not match:
            t.check.true("a whole line with a process id", False, repr(line[:200]))
            continue
        by_pid.setdefault(match.group(1), []).append(match.group(2))
    t.check.eq("launches in the log", len(by_pid), 2)
    for pid, texts in by_pid.items():
        t.check.true("launch %s: header first, exit last" % pid,
                     HEADER.match(texts[0]) and texts[-1] == "exit: Kite ends with exit code 0",
                     repr(texts[:1] + texts[-1:]))
        t.check.eq("launch %s: relaunches" % pid,
                   sum(text.startswith("trace: the application asks") for text in texts), 2)
