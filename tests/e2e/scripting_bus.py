"""The editor driven over its D-Bus scripting interface, end to end.

Run under dbus-run-session (a private session bus): the editor starts offscreen on a copy of the two-page
fixture (page 1 holds a rectangle), with a start-up item that makes a shape through gdbus. Over the bus the
test lists the pages, makes a rectangle on page 1, sets and reads its fill, sees the old rectangle unchanged
and deletes the new one; an unknown class, page 3 and a colour without "#" each answer a D-Bus error and
change nothing. Then every documented shape property is set and read back and found in the autosaved
package, and a table of bad values is refused by name, leaving the package as it was.

    scripting_bus.py QUORVEL FIXTURE.quorveldoc
"""
import os
import plistlib
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

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


def shape_titled(package, title):
    """The stored dictionary of the shape of page 1 with that title, or None."""
    with open(os.path.join(package, "composition_data.plist"), "rb") as f:
        data = plistlib.load(f)
    return next((s for s in data["compositions"][0].get("children", []) if s.get("title") == title), None)


def check_properties(package, editor):
    """Every documented shape property set and read back, saved by the autosave; then a table of bad values,
    each refused by name, leaving the saved package as it was."""
    made = record(gdbus("Make", page(1), "sRct", "{'name': <'Probe'>}").stdout)
    probe = f"{{'want': <'sRct'>, 'form': <'name'>, 'seld': <'Probe'>, 'from': <{page(1)}>}}"
    rows = [
        ("text", "<'Hello'>", "(<'Hello'>,)"),
        ("fillColor", "<'#FF000080'>", "(<'#FF000080'>,)"),
        ("strokeColor", "<'#00FF00'>", "(<'#00FF00FF'>,)"),
        ("x", "<40>", "(<int64 40>,)"),
        ("y", "<-12>", "(<int64 -12>,)"),
        ("width", "<120>", "(<int64 120>,)"),
        ("height", "<0>", "(<int64 0>,)"),
        ("location", "<{'x': <10.0>, 'y': <20.0>}>", "(<{'x': <10.0>, 'y': <20.0>}>,)"),
        ("size", "<{'width': <50.0>, 'height': <40.0>}>", "(<{'height': <40.0>, 'width': <50.0>}>,)"),
        ("frame", "<{'x': <30.0>, 'y': <60.0>, 'width': <70.0>, 'height': <90.0>}>",
         "(<{'height': <90.0>, 'width': <70.0>, 'x': <30.0>, 'y': <60.0>}>,)"),
    ]
    for prop, value, back in rows:
        gdbus("Set", probe, prop, value)
        got = gdbus("Get", probe, prop).stdout.strip()
        if got != back:
            fail(f"{prop}: set {value}, read {got}")
    gdbus("Set", probe, "name", "<'Badge'>")
    badge = probe.replace("'Probe'", "'Badge'")
    if gdbus("Get", badge, "name").stdout.strip() != "(<'Badge'>,)":
        fail("the name does not read back")
    if gdbus("Get", made, "name", check=False).returncode == 0:
        fail("the old name still finds the shape")

    # The autosave stores what was set.
    stored = wait_for("the autosave", lambda: shape_titled(package, "Badge"), DEADLINE)
    if stored.get("frame") != "{{30, 60}, {70, 90}}":
        fail(f"the stored frame is {stored.get('frame')}")
    saved = open(os.path.join(package, "composition_data.plist"), "rb").read()

    deep = page(1)
    for _ in range(16):  # past the 16 containers a specifier may name, within what the bus carries
        deep = f"{{'want': <'sObj'>, 'form': <'indx'>, 'seld': <1>, 'from': <{deep}>}}"
    nested = "<{'x': <1.0>}>"
    for _ in range(20):  # the bus itself refuses much deeper messages
        nested = f"<{{'x': {nested}}}>"
    numeric_class = f"{{'want': <7>, 'form': <'indx'>, 'seld': <1>, 'from': <{page(1)}>}}"
    bad = [
        ("CoercionFailed", "Set", badge, "width", "<-50>"),
        ("CoercionFailed", "Set", badge, "size", "<{'width': <50.0>, 'height': <-40.0>}>"),
        ("CoercionFailed", "Set", badge, "x", "<1e308>"),
        ("CoercionFailed", "Set", badge, "location", "<{'x': <-1e308>, 'y': <0.0>}>"),
        ("CoercionFailed", "Set", badge, "frame", "<{'x': <nan>}>"),
        ("CoercionFailed", "Set", badge, "frame", "<{'width': <inf>}>"),
        ("CoercionFailed", "Set", badge, "frame", "<@a{sv} {}>"),
        ("CoercionFailed", "Set", badge, "frame", nested),
        ("CoercionFailed", "Set", badge, "location", "<'here'>"),
        ("CoercionFailed", "Set", badge, "width", "<'wide'>"),
        ("CoercionFailed", "Set", badge, "name", "<7>"),
        ("CoercionFailed", "Set", badge, "fillColor", "<'#12'>"),
        ("NotModifiable", "Set", badge, "id", "<'X'>"),
        ("NoSuchObject", "Set", f"{{'want': <'sObj'>, 'form': <'ID  '>, 'seld': <'NOPE'>, 'from': <{page(1)}>}}",
         "name", "<'x'>"),
        ("CantHandleClass", "Get", numeric_class, "name"),
        ("BadKeyForm", "Get", deep, "name"),
        ("EventNotHandled", "Set", "@a{sv} {}", "name", "<'x'>"),
    ]
    for name, method, *args in bad:
        expect_error(f"com.thistlewick.Quorvel.Error.{name}", method, *args)
    numeric = gdbus("Get", numeric_class, "name", check=False).stderr
    if "There is no class 7." not in numeric:
        fail(f"the class given as a number is not named: {numeric}")
    # Nothing was edited, so nothing is saved again.
    time.sleep(6)
    if open(os.path.join(package, "composition_data.plist"), "rb").read() != saved:
        fail("a refused value changed the saved package")
    if editor.poll() is not None:
        fail(f"the editor ended with {editor.returncode} during the bad values")


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
        check_properties(package, editor)
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
