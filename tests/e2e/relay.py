"""Reading what a program under Wine did from its standard error.

With WINEDEBUG=-all,+pid,+relay and RelayInclude limited to the message box,
process creation and registry opening functions (both the -A and the -W
forms), Wine writes lines such as

  0110:0114:Call user32.MessageBoxW(00000000,140009030 L"text",140009025 L"Error",00000010) ret=...
  0110:0114:Ret  user32.MessageBoxW() retval=ffffffff ret=...

to the program's standard error, between the program's own lines.  This module
splits the two apart and turns the relay lines into calls with their string
arguments and results.  In a wide string (L"...") Wine writes a character
outside printable ASCII as a backslash and four hex digits (its UTF-16 code
unit); in a narrow one as a backslash, "x" and two.
"""
import re
from dataclasses import dataclass, field
from typing import List, Optional

# Any line of Wine's own: debug output (with or without the process id) or a
# message of the loader.
_WINE_LINE = re.compile(r"^(?:[0-9a-f]{4}:){1,2}(?:Call |Ret  |Starting |trace:|err:|fixme:|warn:)"
                        r"|^wine: |^kite-starter: ")
_CALL = re.compile(r"^([0-9a-f]{4}):[0-9a-f]{4}:Call (?:user32|kernel32|advapi32)\.(\w+)\((.*)\) ret=",
                   re.IGNORECASE)
_RET = re.compile(r"^([0-9a-f]{4}):[0-9a-f]{4}:Ret  (?:user32|kernel32|advapi32)\.(\w+)\(\) "
                  r"retval=([0-9a-f]+)", re.IGNORECASE)
_STARTER_CHILD = re.compile(r"^kite-starter: child pid ([0-9a-f]+)")
# A 64-bit program's relay lines show whole registers; 32-bit arguments
# (flags, styles, access masks) are their low halves.
_DWORD = 0xFFFFFFFF
_HEX = re.compile(r"[0-9a-fA-F]+")
_HEX4 = re.compile(r"[0-9a-fA-F]{4}")
_ESCAPES = {"n": "\n", "r": "\r", "t": "\t", "\\": "\\", '"': '"'}


@dataclass
class Arg:
    """One argument of a relayed call: its value (a number or a pointer)
    and, for a string pointer, the string Wine printed."""
    value: int
    text: Optional[str] = None
    truncated: bool = False  # Wine cut a long string and appended "..."


@dataclass
class Call:
    pid: str
    name: str
    args: List[Arg]
    result: Optional[int] = None  # None when no Ret line followed


@dataclass
class Box:
    text: Optional[str]
    caption: Optional[str]
    style: int
    answer: Optional[int]
    truncated: bool = False

    def __repr__(self):
        return "Box(%r, %r, 0x%x)" % (self.text, self.caption, self.style)


@dataclass
class RelayLog:
    calls: List[Call] = field(default_factory=list)
    own_lines: List[str] = field(default_factory=list)  # the program's own stderr

    def named(self, name):
        """The calls of `name` in either form: "MessageBox" finds MessageBoxA
        and MessageBoxW, in the order they were made."""
        return [call for call in self.calls if call.name in (name, name + "A", name + "W")]

    @property
    def boxes(self):
        return [Box(c.args[1].text, c.args[2].text, c.args[3].value & _DWORD, c.result,
                    c.args[1].truncated or c.args[2].truncated)
                for c in self.named("MessageBox")]

    @property
    def process_starts(self):
        """(command line, inherit handles, creation flags, directory, result)
        of each CreateProcess call."""
        return [(c.args[1].text, c.args[4].value & _DWORD, c.args[5].value & _DWORD,
                 c.args[7].text, c.result)
                for c in self.named("CreateProcess")]

    @property
    def registry_opens(self):
        """(root key, path, access mask, result) of each RegOpenKeyEx call."""
        return [(c.args[0].value & _DWORD, c.args[1].text, c.args[3].value & _DWORD, c.result)
                for c in self.named("RegOpenKeyEx")]


def _parse_string(text, i, wide=False):
    """Parses the C-escaped string that starts at text[i] (a double quote);
    returns (string, index after it, truncated)."""
    out = []
    i += 1
    while i < len(text) and text[i] != '"':
        if text[i] == "\\" and i + 1 < len(text):
            escaped = text[i + 1]
            if escaped == "x" and not wide:
                out.append(chr(int(text[i + 2:i + 4], 16)))
                i += 4
                continue
            if wide and escaped not in _ESCAPES and _HEX4.match(text, i + 1):
                out.append(chr(int(text[i + 1:i + 5], 16)))
                i += 5
                continue
            out.append(_ESCAPES.get(escaped, escaped))
            i += 2
        else:
            out.append(text[i])
            i += 1
    i += 1
    truncated = text.startswith("...", i)
    if truncated:
        i += 3
    result = "".join(out)
    if wide:  # pairs of surrogate code units become one character
        result = result.encode("utf-16-le", "surrogatepass").decode("utf-16-le", "replace")
    return result, i, truncated


def parse_args(text):
    """Splits Wine's relay argument list: hex values, each optionally
    followed by a space and the string it points to."""
    args = []
    i = 0
    while i < len(text):
        match = _HEX.match(text, i)
        if not match:
            raise ValueError("cannot parse relay arguments at %d: %r" % (i, text))
        arg = Arg(int(match.group(0), 16))
        i = match.end()
        if text.startswith(' "', i):
            arg.text, i, arg.truncated = _parse_string(text, i + 1)
        elif text.startswith(" L\"", i):
            arg.text, i, arg.truncated = _parse_string(text, i + 2, wide=True)
        args.append(arg)
        if text.startswith(",", i):
            i += 1
    return args


def _signed(hex_text):
    """A return value as the signed integer of its printed width."""
    bits = 64 if len(hex_text) > 8 else 32
    value = int(hex_text, 16)
    return value - (1 << bits) if value >= 1 << (bits - 1) else value


def parse(stderr_text, pid=None):
    """Reads a program's captured standard error.  With `pid` (as Wine prints
    it) only that process's calls are kept; without it, the process named by
    the starter's "child pid" line, if any, else every process."""
    lines = stderr_text.splitlines()
    if pid is None:
        for line in lines:
            match = _STARTER_CHILD.match(line)
            if match:
                pid = match.group(1).lower()
    log = RelayLog()
    pending = {}  # (pid, function) -> calls waiting for their Ret line
    for line in lines:
        call = _CALL.match(line)
        ret = _RET.match(line)
        if call and (pid is None or call.group(1) == pid):
            entry = Call(call.group(1), call.group(2), parse_args(call.group(3)))
            log.calls.append(entry)
            pending.setdefault((entry.pid, entry.name), []).append(entry)
        elif ret and (pid is None or ret.group(1) == pid):
            waiting = pending.get((ret.group(1), ret.group(2)))
            if waiting:
                waiting.pop(0).result = _signed(ret.group(3))
        elif line and not _WINE_LINE.match(line):
            log.own_lines.append(line)
    return log
