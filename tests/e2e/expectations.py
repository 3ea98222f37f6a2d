"""What several scenarios expect: the launcher's and kitecheck's exit codes,
the box styles, the child command line the launcher builds, and checks of a
run's child starts and boxes."""
import re

import launch

JAVA = launch.STANDIN
MAIN = "app.Main"
# The error icon with an OK button, and a plain OK box.
ERROR_STYLE = 0x10
PLAIN_STYLE = 0x00
REGISTRY_BASE = "SOFTWARE\\JavaSoft\\Java Runtime Environment"

# The launcher's exit codes.
EXIT_OK = 0
EXIT_NO_CONFIG = 2           # the configuration file cannot be opened
EXIT_NO_RUNTIME = 7          # no javapath and no usable default runtime in the registry
EXIT_START_FAILED = 4        # the runtime could not be started, or the line is too long
EXIT_VERSION_UNRESOLVED = 5  # javaVersion: no runtime of that version, or one without a home
EXIT_NO_MAIN_CLASS = 6
EXIT_RUNTIME_MISSING = 11    # javaVersion: no runtime key at all, or only incompatible ones

# kitecheck's exit codes.
CHECK_CLEAN = 0
CHECK_WARNINGS = 1
CHECK_ERRORS = 2


def registry_access(width):
    """The access mask with which a program of this width opens the runtime
    keys: KEY_READ, and for 64-bit code the 32-bit view (KEY_WOW64_32KEY)."""
    return 0x20019 | (0x200 if width == 64 else 0)


def generous_timeout(t):
    """A limit for a run that does far more than usual (a huge configuration,
    a kitecheck report): five times the run's normal limit, so that only a
    hang exceeds it."""
    return 5 * t.run_timeout


def base_config(*lines):
    """A configuration that runs the stand-in with app.Main, plus `lines`."""
    return ("mainclass " + MAIN, "javapath " + JAVA) + lines


def quoted_arguments(arguments, always=True):
    """The program arguments as the launcher puts them on the command line:
    quoted when they hold a space or a tab or are empty (or always), a
    double quote inside escaped with a backslash, the backslashes before a
    quote (the closing one too) doubled, each followed by a space."""
    out = []
    for argument in arguments:
        quote = always or " " in argument or "\t" in argument or not argument
        escaped = re.sub(r'(\\*)"', lambda m: m.group(1) * 2 + '\\"', argument)
        if quote:
            trailing = len(escaped) - len(escaped.rstrip("\\"))
            escaped = '"%s%s"' % (escaped, "\\" * trailing)
        out.append(escaped + " ")
    return "".join(out)


def command_line(vm_params=(), class_path=(), arguments=(), java=JAVA, main=MAIN, always=True):
    """The child's whole command line for these settings."""
    line = java + " " + "".join(p + " " for p in vm_params) + "-classpath "
    line += ";".join(class_path) if class_path else ""
    line = line.rstrip(" ") + " " + main
    return line + (" " + quoted_arguments(arguments, always) if arguments else "")


def normalized_dir(path):
    return (path or "").replace("/", "\\").rstrip("\\").lower()


def expect_one_child(check, result, cmdline=None, argv=None, cwd=None, exit_code=EXIT_OK):
    """One child start, the launcher's exit code and no message box."""
    check.eq("launcher exit code", result.exit_code, exit_code)
    check.eq("number of child starts", len(result.runs), 1)
    check.eq("message boxes", result.boxes, [])
    if not result.runs:
        return None
    child = result.runs[0]
    if cmdline is not None:
        check.eq("child command line", child["cmdline"], cmdline)
    if argv is not None:
        check.eq("child argv", child["argv"], argv)
    if cwd is not None:
        check.eq("child current directory", normalized_dir(child["cwd"]), normalized_dir(cwd))
    return child


def expect_no_child(check, result, exit_code):
    check.eq("launcher exit code", result.exit_code, exit_code)
    check.eq("child starts", result.runs, [])


def expect_error_box(check, result, caption, *fragments):
    """Exactly one box, with this caption and the error icon, whose text holds
    every fragment."""
    boxes = result.boxes
    check.eq("number of message boxes", len(boxes), 1)
    if boxes:
        check.eq("box caption", boxes[0].caption, caption)
        check.eq("box style", boxes[0].style, ERROR_STYLE)
        for fragment in fragments:
            check.true("box text names %r" % fragment, fragment in (boxes[0].text or ""),
                       repr(boxes[0].text))
