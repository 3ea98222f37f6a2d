"""Scenarios about the application's own process: "appProcess on" (a copy of
the launcher loads the runtime's jli.dll, here the stand-in library, and
hands it the Java command line), its fall-backs to javaw.exe, the DLL search
inside the hosted runtime, "appUserModelId" in the child's STARTUPINFO and
"endWithLauncher" (the child in a job that ends with the launcher)."""
import json
import shutil
import threading
import time
from pathlib import Path

import wine
from expectations import JAVA, MAIN
from scenarios_modern import release
from scenarios_runtime import install_runtime
from suite import Skip, collector

SCENARIOS = []
scenario = collector(SCENARIOS)

STARTF_TITLEISLINKNAME = 0x800
STARTF_TITLEISAPPID = 0x1000
# What java.exe hands JLI_Launch besides the arguments, as javaw.exe.
LAUNCH_CALLS = ("InitArgProcessing(0,0) CmdToArgs GetStdArgc GetStdArgs "
                "Launch(jargc=0,jargv=null,appclassc=0,appclassv=null,fullversion=%s,"
                "dotversion=%s,pname=java,lname=java,javaargs=0,cpwildcard=1,javaw=%d,ergo=0)")


def stand_in_library(t, variant="cdecl"):
    """The stand-in jli.dll of the launcher's width (cdecl or stdcall)."""
    path = Path(t.launcher_exe).parent / "tests" / "e2e" / "programs" / ("jli_" + variant) / "jli.dll"
    if not path.exists():
        raise Skip("%s was not built" % path)
    return path


def hosted_app(t, name, library, console=False, lines=(), app_process=True, directory=None):
    """An application with a bundled runtime (the stand-in as javaw.exe and
    java.exe, `library` as its jli.dll, release 17.0.2), with appProcess on
    unless told otherwise."""
    app = t.app(name, console=console, directory=directory)
    home = app.path("jre")
    install_runtime(t.session, home)
    release(t.session, home, "17.0.2")
    if library is not None:
        shutil.copy(library, t.session.unix_path(home + "\\bin\\jli.dll"))
    app.lines = ["mainclass " + MAIN, "addpath lib\\a b.jar", "bundledRuntime jre",
                 "exitCode app", "logFile kite.log"] + list(lines)
    app.config(*app.lines + (["appProcess on"] if app_process else []))
    return app


def log_lines(t, app):
    path = t.session.unix_path(app.path("kite.log"))
    return path.read_text(encoding="utf-8", errors="replace").splitlines() if path.exists() else []


@scenario("appProcess on: the application runs in a copy of the launcher (relaunch on 999, "
          "exit code, arguments as the runtime executable gets them, no channel left)",
          smoke=True)
def hosted_runtime(t):
    variants = ["cdecl"] + (["stdcall"] if t.width == 32 else [])
    for variant in variants:
        app = hosted_app(t, "hosted_" + variant, stand_in_library(t, variant))
        args = ["one", "t w o", 'q"uote']
        env = {"KITE_STANDIN_ENV": "KITE_HOST_CHANNEL"}
        result = app.run(args, env=env, script=[(999, 0), (42, 0)])
        app.config(*app.lines)
        plain = app.run(args, env=env)
        what = "%s: " % variant
        t.check.eq(what + "launcher exit code", result.exit_code, 42)
        t.check.eq(what + "quick failures reported by the first launcher",
                   [box.text.splitlines()[-1] for box in result.boxes],
                   ["Error=999", "Error=42"])
        t.check.eq(what + "runs (relaunched on 999)", len(result.runs), 2)
        for run in result.runs:
            t.check.eq(what + "the hosting process", run["process"].lower(), app.exe.lower())
            t.check.eq(what + "library calls", run["jli"], LAUNCH_CALLS % ("17.0.2", "17.0.2", 1))
            t.check.eq(what + "channel variable", run["env"], {"KITE_HOST_CHANNEL": None})
        if plain.runs and result.runs:
            # The oracle: Windows' own splitting of the command line the
            # runtime executable gets without the key.
            t.check.eq(what + "arguments after the program",
                       result.runs[0]["argv"][1:], plain.runs[0]["argv"][1:])
            t.check.true(what + "the plain run is javaw.exe",
                         plain.runs[0]["process"].lower().endswith("\\jre\\bin\\javaw.exe"),
                         plain.runs[0]["process"])
        t.check.true(what + "the log says it is hosted", any(
            "application process: the launcher runs" in line for line in log_lines(t, app)),
            repr(log_lines(t, app)[-20:]))
    # The console variant hosts as java.exe does, and passes the code on.
    app = hosted_app(t, "hosted_console", stand_in_library(t), console=True)
    result = app.run(script=[(3, 0)])
    t.check.eq("console: exit code, library calls",
               (result.exit_code, [run["jli"] for run in result.runs]),
               (3, [LAUNCH_CALLS % ("17.0.2", "17.0.2", 0)]))


@scenario("appProcess on falls back to javaw.exe, saying why: debug mode, no jli.dll, a "
          "library of the other architecture, one without JLI_Launch, another runtime beside "
          "the launcher that the library would take")
def hosted_fallbacks(t):
    library = stand_in_library(t)
    other = bytearray(library.read_bytes())
    # The machine field of the COFF header: x86 <-> x64.
    pe = int.from_bytes(other[0x3C:0x40], "little")
    machine = int.from_bytes(other[pe + 4:pe + 6], "little")
    other[pe + 4:pe + 6] = (0x14C if machine == 0x8664 else 0x8664).to_bytes(2, "little")
    planted = Path(t.launcher_exe).parent / "tests" / "e2e" / "programs" / "planted_dll.dll"
    cases = [
        ("debug", library, ["-d"], "debug mode keeps java.exe", "java.exe"),
        ("missing", None, [], "jli.dll cannot be read", "javaw.exe"),
        ("arch", bytes(other), [], "is built for", "javaw.exe"),
        ("noexport", planted, [], "exports no JLI_Launch", "javaw.exe"),
        ("beside", library, [], "beside the launcher", "javaw.exe"),
    ]
    for name, source, args, why, program in cases:
        # A launcher in ...\beside\bin, another runtime in ...\beside\jre.
        directory = "C:\\apps\\beside\\bin" if name == "beside" else None
        app = hosted_app(t, "fallback_" + name, None, directory=directory)
        if directory:
            other_bin = t.session.unix_path("C:\\apps\\beside\\jre\\bin")
            other_bin.mkdir(parents=True, exist_ok=True)
            (other_bin / "java.dll").write_bytes(b"MZ")
        if isinstance(source, bytes):
            t.session.unix_path(app.path("jre\\bin\\jli.dll")).write_bytes(source)
        elif source is not None:
            shutil.copy(source, t.session.unix_path(app.path("jre\\bin\\jli.dll")))
        result = app.run(args, script=[(7, 0)])
        t.check.eq(name + ": exit code", result.exit_code, 7)
        t.check.eq(name + ": the runtime executable runs",
                   [run["process"].lower() for run in result.runs],
                   [app.path("jre\\bin\\" + program).lower()])
        lines = [line for line in log_lines(t, app) if "application process:" in line]
        t.check.true(name + ": one line says why", len(lines) == 1 and why in lines[0],
                     repr(lines))


@scenario("appProcess on: a DLL loaded by name in the hosted runtime is found in the runtime's "
          "bin folder, else through PATH (an env line)")
def hosted_dll_search(t):
    planted = Path(t.launcher_exe).parent / "tests" / "e2e" / "programs" / "planted_dll.dll"
    app = hosted_app(t, "hosted_dlls", stand_in_library(t),
                     lines=["env PATH=%KITE_APP_DIR%\\native;%PATH%"])
    shutil.copy(planted, t.session.unix_path(app.path("jre\\bin\\kiteprobe.dll")))
    app.mkdir("native")
    shutil.copy(planted, t.session.unix_path(app.path("native\\kiteprobe.dll")))
    env = {"KITE_STANDIN_LOADLIB": "kiteprobe.dll"}
    result = app.run(env=env)
    t.check.eq("found in the runtime's bin folder first",
               [(run["loaded"] or "").lower() for run in result.runs],
               [app.path("jre\\bin\\kiteprobe.dll").lower()])
    t.session.unix_path(app.path("jre\\bin\\kiteprobe.dll")).unlink()
    result = app.run(env=env)
    t.check.eq("then through PATH",
               [(run["loaded"] or "").lower() for run in result.runs],
               [app.path("native\\kiteprobe.dll").lower()])


@scenario("appUserModelId: the child's STARTUPINFO carries the ID (no link-name flag), "
          "hosted or not; endWithLauncher on: the child runs in a job")
def identity_and_job(t):
    ident = "Kite.Test.App"
    for hosted in (False, True):
        app = hosted_app(t, "identity_%d" % hosted, stand_in_library(t) if hosted else None,
                         lines=["appUserModelId " + ident, "endWithLauncher on"])
        result = app.run()
        t.check.eq("hosted %s: runs" % hosted, len(result.runs), 1)
        for run in result.runs:
            flags = run["startup_flags"]
            t.check.eq("hosted %s: the ID as STARTUPINFO title" % hosted,
                       (run["startup_title"], bool(flags & STARTF_TITLEISAPPID),
                        bool(flags & STARTF_TITLEISLINKNAME)), (ident, True, False))
            t.check.eq("hosted %s: in a job" % hosted, run["in_job"], True)
    app = hosted_app(t, "identity_none", None, app_process=False)
    result = app.run()
    t.check.eq("without the keys: no job, no ID",
               [(run["in_job"], run["startup_flags"] & STARTF_TITLEISAPPID) for run in result.runs],
               [(False, 0)])


@scenario("endWithLauncher: the launcher ended by its process id ends the application (with "
          "on, a process the application started survives; with tree it ends too); without "
          "the key the application runs on")
def end_with_launcher(t):
    for mode in ("on", "tree", None):
        app = t.app("endwith_%s" % mode)
        app.config("mainclass " + MAIN, "javapath " + JAVA,
                   *(["endWithLauncher " + mode] if mode else []))
        ended, spawned = app.output / "ended.txt", app.output / "spawned.jsonl"
        for path in (ended, spawned):
            path.unlink(missing_ok=True)
        records = app.output / "standin.jsonl"
        killed = []

        def kill_launcher():
            deadline = time.time() + 60
            while time.time() < deadline:
                if records.exists() and spawned.exists() and records.read_text().strip():
                    parent = json.loads(records.read_text().splitlines()[0])["parent"]
                    killed.append(t.session.run(
                        ["C:\\windows\\system32\\taskkill.exe", "/F", "/PID", str(parent)],
                        timeout=60))
                    return
                time.sleep(0.2)

        killer = threading.Thread(target=kill_launcher)
        killer.start()
        result = app.run(env={"KITE_STANDIN_ENDED": wine.dos_path(ended),
                              "KITE_STANDIN_SPAWN": wine.dos_path(spawned)},
                         script=[(0, 5000)])
        killer.join()
        time.sleep(7)
        t.check.eq("%s: the launcher was ended" % mode, killed, [0])
        own = [run["pid"] for run in result.runs]
        child = [json.loads(line)["pid"] for line in spawned.read_text().splitlines()] \
            if spawned.exists() else []
        lines = ended.read_text().split() if ended.exists() else []
        survivors = {int(word) for word in lines if word.isdigit()}
        t.check.eq("%s: which processes ran to their end (application, its child)" % mode,
                   [pid in survivors for pid in own + child],
                   {"on": [False, True], "tree": [False, False], None: [True, True]}[mode])


@scenario("a KITE_HOST_CHANNEL variable alone makes no hosting copy: the launcher starts the "
          "application as usual and the variable does not reach it")
def channel_variable_alone(t):
    app = t.app("channel_alone", console=True)
    app.config("mainclass " + MAIN, "javapath " + JAVA)
    for value in ("zz", "0", "4", "8", "c", "10", "ffffffff"):
        result = app.run(env={"KITE_HOST_CHANNEL": value, "KITE_STANDIN_ENV": "KITE_HOST_CHANNEL",
                              "KITE_STANDIN_ECHO": "1"},
                         script=[(5, 0)], pipes=True)
        t.check.eq("%s: exit code, the runtime started, its output" % value,
                   (result.exit_code, [run["env"] for run in result.runs],
                    "out 0" in result.stdout_lines),
                   (5, [{"KITE_HOST_CHANNEL": None}], True))
