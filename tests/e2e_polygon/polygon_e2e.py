#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End to end: a polygon drawn in the editor becomes the clock's window shape.

    polygon_e2e.py --maker PATH --clock PATH [--shots DIR]

On a private X server the editor chooses a face picture through its own
file dialog, switches to the polygon, places five vertices on the picture
frame with the mouse and saves tokei-set.ini. The clock, started in that
folder with a tray host on the display, must cut its window to the
pentagon. Then the frame is dragged by (20, 10) pixels in the normal mode
and saved again: line 3 becomes -300,-150, the saved vertices move by
(-20, -10) pixels and so does the window shape of the clock still running
(within 2 s, where it stands) and of a clock started afresh, which shows
the picture from the frame's new corner.

Exits 77 (skipped) when a tool is missing. Every wait has a deadline; what
the test started is stopped by process group at the end, also on SIGTERM.
"""

import os
import sys
import time

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'e2e'))

import makerfixture  # noqa: E402
import xsession  # noqa: E402  the display helpers the clock's tests use too
from makerfixture import CREATE_BUTTON, NORMAL_BUTTON, PICTURE_BUTTON, POLYGON_OPTION  # noqa: E402

# The pentagon in canvas pixels; the frame starts at the canvas origin, so
# these are also pixels from the frame's corner.
PENTAGON = [(90, 20), (160, 70), (130, 150), (50, 150), (25, 70)]
# The frame's bottom strip, which the hands area does not cover.
FRAME_STRIP = (87, 168)
FRAME_MOVE = (20, 10)


class Failure(AssertionError):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def pair(line):
    x, y = line.split(',')
    return float(x), float(y)


def picture_colour(x, y):
    return round(x * 255 / 299), round(y * 255 / 299)


def make_picture(path):
    """300 x 300: red grows to the right, green downwards, so a pixel tells
    where in the picture it comes from."""
    rgb = bytearray()
    for y in range(300):
        for x in range(300):
            rgb += bytes(picture_colour(x, y) + (0x80,))
    xsession.Image(300, 300, bytes(rgb)).save_png(path)


def shape_is(extents, vertices):
    """Whether shape extents 'WxH+X+Y' span the polygon's bounding box, each
    edge within a pixel (see expect_shape)."""
    if not extents:
        return False
    size, _, rest = extents.partition('+')
    w, h = (int(v) for v in size.split('x'))
    x, y = (int(v) for v in rest.split('+'))
    xs = [v[0] for v in vertices]
    ys = [v[1] for v in vertices]
    box = (min(xs), min(ys), max(xs), max(ys))
    return all(abs(g - b) <= 1 for g, b in zip((x, y, x + w, y + h), box))


def expect_shape(session, wid, vertices, what):
    """The window's shape spans the polygon's bounding box. A filled polygon
    takes the pixels whose centres lie inside it, so a sharp corner may lose
    its outermost row or column: each edge may lie one pixel inside."""
    extents = xsession.wait_until('a shape on the clock window', lambda: session.shape_extents(wid))
    size, _, rest = extents.partition('+')
    w, h = (int(v) for v in size.split('x'))
    x, y = (int(v) for v in rest.split('+'))
    xs = [v[0] for v in vertices]
    ys = [v[1] for v in vertices]
    box = (min(xs), min(ys), max(xs), max(ys))
    got = (x, y, x + w, y + h)
    print('%s: shape extents %s, polygon box %dx%d+%d+%d' % (what, extents, box[2] - box[0], box[3] - box[1],
                                                               box[0], box[1]))
    check(all(abs(g - b) <= 1 for g, b in zip(got, box)),
          '%s: shape extents %s do not match the polygon box %r' % (what, extents, box))


def expect_picture_from(session, wid, frame_px, vertices, what):
    """Inside the polygon the clock shows the picture from the frame's corner
    on; hands and tick marks may cover a few of the points looked at."""
    cx = sum(v[0] for v in vertices) // len(vertices)
    cy = sum(v[1] for v in vertices) // len(vertices)
    probes = [(cx + dx, cy + dy) for dx, dy in ((-30, -20), (30, -20), (-30, 25), (30, 25), (0, -35), (0, 40),
                                                (-45, 0), (45, 0))]
    seen = []

    def matching():
        x0, y0, _, _ = session.geometry(wid)
        shot = session.screenshot()
        seen[:] = []
        for wx, wy in probes:
            r, g, _ = shot.pixel(x0 + wx, y0 + wy)
            # Window pixel (2, 2) shows the frame's corner.
            er, eg = picture_colour(wx - 2 + frame_px[0], wy - 2 + frame_px[1])
            seen.append(((wx, wy), (r, g), (er, eg)))
        matches = sum(1 for _, (r, g), (er, eg) in seen if abs(r - er) <= 2 and abs(g - eg) <= 2)
        return matches if matches >= len(probes) // 2 else None

    try:
        matches = xsession.wait_until('%s: the picture from the frame corner %r' % (what, frame_px), matching)
    except xsession.WaitTimeout:
        raise Failure('%s: the clock does not show the picture from the frame corner %r; window point, '
                      'red and green seen, expected: %r' % (what, frame_px, seen))
    print('%s: %d of %d points show the picture from the frame corner %r' % (what, matches, len(probes), frame_px))


def test(run):
    session = run.session
    run_dir = run.folder('run', maker=True, clock=True)
    picture = os.path.join(run_dir, 'face.png')
    make_picture(picture)
    design = os.path.join(run_dir, 'tokei-set.ini')

    session.start_tray()
    editor = run.start_editor(run_dir)

    editor.answer_file_dialog(PICTURE_BUTTON, picture, 'the picture dialog')
    editor.click_twips(POLYGON_OPTION)
    editor.click_twips(CREATE_BUTTON)
    for vertex in PENTAGON:
        editor.click_canvas(vertex)
    lines = editor.save(design)
    run.shoot('editor-pentagon.png', editor.shot())

    check(lines[1] == '"%s"' % picture, 'line 2 is %r, not the picture path' % lines[1])
    check(lines[2] == '0,0', 'line 3 is %r' % lines[2])
    check(lines[3] == '#FALSE#,#FALSE#,#TRUE#', 'line 4 is %r' % lines[3])
    check(lines[8] == '5', 'line 9 is %r, not 5 vertices' % lines[8])
    saved = [pair(line) for line in lines[10:15]]
    check(saved == [(float(x), float(y)) for x, y in PENTAGON],
          'saved vertices %r, clicked %r' % (saved, PENTAGON))

    clock = run.start_clock(run_dir)
    expect_shape(session, clock.window.id, PENTAGON, 'pentagon')
    expect_picture_from(session, clock.window.id, (0, 0), PENTAGON, 'pentagon')
    run.shoot('screen-pentagon.png')

    # The frame moves on the picture; the vertices stay where they are on it.
    editor.click_twips(NORMAL_BUTTON)
    editor.drag_canvas(FRAME_STRIP, FRAME_MOVE)
    wid = clock.window.id
    place = session.geometry(wid)[:2]
    lines = editor.save(design)
    saved_at = time.monotonic()
    # The clock still running takes the new face by itself, where it stands.
    moved = [(x - FRAME_MOVE[0], y - FRAME_MOVE[1]) for x, y in PENTAGON]
    xsession.wait_until('the running clock to take the saved face',
                        lambda: shape_is(session.shape_extents(wid), moved), timeout=2)
    print('the running clock took the saved face after %.2f s' % (time.monotonic() - saved_at))
    check(session.geometry(wid)[:2] == place, 'the running clock moved when it took the saved face')
    clock.stop()
    clock.wait_windows_gone()
    run.shoot('editor-moved.png', editor.shot())
    check(lines[2] == '-300,-150', 'line 3 after the move is %r' % lines[2])
    check(lines[0] == '2660,2660', 'line 1 after the move is %r' % lines[0])
    saved = [pair(line) for line in lines[10:15]]
    check(saved == [(float(x), float(y)) for x, y in moved], 'saved vertices %r, expected %r' % (saved, moved))

    clock = run.start_clock(run_dir)
    expect_shape(session, clock.window.id, moved, 'moved frame')
    expect_picture_from(session, clock.window.id, FRAME_MOVE, moved, 'moved frame')
    run.shoot('screen-moved.png')
    clock.stop()

    editor.exit()
    print('PASS: the polygon drawn in the editor shapes the clock window, before and after moving the frame')


if __name__ == '__main__':
    sys.exit(makerfixture.main(test, __doc__.splitlines()[0]))
