"""An application directory in the Wine prefix and one run of the launcher.

Every scenario gets its own directory C:\\apps\\<name> holding a copy of the
launcher (App.exe unless named otherwise), its configuration files and jars.
The launcher is always started through the starter program, so its command
line, argv[0] included, is exactly the text the scenario gives.  The
stand-in runtime records each start in C:\\apps\\<name>\\standin.jsonl.
The launcher's standard output and error and the stand-in's records are
UTF-8; a byte that is not shows as a \\xNN escape in the lines read.
"""
import json
import re
import shutil
import subprocess
from dataclasses import dataclass, field
from typing import List

import relay
import wine

STANDIN = "C:\\kite\\standin.exe"
STARTER = "C:\\kite\\starter.exe"

# How long one launcher run may take before it counts as hung, unless the
# App is given its own limit (run_e2e.py gives a longer one where the
# launcher runs through a CPU emulator).
DEFAULT_RUN_TIMEOUT = 120


def quote_windows_arg(arg):
    """Quotes one argument so the C runtime's splitting gives it back."""
    if arg and not any(c in arg for c in ' \t"'):
        return arg
    out, backslashes = ['"'], 0
    for c in arg:
        if c == "\\":
            backslashes += 1
            continue
        if c == '"':
            out.append("\\" * (2 * backslashes + 1) + '"')
        else:
            out.append("\\" * backslashes + c)
        backslashes = 0
    out.append("\\" * (2 * backslashes) + '"')
    return "".join(out)


@dataclass
class Result:
    exit_code: object          # int, or None when the run had to be ended
    stdout_lines: List[str]    # the launcher's trace lines
    stderr_lines: List[str]    # the launcher's own standard-error lines
    log: relay.RelayLog        # its relayed calls
    runs: List[dict] = field(default_factory=list)  # one record per child start
    # All 32 bits of the launcher's exit code, unsigned, as the starter
    # reports it (exit_code is what a Unix exit status keeps); None if unknown.
    full_exit_code: object = None

    @property
    def boxes(self):
        return self.log.boxes

    @property
    def process_starts(self):
        return self.log.process_starts

    def describe(self):
        """Everything the run produced, for a failure report."""
        lines = ["    exit code: %r (all 32 bits: %r)" % (self.exit_code, self.full_exit_code)]
        lines += ["    stdout: %r" % line for line in self.stdout_lines[:40]]
        lines += ["    stderr: %r" % line for line in self.stderr_lines[:40]]
        lines += ["    box: %r" % box for box in self.boxes[:40]]
        lines += ["    started: %r" % (start,) for start in self.process_starts[:10]]
        lines += ["    child: %s" % json.dumps(run) for run in self.runs[:10]]
        return "\n".join(line[:2000] for line in lines)


def wine_failed_to_start_child(result):
    """Whether a process creation failed with ERROR_INTERNAL_ERROR (1359):
    the launcher's box for a child it could not start gives that reason
    ("Internal error."), or the starter could not start the launcher."""
    return any(box.text and box.text.startswith("Could not start the Java runtime")
               and box.text.rstrip().endswith("Internal error.") for box in result.boxes) or \
        any(line.startswith("starter: CreateProcessW(") and line.endswith("failed, error 1359")
            for line in result.stderr_lines)


class App:
    def __init__(self, session: wine.WineSession, launcher_exe, name, exe_name="App.exe",
                 directory=None, run_timeout=DEFAULT_RUN_TIMEOUT):
        self.session = session
        self.run_timeout = run_timeout  # seconds, for a run given no timeout of its own
        self.name = name
        self.exe_name = exe_name
        self.dir = directory or "C:\\apps\\" + name
        self.unix_dir = session.unix_path(self.dir)
        if self.unix_dir.exists():
            shutil.rmtree(self.unix_dir)
        self.unix_dir.mkdir(parents=True)
        shutil.copy(launcher_exe, self.unix_dir / exe_name)
        self.output = session.root / "runs" / name
        self.output.mkdir(parents=True, exist_ok=True)

    @property
    def exe(self):
        return self.dir.rstrip("\\") + "\\" + self.exe_name

    def path(self, relative):
        return self.dir.rstrip("\\") + "\\" + relative.replace("/", "\\")

    def write(self, relative, content):
        """Writes a file below the application directory; `content` is text
        (written in UTF-8, lines ending in CR LF, as Windows editors write
        them) or bytes."""
        target = self.unix_dir.joinpath(*relative.replace("\\", "/").split("/"))
        target.parent.mkdir(parents=True, exist_ok=True)
        if isinstance(content, str):
            content = content.replace("\n", "\r\n").encode("utf-8")
        target.write_bytes(content)
        return self.path(relative)

    def mkdir(self, relative):
        self.unix_dir.joinpath(*relative.replace("\\", "/").split("/")).mkdir(parents=True,
                                                                            exist_ok=True)
        return self.path(relative)

    def config(self, *lines, name=None):
        """Writes the configuration file (App.config by default)."""
        name = name or self.exe_name[:-4] + ".config"
        return self.write(name, "".join(line + "\n" for line in lines))

    def run(self, args=(), argv0=None, command_line=None, cwd="C:\\", env=None, script=(),
            answers=(), timeout=None, stdin=None, pipes=False):
        """Starts the launcher and waits for it.  The command line is argv0
        (default: the launcher's full path) followed by `args` quoted as the C
        runtime expects, unless `command_line` gives it whole.  `script`
        lists the stand-in's behaviour per start: (exit code, delay in ms)
        or "crash".  `answers` lists (caption, key) pairs: wait for a box
        with that caption and press the key in it (sessions with a display
        only; there every box must be answered).  `stdin` (bytes) is given to
        the launcher through a pipe; with `pipes` its standard output and
        error are pipes too, read to their end, instead of files."""
        io = (stdin, pipes)
        result = self._run_once(args, argv0, command_line, cwd, env, script, answers, timeout,
                                io)
        if wine_failed_to_start_child(result):
            print("e2e: %s: Wine could not start a child (internal error); running it again"
                  % self.name, flush=True)
            # Wine has been seen, once in many runs, to fail a process
            # creation with its internal-error status: the new process ends
            # in its own start-up.  That happens to the launcher's child (the
            # launcher reports it as it should) and to the launcher itself;
            # the run is made once more so that Wine's failure does not fail
            # the scenario.  A second one is reported.
            result = self._run_once(args, argv0, command_line, cwd, env, script, answers,
                                    timeout, io)
        return result

    def _run_once(self, args, argv0, command_line, cwd, env, script, answers, timeout,
                  io=(None, False)):
        timeout = timeout or self.run_timeout
        if command_line is None:
            words = [argv0 or self.exe] + list(args)
            command_line = " ".join(quote_windows_arg(word) for word in words)
        log_path = self.output / "standin.jsonl"
        script_path = self.output / "standin.script"
        log_path.unlink(missing_ok=True)
        script_path.write_text("".join(
            (entry if isinstance(entry, str) else "%d %d" % entry) + "\n" for entry in script))
        run_env = {
            "KITE_STARTER_EXE": self.exe,
            "KITE_STARTER_CMDLINE": command_line,
            "KITE_STARTER_DIR": cwd,
            "KITE_STANDIN_LOG": wine.dos_path(log_path),
            "KITE_STANDIN_SCRIPT": wine.dos_path(script_path),
        }
        run_env.update(env or {})
        stdout_path, stderr_path = self.output / "stdout.txt", self.output / "stderr.txt"
        # Emptied, then opened for appending, so that output of other Wine
        # processes that hold the same files never overwrites the launcher's.
        stdout_path.write_bytes(b"")
        stderr_path.write_bytes(b"")
        stdin, pipes = io
        with open(stdout_path, "ab") as out, open(stderr_path, "ab") as err:
            process = self.session.popen(
                [STARTER], env=run_env, stdout=subprocess.PIPE if pipes else out,
                stderr=subprocess.PIPE if pipes else err, winedebug=wine.WINEDEBUG_RELAY,
                stdin=subprocess.PIPE if stdin is not None else None)
            if stdin is not None or pipes:
                try:
                    piped = process.communicate(stdin, timeout=timeout)
                    code = process.returncode
                except subprocess.TimeoutExpired:
                    process.kill()
                    piped = process.communicate()
                    code = None
                if pipes:
                    out.write(piped[0])
                    err.write(piped[1])
                answered = not answers
            else:
                answered = all(self.session.answer_box(caption, key, timeout, process)
                               for caption, key in answers)
                code = wine.wait(process, timeout)
        if not answered:
            code = None
        stdout = stdout_path.read_bytes().decode("utf-8", "backslashreplace")
        stderr_text = stderr_path.read_bytes().decode("utf-8", "backslashreplace")
        log = relay.parse(stderr_text)
        full = re.findall(r"^kite-starter: exit code (\d+)", stderr_text, re.MULTILINE)
        runs = []
        if log_path.exists():
            runs = [json.loads(line) for line in log_path.read_text(encoding="utf-8")
                    .splitlines() if line.strip()]
        return Result(code, stdout.splitlines(), log.own_lines, log, runs,
                      int(full[-1]) if full else None)
