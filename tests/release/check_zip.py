#!/usr/bin/env python3
"""Checks the release archive as scripts/build writes it.

  python3 tests/release/check_zip.py --build32 build/win32 --build64 build/win64 --work DIR
  python3 tests/release/check_zip.py --zip dist/kite-1.0.16-windows.zip

With the build directories, first packages their programs into DIR with
scripts/lib/package.py, as scripts/build does with dist/.  Checks that the
archive holds every file a user is promised, the licence and the notices of
the libraries linked into the programs among them, and a README.txt that
names each file; prints one PASS/FAIL line per check and a closing
"N passed, M failed" line.
"""
import argparse
import shutil
import subprocess
import sys
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
# Each file the archive must hold, with texts that show it is what it claims
# to be.
EXPECTED = {
    "kite32.exe": [b"MZ"], "kite64.exe": [b"MZ"], "kitec32.exe": [b"MZ"],
    "kitec64.exe": [b"MZ"], "kitecheck.exe": [b"MZ"], "kitebrand.exe": [b"MZ"],
    "example.config": [b"mainclass "],
    "guide.md": [b"# Kite user guide"],
    "message-box.png": [b"\x89PNG"], "branded-icon.png": [b"\x89PNG"],
    "README.txt": [b"guide.md"],
    "LICENSE.txt": [b"MIT License", b"Copyright (c) 2026 The Kite developers",
                    b"Permission is hereby granted, free of charge"],
    "NOTICE-mingw-w64.txt": [b"mingw-w64", b"ZPL-2.1", b"winpthreads"],
    "NOTICE-gcc.txt": [b"libstdc++", b"libgcc", b"GCC RUNTIME LIBRARY EXCEPTION"],
}
# Where each program comes from: the tools ship as 32-bit builds.
SOURCES = {"kite32.exe": "build32", "kite64.exe": "build64", "kitec32.exe": "build32",
           "kitec64.exe": "build64", "kitecheck.exe": "build32", "kitebrand.exe": "build32"}


def package(options):
    """Packages the builds' programs as scripts/build does; returns the
    archive."""
    programs = Path(options.work) / "programs"
    shutil.rmtree(programs, ignore_errors=True)
    programs.mkdir(parents=True)
    for name, build in SOURCES.items():
        shutil.copy(Path(getattr(options, build)) / name, programs / name)
    output = Path(options.work) / "kite-windows.zip"
    subprocess.run([sys.executable, str(ROOT / "scripts" / "lib" / "package.py"), str(output),
                    str(programs)], check=True, stdout=subprocess.DEVNULL)
    return output


def check_entries(entries):
    failures = ["no %s" % name for name in EXPECTED if name not in entries]
    failures += ["unexpected %s" % name for name in entries if name not in EXPECTED]
    for name, marks in EXPECTED.items():
        failures += ["%s does not hold %r" % (name, mark) for mark in marks
                     if name in entries and mark not in entries[name]]
    return failures


def check_readme(entries):
    text = entries.get("README.txt", b"").decode("utf-8", "replace")
    return ["README.txt does not name %s" % name for name in entries if name not in text]


CHECKS = [
    ("the programs, the guide, the licence and the notices", check_entries),
    ("README.txt names every file", check_readme),
]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--zip", help="the archive to check")
    parser.add_argument("--build32", help="win32 build directory (kite32, kitec32, kitecheck, "
                        "kitebrand)")
    parser.add_argument("--build64", help="win64 build directory (kite64, kitec64)")
    parser.add_argument("--work", help="where to write the archive packaged from the builds")
    options = parser.parse_args()
    if options.zip:
        archive = Path(options.zip)
    elif options.build32 and options.build64 and options.work:
        archive = package(options)
    else:
        parser.error("give --zip, or --build32, --build64 and --work")
    with zipfile.ZipFile(archive) as opened:
        entries = {name: opened.read(name) for name in opened.namelist()}
    print("%s: %s" % (archive, ", ".join(entries)))
    passed = failed = 0
    for name, check in CHECKS:
        failures = check(entries)
        print("%s release zip: %s" % ("FAIL" if failures else "PASS", name))
        for failure in failures:
            print("  - " + failure)
        passed, failed = passed + (not failures), failed + bool(failures)
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
