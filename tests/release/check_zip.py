#!/usr/bin/env python3
"""Checks the release archive as scripts/build writes it.

  python3 tests/release/check_zip.py --build32 build/win32 --build64 build/win64 --work DIR
  python3 tests/release/check_zip.py --zip dist/kite-1.0.16-windows.zip

With the build directories, packages their programs with
scripts/lib/package.py into DIR first (as scripts/build does with dist/) and
also checks that the archive holds exactly those programs.  Checks that the
archive holds every file a user is promised, among them the licence and the
notices of the libraries linked into the programs, and a README.txt that
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
    "kite32.exe": [b"MZ"], "kite64.exe": [b"MZ"], "kitecheck.exe": [b"MZ"],
    "kitebrand.exe": [b"MZ"],
    "example.config": [b"mainclass "],
    "guide.md": [b"# Kite user guide"],
    "message-box.png": [b"\x89PNG"], "branded-icon.png": [b"\x89PNG"],
    "README.txt": [b"guide.md"],
    "LICENSE.txt": [b"MIT License", b"Copyright (c) 2026 The Kite developers",
                    b"Permission is hereby granted, free of charge"],
    "NOTICE-mingw-w64.txt": [b"mingw-w64", b"ZPL-2.1", b"winpthreads"],
    "NOTICE-gcc.txt": [b"libstdc++", b"libgcc", b"GCC RUNTIME LIBRARY EXCEPTION"],
}
TEXT_SUFFIXES = (".config", ".md", ".txt")
# Where each program comes from: the tools are the 32-bit builds.
SOURCES = {"kite32.exe": "build32", "kite64.exe": "build64", "kitecheck.exe": "build32",
           "kitebrand.exe": "build32"}


def package(options):
    """Packages the builds' programs as scripts/build does; returns the
    archive and {name: bytes} of the programs put in."""
    programs = Path(options.work) / "programs"
    shutil.rmtree(programs, ignore_errors=True)
    programs.mkdir(parents=True)
    built = {}
    for name, build in SOURCES.items():
        source = Path(getattr(options, build)) / name
        shutil.copy(source, programs / name)
        built[name] = source.read_bytes()
    output = Path(options.work) / "kite-windows.zip"
    subprocess.run([sys.executable, str(ROOT / "scripts" / "lib" / "package.py"), str(output),
                    str(programs)], check=True)
    return output, built


def check_entries(entries, built):
    failures = ["no %s" % name for name in EXPECTED if name not in entries]
    failures += ["unexpected %s" % name for name in entries if name not in EXPECTED]
    for name, marks in EXPECTED.items():
        data = entries.get(name, b"")
        failures += ["%s does not hold %r" % (name, mark) for mark in marks
                     if name in entries and mark not in data]
    failures += ["%s differs from the build's" % name for name, data in built.items()
                 if entries.get(name) not in (None, data)]
    return failures


def check_readme(entries, built):
    text = entries.get("README.txt", b"").decode("utf-8", "replace")
    return ["README.txt does not name %s" % name for name in entries if name not in text]


def check_text(entries, built):
    """Windows line ends in every text file, so that every Notepad shows
    them properly."""
    failures = []
    for name, data in entries.items():
        if name.endswith(TEXT_SUFFIXES) and data.count(b"\n") != data.count(b"\r\n"):
            failures.append("%s has line ends without CR" % name)
    return failures


CHECKS = [
    ("the programs, the guide, the licence and the notices", check_entries),
    ("README.txt names every file", check_readme),
    ("text files with Windows line ends", check_text),
]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--zip", help="the archive to check")
    parser.add_argument("--build32", help="win32 build directory (kite32, kitecheck, kitebrand)")
    parser.add_argument("--build64", help="win64 build directory (kite64)")
    parser.add_argument("--work", help="where to write the archive packaged from the builds")
    options = parser.parse_args()
    built = {}
    if options.zip:
        archive = Path(options.zip)
    elif options.build32 and options.build64 and options.work:
        archive, built = package(options)
    else:
        parser.error("give --zip, or --build32, --build64 and --work")
    with zipfile.ZipFile(archive) as opened:
        entries = {name: opened.read(name) for name in opened.namelist()}
    print("%s: %s" % (archive, ", ".join(entries)))
    passed = failed = 0
    for name, check in CHECKS:
        failures = check(entries, built)
        print("%s release zip: %s" % ("FAIL" if failures else "PASS", name))
        for failure in failures:
            print("  - " + failure)
        passed, failed = passed + (not failures), failed + bool(failures)
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
