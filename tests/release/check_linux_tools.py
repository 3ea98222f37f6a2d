#!/usr/bin/env python3
"""Runs the Linux tools from their release archive, as a build machine would.

  python3 tests/release/check_linux_tools.py --dist dist --version 1.0.16 --work DIR

Unpacks dist/kite-VERSION-linux-x86_64.tar.gz into an empty folder; its
kitecheck checks a small application's configuration, its kitebrand brands a
copy of dist/kite32.exe into a folder that does not exist yet; the copy is
signed with a throwaway certificate (SHA-256, then SHA-512 nested) and
verified with osslsigncode, and kitebrand refuses the signed copy.  Prints a
PASS/FAIL line per check and "N passed, M failed".
"""
import argparse
import shutil
import struct
import subprocess
import sys
import tarfile
from pathlib import Path

ENTRIES = ["kitecheck", "kitebrand", "README.txt", "LICENSE", "NOTICE-glibc.txt",
           "NOTICE-gcc.txt"]


def run(args, cwd):
    done = subprocess.run(args, cwd=cwd, capture_output=True, text=True)
    return done.returncode, done.stdout + done.stderr


def static_executable(program):
    """An executable ELF file without a program header asking for a loader."""
    data = program.read_bytes()
    offset, = struct.unpack_from("<Q", data, 0x20)
    size, count = struct.unpack_from("<HH", data, 0x36)
    return data[:5] == b"\x7fELF\x02" and program.stat().st_mode & 0o111 and not any(
        struct.unpack_from("<I", data, offset + i * size)[0] == 3 for i in range(count))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for name in ("--dist", "--version", "--work"):
        parser.add_argument(name, required=True)
    options = parser.parse_args()
    dist, work = Path(options.dist).resolve(), Path(options.work).resolve()
    archive = dist / ("kite-%s-linux-x86_64.tar.gz" % options.version)
    if not archive.is_file():
        sys.exit("no %s: run scripts/build first" % archive)
    shutil.rmtree(work, ignore_errors=True)
    tools, app = work / "tools", work / "app"
    tools.mkdir(parents=True)
    (app / "lib").mkdir(parents=True)
    subprocess.run(["tar", "-xzf", str(archive)], cwd=tools, check=True)
    (app / "MyApp.config").write_text("mainclass com.example.Main\naddjars lib\n")
    (app / "lib" / "app.jar").write_bytes(b"PK\x05\x06" + bytes(18))  # an empty zip
    shutil.copy(dist / "kite32.exe", app / "kite32.exe")
    with tarfile.open(archive) as opened:
        names = opened.getnames()

    checks = [("the archive holds the tools, README.txt, the licence and the notices",
               names == ENTRIES, repr(names)),
              ("both tools are executable and statically linked",
               all(static_executable(tools / name) for name in ENTRIES[:2]), "")]
    code, out = run([tools / "kitecheck", "MyApp.config"], app)
    checks.append(("kitecheck checks the configuration",
                   code == 0 and "0 errors, 0 warnings (exit code 0)" in out, out))
    code, out = run([tools / "kitebrand", "--from", "kite32.exe", "--out", "out32/MyApp.exe",
                     "--name", "My App", "--version", "2.3.1", "--config", "MyApp.config"], app)
    branded = app / "out32" / "MyApp.exe"
    checks.append(("kitebrand brands a copy into a new folder", code == 0 and branded.is_file()
                   and "My App".encode("utf-16-le") in branded.read_bytes()
                   and (app / "out32" / "MyApp.config").is_file(), out))
    sign = ["osslsigncode", "sign", "-certs", "cert.pem", "-key", "key.pem", "-n", "My App"]
    code, out = 0, ""
    for step in (["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                  "-keyout", "key.pem", "-out", "cert.pem", "-subj", "/CN=Kite test signer"],
                 sign + ["-h", "sha256", "-in", "out32/MyApp.exe", "-out", "signed-once.exe"],
                 sign + ["-nest", "-h", "sha512", "-in", "signed-once.exe", "-out", "MyApp.exe"],
                 ["osslsigncode", "verify", "-CAfile", "cert.pem", "-in", "MyApp.exe"]):
        code, out = run(step, app) if code == 0 else (code, out)
    checks.append(("the branded copy signs and verifies with two signatures",
                   code == 0 and "Number of verified signatures: 2" in out, out))
    code, out = run([tools / "kitebrand", "--from", "MyApp.exe", "--out", "again/MyApp.exe"], app)
    checks.append(("kitebrand refuses the signed copy and says why", code == 2 and
                   "is signed" in out and not (app / "again").exists(), out))

    failed = [check for check in checks if not check[1]]
    for name, ok, detail in checks:
        print("%s linux tools: %s" % ("PASS" if ok else "FAIL", name))
        if not ok:
            print("  " + detail.strip().replace("\n", "\n  "))
    print("%d passed, %d failed" % (len(checks) - len(failed), len(failed)))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
