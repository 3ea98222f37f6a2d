"""kitecheck.exe under Wine, against a real registry state: the settings and
the version search it reports, its findings and exit code, as JSON and as
text; and that it only reads (no message box, no process started).

kitecheck.exe is taken from the build directory of the launcher under test
(a smoke scenario: where 32-bit programs only run emulated each start takes
about a minute, so there are just two); a build without it skips the
scenario.
"""
import json
import shutil
from pathlib import Path

from expectations import (CHECK_ERRORS, EXIT_RUNTIME_MISSING, JAVA, MAIN, REGISTRY_BASE,
                          command_line, generous_timeout, registry_access)
import relay
import wine
from scenarios_runtime import set_registry
from suite import Skip, collector

SCENARIOS = []
scenario = collector(SCENARIOS)

INSTALLED = {"1.6": "C:\\jre\\1.6", "1.6.0_03": "C:\\jre\\1.6.0_03",
             "1.6.0_07": "C:\\jre\\1.6.0_07", "1.7.0_01": "C:\\jre\\1.7.0_01"}
CONFIG = (
    "# kitecheck end to end",
    "mainClass " + MAIN,                 # unknown key; nearest: mainclass
    "mainclass " + MAIN,
    "vmparameter -Xmx64m",               # a key only by its prefix
    "addjars lib",
    "addjars empty",                     # a directory without jars
    "addjar missing\\x.jar",             # does not exist
    "vmparam -Dhome=$KITE_CHECK_UNSET",  # variable not set
    "javaVersion 1.6",                   # found: 1.6.0_07
    "include absent.config",             # cannot be opened
    "javaVersion 1.6.0_10+",             # set twice, and no runtime reaches it
)
EXPECTED_KINDS = ["unknown-key", "key-prefix", "jar-directory-empty", "path-missing",
                  "variable-not-set", "file-not-opened", "key-set-twice", "runtime-not-found"]
SECTIONS = ["Files read", "Settings", "Runtime search", "Command line:", "Findings"]


def run_check(t, app, args, name):
    """Runs kitecheck.exe with `args`, keeping its output as <name>.out and
    <name>.err; returns (exit code, stdout, relay log)."""
    out_path, err_path = app.output / (name + ".out"), app.output / (name + ".err")
    with open(out_path, "wb") as out, open(err_path, "wb") as err:
        process = app.session.popen(["C:\\kite\\kitecheck.exe"] + args, stdout=out,
                                    stderr=err, winedebug=wine.WINEDEBUG_RELAY)
        code = wine.wait(process, generous_timeout(t))
    # Redirected, kitecheck writes UTF-8.
    text = out_path.read_bytes().decode("utf-8").replace("\r\n", "\n")
    log = relay.parse(err_path.read_bytes().decode("latin-1"))
    t.check.eq("message boxes shown by kitecheck", log.boxes, [])
    # Wine's own start of kitecheck.exe shows in the relay log of a 32-bit
    # run; any other start would be kitecheck's.
    t.check.eq("processes started by kitecheck",
               [s for s in log.process_starts if "kitecheck.exe" not in (s[0] or "")], [])
    return code, text, log


@scenario("kitecheck.exe: registry search, settings, findings, JSON and text", smoke=True)
def kitecheck(t):
    exe = Path(t.launcher_exe).parent / "kitecheck.exe"
    if not exe.exists():
        raise Skip("kitecheck.exe is not in this build (%s)" % exe.parent)
    session = t.session
    shutil.copy(exe, session.unix_path("C:\\kite") / "kitecheck.exe")
    set_registry(session, INSTALLED, current="1.7.0_01")
    app = t.app("check")
    app.write("lib/a.jar", b"PK")
    app.write("lib/b.jar", b"PK")
    app.mkdir("empty")
    app.config(*CONFIG)

    code, text, log = run_check(t, app, ["--json", "--exe", app.exe, "--", "one", "two words"],
                                "json")
    t.check.eq("exit code (errors)", code, CHECK_ERRORS)
    try:
        report = json.loads(text)
    except ValueError as error:
        t.check.true("JSON output", False, "%s: %r" % (error, text[:2000]))
        return
    t.check.eq("findings, file and line",
               [(f["kind"], f["file"], f["line"]) for f in report["findings"]],
               [(kind, app.path("App.config"), line) for kind, line in
                zip(EXPECTED_KINDS, [2, 4, 6, 7, 8, 10, 11, 11])])
    t.check.eq("files read", [(f["path"], f["depth"], f["opened"]) for f in report["files"]],
               [(app.path("App.config"), 0, True), (app.path("absent.config"), 1, False)])
    settings = report["settings"]
    t.check.eq("main class", settings["mainClass"]["value"], MAIN)
    t.check.eq("class path", sorted(e["value"] for e in settings["classPath"]),
               ["lib/a.jar", "lib/b.jar", "missing\\x.jar"])
    t.check.eq("arguments", [e["value"] for e in settings["arguments"]], ["one", "two words"])
    searches = report["runtimeSearch"]["searches"]
    t.check.eq("two version searches", [s["request"] for s in searches], ["1.6", "1.6.0_10+"])
    if len(searches) == 2:
        found, missing = searches
        t.check.eq("1.6 resolves to 1.6.0_07", (found["versionKey"], found["runtime"]),
                   ("1.6.0_07", '"C:\\jre\\1.6.0_07\\bin\\javaw.exe"'))
        t.check.eq("subkeys taken", {s["name"]: s["taken"] for s in found["subkeys"]},
                   {"1.6": False, "1.6.0_03": False, "1.6.0_07": True, "1.7.0_01": False})
        t.check.eq("1.6.0_10+ is recorded, not shown",
                   ([b["caption"] for b in missing["boxes"]], missing["launcherExitCode"]),
                   (["Incompatible JRE Version Found"], EXIT_RUNTIME_MISSING))
    line = report["commandLine"]
    t.check.eq("command line length", line["length"], len(line["text"]))
    # After the runtime (a placeholder here, as none is found): the settings
    # above, with the class path in the order the report lists it.
    after_runtime = command_line(["-Xmx64m", "-Dhome=$KITE_CHECK_UNSET"],
                                 [e["value"] for e in settings["classPath"]],
                                 ["one", "two words"])[len(JAVA):]
    t.check.true("command line after the runtime", line["text"].endswith(after_runtime),
                 "%r does not end in %r" % (line["text"], after_runtime))
    t.check.eq("registry opens (view access)", {o[2] for o in log.registry_opens},
               {registry_access(t.width)})
    t.check.true("registry read in the 32-bit view",
                 any(o[1] == REGISTRY_BASE and o[3] == 0 for o in log.registry_opens),
                 repr(log.registry_opens))

    code, text, _ = run_check(t, app, [app.path("App.config")], "text")
    t.check.eq("text: exit code", code, CHECK_ERRORS)
    positions = [text.find("\n" + section) for section in SECTIONS]
    t.check.true("text: sections in order", -1 not in positions and positions == sorted(positions),
                 text[:3000])
    t.check.true("text: the prompt is printed",
                 'box "Incompatible JRE Version Found"' in text, text[:3000])
    summary = "2 errors, 6 warnings (exit code %d)" % CHECK_ERRORS
    t.check.true("text: summary", text.rstrip().endswith(summary), text[-400:])
