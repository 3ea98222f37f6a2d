#!/usr/bin/env python3
"""Builds the release twice, in two folders, and compares the bytes.

  python3 tests/release/check_reproducible.py --work DIR

Copies the sources (the files git knows, or the whole tree but build/ and
dist/) to two folders of different names and depths under DIR, and runs
`scripts/build --release-only` in each, with one SOURCE_DATE_EPOCH (the
commit's time), no compiler cache, and different time zones and umasks.
Every file of the two dist/ folders must be the same, byte for byte.
Prints one PASS/FAIL line per file and a closing "N passed, M failed" line.
"""
import argparse
import os
import shutil
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]


def sources():
    """The source files, relative to ROOT."""
    try:
        listed = subprocess.run(["git", "ls-files", "-z", "--cached", "--others",
                                 "--exclude-standard"], cwd=ROOT, check=True,
                                capture_output=True).stdout
        return [Path(name) for name in listed.decode().split("\0") if name]
    except (OSError, subprocess.CalledProcessError):
        return [path.relative_to(ROOT) for path in ROOT.rglob("*")
                if path.is_file() and path.relative_to(ROOT).parts[0]
                not in ("build", "dist", ".git")]


def build(folder, names, epoch, zone, umask):
    shutil.rmtree(folder, ignore_errors=True)
    for name in names:
        if (ROOT / name).is_file():
            (folder / name).parent.mkdir(parents=True, exist_ok=True)
            shutil.copy2(ROOT / name, folder / name)
    env = {key: value for key, value in os.environ.items()
           if not key.startswith("CMAKE_") or "LAUNCHER" not in key}
    env.update(SOURCE_DATE_EPOCH=epoch, TZ=zone, CCACHE_DISABLE="1")
    log = folder.parent / "build.log"
    with open(log, "wb") as out:
        code = subprocess.run(["bash", "-c", "umask %s && exec scripts/build --release-only"
                               % umask], cwd=folder, env=env, stdout=out,
                              stderr=subprocess.STDOUT).returncode
    if code != 0:
        sys.exit("scripts/build failed in %s (exit code %d): see %s" % (folder, code, log))
    return folder / "dist"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--work", required=True, help="where to build the two copies")
    work = Path(parser.parse_args().work).resolve()
    epoch = subprocess.run(["git", "log", "-1", "--format=%ct"], cwd=ROOT,
                           capture_output=True, text=True).stdout.strip() or "1700000000"
    names = sources()
    first = build(work / "a" / "kite", names, epoch, "UTC", "022")
    second = build(work / "second-build" / "of" / "kite-1.0", names, epoch,
                   "Asia/Tokyo", "077")
    files = sorted(path.name for path in first.iterdir())
    passed = failed = 0
    for name in files:
        one = (first / name).read_bytes()
        two = (second / name).read_bytes() if (second / name).exists() else None
        same = one == two
        print("%s reproducible: %s" % ("PASS" if same else "FAIL", name))
        if not same and two is not None:
            at = next((i for i, (a, b) in enumerate(zip(one, two)) if a != b),
                      min(len(one), len(two)))
            print("  - %d and %d bytes, first difference at %#x" % (len(one), len(two), at))
        passed, failed = passed + same, failed + (not same)
    for name in sorted(path.name for path in second.iterdir()):
        if name not in files:
            print("FAIL reproducible: %s only in the second build" % name)
            failed += 1
    if "SHA256SUMS" not in files:
        print("FAIL reproducible: no SHA256SUMS")
        failed += 1
    print("%d passed, %d failed" % (passed, failed))
    if not failed:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
