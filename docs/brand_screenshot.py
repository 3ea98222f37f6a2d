#!/usr/bin/env python3
"""Takes the guide's picture of a branded launcher: Wine's file browser
showing MyApp.exe with its new icon beside the unbranded launcher.

  python3 docs/brand_screenshot.py build/host/kitebrand build/win64/kite64.exe \\
      docs/branded-icon.png

Draws an icon (a white "M" on a purple square), brands a copy of the
launcher with it as MyApp.exe using the given (host) kitebrand, puts both
files in C:\\MyApp of a fresh Wine prefix on its own Xvfb display, opens
that folder in Wine's explorer and saves the window as a PNG.  The prefix
runs at twice the usual DPI, so the file list shows the 32-pixel icons.
Needs what docs/screenshot.py needs (Wine, Xvfb, xdotool, fonts-wine); every
process it starts is ended by its own id.
"""
import shutil
import subprocess
import sys
import tempfile
import time
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
_HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(_HERE))
sys.path.insert(0, str(_HERE.parent / "tests" / "e2e"))
sys.path.insert(0, str(_HERE.parent / "tests" / "brand"))

import icons  # noqa: E402
import screenshot  # noqa: E402
import wine  # noqa: E402

FOLDER = "C:\\MyApp"
BACKGROUND, FOREGROUND = (123, 31, 162), (255, 255, 255)
# The window's size on the screen: the tree, and the list with both files
# and their sizes and types.
WINDOW = (1000, 380)
SETTLE = 5  # seconds for Wine to load the icons and paint


def prepare_shell(session):
    """Twice the usual DPI, and the association of .exe files with the
    "exefile" class that Windows has (a fresh Wine prefix lacks it), through
    which the shell shows each program's own icon."""
    for args in (["HKCU\\Control Panel\\Desktop", "/v", "LogPixels", "/t", "REG_DWORD",
                  "/d", "192"],
                 ["HKCR\\.exe", "/ve", "/d", "exefile"]):
        code = session.run(["reg", "add"] + args + ["/f"], stdout=session.log,
                           stderr=session.log)
        if code != 0:
            raise RuntimeError("reg add %s failed (%s)" % (args[0], code))


def brand(kitebrand, launcher, folder, work):
    """The unbranded launcher under its own name and MyApp.exe beside it."""
    shutil.copy(launcher, folder / launcher.name)
    icon = work / "myapp.ico"
    icon.write_bytes(icons.letter_icon("M", BACKGROUND, FOREGROUND))
    subprocess.run([str(kitebrand), "--from", str(launcher), "--out", str(folder / "MyApp.exe"),
                    "--icon", str(icon), "--name", "My App", "--description", "My App",
                    "--version", "2.3.1"], check=True)


def main():
    if len(sys.argv) != 4:
        sys.exit("usage: brand_screenshot.py KITEBRAND LAUNCHER.exe OUTPUT.png")
    kitebrand, launcher, output = (Path(arg).resolve() for arg in sys.argv[1:])
    with tempfile.TemporaryDirectory(prefix="kite-brand-shot-") as temp:
        root = Path(temp)
        session = wine.WineSession(root)
        log = open(root / "xvfb.log", "wb")
        xvfb, display = screenshot.start_xvfb(root, log, size="1600x1200")
        process = None
        try:
            session.env["DISPLAY"] = display
            session.start()
            screenshot.prepare_prefix(session)
            prepare_shell(session)
            folder = session.unix_path(FOLDER)
            folder.mkdir(parents=True)
            brand(kitebrand, launcher, folder, root)
            process = session.popen(["explorer", FOLDER], stdout=session.log, stderr=session.log)
            window = screenshot.find_window(display, FOLDER.rsplit("\\", 1)[-1])
            screenshot.xdotool(display, "windowsize", window, str(WINDOW[0]), str(WINDOW[1]))
            screenshot.xdotool(display, "mousemove", "1599", "1199")
            time.sleep(SETTLE)
            screenshot.save_window(display, window, root / "Xvfb_screen0", output)
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
