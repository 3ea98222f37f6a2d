#!/usr/bin/env python3
"""Keeps the layers of src/ pointing one way.

  python3 tests/layers/check_layers.py [--graph] [SRC]

Reads every #include "dir/file.h" under SRC (default: the src/ beside this
script's tests/), prints the include graph by folder with --graph, and exits 1
when a file includes a header from a layer above its own or from a folder
of its own layer other than itself (siblings stay apart), or a header
FORBIDDEN to it, or when a folder is not in the table below.
"""
import re
import sys
from collections import defaultdict
from pathlib import Path

# Bottom first.  A folder may include its own headers and those of folders
# in lower layers only.
LAYERS = [
    ["base"],
    ["platform"],
    ["config", "runtime"],
    ["launcher"],
    ["check"],
    ["brand"],
]

# Headers a folder may not include although their layer is below it: the
# platform layer knows nothing of the launcher's settings (its debug output
# gets base/diagnostics.h alone).
FORBIDDEN = {"platform": {"base/launch_settings.h"}}

INCLUDE = re.compile(r'^\s*#\s*include\s+"(([^"/]+)/[^"]+)"', re.M)


def layer_of(folder):
    for level, folders in enumerate(LAYERS):
        if folder in folders:
            return level
    return None


def main(argv):
    show = "--graph" in argv
    args = [a for a in argv if a != "--graph"]
    src = Path(args[0]) if args else Path(__file__).resolve().parents[2] / "src"
    edges = defaultdict(set)
    problems = []
    for path in sorted(src.rglob("*")):
        if path.suffix not in (".h", ".cc"):
            continue
        folder = path.relative_to(src).parts[0]
        for header, target in INCLUDE.findall(path.read_text(errors="replace")):
            if header in FORBIDDEN.get(folder, ()):
                problems.append("%s: includes %s" % (path.relative_to(src), header))
            if target == folder:
                continue
            edges[folder].add(target)
            mine, theirs = layer_of(folder), layer_of(target)
            where = path.relative_to(src)
            if mine is None:
                problems.append("%s: folder %s is in no layer" % (where, folder))
            elif theirs is None:
                problems.append("%s: includes from %s, which is in no layer" % (where, target))
            elif theirs >= mine:
                problems.append("%s: includes %s/ from %s layer" % (
                    where, target, "a higher" if theirs > mine else "a sibling in its"))
    if show:
        for folder in sorted(edges):
            print("%-9s -> %s" % (folder, " ".join(sorted(edges[folder]))))
    for problem in problems:
        print("layering: " + problem)
    return 1 if problems and not show else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
