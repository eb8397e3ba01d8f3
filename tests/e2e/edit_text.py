#!/usr/bin/env python3
"""Types into a shape on the canvas of the real editor under a private X server with real input.

Usage: edit_text.py QUORVEL SAMPLE_PACKAGE [SCREENSHOT.png]

Copies the sample package, starts Xvfb and the editor on the copy with fresh settings, draws a rectangle
("r" and a drag), double-clicks it, types "Hello Quorvel", takes a screenshot while the text editor is open,
ends the edit with Return, saves with Ctrl+S and quits with Ctrl+Q. Passes when the editor exits with
status 0 and the saved copy holds the typed text.
"""
import os
import plistlib
import time

from quorvel_session import Session, arguments, convert_xwd

TYPED = "Hello Quorvel"


def saved_text_found(package):
    path = os.path.join(package, "composition_data.plist")
    if not os.path.exists(path):
        return False
    try:
        with open(path, "rb") as f:
            plist = plistlib.load(f)
    except Exception:
        return False  # being written

    # Texts are stored as RTF data inside the property list: look through its values.
    def walk(value):
        if isinstance(value, bytes):
            return TYPED.encode() in value
        if isinstance(value, str):
            return TYPED in value
        if isinstance(value, dict):
            return any(walk(v) for v in value.values())
        if isinstance(value, list):
            return any(walk(v) for v in value)
        return False

    return walk(plist)


def main():
    program, sample, screenshot = arguments()
    with Session(program, sample) as session:
        cx, cy = session.start()
        session.draw_rectangle(cx, cy, 240, 80)
        time.sleep(0.2)
        session.xdotool("mousemove", "--sync", str(cx + 120), str(cy + 40))
        session.xdotool("click", "--repeat", "2", "--delay", "80", "1")
        time.sleep(0.3)
        session.xdotool("type", "--delay", "30", TYPED)
        time.sleep(0.3)
        screen_dump = session.screen_dump() if screenshot else None
        session.xdotool("key", "Return")
        time.sleep(0.2)
        session.save_and_quit(lambda: saved_text_found(session.copy))
        print(f"edit_text: \"{TYPED}\" typed into a rectangle and saved; quorvel exited with 0")
        if screen_dump:
            convert_xwd(screen_dump, screenshot)


if __name__ == "__main__":
    main()
