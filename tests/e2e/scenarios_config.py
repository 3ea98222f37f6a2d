"""Scenarios about finding and reading the configuration: expansion, quoting,
the start directory, byte-order marks, includes and sizes."""
from expectations import EXIT_OK, JAVA, MAIN, base_config, command_line, expect_one_child
from suite import collector

SCENARIOS = []
scenario = collector(SCENARIOS)


@scenario("expansion: spaced values quoted, addjars of a spaced directory, raw arguments")
def expansion(t):
    app = t.app("expand")
    jars = app.mkdir("my jars")
    for jar in ("a.jar", "b.jar"):
        app.write("my jars/" + jar, "")
    env = {"KITE_E2E_HOME": "C:\\Program Files\\Kite Test", "KITE_E2E_JARS": jars,
           "KITE_E2E_PLAIN": "C:\\plain\\"}
    app.config(*base_config("vmparam -Dhome=$KITE_E2E_HOME", "vmparam -Dplain=$KITE_E2E_PLAIN\\sub",
                            "vmparam -Dmissing=$KITE_E2E_NOT_SET", "addjars $KITE_E2E_JARS",
                            "argument $KITE_E2E_HOME"))
    result = app.run(env=env)
    child = expect_one_child(t.check, result)
    if child is None:
        return
    slashed = jars.replace("\\", "/")
    params = ['-Dhome="C:/Program Files/Kite Test"', "-Dplain=C:/plain/sub",
              "-Dmissing=$KITE_E2E_NOT_SET"]
    # Each jar of the spaced directory is one quoted entry; the order is the
    # file system's.
    entries = ['"%s/%s"' % (slashed, name) for name in ("a.jar", "b.jar")]
    if slashed + "/b.jar" in child["cmdline"].split(slashed + "/a.jar")[0]:
        entries.reverse()
    t.check.eq("child command line", child["cmdline"],
               command_line(params, entries, ["$KITE_E2E_HOME"]))
    t.check.eq("child argv", child["argv"], [
        JAVA, "-Dhome=C:/Program Files/Kite Test", "-Dplain=C:/plain/sub",
        "-Dmissing=$KITE_E2E_NOT_SET", "-classpath",
        ";".join(entry.strip('"') for entry in entries), MAIN, "$KITE_E2E_HOME"])


# Arguments whose quoting is easy to get wrong: spaces, trailing
# backslashes (one or two), an empty-looking tail.
TRICKY_ARGUMENTS = ["C:\\My Dir\\", "C:\\nospace\\", "two  spaces", "end\\\\", "a b\\\\"]


@scenario("arguments with spaces and trailing backslashes arrive exactly")
def tricky_arguments(t):
    app = t.app("args")
    app.config(*base_config("argument C:\\Other Dir\\", "argument plain"))
    result = app.run(TRICKY_ARGUMENTS)
    arguments = TRICKY_ARGUMENTS + ["C:\\Other Dir\\", "plain"]
    expect_one_child(t.check, result, cmdline=command_line(arguments=arguments),
                     argv=[JAVA, "-classpath", MAIN] + arguments)


@scenario("quoting follows the OS version: major 5 quotes only spaced arguments")
def os_version_quoting(t):
    t.session.reg_import({"HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\Xp.exe":
                          {"Version": "winxp"}})
    arguments = ["plain", "with space", "C:\\nospace\\", "C:\\My Dir\\", 'q"x', ""]
    for exe_name, always in (("Xp.exe", False), ("App.exe", True)):
        app = t.app("os-" + exe_name[:-4].lower(), exe_name=exe_name)
        app.config(*base_config(*["argument " + a for a in arguments]))
        result = app.run()
        expect_one_child(t.check, result, cmdline=command_line(arguments=arguments, always=always),
                         argv=[JAVA, "-classpath", MAIN] + arguments)


@scenario("argv[0] without a drive letter: configuration from the current directory")
def relative_argv0(t):
    app = t.app("nodrive")
    # A configuration beside the executable that must not be used.
    app.config("mainclass wrong.Main", "javapath " + JAVA)
    cwd = app.mkdir("cwd")
    app.write("cwd\\App.config", "mainclass %s\njavapath %s\naddjar here.jar\n" % (MAIN, JAVA))
    for argv0 in ("App", "App.exe", "elsewhere\\App.exe"):
        result = app.run(["x"], argv0=argv0, cwd=cwd)
        expect_one_child(t.check, result, cmdline=command_line([], ["here.jar"], ["x"]), cwd=cwd)


@scenario("launcher in a drive root: K:\\App.exe reads K:\\App.config")
def drive_root(t):
    app = t.app("kroot")
    t.session.map_drive("k", app.dir)
    app.config(*base_config())
    result = app.run(["-d"], argv0="K:\\App.exe")
    t.check.eq("launcher exit code", result.exit_code, EXIT_OK)
    t.check.eq("child command lines", [run["cmdline"] for run in result.runs], [command_line()])
    t.check.eq("configuration boxes", [b.text for b in result.boxes
                                       if b.caption == "Reading App Config file"],
               ["[K:\\App.config]"])


@scenario("UTF-8 byte-order mark before the first line is skipped")
def byte_order_mark(t):
    app = t.app("bom")
    app.write("App.config", b"\xef\xbb\xbfmainclass " + MAIN.encode() + b"\r\njavapath "
              + JAVA.encode() + b"\r\n")
    expect_one_child(t.check, app.run(), cmdline=command_line())


@scenario("include: nested, repeated, missing and cyclic files")
def includes(t):
    app = t.app("include")
    chain = 40
    for i in range(chain):
        app.write("chain%d.config" % i, "vmparam -Dchain=%d\n" % i
                  + ("include chain%d.config\n" % (i + 1) if i + 1 < chain else ""))
    app.write("common.config", "vmparam -Dcommon=1\n")
    # A cycle back to the main file under another spelling, and one to itself.
    back = app.dir.upper() + "\\APP.CONFIG"
    app.write("loop.config", "vmparam -Dloop=1\ninclude %s\ninclude loop.config\n"
                             "vmparam -Dloop=2\n" % back)
    app.config(*base_config("include common.config", "include chain0.config",
                            "include common.config", "include loop.config",
                            "include nothere.config", "vmparam -Dend=1"))
    # An endless include loop would hang the launcher: say so sooner.
    result = app.run(timeout=t.run_timeout // 2)
    params = (["-Dcommon=1"] + ["-Dchain=%d" % i for i in range(chain)]
              + ["-Dcommon=1", "-Dloop=1", "-Dloop=2", "-Dend=1"])
    expect_one_child(t.check, result, cmdline=command_line(params))
    errors = result.stderr_lines
    for name in (back, "loop.config"):
        t.check.true("a standard-error line names the skipped include %s" % name,
                     any(name in line and "Can't open" not in line for line in errors),
                     repr(errors))
    t.check.true("a standard-error line names the missing include",
                 any(line.startswith("Can't open nothere.config Error ") for line in errors),
                 repr(errors))
    t.check.eq("standard error lines", len(errors), 3)


@scenario("long lists and long lines are passed whole")
def long_lists(t):
    app = t.app("lists")
    params = ["-Dv%d=1" % i for i in range(150)] + ["-Dlong=" + "L" * 3000]
    jars = ["j%d.jar" % i for i in range(250)]
    arguments = ["a%d" % i for i in range(150)]
    app.config(*base_config(*["vmparam " + p for p in params], *["addjar " + j for j in jars],
                            *["argument " + a for a in arguments]))
    result = app.run()
    expect_one_child(t.check, result, cmdline=command_line(params, jars, arguments),
                     argv=[JAVA] + params + ["-classpath", ";".join(jars), MAIN] + arguments)
