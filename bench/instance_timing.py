"""Start-up cost of singleInstance under Wine.

  python3 bench/instance_timing.py 64|32 [BUILD_DIR] [WORK_DIR]

Times 15 starts each of a launcher without and with "singleInstance on"
(stand-in runtime that exits at once; each time covers the launcher's start,
its child and its end), then 15 second starts while a first one holds the
instance.  Medians and minima in seconds; see NOTES.md.
"""
import shutil
import statistics
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "e2e"))
import wine  # noqa: E402

width = sys.argv[1]
build = Path(sys.argv[2] if len(sys.argv) > 2 else "build/win%s" % width).resolve()
root = Path(sys.argv[3] if len(sys.argv) > 3 else "/tmp/kite-instance-timing").resolve() / width
shutil.rmtree(root, ignore_errors=True)
s = wine.WineSession(root / "s")
s.start()
try:
    kdir = s.unix_path("C:\\kite"); kdir.mkdir(parents=True, exist_ok=True)
    shutil.copy(build / "tests/e2e/programs/standin.exe", kdir)
    for name, extra in (("plain", ""), ("single", "singleInstance on\r\n")):
        d = s.unix_path("C:\\m\\" + name); d.mkdir(parents=True)
        shutil.copy(build / ("kite%s.exe" % width), d / "App.exe")
        (d / "App.config").write_text("mainclass app.Main\r\njavapath C:\\kite\\standin.exe\r\n" + extra)
    def once(name, env=None):
        t0 = time.monotonic()
        code = s.run(["C:\\m\\%s\\App.exe" % name], env=env)
        return time.monotonic() - t0, code
    for name in ("plain", "single") * 2: once(name)  # warm-up
    times = {"plain": [], "single": []}
    for i in range(15):
        for name in ("plain", "single"):
            times[name].append(once(name)[0])
    for name, ts in times.items():
        print("%s start+child+exit: median %.3f s, min %.3f s (n=%d)" % (name, statistics.median(ts), min(ts), len(ts)))
    # A held instance: the second start's own time.
    (root / "script").write_text("0 600000\n"); stop = root / "stop"
    env = {"KITE_STANDIN_SCRIPT": wine.dos_path(root / "script"), "KITE_STANDIN_STOP": wine.dos_path(stop)}
    first = s.popen(["C:\\m\\single\\App.exe"], env=env)
    time.sleep(3)
    second = [once("single", env) for i in range(15)]
    print("second start (refused): median %.3f s, min %.3f s, codes %s" % (statistics.median([a for a, b in second]), min(a for a, b in second), sorted(set(b for a, b in second))))
    stop.write_text("x"); first.wait(60)
finally:
    s.close()
