#!/usr/bin/env python3
"""Scripting the real editor while a person uses it, under a private X server and a private session bus.

Usage: dbus-run-session -- scripting_window.py QUORVEL SAMPLE_PACKAGE [SCREENSHOT.png]

A shape deleted over the bus comes back with Ctrl+Z in the window, and the document keeps it when the editor
quits. A shut-down item waits two seconds and then renames a shape over the bus: after Ctrl+Q the editor is
still there until the item has ended, the call succeeds, and the rename is saved with the document. Passes
when the editor exits with status 0 and the saved copy holds every shape it started with, one renamed.
"""
import os
import time

from quorvel_session import (BUS_DEST as DEST, BUS_INTERFACE as IFACE, FRONT_DOCUMENT, Session, arguments, bus_call,
                             convert_xwd, count_shapes, fail, wait_for)

PAGE = f"{{'want': <'cTab'>, 'form': <'indx'>, 'seld': <1>, 'from': <{FRONT_DOCUMENT}>}}"
FIRST = f"{{'want': <'sObj'>, 'form': <'indx'>, 'seld': <1>, 'from': <{PAGE}>}}"
RENAMED = "Renamed at quit"


def gdbus(env, method, *args, check=True):
    result = bus_call(env, method, *args)
    if check and result.returncode != 0:
        fail(f"{method} {args} failed: {result.stderr.strip()}")
    return result.stdout.strip()


def shapes_on_page(env):
    return gdbus(env, "Elements", PAGE, "sObj").count("'want': <'cTab'>")  # one page in each shape's record


def main():
    program, sample, screenshot = arguments(needs_bus=True)
    with Session(program, sample) as session:
        before = count_shapes(session.copy, lambda name: True)
        status_file = os.path.join(session.work, "rename-status")
        item = os.path.join(session.work, "data", "Quorvel", "Shutdown Items", "rename")
        os.makedirs(os.path.dirname(item))
        with open(item, "w") as f:
            f.write("#!/bin/sh\nsleep 2\n"
                    f"gdbus call {' '.join(DEST)} --method {IFACE}.Set \"{FIRST}\" name \"<'{RENAMED}'>\"\n"
                    f"echo $? > '{status_file}'\n")
        os.chmod(item, 0o755)

        session.start()
        env = session.env
        wait_for("the scripting name",
                 lambda: bus_call(env, "Elements", "@a{sv} {}", "docu").returncode == 0)
        count = shapes_on_page(env)
        identifier = gdbus(env, "Get", FIRST, "id")

        gdbus(env, "Delete", FIRST)
        if shapes_on_page(env) != count - 1:
            fail(f"the scripted delete did not take the shape: {count} then {shapes_on_page(env)}")
        session.xdotool("key", "--window", session.win, "ctrl+z")
        wait_for("the shape back after Ctrl+Z", lambda: shapes_on_page(env) == count)
        if gdbus(env, "Get", FIRST, "id") != identifier:
            fail("another shape came back in the first place")
        screen_dump = session.screen_dump() if screenshot else None

        # Ctrl+Q: the editor stays while the shut-down item sleeps, and answers its call.
        session.xdotool("key", "--window", session.win, "ctrl+q", check=False)
        time.sleep(1.0)
        if session.editor.poll() is not None:
            fail(f"quorvel ended with {session.editor.returncode} under its shut-down item")
        session.wait_for_exit(after="its shut-down item")
        if not os.path.exists(status_file) or open(status_file).read().strip() != "0":
            fail("the shut-down item's call over the bus failed")

        after = count_shapes(session.copy, lambda name: True)
        with open(os.path.join(session.copy, "composition_data.plist"), encoding="utf-8") as f:
            renamed = RENAMED in f.read()
        if after != before:
            fail(f"the saved copy holds {after} shapes, not the {before} it started with")
        if not renamed:
            fail("the shut-down item's rename was not saved")
        print(f"scripting_window: deleted over the bus, back with Ctrl+Z, {after} shapes saved; the shut-down "
              "item renamed a shape after Ctrl+Q and quorvel exited with 0")
        if screen_dump:
            convert_xwd(screen_dump, screenshot)


if __name__ == "__main__":
    main()
