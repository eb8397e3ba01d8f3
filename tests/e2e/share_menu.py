#!/usr/bin/env python3
"""The toolbar's Share item in the real editor, under a private X server with real clicks and keys.

Usage: share_menu.py QUORVEL SAMPLE_PACKAGE [SCREENSHOT.png]

With nothing selected a click on Share opens its menu; its entry's submenu of formats opens with the arrow
keys, and choosing the first format opens the panel titled "Export As:", which Escape closes. After Ctrl+A the
same clicks open "Export Selection As:". Passes when both panels showed and the editor quits with status 0.
The screenshot shows the share menu with its formats open.
"""
import time

from quorvel_session import Screen, Session, arguments, convert_xwd, fail, wait_for


def share_item(session):
    """The point of the Share item: the toolbar's last item, whose label ends furthest right in its band."""
    x0, y0, width, _ = session.frame
    data = session.screen_dump()
    if not data:
        fail("xwd is needed to find the Share item (x11-utils)")
    screen = Screen(data)
    if sum(screen.at(x0 + width - 8, y0 + 45)) < 3 * 0xc0:
        return None  # the toolbar is not drawn yet
    right = None
    for y in range(y0 + 25, y0 + 80):  # under the menu bar, above the page strip
        for x in range(x0 + width - 8, x0 + width // 2, -1):
            if sum(screen.at(x, y)) < 3 * 0x90:
                if not right or x > right[0]:
                    right = (x, y)
                break
    return (right[0] - 12, y0 + 45) if right else None


def open_share_menu(session, shown_before):
    """Clicks Share and opens the format submenu of its one entry; answers the two menus' windows."""
    x, y = wait_for("the Share item drawn", lambda: share_item(session))
    session.xdotool("mousemove", "--sync", str(x), str(y))
    session.xdotool("click", "1")
    menu = wait_for("the share menu", lambda: list(session.visible_windows() - shown_before))
    session.xdotool("key", "Down", "Right")
    menus = wait_for("the share menu's formats", lambda: (lambda new: new if len(new) >= 2 else None)(
        list(session.visible_windows() - shown_before)))
    return menu, menus


def choose_first_format(session, title):
    """Return chooses the first format: the export panel shows with its title, and Escape closes it."""
    session.xdotool("key", "Return")
    shown = lambda: session.xdotool("search", "--onlyvisible", "--name", f"^{title}$", check=False).split()
    panel = wait_for(f"the panel \"{title}\"", shown)[0]
    session.xdotool("windowactivate", "--sync", panel, check=False)
    pressed = [0.0]

    def closed():
        # A key pressed while the panel is still taking the keys over is lost: press again now and then.
        if time.monotonic() - pressed[0] > 1.0:
            session.xdotool("key", "Escape")
            pressed[0] = time.monotonic()
        return not shown()

    wait_for(f"the panel \"{title}\" closed by Escape", closed)


def main():
    program, sample, screenshot = arguments()
    with Session(program, sample) as session:
        cx, cy = session.start()
        main_windows = session.visible_windows()

        _, menus = open_share_menu(session, main_windows)
        shot = None
        if screenshot:
            shot = (session.screen_dump(), [session.window_dump(w) for w in menus])
        choose_first_format(session, "Export As:")

        # A click on the page gives the canvas the keys; Ctrl+A selects every shape.
        session.xdotool("mousemove", "--sync", str(cx), str(cy))
        session.xdotool("click", "1")
        session.xdotool("key", "--window", session.win, "ctrl+a")
        open_share_menu(session, main_windows)
        choose_first_format(session, "Export Selection As:")

        # Without a window manager nobody gives the window the keys back when the panel closes: a click does.
        session.xdotool("mousemove", "--sync", str(cx), str(cy))
        session.xdotool("click", "1")
        session.quit()
        print("share_menu: Share opened its menu; its formats led to \"Export As:\" and, with a selection, to "
              "\"Export Selection As:\"; quorvel exited with 0")
        if shot and shot[0]:
            convert_xwd(shot[0], screenshot, [o for o in shot[1] if o])


if __name__ == "__main__":
    main()
