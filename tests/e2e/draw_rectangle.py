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

from quorvel_session import Session, arguments, convert_xwd, count_shapes, fail, wait_for


def count_rectangles(package):
    return count_shapes(package, lambda name: "Rectangle" in name)


def main():
    program, sample, screenshot = arguments()
    with Session(program, sample) as session:
        before = count_rectangles(session.copy)
        # The session's data folder is the editor's XDG data folder.
        marks = {}
        for folder in ("Startup Items", "Shutdown Items"):
            marks[folder] = os.path.join(session.work, folder.split()[0].lower() + "-ran")
            script = os.path.join(session.work, "data", "Quorvel", folder, "mark")
            os.makedirs(os.path.dirname(script))
            with open(script, "w") as f:
                f.write(f"#!/bin/sh\necho ran > '{marks[folder]}'\n")
            os.chmod(script, 0o755)
        cx, cy = session.start()
        wait_for("the start-up script", lambda: os.path.exists(marks["Startup Items"]))
        if os.path.exists(marks["Shutdown Items"]):
            fail("the shut-down script ran before the quit")
        session.draw_rectangle(cx, cy, 100, 60)
        screen_dump = session.screen_dump() if screenshot else None
        saved_plist = os.path.join(session.copy, "composition_data.plist")
        session.save_and_quit(lambda: count_rectangles(session.copy) > before if os.path.exists(saved_plist) else False)
        if not os.path.exists(marks["Shutdown Items"]):
            fail("the shut-down script did not run at the quit")
        after = count_rectangles(session.copy)
        if after != before + 1:
            fail(f"expected {before + 1} rectangles after the drag and save, found {after}")
        print(f"draw_rectangle: {before} → {after} rectangles; start-up and shut-down scripts ran; "
              "quorvel exited with 0")
        if screen_dump:
            convert_xwd(screen_dump, screenshot)


if __name__ == "__main__":
    main()
