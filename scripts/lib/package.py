#!/usr/bin/env python3
"""Writes a release archive: its files side by side at its root.

  python3 scripts/lib/package.py OUTPUT.zip PROGRAMS_DIR
  python3 scripts/lib/package.py OUTPUT.tar.gz PROGRAMS_DIR

PROGRAMS_DIR holds kite32.exe, kite64.exe, their console variants kitec32.exe
and kitec64.exe, kitecheck.exe and kitebrand.exe, and the Linux builds of
the tools, kitecheck and kitebrand (scripts/build puts them in dist/).  The
zip holds the Windows programs, the example
configuration, the user guide and its pictures, README.txt, the licence, and
the notices of the libraries linked into the programs, taken from the
installed Debian packages of the cross compilers.  The .tar.gz holds the
Linux tools, their README.txt, the licence and the notices of the C and C++
libraries linked into them.

Text files (.config, .md, .txt) get Windows line endings in the zip, so that
every Notepad shows them properly.  Entries come in a fixed order, with
fixed modes and owners, and carry SOURCE_DATE_EPOCH as their time when it is
set (otherwise their files' modification times): the same inputs give the
same bytes.
"""
import gzip
import io
import os
import sys
import tarfile
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
LINUX_PROGRAMS = ("kitecheck", "kitebrand")
LINUX_DOCUMENTS = (
    (ROOT / "docs" / "release-readme-linux.txt", "README.txt"),
    (ROOT / "LICENSE", "LICENSE"),
    # Both tools are linked statically with glibc (LGPL 2.1 or later) and
    # with GCC's libstdc++ and libgcc (GPL with the GCC Runtime Library
    # Exception).
    (Path("/usr/share/doc/libc6/copyright"), "NOTICE-glibc.txt"),
    (Path("/usr/share/doc/libstdc++6/copyright"), "NOTICE-gcc.txt"),
)


def entry_seconds(path):
    stamp = os.environ.get("SOURCE_DATE_EPOCH")
    return int(stamp) if stamp else int(path.stat().st_mtime)


def entry_time(path):
    # Zip times start in 1980 and are local times without a zone.
    return max(time.gmtime(entry_seconds(path))[:6], (1980, 1, 1, 0, 0, 0))


def contents(path, name):
    data = path.read_bytes()
    if Path(name).suffix in TEXT_SUFFIXES:
        data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
    return data


def write_tar(partial, entries):
    """A gzip-compressed tar of `entries`: owned by root, programs
    executable, with no name or time in the gzip header."""
    data = io.BytesIO()
    with tarfile.open(fileobj=data, mode="w", format=tarfile.PAX_FORMAT) as archive:
        for path, name in entries:
            contents = path.read_bytes()
            info = tarfile.TarInfo(name)
            info.size = len(contents)
            info.mtime = entry_seconds(path)
            info.mode = 0o755 if name in LINUX_PROGRAMS else 0o644
            info.uid = info.gid = 0
            info.uname = info.gname = "root"
            archive.addfile(info, io.BytesIO(contents))
    with open(partial, "wb") as raw:
        with gzip.GzipFile(filename="", mode="wb", compresslevel=9, fileobj=raw,
                           mtime=0) as compressed:
            compressed.write(data.getvalue())
    with tarfile.open(partial) as archive:
        return archive.getnames()


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: package.py OUTPUT.zip|OUTPUT.tar.gz PROGRAMS_DIR")
    output, programs = Path(sys.argv[1]), Path(sys.argv[2])
    linux = output.name.endswith(".tar.gz")
    if linux:
        entries = [(programs / name, name) for name in LINUX_PROGRAMS] + list(LINUX_DOCUMENTS)
    else:
        entries = [(programs / name, name) for name in PROGRAMS] + list(DOCUMENTS)
    missing = [str(path) for path, _ in entries if not path.is_file()]
    if missing:
        sys.exit("package.py: missing %s" % ", ".join(missing))
    names = [name for _, name in entries]
    partial = output.with_name(output.name + ".part")
    if linux:
        # Read back before it replaces the previous archive.
        if write_tar(partial, entries) != names:
            sys.exit("package.py: %s did not read back" % partial)
        partial.replace(output)
        print("%s: %s" % (output, ", ".join(names)))
        return
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
