"""Scenarios about the version window (javaMinVersion, javaMaxVersion,
javaDownloadUrl): runtimes that current installers register in either
registry view and hive, their release files, JAVA_HOME, the box when none
fits, kitecheck's report of the search, and that a configuration without a
window looks its runtime up exactly as before."""
import json
import re
import shutil
from dataclasses import dataclass
from pathlib import Path
from typing import Optional

from expectations import (EXIT_OK, EXIT_VERSION_UNRESOLVED, JAVA, MAIN, REGISTRY_BASE,
                          command_line, expect_error_box, expect_no_child, expect_one_child,
                          registry_access)
from scenarios_check import run_check
from scenarios_runtime import (IDNO, IDYES, NOT_FOUND, YES_NO_ERROR, install_runtime, java,
                               record_browser, wait_for_lines)
from suite import Skip, collector

SCENARIOS = []
scenario = collector(SCENARIOS)

HIVES = {"HKLM": "HKEY_LOCAL_MACHINE", "HKCU": "HKEY_CURRENT_USER"}
# HKEY_LOCAL_MACHINE as a relayed RegOpenKeyEx call shows it.
HKLM = 0x80000002
# Where each installer registers a runtime: the key of one runtime (its
# subkey name in place of %s) and the value that names its home.
VENDORS = {
    "javasoft-jre": ("SOFTWARE\\JavaSoft\\Java Runtime Environment\\%s", "JavaHome"),
    "javasoft-jdk": ("SOFTWARE\\JavaSoft\\JDK\\%s", "JavaHome"),
    "adoptium": ("SOFTWARE\\Eclipse Adoptium\\JDK\\%s\\hotspot\\MSI", "Path"),
    "microsoft": ("SOFTWARE\\Microsoft\\JDK\\%s\\hotspot\\MSI", "Path"),
    "zulu": ("SOFTWARE\\Azul Systems\\Zulu\\%s", "InstallationPath"),
    "liberica": ("SOFTWARE\\BellSoft\\Liberica\\%s", "InstallationPath"),
}
# Every key below SOFTWARE that the search reads, emptied in both hives and
# both views before a scenario registers its runtimes.
SEARCHED = ("JavaSoft", "Eclipse Adoptium", "AdoptOpenJDK", "Eclipse Foundation",
            "Microsoft\\JDK", "Semeru", "Azul Systems", "BellSoft")
DOWNLOAD_PAGE = "https://adoptium.net/temurin/releases/"
PROGRAM_FILES = "C:\\Program Files\\"


@dataclass(frozen=True)
class Runtime:
    vendor: str                    # a key of VENDORS
    subkey: str                    # the runtime's subkey name
    home: str
    release: Optional[str] = None  # JAVA_VERSION of its release file; None: no file
    view32: bool = False           # registered in the 32-bit view, else the 64-bit one
    hive: str = "HKLM"
    executable: bool = True        # bin\javaw.exe and bin\java.exe exist

    @property
    def key(self):
        return VENDORS[self.vendor][0] % self.subkey

    @property
    def base(self):
        """The installer's key that holds one subkey per runtime."""
        return VENDORS[self.vendor][0].split("\\%s")[0]

    @property
    def told_version(self):
        """The version the launcher reads for it and where from, as
        kitecheck reports them: its release file, else its subkey name when
        that is a version (the names here are versions when they hold only
        digits, dots and underscores)."""
        if self.release:
            return self.release, "release file"
        if re.fullmatch(r"[0-9._]+", self.subkey):
            return self.subkey, "key name"
        return None, None

    @property
    def source(self):
        """Where the launcher says it found the runtime."""
        return "%s %s-bit %s" % (self.hive, "32" if self.view32 else "64", self.key)


def registry_dump(session, app):
    """The searched keys of HKLM in both views, as "reg query" lists them."""
    text = []
    for view in ("/reg:64", "/reg:32"):
        for root in SEARCHED:
            out = app.output / "reg-query.txt"
            with open(out, "wb") as handle:
                session.run(["reg", "query", "HKEY_LOCAL_MACHINE\\SOFTWARE\\" + root, "/s", view],
                            stdout=handle, stderr=handle)
            text.append("%s %s:\n%s" % (view, root, out.read_text(errors="replace").strip()))
    return "\n".join(text)


def view_access(width, view32):
    """The access mask with which a launcher of `width` bits opens a key in
    the 32-bit or the 64-bit view: KEY_READ, plus the flag for the view that
    is not its own."""
    return registry_access(width) if view32 else 0x20019 | (0x100 if width == 32 else 0)


def install(session, runtimes, classic32=None, keys_only=()):
    """Empties every searched key, registers `runtimes` in their hives and
    views and puts their homes on disk (with a release file where they have
    one); registers `keys_only` too, leaving their homes as they are;
    `classic32` adds values to the classic runtime key in the 32-bit view
    (its CurrentVersion)."""
    # One import in the 64-bit view, where the 32-bit view of HKLM\SOFTWARE
    # is its subkey Wow6432Node: a single reg process, so no second import
    # can overlap with or follow the first out of order.
    def path(hive, key, view32):
        if view32:
            assert hive == "HKLM" and key.startswith("SOFTWARE\\")
            key = "SOFTWARE\\Wow6432Node\\" + key[len("SOFTWARE\\"):]
        return "%s\\%s" % (HIVES[hive], key)

    keys = {"-" + path(hive, "SOFTWARE\\" + root, view32): {}
            for hive in HIVES for root in SEARCHED for view32 in (False, True)
            if hive == "HKLM" or not view32}
    if classic32:
        keys[path("HKLM", REGISTRY_BASE, True)] = classic32
    for runtime in list(runtimes) + list(keys_only):
        keys[path(runtime.hive, runtime.key, runtime.view32)] = {
            VENDORS[runtime.vendor][1]: runtime.home}
    for runtime in runtimes:
        shutil.rmtree(session.unix_path(runtime.home), ignore_errors=True)
        session.unix_path(runtime.home).mkdir(parents=True)
        if runtime.executable:
            install_runtime(session, runtime.home)
        if runtime.release is not None:
            release(session, runtime.home, runtime.release)
    session.reg_import(keys)


def release(session, home, version):
    """Writes a release file as runtimes ship it."""
    text = ('IMPLEMENTOR="Kite Test"\nJAVA_RUNTIME_VERSION="%s+7"\nJAVA_VERSION="%s"\n'
            'JAVA_VERSION_DATE="2024-01-16"\n' % (version, version))
    (session.unix_path(home) / "release").write_bytes(text.replace("\n", "\r\n").encode())


_CANDIDATE = re.compile(r"^candidate \d+: (.*?): home (.*?), version .*: (taken|passed over, .*)$")


def traced_candidates(result):
    """(source, home, taken) of each candidate in a debug run's trace."""
    matches = [_CANDIDATE.match(line) for line in result.stdout_lines]
    return [(m.group(1), m.group(2), m.group(3) == "taken") for m in matches if m]


def started(t, result, home, what, console=False):
    """One child, started as the runtime in `home`; with `console` (debug
    mode) its console runtime, and the debug boxes are allowed."""
    if console:
        t.check.eq("launcher exit code", result.exit_code, EXIT_OK)
    else:
        expect_one_child(t.check, result)
    t.check.eq("runtime for " + what, [run["cmdline"] for run in result.runs],
               [command_line(java=java(home, console))])


def opened(result, path, access=None):
    """The results of the launcher's opens of `path` (with `access`, when
    given) under any key, in the order made."""
    return [o[3] for o in result.log.registry_opens
            if o[1] == path and (access is None or o[2] == access)]


# One runtime registered by a 64-bit installer, one by a 32-bit one.
IN_VIEW64 = Runtime("adoptium", "17.0.2.8",
                    PROGRAM_FILES + "Eclipse Adoptium\\jdk-17.0.2.8-hotspot", "17.0.2")
IN_VIEW32 = Runtime("zulu", "zulu-17", "C:\\Program Files (x86)\\Zulu\\zulu-17", "17.0.2",
                    view32=True)
IN_HKCU = Runtime("liberica", "17.0.2", "C:\\users\\Public\\liberica-17", "17.0.2", hive="HKCU")


@scenario("version window: a runtime in the 64-bit view only, then the 32-bit view only; "
          "between equal versions the first found", smoke=True)
def window_views(t):
    app = t.app("modernviews")
    app.config("mainclass " + MAIN, "javaMinVersion 11")
    for runtime in (IN_VIEW64, IN_VIEW32):
        install(t.session, [runtime])
        result = app.run(env={"JAVA_HOME": ""})
        started(t, result, runtime.home, runtime.source)
        # SOFTWARE of HKLM is opened in the 64-bit view, then in the 32-bit
        # one, each with its view's access mask; the installer's key below
        # it, in the order of the views (HKLM 64, HKLM 32, HKCU 64, HKCU 32),
        # is found in the runtime's view only.
        t.check.eq("HKLM\\SOFTWARE opens (access, result)",
                   [(o[2], o[3]) for o in result.log.registry_opens
                    if o[0] == HKLM and o[1] == "SOFTWARE"],
                   [(view_access(t.width, False), 0), (view_access(t.width, True), 0)])
        below = runtime.base[len("SOFTWARE\\"):]
        t.check.eq("opens of %s below SOFTWARE" % below, opened(result, below)[:2],
                   [2, 0] if runtime.view32 else [0, 2])
    # All of one version: HKLM's 64-bit view, its 32-bit view, then HKCU;
    # a home registered again (other spelling) or named by JAVA_HOME counts once.
    again = Runtime("javasoft-jdk", "17", IN_VIEW64.home.upper() + "\\", view32=True)
    install(t.session, [IN_VIEW64, IN_VIEW32, IN_HKCU], keys_only=[again])
    result = app.run(["-d"], env={"JAVA_HOME": IN_VIEW32.home})
    started(t, result, IN_VIEW64.home, "equal versions", console=True)
    t.check.eq("candidates (source, home, taken)", traced_candidates(result),
               [(IN_VIEW64.source, IN_VIEW64.home, True), (IN_VIEW32.source, IN_VIEW32.home, False),
                (IN_HKCU.source, IN_HKCU.home, False)])


# The access flags that name a registry view: KEY_WOW64_64KEY, KEY_WOW64_32KEY.
VIEW_FLAGS = 0x100 | 0x200
# The handles of HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE, where each view's
# search begins.
HIVE_HANDLES = (0x80000001, HKLM)


def view_searches(opens):
    """The launcher's registry opens grouped by the search of one hive and
    view: [(view flag of its first open, [(root, path, access, result) of
    every open]), ...].  A search begins with an open of a hive and opens
    only keys below it before the next begins."""
    searches = []
    for root, path, access, result in opens:
        if root in HIVE_HANDLES:
            searches.append((access & VIEW_FLAGS, []))
        if searches:
            searches[-1][1].append((root, path, access, result))
    return searches


@scenario("version window: every registry open in the other view carries the view's flag",
          smoke=True)
def window_view_flag(t):
    # Windows applies a view only to opens that ask for it: a key below one
    # opened in the other view is opened in the program's own view unless
    # the flag is passed again.  Wine follows the parent key, so only the
    # access masks tell.
    other = 0x100 if t.width == 32 else 0x200
    install(t.session, [IN_VIEW64, IN_VIEW32, IN_HKCU])
    app = t.app("modernflag")
    app.config("mainclass " + MAIN, "javaMinVersion 11")
    result = app.run(env={"JAVA_HOME": ""})
    started(t, result, IN_VIEW64.home, "three runtimes of one version")
    searches = [opens for flag, opens in view_searches(result.log.registry_opens)
                if flag == other]
    t.check.eq("searches in the other view (HKLM, HKCU)", len(searches), 2)
    t.check.eq("opens in the other view without its flag %#x" % other,
               ["%s (%#x)" % (o[1], o[2]) for opens in searches for o in opens
                if not o[2] & other], [])
    # The runtime registered in the other view is read there, key by key.
    runtime = IN_VIEW32 if t.width == 64 else IN_VIEW64
    below = runtime.key[len(runtime.base) + 1:]
    t.check.eq("opens of %s in the other view" % below,
               [(o[2] & other, o[3]) for opens in searches for o in opens if o[1] == below],
               [(other, 0)])


# Runtimes of several installers, with the window that picks each.
VENDOR_RUNTIMES = [
    IN_VIEW64,
    Runtime("zulu", "zulu-21", PROGRAM_FILES + "Zulu\\zulu-21", "21.0.1"),
    Runtime("microsoft", "11.0.21.9", PROGRAM_FILES + "Microsoft\\jdk-11.0.21.9-hotspot",
            "11.0.21"),
    Runtime("javasoft-jre", "1.8.0_151", "C:\\Program Files (x86)\\Java\\jre1.8.0_151",
            "1.8.0_151", view32=True),
    Runtime("javasoft-jdk", "19", PROGRAM_FILES + "Java\\jdk-19"),  # version from the key name
    Runtime("adoptium", "25.0.0.36", PROGRAM_FILES + "Eclipse Adoptium\\jdk-25", "25",
            executable=False),
    Runtime("zulu", "zulu-23", PROGRAM_FILES + "Zulu\\zulu-23"),  # version unknown
]
JAVA_HOME_22 = "C:\\tools\\jdk-22"


@scenario("version window: the highest fitting version among three vendors, release files, "
          "key names and JAVA_HOME")
def window_choice(t):
    install(t.session, VENDOR_RUNTIMES)
    shutil.rmtree(t.session.unix_path(JAVA_HOME_22), ignore_errors=True)
    install_runtime(t.session, JAVA_HOME_22)
    release(t.session, JAVA_HOME_22, "22")
    # The choice among candidates is the unit tests' (window_search_test);
    # here one launch reads every kind of entry as Windows gives it back:
    # each installer's key and value in either view, a release file or else
    # the key name, JAVA_HOME, and an executable that is missing.
    app = t.app("modernchoice")
    app.config("mainclass " + MAIN, "javaMinVersion 11")
    result = app.run(["-d"], env={"JAVA_HOME": JAVA_HOME_22})
    started(t, result, JAVA_HOME_22, "min 11, JAVA_HOME 22", console=True)
    outcomes = {m.group(2): m.group(3) for m in map(_CANDIDATE.match, result.stdout_lines) if m}
    homes = [runtime.home for runtime in VENDOR_RUNTIMES]
    t.check.eq("each candidate's outcome", outcomes, {
        homes[0]: "passed over, a higher version was found (22)",
        homes[1]: "passed over, a higher version was found (22)",
        homes[2]: "passed over, a higher version was found (22)",
        homes[3]: "passed over, version 8.0.151 is below the minimum 11",
        homes[4]: "passed over, a higher version was found (22)",  # 19, from its key name
        homes[5]: "passed over, bin\\java.exe does not exist",
        homes[6]: "passed over, version unknown",
        JAVA_HOME_22: "taken",
    })


@scenario("version window: none fits; Yes opens the default or the configured page, exit 5")
def window_none_fits(t):
    app = t.app("modernnone", display=True)
    session = app.session
    urls = record_browser(t, session)
    install(session, [IN_VIEW64])
    own_page = "https://downloads.example.com/java/runtime"
    rows = [  # configuration lines, answer, window in words, page opened
        (["appname Kite Test", "javaMinVersion 21"], "y", "Java 21 or later",
         DOWNLOAD_PAGE + "?version=21"),
        (["javaMaxVersion 11"], "y", "Java 11 or earlier", DOWNLOAD_PAGE),
        (["appname Kite Test", "javaMinVersion 18", "javaMaxVersion 20",
          "javaDownloadUrl " + own_page], "y", "Java 18 to 20", own_page),
        (["javaMinVersion 21", "javaMaxVersion 21"], "n", "Java 21", None),
        (["javaMinVersion 21", "javaDownloadUrl file:///C:/windows/notepad.exe"], "y",
         "Java 21 or later", None),
    ]
    pages = 0
    for lines, key, words, page in rows:
        app.config("mainclass " + MAIN, *lines)
        result = app.run(answers=[(NOT_FOUND, key)], env={"JAVA_HOME": ""})
        expect_no_child(t.check, result, EXIT_VERSION_UNRESOLVED)
        name = "Kite Test" if "appname Kite Test" in lines else MAIN
        t.check.eq("box for %s" % lines, [(b.text, b.caption, b.style, b.answer)
                                          for b in result.boxes],
                   [("%s requires %s, and no installed Java runtime fits.\nDo you want to open "
                     "the download page?" % (name, words), NOT_FOUND, YES_NO_ERROR,
                     IDYES if key == "y" else IDNO)])
        commands = [start[0] for start in result.process_starts]
        if page is None:
            t.check.eq("no page for %s" % lines, commands, [])
            continue
        pages += 1
        t.check.eq("page command for %s" % lines, commands,
                   ["C:\\windows\\system32\\rundll32.exe url.dll,FileProtocolHandler \"%s\""
                    % page])
        t.check.eq("pages opened so far", wait_for_lines(urls, pages)[-1:], [page])


@scenario("version window: a bound that is no version is an error, exit 5")
def window_bad_bound(t):
    app = t.app("modernbad")
    for line in ("javaMinVersion seventeen", "javaMaxVersion 1.6+"):
        app.config("mainclass " + MAIN, "javaMinVersion 11", line)
        result = app.run()
        expect_no_child(t.check, result, EXIT_VERSION_UNRESOLVED)
        expect_error_box(t.check, result, "Error", "%s sets %s, which is not a Java version"
                         % (app.path("App.config"), line))


@scenario("without a window, or with javapath or javaVersion, the runtime is found as before")
def window_unused(t):
    classic = Runtime("javasoft-jre", "1.6", "C:\\jre6", view32=True)
    install(t.session, [classic, IN_VIEW64, VENDOR_RUNTIMES[1]],
            classic32={"CurrentVersion": "1.6"})
    access = registry_access(t.width)
    classic_opens = [(HKLM, REGISTRY_BASE, access, 0), (HKLM, classic.key, access, 0)]
    rows = [  # configuration lines, runtime started, registry opens
        ([], java(classic.home), classic_opens),
        (["javapath " + JAVA, "javaMinVersion 17"], JAVA, []),
        (["javaVersion 1.6", "javaMaxVersion 21"], java(classic.home), None),
    ]
    app = t.app("modernunused")
    for lines, runtime, opens in rows:
        app.config("mainclass " + MAIN, *lines)
        result = app.run(env={"JAVA_HOME": IN_VIEW64.home})
        expect_one_child(t.check, result, cmdline=command_line(java=runtime))
        if opens is not None:
            t.check.eq("registry opens for %s" % lines, result.log.registry_opens, opens)
        else:
            t.check.eq("only the classic key, in the 32-bit view, for %s" % lines,
                       {(o[0], o[1].startswith(REGISTRY_BASE), o[2])
                        for o in result.log.registry_opens}, {(HKLM, True, access)})


@scenario("kitecheck.exe: the window, every candidate and the one taken")
def window_kitecheck(t):
    exe = Path(t.launcher_exe).parent / "kitecheck.exe"
    if not exe.exists():
        raise Skip("kitecheck.exe is not in this build (%s)" % exe.parent)
    shutil.copy(exe, t.session.unix_path("C:\\kite") / "kitecheck.exe")
    install(t.session, VENDOR_RUNTIMES)
    app = t.app("moderncheck")
    app.config("mainclass " + MAIN, "javaMinVersion 11", "javaMaxVersion 17")
    _, text, _ = run_check(t, app, ["--json", "--exe", app.exe], "json")
    try:
        searches = json.loads(text)["runtimeSearch"]["searches"]
    except (ValueError, KeyError) as error:
        t.check.true("JSON output with a runtime search", False, "%s: %r" % (error, text[:2000]))
        return
    t.check.eq("searches", len(searches), 1)
    search = searches[0]
    t.check.eq("window", search.get("window"), "Java 11 to 17")
    t.check.eq("runtime", search.get("runtime"), java(IN_VIEW64.home))
    expected = {r.source: (r.home, *r.told_version, r is IN_VIEW64) for r in VENDOR_RUNTIMES}
    found = {c["source"]: (c["home"], c["version"], c["versionFrom"], c["taken"])
             for c in search.get("candidates", []) if c["source"] != "JAVA_HOME"}
    t.check.eq("candidates", found, expected)
    if found != expected:  # what the registry held then, for the report
        t.check.true("registry as reg.exe shows it", False, registry_dump(t.session, app))
    t.check.true("a reason for each candidate passed over",
                 all(c["reason"] for c in search.get("candidates", []) if not c["taken"]),
                 repr(search.get("candidates")))
