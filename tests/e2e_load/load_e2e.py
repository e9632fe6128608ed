#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End to end: a design goes through the editor's own dialogs into the clock.

    load_e2e.py --maker PATH --clock PATH [--shots DIR]

On a private X server the editor loads a prepared design with its load
button and Qt's file dialog, gets a new second-hand colour through the
colour dialog and saves the design as tokei-set.ini. The clock then starts
in that folder at a fixed time and must draw its second hand in the new
colour over the face picture, whose path holds Japanese characters.

Exits 77 (skipped) when a tool it needs is missing. Every wait runs against
a deadline; whatever it started is stopped by its process group at the end.
"""

import os
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'e2e'))

import makerfixture  # noqa: E402
from makerfixture import (LOAD_BUTTON, SECOND_COLOUR_BUTTON, TWIPS_PER_PIXEL, design_bytes,  # noqa: E402
                          hex_colour)
from xsession import Image, wait_until  # noqa: E402

# The new second-hand colour: red in the lowest byte in the file.
NEW_COLOUR = (0x12, 0xD7, 0xA3)
NEW_COLOUR_VALUE = NEW_COLOUR[0] + 256 * NEW_COLOUR[1] + 65536 * NEW_COLOUR[2]
OLD_SECOND_COLOUR = (255, 0, 0)
# The face picture's background, which no hand or tick mark uses.
PICTURE_COLOUR = (0x30, 0x50, 0xA0)
DOT_COLOUR = (0xC8, 0xC8, 0xC8)

# At 3:00:40 the second hand points to 8 o'clock, clear of the other hands;
# the time stands still there.
CLOCK_TIME = '2026-03-01 03:00:40'


def face_picture():
    """240 x 240 pixels of the background colour with a light dot of radius
    20 in the middle."""
    rgb = bytearray()
    for y in range(240):
        for x in range(240):
            inside = (x - 120) ** 2 + (y - 120) ** 2 <= 20 ** 2
            rgb += bytes(DOT_COLOUR if inside else PICTURE_COLOUR)
    return Image(240, 240, bytes(rgb))


def prepare(run_dir):
    """A face picture under a Japanese folder name, and a design that
    differs from the editor's start-up design."""
    pictures = os.path.join(run_dir, '写真')
    os.mkdir(pictures)
    picture = os.path.join(pictures, '文字盤.png')
    face_picture().save_png(picture)
    lines = [
        '3210,3210',            # frame 3150 x 3150 twips: 210 pixels
        '"%s"' % picture,
        '-150,-150',            # the frame 10 pixels in from the corner
        '#TRUE#,#FALSE#,#FALSE#',
        '1725,1725,3000,3000',
        '1,1,1,1',
        '16777215,255,65280,16711935',
        '"95","80","60"',
        '',
        '124,196',              # the template segment, relative to the frame
        '1950,3015',
    ]
    design = os.path.join(run_dir, 'design-in.ini')
    with open(design, 'wb') as f:
        f.write(design_bytes(lines))
    return design, lines, picture


def count_colour(image, rgb):
    """Pixels of exactly that colour."""
    return len(image.points(rgb))


def test(run):
    run_dir = run.folder('run', maker=True, clock=True)
    design, design_lines, picture = prepare(run_dir)
    saved = os.path.join(run_dir, 'tokei-set.ini')

    editor = run.start_editor(run_dir)
    editor.answer_file_dialog(LOAD_BUTTON, design, 'the load dialog')
    editor.choose_colour(SECOND_COLOUR_BUTTON, NEW_COLOUR)
    lines = editor.save(saved)
    run.shoot('editor.png', editor.shot())

    # Everything as loaded but the second hand's colour.
    expected = list(design_lines) + ['']
    expected[6] = '16777215,%d,65280,16711935' % NEW_COLOUR_VALUE
    if lines != expected:
        raise AssertionError('saved design differs:\n  got      %r\n  expected %r' % (lines, expected))
    print('saved line 7: ' + lines[6])
    editor.exit()

    run.session.start_tray()
    clock = run.start_clock(run_dir, faketime=CLOCK_TIME, frozen=True)
    side = 3210 // TWIPS_PER_PIXEL

    def at_size():
        g = clock.geometry()
        return g if g and g[2:] == (side, side) else None
    rect = wait_until('the clock window at %dx%d' % (side, side), at_size)
    shot = []

    def coloured():
        shot[:] = [run.session.screenshot().crop(*rect)]
        return count_colour(shot[0], NEW_COLOUR) >= 20

    try:
        wait_until('the second hand in %s' % hex_colour(NEW_COLOUR), coloured)
    finally:
        run.shoot('screen.png')
        if shot:
            run.shoot('clock.png', shot[0])
    counts = {name: count_colour(shot[0], rgb)
              for name, rgb in (('new', NEW_COLOUR), ('old', OLD_SECOND_COLOUR), ('picture', PICTURE_COLOUR))}
    print('clock window %dx%d+%d+%d, pixels: %r' % (rect[2], rect[3], rect[0], rect[1], counts))
    if counts['old'] != 0:
        raise AssertionError('the old second-hand colour is still drawn')
    if counts['picture'] < 1000:
        raise AssertionError('the face picture %s is not shown' % picture)
    if not clock.process.running():
        raise AssertionError('the clock ended')
    print('PASS')


if __name__ == '__main__':
    sys.exit(makerfixture.main(test, __doc__.splitlines()[0], extra_tools=('faketime',)))
