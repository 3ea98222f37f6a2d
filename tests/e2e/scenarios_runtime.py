"""Scenarios about finding the runtime in the registry: the default runtime,
requested versions, the missing-runtime prompts and the download page."""
import os
import shutil

from expectations import (ERROR_STYLE, EXIT_NO_RUNTIME, EXIT_OK, EXIT_RUNTIME_MISSING,
                          EXIT_VERSION_UNRESOLVED, MAIN, REGISTRY_BASE, command_line,
                          expect_error_box, expect_no_child, expect_one_child,
                          registry_access)
import launch
from suite import collector

SCENARIOS = []
scenario = collector(SCENARIOS)

JAVASOFT = "HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft"
BASE = "HKEY_LOCAL_MACHINE\\" + REGISTRY_BASE
YES_NO_ERROR = 0x14
# A box's answer: the Yes and the No button.
IDYES = 6
IDNO = 7
NOT_FOUND = "Java Runtime Environment Not Found"
INCOMPATIBLE = "Incompatible JRE Version Found"
LATEST_PAGE = "https://www.java.com/en/download/download_the_latest.jsp"
OLD_PAGE = "https://java.sun.com/j2se/1.4.2/download.html"


def install_runtime(session, home):
    """Puts the stand-in at <home>\\bin as both javaw.exe and java.exe."""
    bin_dir = session.unix_path(home + "\\bin")
    bin_dir.mkdir(parents=True, exist_ok=True)
    for name in ("javaw.exe", "java.exe"):
        shutil.copy(session.unix_path(launch.STANDIN), bin_dir / name)


def set_registry(session, versions, current=None, decoy=True):
    """Replaces the JavaSoft keys: in the 32-bit view the runtimes named in
    `versions` ({subkey: JavaHome or None for a key without JavaHome}) and
    `current`; in the 64-bit view a decoy runtime that must never be used.
    The 64-bit view is written first: deleting a tree there also empties the
    32-bit view."""
    session.reg_import({BASE: {"CurrentVersion": "1.6"},
                        BASE + "\\1.6": {"JavaHome": "C:\\decoy64"}} if decoy else {},
                       view32=False, delete=[JAVASOFT])
    keys = {}
    if versions is not None:
        keys[BASE] = {"CurrentVersion": current} if current else {}
        for version, home in versions.items():
            keys[BASE + "\\" + version] = {"JavaHome": home} if home else {}
    session.reg_import(keys, view32=True, delete=[JAVASOFT])
    install_runtime(session, "C:\\decoy64")


def java(home, console=False):
    return '"%s\\bin\\%s"' % (home, "java.exe" if console else "javaw.exe")


@scenario("default runtime from the 32-bit view; the 64-bit view's decoy is never used",
          smoke=True)
def default_runtime(t):
    set_registry(t.session, {"1.6": "C:\\jre6"}, current="1.6")
    install_runtime(t.session, "C:\\jre6")
    app = t.app("registry")
    app.config("mainclass " + MAIN, "argument x")
    result = app.run()
    expect_one_child(t.check, result, cmdline=command_line(java=java("C:\\jre6"),
                                                           arguments=["x"]))
    t.check.eq("registry opens (view access)", {o[2] for o in result.log.registry_opens},
               {registry_access(t.width)})


@scenario("default runtime: a home with spaces, and the console runtime in debug mode")
def default_runtime_paths(t):
    home = "C:\\Program Files\\Java\\jre1.6.0_07"
    set_registry(t.session, {"1.6": home}, current="1.6")
    install_runtime(t.session, home)
    app = t.app("registrypaths")
    app.config("mainclass " + MAIN, "consoleTitle Kite test")
    result = app.run()
    child = expect_one_child(t.check, result, cmdline=command_line(java=java(home)))
    if child:
        t.check.eq("child argv[0]", child["argv"][0], home + "\\bin\\javaw.exe")
    result = app.run(["-d"])
    t.check.eq("debug mode starts the console runtime",
               [run["cmdline"] for run in result.runs],
               [command_line(java=java(home, console=True))])
    if result.runs:
        t.check.eq("console title", result.runs[0]["startup_title"], "Kite test")


@scenario("default runtime: each registry failure has its box and exit 7")
def default_runtime_failures(t):
    app = t.app("registryfail")
    app.config("mainclass " + MAIN)
    cases = [
        ({}, None, "No Java Installation Found"),
        ({"1.6": "C:\\jre6"}, "1.7", "No Java Installation (No Current Version) Found"),
        ({"1.6": None}, "1.6", "No Java Installation Home Directory Found"),
    ]
    for versions, current, text in cases:
        set_registry(t.session, versions, current)
        result = app.run()
        expect_no_child(t.check, result, EXIT_NO_RUNTIME)
        t.check.eq("boxes for %s" % text, [(b.text, b.caption, b.style) for b in result.boxes],
                   [(text, "Error!", ERROR_STYLE)])


@scenario("javaVersion: exact, family and minimum patch level against 1.6, 1.6.0_03, 1.6.0_07")
def requested_versions(t):
    installed = {"1.6": "C:\\jre\\1.6", "1.6.0_03": "C:\\jre\\1.6.0_03",
                 "1.6.0_07": "C:\\jre\\1.6.0_07"}
    set_registry(t.session, installed)
    for home in installed.values():
        install_runtime(t.session, home)
    app = t.app("versions")
    rows = [  # request, runtime home or None, prompt caption, exit code
        ("1.6", "C:\\jre\\1.6.0_07", None, EXIT_OK),
        ("1.6.0_05+", "C:\\jre\\1.6.0_07", None, EXIT_OK),
        ("1.6.0_03", "C:\\jre\\1.6.0_03", None, EXIT_OK),
        ("1.6.0_10+", None, INCOMPATIBLE, EXIT_RUNTIME_MISSING),
        ("1.6.0_04", None, NOT_FOUND, EXIT_VERSION_UNRESOLVED),
        ("1.5", None, NOT_FOUND, EXIT_VERSION_UNRESOLVED),
    ]
    for request, home, caption, code in rows:
        app.config("appname Kite Test", "mainclass " + MAIN, "javaVersion " + request)
        result = app.run()
        if home:
            expect_one_child(t.check, result, cmdline=command_line(java=java(home)),
                             exit_code=code)
            continue
        expect_no_child(t.check, result, code)
        t.check.eq("prompt for %s" % request,
                   [(b.text, b.caption, b.style) for b in result.boxes],
                   [("Kite Test requires the Java Runtime Environment version %s\n"
                     "Do you want to download it?" % request, caption, YES_NO_ERROR)])
    # The search writes its trace lines even outside debug mode.
    app.config("mainclass " + MAIN, "javaVersion 1.6.0_05+")
    result = app.run()
    t.check.true("search traces", "found latest java version 1.6.0_07" in result.stdout_lines,
                 repr(result.stdout_lines))


@scenario("javaVersion failures: no base key (exit 11), no JavaHome (exit 5)")
def requested_version_failures(t):
    app = t.app("versionfail")
    set_registry(t.session, None)
    app.config("mainclass " + MAIN, "javaVersion 1.6")
    result = app.run()
    expect_no_child(t.check, result, EXIT_RUNTIME_MISSING)
    t.check.eq("prompt", [(b.caption, b.style) for b in result.boxes],
               [(NOT_FOUND, YES_NO_ERROR)])

    set_registry(t.session, {"1.6.0_07": None})
    app.config("mainclass " + MAIN, "javaVersion 1.6.0_07")
    result = app.run()
    expect_no_child(t.check, result, EXIT_VERSION_UNRESOLVED)
    expect_error_box(t.check, result, "Error!",
                     "No Java Home Directory Found for %s\\1.6.0_07 " % REGISTRY_BASE)


def record_browser(t, session):
    """Points Wine's browser at a script that appends each address it is
    given to a file; returns that file."""
    urls = session.root / "urls.txt"
    urls.write_text("")
    script = session.root / "record-url.sh"
    script.write_text('#!/bin/sh\nprintf "%%s\\n" "$*" >> "%s"\n' % urls)
    os.chmod(script, 0o755)
    session.reg_import({"HKEY_CURRENT_USER\\Software\\Wine\\WineBrowser":
                        {"Browsers": str(script)}})
    return urls


def wait_for_lines(path, count, seconds=60):
    import time
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        lines = path.read_text().split()
        if len(lines) >= count:
            return lines
        time.sleep(0.5)
    return path.read_text().split()


@scenario("missing-runtime prompt: Yes opens the family's download page, No opens none")
def download_page(t):
    app = t.app("download", display=True)
    session = app.session
    urls = record_browser(t, session)
    set_registry(session, {"1.6": "C:\\jre6"})
    rows = [  # request, answer, caption, exit code, page
        ("1.5.0_11+", "y", INCOMPATIBLE, EXIT_RUNTIME_MISSING, LATEST_PAGE),
        ("1.4.2_19", "y", NOT_FOUND, EXIT_VERSION_UNRESOLVED, OLD_PAGE),
        ("1.5.0_11+", "n", INCOMPATIBLE, EXIT_RUNTIME_MISSING, None),
        ("1.6.0_99", "y", NOT_FOUND, EXIT_VERSION_UNRESOLVED, None),
    ]
    opened = 0
    for request, key, caption, code, page in rows:
        app.config("mainclass " + MAIN, "javaVersion " + request)
        result = app.run(answers=[(caption, key)])
        expect_no_child(t.check, result, code)
        t.check.eq("answer to %s" % request, [b.answer for b in result.boxes],
                   [IDYES if key == "y" else IDNO])
        starts = [s[0] for s in result.process_starts]
        if page:
            opened += 1
            t.check.eq("page command for %s" % request, starts,
                       ["C:\\windows\\system32\\rundll32.exe url.dll,FileProtocolHandler "
                        "\"%s\"" % page])
            t.check.eq("pages opened so far", wait_for_lines(urls, opened)[-1:], [page])
        else:
            t.check.eq("no page for %s" % request, starts, [])
