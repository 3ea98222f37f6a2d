"""Scenarios about starting the child: the command line, the launcher's own
arguments, the relaunch loop, failures and their boxes and exit codes."""
from expectations import (ERROR_STYLE, EXIT_NO_CONFIG, EXIT_NO_MAIN_CLASS, EXIT_NO_RUNTIME,
                          EXIT_OK, EXIT_START_FAILED, JAVA, MAIN, PLAIN_STYLE, REGISTRY_BASE,
                          base_config, command_line, expect_error_box, expect_no_child,
                          expect_one_child, registry_access)
from suite import collector

SCENARIOS = []
scenario = collector(SCENARIOS)


@scenario("basic launch: vmparam, addjar, addpath, addjars, arguments after pass-through",
          smoke=True)
def basic_launch(t):
    app = t.app("basic")
    app.config("# a comment", "// another comment", "", *base_config(
        "vmparam -Xmx64m", "vmparam -Dkite.test=1", "addjar lib\\a.jar", "addpath classes",
        "addjars jars", "argument first", "argument second arg"))
    for jar in ("lib/a.jar", "jars/b.jar", "jars/a.jar", "jars/readme.txt", "jars/x.jar/inner.jar"):
        app.write(jar, "")
    result = app.run(["pass one", "pass2"])
    child = expect_one_child(t.check, result, cwd=app.dir)
    if child is None:
        return
    # The directory scan's order is the file system's; compare it as a set.
    class_path = child["argv"][4] if len(child["argv"]) > 4 else ""
    scanned = class_path.split(";")[2:]
    t.check.eq("jars found by addjars", sorted(scanned), ["jars/a.jar", "jars/b.jar"])
    entries = ["lib\\a.jar", "classes"] + scanned
    arguments = ["pass one", "pass2", "first", "second arg"]
    t.check.eq("child command line", child["cmdline"], command_line(
        ["-Xmx64m", "-Dkite.test=1"], entries, arguments))
    t.check.eq("child argv", child["argv"], [JAVA, "-Xmx64m", "-Dkite.test=1", "-classpath",
                                             ";".join(entries), MAIN] + arguments)
    t.check.eq("standard error", result.stderr_lines, [])
    t.check.eq("trace lines outside debug mode", result.stdout_lines, [])
    t.check.eq("CreateProcessA (command line, inherit, flags, directory, result)",
               result.process_starts, [(child["cmdline"], 1, 0, None, 1)])


@scenario("debug mode: trace lines and diagnostic boxes")
def debug_mode(t):
    app = t.app("debug")
    params, jars, arguments = ["-Xmx64m", "-Dx=1"], ["lib\\a.jar", "lib\\b.jar"], ["pass", "arg1"]
    app.config(*base_config(*["vmparam " + p for p in params], *["addjar " + j for j in jars],
                            "argument arg1"))
    result = app.run(["-d", "pass"])
    cmdline = command_line(params, jars, arguments)
    t.check.eq("launcher exit code", result.exit_code, EXIT_OK)
    t.check.eq("child command lines", [run["cmdline"] for run in result.runs], [cmdline])
    size = (len(JAVA) + 2 + len(MAIN) + 2 + 12 + sum(len(p) + 2 for p in params)
            + sum(len(j) + 2 for j in jars) + sum(len(a) + 3 for a in arguments))
    t.check.eq("trace lines", result.stdout_lines, [
        "reading app config %s\\App.config" % app.dir,
        "vmparam 0=-Xmx64m", "vmparam 1=-Dx=1", "vmpath 0=lib\\a.jar", "vmpath 1=lib\\b.jar",
        "cmdLine is %d chars long" % size, "CreateProcess ret 1, exitCode=0"])
    quote_boxes = [("pass", "Adding double quotes around"), ("arg1", "Adding double quotes around")]
    t.check.eq("boxes (text, caption)", [(b.text, b.caption) for b in result.boxes], [
        ("1.0.16", "Running on Vista"), ("1.0.16", "Version"),
        ("[%s]" % app.exe, "LpCmdLine"), (app.dir, "CWD"),
        ("[%s\\App.config]" % app.dir, "Reading App Config file"),
        ("%s\\App.config" % app.dir, "Reading Config file"),
        (MAIN, "MainClass is"), (JAVA, "Javapath is")] + quote_boxes + [
        (app.dir, "Starting dir"), (cmdline, "Command Line is")])
    t.check.eq("box styles", {b.style for b in result.boxes}, {PLAIN_STYLE})


@scenario("launcher arguments: -c names the configuration, -d must stand alone")
def config_option(t):
    app = t.app("option")
    app.write("other.config", "mainclass other.Main\njavapath %s\n" % JAVA)
    deep = app.write("sub\\deep.config", "mainclass deep.Main\njavapath %s\n" % JAVA)
    cases = [  # arguments, main class, program arguments
        (["-cother.config", "x"], "other.Main", ["x"]),
        (["-c" + deep], "deep.Main", []),
        (["a", "-cnothing.config", "-c" + deep, "-dx", "b"], "deep.Main", ["a", "-dx", "b"]),
    ]
    for args, main, arguments in cases:
        result = app.run(args)
        expect_one_child(t.check, result, cmdline=command_line(main=main, arguments=arguments))
    # "-c" alone, the file name after a space: a box and standard error say
    # that "-c" takes it joined; nothing is opened or started.
    result = app.run(["-c", "other.config"])
    expect_no_child(t.check, result, EXIT_NO_CONFIG)
    expect_error_box(t.check, result, "Error", "joined to it",
                     "-cother.config instead of -c other.config")
    t.check.eq("standard error says what is wrong, on one line", result.stderr_lines,
               ["The option -c names no configuration file: it takes the file name joined "
                "to it, with no space. / Write -cother.config instead of -c other.config"])


@scenario("relaunch on exit code 999, quick failures reported")
def relaunch(t):
    app = t.app("relaunch")
    app.config(*base_config())
    result = app.run(script=[(999, 0), (999, 0), (0, 0)])
    t.check.eq("launcher exit code", result.exit_code, EXIT_OK)
    t.check.eq("child command lines", [run["cmdline"] for run in result.runs],
               [command_line()] * 3)
    text = "Error launching Class %s\n with Java %s.\nError=999" % (MAIN, JAVA)
    t.check.eq("boxes", [(b.text, b.caption, b.style) for b in result.boxes],
               [(text, "Error", ERROR_STYLE)] * 2)


@scenario("child outcome: quick failures and crashes boxed, slow failure and success not")
def child_outcome(t):
    app = t.app("outcome")
    app.config(*base_config())
    quick = "Error launching Class %s\n with Java %s.\nError=%%s" % (MAIN, JAVA)
    cases = [  # stand-in behaviour, expected boxes
        ((1, 0), [(quick % "1", "Error", ERROR_STYLE)]),
        ((-2, 0), [(quick % "-2 (0xFFFFFFFE)", "Error", ERROR_STYLE)]),
        ((1, 5000), []),
        ((0, 0), []),
        # An access violation ends the child with 0xC0000005: shown signed,
        # and in hexadecimal.
        ("crash", [(quick % "-1073741819 (0xC0000005)", "Error", ERROR_STYLE)]),
    ]
    for behaviour, boxes in cases:
        result = app.run(script=[behaviour])
        t.check.eq("launcher exit code after %r" % (behaviour,), result.exit_code, EXIT_OK)
        t.check.eq("child starts after %r" % (behaviour,), len(result.runs), 1)
        t.check.eq("boxes after %r" % (behaviour,),
                   [(b.text, b.caption, b.style) for b in result.boxes], boxes)


@scenario("workingDir and consoleTitle reach the child, expansion quotes removed")
def working_dir_and_title(t):
    app = t.app("wd")
    spaced = app.mkdir("work dir")
    plain = app.mkdir("plain")
    env = {"KITE_E2E_WORK": spaced, "KITE_E2E_TITLE": "Kite Test Title"}
    cases = [  # config lines, expected directory, expected title
        (["workingDir $KITE_E2E_WORK", "consoleTitle $KITE_E2E_TITLE"], spaced, "Kite Test Title"),
        (["workingDir " + plain, "consoleTitle Plain Title"], plain, "Plain Title"),
    ]
    for lines, directory, title in cases:
        app.config(*base_config(*lines))
        result = app.run(env=env)
        child = expect_one_child(t.check, result, cmdline=command_line(), cwd=directory)
        if child is not None:
            t.check.eq("child console title", child["startup_title"], title)
        t.check.eq("CreateProcessA directories",
                   [(start[3] or "").replace("/", "\\") for start in result.process_starts],
                   [directory])


@scenario("javapath to a missing executable: error box with path and reason, exit 4")
def missing_java(t):
    app = t.app("nojava")
    missing = "C:\\nope\\java.exe"
    app.config("mainclass " + MAIN, "javapath " + missing)
    result = app.run(script=[(999, 0)])
    expect_no_child(t.check, result, EXIT_START_FAILED)
    expect_error_box(t.check, result, "Error", missing)
    box = result.boxes[0].text if result.boxes else ""
    t.check.true("box gives the system's reason after the path",
                 len(box.split(missing, 1)[-1].strip()) > 0, repr(box))
    t.check.eq("CreateProcessA calls (no relaunch)", [s[4] for s in result.process_starts], [0])


@scenario("a runtime that is no program, a missing workingDir: the box names them, no insert left")
def start_failure_named(t):
    app = t.app("notjava")
    garbage = app.write("jre\\bin\\java.exe", "not a program\n")
    rows = [(["javapath " + garbage], [garbage]),
            (["javapath " + JAVA, "workingDir C:\\no such dir"],
             ["C:\\no such dir", "(workingDir)"])]
    for lines, named in rows:
        app.config("mainclass " + MAIN, *lines)
        result = app.run()
        expect_no_child(t.check, result, EXIT_START_FAILED)
        expect_error_box(t.check, result, "Error", *named)
        box = result.boxes[0].text if result.boxes else ""
        t.check.true("no Windows insert left in the box", "%1" not in box, repr(box))


@scenario("no main class: error box naming the configuration, exit 6, nothing started")
def no_main_class(t):
    app = t.app("nomain")
    for lines in (["javapath " + JAVA, "vmparam -Xmx64m"], ["mainclass ", "javapath " + JAVA],
                  ["vmparam -Xmx64m"]):
        config = app.config(*lines)
        result = app.run()
        expect_no_child(t.check, result, EXIT_NO_MAIN_CLASS)
        expect_error_box(t.check, result, "Error", config)
        t.check.eq("CreateProcessA calls", result.process_starts, [])
        t.check.eq("registry opens", result.log.registry_opens, [])


@scenario("command line over 32,767 characters: refused with its length, exit 4")
def command_line_limit(t):
    app = t.app("toolong")
    params = ["-Dp%02d=%s" % (i, "x" * 995) for i in range(40)]
    app.config(*base_config(*["vmparam " + p for p in params]))
    length = len(command_line(params))
    result = app.run()
    expect_no_child(t.check, result, EXIT_START_FAILED)
    expect_error_box(t.check, result, "Error", str(length), "32767")
    t.check.eq("CreateProcessA calls", result.process_starts, [])
    # The longest line Windows takes (32,766 characters and the terminator)
    # is still started.
    fill = 32766 - len(command_line(["-Dfill="]))
    app.config(*base_config("vmparam -Dfill=" + "y" * fill))
    result = app.run()
    expect_one_child(t.check, result, cmdline=command_line(["-Dfill=" + "y" * fill]))


@scenario("no runtime: no javapath and no registry key, error box, exit 7")
def no_runtime(t):
    for view32 in (True, False):
        t.session.reg_import({}, view32=view32, delete=["HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft"])
    t.check.true("prefix holds no JavaSoft key",
                 not t.session.reg_has_key("HKLM\\SOFTWARE\\JavaSoft", view32=True))
    app = t.app("noruntime")
    app.config("mainclass " + MAIN)
    access = registry_access(t.width)
    user_box = ("No Java Installation Found", "Error!", ERROR_STYLE)
    for args, boxes in (([], [user_box]),
                        (["-d"], [(REGISTRY_BASE, "Error Accessing Registry!", ERROR_STYLE),
                                  user_box])):
        result = app.run(args)
        expect_no_child(t.check, result, EXIT_NO_RUNTIME)
        errors = [(b.text, b.caption, b.style) for b in result.boxes if b.style == ERROR_STYLE]
        t.check.eq("error boxes with %r" % args, errors, boxes)
        t.check.eq("registry opens", [o[:3] for o in result.log.registry_opens],
                   [(0x80000002, REGISTRY_BASE, access)])
        t.check.eq("CreateProcessA calls", result.process_starts, [])
