"""The editor driven over its D-Bus scripting interface, end to end.

Run under dbus-run-session (a private session bus): the editor starts offscreen on a copy of the two-page
fixture (page 1 holds a rectangle), with a start-up item that makes a shape through gdbus. Over the bus the
test lists the pages, makes a rectangle on page 1, sets and reads its fill, sees the old rectangle unchanged
and deletes the new one; an unknown class, page 3 and a colour without "#" each answer a D-Bus error and
change nothing.

    scripting_bus.py QUORVEL FIXTURE.quorveldoc
"""
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile

from quorvel_session import fail, wait_for

DEADLINE = 60.0
DEST = ["--session", "--dest", "com.thistlewick.Quorvel", "--object-path", "/com/thistlewick/Quorvel"]
IFACE = "com.thistlewick.Quorvel.Scripting"


def gdbus(method, *args, check=True):
    result = subprocess.run(["gdbus", "call", *DEST, "--method", f"{IFACE}.{method}", *args],
                            capture_output=True, text=True, timeout=30)
    if check and result.returncode != 0:
        fail(f"{method} {args} failed: {result.stderr.strip()}")
    return result


def record(output):
    """The a{sv} of a reply "({...},)" as gdbus takes it back."""
    text = output.strip()
    if not (text.startswith("({") and text.endswith("},)")):
        fail(f"not a record: {text}")
    return text[1:-2]


DOCUMENT = "{'want': <'docu'>, 'form': <'indx'>, 'seld': <1>}"


def page(n):
    return f"{{'want': <'cTab'>, 'form': <'indx'>, 'seld': <{n}>, 'from': <{DOCUMENT}>}}"


def count(output, code):
    return len(re.findall(rf"'want': <'{code}'>", output))


def expect_error(name, method, *args):
    result = gdbus(method, *args, check=False)
    if result.returncode == 0 or name not in result.stderr:
        fail(f"{method} {args}: wanted {name}, got {result.returncode}: {result.stdout}{result.stderr}")


def main():
    if len(sys.argv) != 3:
        fail("usage: scripting_bus.py QUORVEL FIXTURE.quorveldoc")
    if not os.environ.get("DBUS_SESSION_BUS_ADDRESS"):
        fail("no session bus: run under dbus-run-session")
    quorvel, fixture = sys.argv[1:]
    work = tempfile.mkdtemp(prefix="quorvel-scripting-")
    editor = None
    try:
        package = os.path.join(work, "Fixture.quorveldoc")
        shutil.copytree(fixture, package)
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen", CI="true",
                   XDG_DATA_HOME=os.path.join(work, "data"), XDG_CONFIG_HOME=os.path.join(work, "config"),
                   XDG_CACHE_HOME=os.path.join(work, "cache"), XDG_RUNTIME_DIR=work)
        env.pop("DISPLAY", None)
        # A start-up item that drives the editor while it runs.
        startup = os.path.join(work, "data", "Quorvel", "Startup Items")
        os.makedirs(startup)
        item = os.path.join(startup, "make_ellipse")
        with open(item, "w") as f:
            f.write("#!/bin/sh\n"
                    f"exec gdbus call {' '.join(DEST)} --method {IFACE}.Make "
                    f"\"{page(2)}\" sElp \"{{'name': <'FromStartup'>}}\"\n")
        os.chmod(item, 0o755)

        editor = subprocess.Popen([quorvel, package], env=env, stdout=subprocess.DEVNULL,
                                  stderr=open(os.path.join(work, "editor.log"), "w"))
        wait_for("the scripting name", lambda: editor.poll() is None and gdbus(
            "Elements", "@a{sv} {}", "docu", check=False).returncode == 0, DEADLINE)
        # The start-up item's shape.
        wait_for("the start-up item's ellipse",
                 lambda: count(gdbus("Elements", page(2), "sElp").stdout, "sElp") == 1, DEADLINE)

        pages = gdbus("Elements", DOCUMENT, "cTab").stdout
        if count(pages, "cTab") != 2:
            fail(f"two pages expected: {pages}")
        shapes_before = gdbus("Elements", page(1), "sObj").stdout
        if count(shapes_before, "sRct") != 1:
            fail(f"one rectangle expected on page 1: {shapes_before}")
        old = f"{{'want': <'sRct'>, 'form': <'indx'>, 'seld': <1>, 'from': <{page(1)}>}}"
        old_fill = gdbus("Get", old, "fillColor").stdout

        made = record(gdbus("Make", page(1), "sRct", "@a{sv} {}").stdout)
        gdbus("Set", made, "fillColor", "<'#FF000080'>")
        fill = gdbus("Get", made, "fillColor").stdout.strip()
        if fill != "(<'#FF000080'>,)":
            fail(f"the new rectangle's fill reads {fill}")
        if gdbus("Get", old, "fillColor").stdout != old_fill:
            fail("the old rectangle changed")
        if count(gdbus("Elements", page(1), "sRct").stdout, "sRct") != 2:
            fail("the new rectangle is not listed")
        gdbus("Delete", made)
        if gdbus("Elements", page(1), "sObj").stdout != shapes_before:
            fail("deleting the new rectangle did not leave page 1 as it was")

        expect_error("com.thistlewick.Quorvel.Error.CantHandleClass", "Make", page(1), "sZzz", "@a{sv} {}")
        expect_error("com.thistlewick.Quorvel.Error.PageIndexOutOfBounds", "Elements", page(3), "sObj")
        expect_error("com.thistlewick.Quorvel.Error.CoercionFailed", "Set", old, "fillColor", "<'FF0000'>")
        expect_error("com.thistlewick.Quorvel.Error.EventNotHandled", "Quit")
        if count(gdbus("Elements", DOCUMENT, "cTab").stdout, "cTab") != 2:
            fail("the pages changed")
        if gdbus("Elements", page(1), "sObj").stdout != shapes_before:
            fail("page 1 changed")
        if gdbus("Get", old, "fillColor").stdout != old_fill:
            fail("the refused colour changed the old rectangle")
        if editor.poll() is not None:
            fail(f"the editor ended with {editor.returncode}")
        print("scripting_bus: ok")
    finally:
        if editor and editor.poll() is None:
            editor.send_signal(signal.SIGTERM)
            try:
                editor.wait(timeout=10)
            except subprocess.TimeoutExpired:
                editor.kill()
                editor.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
