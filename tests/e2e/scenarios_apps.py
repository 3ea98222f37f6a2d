"""Scenarios about the kinds of application Kite starts and the command line
it gives them: main modules and executable jars, long class paths through an
argument file, jars found by addjars with a working directory elsewhere, and
names the ANSI code page cannot hold."""
import re
import shutil
from pathlib import Path

import launch
from expectations import (EXIT_START_FAILED, JAVA, MAIN, base_config, expect_one_child,
                          generous_timeout)
from scenarios_check import run_check
from scenarios_unicode import (ACCENTED, CODE_PAGES, JAPANESE, KANJI, WESTERN, locales)
from suite import collector

SCENARIOS = []
scenario = collector(SCENARIOS)


@scenario("main module and main jar: -p, -m and -jar in place of the class path", smoke=True)
def modules_and_jars(t):
    app = t.app("modular")
    cases = [  # configuration lines, the child's argv after the runtime
        (["mainmodule app/app.Main", "modulepath mods", "modulepath lib\\x.jar", "argument one"],
         ["-p", "mods;lib\\x.jar", "-m", "app/app.Main", "one"]),
        (["mainmodule app", "addjar legacy.jar"], ["-classpath", "legacy.jar", "-m", "app"]),
        # A jar takes its class path and main class from its manifest.
        (["vmparam -Xmx64m", "mainjar app.jar", "addjar ignored.jar", "mainclass app.Main"],
         ["-Xmx64m", "-jar", "app.jar"]),
    ]
    for lines, argv in cases:
        app.config("javapath " + JAVA, *lines)
        expect_one_child(t.check, app.run(), argv=[JAVA] + argv)


@scenario("workingDir elsewhere: jars found by addjars are named from the start directory")
def scanned_jars_with_working_dir(t):
    app = t.app("workdir-jars")
    app.write("lib\\a.jar", "")
    work = app.mkdir("wd")
    app.config("javapath " + JAVA, "mainclass app.Main", "workingDir " + work, "addjars lib",
               "addjar lib\\as-written.jar")
    expect_one_child(t.check, app.run(), cwd=work,
                     argv=[JAVA, "-classpath", app.dir + "\\lib/a.jar;lib\\as-written.jar",
                           "app.Main"])


def jdk(t, app, version):
    """A runtime folder in `app` holding the stand-in as bin\\javaw.exe, with a
    release file naming `version` (None: no release file); returns the
    executable's path."""
    app.write("jdk\\bin\\javaw.exe",
              t.session.unix_path(launch.STANDIN).read_bytes())
    release = app.unix_dir / "jdk" / "release"
    if version:
        release.write_text('JAVA_VERSION="%s"\n' % version)
    else:
        release.unlink(missing_ok=True)
    return app.path("jdk\\bin\\javaw.exe")


def argfile_text(arguments):
    """An argument file's text as the launcher writes it."""
    return "".join('"%s"\r\n' % a.replace("\\", "\\\\").replace('"', '\\"') for a in arguments)


@scenario("a 60,000-character class path reaches Java 9 and later through an argument file")
def long_class_path(t):
    app = t.app("argfile", run_timeout=generous_timeout(t))
    entries = ["lib\\%04d-%s.jar" % (i, "x" * 40) for i in range(1300)]
    lines = ["mainclass app.Main", "vmparam -Dq=\"a b\""] + ["addjar " + e for e in entries]
    # Java 8 is refused as a runtime of unknown version is: a unit row
    # (ArgumentFile.OtherwiseTheLineIsRefusedAsBefore).
    for version, started in (("17.0.2", True), (None, False)):
        java = jdk(t, app, version)
        app.config("javapath " + java, *lines, "argument one")
        result = app.run()
        label = "runtime %s" % version
        if not started:
            # A runtime of unknown version may read no argument file:
            # refused as ever, with the line's length.
            t.check.eq(label + ": exit code", result.exit_code, EXIT_START_FAILED)
            t.check.eq(label + ": child starts", result.runs, [])
            t.check.eq(label + ": boxes", [b.caption for b in result.boxes], ["Error"])
            continue
        child = expect_one_child(t.check, result)
        if child is None:
            continue
        argv = child["argv"]
        t.check.eq(label + ": argv around the file", [argv[0]] + argv[2:], [java, "app.Main", "one"])
        named = argv[1] if len(argv) > 1 else ""
        t.check.true(label + ": an argument file in the temporary folder",
                     re.fullmatch(r"@C:\\users\\[^\\]+\\.*Temp\\kite-[0-9a-f]{16}\.args", named, re.I),
                     named)
        t.check.eq(label + ": the file as Java reads it", child["argfiles"],
                   [argfile_text(["-Dq=a b", "-classpath", ";".join(entries)])])
        t.check.true(label + ": the file is gone once the application ended",
                     not t.session.unix_path(named[1:]).exists(), named)


@scenario("names the ANSI code page cannot hold: paths by their short names, the rest as Java "
          "reads it")
def ansi_names(t):
    foreign_text = {WESTERN: KANJI, JAPANESE: ACCENTED}  # outside each code page
    # What Java's launcher reads of them: "?", or the code page's look-alike.
    as_read = {WESTERN: "?", JAPANESE: "Jose"}
    for locale in locales(t):
        foreign, lost = foreign_text[locale], as_read[locale]
        app = t.app("ansi-names", locale=locale)
        jar = app.write("lib\\%s.jar" % foreign, b"PK")
        gone = "lib\\gone-%s.jar" % foreign
        app.config(*base_config("addjar " + jar, "addjar " + gone, "vmparam -Dx=" + foreign,
                                "argument " + foreign))
        child = expect_one_child(t.check, app.run())
        if child is None:
            continue
        label = "%s (%d)" % (locale, CODE_PAGES[locale])
        argv, ansi = child["argv"], child["ansi_argv"]
        entries = argv[3].split(";") if len(argv) > 3 else []
        # The jar goes by a short name, plain ASCII, that names the jar; the
        # missing one has none and goes as written.
        t.check.eq(label + ": the class path names the jar and the missing one",
                   child["class_path_long"], [jar, gone])
        t.check.true(label + ": the jar by an ASCII name",
                     len(entries) == 2 and entries[0].isascii() and entries[1] == gone, argv)
        t.check.eq(label + ": what the runtime gets (wide)", [argv[i] for i in (1, 2, 4, 5)],
                   ["-Dx=" + foreign, "-classpath", MAIN, foreign])
        # Java's launcher reads its command line in the code page: the jar by
        # its short name arrives whole, the rest does not.
        t.check.eq(label + ": what Java's launcher reads (ANSI)", ansi,
                   [JAVA, "-Dx=" + lost, "-classpath",
                    entries[0] + ";" + gone.replace(foreign, lost) if entries else "",
                    MAIN, lost])
        checker = Path(t.launcher_exe).parent / "kitecheck.exe"
        shutil.copy(checker, app.session.unix_path("C:\\kite") / "kitecheck.exe")
        _, text, _ = run_check(t, app, ["--exe", app.exe], "text")
        t.check.true(label + ": kitecheck names the code page and what arrives",
                     ("the ANSI code page %d cannot hold" % CODE_PAGES[locale]) in text
                     and ('gets "-Dx=%s"' % lost) in text, text[-2500:])
