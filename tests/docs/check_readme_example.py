#!/usr/bin/env python3
"""Runs the README's kitecheck example and compares the output with the text
the README shows.

  python3 tests/docs/check_readme_example.py --kitecheck PATH [--readme README.md]

The README marks the example's files and its output with lines
"<!-- example: NAME -->" before their code blocks.  The files are written to
a temporary directory standing for /tmp/release/MyApp (with lib/myapp.jar,
lib/util.jar and an empty plugins directory, as the README says), kitecheck
runs there with MYAPP_HOME unset, and its output, with the temporary
directory written as /tmp/release, must be the README's text exactly.
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile
from pathlib import Path

BLOCK = re.compile(r"<!-- example: (\S+) -->\n```\n(.*?)```", re.S)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--kitecheck", required=True)
    parser.add_argument("--readme", default=str(Path(__file__).resolve().parents[2] / "README.md"))
    options = parser.parse_args()
    kitecheck = str(Path(options.kitecheck).resolve())
    blocks = dict(BLOCK.findall(Path(options.readme).read_text(encoding="utf-8")))
    if "output" not in blocks or "MyApp.config" not in blocks:
        print("readme_example: the README has no marked example")
        return 1
    with tempfile.TemporaryDirectory() as root:
        app = Path(root) / "MyApp"
        (app / "lib").mkdir(parents=True)
        (app / "plugins").mkdir()
        (app / "lib" / "myapp.jar").write_bytes(b"")
        (app / "lib" / "util.jar").write_bytes(b"")
        for name, text in blocks.items():
            if name != "output":
                (app / name).write_text(text, encoding="utf-8")
        command, _, expected = blocks["output"].partition("\n")
        expected, _, status = expected.rpartition("$ echo $?\n")
        args = command.split()[2:]  # after "$ kitecheck"
        args = [a.replace("/tmp/release", root) for a in args]
        env = {k: v for k, v in os.environ.items() if k != "MYAPP_HOME"}
        result = subprocess.run([kitecheck] + args, capture_output=True, env=env,
                                cwd=root)
        actual = result.stdout.decode("utf-8").replace(root, "/tmp/release")
    failures = []
    if actual != expected:
        failures.append("output differs from the README:\n" + "".join(
            "  %s\n" % line for line in __import__("difflib").unified_diff(
                expected.splitlines(), actual.splitlines(), "README", "kitecheck", lineterm="")))
    if str(result.returncode) != status.strip():
        failures.append("exit code %d, the README says %s" % (result.returncode, status.strip()))
    for failure in failures:
        print("readme_example: " + failure)
    print("readme_example: %s" % ("FAIL" if failures else "PASS"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
