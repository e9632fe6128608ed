#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End to end: the editor on a private X server.

    maker_e2e.py --maker PATH --clock PATH [--shots DIR]

Shows its start-up window (pictures are kept when a folder is given), saves
the design through the real save dialog by typing a full path, checks the
file byte for byte, and lets the clock open that design from the same
folder: an ellipse of 177 x 177 pixels.

Exits 77 (skipped) when a tool it needs is missing. Every wait has a
deadline; what the test started is stopped by process group at the end.
"""

import os
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'e2e'))

import makerfixture  # noqa: E402
from makerfixture import SAVE_BUTTON, START_UP_DESIGN, design_bytes  # noqa: E402
from xsession import wait_until  # noqa: E402

CANVAS_GREY = (0x80, 0x80, 0x80)
CLOCK_SIZE = (177, 177)
CLOCK_SHAPE = '175x175+2+2'


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def test(run):
    session = run.session
    maker_dir = run.folder('maker', maker=True)
    designs = run.folder('designs')

    # Started from another folder: start-up moves into the program's own.
    editor = run.start_editor(maker_dir, cwd='/')
    left, top = editor.origin
    # Placed centred on the 1024 x 768 screen, give or take a pixel.
    check(228 <= left <= 231 and 153 <= top <= 156,
          'editor window at %d,%d, expected it centred near 229,155' % (left, top))
    print('editor window %s: %dx%d at %d,%d' % ((editor.window,) + makerfixture.EDITOR_CLIENT + (left, top)))

    # The canvas is painted once its bare grey shows (canvas pixel 240,330).
    grey_at = (left + 190 + 240, top + 3 + 330)
    wait_until('the design canvas to be painted', lambda: session.screenshot().pixel(*grey_at) == CANVAS_GREY)
    run.shoot('maker-startup.png')

    # Save through the real dialog; it opens with the name field focused.
    dialog = editor.open_dialog(SAVE_BUTTON, 'the save dialog')
    print('save dialog %s: %s' % (dialog, session.run(['xdotool', 'getwindowname', dialog], check=False).strip()))
    run.shoot('maker-save-dialog.png')
    target = os.path.join(designs, 'tokei-set.ini')
    editor.enter(target)
    wait_until('%s to be written' % target, lambda: os.path.exists(target))
    editor.wait_dialogs_closed('the save dialog')

    with open(target, 'rb') as f:
        written = f.read()
    check(written == design_bytes(START_UP_DESIGN),
          'the saved design differs from the start-up design; written:\n%r' % written)
    print('saved design matches, %d bytes' % len(written))
    check(os.listdir(designs) == ['tokei-set.ini'], 'the save left more than the file: %r' % os.listdir(designs))
    check(editor.process.running(), 'the editor ended after saving')

    editor.exit()
    print('editor ended')

    # The clock reads the design from its own folder.
    session.start_tray()
    run.add_clock(designs)
    clock = run.start_clock(designs, cwd='/')
    wait_until('a %dx%d clock window' % CLOCK_SIZE, lambda: (clock.geometry() or (0, 0, 0, 0))[2:] == CLOCK_SIZE)
    wait_until('the clock window to be cut to its ellipse',
               lambda: session.shape_extents(clock.window.id) == CLOCK_SHAPE)
    print('clock window %s: %dx%d, shape extents %s' % ((clock.window.id,) + CLOCK_SIZE + (CLOCK_SHAPE,)))
    print('PASS: editor start-up, save through the dialog, clock opens the design')


if __name__ == '__main__':
    sys.exit(makerfixture.main(test, __doc__.splitlines()[0]))
