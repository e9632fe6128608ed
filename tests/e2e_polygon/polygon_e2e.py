#!/usr/bin/env python3
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

import argparse
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'e2e'))

import xsession  # noqa: E402  the display helpers the clock's tests use too

SKIP = 77
TOOLS = ('Xvfb', 'trayer', 'xdotool', 'xwininfo', 'xdpyinfo', 'xwd', 'convert')

TWIPS = 15
EDITOR_TITLE = 'オルベルメーカー'
EDITOR_CLIENT = (565, 458)  # 8475 x 6870 twips
# The canvas content (inside the 2-pixel border) in the editor's client area.
CANVAS = (190 + 2, 3 + 2)

# Button centres in twips of the client area: the panel at (60, 300), the
# base-shape group at (135, 1470) inside it.
PANEL = (60, 300)
SHAPES = (PANEL[0] + 135, PANEL[1] + 1470)
PICTURE_BUTTON = (PANEL[0] + 135 + 2040 // 2, PANEL[1] + 285 + 1120 // 2)
POLYGON_OPTION = (SHAPES[0] + 1530 + 870 // 2, SHAPES[1] + 300 + 255 // 2)
CREATE_BUTTON = (SHAPES[0] + 150 + 1080 // 2, SHAPES[1] + 660 + 375 // 2)
NORMAL_BUTTON = (SHAPES[0] + 150 + 1080 // 2, SHAPES[1] + 1110 + 375 // 2)
SAVE_BUTTON = (PANEL[0] + 135 + 2460 // 2, PANEL[1] + 5325 + 375 // 2)
EXIT_BUTTON = (PANEL[0] + 135 + 2460 // 2, PANEL[1] + 5745 + 375 // 2)

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


def read_lines(path):
    with open(path, 'rb') as f:
        return f.read().decode('utf-8').split('\r\n')


def pair(line):
    x, y = line.split(',')
    return float(x), float(y)


def make_picture(path):
    """300 x 300: red grows to the right, green downwards, so a pixel tells
    where in the picture it comes from."""
    subprocess.run(['convert', '-size', '300x300', 'xc:#000080', '-channel', 'R', '-fx', 'i/299',
                    '-channel', 'G', '-fx', 'j/299', '+channel', path], check=True, timeout=60)


def picture_colour(x, y):
    return round(x * 255 / 299), round(y * 255 / 299)


class Editor:
    def __init__(self, session, process):
        self.session = session
        self.process = process
        found = xsession.wait_until('the editor window', lambda: session.search_name(EDITOR_TITLE))
        self.window = found[0]
        self.origin = xsession.wait_until('the editor window at its size', self._origin)

    def _origin(self):
        g = self.session.geometry(self.window)
        return g and (g[2], g[3]) == EDITOR_CLIENT and (g[0], g[1])

    def screen(self, client):
        return self.origin[0] + client[0], self.origin[1] + client[1]

    def click_twips(self, point):
        self.session.click(*self.screen((point[0] // TWIPS, point[1] // TWIPS)))

    def canvas_point(self, pixel):
        return self.screen((CANVAS[0] + pixel[0], CANVAS[1] + pixel[1]))

    def click_canvas(self, pixel):
        self.session.click(*self.canvas_point(pixel))

    def drag_canvas(self, start, by):
        end = (start[0] + by[0], start[1] + by[1])
        self.session.drag(self.canvas_point(start), self.canvas_point(end), steps=2)

    def dialogs(self):
        out = self.session.run(['xdotool', 'search', '--onlyvisible', '--pid', str(self.process.pid)],
                               check=False)
        # Dialogs are managed windows; a button's tooltip, which may come up
        # first on a busy machine, bypasses the window manager.
        found = []
        for w in ('0x%x' % int(w) for w in out.split()):
            if w == self.window:
                continue
            info = self.session.window_info(w)
            if info and info.get('Override Redirect State') == 'no':
                found.append(w)
        return found

    def answer_file_dialog(self, button, path, what):
        self.click_twips(button)
        dialog = xsession.wait_until(what, self.dialogs)[0]
        # Without a window manager nobody gives the dialog the focus.
        self.session.xdotool('windowfocus', '--sync', dialog)
        # The file name field has the focus; replace what it proposes.
        self.session.xdotool('key', '--clearmodifiers', 'ctrl+a')
        self.session.xdotool('type', '--delay', '10', path)
        self.session.xdotool('key', 'Return')
        xsession.wait_until(what + ' to close', lambda: not self.dialogs())

    def save(self, path):
        if os.path.exists(path):
            os.remove(path)
        self.answer_file_dialog(SAVE_BUTTON, path, 'the save dialog')
        xsession.wait_until('the saved design', lambda: os.path.exists(path))
        return read_lines(path)

    def shot(self, path):
        x, y = self.origin
        self.session.screenshot().crop(x, y, *EDITOR_CLIENT).save_png(path)


def start_clock(session, run_dir, program, log_name):
    process = session.spawn([os.path.join(run_dir, os.path.basename(program))], log_name, cwd=run_dir)

    def window():
        out = session.run(['xdotool', 'search', '--onlyvisible', '--pid', str(process.pid)], check=False)
        for w in out.split():
            wid = '0x%x' % int(w)
            g = session.geometry(wid)
            if g and g[2] > 100 and g[3] > 100:
                return wid
        return None

    return process, xsession.wait_until('the clock window', window)


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


def run(args, workdir):
    run_dir = os.path.join(workdir, 'run')
    os.mkdir(run_dir)
    for program in (args.maker, args.clock):
        shutil.copy2(program, run_dir)
    picture = os.path.join(run_dir, 'face.png')
    make_picture(picture)
    design = os.path.join(run_dir, 'tokei-set.ini')

    os.mkdir(os.path.join(workdir, 'x'))
    session = xsession.XSession(os.path.join(workdir, 'x')).start()
    try:
        session.start_tray()
        maker = session.spawn([os.path.join(run_dir, os.path.basename(args.maker))], 'maker.log', cwd=run_dir)
        editor = Editor(session, maker)

        editor.answer_file_dialog(PICTURE_BUTTON, picture, 'the picture dialog')
        editor.click_twips(POLYGON_OPTION)
        editor.click_twips(CREATE_BUTTON)
        for vertex in PENTAGON:
            editor.click_canvas(vertex)
        lines = editor.save(design)
        if args.shots:
            editor.shot(os.path.join(args.shots, 'editor-pentagon.png'))

        check(lines[1] == '"%s"' % picture, 'line 2 is %r, not the picture path' % lines[1])
        check(lines[2] == '0,0', 'line 3 is %r' % lines[2])
        check(lines[3] == '#FALSE#,#FALSE#,#TRUE#', 'line 4 is %r' % lines[3])
        check(lines[8] == '5', 'line 9 is %r, not 5 vertices' % lines[8])
        saved = [pair(line) for line in lines[10:15]]
        check(saved == [(float(x), float(y)) for x, y in PENTAGON],
              'saved vertices %r, clicked %r' % (saved, PENTAGON))

        clock, wid = start_clock(session, run_dir, args.clock, 'clock-pentagon.log')
        expect_shape(session, wid, PENTAGON, 'pentagon')
        expect_picture_from(session, wid, (0, 0), PENTAGON, 'pentagon')
        if args.shots:
            session.screenshot().save_png(os.path.join(args.shots, 'screen-pentagon.png'))

        # The frame moves on the picture; the vertices stay where they are on it.
        editor.click_twips(NORMAL_BUTTON)
        editor.drag_canvas(FRAME_STRIP, FRAME_MOVE)
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
        if args.shots:
            editor.shot(os.path.join(args.shots, 'editor-moved.png'))
        check(lines[2] == '-300,-150', 'line 3 after the move is %r' % lines[2])
        check(lines[0] == '2660,2660', 'line 1 after the move is %r' % lines[0])
        saved = [pair(line) for line in lines[10:15]]
        check(saved == [(float(x), float(y)) for x, y in moved], 'saved vertices %r, expected %r' % (saved, moved))

        clock, wid = start_clock(session, run_dir, args.clock, 'clock-moved.log')
        expect_shape(session, wid, moved, 'moved frame')
        expect_picture_from(session, wid, FRAME_MOVE, moved, 'moved frame')
        if args.shots:
            session.screenshot().save_png(os.path.join(args.shots, 'screen-moved.png'))
        clock.stop()

        editor.click_twips(EXIT_BUTTON)
        maker.wait()
    except BaseException:
        for name in ('maker.log', 'clock-pentagon.log', 'clock-moved.log', 'xvfb.log', 'trayer.log'):
            path = os.path.join(session.workdir, name)
            if os.path.exists(path):
                with open(path, 'rb') as f:
                    sys.stderr.write('--- %s\n%s\n' % (name, f.read().decode('utf-8', 'replace')[-2000:]))
        raise
    finally:
        session.stop()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--maker', required=True)
    parser.add_argument('--clock', required=True)
    parser.add_argument('--shots', help='folder for pictures of the screen')
    args = parser.parse_args()

    missing = [t for t in TOOLS if shutil.which(t) is None]
    if missing:
        print('SKIP: missing tools: %s (Debian: xvfb trayer xdotool x11-utils x11-apps imagemagick)'
              % ', '.join(missing))
        return SKIP
    if args.shots:
        os.makedirs(args.shots, exist_ok=True)

    # A test stopped from outside still stops what it started.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    workdir = tempfile.mkdtemp(prefix='orbelle-e2e-polygon-')
    try:
        run(args, workdir)
    except (Failure, xsession.WaitTimeout) as e:
        print('FAIL: %s' % e)
        return 1
    finally:
        shutil.rmtree(workdir, ignore_errors=True)
    print('PASS: the polygon drawn in the editor shapes the clock window, before and after moving the frame')
    return 0


if __name__ == '__main__':
    sys.exit(main())
