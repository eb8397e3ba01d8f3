#!/usr/bin/env python3
"""Drags the library's "Arrow (A)" row onto the page in the real editor under a private X server, saves, quits.

Usage: drop_library_row.py QUORVEL SAMPLE_PACKAGE [SCREENSHOT.png]

Starts Xvfb and the editor on a copy of the sample with fresh settings (the window at its default place and
size), types "Arrow" into the library's search field, drags the third row the search leaves ("Arrow (A)",
the Pointer kind) to the middle of the window and releases it over the page, clicks empty page so that the
keys go to the canvas (the screenshot shows the new arrow there), saves with Ctrl+S and quits with Ctrl+Q.
Passes when the editor exits with status 0 and the saved copy holds one more Pointer than the original.
Every wait has a deadline; everything started is killed by its PID.
"""
import os
import plistlib
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from draw_rectangle import DEADLINE, convert_xwd, fail, free_display, wait_for  # noqa: E402

KIND = "Pointer"


def count_kind(package):
    with open(os.path.join(package, "composition_data.plist"), "rb") as f:
        data = plistlib.load(f)

    def walk(shapes):
        return sum((shape.get("className") == KIND) + walk(shape.get("children", [])) for shape in shapes)

    return sum(walk(page.get("children", [])) for page in data.get("compositions", []))


def main():
    if len(sys.argv) < 3:
        fail("usage: drop_library_row.py QUORVEL SAMPLE_PACKAGE [SCREENSHOT.png]")
    program, sample = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    screenshot = os.path.abspath(sys.argv[3]) if len(sys.argv) > 3 else None
    for tool in ("Xvfb", "xdotool"):
        if not shutil.which(tool):
            fail(f"{tool} is not installed (scripts/setup installs it)")
    work = tempfile.mkdtemp(prefix="quorvel-e2e-")
    started = []
    try:
        copy = os.path.join(work, os.path.basename(sample.rstrip("/")))
        shutil.copytree(sample, copy, symlinks=True)
        before = count_kind(copy)
        display = free_display()
        env = dict(os.environ)
        env.update(DISPLAY=f":{display}", XDG_CONFIG_HOME=os.path.join(work, "config"),
                   XDG_DATA_HOME=os.path.join(work, "data"), XDG_CACHE_HOME=os.path.join(work, "cache"),
                   XDG_RUNTIME_DIR=os.path.join(work, "runtime"), QT_QPA_PLATFORM="xcb")
        env["ASAN_OPTIONS"] = ":".join(o for o in env.get("ASAN_OPTIONS", "").split(":")
                                       if o and not o.startswith("strict_string_checks"))
        os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
        server = subprocess.Popen(["Xvfb", f":{display}", "-screen", "0", "1600x1000x24", "-nolisten", "tcp"],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        started.append(server)
        wait_for("the X server", lambda: os.path.exists(f"/tmp/.X11-unix/X{display}"))

        def xdotool(*args, check=True):
            result = subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True, timeout=DEADLINE)
            if check and result.returncode != 0:
                fail(f"xdotool {' '.join(args)} failed: {result.stderr.strip()}")
            return result.stdout.strip()

        editor = subprocess.Popen([program, copy], env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        started.append(editor)

        def window():
            if editor.poll() is not None:
                fail(f"quorvel exited with status {editor.returncode}:\n" + editor.stdout.read().decode(errors="replace"))
            ids = xdotool("search", "--onlyvisible", "--name", "Sample", check=False).split()
            return ids[0] if ids else None

        win = wait_for("a window titled \"Sample\"", window)
        geometry = dict(line.split("=", 1) for line in
                        xdotool("getwindowgeometry", "--shell", win).splitlines() if "=" in line)
        x, y = int(geometry["X"]), int(geometry["Y"])
        width, height = int(geometry["WIDTH"]), int(geometry["HEIGHT"])
        xdotool("windowactivate", "--sync", win, check=False)
        xdotool("mousemove", "--sync", str(x + 84), str(y + 35))  # the library's search field
        xdotool("click", "1")
        xdotool("type", "--delay", "50", "Arrow")
        time.sleep(0.8)
        row_x, row_y = x + 84, y + 182  # the third row
        to_x, to_y = x + width // 2, y + height // 2
        xdotool("mousemove", "--sync", str(row_x), str(row_y))
        xdotool("mousedown", "1")
        for step in range(1, 21):  # released over the page, the view that accepts the drop
            xdotool("mousemove", "--sync", str(row_x + (to_x - row_x) * step // 20),
                    str(row_y + (to_y - row_y) * step // 20))
            time.sleep(0.05)
        time.sleep(0.3)
        xdotool("mousemove", "--sync", str(to_x + 1), str(to_y + 1))
        time.sleep(0.3)
        xdotool("mouseup", "1")
        time.sleep(1.0)
        # The keys go back from the search field to the canvas: a click on empty page below the shapes.
        xdotool("mousemove", "--sync", str(x + 591), str(y + 649))
        xdotool("click", "1")
        time.sleep(0.3)
        if screenshot and shutil.which("xwd"):
            shot = subprocess.run(["xwd", "-root", "-silent"], env=env, capture_output=True, timeout=DEADLINE)
            if shot.returncode == 0:
                convert_xwd(shot.stdout, screenshot)
        xdotool("key", "--window", win, "ctrl+s")
        wait_for("the save", lambda: count_kind(copy) > before)
        xdotool("key", "--window", win, "ctrl+q", check=False)
        try:
            status = editor.wait(timeout=DEADLINE)
        except subprocess.TimeoutExpired:
            fail("quorvel did not quit after Ctrl+Q")
        if status != 0:
            fail(f"quorvel exited with status {status}:\n" + editor.stdout.read().decode(errors="replace"))
        after = count_kind(copy)
        if after != before + 1:
            fail(f"expected {before + 1} {KIND} shapes after the drop and save, found {after}")
        print(f"drop_library_row: {before} → {after} {KIND} shapes; quorvel exited with 0")
    finally:
        for process in reversed(started):
            if process.poll() is None:
                process.send_signal(signal.SIGKILL)
                process.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
