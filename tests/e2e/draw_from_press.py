#!/usr/bin/env python3
"""Draws with Shift and the text tool in the real editor under a private X server with real input, and
reads the saved frames.

Usage: draw_from_press.py QUORVEL SAMPLE_PACKAGE [SCREENSHOT.png]

Copies the sample package, starts Xvfb and the editor on the copy with fresh settings, and drags three
shapes down and to the right from three presses: "r" with Shift held, "e" with Shift held, and "t". A
screenshot is taken right after the last drag (the inspector shows the drawn size). Then Escape, Ctrl+S and
Ctrl+Q. Passes when the editor exits with status 0 and the saved copy holds three new shapes, each with a
positive width and height, whose origins lie apart as the presses did (each grows from its press toward the
pointer), and the two drawn with Shift square.
"""
import os
import plistlib
import re
import time

from quorvel_session import Session, arguments, convert_xwd, fail

NUMBER = r"(-?[0-9.eE+-]+)"
FRAME = re.compile(r"\{\{" + NUMBER + r",\s*" + NUMBER + r"\},\s*\{" + NUMBER + r",\s*" + NUMBER + r"\}\}")


def shapes_by_identifier(package):
    path = os.path.join(package, "composition_data.plist")
    try:
        with open(path, "rb") as f:
            data = plistlib.load(f)
    except Exception:
        return None  # absent or being written
    found = {}

    def walk(shapes):
        for shape in shapes:
            found[shape.get("identifier", "")] = shape
            walk(shape.get("children", []))

    for page in data.get("compositions", []):
        walk(page.get("children", []))
    return found


def frame_of(shape):
    match = FRAME.fullmatch(str(shape.get("frame", "")).strip())
    if not match:
        fail(f"a saved shape's frame does not read: {shape.get('frame')!r}")
    return tuple(float(v) for v in match.groups())


def main():
    program, sample, screenshot = arguments()
    with Session(program, sample) as session:
        before = shapes_by_identifier(session.copy)
        cx, cy = session.start()
        # Three presses 160 px apart along a row, each dragged 100 right and 60 down.
        drawings = [("r", "shift"), ("e", "shift"), ("t", None)]
        presses = [(cx - 240 + 160 * i, cy - 120) for i in range(len(drawings))]
        for (key, hold), (x, y) in zip(drawings, presses):
            session.draw_with_tool(key, x, y, 100, 60, hold)
        time.sleep(0.3)
        screen_dump = session.screen_dump() if screenshot else None
        session.xdotool("key", "--window", session.win, "Escape")
        time.sleep(0.2)

        def saved():
            now = shapes_by_identifier(session.copy)
            return now is not None and len(set(now) - set(before)) >= len(drawings)

        session.save_and_quit(saved)
        after = shapes_by_identifier(session.copy)
        added = [after[i] for i in after if i not in before]
        if len(added) != len(drawings):
            fail(f"expected {len(drawings)} new shapes, found {len(added)}")
        # In the order drawn: by the x of the origin.
        frames = sorted((frame_of(shape), shape.get("className")) for shape in added)
        for (x, y, w, h), kind in frames:
            if w <= 0 or h <= 0:
                fail(f"{kind} was stored with the frame {(x, y, w, h)}: not a positive size")
        (x0, y0, _, _), _ = frames[0]
        for ((x, y, w, h), kind), (px, py) in zip(frames, presses):
            # At 100 % a screen pixel is a page point: the origins lie apart as the presses did.
            if (x - x0, y - y0) != (px - presses[0][0], py - presses[0][1]):
                fail(f"{kind} {(x, y, w, h)} does not start at its press")
        for (frame, kind), (key, hold) in zip(frames, drawings):
            if hold and frame[2] != frame[3]:
                fail(f"{kind} drawn with Shift is not square: {frame}")
        print("draw_from_press: " + "; ".join(f"{kind} {frame}" for frame, kind in frames))
        if screen_dump:
            convert_xwd(screen_dump, screenshot)


if __name__ == "__main__":
    main()
