# SPDX-License-Identifier: MIT
"""The editor program as the end-to-end tests see it.

Knows where the editor's buttons lie (in twips of its client area, as the
form places them), starts one copy of OrbelleMaker on an XSession, finds its
window, clicks its buttons and its canvas, and answers its file and colour
dialogs by typing into them. `main` runs one editor test script: it parses
the programs' paths, skips when a tool is missing, starts the display and
stops everything again, printing the programs' logs when the test fails.
"""

import argparse
import os
import shutil
import signal
import sys
import tempfile
import types

import xsession
from clockfixture import PROGRAM_NAME as CLOCK_NAME, Clock
from xsession import XSession, wait_until

EDITOR_NAME = 'OrbelleMaker'
EDITOR_TITLE = 'オルベルメーカー'
EDITOR_CLIENT = (565, 458)  # 8475 x 6870 twips
TWIPS_PER_PIXEL = 15
# Pixels the menu bar above the client area may take.
MENU_BAR_MAX = 60
# The canvas content (inside its 2-pixel border) in the client area, pixels.
CANVAS = (190 + 2, 3 + 2)

# Seconds an editor wait may take: its dialogs are slow to come up the first
# time on a busy machine.
TIMEOUT = max(xsession.DEFAULT_TIMEOUT, 30.0)


def _centre(left, top, width, height):
    return left + width // 2, top + height // 2


# Where the controls lie, in twips of the client area: the panel Frame1 at
# (60, 300); the base-shape group and the hands group inside it.
PANEL = (60, 300)
SHAPES_GROUP = (PANEL[0] + 135, PANEL[1] + 1470)
HANDS_GROUP = (PANEL[0] + 135, PANEL[1] + 3195)
PICTURE_BUTTON = _centre(PANEL[0] + 135, PANEL[1] + 285, 2040, 1120)
POLYGON_OPTION = _centre(SHAPES_GROUP[0] + 1530, SHAPES_GROUP[1] + 300, 870, 255)
CREATE_BUTTON = _centre(SHAPES_GROUP[0] + 150, SHAPES_GROUP[1] + 660, 1080, 375)
NORMAL_BUTTON = _centre(SHAPES_GROUP[0] + 150, SHAPES_GROUP[1] + 1110, 1080, 375)
SECOND_COLOUR_BUTTON = _centre(HANDS_GROUP[0] + 1170, HANDS_GROUP[1] + 570, 330, 315)
LOAD_BUTTON = _centre(PANEL[0] + 135, PANEL[1] + 4905, 2460, 375)
SAVE_BUTTON = _centre(PANEL[0] + 135, PANEL[1] + 5325, 2460, 375)   # "設定ファイル保存"
EXIT_BUTTON = _centre(PANEL[0] + 135, PANEL[1] + 5745, 2460, 375)   # "終了"

# The design the editor holds straight after it starts.
START_UP_DESIGN = ['2660,2660', '', '0,0', '#TRUE#,#FALSE#,#FALSE#', '1290,1260,2400,2400', '1,1,1,1',
                   '16777215,255,65280,16711935', '"100","90","70"', '', '134,206', '1950,3015']


def hex_colour(rgb):
    return '#%02X%02X%02X' % tuple(rgb)


def design_bytes(lines):
    """A design file: every line ends in CR LF."""
    return ''.join(line + '\r\n' for line in lines).encode('utf-8')


def read_lines(path):
    """The lines of a design file; the last one is empty, after the final
    CR LF."""
    with open(path, 'rb') as f:
        return f.read().decode('utf-8').split('\r\n')


class Editor:
    """One run of the editor on an XSession."""

    def __init__(self, session, program, cwd=None, log_name='maker.log', wrapper=(), env=None):
        """`wrapper` goes before the program on the command line (to run it
        as another user, say); `env` replaces the session's environment."""
        self.session = session
        self.process = session.spawn(list(wrapper) + [program], log_name, env=env, cwd=cwd)
        self.window = None
        self.origin = None
        self._size = None

    def _check_running(self):
        if not self.process.running():
            raise AssertionError('the editor ended unexpectedly (status %s):\n%s'
                                 % (self.process.popen.returncode, self.process.log_text()[-2000:]))

    # -- its window --

    def wait_window(self):
        """Waits for the editor window to be shown at its size and returns it."""
        def shown():
            self._check_running()
            found = [w for w in self.session.search_name(EDITOR_TITLE)
                     if self.session.map_state(w) == 'IsViewable']
            return found[0] if found else None
        self.window = wait_until('the editor window', shown, TIMEOUT)

        def at_size():
            # The menu bar lies above the client area, so the client area
            # is the bottom of the window, as wide as the window.
            self._check_running()
            g = self.session.geometry(self.window)
            self._size = g and (g[2], g[3])
            fits = g and g[2] == EDITOR_CLIENT[0] and EDITOR_CLIENT[1] <= g[3] <= EDITOR_CLIENT[1] + MENU_BAR_MAX
            return fits and (g[0], g[1] + g[3] - EDITOR_CLIENT[1])
        try:
            self.origin = wait_until('the editor window at %dx%d' % EDITOR_CLIENT, at_size, TIMEOUT)
        except xsession.WaitTimeout:
            raise AssertionError('the editor client area is %r, expected %dx%d' % ((self._size,) + EDITOR_CLIENT))
        return self.window

    def screen(self, client):
        """A point of the client area on the screen."""
        return self.origin[0] + client[0], self.origin[1] + client[1]

    def shot(self):
        """A picture of the client area."""
        return self.session.screenshot().crop(self.origin[0], self.origin[1], *EDITOR_CLIENT)

    # -- buttons and canvas --

    def click_twips(self, point):
        self._check_running()
        self.session.click(*self.screen((point[0] // TWIPS_PER_PIXEL, point[1] // TWIPS_PER_PIXEL)))

    def canvas_point(self, pixel):
        return self.screen((CANVAS[0] + pixel[0], CANVAS[1] + pixel[1]))

    def click_canvas(self, pixel):
        self.session.click(*self.canvas_point(pixel))

    def drag_canvas(self, start, by):
        end = (start[0] + by[0], start[1] + by[1])
        self.session.drag(self.canvas_point(start), self.canvas_point(end), steps=2)

    # -- dialogs --

    def dialogs(self):
        """The editor's shown dialogs. Dialogs are managed windows; a
        button's tooltip, which may come up first on a busy machine,
        bypasses the window manager."""
        self._check_running()
        found = []
        for w in self.session.search_pid(self.process.pid):
            if w == self.window:
                continue
            info = self.session.window_info(w)
            if info and info.get('Map State') == 'IsViewable' and info.get('Override Redirect State') == 'no':
                found.append(w)
        return found

    def open_dialog(self, button, what):
        """Clicks the button, waits for the dialog it opens and gives it the
        keyboard (no window manager does); returns the dialog's window."""
        self.click_twips(button)
        dialog = wait_until(what, lambda: (self.dialogs() or [None])[0], TIMEOUT)
        self.session.run(['xdotool', 'windowfocus', '--sync', dialog], check=False)
        wait_until(what + ' to take the keyboard', lambda: self.session.focused_window() == dialog, TIMEOUT)
        return dialog

    def enter(self, text):
        """Replaces the text of the field that has the focus and confirms."""
        self.session.xdotool('key', '--clearmodifiers', 'ctrl+a')
        self.session.xdotool('type', '--delay', 20, text)
        self.session.xdotool('key', 'Return')

    def wait_dialogs_closed(self, what):
        """Waits for the dialogs to close and for the pointer to be let go:
        the name field's completion list, which typing a path brings up,
        keeps the pointer grabbed for a moment after its dialog closed, and
        a click in that moment is lost."""
        wait_until(what + ' to close', lambda: not self.dialogs(), TIMEOUT)
        wait_until('the pointer to be let go after ' + what,
                   lambda: not self.session.xlib.pointer_grabbed(), TIMEOUT)

    def answer_file_dialog(self, button, path, what):
        """Opens a file dialog with the button and types the full path into
        its name field, which has the focus."""
        self.open_dialog(button, what)
        self.enter(path)
        self.wait_dialogs_closed(what)

    def choose_colour(self, button, rgb):
        self.open_dialog(button, 'the colour dialog')
        # Alt+H puts the focus into the dialog's HTML field.
        self.session.xdotool('key', 'alt+h')
        self.enter(hex_colour(rgb))
        self.wait_dialogs_closed('the colour dialog')

    def save(self, path):
        """Saves the design through the save dialog and returns its lines."""
        if os.path.exists(path):
            os.remove(path)
        self.answer_file_dialog(SAVE_BUTTON, path, 'the save dialog')
        wait_until('the saved design %s' % path, lambda: os.path.exists(path), TIMEOUT)
        return read_lines(path)

    def exit(self):
        """Ends the editor with its "終了" button."""
        self.click_twips(EXIT_BUTTON)
        try:
            return self.process.wait(TIMEOUT)
        except xsession.WaitTimeout:
            raise AssertionError('the editor did not end on its exit button')


# --------------------------------------------------------------------------
# One editor test script

class EditorRun:
    """What a test body gets: the display, a work folder, the two programs
    and where pictures of the screen go."""

    def __init__(self, args, workdir, session):
        self.maker = os.path.abspath(args.maker)
        self.clock = os.path.abspath(args.clock)
        self.workdir = workdir
        self.session = session
        self.shots = args.shots

    def folder(self, name, maker=False, clock=False):
        """A new folder in the work folder, holding copies of the programs
        asked for."""
        path = os.path.join(self.workdir, name)
        os.makedirs(path)
        if maker:
            shutil.copy2(self.maker, os.path.join(path, EDITOR_NAME))
        if clock:
            self.add_clock(path)
        return path

    def add_clock(self, folder):
        shutil.copy2(self.clock, os.path.join(folder, CLOCK_NAME))

    def start_editor(self, folder, cwd=None):
        """Starts the editor copied into folder (from cwd, else from the
        folder) and waits for its window."""
        editor = Editor(self.session, os.path.join(folder, EDITOR_NAME), cwd=cwd or folder)
        editor.wait_window()
        return editor

    def start_clock(self, folder, cwd=None, faketime=None, frozen=False):
        """Starts the clock copied into folder and waits for its window."""
        place = types.SimpleNamespace(program=os.path.join(folder, CLOCK_NAME), path=folder)
        clock = Clock(self.session, place, faketime=faketime, frozen=frozen, cwd=cwd)
        clock.wait_window()
        return clock

    def shoot(self, name, image=None):
        """Keeps a picture (by default of the whole screen) when a folder for
        them was given."""
        if self.shots:
            (image or self.session.screenshot()).save_png(os.path.join(self.shots, name))
            print('picture %s' % os.path.join(self.shots, name))

    def print_logs(self):
        for name in sorted(os.listdir(self.session.workdir)):
            if name.endswith('.log'):
                with open(os.path.join(self.session.workdir, name), 'rb') as f:
                    text = f.read().decode('utf-8', 'replace').strip()
                if text:
                    sys.stderr.write('--- %s\n%s\n' % (name, text[-2000:]))


def main(body, description, extra_tools=()):
    """Runs body(EditorRun) on a display of its own and returns the exit
    status: 0 passed, 1 failed, 77 skipped for a missing tool.

    Command line: --maker PATH --clock PATH [--shots DIR]"""
    parser = argparse.ArgumentParser(description=description)
    parser.add_argument('--maker', required=True, help='the built OrbelleMaker')
    parser.add_argument('--clock', required=True, help='the built OrbelleDo')
    parser.add_argument('--shots', help='folder for pictures of the screen')
    args = parser.parse_args()

    missing = xsession.missing_tools(extra=extra_tools)
    if missing:
        print('SKIPPED: missing tools: %s (Debian: xvfb trayer xdotool x11-utils x11-apps faketime)'
              % ', '.join(missing))
        return xsession.SKIPPED
    if args.shots:
        os.makedirs(args.shots, exist_ok=True)

    # A test stopped from outside still stops what it started.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    workdir = tempfile.mkdtemp(prefix='orbelle-e2e-maker-')
    os.mkdir(os.path.join(workdir, 'x'))
    session = XSession(os.path.join(workdir, 'x'))
    run = EditorRun(args, workdir, session)
    try:
        session.start()
        # A home of its own: the dialogs keep their settings there.
        home = os.path.join(workdir, 'home')
        os.makedirs(os.path.join(home, '.config'))
        session.env.update(HOME=home, XDG_CONFIG_HOME=os.path.join(home, '.config'))
        session.env.pop('SESSION_MANAGER', None)
        body(run)
    except AssertionError as failure:
        run.print_logs()
        print('FAIL: %s' % failure)
        return 1
    except BaseException:
        run.print_logs()
        raise
    finally:
        session.stop()
        shutil.rmtree(workdir, ignore_errors=True)
    return 0
