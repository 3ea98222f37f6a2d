"""Security scenarios: what a launcher copied into a folder that others can
write to (Downloads, an unpacked archive) takes from that folder."""
import re
import shutil

import wine
from expectations import EXIT_NO_MAIN_CLASS, JAVA, expect_error_box, expect_no_child
from suite import collector

SCENARIOS = []
scenario = collector(SCENARIOS)

# The DLL that records its own loading (see programs/planted_dll.c), copied
# into the prefix from the build under test, so it has the launcher's width.
PLANTED_DLL = "C:\\kite\\planted_dll.dll"
# DLLs the launcher loads by name on demand while it shows a message box
# under Wine.  msimg32.dll is left out: Wine's own uxtheme loads it through a
# delay import that ignores the process's DLL search settings, so Wine would
# take it from the application's folder whatever the launcher does, which
# Windows does not.
PLANTED_NAMES = ("version.dll", "imm32.dll", "uxtheme.dll")
# Wine prefers its builtin DLLs; asking for native ones first makes it take a
# DLL it finds on the search path, as Windows does.
NATIVE_FIRST = "version,imm32,uxtheme=n,b"
# The call trace the runs always have, plus Wine's loader naming every DLL a
# process loads and where from.
WINEDEBUG_LOADS = wine.WINEDEBUG_RELAY + ",+loaddll"

_CHILD = re.compile(r"^kite-starter: child pid ([0-9a-f]+)")
_LOADED = re.compile(r'^([0-9a-f]{4}):[0-9a-f]{4}:trace:loaddll:\w+ Loaded L"(.*?)" at ')


def unrestricted_launcher(width):
    """Where run_e2e.py puts the launcher built without the DLL search
    restriction (target kite_unrestricted), of the width under test."""
    return "C:\\kite\\kite%d-unrestricted.exe" % width


def loaded_dlls(app):
    """The paths of the DLLs the launcher of the last run of `app` loaded, as
    Wine's loader reported them (the process the starter started only)."""
    lines = (app.output / "stderr.txt").read_bytes().decode("latin-1").splitlines()
    # The starter names its child once it runs, which may be after the
    # child's first lines.
    children = [match.group(1).lower() for match in map(_CHILD.match, lines) if match]
    paths = []
    for match in map(_LOADED.match, lines):
        if match and (not children or match.group(1) == children[0]):
            paths.append(match.group(2).replace("\\\\", "\\"))
    return paths


def in_folder(path, folder):
    return path.lower().startswith(folder.lower().rstrip("\\") + "\\")


def planted_app(t, name, launcher=None):
    """An application folder in the session with a display, whose
    configuration has no main class (so the launcher shows an error box and
    exits), holding a planted copy under each of PLANTED_NAMES; with
    `launcher` (a path in the prefix), that program is its App.exe."""
    app = t.app(name, display=True)
    if launcher is not None:
        shutil.copy(app.session.unix_path(launcher), app.unix_dir / app.exe_name)
    for planted in PLANTED_NAMES:
        shutil.copy(app.session.unix_path(PLANTED_DLL), app.unix_dir / planted)
    config = app.config("javapath " + JAVA)
    return app, config


def run_planted(t, app, config):
    """Runs the launcher of `app`, answering its box; returns the run and the
    lines of its marker file (None when no planted DLL was loaded)."""
    marker = app.output / "planted.txt"
    marker.unlink(missing_ok=True)
    overrides = app.session.env.get("WINEDLLOVERRIDES", "")
    env = {"KITE_PLANTED_MARKER": wine.dos_path(marker),
           "WINEDLLOVERRIDES": ";".join(part for part in (overrides, NATIVE_FIRST) if part),
           "WINEDEBUG": WINEDEBUG_LOADS}
    result = app.run(env=env, answers=[("Error", "Return")])
    expect_no_child(t.check, result, EXIT_NO_MAIN_CLASS)
    expect_error_box(t.check, result, "Error", config)
    lines = None
    if marker.exists():
        lines = marker.read_bytes().decode("latin-1").splitlines()
    return result, lines


@scenario("planted DLLs beside the launcher are never loaded "
          "(and are, by a launcher without the restriction)")
def planted_dlls(t):
    session = t.sessions.with_display()
    missing = [path for path in (PLANTED_DLL, unrestricted_launcher(t.width))
               if not session.unix_path(path).exists()]
    if missing:
        # Without them the scenario proves nothing; that must not pass.
        t.check.true("the helpers of this width are in the prefix", False,
                     "missing %s: build the targets planted_dll and kite_unrestricted"
                     % ", ".join(missing))
        return
    app, config = planted_app(t, "planted")
    _, marker = run_planted(t, app, config)
    t.check.eq("planted DLLs that wrote to the marker file", marker, None)
    loaded = loaded_dlls(app)
    t.check.eq("DLLs loaded from the application's folder",
               [path for path in loaded if in_folder(path, app.dir)
                and not path.lower().endswith(".exe")], [])
    # Only a run that loads these names at all shows where they are taken
    # from; the unrestricted launcher below shows the same for the marker.
    names = sorted({path.rsplit("\\", 1)[-1].lower() for path in loaded} & set(PLANTED_NAMES))
    t.check.true("the launcher loaded one of %s at all" % ", ".join(PLANTED_NAMES), names,
                 "loaded: %r" % loaded)

    # The same run by the launcher built without the restriction must load
    # planted DLLs; otherwise this scenario could not fail.
    app, config = planted_app(t, "planted-unrestricted", unrestricted_launcher(t.width))
    _, marker = run_planted(t, app, config)
    planted = [path for path in marker or []
               if in_folder(path, app.dir) and path.rsplit("\\", 1)[-1].lower() in PLANTED_NAMES]
    t.check.true("the unrestricted launcher loaded a planted DLL from %s" % app.dir, planted,
                 "marker file: %r, loaded: %r" % (marker, loaded_dlls(app)))
