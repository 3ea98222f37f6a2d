#!/usr/bin/env python3
"""Builds the release twice, in two folders, and compares the bytes.

  python3 tests/release/check_reproducible.py --work DIR

Copies the files git knows (committed or not) to two folders of different
names and depths under DIR and runs `scripts/build --release-only` in each,
with one SOURCE_DATE_EPOCH (the commit's time), no compiler cache, and other
time zones and umasks.  Every file of the two dist/ folders must be the
same, byte for byte.  Prints a PASS/FAIL line per file and "N passed, M failed".
"""
import argparse
import os
import shutil
import subprocess
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]


def build(folder, names, env, umask):
    shutil.rmtree(folder, ignore_errors=True)
    for name in filter(lambda name: (ROOT / name).is_file(), names):
        (folder / name).parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(ROOT / name, folder / name)
    with open(folder.parent / "build.log", "wb") as log:
        if subprocess.run(["bash", "-c", "umask %s && exec scripts/build --release-only" % umask],
                          cwd=folder, env=env, stdout=log, stderr=log).returncode:
            sys.exit("scripts/build failed in %s: see %s" % (folder, log.name))
    return {path.name: path.read_bytes() for path in (folder / "dist").iterdir()}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--work", required=True, help="where to build the two copies")
    work = Path(parser.parse_args().work).resolve()
    git = lambda *args: subprocess.run(["git", *args], cwd=ROOT, check=True,
                                       capture_output=True, text=True).stdout
    names = git("ls-files", "-z", "--cached", "--others", "--exclude-standard").split("\0")
    env = {key: value for key, value in os.environ.items() if "LAUNCHER" not in key}
    env.update(SOURCE_DATE_EPOCH=git("log", "-1", "--format=%ct").strip(), CCACHE_DISABLE="1")
    first = build(work / "a" / "kite", names, dict(env, TZ="UTC"), "022")
    second = build(work / "second-build" / "of" / "kite-1.0", names,
                   dict(env, TZ="Asia/Tokyo"), "077")
    failed = 0
    for name in sorted(set(first) | set(second) | {"SHA256SUMS"}):
        one, two = first.get(name), second.get(name)
        same = one is not None and one == two
        print("%s reproducible: %s" % ("PASS" if same else "FAIL", name))
        if not same and one and two:
            at = next((i for i, (a, b) in enumerate(zip(one, two)) if a != b), len(one))
            print("  - %d and %d bytes, first difference at %#x" % (len(one), len(two), at))
        failed += not same
    print("%d passed, %d failed" % (len(set(first) | set(second)) - failed, failed))
    if not failed:
        shutil.rmtree(work, ignore_errors=True)
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
