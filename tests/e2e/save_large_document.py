#!/usr/bin/env python3
"""Saves a page of 10,000 shapes in the real editor and checks that the window answers while it is written.

Usage: save_large_document.py QUORVEL SAMPLE_PACKAGE

Copies the sample package and fills its first page with 10,000 shapes made from its own frame-based ones,
each in a cell of a 100 x 100 grid. Starts Xvfb and the editor on the copy, saves once with Ctrl+S and waits
for the package, draws a rectangle and undoes it, then saves with Ctrl+S and at once redoes the drawing with
Ctrl+Shift+Z: the window's title must show its edited mark within 100 ms of the redo, while the save runs.
The package that save writes must be whole and without the rectangle (the page as it was when the save
began), and the document still edited; quitting with Ctrl+Q then saves the rectangle. Every wait has a
deadline.
"""
import os
import plistlib
import re
import time

from quorvel_session import Session, arguments, count_shapes, fail, wait_for

SHAPES = 10_000
CELL = 60
ANSWER_DEADLINE = 0.100
# Kinds whose geometry follows the frame alone, so that a copy may be moved by its frame.
FRAMED = {"Arrow", "Blob", "Box", "Bracket", "Callout", "Cloud", "Cylinder", "Diamond", "DoubleArrow", "Ellipse",
          "Folder", "Home", "Man", "Note", "Parallelogram", "PolygonShape", "Rectangle", "RightTriangle",
          "RoundRectangle", "Star", "Swoosh", "Text", "TitleBox", "Triangle"}


def fill_page(package):
    path = os.path.join(package, "composition_data.plist")
    with open(path, "rb") as f:
        data = plistlib.load(f)
    page = data["compositions"][0]
    models = [shape for shape in page["children"] if shape.get("className") in FRAMED]
    if not models:
        fail("the sample's first page has no frame-based shapes")
    shapes = []
    for n in range(SHAPES):
        shape = dict(models[n % len(models)])
        size = re.findall(r"-?[\d.]+", shape["frame"])[2:]
        width, height = (min(float(v), CELL - 10) for v in size)
        shape["frame"] = "{{%d, %d}, {%g, %g}}" % (n % 100 * CELL + 5, n // 100 * CELL + 5, width, height)
        shape["identifier"] = "5A3E0C2D-7B1F-4E8A-9C6D-%012d" % (900_000 + n)
        shapes.append(shape)
    page["children"] = shapes
    page["metrics"] = dict(page["metrics"], width=float(100 * CELL), height=float(100 * CELL))
    with open(path, "wb") as f:
        plistlib.dump(data, f)


def saved_count(package):
    """The shapes of the first page as saved, or None while the package is being written."""
    try:
        with open(os.path.join(package, "composition_data.plist"), "rb") as f:
            data = plistlib.load(f)
    except Exception:
        return None
    return len(data["compositions"][0]["children"])


def main():
    program, sample, _ = arguments()
    with Session(program, sample) as session:
        fill_page(session.copy)
        plist = os.path.join(session.copy, "composition_data.plist")
        cx, cy = session.start()

        def title():
            return session.xdotool("getwindowname", session.win)

        def written_since(stamp):
            return lambda: os.stat(plist).st_mtime_ns != stamp and saved_count(session.copy) is not None

        # A first save, waited for: the package as the editor writes it.
        stamp = os.stat(plist).st_mtime_ns
        session.xdotool("key", "--window", session.win, "ctrl+s")
        wait_for("the first save", written_since(stamp), deadline=120)
        if saved_count(session.copy) != SHAPES:
            fail(f"the first save holds {saved_count(session.copy)} shapes, not {SHAPES}")
        rectangles = count_shapes(session.copy, lambda name: name == "Rectangle")

        # A rectangle drawn and undone: the redo is the key to answer while the next save runs.
        session.draw_rectangle(cx, cy, 100, 60)
        wait_for("the edited mark", lambda: "*" in title())
        # The tool ends on a later turn, after the page has been drawn: until then Ctrl+Z would cancel the
        # tool rather than undo the drawing (leaving nothing to redo).
        time.sleep(10)
        session.xdotool("key", "--window", session.win, "ctrl+z")
        wait_for("the undo", lambda: "*" not in title(), deadline=120)
        stamp = os.stat(plist).st_mtime_ns
        session.xdotool("key", "--window", session.win, "ctrl+s")
        session.xdotool("key", "--window", session.win, "ctrl+shift+z")
        sent = time.monotonic()
        wait_for("the redo while saving", lambda: "*" in title(), deadline=120)
        answered = time.monotonic() - sent
        if answered > ANSWER_DEADLINE:
            fail(f"the window answered Ctrl+Shift+Z {answered * 1000:.0f} ms after it was sent while saving "
                 f"(at most {ANSWER_DEADLINE * 1000:.0f} ms)")
        wait_for("the second save", written_since(stamp), deadline=120)
        after_save = saved_count(session.copy)
        if after_save != SHAPES:
            fail(f"the save started before the redo holds {after_save} shapes, not {SHAPES}")
        if "*" not in title():
            fail("the redo made after the save began is shown as saved")

        # Quitting saves the redone rectangle.
        session.quit(deadline=120)
        if saved_count(session.copy) != SHAPES + 1:
            fail(f"after quitting the package holds {saved_count(session.copy)} shapes, not {SHAPES + 1}")
        if count_shapes(session.copy, lambda name: name == "Rectangle") != rectangles + 1:
            fail("the package saved on quitting does not hold the drawn rectangle")
        print(f"save_large_document: the window answered {answered * 1000:.0f} ms after Ctrl+Shift+Z while saving "
              f"{SHAPES} shapes; packages whole")


if __name__ == "__main__":
    main()
