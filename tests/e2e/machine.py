#!/usr/bin/env python3
"""How this machine runs 32-bit programs, for the end-to-end tests and the
benchmarks.

  python3 tests/e2e/machine.py --emulated-i386

exits 0 when 32-bit Linux programs run here only through a CPU emulator,
else 1.
"""
import argparse
import os
import subprocess
import sys
from pathlib import Path


def emulated_i386():
    """True when 32-bit Linux programs run here only through a CPU emulator
    registered with binfmt_misc (the kernel cannot run them itself).  Every
    32-bit Windows process then takes minutes, so only the smoke scenarios
    are run for the 32-bit launcher."""
    entries = Path("/proc/sys/fs/binfmt_misc")
    try:
        for entry in entries.iterdir():
            if entry.name in ("register", "status"):
                continue
            text = entry.read_text(errors="replace")
            if text.startswith("enabled") and "qemu-i386" in text:
                return True
    except OSError:
        pass
    return False


def loader_problem():
    """Why Wine's 32-bit loader cannot run here, if that is the reason: a
    text to append to a message ("" when the loader runs)."""
    for loader in ("/usr/lib/wine/wine", "/usr/lib/i386-linux-gnu/wine/wine"):
        if os.access(loader, os.X_OK):
            try:
                subprocess.run([loader, "--version"], capture_output=True, timeout=60)
            except OSError as error:
                return ": Wine's 32-bit loader %s cannot be executed (%s): the kernel does " \
                       "not run 32-bit Linux programs" % (loader, error.strerror)
            return ""
    return ": Wine's 32-bit loader is not installed"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--emulated-i386", action="store_true", required=True,
                        help="exit 0 when 32-bit programs run only emulated here, else 1")
    parser.parse_args()
    return 0 if emulated_i386() else 1


if __name__ == "__main__":
    sys.exit(main())
