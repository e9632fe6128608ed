#!/usr/bin/env python3
"""End to end: a design goes through the editor's own dialogs into the clock.

On a private X server the editor loads a prepared design with its load
button and Qt's file dialog, gets a new second-hand colour through the
colour dialog and saves the design as tokei-set.ini. The clock then starts
in that folder at a fixed time and must draw its second hand in the new
colour over the face picture, whose path holds Japanese characters.

Usage: load_e2e.py --maker PATH --clock PATH [--keep DIR]

Exits 77 (skipped) when a tool it needs is missing. Every wait runs against
a deadline; whatever it started is stopped by its process id at the end.
"""

import argparse
import ctypes
import ctypes.util
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'e2e'))

from xsession import faketime_env, forget_faketime_segments  # noqa: E402  as in the clock's tests

TOOLS = ('Xvfb', 'xdotool', 'xwininfo', 'import', 'convert', 'faketime', 'trayer')
SKIP = 77
TIMEOUT = float(os.environ.get('ORBELLE_E2E_TIMEOUT', '20'))

TWIPS_PER_PIXEL = 15
EDITOR_TITLE = 'オルベルメーカー'
EDITOR_CLIENT = (565, 458)  # 8475 x 6870 twips

# Button centres in twips of the editor's client area: the panel Frame1 lies
# at (60, 300), the hands group Frame3 at (135, 3195) inside it.
PANEL = (60, 300)
HANDS_GROUP = (PANEL[0] + 135, PANEL[1] + 3195)
LOAD_BUTTON = (PANEL[0] + 135 + 2460 / 2, PANEL[1] + 4905 + 375 / 2)
SAVE_BUTTON = (PANEL[0] + 135 + 2460 / 2, PANEL[1] + 5325 + 375 / 2)
EXIT_BUTTON = (PANEL[0] + 135 + 2460 / 2, PANEL[1] + 5745 + 375 / 2)
SECOND_COLOUR_BUTTON = (HANDS_GROUP[0] + 1170 + 330 / 2, HANDS_GROUP[1] + 570 + 315 / 2)

# The new second-hand colour: red in the lowest byte in the file.
NEW_COLOUR = (0x12, 0xD7, 0xA3)
NEW_COLOUR_VALUE = NEW_COLOUR[0] + 256 * NEW_COLOUR[1] + 65536 * NEW_COLOUR[2]
OLD_SECOND_COLOUR = (255, 0, 0)
# The face picture's background, which no hand or tick mark uses.
PICTURE_COLOUR = (0x30, 0x50, 0xA0)

# At 3:00:40 the second hand points to 8 o'clock, clear of the other hands;
# the time stands still there.
CLOCK_TIME = '2026-03-01 03:00:40'


class Failure(Exception):
    pass


def end_with_parent():
    """Runs in each child before it starts: should the test itself be killed
    without cleaning up, the child gets SIGTERM; once the X server is gone,
    every program on it ends as well."""
    libc = ctypes.CDLL(ctypes.util.find_library('c'), use_errno=True)
    PR_SET_PDEATHSIG = 1
    libc.prctl(PR_SET_PDEATHSIG, signal.SIGTERM, 0, 0, 0)


def wait_until(what, probe, timeout=TIMEOUT, interval=0.05):
    deadline = time.monotonic() + timeout
    while True:
        result = probe()
        if result:
            return result
        if time.monotonic() > deadline:
            raise Failure('gave up after %g s waiting for %s' % (timeout, what))
        time.sleep(interval)


def hex_colour(rgb):
    return '#%02X%02X%02X' % rgb


class Session:
    """One Xvfb server and the programs started on it, stopped by their ids."""

    def __init__(self, workdir):
        self.workdir = workdir
        self.children = []
        self.display = None

    def start_server(self):
        read_fd, write_fd = os.pipe()
        # -displayfd lets the server take the first free display number.
        server = self.spawn(['Xvfb', '-displayfd', str(write_fd), '-screen', '0', '1024x768x24',
                             '-nolisten', 'tcp', '-noreset'], 'xvfb.log', pass_fds=(write_fd,), x_client=False)
        os.close(write_fd)
        number = b''
        deadline = time.monotonic() + TIMEOUT
        while not number.endswith(b'\n'):
            if time.monotonic() > deadline or server.poll() is not None:
                raise Failure('Xvfb did not report its display')
            chunk = os.read(read_fd, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_fd)
        self.display = ':' + number.decode().strip()

    def env(self, extra=None):
        env = dict(os.environ)
        env.pop('WAYLAND_DISPLAY', None)
        env.update({'DISPLAY': self.display, 'QT_QPA_PLATFORM': 'xcb', 'LANG': 'C.UTF-8', 'LC_ALL': 'C.UTF-8'})
        env.update(extra or {})
        return env

    def spawn(self, argv, log_name, cwd=None, extra_env=None, pass_fds=(), x_client=True):
        log = open(os.path.join(self.workdir, log_name), 'ab')
        env = self.env(extra_env) if x_client else dict(os.environ)
        process = subprocess.Popen(argv, cwd=cwd, env=env, stdin=subprocess.DEVNULL, stdout=log,
                                   stderr=subprocess.STDOUT, pass_fds=pass_fds, start_new_session=True,
                                   preexec_fn=end_with_parent)
        log.close()
        self.children.append(process)
        return process

    def stop(self, process):
        if process.poll() is None:
            try:
                os.killpg(process.pid, signal.SIGTERM)
                process.wait(5)
            except subprocess.TimeoutExpired:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait(5)
            except ProcessLookupError:
                pass
        forget_faketime_segments(process.pid)

    def close(self):
        for process in reversed(self.children):
            self.stop(process)

    def run(self, *argv, check=True):
        done = subprocess.run(argv, env=self.env(), capture_output=True, timeout=TIMEOUT)
        if check and done.returncode != 0:
            raise Failure('%s failed: %s' % (' '.join(argv), done.stderr.decode(errors='replace')))
        return done.stdout.decode(errors='replace')

    def xdotool(self, *args, check=True):
        return self.run('xdotool', *args, check=check)

    def visible_windows(self, *search):
        out = self.xdotool('search', '--onlyvisible', *search, check=False)
        return [w for w in out.split() if w]

    def geometry(self, wid):
        fields = {}
        for line in self.xdotool('getwindowgeometry', '--shell', wid).splitlines():
            key, _, value = line.partition('=')
            fields[key] = int(value) if value.lstrip('-').isdigit() else value
        return fields['X'], fields['Y'], fields['WIDTH'], fields['HEIGHT']

    def click(self, x, y):
        self.xdotool('mousemove', '--sync', str(int(x)), str(int(y)))
        self.xdotool('click', '1')

    def screenshot(self, path, rect=None):
        args = ['import', '-silent', '-window', 'root']
        if rect:
            x, y, w, h = rect
            args += ['-crop', '%dx%d+%d+%d' % (w, h, x, y), '+repage']
        # A window destroyed while the grabber walks the window tree (a closing
        # dialog, a tooltip) fails the grab, not the program: take it again.
        for attempt in range(4):
            if subprocess.run(args + [path], env=self.env(), capture_output=True, timeout=TIMEOUT).returncode == 0:
                return
            time.sleep(0.05)
        self.run(*args, path)

    def count_colour(self, path, rgb):
        """Pixels of exactly that colour in a picture file."""
        out = self.run('convert', path, '-alpha', 'off', '-depth', '8', 'txt:-')
        wanted = hex_colour(rgb)
        return sum(1 for line in out.splitlines() if wanted in line.upper())


def prepare(run_dir, maker, clock):
    """The run folder: both programs, a face picture under a Japanese folder
    name, and a design that differs from the editor's start-up design."""
    for program in (maker, clock):
        shutil.copy2(program, run_dir)
    pictures = os.path.join(run_dir, '写真')
    os.mkdir(pictures)
    picture = os.path.join(pictures, '文字盤.png')
    subprocess.run(['convert', '-size', '240x240', 'xc:' + hex_colour(PICTURE_COLOUR), '-fill', '#C8C8C8',
                    '-draw', 'circle 120,120 120,100', picture], check=True, timeout=TIMEOUT)
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
        f.write(''.join(line + '\r\n' for line in lines).encode('utf-8'))
    return design, lines, picture


class Editor:
    def __init__(self, session, process):
        self.session = session
        self.process = process
        self.window = wait_until('the editor window', lambda: session.visible_windows('--name', '^%s$' % EDITOR_TITLE))[0]
        self.origin = wait_until('the editor window size', self._origin)

    def _origin(self):
        x, y, w, h = self.session.geometry(self.window)
        if (w, h) != EDITOR_CLIENT:
            return None
        return x, y

    def click_twips(self, point):
        self.session.click(self.origin[0] + point[0] / TWIPS_PER_PIXEL, self.origin[1] + point[1] / TWIPS_PER_PIXEL)

    def dialogs(self):
        # Dialogs are managed windows; a button's tooltip, which may come up
        # first on a busy machine, bypasses the window manager.
        return [w for w in self.session.visible_windows('--pid', str(self.process.pid))
                if w != self.window and 'Override Redirect State: no' in self.session.run('xwininfo', '-id', w, check=False)]

    def open_dialog(self, button, what):
        self.click_twips(button)
        dialog = wait_until(what, self.dialogs)[0]
        # No window manager gives it the focus: the test does.
        self.session.xdotool('windowfocus', '--sync', dialog)
        return dialog

    def wait_closed(self, what):
        wait_until(what + ' to close', lambda: not self.dialogs())

    def answer_file_dialog(self, button, path, what):
        self.open_dialog(button, what)
        # The name field has the focus; replace what it proposes.
        self.session.xdotool('key', '--clearmodifiers', 'ctrl+a')
        self.session.xdotool('type', '--delay', '15', path)
        self.session.xdotool('key', 'Return')
        self.wait_closed(what)

    def choose_colour(self, button, rgb):
        self.open_dialog(button, 'the colour dialog')
        # Alt+H puts the focus into the dialog's HTML field.
        self.session.xdotool('key', 'alt+h')
        self.session.xdotool('key', '--clearmodifiers', 'ctrl+a')
        self.session.xdotool('type', '--delay', '15', hex_colour(rgb))
        self.session.xdotool('key', 'Return')
        self.wait_closed('the colour dialog')


def read_lines(path):
    with open(path, 'rb') as f:
        return f.read().decode('utf-8').split('\r\n')


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--maker', required=True)
    parser.add_argument('--clock', required=True)
    parser.add_argument('--keep', help='folder to copy the screenshot and logs into')
    args = parser.parse_args()
    if args.keep:
        os.makedirs(args.keep, exist_ok=True)

    missing = [t for t in TOOLS if shutil.which(t) is None]
    if missing:
        print('SKIP: missing tools: ' + ', '.join(missing))
        return SKIP

    # A terminated test still cleans up behind itself.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    workdir = tempfile.mkdtemp(prefix='orbelle-e2e-load-')
    session = Session(workdir)
    try:
        run_dir = os.path.join(workdir, 'run')
        os.mkdir(run_dir)
        design, design_lines, picture = prepare(run_dir, args.maker, args.clock)
        saved = os.path.join(run_dir, 'tokei-set.ini')
        session.start_server()

        maker = session.spawn([os.path.join(run_dir, os.path.basename(args.maker))], 'maker.log', cwd=run_dir)
        editor = Editor(session, maker)
        editor.answer_file_dialog(LOAD_BUTTON, design, 'the load dialog')
        editor.choose_colour(SECOND_COLOUR_BUTTON, NEW_COLOUR)
        editor.answer_file_dialog(SAVE_BUTTON, saved, 'the save dialog')
        wait_until('the saved design', lambda: os.path.exists(saved))
        if args.keep:
            x, y = editor.origin
            session.screenshot(os.path.join(args.keep, 'editor.png'), (x, y) + EDITOR_CLIENT)

        lines = read_lines(saved)
        # Everything as loaded but the second hand's colour.
        expected = list(design_lines) + ['']
        expected[6] = '16777215,%d,65280,16711935' % NEW_COLOUR_VALUE
        if lines != expected:
            raise Failure('saved design differs:\n  got      %r\n  expected %r' % (lines, expected))
        print('saved line 7: ' + lines[6])

        editor.click_twips(EXIT_BUTTON)
        try:
            maker.wait(TIMEOUT)
        except subprocess.TimeoutExpired:
            raise Failure('the editor did not end on its exit button')

        tray = session.spawn(['trayer', '--edge', 'bottom', '--align', 'right', '--widthtype', 'pixel',
                              '--width', '120', '--heighttype', 'pixel', '--height', '24'], 'trayer.log')
        wait_until('the tray', lambda: session.visible_windows('--class', 'trayer') or tray.poll() is not None)
        if tray.poll() is not None:
            raise Failure('trayer ended at once')

        clock_path = os.path.join(run_dir, os.path.basename(args.clock))
        clock = session.spawn([clock_path], 'clock.log', cwd=run_dir,
                              extra_env=faketime_env({}, CLOCK_TIME, frozen=True))
        side = 3210 // TWIPS_PER_PIXEL

        def clock_window():
            for wid in session.visible_windows('--class', 'OrbelleDo'):
                x, y, w, h = session.geometry(wid)
                if (w, h) == (side, side):
                    return x, y, w, h
            return None

        rect = wait_until('the clock window', clock_window)
        shot = os.path.join(workdir, 'clock.png')

        def coloured():
            session.screenshot(shot, rect)
            return session.count_colour(shot, NEW_COLOUR) >= 20

        try:
            wait_until('the second hand in %s' % hex_colour(NEW_COLOUR), coloured)
        finally:
            if args.keep:
                session.screenshot(os.path.join(args.keep, 'screen.png'))
                if os.path.exists(shot):
                    shutil.copy2(shot, os.path.join(args.keep, 'clock.png'))
        counts = {name: session.count_colour(shot, rgb)
                  for name, rgb in (('new', NEW_COLOUR), ('old', OLD_SECOND_COLOUR), ('picture', PICTURE_COLOUR))}
        print('clock window %dx%d+%d+%d, pixels: %r' % (rect[2], rect[3], rect[0], rect[1], counts))
        if counts['old'] != 0:
            raise Failure('the old second-hand colour is still drawn')
        if counts['picture'] < 1000:
            raise Failure('the face picture %s is not shown' % picture)
        if clock.poll() is not None:
            raise Failure('the clock ended')
        print('PASS')
        return 0
    except Failure as failure:
        print('FAIL: %s' % failure)
        for log in ('maker.log', 'clock.log', 'trayer.log'):
            path = os.path.join(workdir, log)
            if os.path.exists(path):
                with open(path, 'rb') as f:
                    text = f.read().decode(errors='replace').strip()
                if text:
                    print('--- %s\n%s' % (log, text[-2000:]))
        return 1
    finally:
        session.close()
        if args.keep:
            for log in ('maker.log', 'clock.log'):
                path = os.path.join(workdir, log)
                if os.path.exists(path):
                    shutil.copy2(path, args.keep)
        shutil.rmtree(workdir, ignore_errors=True)


if __name__ == '__main__':
    sys.exit(main())
