"""Scenarios about the kinds of application Kite starts and the command line
it gives them: main modules and executable jars, long class paths through an
argument file, jars found by addjars with a working directory elsewhere, and
names the ANSI code page cannot hold."""
from expectations import JAVA, expect_one_child
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
