#!/usr/bin/env python3
"""Writes the release archive: the given files side by side at its root.

  python3 scripts/lib/package.py OUTPUT.zip FILE...

Text files (.config, .md, .txt) get Windows line endings, so that every
Notepad shows them properly.  Entries keep their files' modification times,
or all carry SOURCE_DATE_EPOCH when it is set, for a reproducible archive.
"""
import os
import sys
import time
import zipfile
from pathlib import Path

TEXT_SUFFIXES = {".config", ".md", ".txt"}


def entry_time(path):
    stamp = os.environ.get("SOURCE_DATE_EPOCH")
    seconds = int(stamp) if stamp else int(path.stat().st_mtime)
    # Zip times start in 1980 and are local times without a zone.
    return max(time.gmtime(seconds)[:6], (1980, 1, 1, 0, 0, 0))


def contents(path):
    data = path.read_bytes()
    if path.suffix in TEXT_SUFFIXES:
        data = data.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
    return data


def main():
    if len(sys.argv) < 3:
        sys.exit("usage: package.py OUTPUT.zip FILE...")
    output, files = Path(sys.argv[1]), [Path(name) for name in sys.argv[2:]]
    names = [path.name for path in files]
    if len(set(names)) != len(names):
        sys.exit("package.py: two files share a name: %s" % names)
    partial = output.with_name(output.name + ".part")
    with zipfile.ZipFile(partial, "w", zipfile.ZIP_DEFLATED, compresslevel=9) as archive:
        for path in files:
            info = zipfile.ZipInfo(path.name, entry_time(path))
            info.compress_type = zipfile.ZIP_DEFLATED
            info.external_attr = 0o644 << 16
            archive.writestr(info, contents(path))
    # Read back before it replaces the previous archive.
    with zipfile.ZipFile(partial) as archive:
        if archive.testzip() is not None or archive.namelist() != names:
            sys.exit("package.py: %s did not read back" % partial)
    partial.replace(output)
    print("%s: %s" % (output, ", ".join(names)))


if __name__ == "__main__":
    main()
