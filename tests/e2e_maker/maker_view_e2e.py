#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End to end: the editor's window resized, with a large picture.

    maker_view_e2e.py --maker PATH --clock PATH [--shots DIR]

Chooses a 2400 x 1600 picture (a blue band 60 pixels high over red) through
the real picture dialog, resizes the window to 1000 x 700, and checks that
the picture now shows far right of the first window's width while the status
bar keeps the bottom rows; one notch of the wheel scrolls the blue band out
of view but for its last rows, and a click on "▼" moves the canvas on from
there by 70 twips, out of view altogether.

Exits 77 (skipped) when a tool it needs is missing. Every wait has a
deadline; what the test started is stopped by process group at the end.
"""

import os
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'e2e'))

import makerfixture  # noqa: E402
from makerfixture import PICTURE_BUTTON, TIMEOUT  # noqa: E402
from xsession import Image, wait_until  # noqa: E402

SIZE = (1000, 700)
BLUE, RED = (0, 0, 255), (255, 0, 0)
BAND = 60  # picture rows of blue at the top
DOWN_BUTTON = (60 + 2265 + 120, 300 + 855 + 275)  # "▼", twips of the client area


def near(colour, wanted, tolerance=40):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, wanted))


def test(run):
    session = run.session
    folder = run.folder('maker', maker=True)
    picture = os.path.join(folder, 'banded.png')
    Image(2400, 1600, bytes(BLUE) * 2400 * BAND + bytes(RED) * 2400 * (1600 - BAND)).save_png(picture)

    editor = run.start_editor(folder)
    # The menu bar lies above the client area: the window's first height less
    # the designed 458 pixels of the client area.
    bar = session.geometry(editor.window)[3] - 458
    editor.answer_file_dialog(PICTURE_BUTTON, picture, 'the picture dialog')
    session.xdotool('windowmove', '--sync', editor.window, 0, 0)
    session.xdotool('windowsize', '--sync', editor.window, *SIZE)
    wait_until('the editor at %dx%d' % SIZE,
               lambda: (session.geometry(editor.window) or (0, 0, 0, 0))[2:4] == SIZE, TIMEOUT)
    x, y = session.geometry(editor.window)[:2]
    y += bar  # client area coordinates from here on

    def pixel(px, py):
        return session.screenshot().pixel(x + px, y + py)

    # The canvas fills the wider window; the status bar keeps the bottom.
    wait_until('the picture to show at x 900', lambda: near(pixel(900, 300), RED), TIMEOUT)

    def bottom_uncovered():
        shot = session.screenshot()
        return all(not near(shot.pixel(x + px, y - bar + SIZE[1] - 8), RED) and
                   not near(shot.pixel(x + px, y - bar + SIZE[1] - 8), BLUE) for px in (300, 700, 990))
    wait_until('the status bar along the new bottom, above the picture', bottom_uncovered, TIMEOUT)
    # And there it stays.
    for _ in range(3):
        session.sync()
        if not bottom_uncovered():
            raise AssertionError('the picture came over the status bar again')
    run.shoot('maker-resized.png')

    # Canvas content starts 5 pixels down: row 30 of the window is the band.
    wait_until('the blue band at the top', lambda: near(pixel(600, 30), BLUE), TIMEOUT)
    session.xdotool('mousemove', x + 600, y + 300, 'click', 5)
    wait_until('one wheel notch to scroll the band away', lambda: near(pixel(600, 30), RED), TIMEOUT)
    # 60 pixels up: only the band's last 5 rows are left at the top.
    wait_until("the band's bottom edge at the top", lambda: near(pixel(600, 2), BLUE) and near(pixel(600, 10), RED),
               TIMEOUT)
    # "▼" clicked goes on from there: 70 twips (5 pixels) further up, the band gone.
    # (The window was moved: the fixture's own origin is out of date.)
    session.click(x + DOWN_BUTTON[0] // 15, y + DOWN_BUTTON[1] // 15)
    wait_until('the band out of view', lambda: near(pixel(600, 2), RED), TIMEOUT)
    run.shoot('maker-scrolled.png')
    editor.origin = (x, y)
    editor.exit()
    print('PASS: resized window, status bar uncovered, wheel and "▼" scroll the same canvas')


if __name__ == '__main__':
    sys.exit(makerfixture.main(test, __doc__.splitlines()[0]))
