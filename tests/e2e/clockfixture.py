# SPDX-License-Identifier: MIT
"""The clock program as the end-to-end tests see it.

Writes the two files the clock reads beside its program file (the face
design and the saved state), draws face pictures, and starts and watches
one copy of OrbelleDo on an XSession: its window, its notification icon,
its dialog and its end.
"""

import os
import shutil
import tempfile

from xsession import Image, faketime_env, wait_until

CRLF = b'\r\n'
DIALOG_CAPTION = 'アラーム設定'
PROGRAM_NAME = 'OrbelleDo'


def _field(value):
    """One field of a record line: text in quotes, True/False as the two
    boolean words, numbers in plain decimal, None as nothing."""
    if value is None:
        return ''
    if value is True:
        return '#TRUE#'
    if value is False:
        return '#FALSE#'
    if isinstance(value, str):
        return '"%s"' % value
    if isinstance(value, float) and value.is_integer():
        return str(int(value))
    return str(value)


def record_line(*values):
    return ','.join(_field(v) for v in values).encode('utf-8') + CRLF


class Design:
    """The face design file. Sizes and positions in twips, vertices in
    window pixels; `shape` is 'ellipse', 'rectangle', 'polygon' or None
    (all three flags false)."""

    def __init__(self, picture='', width=3660, height=3660, picture_left=0, picture_top=0, shape='ellipse',
                 centre=(1800, 1800), hands_area=(3000, 3000), shown=(1, 1, 1, 1),
                 colours=(16777215, 255, 65280, 16711935), lengths=('95', '80', '60'), vertices=(),
                 template=(0, 0)):
        self.picture = picture
        self.width, self.height = width, height
        self.picture_left, self.picture_top = picture_left, picture_top
        self.shape = shape
        self.centre, self.hands_area = centre, hands_area
        self.shown, self.colours, self.lengths = shown, colours, lengths
        self.vertices = list(vertices)
        self.template = template

    @property
    def window_size(self):
        return self.width // 15, self.height // 15

    def to_bytes(self):
        out = record_line(self.width, self.height)
        out += record_line(self.picture)
        out += record_line(self.picture_left, self.picture_top)
        out += record_line(self.shape == 'ellipse', self.shape == 'rectangle', self.shape == 'polygon')
        out += record_line(*self.centre, *self.hands_area)
        out += record_line(*self.shown)
        out += record_line(*self.colours)
        out += record_line(*self.lengths)
        out += record_line(len(self.vertices))
        # The vertex list starts with the editor's template entry, which is
        # not a vertex; the handle list (editor only) follows.
        for x, y in [self.template] + self.vertices:
            out += record_line(x, y)
        for i in range(len(self.vertices) + 1):
            out += record_line(135 + 150 * i, 210)
        return out


def state_bytes(left, top, memo, hour, minute, month, day):
    """The saved-state file as the clock writes it: memo line breaks are
    CR LF inside the quotes."""
    return (record_line(left, top) + record_line(memo.replace('\n', '\r\n')) +
            record_line(hour, minute) + record_line(month, day))


def plain_face(width, height, colour):
    return Image(width, height, bytes(colour) * (width * height))


def coordinate_face(width, height):
    """A picture whose every pixel tells where it lies: red = x, green = y
    (both modulo 256), blue = 64 plus 16 for each 256 of x and 64 for each
    256 of y."""
    rgb = bytearray(width * height * 3)
    i = 0
    for y in range(height):
        for x in range(width):
            rgb[i:i + 3] = coordinate_colour(x, y)
            i += 3
    return Image(width, height, bytes(rgb))


def coordinate_colour(x, y):
    return (x % 256, y % 256, 64 + 16 * (x // 256) + 64 * (y // 256))


class ClockFolder:
    """A folder holding a copy of the program and its two files: the clock
    looks for them beside its own program file."""

    def __init__(self, program, parent=None):
        self.path = tempfile.mkdtemp(prefix='clock-', dir=parent)
        self.program = os.path.join(self.path, PROGRAM_NAME)
        shutil.copy2(program, self.program)
        self.design_path = os.path.join(self.path, 'tokei-set.ini')
        self.state_path = os.path.join(self.path, 'Pt.ini')

    def picture(self, image, name='face.png'):
        path = os.path.join(self.path, name)
        image.save_png(path)
        return path

    def write_design(self, design):
        with open(self.design_path, 'wb') as f:
            f.write(design.to_bytes())

    def write_state(self, data):
        with open(self.state_path, 'wb') as f:
            f.write(data)

    def read_state(self):
        with open(self.state_path, 'rb') as f:
            return f.read()


class Clock:
    """One run of the program from a ClockFolder on an XSession. With
    `faketime` (a time stamp), the program's wall clock starts at that time
    (libfaketime); `frozen` stops it there."""

    def __init__(self, session, folder, faketime=None, frozen=False, wrapper=(), env=None, cwd=None,
                 extra_env=None):
        """`wrapper` goes before the program on the command line (to run it
        as another user, say); `env` and `cwd` replace the session's
        environment and the folder's path; `extra_env` changes single
        variables (None takes one out)."""
        self.session = session
        self.folder = folder
        argv = list(wrapper) + [folder.program]
        env = env or None
        if faketime:
            env = faketime_env(env or session.env, faketime, frozen)
        if extra_env:
            env = dict(env or session.env)
            for key, value in extra_env.items():
                if value is None:
                    env.pop(key, None)
                else:
                    env[key] = value
        self.process = session.spawn(argv, 'clock-%s.log' % os.path.basename(folder.path), env=env,
                                     cwd=cwd or folder.path)
        self.window = None
        # Windows of this run that the tests have met: they must go away
        # with the program.
        self._seen = set()

    # -- windows --

    def _own_top_levels(self):
        return [w for w in self.session.windows()
                if w.depth == 0 and w.wm_class == (PROGRAM_NAME, PROGRAM_NAME)]

    def wait_window(self):
        """Waits for the clock window to be shown and remembers it."""
        # Until the tray host has taken it in, the icon is a top-level window
        # of the program as well.
        self.icon()

        def shown():
            if not self.process.running():
                raise AssertionError('the clock ended at start-up (status %s):\n%s'
                                     % (self.process.popen.returncode, self.process.log_text()))
            # Tooltips are top-level windows of the program too, but they
            # bypass the window manager; the clock window does not.
            found = []
            for w in self._own_top_levels():
                info = self.session.window_info(w.id) if w.name != DIALOG_CAPTION else None
                if (info and info.get('Map State') == 'IsViewable'
                        and info.get('Override Redirect State') == 'no'):
                    found.append(w)
            return found[0] if len(found) == 1 else None
        self.window = wait_until('the clock window to be shown', shown)
        self._seen.add(self.window.id)
        return self.window

    def geometry(self):
        return self.session.geometry(self.window.id)

    def map_state(self):
        return self.session.map_state(self.window.id)

    def picture(self):
        return self.session.window_picture(self.window.id)

    def wait_picture(self, what, predicate):
        """Takes pictures of the clock window until one satisfies predicate
        and returns it."""
        def probe():
            image = self.picture()
            return image if predicate(image) else None
        return wait_until(what, probe)

    def icon(self):
        """Waits for the notification icon inside the tray host and returns
        its window."""
        def docked():
            panels = [w for w in self.session.windows() if w.name == 'panel' and 'trayer' in w.wm_class]
            for w in self.session.windows():
                if (w.depth > 0 and w.wm_class == (PROGRAM_NAME, PROGRAM_NAME) and w.width > 1
                        and any(p.ax <= w.ax < p.ax + p.width and p.ay <= w.ay < p.ay + p.height for p in panels)
                        and self.session.map_state(w.id) == 'IsViewable'):
                    return w
            return None
        icon = wait_until('the clock icon in the tray host', docked)
        self._seen.add(icon.id)
        return icon

    def dialog(self):
        """The dialog window if it is shown, else None."""
        found = self.session.search_name(DIALOG_CAPTION)
        self._seen.update(found)
        return found[0] if found else None

    def wait_dialog(self):
        return wait_until('the dialog "%s" to be shown' % DIALOG_CAPTION, self.dialog)

    # -- ends --

    def wait_exit(self, timeout=None):
        return self.process.wait(timeout)

    def wait_windows_gone(self):
        def gone():
            ids = {w.id for w in self.session.windows()}
            return not (self._seen & ids)
        wait_until('the windows of the clock to go away', gone)

    def stop(self):
        self.process.stop()
