#!/usr/bin/env python3
"""Takes the guide's screenshot: a real message box of the launcher.

  python3 docs/screenshot.py build/win64/kite64.exe docs/message-box.png

Starts its own Xvfb (which keeps its screen in a file, so no capture tool is
needed) and a fresh Wine prefix with no Java runtime installed, runs the
launcher as MyApp.exe with a one-line configuration, waits for the box
"No Java Installation Found", saves the box as a PNG and presses Enter in
it.  Wine draws the window frames itself (Decorated=N), as Windows would.
Needs the test packages (Wine, Xvfb, xdotool) and fonts-wine, whose fonts it
puts in the prefix (Tahoma for the text, Marlett for the frame's buttons);
every process it starts is ended by its own id.
"""
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import zlib
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))

import launch  # noqa: E402
import wine  # noqa: E402

CAPTION = "Error!"
WINE_FONTS = "/usr/share/wine/fonts"  # from the fonts-wine package
TIMEOUT = 600


def start_xvfb(screen_dir, log, size="800x600"):
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", size + "x24",
                             "-fbdir", str(screen_dir), "-nolisten", "tcp"],
                            pass_fds=(write_end,), stdout=log, stderr=log)
    os.close(write_end)
    with os.fdopen(read_end) as reader:
        number = reader.readline().strip()
    if not number:
        xvfb.kill()
        xvfb.wait()
        raise RuntimeError("Xvfb did not start")
    return xvfb, ":" + number


def prepare_prefix(session):
    """Wine draws the window frames (as Windows would) with its own fonts:
    Tahoma for the text, Marlett for the frame's buttons, copied into the
    prefix's Fonts folder, where every Wine finds them."""
    session.reg_import({"HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver": {"Decorated": "N"}})
    fonts = session.unix_path("C:\\windows\\Fonts")
    fonts.mkdir(parents=True, exist_ok=True)
    for font in sorted(Path(WINE_FONTS).glob("*.ttf")):
        shutil.copy(font, fonts / font.name)


def xdotool(display, *args):
    env = {"DISPLAY": display, "PATH": os.environ.get("PATH", "")}
    return subprocess.run(["xdotool"] + list(args), env=env, capture_output=True,
                          text=True).stdout


def find_window(display, caption):
    deadline = time.monotonic() + TIMEOUT
    while time.monotonic() < deadline:
        found = xdotool(display, "search", "--onlyvisible", "--name", "^%s$" % caption).split()
        if found:
            return found[0]
        time.sleep(0.5)
    raise RuntimeError("no window %r appeared" % caption)


def window_box(display, window):
    values = dict(line.split("=", 1) for line in
                  xdotool(display, "getwindowgeometry", "--shell", window).split())
    return tuple(int(values[key]) for key in ("X", "Y", "WIDTH", "HEIGHT"))


def read_screen(path):
    """An XWD file of a 32-bit screen -> (width, rows of RGB bytes)."""
    data = Path(path).read_bytes()
    fields = struct.unpack_from(">25I", data)
    header_size, width, height = fields[0], fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    colors = fields[19]
    if bits_per_pixel != 32:
        raise RuntimeError("expected a 32-bit screen, got %d bits" % bits_per_pixel)
    start = header_size + 12 * colors
    rows = []
    for y in range(height):
        line = data[start + y * bytes_per_line:start + y * bytes_per_line + 4 * width]
        pixels = bytearray()
        for x in range(0, len(line), 4):
            b, g, r = (line[x], line[x + 1], line[x + 2]) if byte_order == 0 else \
                (line[x + 3], line[x + 2], line[x + 1])
            pixels += bytes((r, g, b))
        rows.append(bytes(pixels))
    return width, rows


def write_png(path, rows, width):
    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))
    raw = b"".join(b"\0" + row for row in rows)
    Path(path).write_bytes(b"\x89PNG\r\n\x1a\n"
                           + chunk(b"IHDR", struct.pack(">IIBBBBB", width, len(rows), 8, 2, 0, 0, 0))
                           + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def save_window(display, window, screen, output):
    """Writes the part of the screen file `screen` that `window` covers to
    the PNG file `output`."""
    x, y, width, height = window_box(display, window)
    screen_width, rows = read_screen(screen)
    x, y = max(0, x), max(0, y)
    width = min(width, screen_width - x)
    crop = [row[3 * x:3 * (x + width)] for row in rows[y:y + height]]
    write_png(output, crop, width)
    print("%s: %dx%d" % (output, width, len(crop)))


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: screenshot.py LAUNCHER.exe OUTPUT.png")
    launcher, output = Path(sys.argv[1]).resolve(), Path(sys.argv[2]).resolve()
    with tempfile.TemporaryDirectory(prefix="kite-shot-") as temp:
        root = Path(temp)
        session = wine.WineSession(root)
        log = open(root / "xvfb.log", "wb")
        xvfb, display = start_xvfb(root, log)
        process = None
        try:
            session.env["DISPLAY"] = display
            session.start()
            prepare_prefix(session)
            app = launch.App(session, launcher, "shot", exe_name="MyApp.exe")
            app.config("mainclass com.example.myapp.Main")
            process = session.popen([app.exe], stdout=session.log, stderr=session.log)
            window = find_window(display, CAPTION)
            xdotool(display, "mousemove", "799", "599")  # keep the pointer out of the picture
            time.sleep(2)  # let Wine finish painting
            save_window(display, window, root / "Xvfb_screen0", output)
            xdotool(display, "key", "--window", window, "Return")
            process.wait(timeout=TIMEOUT)
        finally:
            if process is not None and process.poll() is None:
                process.kill()
                process.wait()
            session.close()
            xvfb.terminate()
            xvfb.wait()
            log.close()


if __name__ == "__main__":
    main()
