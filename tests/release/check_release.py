#!/usr/bin/env python3
"""Checks a built kite32.exe or kite64.exe as it would be shipped.

  python3 tests/release/check_release.py --build build/win32 --width 32 --version 1.0.16
      [--console]

With --console, the console variant kitec32.exe or kitec64.exe instead: a
console-subsystem program, whose file is at most 5% larger or smaller than
the GUI launcher's beside it.

Its imports, its size without resources, its icon groups, its version
resource and its manifest; prints one PASS/FAIL line per check, the section
sizes, and a closing "N passed, M failed" line.
"""
import argparse
import sys
import xml.etree.ElementTree as ElementTree
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parent))

import pe  # noqa: E402

ALLOWED_IMPORTS = {"kernel32.dll", "user32.dll", "advapi32.dll", "msvcrt.dll"}
# Code and data, the resources not counted.
SIZE_BUDGET = 192 * 1024
ICON_GROUPS = {ident: (16, 32, 48, 256) if ident == 102 else 1
               for ident in list(range(101, 109)) + list(range(111, 120))}
SUPPORTED_OS = {  # Vista, 7, 8, 8.1, 10 and 11
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}
WIDTHS = {"32": (0x14C, "x86"), "64": (0x8664, "amd64")}
# How far the console variant's file size may be from the GUI launcher's.
CONSOLE_SIZE_MARGIN = 0.05
ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"


def check_header(exe, options):
    machine, _ = WIDTHS[options.width]
    failures = []
    if exe.machine != machine:
        failures.append("machine %#x, expected %#x" % (exe.machine, machine))
    if options.console and exe.subsystem != 3:
        failures.append("subsystem %d, expected 3 (console)" % exe.subsystem)
    elif not options.console and exe.subsystem != 2:
        failures.append("subsystem %d, expected 2 (GUI, no console)" % exe.subsystem)
    return failures


def exe_name(options, console):
    return "kite%s%s.exe" % ("c" if console else "", options.width)


def check_console_size(exe, options):
    if not options.console:
        return []
    gui = len((Path(options.build) / exe_name(options, False)).read_bytes())
    if abs(len(exe.data) - gui) > CONSOLE_SIZE_MARGIN * gui:
        return ["%d bytes, the GUI launcher %d: more than %d%% apart"
                % (len(exe.data), gui, CONSOLE_SIZE_MARGIN * 100)]
    return []


def check_imports(exe, options):
    names = exe.imports()
    extra = sorted(name for name in names if name.lower() not in ALLOWED_IMPORTS)
    failures = ["imports %s" % name for name in extra]
    if not names:
        failures.append("no import table found")
    return failures


def size_without_resources(exe):
    return len(exe.data) - sum(s.raw_size for s in exe.sections if s.name == ".rsrc")


def check_size(exe, options):
    size = size_without_resources(exe)
    if size > SIZE_BUDGET:
        return ["%d bytes without resources, budget %d" % (size, SIZE_BUDGET)]
    return []


def check_icons(exe, options):
    resources = exe.resources()
    groups = {ident: data for (kind, ident), data in resources.items() if kind == pe.RT_GROUP_ICON}
    failures = []
    if sorted(groups) != sorted(ICON_GROUPS):
        failures.append("icon groups %s, expected %s" % (sorted(groups), sorted(ICON_GROUPS)))
    for ident, expected in sorted(ICON_GROUPS.items()):
        if ident not in groups:
            continue
        entries = pe.icon_group(groups[ident])
        sizes = tuple(sorted(width for width, _, _ in entries))
        if isinstance(expected, int) and len(entries) != expected:
            failures.append("group %d has %d images, expected %d" % (ident, len(entries), expected))
        elif not isinstance(expected, int) and sizes != expected:
            failures.append("group %d has sizes %s, expected %s" % (ident, sizes, expected))
        for width, height, image_id in entries:
            image = resources.get((pe.RT_ICON, image_id))
            if image is None:
                failures.append("group %d names the missing image %d" % (ident, image_id))
                continue
            actual_w, actual_h, opaque, total = pe.icon_image(image)
            if (actual_w, actual_h) != (width, height):
                failures.append("group %d: image %d is %dx%d, the group says %dx%d"
                                % (ident, image_id, actual_w, actual_h, width, height))
            # The drawing neither vanished nor filled the whole square.
            if opaque is not None and not 0.1 * total < opaque < 0.9 * total:
                failures.append("group %d: %dx%d image has %d of %d pixels opaque"
                                % (ident, width, height, opaque, total))
    return failures


def check_version(exe, options):
    data = exe.resources().get((pe.RT_VERSION, 1))
    if data is None:
        return ["no version resource"]
    root = pe.version_info(data)
    failures = []
    quad = options.version + ".0"
    if pe.fixed_versions(root) != (quad, quad):
        failures.append("fixed file/product version %s, expected %s" % (pe.fixed_versions(root), quad))
    strings = pe.version_strings(root)
    expected = {"ProductName": "Kite", "FileVersion": options.version,
                "ProductVersion": options.version,
                "OriginalFilename": exe_name(options, options.console)}
    for key, value in expected.items():
        if strings.get(key) != value:
            failures.append("%s is %r, expected %r" % (key, strings.get(key), value))
    if not strings.get("FileDescription"):
        failures.append("no FileDescription")
    if "Copyright" not in strings.get("LegalCopyright", ""):
        failures.append("LegalCopyright is %r" % strings.get("LegalCopyright"))
    translation = root.find("VarFileInfo")
    if not translation or not translation.find("Translation"):
        failures.append("no VarFileInfo translation (Explorer shows no strings without it)")
    return failures


def check_manifest(exe, options):
    data = exe.resources().get((pe.RT_MANIFEST, 1))
    if data is None:
        return ["no manifest with id 1"]
    root = ElementTree.fromstring(data)
    failures = []
    levels = [e.get("level") for e in root.iter() if e.tag.endswith("}requestedExecutionLevel")]
    if levels != ["asInvoker"]:
        failures.append("requestedExecutionLevel %s, expected asInvoker" % levels)
    supported = {e.get("Id", "").lower() for e in root.iter() if e.tag.endswith("}supportedOS")}
    if supported != SUPPORTED_OS:
        failures.append("supportedOS %s" % sorted(supported))
    controls = [e.get("version") for e in root.iter(ASM_V1 + "assemblyIdentity")
                if e.get("name") == "Microsoft.Windows.Common-Controls"]
    if controls != ["6.0.0.0"]:
        failures.append("common controls %s, expected 6.0.0.0" % controls)
    # The DPI entries of Java's own launchers, so a hosted window looks as
    # under javaw.exe.
    dpi = {e.tag.split("}")[1]: e.text.strip() for e in root.iter()
           if e.tag.endswith("}dpiAware") or e.tag.endswith("}dpiAwareness")}
    if dpi != {"dpiAware": "true/PM", "dpiAwareness": "PerMonitorV2, PerMonitor, system"}:
        failures.append("DPI entries %s" % dpi)
    # Windows refuses to start a program whose own identity names another
    # processor architecture.
    own = root.find(ASM_V1 + "assemblyIdentity")
    arch = WIDTHS[options.width][1]
    if own is not None and own.get("processorArchitecture") != arch:
        failures.append("manifest architecture %s, expected %s" % (own.get("processorArchitecture"), arch))
    if own is not None and own.get("version") != options.version + ".0":
        failures.append("manifest version %s" % own.get("version"))
    return failures


CHECKS = [
    ("machine type and subsystem", check_header),
    ("imports only %s" % ", ".join(sorted(ALLOWED_IMPORTS)), check_imports),
    ("code and data within %d KiB" % (SIZE_BUDGET // 1024), check_size),
    ("icon groups 101-108 and 111-119", check_icons),
    ("version resource", check_version),
    ("manifest", check_manifest),
    ("console variant within 5% of the GUI launcher's size", check_console_size),
]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", required=True)
    parser.add_argument("--width", required=True, choices=sorted(WIDTHS))
    parser.add_argument("--version", required=True)
    parser.add_argument("--console", action="store_true", help="check kitecNN.exe")
    options = parser.parse_args()
    path = Path(options.build) / exe_name(options, options.console)
    exe = pe.PeFile(path.read_bytes())
    print("%s: %d bytes, %d without resources" % (path, len(exe.data), size_without_resources(exe)))
    for s in exe.sections:
        print("  %-8s %7d bytes in the file, %7d in memory" % (s.name, s.raw_size, s.virtual_size))
    print("  imports: %s" % ", ".join(exe.imports()))
    passed = failed = 0
    for name, check in CHECKS:
        try:
            failures = check(exe, options)
        except Exception as error:  # a malformed resource is a failure too
            failures = ["%s: %s" % (type(error).__name__, error)]
        print("%s %s %s" % ("FAIL" if failures else "PASS", path.stem, name))
        for failure in failures:
            print("  - " + failure)
        passed, failed = passed + (not failures), failed + bool(failures)
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
