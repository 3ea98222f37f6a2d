#!/usr/bin/env python3
"""Writes the release archive: its files side by side at its root.

  python3 scripts/lib/package.py OUTPUT.zip PROGRAMS_DIR

PROGRAMS_DIR holds kite32.exe, kite64.exe, their console variants kitec32.exe
and kitec64.exe, kitecheck.exe and kitebrand.exe (scripts/build puts them in
dist/).  The archive holds them, the example
configuration, the user guide and its pictures, README.txt, the licence, and
the notices of the libraries linked into the programs, taken from the
installed Debian packages of the cross compilers.

Text files (.config, .md, .txt) get Windows line endings, so that every
Notepad shows them properly.  Entries keep their files' modification times,
or all carry SOURCE_DATE_EPOCH when it is set, for a reproducible archive.
"""
import os
import sys
import time
import zipfile
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
TEXT_SUFFIXES = {".config", ".md", ".txt"}
PROGRAMS = ("kite32.exe", "kite64.exe", "kitec32.exe", "kitec64.exe", "kitecheck.exe",
            "kitebrand.exe")
# (source, name in the archive) of everything else, in archive order.
DOCUMENTS = (
    (ROOT / "docs" / "example.config", "example.config"),
    (ROOT / "docs" / "guide.md", "guide.md"),
    (ROOT / "docs" / "message-box.png", "message-box.png"),
    (ROOT / "docs" / "branded-icon.png", "branded-icon.png"),
    (ROOT / "docs" / "release-readme.txt", "README.txt"),
    (ROOT / "LICENSE", "LICENSE.txt"),
    # Every program is linked statically with the mingw-w64 runtime (its
    # start-up code, libmingw32, libmingwex) and with GCC's libstdc++, libgcc
    # and libgcc_eh.  The compilers' win32 thread model links no winpthreads;
    # the mingw-w64 notice would cover it too.
    (Path("/usr/share/doc/mingw-w64-common/copyright"), "NOTICE-mingw-w64.txt"),
    (Path("/usr/share/doc/gcc-mingw-w64-base/copyright"), "NOTICE-gcc.txt"),
)


def entry_time(path):
    stamp = os.environ.get("SOURCE_DATE_EPOCH")
    seconds = int(stamp) if stamp else int(path.stat().st_mtime)
    # Zip times start in 1980 and are local times without a zone.
    return max(time.gmtime(seconds)[:6], (1980, 1, 1, 0, 0, 0))


def contents(path, name):
    data = path.read_bytes()
    if Path(name).suffix in TEXT_SUFFIXES:
        data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
    return data


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: package.py OUTPUT.zip PROGRAMS_DIR")
    output, programs = Path(sys.argv[1]), Path(sys.argv[2])
    entries = [(programs / name, name) for name in PROGRAMS] + list(DOCUMENTS)
    missing = [str(path) for path, _ in entries if not path.is_file()]
    if missing:
        sys.exit("package.py: missing %s" % ", ".join(missing))
    names = [name for _, name in entries]
    partial = output.with_name(output.name + ".part")
    with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for path, name in entries:
            info = zipfile.ZipInfo(name, entry_time(path))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            archive.writestr(info, contents(path, name))
    # Read back before it replaces the previous archive.
    with zipfile.ZipFile(partial) as archive:
        if archive.testzip() is not None or archive.namelist() != names:
            sys.exit("package.py: %s did not read back" % partial)
    partial.replace(output)
    print("%s: %s" % (output, ", ".join(names)))


if __name__ == "__main__":
    main()
