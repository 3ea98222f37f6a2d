"""Scenarios about the application's environment and a runtime shipped with
it: KITE_APP_DIR and KITE_APP_EXE (in a value and in the application's
environment), "env" lines (a block of the launcher's own environment with
them applied, handed to CreateProcessW as Unicode), "bundledRuntime" (taken
with no search, or passed over for the usual lookup), Kite's own path
written with "/"; and what kitecheck.exe reports about them."""
import json
import shutil
from pathlib import Path

from expectations import MAIN, base_config, command_line, expect_one_child
from scenarios_check import run_check
from scenarios_modern import IN_VIEW64, install, release
from scenarios_runtime import install_runtime, java
from suite import Skip, collector

SCENARIOS = []
scenario = collector(SCENARIOS)

CREATE_UNICODE_ENVIRONMENT = 0x400
RECORDED = "KITE_APP_DIR,KITE_APP_EXE,PATH,APP_TITLE"


def recorded_env(env=None):
    """The run's environment, asking the stand-in to record the variables
    these scenarios look at."""
    return dict(env or {}, KITE_STANDIN_ENV=RECORDED)


@scenario("KITE_APP_DIR and KITE_APP_EXE: in a vmparam and in the application's environment; "
          "started as C:/.../App.exe; no env line: no environment block", smoke=True)
def app_variables(t):
    app = t.app("appvars")
    app.config(*base_config("vmparam -Dapp.dir=$KITE_APP_DIR"))
    for argv0 in (None, app.exe.replace("\\", "/")):
        result = app.run(argv0=argv0, env=recorded_env())
        child = expect_one_child(t.check, result, cwd=app.dir, cmdline=command_line(
            vm_params=["-Dapp.dir=" + app.dir.replace("\\", "/")]))
        if child:
            t.check.eq("variables seen by the application (argv0 %r)" % argv0,
                       [child["env"]["KITE_APP_DIR"], child["env"]["KITE_APP_EXE"]],
                       [app.dir, app.exe])
        # Without "env" lines the child inherits: creation flags 0, no block.
        t.check.eq("creation flags", [s[2] for s in result.process_starts], [0])


@scenario("env: PATH prepended with %KITE_APP_DIR% and %PATH%, a value with spaces, "
          "a Unicode block; the command line unchanged")
def env_lines(t):
    app = t.app("envlines")
    app.config(*base_config("env PATH=%KITE_APP_DIR%\\native;%PATH%",
                            "env APP_TITLE=My  App \u00e9t\u00e9 %NOT_SET%"))
    result = app.run(env=recorded_env())
    child = expect_one_child(t.check, result, cmdline=command_line())
    if child:
        path = child["env"]["PATH"] or ""
        prefix = app.dir + "\\native;"
        t.check.true("PATH begins with the application's native folder",
                     path.startswith(prefix), repr(path))
        t.check.true("then the launcher's own PATH",
                     "c:\\windows\\system32" in path[len(prefix):].lower(), repr(path))
        t.check.eq("a value with spaces, non-ASCII letters and an unknown reference",
                   child["env"]["APP_TITLE"], "My  App \u00e9t\u00e9 %NOT_SET%")
        t.check.eq("KITE_APP_DIR kept in the block", child["env"]["KITE_APP_DIR"], app.dir)
    t.check.eq("creation flags", [s[2] for s in result.process_starts],
               [CREATE_UNICODE_ENVIRONMENT])


@scenario("bundledRuntime: taken with no search; passed over (outside the window, not a "
          "program, missing) with the window's runtime taken and the reason traced")
def bundled_runtime(t):
    install(t.session, [IN_VIEW64])
    app = t.app("bundled")
    app.config("mainclass " + MAIN, "bundledRuntime jre", "javaMinVersion 17")
    home = app.path("jre")
    install_runtime(t.session, home)
    release(t.session, home, "17.0.2")
    result = app.run(env={"JAVA_HOME": ""})
    expect_one_child(t.check, result, cmdline=command_line(java=java(home)))
    t.check.eq("runtime keys opened with a bundled runtime",
               [o for o in result.log.registry_opens if "SOFTWARE" in (o[1] or "").upper()], [])

    release(t.session, home, "11.0.2")
    result = app.run(["-d"], env={"JAVA_HOME": ""})
    t.check.eq("outside the window: the window's runtime",
               [run["cmdline"] for run in result.runs],
               [command_line(java=java(IN_VIEW64.home, console=True))])
    t.check.true("the trace says why", any(
        line == "bundled runtime %s: passed over, its release file names 11.0.2, outside the "
        "window (Java 17 or later); looking for an installed runtime" % home
        for line in result.stdout_lines), repr(result.stdout_lines[:20]))

    # Windows would refuse to start it ("Bad EXE format").
    release(t.session, home, "17.0.2")
    for name in ("java.exe", "javaw.exe"):
        (t.session.unix_path(home + "\\bin") / name).write_bytes(b"not a program\r\n")
    result = app.run(["-d"], env={"JAVA_HOME": ""})
    t.check.eq("not a program: the window's runtime",
               [run["cmdline"] for run in result.runs],
               [command_line(java=java(IN_VIEW64.home, console=True))])
    t.check.true("the trace says why", any(
        line == "bundled runtime %s: passed over, bin\\java.exe cannot be started: it is not "
        "a Windows program; looking for an installed runtime" % home
        for line in result.stdout_lines), repr(result.stdout_lines[:20]))

    shutil.rmtree(t.session.unix_path(home + "\\bin"))
    result = app.run(env={"JAVA_HOME": ""})
    expect_one_child(t.check, result, cmdline=command_line(java=java(IN_VIEW64.home)))


@scenario("kitecheck.exe: a bundled runtime and env lines, as JSON and text", smoke=True)
def kitecheck_appenv(t):
    exe = Path(t.launcher_exe).parent / "kitecheck.exe"
    if not exe.exists():
        raise Skip("kitecheck.exe is not in this build (%s)" % exe.parent)
    shutil.copy(exe, t.session.unix_path("C:\\kite") / "kitecheck.exe")
    app = t.app("checkappenv")
    app.config("mainclass " + MAIN, "addjars lib", "bundledRuntime jre",
               "env PATH=%KITE_APP_DIR%\\native;%PATH%", "env BROKEN",
               "vmparam --module-path mods")
    app.write("lib/a.jar", b"PK")
    home = app.path("jre")
    install_runtime(t.session, home)
    code, text, _ = run_check(t, app, ["--json", "--exe", app.exe], "json")
    try:
        report = json.loads(text)
    except ValueError as error:
        t.check.true("JSON output", False, "%s: %r" % (error, text[:2000]))
        return
    t.check.eq("exit code (a warning)", code, 1)
    t.check.eq("findings", [(f["kind"], f["line"]) for f in report["findings"]],
               [("env-not-a-variable", 5)])
    searches = report["runtimeSearch"]["searches"]
    t.check.eq("the bundled runtime, taken",
               [(s.get("bundledRuntime"), s.get("taken"), s.get("runtime")) for s in searches],
               [("jre", True, java(home))])
    t.check.eq("runtime", (report["settings"]["runtime"]["path"],
                           report["settings"]["runtime"]["source"]),
               (java(home), "bundledRuntime"))
    environment = {e["name"]: e["value"] for e in report["applicationEnvironment"]}
    t.check.eq("KITE_APP_DIR", environment.get("KITE_APP_DIR"), app.dir)
    t.check.true("PATH prepended",
                 (environment.get("PATH") or "").startswith(app.dir + "\\native;"),
                 repr(environment))
    t.check.eq("env lines as written", [e["value"] for e in report["settings"]["environment"]],
               ["PATH=%KITE_APP_DIR%\\native;%PATH%", "BROKEN"])
    code, text, _ = run_check(t, app, ["--exe", app.exe], "text")
    for expected in ("  bundledRuntime jre (App.config:3): %s\\bin\\javaw.exe" % home,
                     "    -> taken: " + java(home),
                     "Application environment\n  KITE_APP_DIR=" + app.dir + "\n"):
        t.check.true("text shows %r" % expected, expected in text, text[:3000])
