#!/usr/bin/env python3
"""Pages of the real editor reached from the page strip and the keys, under a private X server and bus.

Usage: dbus-run-session -- page_strip.py QUORVEL SAMPLE_PACKAGE [SCREENSHOT.png]

The Page menu's New Page (Alt+P, Return) adds pages until, in a narrowed window, the strip cannot show them
all and its overflow button "»" appears under the add button. A click on "»" opens a menu of every page;
choosing a page that the strip does not show selects it, and Ctrl+Page Down then selects the next page and
Ctrl+Page Up the one before. The selected page is read over the scripting bus. The screenshot shows the
overflow menu open.
"""
import re

from quorvel_session import FRONT_DOCUMENT, Screen, Session, arguments, bus_call, convert_xwd, fail, wait_for

PAGES = 14
TARGET = 12  # a page the narrowed strip does not show


def gdbus(env, method, *args):
    result = bus_call(env, method, *args)
    return result.stdout.strip() if result.returncode == 0 else None


def page_count(env):
    reply = gdbus(env, "Elements", FRONT_DOCUMENT, "cTab")
    return reply.count("'want': <'cTab'>") if reply else None


def selected_page(env):
    """The selected page's index as scripts count (from 1)."""
    match = re.search(r"'seld': <(?:int64 )?(\d+)>", gdbus(env, "Get", FRONT_DOCUMENT, "selectedPage") or "")
    return int(match.group(1)) if match else None


def overflow_button(session):
    """The centre of "»": the strip's button column is edged on its left by a grey line, and holds the add
    button's "+" in its upper half; "»" is the dark mark in its lower half, drawn only when tabs overflow."""
    x0, y0, width, height = session.frame
    screen = Screen(session.screen_dump())
    edge = (0x99, 0x99, 0x99)
    top, bottom = y0 + 40, min(y0 + 240, y0 + height)
    for x in range(x0 + 100, x0 + width - 20):
        y = top
        while y < bottom:
            if screen.at(x, y) != edge:
                y += 1
                continue
            start = y
            while y < bottom and screen.at(x, y) == edge:
                y += 1
            if y - start < 40:
                continue
            middle = (start + y) // 2
            marks = [(mx, my) for my in range(start, y) for mx in range(x + 2, x + 30)
                     if sum(screen.at(mx, my)) < 3 * 0x80]
            upper = [m for m in marks if m[1] < middle]
            lower = [m for m in marks if m[1] >= middle]
            if upper and lower:
                return (sum(m[0] for m in lower) // len(lower), sum(m[1] for m in lower) // len(lower))
    return None


def main():
    program, sample, screenshot = arguments(needs_bus=True)
    with Session(program, sample) as session:
        cx, cy = session.start()
        env = session.env
        count = wait_for("the scripting name", lambda: page_count(env))

        # A click on the page gives the window the keys; New Page from the Page menu, one page at a time.
        session.xdotool("mousemove", "--sync", str(cx), str(cy))
        session.xdotool("click", "1")
        while count < PAGES:
            session.xdotool("key", "--window", session.win, "alt+p")
            session.xdotool("key", "--window", session.win, "Return")
            count = wait_for(f"page {count + 1} from the Page menu",
                             lambda: (lambda n: n if n and n > count else None)(page_count(env)))
        if selected_page(env) != PAGES:
            fail(f"the new page is not selected: page {selected_page(env)} of {PAGES}")

        session.xdotool("windowsize", "--sync", session.win, "900", "700")
        x0, y0, _, _ = session.frame
        session.frame = (x0, y0, 900, 700)
        x, y = wait_for("the strip's overflow button", lambda: overflow_button(session))

        shown = session.visible_windows()
        session.xdotool("mousemove", "--sync", str(x), str(y))
        session.xdotool("click", "1")
        menu = wait_for("the overflow menu", lambda: list(session.visible_windows() - shown))
        shot = (session.screen_dump(), [session.window_dump(w) for w in menu]) if screenshot else None
        session.xdotool("key", *["Down"] * TARGET, "Return")
        wait_for(f"page {TARGET} chosen from the overflow menu", lambda: selected_page(env) == TARGET)

        session.xdotool("key", "--window", session.win, "ctrl+Next")
        wait_for("the next page after Ctrl+Page Down", lambda: selected_page(env) == TARGET + 1)
        session.xdotool("key", "--window", session.win, "ctrl+Prior", "ctrl+Prior")
        wait_for("two pages back after Ctrl+Page Up twice", lambda: selected_page(env) == TARGET - 1)
        print(f"page_strip: {PAGES} pages from the Page menu; \"»\" chose page {TARGET}, Ctrl+Page Down "
              f"page {TARGET + 1}, Ctrl+Page Up twice page {TARGET - 1}")
        if shot and shot[0]:
            convert_xwd(shot[0], screenshot, [o for o in shot[1] if o])


if __name__ == "__main__":
    main()
