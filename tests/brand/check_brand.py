#!/usr/bin/env python3
"""Brands a real Kite launcher (kite32/64.exe or the console kitec32/64.exe) with kitebrand and checks it.

  python3 tests/brand/check_brand.py --kitebrand build/host/kitebrand \
      --exe dist/kite64.exe --width 64 --work build/brand-check

Makes its own .ico files in WORK, brands the launcher with an icon, another
icon group, a name, version, company, description, copyright and --elevate,
and reads the result back with wrestool (icoutils) and tests/release/pe.py:
the icon groups, the untouched sections, the headers and the checksum.  Then
checks that a branded file brands again, and that an .ico whose entries all
point at one large image is refused at once with little memory.  Prints one
PASS/FAIL line per check and a closing "N passed, M failed" line; exits 1
when anything failed.
"""
import argparse
import importlib.util
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import threading
import time
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))
from icons import bitmap_image, ico_file, png_image  # noqa: E402
_PE_PATH = Path(__file__).resolve().parents[1] / "release" / "pe.py"
_spec = importlib.util.spec_from_file_location("kite_release_pe", _PE_PATH)
pe = importlib.util.module_from_spec(_spec)
_spec.loader.exec_module(pe)

WIDTHS = {"32": 0x14C, "64": 0x8664}
NAME = "My App"
VERSION = "2.3.1"
COMPANY = "Example Ltd"
DESCRIPTION = "Café Ελληνικά"
COPYRIGHT = "(C) 2026 Example Ltd"
OUTPUT = "MyApp.exe"
NEW_GROUP = 120  # not among the launcher's own groups


# Reading the output -------------------------------------------------------

def wrestool(path, kind, name=None):
    command = ["wrestool", "-x", "--raw", "-t", str(kind)]
    if name is not None:
        command += ["-n", str(name)]
    result = subprocess.run(command + [str(path)], capture_output=True, check=True)
    return result.stdout


def pe_checksum(data, field):
    zeroed = data[:field] + b"\0\0\0\0" + data[field + 4:]
    if len(zeroed) % 2:
        zeroed += b"\0"
    total = 0
    for word in struct.unpack("<%dH" % (len(zeroed) // 2), zeroed):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    return ((total & 0xFFFF) + (total >> 16) + len(data)) & 0xFFFFFFFF


def section_bytes(exe, section):
    return exe.data[section.raw_offset:section.raw_offset + section.raw_size]


def group_images(path, group):
    """The RT_ICON images group `group` of `path` lists, by wrestool."""
    ids = [ident for _, _, ident in pe.icon_group(wrestool(path, 14, group))]
    return [wrestool(path, 3, ident) for ident in ids]


def version_strings(path):
    return pe.version_strings(pe.version_info(wrestool(path, 16)))


# Checks -------------------------------------------------------------------

class Run:
    def __init__(self, options):
        self.options = options
        self.work = Path(options.work)
        self.input = Path(options.exe)
        self.icon = [(16, bitmap_image(16, (0, 0, 255, 255))),
                     (32, bitmap_image(32, (0, 255, 0, 255))),
                     (256, png_image(256, (255, 0, 0, 255)))]
        self.other = [(48, bitmap_image(48, (9, 9, 9, 128)))]
        self.paths = {}
        for name, images in (("app.ico", self.icon), ("other.ico", self.other),
                             ("small.ico", self.icon[:1])):
            self.paths[name] = self.work / name
            self.paths[name].write_bytes(ico_file(images))
        self.output = self.work / "first" / OUTPUT

    def brand(self, source, output, *extra):
        output.parent.mkdir(parents=True, exist_ok=True)
        return subprocess.run([self.options.kitebrand, "--from", str(source),
                               "--out", str(output)] + list(extra),
                              capture_output=True, text=True)

    def full_options(self):
        return ["--icon", str(self.paths["app.ico"]),
                "--icon-group", "%d=%s" % (NEW_GROUP, self.paths["other.ico"]),
                "--name", NAME, "--version", VERSION, "--company", COMPANY,
                "--description", DESCRIPTION, "--copyright", COPYRIGHT, "--elevate"]


def check_branding_runs(run):
    result = run.brand(run.input, run.output, *run.full_options())
    if result.returncode != 0:
        return ["exit code %d: %s" % (result.returncode, result.stderr.strip())]
    lines = [line.strip() for line in result.stdout.splitlines()]
    expected = ["icon group 101: 3 images (16x16, 32x32, 256x256 PNG)",
                "ProductName: Kite -> " + NAME,
                "manifest: asInvoker -> requireAdministrator"]
    return ["no change line %r in %r" % (line, lines) for line in expected if line not in lines]


def check_icons(run):
    """The groups and images around group 101, which the Wine scenarios see
    as Windows does."""
    failures = []
    source, branded = pe.PeFile(run.input.read_bytes()), pe.PeFile(run.output.read_bytes())
    if group_images(run.output, NEW_GROUP) != [data for _, data in run.other]:
        failures.append("new icon group %d does not hold its .ico's images" % NEW_GROUP)
    old_groups = sorted(ident for kind, ident in source.resources() if kind == pe.RT_GROUP_ICON)
    for group in old_groups:
        if group != 101 and group_images(run.output, group) != group_images(run.input, group):
            failures.append("icon group %d changed" % group)
    resources = branded.resources()
    listed = set()
    for (kind, ident), data in resources.items():
        if kind == pe.RT_GROUP_ICON:
            listed.update(image for _, _, image in pe.icon_group(data))
    present = {ident for kind, ident in resources if kind == pe.RT_ICON}
    if present != listed:
        failures.append("RT_ICON ids %s, groups list %s" % (sorted(present), sorted(listed)))
    return failures


def changed_sections(source, branded):
    """A failure for each section other than .rsrc whose bytes differ."""
    return ["section %s changed" % old.name
            for old, new in zip(source.sections, branded.sections)
            if old.name != ".rsrc" and section_bytes(source, old) != section_bytes(branded, new)]


def check_sections(run):
    source, branded = pe.PeFile(run.input.read_bytes()), pe.PeFile(run.output.read_bytes())
    if [s.name for s in source.sections] != [s.name for s in branded.sections]:
        return ["sections %s became %s" % ([s.name for s in source.sections],
                                           [s.name for s in branded.sections])]
    failures = changed_sections(source, branded)
    for old, new in zip(source.sections, branded.sections):
        if old.name == ".rsrc":
            break
        if (old.rva, old.raw_offset) != (new.rva, new.raw_offset):
            failures.append("section %s moved" % old.name)
    return failures


def check_headers(run):
    data = run.output.read_bytes()
    exe = pe.PeFile(data)
    section_alignment, file_alignment = exe.section_alignment, exe.file_alignment
    failures = []
    if exe.machine != WIDTHS[run.options.width]:
        failures.append("machine %#x" % exe.machine)
    # The console variant stays a console program, the GUI launcher a GUI one.
    source = pe.PeFile(Path(run.options.exe).read_bytes())
    if exe.subsystem != source.subsystem:
        failures.append("subsystem %d, the input's %d" % (exe.subsystem, source.subsystem))
    computed = pe_checksum(data, exe.checksum_offset)
    if exe.checksum != computed:
        failures.append("checksum %#x, computed %#x" % (exe.checksum, computed))
    address = exe.sections[0].rva
    for s in exe.sections:
        if s.rva != address:
            failures.append("section %s at %#x, expected %#x" % (s.name, s.rva, address))
        if s.raw_size % file_alignment:
            failures.append("section %s raw size %#x not aligned" % (s.name, s.raw_size))
        address = s.rva + (s.virtual_size + section_alignment - 1) // section_alignment * section_alignment
    if exe.size_of_image != address:
        failures.append("SizeOfImage %#x, expected %#x" % (exe.size_of_image, address))
    rsrc = next(s for s in exe.sections if s.name == ".rsrc")
    if exe.directories[2] != (rsrc.rva, rsrc.virtual_size):
        failures.append("resource directory %s, section at %#x" % (exe.directories[2], rsrc.rva))
    relocations = [s for s in exe.sections if s.name == ".reloc"]
    if relocations and exe.directories[5][0] != relocations[0].rva:
        failures.append("relocation directory %#x, section at %#x"
                        % (exe.directories[5][0], relocations[0].rva))
    end = max(s.raw_offset + s.raw_size for s in exe.sections if s.raw_size)
    if len(data) != end:
        failures.append("%d bytes, the sections end at %d" % (len(data), end))
    return failures


def check_rebrand(run):
    rebranded = run.work / "Renamed.exe"
    result = run.brand(run.output, rebranded, "--name", "Second", "--icon", str(run.paths["small.ico"]))
    if result.returncode != 0:
        return ["exit code %d: %s" % (result.returncode, result.stderr.strip())]
    strings = version_strings(rebranded)
    failures = []
    if (strings.get("ProductName"), strings.get("FileVersion")) != ("Second", VERSION):
        failures.append("ProductName %r, FileVersion %r" % (strings.get("ProductName"),
                                                            strings.get("FileVersion")))
    if strings.get("OriginalFilename") != "Renamed.exe":
        failures.append("OriginalFilename %r" % strings.get("OriginalFilename"))
    if group_images(rebranded, 101) != [run.icon[0][1]]:
        failures.append("icon group 101 is not the new icon")
    if b"requireAdministrator" not in wrestool(rebranded, 24, 1):
        failures.append("the elevation was lost")
    failures += changed_sections(pe.PeFile(run.input.read_bytes()),
                                 pe.PeFile(rebranded.read_bytes()))
    return failures


def ico_bomb(entries=4000, image_size=1 << 20):
    """An .ico whose `entries` directory entries all point at one bitmap of
    `image_size` bytes."""
    image = struct.pack("<IiiHH", 40, 256, 512, 1, 32).ljust(image_size, b"\0")
    entry = struct.pack("<BBBBHHII", 0, 0, 0, 0, 1, 32, len(image), 6 + 16 * entries)
    return struct.pack("<HHH", 0, 1, entries) + entry * entries + image


def check_ico_bomb(run):
    """Copying each entry's image would take 4 GB: the .ico is refused at
    once, with little memory, as any other bad .ico."""
    bomb = run.work / "bad" / "bomb.ico"
    bomb.parent.mkdir(parents=True, exist_ok=True)
    bomb.write_bytes(ico_bomb())
    output = run.work / "bad" / "bomb" / OUTPUT
    output.parent.mkdir(parents=True, exist_ok=True)
    # A sanitizer build is stopped before it takes the machine's memory.
    environment = dict(os.environ, ASAN_OPTIONS="hard_rss_limit_mb=400")
    with tempfile.TemporaryFile() as errors:
        started = time.monotonic()
        child = subprocess.Popen([run.options.kitebrand, "--from", str(run.input), "--out",
                                  str(output), "--icon", str(bomb)],
                                 stdout=subprocess.DEVNULL, stderr=errors, env=environment)
        timer = threading.Timer(30, child.kill)
        timer.start()
        _, status, usage = os.wait4(child.pid, 0)
        timer.cancel()
        child.returncode = os.waitstatus_to_exitcode(status)
        took = time.monotonic() - started
        errors.seek(0)
        message = errors.read().decode("utf-8", "replace")
    failures = []
    if child.returncode != 2 or "shares its bytes" not in message:
        failures.append("exit code %d: %r" % (child.returncode, message[-300:]))
    if took > 1:
        failures.append("took %.1f s" % took)
    if usage.ru_maxrss > 100 * 1024:  # kilobytes
        failures.append("took %d MB of memory" % (usage.ru_maxrss // 1024))
    if output.exists():
        failures.append("an output file was written")
    return failures


# The version resource and the manifest are read as Windows reads them in the
# Wine scenarios (tests/e2e/scenarios_brand.py), where kitebrand.exe's bytes
# are also compared with the host kitebrand's; each refusal is a row of the
# unit tests, the tool's own (exit code 2, nothing written) on the in-memory
# platform.
CHECKS = [
    ("branding runs", check_branding_runs),
    ("icon groups and images", check_icons),
    ("sections other than .rsrc unchanged", check_sections),
    ("headers and checksum", check_headers),
    ("branding a branded file", check_rebrand),
    ("an .ico whose entries share one image refused at once", check_ico_bomb),
]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--kitebrand", required=True)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--width", required=True, choices=sorted(WIDTHS))
    parser.add_argument("--work", required=True)
    options = parser.parse_args()
    if not shutil.which("wrestool"):
        print("FAIL wrestool not found (Debian package icoutils)")
        return 1
    work = Path(options.work)
    if work.exists():
        shutil.rmtree(work)
    work.mkdir(parents=True)
    run = Run(options)
    passed = failed = 0
    for name, check in CHECKS:
        try:
            failures = check(run)
        except Exception as error:  # an unreadable output is a failure too
            failures = ["%s: %s" % (type(error).__name__, error)]
        print("%s %s %s" % ("FAIL" if failures else "PASS", Path(options.exe).stem, name))
        for failure in failures:
            print("  - " + failure)
        passed, failed = passed + (not failures), failed + bool(failures)
        if name == "branding runs" and failures:
            break  # nothing else can be checked
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
