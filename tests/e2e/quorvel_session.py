"""The real editor under a private X server, for the end-to-end scripts of this folder.

A Session copies a sample package to a temporary folder, starts Xvfb and the editor on the copy with fresh
settings, finds its window, and sends real input through xdotool. Every wait has a deadline; everything
started is killed by its PID when the session ends.
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
NAME = os.path.basename(sys.argv[0]).removesuffix(".py")


def fail(message):
    print(f"{NAME}: {message}", file=sys.stderr)
    sys.exit(1)


def wait_for(what, probe, deadline=DEADLINE):
    end = time.monotonic() + deadline
    while time.monotonic() < end:
        result = probe()
        if result:
            return result
        time.sleep(0.05)
    fail(f"timed out after {deadline:.0f} s waiting for {what}")


# The scripting interface on the session bus, and the front document as a specifier.
BUS_DEST = ["--session", "--dest", "com.thistlewick.Quorvel", "--object-path", "/com/thistlewick/Quorvel"]
BUS_INTERFACE = "com.thistlewick.Quorvel.Scripting"
FRONT_DOCUMENT = "{'want': <'docu'>, 'form': <'indx'>, 'seld': <1>}"


def bus_call(env, method, *args):
    """One call of the scripting interface through gdbus; answers the finished process."""
    return subprocess.run(["gdbus", "call", *BUS_DEST, "--method", f"{BUS_INTERFACE}.{method}", *args],
                          env=env, capture_output=True, text=True, timeout=30)


def arguments(needs_bus=False):
    """The editor and the sample package named on the command line, and the screenshot's path or None."""
    if len(sys.argv) < 3:
        fail(f"usage: {NAME}.py QUORVEL SAMPLE_PACKAGE [SCREENSHOT.png]")
    if needs_bus and not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
        fail("no session bus: run under dbus-run-session")
    return sys.argv[1], sys.argv[2], os.path.abspath(sys.argv[3]) if len(sys.argv) > 3 else None


def display_in_use(n):
    """A display whose lock names a live server. A server that was killed leaves its lock and socket behind:
    they are removed, so that waiting for the new server's socket waits for the new server."""
    try:
        with open(f"/tmp/.X{n}-lock") as f:
            pid = int(f.read().strip() or 0)
    except (FileNotFoundError, ValueError):
        return os.path.exists(f"/tmp/.X11-unix/X{n}") and not os.path.exists(f"/tmp/.X{n}-lock")
    try:
        os.kill(pid, 0)
        return True
    except ProcessLookupError:
        for stale in (f"/tmp/.X{n}-lock", f"/tmp/.X11-unix/X{n}"):
            try:
                os.remove(stale)
            except OSError:
                pass
        return False
    except PermissionError:
        return True


def free_display():
    for n in range(90, 200):
        if not display_in_use(n):
            return n
    fail("no free X display number")


def count_shapes(package, matches):
    """The shapes of the saved package, on every page and through groups, whose class name matches."""
    with open(os.path.join(package, "composition_data.plist"), "rb") as f:
        data = plistlib.load(f)

    def walk(shapes):
        return sum(bool(matches(str(shape.get("className", "")))) + walk(shape.get("children", []))
                   for shape in shapes)

    return sum(walk(page.get("children", [])) for page in data.get("compositions", []))


class Session:
    def __init__(self, program, sample):
        for tool in ("Xvfb", "xdotool"):
            if not shutil.which(tool):
                fail(f"{tool} is not installed (scripts/setup installs it)")
        self.program = os.path.abspath(program)
        self.work = tempfile.mkdtemp(prefix="quorvel-e2e-")
        self.started = []
        self.copy = os.path.join(self.work, os.path.basename(os.path.abspath(sample).rstrip("/")))
        shutil.copytree(sample, self.copy, symlinks=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        for process in reversed(self.started):
            if process.poll() is None:
                process.send_signal(signal.SIGKILL)
                process.wait()
        shutil.rmtree(self.work, ignore_errors=True)
        return False

    def start(self):
        """Starts the server and the editor; answers the window's id and centre."""
        env = dict(os.environ)
        env.pop("QT_QPA_PLATFORM", None)
        work = self.work
        env.update(XDG_CONFIG_HOME=os.path.join(work, "config"),
                   XDG_DATA_HOME=os.path.join(work, "data"), XDG_CACHE_HOME=os.path.join(work, "cache"),
                   XDG_RUNTIME_DIR=os.path.join(work, "runtime"), QT_QPA_PLATFORM="xcb")
        # The X keyboard library reads within the lengths it is given but past the strings' ends, which the
        # sanitizer's strict string checks stop the program for.
        env["ASAN_OPTIONS"] = ":".join(o for o in env.get("ASAN_OPTIONS", "").split(":")
                                       if o and not o.startswith("strict_string_checks"))
        os.makedirs(env["XDG_RUNTIME_DIR"], mode=0o700)
        self.env = env
        self.start_server()
        self.editor = subprocess.Popen([self.program, self.copy], env=env, stdout=subprocess.PIPE,
                                       stderr=subprocess.STDOUT)
        self.started.append(self.editor)

        def window():
            if self.editor.poll() is not None:
                fail(f"quorvel exited with status {self.editor.returncode} before showing its window:\n"
                     + self.editor.stdout.read().decode(errors="replace"))
            ids = self.xdotool("search", "--onlyvisible", "--name", "Sample", check=False).split()
            return ids[0] if ids else None

        self.win = wait_for("a window titled \"Sample\"", window)
        geometry = dict(line.split("=", 1) for line in
                        self.xdotool("getwindowgeometry", "--shell", self.win).splitlines() if "=" in line)
        x, y = int(geometry["X"]), int(geometry["Y"])
        width, height = int(geometry["WIDTH"]), int(geometry["HEIGHT"])
        self.frame = (x, y, width, height)
        self.xdotool("windowactivate", "--sync", self.win, check=False)
        return x + width // 2, y + height // 2

    def start_server(self):
        """Starts Xvfb on a free display and waits until it takes connections. Another run may take the same
        display at the same moment: our server then ends at once, and the next free display is tried."""
        for _ in range(5):
            display = free_display()
            self.env["DISPLAY"] = f":{display}"
            server = subprocess.Popen(["Xvfb", f":{display}", "-screen", "0", "1600x1000x24", "-nolisten", "tcp"],
                                      stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.started.append(server)

            def answer():
                if server.poll() is not None:
                    return "ended"
                ok = subprocess.run(["xdotool", "getdisplaygeometry"], env=self.env, capture_output=True,
                                    timeout=DEADLINE).returncode == 0
                return "ready" if ok and server.poll() is None else None

            if wait_for("the X server", answer) == "ready":
                return
        fail("no X server could be started")

    def xdotool(self, *args, check=True):
        result = subprocess.run(["xdotool", *args], env=self.env, capture_output=True, text=True, timeout=DEADLINE)
        if check and result.returncode != 0:
            why = f"xdotool {' '.join(args)} failed: {result.stderr.strip()}"
            if len(self.started) > 1 and self.started[1].poll() is not None:
                why += (f"\nquorvel had exited with status {self.started[1].returncode}:\n"
                        + self.started[1].stdout.read().decode(errors="replace"))
            fail(why)
        return result.stdout.strip()

    def draw_rectangle(self, cx, cy, dx, dy):
        """The rectangle tool's key, then a drag from the point by (dx, dy) in ten steps."""
        self.draw_with_tool("r", cx, cy, dx, dy)

    def draw_with_tool(self, key, cx, cy, dx, dy, hold=None):
        """A tool's key, then a drag from the point by (dx, dy) in ten steps, with the key hold (such as
        "shift") held from before the press to after the release."""
        self.xdotool("mousemove", "--sync", str(cx), str(cy))
        self.xdotool("click", "1")  # focus the canvas
        self.xdotool("key", "--window", self.win, key)
        time.sleep(0.2)  # the tool key travels as a notice on the next turn
        self.xdotool("mousemove", "--sync", str(cx), str(cy))
        if hold:
            self.xdotool("keydown", hold)
        self.xdotool("mousedown", "1")
        for step in range(1, 11):
            self.xdotool("mousemove", "--sync", str(cx + dx * step // 10), str(cy + dy * step // 10))
        self.xdotool("mouseup", "1")
        if hold:
            self.xdotool("keyup", hold)
        time.sleep(0.2)

    def screen_dump(self):
        """The whole screen as xwd data, or None without xwd (converting is slow: convert after the run)."""
        if not shutil.which("xwd"):
            print(f"{NAME}: xwd is not installed (x11-utils); no screenshot", file=sys.stderr)
            return None
        shot = subprocess.run(["xwd", "-root", "-silent"], env=self.env, capture_output=True, timeout=DEADLINE)
        return shot.stdout if shot.returncode == 0 else None

    def window_dump(self, window):
        """One window as xwd data with its screen position, an overlay for convert_xwd; None without xwd."""
        if not shutil.which("xwd"):
            return None
        shot = subprocess.run(["xwd", "-id", window, "-silent"], env=self.env, capture_output=True, timeout=DEADLINE)
        geometry = dict(line.split("=", 1) for line in
                        self.xdotool("getwindowgeometry", "--shell", window).splitlines() if "=" in line)
        return (shot.stdout, int(geometry["X"]), int(geometry["Y"])) if shot.returncode == 0 else None

    def visible_windows(self):
        """The ids of the editor's windows on show, pop-up menus included."""
        return set(self.xdotool("search", "--onlyvisible", "--name", "", check=False).split())

    def save_and_quit(self, saved):
        """Ctrl+S, waits until saved() holds, Ctrl+Q, and checks the exit status."""
        self.xdotool("key", "--window", self.win, "ctrl+s")
        wait_for("the save", saved)
        self.quit()

    def quit(self, deadline=DEADLINE, after="Ctrl+Q"):
        """Ctrl+Q, and checks that the editor exits with status 0 within the deadline."""
        # The window may go while xdotool still sends the key's release: the exit status tells.
        self.xdotool("key", "--window", self.win, "ctrl+q", check=False)
        self.wait_for_exit(deadline, after)

    def wait_for_exit(self, deadline=DEADLINE, after="Ctrl+Q"):
        try:
            status = self.editor.wait(timeout=deadline)
        except subprocess.TimeoutExpired:
            fail(f"quorvel did not quit after {after}")
        if status != 0:
            fail(f"quorvel exited with status {status}:\n" + self.editor.stdout.read().decode(errors="replace"))


class Screen:
    """The pixels of a 24- or 32-bit xwd dump of the screen, read as (r, g, b) by position."""

    def __init__(self, data):
        import struct
        fields = struct.unpack(">25I", data[:100])
        header_size, self.width, self.height = fields[0], fields[4], fields[5]
        self.byte_order, bits_per_pixel, self.bytes_per_line, ncolors = fields[7], fields[11], fields[12], fields[19]
        self.step = bits_per_pixel // 8
        self.usable = bits_per_pixel in (24, 32) and self.bytes_per_line >= self.width * self.step
        self.pixels = data[header_size + 12 * ncolors:]

    def row(self, y):
        """Row y as bytes r, g, b, r, g, b, ..."""
        step = self.step
        line = self.pixels[y * self.bytes_per_line: y * self.bytes_per_line + self.width * step]
        out = bytearray()
        for i in range(0, len(line), step):
            # Least significant byte first: blue, green, red; else the other way round.
            b, g, r = (line[i], line[i + 1], line[i + 2]) if self.byte_order == 0 else \
                (line[i + step - 1], line[i + step - 2], line[i + step - 3])
            out += bytes((r, g, b))
        return bytes(out)

    def at(self, x, y):
        i = y * self.bytes_per_line + x * self.step
        px = self.pixels[i: i + self.step]
        return (px[2], px[1], px[0]) if self.byte_order == 0 else (px[-1], px[-2], px[-3])


def convert_xwd(data, path, overlays=()):
    """Writes a 24- or 32-bit xwd dump of the screen as a PNG (no image tools needed). Overlays are dumps of
    single windows with their screen position, (data, x, y): a dump of the whole screen shows pop-up menus and
    dialogs black, so they are dumped on their own and laid over it."""
    import struct
    import zlib
    screen = Screen(data)
    if not screen.usable:
        print(f"{NAME}: the screen dump has {screen.step * 8} bits a pixel; no screenshot", file=sys.stderr)
        return
    rows = [bytearray(screen.row(y)) for y in range(screen.height)]
    for overlay, left, top in overlays:
        window = Screen(overlay)
        if not window.usable:
            continue
        width = max(0, min(window.width, screen.width - left))
        for y in range(max(0, -top), min(window.height, screen.height - top)):
            rows[top + y][3 * left: 3 * (left + width)] = window.row(y)[: 3 * width]
    rows = [b"\0" + bytes(row) for row in rows]

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", screen.width, screen.height, 8, 2, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(b"".join(rows), 6)) + chunk(b"IEND", b""))
