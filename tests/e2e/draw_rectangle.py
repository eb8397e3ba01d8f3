#!/usr/bin/env python3
"""Draws a rectangle in the real editor under a private X server with real input, saves and quits.

Usage: draw_rectangle.py QUORVEL SAMPLE_PACKAGE [SCREENSHOT.png]

Copies the sample package to a temporary folder, starts Xvfb and the editor on the copy with fresh settings,
presses "r" at the centre of the window, drags 100 px right and 60 px down, saves with Ctrl+S and quits with
Ctrl+Q. A start-up and a shut-down script of the user's folders each write a file: the first must exist once
the window shows, the second after Ctrl+Q. Passes when the editor exits with status 0, both files were
written and the saved copy holds one more rectangle than the original. Every wait has a deadline; everything
started is killed by its PID.
"""
import os
import plistlib
import shutil
import signal
import subprocess
import sys
import tempfile
import time

DEADLINE = 30.0


def fail(message):
    print(f"draw_rectangle: {message}", file=sys.stderr)
    sys.exit(1)


def wait_for(what, probe, deadline=DEADLINE):
    end = time.monotonic() + deadline
    while time.monotonic() < end:
        result = probe()
        if result:
            return result
        time.sleep(0.05)
    fail(f"timed out after {deadline:.0f} s waiting for {what}")


def count_rectangles(package):
    with open(os.path.join(package, "composition_data.plist"), "rb") as f:
        data = plistlib.load(f)

    def walk(shapes):
        n = 0
        for shape in shapes:
            if "Rectangle" in str(shape.get("className", "")):
                n += 1
            n += walk(shape.get("children", []))
        return n

    return sum(walk(page.get("children", [])) for page in data.get("compositions", []))


def free_display():
    for n in range(90, 200):
        if not os.path.exists(f"/tmp/.X{n}-lock") and not os.path.exists(f"/tmp/.X11-unix/X{n}"):
            return n
    fail("no free X display number")


def main():
    if len(sys.argv) < 3:
        fail("usage: draw_rectangle.py QUORVEL SAMPLE_PACKAGE [SCREENSHOT.png]")
    program, sample = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    screenshot = os.path.abspath(sys.argv[3]) if len(sys.argv) > 3 else None
    for tool in ("Xvfb", "xdotool"):
        if not shutil.which(tool):
            fail(f"{tool} is not installed (scripts/setup installs it)")

    work = tempfile.mkdtemp(prefix="quorvel-e2e-")
    started = []
    screen_dump = None
    try:
        copy = os.path.join(work, os.path.basename(sample.rstrip("/")))
        shutil.copytree(sample, copy, symlinks=True)
        before = count_rectangles(copy)

        display = free_display()
        env = dict(os.environ)
        env.pop("QT_QPA_PLATFORM", None)
        env.update(DISPLAY=f":{display}", XDG_CONFIG_HOME=os.path.join(work, "config"),
                   XDG_DATA_HOME=os.path.join(work, "data"), XDG_CACHE_HOME=os.path.join(work, "cache"),
                   XDG_RUNTIME_DIR=os.path.join(work, "runtime"), QT_QPA_PLATFORM="xcb")
        # The X keyboard library reads within the lengths it is given but past the strings' ends, which the
        # sanitizer's strict string checks stop the program for.
        env["ASAN_OPTIONS"] = ":".join(o for o in env.get("ASAN_OPTIONS", "").split(":")
                                       if o and not o.startswith("strict_string_checks"))
        os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
        marks = {}
        for folder in ("Startup Items", "Shutdown Items"):
            marks[folder] = os.path.join(work, folder.split()[0].lower() + "-ran")
            script = os.path.join(env["XDG_DATA_HOME"], "Quorvel", folder, "mark")
            os.makedirs(os.path.dirname(script))
            with open(script, "w") as f:
                f.write(f"#!/bin/sh\necho ran > '{marks[folder]}'\n")
            os.chmod(script, 0o755)
        server = subprocess.Popen(["Xvfb", f":{display}", "-screen", "0", "1600x1000x24", "-nolisten", "tcp"],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        started.append(server)
        wait_for("the X server", lambda: os.path.exists(f"/tmp/.X11-unix/X{display}"))

        def xdotool(*args, check=True):
            result = subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True, timeout=DEADLINE)
            if check and result.returncode != 0:
                why = f"xdotool {' '.join(args)} failed: {result.stderr.strip()}"
                if len(started) > 1 and started[1].poll() is not None:
                    why += (f"\nquorvel had exited with status {started[1].returncode}:\n"
                            + started[1].stdout.read().decode(errors="replace"))
                fail(why)
            return result.stdout.strip()

        editor = subprocess.Popen([program, copy], env=env, stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        started.append(editor)

        def window():
            if editor.poll() is not None:
                fail(f"quorvel exited with status {editor.returncode} before showing its window:\n"
                     + editor.stdout.read().decode(errors="replace"))
            ids = xdotool("search", "--onlyvisible", "--name", "Sample", check=False).split()
            return ids[0] if ids else None

        win = wait_for("a window titled \"Sample\"", window)
        wait_for("the start-up script", lambda: os.path.exists(marks["Startup Items"]))
        if os.path.exists(marks["Shutdown Items"]):
            fail("the shut-down script ran before the quit")
        geometry = dict(line.split("=", 1) for line in
                        xdotool("getwindowgeometry", "--shell", win).splitlines() if "=" in line)
        x, y = int(geometry["X"]), int(geometry["Y"])
        width, height = int(geometry["WIDTH"]), int(geometry["HEIGHT"])
        cx, cy = x + width // 2, y + height // 2

        xdotool("windowactivate", "--sync", win, check=False)
        xdotool("mousemove", "--sync", str(cx), str(cy))
        xdotool("click", "1")  # focus the canvas
        xdotool("key", "--window", win, "r")
        time.sleep(0.2)  # the tool key travels as a notice on the next turn
        xdotool("mousemove", "--sync", str(cx), str(cy))
        xdotool("mousedown", "1")
        for step in range(1, 11):
            xdotool("mousemove", "--sync", str(cx + 10 * step), str(cy + 6 * step))
        xdotool("mouseup", "1")
        time.sleep(0.2)
        if screenshot and not shutil.which("xwd"):
            print("draw_rectangle: xwd is not installed (x11-utils); no screenshot", file=sys.stderr)
        elif screenshot:
            shot = subprocess.run(["xwd", "-root", "-silent"], env=env, capture_output=True, timeout=DEADLINE)
            if shot.returncode == 0:
                screen_dump = shot.stdout  # converted after the run: converting is slow
        xdotool("key", "--window", win, "ctrl+s")
        saved_plist = os.path.join(copy, "composition_data.plist")
        wait_for("the save", lambda: count_rectangles(copy) > before if os.path.exists(saved_plist) else False)
        # The window may go while xdotool still sends the key's release: the exit status tells.
        xdotool("key", "--window", win, "ctrl+q", check=False)
        try:
            status = editor.wait(timeout=DEADLINE)
        except subprocess.TimeoutExpired:
            fail("quorvel did not quit after Ctrl+Q")
        if status != 0:
            fail(f"quorvel exited with status {status}:\n" + editor.stdout.read().decode(errors="replace"))
        if not os.path.exists(marks["Shutdown Items"]):
            fail("the shut-down script did not run at the quit")
        after = count_rectangles(copy)
        if after != before + 1:
            fail(f"expected {before + 1} rectangles after the drag and save, found {after}")
        print(f"draw_rectangle: {before} → {after} rectangles; start-up and shut-down scripts ran; quorvel exited with 0")
        if screen_dump:
            convert_xwd(screen_dump, screenshot)
    finally:
        for process in reversed(started):
            if process.poll() is None:
                process.send_signal(signal.SIGKILL)
                process.wait()
        shutil.rmtree(work, ignore_errors=True)


def convert_xwd(data, path):
    """Writes a 24- or 32-bit xwd dump of the screen as a PNG (no image tools needed)."""
    import struct
    import zlib
    fields = struct.unpack(">25I", data[:100])
    header_size, width, height = fields[0], fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line, ncolors = fields[7], fields[11], fields[12], fields[19]
    step = bits_per_pixel // 8
    if bits_per_pixel not in (24, 32) or bytes_per_line < width * step:
        print(f"draw_rectangle: the screen dump has {bits_per_pixel} bits a pixel; no screenshot", file=sys.stderr)
        return
    pixels = data[header_size + 12 * ncolors:]
    rows = []
    for row in range(height):
        line = pixels[row * bytes_per_line: row * bytes_per_line + width * step]
        out = bytearray(b"\0")
        for i in range(0, len(line), step):
            # Least significant byte first: blue, green, red; else the other way round.
            b, g, r = (line[i], line[i + 1], line[i + 2]) if byte_order == 0 else \
                (line[i + step - 1], line[i + step - 2], line[i + step - 3])
            out += bytes((r, g, b))
        rows.append(bytes(out))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(b"".join(rows), 6)) + chunk(b"IEND", b""))


if __name__ == "__main__":
    main()
