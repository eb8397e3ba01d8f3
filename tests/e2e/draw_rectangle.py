#!/usr/bin/env python3
"""Draws a rectangle in the real editor under a private X server with real input, saves and quits.

Usage: draw_rectangle.py QUORVEL SAMPLE_PACKAGE [SCREENSHOT.png]

Copies the sample package to a temporary folder, starts Xvfb and the editor on the copy with fresh settings,
presses "r" at the centre of the window, drags 100 px right and 60 px down, saves with Ctrl+S and quits with
Ctrl+Q. Passes when the editor exits with status 0 and the saved copy holds one more rectangle than the
original. Every wait has a deadline; everything started is killed by its PID.
"""
import os
import plistlib
import sys

from quorvel_session import Session, convert_xwd, fail


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


def main():
    if len(sys.argv) < 3:
        fail("usage: draw_rectangle.py QUORVEL SAMPLE_PACKAGE [SCREENSHOT.png]")
    screenshot = os.path.abspath(sys.argv[3]) if len(sys.argv) > 3 else None
    with Session(sys.argv[1], sys.argv[2]) as session:
        before = count_rectangles(session.copy)
        cx, cy = session.start()
        session.draw_rectangle(cx, cy, 100, 60)
        screen_dump = session.screen_dump() if screenshot else None
        saved_plist = os.path.join(session.copy, "composition_data.plist")
        session.save_and_quit(lambda: count_rectangles(session.copy) > before if os.path.exists(saved_plist) else False)
        after = count_rectangles(session.copy)
        if after != before + 1:
            fail(f"expected {before + 1} rectangles after the drag and save, found {after}")
        print(f"draw_rectangle: {before} → {after} rectangles; quorvel exited with 0")
        if screen_dump:
            convert_xwd(screen_dump, screenshot)


if __name__ == "__main__":
    main()
