#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End to end: the editor's window resized, with a large picture.

    maker_view_e2e.py --maker PATH --clock PATH [--shots DIR]

Chooses a 2400 x 1600 picture (a blue band 60 pixels high over red) through
the real picture dialog, resizes the window to 1000 x 700, and checks that
the picture now shows far right of the first window's width while the status
bar keeps the bottom rows; one notch of the wheel scrolls the blue band out
of view, and a click on "▲" brings it back by 70 twips.

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
UP_BUTTON = (60 + 2265 + 120, 300 + 285 + 275)  # "▲", twips of the client area


def near(colour, wanted, tolerance=40):
    return all(abs(a - b) <= tolerance for a, b in zip(colour, wanted))


def test(run):
    session = run.session
    folder = run.folder('maker', maker=True)
    picture = os.path.join(folder, 'banded.png')
    Image(2400, 1600, bytes(BLUE) * 2400 * BAND + bytes(RED) * 2400 * (1600 - BAND)).save_png(picture)

    editor = run.start_editor(folder)
    editor.answer_file_dialog(PICTURE_BUTTON, picture, 'the picture dialog')
    session.xdotool('windowmove', '--sync', editor.window, 0, 0)
    session.xdotool('windowsize', '--sync', editor.window, *SIZE)
    wait_until('the editor at %dx%d' % SIZE,
               lambda: (session.geometry(editor.window) or (0, 0, 0, 0))[2:4] == SIZE, TIMEOUT)
    x, y = session.geometry(editor.window)[:2]

    def pixel(px, py):
        return session.screenshot().pixel(x + px, y + py)

    # The canvas fills the wider window; the status bar keeps the bottom.
    wait_until('the picture to show at x 900', lambda: near(pixel(900, 300), RED), TIMEOUT)
    for px in (300, 700, 990):
        colour = pixel(px, SIZE[1] - 8)
        if near(colour, RED) or near(colour, BLUE):
            raise AssertionError('the picture covers the status bar at %d: %r' % (px, colour))
    run.shoot('maker-resized.png')

    # Canvas content starts 5 pixels down: row 30 of the window is the band.
    wait_until('the blue band at the top', lambda: near(pixel(600, 30), BLUE), TIMEOUT)
    session.xdotool('mousemove', x + 600, y + 300, 'click', 5)
    wait_until('one wheel notch to scroll the band away', lambda: near(pixel(600, 30), RED), TIMEOUT)
    # 60 pixels up: the band's last rows now lie above the window.
    wait_until('the canvas 60 pixels up', lambda: near(pixel(600, 2), RED) and near(pixel(300, 3), RED), TIMEOUT)
    # "▲" clicked: 70 twips (4 or 5 pixels) down, the band's bottom edge back in view.
    editor.click_twips(UP_BUTTON)
    wait_until('the band back at the top edge', lambda: near(pixel(600, 1), BLUE), TIMEOUT)
    run.shoot('maker-scrolled.png')
    editor.exit()
    print('PASS: resized window, status bar uncovered, wheel and "▲" scroll the same canvas')


if __name__ == '__main__':
    sys.exit(makerfixture.main(test, __doc__.splitlines()[0]))
