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
import time

from quorvel_session import Session, arguments, convert_xwd, count_shapes, fail

KIND = "Pointer"


def count_kind(package):
    return count_shapes(package, lambda name: name == KIND)


def main():
    program, sample, screenshot = arguments()
    with Session(program, sample) as session:
        before = count_kind(session.copy)
        session.start()
        x, y, width, height = session.frame
        xdotool = session.xdotool
        # Places in the window at its default size, below the menu bar and the toolbar at its regular size.
        xdotool("mousemove", "--sync", str(x + 84), str(y + 100))  # the library's search field
        xdotool("click", "1")
        xdotool("type", "--delay", "50", "Arrow")
        time.sleep(0.8)
        row_x, row_y = x + 84, y + 247  # the third row
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
        xdotool("mousemove", "--sync", str(x + 591), str(y + 683))
        xdotool("click", "1")
        time.sleep(0.3)
        screen_dump = session.screen_dump() if screenshot else None
        session.save_and_quit(lambda: count_kind(session.copy) > before)
        after = count_kind(session.copy)
        if after != before + 1:
            fail(f"expected {before + 1} {KIND} shapes after the drop and save, found {after}")
        print(f"drop_library_row: {before} → {after} {KIND} shapes; quorvel exited with 0")
        if screen_dump:
            convert_xwd(screen_dump, screenshot)


if __name__ == "__main__":
    main()
