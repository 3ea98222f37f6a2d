"""One Wine prefix with one persistent wineserver for a whole test run.

The session boots a fresh 64-bit prefix (so 32-bit and 64-bit programs both
run), or clones one booted before, starts its own wineserver and, when asked,
its own Xvfb display, and ends exactly the processes it started, by their
process ids.  Wine takes its ANSI code page from the locale its processes run
under (en_US.UTF-8 gives 1252, ja_JP.UTF-8 932), so every session names its
locale, and the wineserver and every program of the session run under it.
"""
import os
import shutil
import signal
import subprocess
import time
from pathlib import Path

# Registry values every run needs: relay tracing of exactly the calls the
# tests inspect (message boxes, process creation, registry opens).
RELAY_INCLUDE = ("user32.MessageBoxA;user32.MessageBoxW;kernel32.CreateProcessA;"
                 "kernel32.CreateProcessW;advapi32.RegOpenKeyExA;advapi32.RegOpenKeyExW")

# Debug channels for a program under test: its relay lines tagged with the
# process id, and nothing else of Wine's.
WINEDEBUG_RELAY = "-all,+pid,+relay"
WINEDEBUG_QUIET = "-all"

# The locale of a session that names none: a Western code page (1252), so
# that results do not depend on the machine's own locale.
DEFAULT_LOCALE = "en_US.UTF-8"

# Wine's own programs and libraries, which booting copies into drive_c\windows
# of every prefix: over a gigabyte, and never written once the prefix is
# booted.  A session made from a template shares these with it by hard links
# instead of holding its own copy; everything else (registry, ini files,
# folders a test writes to) is a copy of its own.
SHARED_SUFFIXES = {".acm", ".ax", ".com", ".cpl", ".dll", ".drv", ".ds", ".exe",
                   ".msstyles", ".nls", ".ocx", ".sys", ".tlb", ".vxd"}


def _find_program(names, fallbacks):
    for name in names:
        found = shutil.which(name)
        if found:
            return found
    for path in fallbacks:
        if os.access(path, os.X_OK):
            return path
    raise RuntimeError("cannot find any of %s" % ", ".join(names + fallbacks))


def reg_quote(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def locale_environment(environment, locale):
    """`environment` with every locale variable replaced by `locale`."""
    env = {k: v for k, v in environment.items()
           if not (k.startswith("LC_") or k in ("LANG", "LANGUAGE"))}
    env.update(LANG=locale, LC_ALL=locale)
    return env


def wait(process, timeout):
    """Waits for `process`; ends it (by its process id) after `timeout`
    seconds and returns None, else returns its exit code."""
    try:
        return process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait()
        return None


def dos_path(unix_path):
    """The name under Wine's drive Z: (the Unix root) of a Unix path."""
    return "Z:" + str(Path(unix_path).resolve()).replace("/", "\\")


def _ere_escape(text):
    """Escapes `text` for an extended regular expression (xdotool's)."""
    return "".join("\\" + c if c in ".[]()*+?{}|^$\\" else c for c in text)


def clone_prefix(source, target):
    """Makes `target` a copy of the booted prefix `source`, whose wineserver
    has ended (so its registry is on disk); Wine's own files are hard links
    to the source's (SHARED_SUFFIXES)."""
    source = Path(source)
    windows = source / "drive_c" / "windows"

    def copy(src, dst):
        if Path(src).suffix.lower() in SHARED_SUFFIXES and windows in Path(src).parents:
            try:
                os.link(src, dst)
                return
            except OSError:
                pass  # a file system without hard links: a copy of its own
        shutil.copy2(src, dst)

    shutil.copytree(source, target, symlinks=True, copy_function=copy)


class WineSession:
    def __init__(self, root, display=False, locale=DEFAULT_LOCALE, template=None):
        """A session in `root`; with a `template` (the prefix of a session
        that has been started and closed), its prefix is a clone of that
        one instead of a newly booted one."""
        self.root = Path(root)
        self.prefix = self.root / "prefix"
        self.template = template
        self.display = display
        self.locale = locale
        # The wine64 loader runs 64-bit programs itself and hands 32-bit ones
        # to the 32-bit loader.  The "wine" wrapper script would prefer the
        # 32-bit loader for everything, which fails where 32-bit Linux
        # programs cannot run.
        self.wine = _find_program(["wine64"], ["/usr/lib/wine/wine64",
                                               "/usr/lib/x86_64-linux-gnu/wine/wine64"])
        self.wineserver = _find_program(["wineserver"], ["/usr/lib/wine/wineserver64",
                                                         "/usr/lib/wine/wineserver"])
        self.server = None
        self.xvfb = None
        self.env = locale_environment({k: v for k, v in os.environ.items()
                                       if not k.startswith("WINE") and k != "DISPLAY"}, locale)
        self.env.update(WINEPREFIX=str(self.prefix), WINEARCH="win64",
                        WINEDLLOVERRIDES="mscoree,mshtml=", WINEDEBUG=WINEDEBUG_QUIET)

    # --- life cycle -------------------------------------------------------

    def start(self):
        if self.prefix.exists():
            shutil.rmtree(self.prefix)
        self.root.mkdir(parents=True, exist_ok=True)
        if self.template is not None:
            clone_prefix(self.template, self.prefix)
        else:
            self.prefix.mkdir()
        self.log = open(self.root / "wine-session.log", "wb")
        if self.display:
            self._start_xvfb()
        # Wine finds a prefix's server by the device and inode number of the
        # prefix's directory.  A server left behind by a run that was killed
        # still serves its deleted prefix, whose number a new directory may
        # get: it would take this prefix's requests and never write this
        # prefix's registry, while the server started below ends at once.
        self._end_prefix_server()
        self.server = subprocess.Popen([self.wineserver, "-f", "-p"], env=self.env,
                                       stdout=self.log, stderr=self.log)
        if self.template is None:
            self._boot()

    def _boot(self):
        # Booting also starts Wine's background processes (services, device
        # drivers); they keep the session log as their output, not the
        # output files of a program under test.
        # Generous: only a hang may fail here.  Where 32-bit programs run
        # emulated, booting alone takes minutes on a busy machine.
        code = self.run(["wineboot", "-i"], stdout=self.log, stderr=self.log, timeout=1800)
        if code != 0:
            # Seen once on a busy machine, for a second prefix booted beside
            # another: a boot that ends with an error and then completes
            # when asked again.  A second failure is a real one.
            code = self.run(["wineboot", "-u"], stdout=self.log, stderr=self.log, timeout=1800)
        if code != 0:
            raise RuntimeError("wineboot failed (%s), see %s:\n%s"
                               % (code, self.log.name, self._log_tail()))
        (self.prefix / "drive_c" / "kite").mkdir(exist_ok=True)
        self.reg_import({"HKEY_CURRENT_USER\\Software\\Wine\\Debug":
                         {"RelayInclude": RELAY_INCLUDE}})

    def _log_tail(self, lines=20):
        """The last lines of the session log, and how much room the disk
        has (a full disk is what made booting fail so far)."""
        self.log.flush()
        text = Path(self.log.name).read_bytes().decode("utf-8", "replace").splitlines()
        usage = shutil.disk_usage(self.root)
        return "\n".join(text[-lines:] + ["free on disk: %d MiB" % (usage.free >> 20)])

    def registry_problem(self):
        """What is missing from the registry files of this closed session's
        prefix (None when they hold what booting and _boot wrote)."""
        user = self.prefix / "user.reg"
        if not (self.prefix / "system.reg").exists() or not user.exists():
            return "has no registry files"
        if "RelayInclude" not in user.read_text(encoding="latin-1"):
            return "has a user registry without the values written after booting"
        return None

    def close(self):
        if self.server is not None:
            if self.server.poll() is None:
                # SIGINT, as "wineserver -k" sends it: the server ends the
                # prefix's Windows processes, writes the registry to disk and
                # exits.  "-k" kills it when that takes ten seconds, and a
                # prefix without its registry is not one to clone; here it
                # has the time it needs.
                self.server.send_signal(signal.SIGINT)
                self._end(self.server, grace=300)
            else:
                # This session's server ended early, so another one served
                # the prefix: end that one.
                self._end_prefix_server()
            self.server = None
        if self.xvfb is not None:
            self._end(self.xvfb, grace=0)
            self.xvfb = None

    def _end_prefix_server(self):
        """Ends the server that holds this prefix's lock, if any ("-k" finds
        it by the lock, not by name)."""
        try:
            subprocess.run([self.wineserver, "-k"], env=self.env,
                           stdout=self.log, stderr=self.log, timeout=60)
        except subprocess.TimeoutExpired:
            pass

    @staticmethod
    def _end(process, grace):
        """Gives `process` `grace` seconds to end by itself, then asks it to
        end (SIGTERM), then ends it (SIGKILL), always by its process id."""
        for action in (None, process.terminate, process.kill):
            if action is not None:
                action()
            try:
                process.wait(timeout=grace if action is None else 20)
                return
            except subprocess.TimeoutExpired:
                pass

    def _start_xvfb(self):
        # Xvfb chooses a free display number itself and writes it to the
        # descriptor given with -displayfd.
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0",
                                      "1024x768x24", "-nolisten", "tcp"],
                                     pass_fds=(write_end,), stdout=self.log, stderr=self.log)
        os.close(write_end)
        with os.fdopen(read_end) as reader:
            number = reader.readline().strip()
        if not number:
            raise RuntimeError("Xvfb did not start")
        self.env["DISPLAY"] = ":" + number

    # --- running programs -------------------------------------------------

    def popen(self, args, env=None, stdout=None, stderr=None, winedebug=WINEDEBUG_QUIET, cwd=None,
              stdin=None):
        run_env = dict(self.env)
        run_env["WINEDEBUG"] = winedebug
        run_env.update(env or {})
        return subprocess.Popen([self.wine] + list(args), env=run_env, cwd=cwd or self.root,
                                stdin=stdin or subprocess.DEVNULL,
                                stdout=stdout or subprocess.DEVNULL,
                                stderr=stderr or subprocess.DEVNULL)

    def run(self, args, timeout=600, **kwargs):
        """Runs a program to its end; returns its exit code, or None when it
        had to be ended after `timeout` seconds."""
        return wait(self.popen(args, **kwargs), timeout)

    # --- paths ------------------------------------------------------------

    def unix_path(self, windows_path):
        """C:\\a\\b -> <prefix>/drive_c/a/b (any drive letter in dosdevices)."""
        drive, rest = windows_path[0].lower(), windows_path[2:].lstrip("\\")
        base = self.prefix / "dosdevices" / (drive + ":")
        return base.joinpath(*[part for part in rest.split("\\") if part])

    def map_drive(self, letter, windows_dir):
        """Makes drive `letter` show the directory `windows_dir` as its root."""
        link = self.prefix / "dosdevices" / (letter.lower() + ":")
        if link.is_symlink():
            link.unlink()
        link.symlink_to(os.path.realpath(self.unix_path(windows_dir)))

    # --- registry ---------------------------------------------------------

    def reg_import(self, keys, view32=False, delete=()):
        """Writes `keys` ({key path: {value name: string}}) to the registry,
        after deleting the keys named in `delete`; `view32` selects the view
        that 32-bit programs see."""
        view = ["/reg:32"] if view32 else ["/reg:64"]
        # "reg import" ignores the view for "[-key]" deletions, so delete
        # with "reg delete" (which fails harmlessly when the key is absent).
        for key in delete:
            self.run(["reg", "delete", key, "/f"] + view, stdout=self.log, stderr=self.log)
        # The Unicode form of a registry file (UTF-16 LE with its byte-order
        # mark), so that keys and values may hold any character.
        lines = ["Windows Registry Editor Version 5.00", ""]
        for key, values in keys.items():
            lines.append("[%s]" % key)
            lines += ["%s=%s" % (reg_quote(name), reg_quote(value))
                      for name, value in values.items()]
            lines.append("")
        reg_file = self.prefix / "drive_c" / "kite" / "import.reg"
        reg_file.write_bytes(b"\xff\xfe" + "\r\n".join(lines).encode("utf-16-le"))
        args = ["reg", "import", "C:\\kite\\import.reg"] + (["/reg:32"] if view32 else [])
        # Wine's reg has been seen to fail once on a busy machine and then
        # succeed with the same file; a second failure is a real one.
        for attempt in range(2):
            code = self.run(args, stdout=self.log, stderr=self.log)
            if code == 0:
                return
            time.sleep(1)
        raise RuntimeError("reg import failed with %s (see %s)" % (code, self.log.name))

    def reg_has_key(self, key, view32=False):
        args = ["reg", "query", key] + (["/reg:32"] if view32 else [])
        return self.run(args, stdout=self.log, stderr=self.log) == 0

    # --- message boxes on the display -------------------------------------

    def answer_box(self, caption, key, timeout=60, process=None):
        """Waits until a window titled `caption` shows and presses `key` in it
        (for example "y" for Yes).  Needs a session started with display=True.
        Returns True when the key was sent; False after `timeout` seconds or
        when `process` (if given) has ended first."""
        if self.xvfb is None:
            raise RuntimeError("answer_box needs a session with a display")
        deadline = time.monotonic() + timeout
        env = {"DISPLAY": self.env["DISPLAY"], "PATH": os.environ.get("PATH", "")}
        while time.monotonic() < deadline and (process is None or process.poll() is None):
            found = subprocess.run(["xdotool", "search", "--name", "^%s$" % _ere_escape(caption)],
                                   env=env, capture_output=True, text=True)
            windows = found.stdout.split()
            if windows:
                subprocess.run(["xdotool", "key", "--window", windows[0], key], env=env,
                               capture_output=True)
                return True
            time.sleep(0.2)
        return False
