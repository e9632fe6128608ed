#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End to end: undo, redo and the arrow keys in the editor.

    undo_e2e.py --maker PATH --clock PATH [--shots DIR]

On a private X server the picture frame is dragged by (20, 10) pixels with
the mouse; Ctrl+Z puts it back, so a save writes the start-up design byte
for byte; Ctrl+Y moves it again; two presses of the right arrow key move
the selected frame two more pixels; Ctrl+S saves through the same dialog
as the save button. Each saved line 3 tells where the frame stood.

Exits 77 (skipped) when a tool it needs is missing. Every wait has a
deadline; what the test started is stopped by process group at the end.
"""

import os
import sys

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'e2e'))

import makerfixture  # noqa: E402
from makerfixture import START_UP_DESIGN, TIMEOUT, design_bytes, read_lines  # noqa: E402
from xsession import wait_until  # noqa: E402

# The frame's bottom strip, which the hands area does not cover.
FRAME_STRIP = (87, 168)


def check(condition, message):
    if not condition:
        raise AssertionError(message)


def keys(editor, *names):
    """Gives the editor the keyboard (no window manager does) and presses
    the keys one after another."""
    session = editor.session
    session.run(['xdotool', 'windowfocus', '--sync', editor.window], check=False)
    wait_until('the editor to take the keyboard', lambda: session.focused_window() == editor.window, TIMEOUT)
    for name in names:
        session.xdotool('key', name)


def frame_offset(editor, path):
    lines = editor.save(path)
    return lines[2]


def test(run):
    maker_dir = run.folder('maker', maker=True)
    designs = run.folder('designs')
    editor = run.start_editor(maker_dir)
    target = os.path.join(designs, 'tokei-set.ini')

    editor.drag_canvas(FRAME_STRIP, (20, 10))
    check(frame_offset(editor, target) == '-300,-150', 'the drag did not move the frame by (20, 10) pixels')

    keys(editor, 'ctrl+z')
    with open(target, 'rb') as f:
        before = f.read()
    os.remove(target)
    editor.save(target)
    with open(target, 'rb') as f:
        undone = f.read()
    check(undone == design_bytes(START_UP_DESIGN),
          'after Ctrl+Z the save differs from the start-up design:\n%r' % undone)
    check(before != undone, 'the drag changed nothing')
    print('Ctrl+Z: the start-up design again')

    keys(editor, 'ctrl+y')
    check(frame_offset(editor, target) == '-300,-150', 'Ctrl+Y did not move the frame again')
    print('Ctrl+Y: the frame moved again')

    # A click selects the frame (and gives the canvas the focus); each arrow
    # key moves it one pixel.
    editor.click_canvas((FRAME_STRIP[0] + 20, FRAME_STRIP[1] + 10))
    keys(editor, 'Right', 'Right')
    check(frame_offset(editor, target) == '-330,-150', 'two right arrows did not move the frame by 30 twips')
    print('arrow keys: the frame moved two pixels')

    # Ctrl+S opens the save dialog the button opens.
    os.remove(target)
    keys(editor, 'ctrl+s')
    dialog = wait_until('the save dialog', lambda: (editor.dialogs() or [None])[0], TIMEOUT)
    editor.session.run(['xdotool', 'windowfocus', '--sync', dialog], check=False)
    wait_until('the save dialog to take the keyboard', lambda: editor.session.focused_window() == dialog, TIMEOUT)
    editor.enter(target)
    wait_until('%s to be written' % target, lambda: os.path.exists(target), TIMEOUT)
    editor.wait_dialogs_closed('the save dialog')
    check(read_lines(target)[2] == '-330,-150', 'Ctrl+S did not save the design shown')
    run.shoot('maker-undo.png')
    editor.exit()
    print('PASS: undo, redo, arrow keys and Ctrl+S')


if __name__ == '__main__':
    sys.exit(makerfixture.main(test, __doc__.splitlines()[0]))
