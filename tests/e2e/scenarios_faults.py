"""Fault scenarios: configurations, environments, registry values, children
and arguments that are broken, huge or hostile.  Each ends in a launch with
exactly the configured values, or in a clear error (box and/or standard-error
line) and a documented exit code; never in a crash, a hang or a truncated
value."""
import json
import threading
import time

import launch
import wine
from expectations import (ERROR_STYLE, EXIT_NO_CONFIG, EXIT_OK, EXIT_START_FAILED, JAVA, MAIN,
                          REGISTRY_BASE, base_config, command_line, expect_error_box,
                          expect_no_child, expect_one_child, generous_timeout)
from suite import Skip, collector

SCENARIOS = []
scenario = collector(SCENARIOS)

# What the C runtime says for EACCES, the error of a file that exists but
# cannot be opened for reading.
DENIED = "Permission denied"
# The launcher boxes a failure of a child that ends within this many seconds
# of its start.  A whole run shorter than that proves the child's was too.
QUICK_FAILURE_SECONDS = 3
# How often a quick crash is run until one run is that short.
QUICK_ATTEMPTS = 3


def slow_timeout(t):
    """The limit for the largest scenarios, which read a million lines or
    build a ten-megabyte command line.  Every run here has a generous limit
    (this or generous_timeout), so that a slow machine (or an emulated 32-bit
    launcher) fails nothing: a run that takes longer has hung."""
    return generous_timeout(t) * 3 // 2


def wait_for_record(path, seconds):
    """The first record a stand-in appended to its log `path`, once there."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if path.exists():
            lines = path.read_text(encoding="utf-8", errors="replace").splitlines()
            if lines and lines[0].endswith("}"):
                return json.loads(lines[0])
        time.sleep(0.2)
    return None


@scenario("a configuration that cannot be opened (missing, a directory, held unshared): exit 2 "
          "naming it; an included one is read on without", smoke=True)
def config_not_opened(t):
    # Wine takes file permissions from Unix, and these tests run as root,
    # whom permissions do not stop; a file that another process holds open
    # without sharing is what Windows itself cannot open, for root as well.
    app = t.app("noconfig", run_timeout=generous_timeout(t))
    app.mkdir("folder.config")
    held = app.write("held.config", "vmparam -Dheld=1\n")
    app.config(*base_config("vmparam -Dbefore=1", "include folder.config", "include held.config",
                            "vmparam -Dafter=1"), name="other.config")
    holder_log = app.output / "holder.jsonl"
    holder_script = app.output / "holder.script"
    holder_log.unlink(missing_ok=True)
    holder_script.write_text("0 3600000\n")
    holder = t.session.popen([launch.STANDIN], env={
        "KITE_STANDIN_HOLD": held, "KITE_STANDIN_LOG": wine.dos_path(holder_log),
        "KITE_STANDIN_SCRIPT": wine.dos_path(holder_script)})
    try:
        if wait_for_record(holder_log, generous_timeout(t)) is None:
            t.check.true("the holder took the file", False, "exit %r" % holder.poll())
            return
        cases = [  # arguments, the file named, the reason (None: the system's own)
            ([], app.path("App.config"), None),
            (["-cfolder.config"], "folder.config", DENIED),
            (["-cheld.config"], "held.config", DENIED),
        ]
        for args, name, reason in cases:
            result = app.run(args)
            expect_no_child(t.check, result, EXIT_NO_CONFIG)
            t.check.eq("message boxes with %r" % args, result.boxes, [])
            start = "Can't open %s Error " % name
            lines = result.stderr_lines
            t.check.true("one standard-error line naming %s with a reason" % name,
                         len(lines) == 1 and lines[0].startswith(start)
                         and lines[0] != start and (reason is None or lines[0] == start + reason),
                         repr(lines))
        # Included files that cannot be opened are named and read on without.
        result = app.run(["-cother.config"])
        expect_one_child(t.check, result, cmdline=command_line(["-Dbefore=1", "-Dafter=1"]))
        t.check.eq("standard error of the includes", result.stderr_lines,
                   ["Can't open %s Error %s" % (name, DENIED)
                    for name in ("folder.config", "held.config")])
    finally:
        holder.kill()
        holder.wait()


@scenario("include chain 300 files deep: every file read, in order")
def include_chain(t):
    app = t.app("chain")
    depth = 300
    for i in range(depth):
        deeper = "include chain%03d.config\n" % (i + 1) if i + 1 < depth else ""
        app.write("chain%03d.config" % i,
                  "vmparam -Din%d=1\n%svmparam -Dout%d=1\n" % (i, deeper, i))
    app.config(*base_config("include chain000.config"))
    result = app.run(timeout=slow_timeout(t))
    params = (["-Din%d=1" % i for i in range(depth)]
              + ["-Dout%d=1" % i for i in reversed(range(depth))])
    expect_one_child(t.check, result, cmdline=command_line(params))
    t.check.eq("standard error", result.stderr_lines, [])


@scenario("include cycle through three files: each read once, the loop named on stderr")
def include_cycle(t):
    app = t.app("cycle")
    for name, nxt in (("a", "b.config"), ("b", "c.config"), ("c", "A.CONFIG")):
        app.write(name + ".config", "vmparam -D%s=1\ninclude %s\nvmparam -D%s=2\n"
                  % (name, nxt, name))
    app.config(*base_config("include a.config", "vmparam -Dend=1"))
    result = app.run(timeout=slow_timeout(t))
    params = ["-Da=1", "-Db=1", "-Dc=1", "-Dc=2", "-Db=2", "-Da=2", "-Dend=1"]
    expect_one_child(t.check, result, cmdline=command_line(params))
    errors = result.stderr_lines
    t.check.eq("standard error lines", len(errors), 1)
    t.check.true("the line names the skipped include", any(
        "A.CONFIG" in line and "Can't open" not in line for line in errors), repr(errors))


@scenario("1,000,000-line configuration: read to its end; a million entries refused with length")
def million_lines(t):
    app = t.app("million")
    count = 1000000
    # Ignored lines all through, a JVM parameter every 100,000 lines, and
    # the runtime only on the very last line.
    lines = ["mainclass " + MAIN]
    params = []
    for i in range(1, count - 1):
        if i % 100000 == 0:
            params.append("-Dline%d=1" % i)
            lines.append("vmparam " + params[-1])
        else:
            lines.append("# comment %d" % i if i % 3 else "unknownkey %d" % i)
    lines.append("javapath " + JAVA)
    t.check.eq("lines written", len(lines), count)
    app.config(*lines)
    result = app.run(timeout=slow_timeout(t))
    expect_one_child(t.check, result, cmdline=command_line(params))

    # A million class-path entries: far over the command-line limit.
    jars = ["j%d.jar" % i for i in range(count - 2)]
    app.config(*base_config(*["addjar " + jar for jar in jars]))
    result = app.run(timeout=slow_timeout(t))
    expect_no_child(t.check, result, EXIT_START_FAILED)
    expect_error_box(t.check, result, "Error", str(len(command_line(class_path=jars))), "32767")


@scenario("environment value of 30,000 characters: passed whole; twice is refused, exit 4")
def huge_environment_value(t):
    app = t.app("bigenv")
    value = "C:\\Big Dir\\" + "\\".join("part%04d" % i for i in range(3400))
    value = value[:30000]
    t.check.eq("value length", len(value), 30000)
    param = '-Dbig="%s"' % value.replace("\\", "/")
    app.config(*base_config("vmparam -Dbig=$KITE_E2E_BIG"))
    result = app.run(env={"KITE_E2E_BIG": value}, timeout=generous_timeout(t))
    child = expect_one_child(t.check, result, cmdline=command_line([param]))
    if child:
        t.check.eq("the child's parameter", child["argv"][1], '-Dbig=' + value.replace("\\", "/"))

    app.config(*base_config("vmparam -Dbig=$KITE_E2E_BIG", "vmparam -Dagain=$KITE_E2E_BIG"))
    result = app.run(env={"KITE_E2E_BIG": value}, timeout=generous_timeout(t))
    expect_no_child(t.check, result, EXIT_START_FAILED)
    length = len(command_line([param, param.replace("-Dbig=", "-Dagain=")]))
    expect_error_box(t.check, result, "Error", str(length), "32767")


def install_home(t, home, runtime_dir):
    """Registers `home` as the current runtime's JavaHome (in the view both
    builds read) and puts the stand-in at <runtime_dir>\\bin\\javaw.exe."""
    session = t.session
    bin_dir = session.unix_path(runtime_dir + "\\bin")
    bin_dir.mkdir(parents=True, exist_ok=True)
    (bin_dir / "javaw.exe").write_bytes(session.unix_path(launch.STANDIN).read_bytes())
    base = "HKEY_LOCAL_MACHINE\\" + REGISTRY_BASE
    session.reg_import({base: {"CurrentVersion": "1.6"}, base + "\\1.6": {"JavaHome": home}},
                       view32=True, delete=["HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft"])


@scenario("JavaHome of 3,000 characters: started by its whole path, or refused by Windows, exit 4")
def long_java_home(t):
    app = t.app("longhome")
    app.config("mainclass " + MAIN, "argument x")
    # A home that Windows can start from: "." folders make it 3,000
    # characters long, and the child must receive every one of them.
    home = ("C:\\jre3k" + "\\." * 1500)[:3000]
    install_home(t, home, "C:\\jre3k")
    result = app.run(timeout=generous_timeout(t))
    java = home + "\\bin\\javaw.exe"
    child = expect_one_child(t.check, result, cmdline=command_line(java='"%s"' % java,
                                                                   arguments=["x"]))
    if child:
        t.check.eq("child argv", child["argv"], [java, "-classpath", MAIN, "x"])

    # 3,000 characters of real folders: longer than Windows starts a program
    # from, so the launcher says it could not start it, naming the path.
    # (Wine's call trace shows only the start of so long a box text.)
    home = "C:\\h"
    while len(home) < 3000:
        home += "\\" + ("d%02d" % (len(home) // 100)).ljust(min(99, 3000 - len(home) - 1), "x")
    t.check.eq("home length", len(home), 3000)
    install_home(t, home, home)
    result = app.run(timeout=generous_timeout(t))
    expect_no_child(t.check, result, EXIT_START_FAILED)
    expect_error_box(t.check, result, "Error", 'Could not start the Java runtime "%s' % home[:200])


@scenario("child crashes at once (boxed) and after a delay (not); no relaunch, exit 0")
def child_crashes(t):
    app = t.app("crashes")
    app.config(*base_config())
    box = ("Error launching Class %s\n with Java %s.\nError=-1073741819 (0xC0000005)"
           % (MAIN, JAVA), "Error", ERROR_STYLE)
    undecided = []
    for behaviour, quick in (("crash", True), ("crash 4000", False)):
        for _ in range(QUICK_ATTEMPTS if quick else 1):
            begun = time.monotonic()
            result = app.run(script=[behaviour], timeout=generous_timeout(t))
            took = time.monotonic() - begun
            t.check.eq("launcher exit code after %s" % behaviour, result.exit_code, EXIT_OK)
            t.check.eq("child starts after %s" % behaviour, len(result.runs), 1)
            if not quick or took < QUICK_FAILURE_SECONDS:
                break
        boxes = [(b.text, b.caption, b.style) for b in result.boxes]
        if quick and took >= QUICK_FAILURE_SECONDS:
            # The launcher may have seen a slow failure; a box, if any, must
            # still be exact, but whether there is one is not known.
            t.check.true("boxes after %s" % behaviour, boxes in ([], [box]), repr(boxes))
            undecided.append("%s took %.1f s" % (behaviour, took))
        else:
            t.check.eq("boxes after %s" % behaviour, boxes, [box] if quick else [])
    if undecided:
        raise Skip("no run of a quick crash was short enough to require its box (%s)"
                   % ", ".join(undecided))


@scenario("child killed while running: the launcher goes on, no relaunch, exit 0")
def child_killed(t):
    app = t.app("killed")
    app.config(*base_config())
    log = app.output / "standin.jsonl"
    log.unlink(missing_ok=True)
    killed = {}

    def kill_when_running():
        record = wait_for_record(log, generous_timeout(t))
        if record is None:
            return
        # Four seconds of run time, so this is not a quick failure.
        time.sleep(4)
        killed["taskkill"] = t.session.run(["taskkill", "/F", "/PID", str(record["pid"])],
                                           stdout=t.session.log, stderr=t.session.log)

    killer = threading.Thread(target=kill_when_running)
    killer.start()
    try:
        result = app.run(script=[(0, 3600000)], timeout=generous_timeout(t))
    finally:
        killer.join()
    t.check.eq("taskkill exit code", killed.get("taskkill"), 0)
    t.check.eq("launcher exit code", result.exit_code, EXIT_OK)
    t.check.eq("child starts", len(result.runs), 1)
    t.check.eq("message boxes", result.boxes, [])


# Program arguments for the launcher's own command line: spaces, tabs,
# backslashes (trailing, doubled, UNC), an empty one, and double quotes last.
PASSED_ARGUMENTS = ["two words", "C:\\My Dir\\", "back\\slash", "\\\\server\\share\\",
                    "tab\there", "", "end\\\\", "x\\\\ y\\", 'say "hi"', 'a"b\\', 'q"x', "",
                    '\\"', '"']
CONFIG_ARGUMENTS = ["C:\\Program Files\\", '-Dq="a b"', '--title="My App"', 'c\\\\"d']


@scenario("program arguments with spaces, backslashes and quotes pass through", smoke=True)
def arguments_pass_through(t):
    app = t.app("passargs")
    app.config(*base_config(*["argument " + a for a in CONFIG_ARGUMENTS]))
    result = app.run(PASSED_ARGUMENTS, timeout=generous_timeout(t))
    arguments = PASSED_ARGUMENTS + CONFIG_ARGUMENTS
    # Arguments are quoted (always, on this Windows version), double quotes
    # inside them escaped: the child receives every one exactly.
    expect_one_child(t.check, result, cmdline=command_line(arguments=arguments),
                     argv=[JAVA, "-classpath", MAIN] + arguments)
