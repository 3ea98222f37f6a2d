#!/usr/bin/env python3
"""The hosting code against every real JDK of this machine (OpenJDK 17 on
every one, Temurin 25 on some): kite_host_probe loads the JDK's libjli.so as
a hosting copy of the launcher loads jli.dll, and runs small applications.

  python3 tests/hosting/check_real_jvm.py --probe build/host/kite_host_probe

Exits 77 (skipped) when no JDK with javac is found; names each JDK it skips.
"""
import argparse
import os
import subprocess
import sys
import tempfile
from pathlib import Path

APP = """package hello;
public class Main {
  public static void main(String[] args) {
    if (args.length > 0 && args[0].equals("exit42")) System.exit(42);
    if (args.length > 0 && args[0].equals("throw")) throw new IllegalStateException("thrown");
    System.out.println("args=" + String.join("|", args) + " prop=" + System.getProperty("kite.p")
        + " home=" + System.getProperty("java.home"));
  }
}
"""


def jdks():
    for home in sorted(Path("/usr/lib/jvm").glob("*")):
        if home.is_symlink() or not home.is_dir():
            continue
        if (home / "lib" / "libjli.so").exists() and (home / "bin" / "javac").exists():
            yield home
        else:
            print("skipped %s: no lib/libjli.so or bin/javac" % home)


def build_app(home, work):
    """The class files, an executable jar and a module of the application."""
    src = work / "src" / "hello"
    src.mkdir(parents=True)
    (src / "Main.java").write_text(APP)
    (work / "src" / "module-info.java").write_text("module hello { exports hello; }")
    classes = work / "classes"
    subprocess.run([str(home / "bin" / "javac"), "-d", str(classes),
                    str(src / "Main.java"), str(work / "src" / "module-info.java")], check=True)
    subprocess.run([str(home / "bin" / "jar"), "--create", "--file", str(work / "app.jar"),
                    "--main-class", "hello.Main", "-C", str(classes), "."], check=True)
    return classes


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--probe", required=True)
    options = parser.parse_args()
    # libjli starts its program again when LD_LIBRARY_PATH is set.
    env = {k: v for k, v in os.environ.items()
           if k not in ("LD_LIBRARY_PATH", "JDK_JAVA_OPTIONS", "JAVA_TOOL_OPTIONS")}
    failures, tested = [], 0
    for home in jdks():
        tested += 1
        with tempfile.TemporaryDirectory() as temp:
            work = Path(temp)
            classes = build_app(home, work)
            args_file = work / "jvm.args"
            args_file.write_text('-Dkite.p="from file"\n-cp\n"%s"\n' % classes)
            home_text = "home=%s" % home
            cases = [
                # (what, arguments after the program name, exit code, output)
                ("class path", ["-Dkite.p=v", "-cp", str(classes), "hello.Main", "one", "two words"],
                 0, "args=one|two words prop=v " + home_text),
                ("executable jar", ["-jar", str(work / "app.jar"), "x"], 0,
                 "args=x prop=null " + home_text),
                ("module", ["-p", str(classes), "-m", "hello/hello.Main", "m"], 0,
                 "args=m prop=null " + home_text),
                ("argument file", ["@" + str(args_file), "hello.Main", "f"], 0,
                 "args=f prop=from file " + home_text),
                ("System.exit", ["-cp", str(classes), "hello.Main", "exit42"], 42, ""),
                ("uncaught exception", ["-cp", str(classes), "hello.Main", "throw"], 1, ""),
            ]
            for what, args, code, output in cases:
                run = subprocess.run([options.probe, str(home / "lib" / "libjli.so"), "host"] + args,
                                     env=env, capture_output=True, text=True, timeout=120)
                got = (run.returncode, run.stdout.strip())
                if got != (code, output):
                    failures.append("%s, %s: expected %r, got %r (stderr %r)"
                                    % (home.name, what, (code, output), got, run.stderr[-500:]))
                elif what == "uncaught exception" and "IllegalStateException: thrown" not in run.stderr:
                    failures.append("%s, %s: no stack trace: %r" % (home.name, what, run.stderr))
    if not tested:
        print("no JDK found: skipped")
        return 77
    for failure in failures:
        print("FAIL " + failure)
    print("%d JDK(s), %d failure(s)" % (tested, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
