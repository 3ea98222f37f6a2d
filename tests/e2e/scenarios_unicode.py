"""Scenarios about text beyond ASCII: the application's folder, its
configuration in every encoding the reader takes, environment values, the
launcher's own arguments, a runtime home from the registry, the boxes and
output lines, and the command-line limit counted in UTF-16 units.

Each runs under a Western (1252) and a Japanese (932) ANSI code page, each in
a Wine session of its own locale, and compares what the stand-in received
through the wide functions with the expected characters exactly.
"""
import codecs
import json
import shutil
import subprocess
from pathlib import Path

from expectations import (CHECK_WARNINGS, ERROR_STYLE, EXIT_NO_CONFIG, EXIT_NO_MAIN_CLASS,
                          EXIT_OK, EXIT_START_FAILED, JAVA, MAIN, base_config, command_line,
                          generous_timeout, normalized_dir)
from scenarios_check import run_check
from scenarios_runtime import install_runtime, set_registry
from suite import Skip, collector

SCENARIOS = []
scenario = collector(SCENARIOS)

WESTERN, JAPANESE = "en_US.UTF-8", "ja_JP.UTF-8"
# The ANSI code page Wine takes from each locale.
CODE_PAGES = {WESTERN: 1252, JAPANESE: 932}

GREEK = "Ελληνικά"
KANJI = "表"  # in Shift-JIS 0x95 0x5C: its second byte is a backslash's
KANA = "ソ"   # 0x83 0x5C
ACCENTED = "José"
FOLDER = "C:\\apps\\App %s %s %s" % (KANJI, ACCENTED, GREEK)
# Characters whose UTF-16 units hold the bytes of LF, CR, Ctrl-Z and NUL
# (U+010A, U+0D0A, U+1A00), and one outside the Basic Multilingual Plane,
# two UTF-16 units.
BYTE_TRAPS = "\u010a\u0d0a\u1a00"
CLEF = "\U0001d11e"
LIMIT = 32767  # UTF-16 units, the terminating null included

# The encodings a configuration is written in: byte-order mark, codec, and
# the locale whose ANSI code page reads it (None: any).
ENCODINGS = {
    "UTF-8": (b"", "utf-8", None),
    "UTF-8 with byte-order mark": (codecs.BOM_UTF8, "utf-8", None),
    "UTF-16 LE": (codecs.BOM_UTF16_LE, "utf-16-le", None),
    "UTF-16 BE": (codecs.BOM_UTF16_BE, "utf-16-be", None),
    "windows-1252": (b"", "cp1252", WESTERN),
    "Shift-JIS": (b"", "shift_jis", JAPANESE),
}


def encoded(lines, encoding):
    """The configuration `lines` as a file in `encoding`, lines ending CR LF."""
    mark, codec, _ = ENCODINGS[encoding]
    return mark + "".join(line + "\r\n" for line in lines).encode(codec)


def utf16_units(text):
    return len(text.encode("utf-16-le")) // 2


def locales(t):
    """The locales to run under; one that is not installed fails the
    scenario (scripts/test installs them), as Wine would then read every
    name and argument as ASCII."""
    listed = subprocess.run(["locale", "-a"], capture_output=True, text=True).stdout
    installed = {name.lower().replace("utf-8", "utf8") for name in listed.split()}
    for locale in CODE_PAGES:
        if locale.lower().replace("utf-8", "utf8") in installed:
            yield locale
        else:
            t.check.true("locale %s is installed (kite_require_locales in "
                         "scripts/lib/packages.sh)" % locale, False)


def fits(text, locale):
    """Whether the ANSI code page of `locale` holds every character of `text`."""
    try:
        text.encode("cp%d" % CODE_PAGES[locale])
        return True
    except UnicodeEncodeError:
        return False


def expect_start(t, label, result, locale, class_path, vm=(), arguments=(), java=JAVA):
    """One child start, exit 0, no box; the stand-in ran under the locale's
    code page and received exactly the command line and argv for these
    settings (class path entries as on the command line, quotes and all).
    Returns its record."""
    t.check.eq(label + ": launcher exit code", result.exit_code, EXIT_OK)
    t.check.eq(label + ": message boxes", result.boxes, [])
    t.check.eq(label + ": child starts", len(result.runs), 1)
    if not result.runs:
        return None
    child = result.runs[0]
    t.check.eq(label + ": ANSI code page", child["acp"], CODE_PAGES[locale])
    t.check.eq(label + ": child argv", child["argv"],
               [java.strip('"')] + list(vm)
               + ["-classpath", ";".join(class_path).replace('"', ""), MAIN]
               + list(arguments))
    t.check.eq(label + ": child command line", child["cmdline"],
               command_line(vm, class_path, arguments, java=java))
    return child


def expect_refused(t, label, result, exit_code, *fragments):
    """No child start, this exit code and, with `fragments`, one error box
    whose text holds each of them (else no box)."""
    t.check.eq(label + ": launcher exit code", result.exit_code, exit_code)
    t.check.eq(label + ": child starts", len(result.runs), 0)
    t.check.eq(label + ": boxes (caption, style)", [(b.caption, b.style) for b in result.boxes],
               [("Error", ERROR_STYLE)] if fragments else [])
    text = (result.boxes[0].text or "") if result.boxes else ""
    for fragment in fragments:
        t.check.true("%s: box names %r" % (label, fragment), fragment in text, repr(text))


@scenario("unicode: a folder named with kanji, accents and Greek, arguments passed through")
def unicode_folder(t):
    arguments = [GREEK, "%s %s" % (ACCENTED, KANJI), KANJI, "C:\\%s dir\\" % KANJI, CLEF]
    for locale in locales(t):
        app = t.app("unicode-folder", locale=locale, directory=FOLDER)
        for jar in ("lib/%s.jar" % ACCENTED, "jars/%s.jar" % GREEK, "jars/%s.jar" % KANJI):
            app.write(jar, b"PK")
        # A path with spaces written out needs quotes of its own.
        absolute = '"%s"' % app.path("lib\\%s.jar" % ACCENTED)
        app.config(*base_config("addjar lib\\a.jar", "addjar " + absolute, "addjars jars"))
        result = app.run(arguments)
        label = "%s, started as %s" % (locale, app.exe)
        # The directory scan's order is the file system's.  Names the code
        # page cannot hold go by their short names: the stand-in gives back
        # the names they stand for.
        runs = result.runs
        named = runs[0]["class_path_long"] if len(runs) == 1 else []
        t.check.eq(label + ": jars found by addjars", sorted(named[2:]),
                   sorted(["jars/%s.jar" % GREEK, "jars/%s.jar" % KANJI]))
        t.check.eq(label + ": the jar written out, by its short name",
                   named[:2], ["lib\\a.jar", absolute.strip('"')])
        entries = runs[0]["argv"][2].split(";") if len(runs) == 1 else []
        t.check.true(label + ": every name the code page cannot hold goes by a short one",
                     all(fits(e, locale) for e in entries), entries)
        child = expect_start(t, label, result, locale, entries, arguments=arguments)
        if child is not None:
            t.check.eq(label + ": child current directory", normalized_dir(child["cwd"]),
                       normalized_dir(FOLDER))


@scenario("unicode: configurations in UTF-8, UTF-16 and the ANSI code page")
def unicode_encodings(t):
    env = {"KITE_E2E_BASE": "C:\\base"}
    # The characters each encoding can hold.  A "$" value has its
    # backslashes turned into slashes, and an argument in quotes has its
    # trailing backslashes doubled: neither may touch a kanji or kana whose
    # second byte in Shift-JIS is 0x5C.  U+20AC and U+0153 are 0x80 and
    # 0x9C in windows-1252, where Latin-1 has control characters.
    texts = {
        "unicode": ([ACCENTED, GREEK, KANJI, BYTE_TRAPS + CLEF], ["%s %s" % (GREEK, KANJI), KANJI]),
        "windows-1252": ([ACCENTED, "5\u20ac", "\u0153uvre"], [ACCENTED, "\u20ac"]),
        "Shift-JIS": ([KANJI, KANA, "\u80fd"], [KANJI, KANA]),
    }
    for locale in locales(t):
        app = t.app("unicode-encodings", locale=locale)
        for encoding, (_, _, only) in ENCODINGS.items():
            if only not in (None, locale):
                continue
            values, arguments = texts.get(encoding, texts["unicode"])
            vm = ["-Dv%d=%s" % (i, value) for i, value in enumerate(values)]
            app.write("App.config", encoded(base_config(
                *["vmparam " + p for p in vm], "addpath $KITE_E2E_BASE\\%s\\lib" % values[0],
                *["argument " + a for a in arguments]), encoding))
            result = app.run(env=env)
            expect_start(t, "%s, %s" % (locale, encoding), result, locale,
                         ["C:/base/%s/lib" % values[0]], vm, arguments)


@scenario("unicode: $VAR values with kanji, accents and Greek, backslashes alone turned")
def unicode_expansion(t):
    for locale in locales(t):
        app = t.app("unicode-expansion", locale=locale)
        work = app.mkdir("%s %s" % (KANJI, GREEK))
        env = {"KITE_E2E_HOME": "C:\\" + KANJI, "KITE_E2E_GREEK": "C:\\%s\\%s" % (GREEK, ACCENTED),
               "KITE_E2E_SJIS": "C:\\%s%s" % (KANJI, KANA), "KITE_E2E_WORK": work,
               "KITE_E2E_TITLE": "%s %s %s" % (KANJI, ACCENTED, GREEK)}
        app.config(*base_config(
            "vmparam -Dhome=$KITE_E2E_GREEK", "addpath $KITE_E2E_HOME\\lib",
            "addjar $KITE_E2E_SJIS\\%s.jar" % KANJI, "workingDir $KITE_E2E_WORK",
            "consoleTitle $KITE_E2E_TITLE"))
        result = app.run(env=env)
        child = expect_start(t, locale, result, locale,
                             ["C:/%s/lib" % KANJI, "C:/%s%s/%s.jar" % (KANJI, KANA, KANJI)],
                             ["-Dhome=C:/%s/%s" % (GREEK, ACCENTED)])
        if child is not None:
            t.check.eq(locale + ": child current directory", normalized_dir(child["cwd"]),
                       normalized_dir(work))
            t.check.eq(locale + ": console title", child["startup_title"], env["KITE_E2E_TITLE"])


@scenario("unicode: a runtime home from the registry named with Greek and kanji")
def unicode_registry(t):
    home = "C:\\Java %s %s\\jre %s" % (GREEK, KANJI, ACCENTED)
    java = '"%s\\bin\\javaw.exe"' % home
    for locale in locales(t):
        session = t.sessions.with_locale(locale)
        set_registry(session, {"1.6": home}, current="1.6")
        install_runtime(session, home)
        app = t.app("unicode-registry", locale=locale)
        for request in ([], ["javaVersion 1.6"]):
            app.config("mainclass " + MAIN, "addjar lib\\%s.jar" % GREEK, *request)
            result = app.run()
            expect_start(t, "%s, %r" % (locale, request), result, locale,
                         ["lib\\%s.jar" % GREEK], java=java)


@scenario("unicode: boxes, trace lines and errors name the folder exactly, in UTF-8")
def unicode_messages(t):
    for locale in locales(t):
        app = t.app("unicode-messages", locale=locale, directory=FOLDER)
        config = app.path("App.config")
        result = app.run()
        expect_refused(t, locale + ", no configuration", result, EXIT_NO_CONFIG)
        t.check.true(locale + ": standard error names the folder",
                     any(line.startswith("Can't open %s Error " % config)
                         for line in result.stderr_lines), repr(result.stderr_lines))

        app.config("javapath " + JAVA, "vmparam -D%s=%s" % (GREEK, KANJI))
        result = app.run()
        expect_refused(t, locale + ", no main class", result, EXIT_NO_MAIN_CLASS, config)

        app.config(*base_config())
        result = app.run(["-d", GREEK])
        t.check.eq(locale + ": debug run exit code", result.exit_code, EXIT_OK)
        raw = (app.output / "stdout.txt").read_bytes()
        t.check.true(locale + ": trace line in UTF-8",
                     ("reading app config %s" % config).encode("utf-8") in raw, repr(raw[:300]))
        t.check.true(locale + ": box of the directory",
                     (FOLDER, "CWD") in [(b.text, b.caption) for b in result.boxes],
                     repr(result.boxes))
        t.check.eq(locale + ": child argv in debug mode",
                   [run["argv"][-1] for run in result.runs], [GREEK])


@scenario("unicode: the command-line limit counts UTF-16 units, not bytes or characters")
def unicode_limit(t):
    fixed = utf16_units(command_line(["-Dx="], ["a.jar"]))
    cases = [  # parameter, started
        ("-Dx=" + KANJI * 20000, True),   # 60,000 bytes in UTF-8
        ("-Dx=" + KANJI * (LIMIT - fixed), False),
        # A pair counts twice: 32,766 units in 32,765 characters is the
        # longest line; 32,767 units in 32,766 characters is too long.
        ("-Dx=" + CLEF + KANJI * (LIMIT - 3 - fixed), True),
        ("-Dx=" + CLEF + KANJI * (LIMIT - 2 - fixed), False),
    ]
    for locale in locales(t):
        app = t.app("unicode-limit", locale=locale, run_timeout=generous_timeout(t))
        for param, started in cases:
            app.write("App.config", encoded(base_config("vmparam " + param, "addjar a.jar"),
                                            "UTF-8"))
            result = app.run()
            line = command_line([param], ["a.jar"])
            units = utf16_units(line)
            label = "%s, %d UTF-16 units (%d bytes in UTF-8)" % (
                locale, units, len(line.encode("utf-8")))
            if started:
                expect_start(t, label, result, locale, ["a.jar"], [param])
                continue
            expect_refused(t, label, result, EXIT_START_FAILED, "is %d characters" % units,
                           "(%d with" % LIMIT)


@scenario("unicode: kitecheck.exe names a UTF-16 file's encoding, its JSON is UTF-8")
def unicode_kitecheck(t):
    exe = Path(t.launcher_exe).parent / "kitecheck.exe"
    if not exe.exists():
        raise Skip("kitecheck.exe is not in this build (%s)" % exe.parent)
    for locale in locales(t):
        app = t.app("unicode-check", locale=locale, directory=FOLDER)
        shutil.copy(exe, app.session.unix_path("C:\\kite") / "kitecheck.exe")
        app.write("lib/%s.jar" % KANJI, b"PK")
        app.write("App.config", encoded(base_config("vmparam -Dname=" + GREEK,
                                                    "addjar lib\\%s.jar" % KANJI), "UTF-16 LE"))
        config = app.path("App.config")
        code, text, _ = run_check(t, app, [config], "text")
        # The Greek parameter does not reach Java whole in either code page.
        t.check.eq(locale + ": text exit code", code, CHECK_WARNINGS)
        t.check.true(locale + ": text names the encoding",
                     "\n  %s  (UTF-16 LE)\n" % config in text, text[:2000])
        code, text, _ = run_check(t, app, ["--json", config], "json")
        t.check.eq(locale + ": JSON exit code", code, CHECK_WARNINGS)
        try:
            report = json.loads(text)
        except ValueError as error:
            t.check.true(locale + ": JSON output", False, "%s: %r" % (error, text[:2000]))
            continue
        t.check.eq(locale + ": files read", [(f["path"], f["encoding"]) for f in report["files"]],
                   [(config, "UTF-16 LE")])
        t.check.true(locale + ": JSON holds the Greek parameter",
                     "-Dname=" + GREEK in report["commandLine"]["text"], text[:2000])
