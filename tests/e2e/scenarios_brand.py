"""Scenarios about kitebrand: a branded copy of the launcher starts the
runtime exactly as an unbranded one does; Windows reads the new version
resource, manifest and icons (programs/versioninfo.c); and kitebrand.exe
under Wine writes the same bytes as the host kitebrand.

The branded copies are made by the host kitebrand the runner was given
(--kitebrand); without it these scenarios are skipped.
"""
import json
import shutil
import subprocess
import sys
from pathlib import Path

import wine
from expectations import EXIT_OK, base_config, command_line, expect_one_child, generous_timeout
from suite import Skip, collector

# The brand tests' icon writer, imported from their folder without leaving a
# compiled file there.
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "brand"))
_keep_bytecode, sys.dont_write_bytecode = sys.dont_write_bytecode, True
import icons  # noqa: E402
sys.dont_write_bytecode = _keep_bytecode

SCENARIOS = []
scenario = collector(SCENARIOS)

VERSIONINFO = "C:\\kite\\versioninfo.exe"
KITEBRAND = "C:\\kite\\kitebrand.exe"
EXE = "MyApp.exe"
NAME, VERSION, COMPANY = "My App", "2.3.1", "Example Ltd"
DESCRIPTION = "Café Ελληνικά"
COPYRIGHT = "(C) 2026 Example Ltd"
# The configuration kitebrand checks and writes beside the branded copy.
CONFIG = base_config("addjar app.jar", "vmparam -Xmx64m", "argument last")
ARGUMENTS = ["one", "two words"]
# A folder name for kitebrand.exe's output: a space and text beyond ASCII.
OUTPUT_FOLDER = "Café Ελληνικά"


# The main icon (group 101) as (size, image): bitmaps and a PNG.
ICON = [(16, icons.bitmap_image(16, (0, 0, 255, 255))),
        (32, icons.bitmap_image(32, (0, 255, 0, 255))),
        (256, icons.png_image(256, (255, 0, 0, 255)))]
# Another icon group, new in the branded copy.
GROUP = 120
GROUP_ICON = [(48, icons.bitmap_image(48, (9, 9, 9, 128)))]


def host_kitebrand(t):
    if t.kitebrand is None:
        raise Skip("no host kitebrand given")
    return t.kitebrand


def in_prefix(t, path, target):
    """True when the helper `path` is in the prefix; else a failure naming
    the build target that makes it."""
    present = t.session.unix_path(path).exists()
    t.check.true("%s is in the prefix" % path, present, "build the target %s" % target)
    return present


class Inputs:
    """A folder C:\\brand\\<name> in the prefix holding the launcher under
    test, the .ico files and the configuration, for either kitebrand."""

    def __init__(self, t, name):
        self.dir = "C:\\brand\\" + name
        self.unix_dir = t.session.unix_path(self.dir)
        shutil.rmtree(self.unix_dir, ignore_errors=True)
        self.unix_dir.mkdir(parents=True)
        self.output = t.session.root / "runs" / ("brand-" + name)
        self.output.mkdir(parents=True, exist_ok=True)
        self.launcher = t.launcher_exe.name
        shutil.copy(t.launcher_exe, self.unix_dir / self.launcher)
        self.write("app.ico", icons.ico_file(ICON))
        self.write("group.ico", icons.ico_file(GROUP_ICON))
        self.write("MyApp.config", "".join(line + "\r\n" for line in CONFIG).encode("utf-8"))

    def write(self, name, data):
        (self.unix_dir / name).write_bytes(data)

    def options(self, windows):
        """kitebrand's options, naming the inputs as Windows (`windows`) or
        the host sees them."""
        def path(name):
            return self.dir + "\\" + name if windows else str(self.unix_dir / name)
        return ["--icon", path("app.ico"), "--icon-group", "%d=%s" % (GROUP, path("group.ico")),
                "--name", NAME, "--version", VERSION, "--company", COMPANY,
                "--description", DESCRIPTION, "--copyright", COPYRIGHT, "--elevate",
                "--config", path("MyApp.config")]

    def host_brand(self, t, output):
        """Brands the launcher into `output` (a host path) with the host
        kitebrand; returns its standard output lines, or None on failure."""
        output.parent.mkdir(parents=True, exist_ok=True)
        done = subprocess.run([str(host_kitebrand(t)), "--from", str(self.unix_dir / self.launcher),
                               "--out", str(output)] + self.options(windows=False),
                              capture_output=True)
        t.check.true("host kitebrand exits with 0", done.returncode == 0, "exit code %d: %s" % (
            done.returncode, done.stderr.decode("utf-8", "replace")))
        return done.stdout.decode("utf-8").splitlines() if done.returncode == 0 else None

    def run(self, t, name, args):
        """Runs a console program of the prefix; returns its exit code and
        its standard output and error lines (UTF-8)."""
        out, err = self.output / (name + ".out"), self.output / (name + ".err")
        with open(out, "wb") as stdout, open(err, "wb") as stderr:
            process = t.session.popen(args, stdout=stdout, stderr=stderr)
            code = wine.wait(process, generous_timeout(t))
        return code, *(path.read_bytes().decode("utf-8", "backslashreplace").splitlines()
                       for path in (out, err))


def version_info(t, inputs, path, name):
    """What versioninfo.exe reads from `path` (a Windows path), or None."""
    code, out, err = inputs.run(t, name, [VERSIONINFO, path])
    t.check.eq("versioninfo exit code for %s" % path, code, 0)
    try:
        return json.loads("\n".join(out)) if code == 0 else None
    except ValueError as error:
        t.check.true("versioninfo output is JSON", False, "%s: %r %r" % (error, out, err))
        return None


@scenario("branded copy starts the runtime as an unbranded one: same command line, exit code, "
          "no box")
def branded_launch(t):
    inputs = Inputs(t, "launch")
    plain = t.app("brand-plain")
    plain.config(*CONFIG)
    branded = t.app("brand-branded", exe_name=EXE)
    if inputs.host_brand(t, branded.unix_dir / EXE) is None:
        return
    t.check.eq("configuration kitebrand wrote beside the copy",
               (branded.unix_dir / "MyApp.config").read_bytes(),
               (inputs.unix_dir / "MyApp.config").read_bytes())
    expected = command_line(["-Xmx64m"], ["app.jar"], ARGUMENTS + ["last"])
    results, children = [], []
    for app in (plain, branded):
        app.write("app.jar", b"PK")
        results.append(app.run(ARGUMENTS))
        children.append(expect_one_child(t.check, results[-1], cmdline=expected, cwd=app.dir,
                                         exit_code=EXIT_OK))
        t.check.eq("%s: standard output and error" % app.exe_name,
                   (results[-1].stdout_lines, results[-1].stderr_lines), ([], []))
    t.check.eq("CreateProcess calls, branded and unbranded", results[1].process_starts,
               results[0].process_starts)
    if all(children):
        t.check.eq("child argv, branded and unbranded", children[1]["argv"], children[0]["argv"])


@scenario("branded copy: version resource, manifest and icons as Windows reads them")
def branded_resources(t):
    inputs = Inputs(t, "resources")
    if not in_prefix(t, VERSIONINFO, "versioninfo") or \
            inputs.host_brand(t, inputs.unix_dir / EXE) is None:
        return
    plain = version_info(t, inputs, inputs.dir + "\\" + inputs.launcher, "plain")
    branded = version_info(t, inputs, inputs.dir + "\\" + EXE, "branded")
    if plain is None or branded is None:
        return
    # The launcher's own version, which Comments keeps.
    kite = plain["strings"].get("FileVersion")
    t.check.eq("unbranded Comments", plain["strings"].get("Comments"), "Kite launcher %s" % kite)
    t.check.eq("fixed versions", branded["fixed"],
               {"fileVersion": VERSION + ".0", "productVersion": VERSION + ".0"})
    t.check.eq("translation", branded["translation"], plain["translation"])
    t.check.eq("version strings", branded["strings"], {
        "ProductName": NAME, "FileDescription": DESCRIPTION, "CompanyName": COMPANY,
        "LegalCopyright": COPYRIGHT, "FileVersion": VERSION, "ProductVersion": VERSION,
        "OriginalFilename": EXE, "InternalName": EXE[:-4], "Comments": "Kite launcher %s" % kite})
    manifest = plain["manifest"] or ""
    t.check.true("unbranded manifest asks for no elevation", 'level="asInvoker"' in manifest)
    t.check.eq("manifest", branded["manifest"],
               manifest.replace('level="asInvoker"', 'level="requireAdministrator"'))
    t.check.eq("icon group 101 (width, height, bytes, decoded)",
               [(i["width"], i["height"], i["size"], i["decoded"]) for i in branded["icons"]],
               [(size, size, len(image), True) for size, image in ICON])


@scenario("kitebrand.exe under Wine writes the same bytes as the host kitebrand", smoke=True)
def windows_kitebrand(t):
    inputs = Inputs(t, "same")
    host_lines = inputs.host_brand(t, inputs.unix_dir / "host" / EXE)
    if not in_prefix(t, KITEBRAND, "kitebrand") or host_lines is None:
        return
    folder = inputs.dir + "\\" + OUTPUT_FOLDER
    written = inputs.unix_dir / OUTPUT_FOLDER
    written.mkdir()
    # A link planted under the first name kitebrand.exe would write to,
    # pointing at its input: created only where nothing has the name, the
    # new file goes elsewhere and the input stays as it is.
    planted = EXE + ".kitebrand-new-1"
    (written / planted).symlink_to(inputs.unix_dir / inputs.launcher)
    source, output = inputs.dir + "\\" + inputs.launcher, folder + "\\" + EXE
    code, out, err = inputs.run(t, "kitebrand", [KITEBRAND, "--from", source, "--out", output]
                                + inputs.options(windows=True))
    t.check.eq("kitebrand.exe exit code", code, 0)
    files = sorted(path.name for path in written.iterdir())
    t.check.eq("files written", files, sorted([EXE, "MyApp.config", planted]))
    t.check.eq("the input, behind the planted link", (written / planted).read_bytes(),
               t.launcher_exe.read_bytes())
    if EXE not in files:
        t.check.true("kitebrand.exe wrote %s" % output, False, repr(err))
        return
    host, wine_made = (inputs.unix_dir / "host" / EXE).read_bytes(), (written / EXE).read_bytes()
    t.check.true("kitebrand.exe and the host kitebrand wrote the same bytes", host == wine_made,
                 "%d and %d bytes, first difference at %s" % (
                     len(host), len(wine_made),
                     next((i for i, (a, b) in enumerate(zip(host, wine_made)) if a != b), "end")))
    t.check.eq("configuration beside the copy", (written / "MyApp.config").read_bytes(),
               (inputs.unix_dir / "MyApp.config").read_bytes())
    size = (inputs.unix_dir / inputs.launcher).stat().st_size
    t.check.eq("kitebrand.exe's report", out, [
        "kitebrand: %s (%d bytes) from %s (%d bytes)" % (output, len(wine_made), source, size)]
        + host_lines[1:-1] + ["  configuration: %s\\MyApp.config (checked)" % folder])

    # A refusal leaves every file as it was, an earlier copy included, and
    # no file of its own: one row for input refused before anything is
    # written, one for a configuration that cannot take its place after
    # both new files are complete.
    inputs.write("truncated.ico", icons.ico_file(ICON)[:200])
    refusals = [("truncated .ico", ["--icon", inputs.dir + "\\truncated.ico"], None),
                ("a folder named like the configuration",
                 ["--config", inputs.dir + "\\MyApp.config"], "Refused.config")]
    for label, options, folder_name in refusals:
        for path in inputs.unix_dir.glob("Refused*"):
            (path.rmdir if path.is_dir() else path.unlink)()
        inputs.write("Refused.exe", b"earlier copy")
        if folder_name:
            (inputs.unix_dir / folder_name).mkdir()
        before = sorted(path.name for path in inputs.unix_dir.glob("Refused*"))
        code, out, err = inputs.run(t, "refused", [
            KITEBRAND, "--from", source, "--out", inputs.dir + "\\Refused.exe"] + options)
        t.check.eq("%s: exit code" % label, code, 2)
        t.check.true("%s: a message" % label,
                     any(line.startswith("kitebrand: ") for line in err), repr(err))
        t.check.eq("%s: files" % label,
                   sorted(path.name for path in inputs.unix_dir.glob("Refused*")), before)
        earlier = (inputs.unix_dir / "Refused.exe").read_bytes()
        t.check.true("%s: the earlier copy is kept" % label, earlier == b"earlier copy",
                     "%d bytes: %r" % (len(earlier), earlier[:20]))
