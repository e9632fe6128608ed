#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End-to-end tests of the clock, OrbelleDo, on a Wayland desktop without X.

    wayland_e2e.py PROGRAM [TestClass ...]

Each test class gets a headless weston of its own, and each test starts a
fresh copy of the program from a folder of its own with Qt's Wayland
platform and no X display. What the program shows is read back from
pictures of the compositor's screen: the face picture inside the window's
base shape and the desktop everywhere else in the window's box, and from
the state file it writes.

Exit status 77 (skipped) when weston, its screenshot tool or Qt's Wayland
platform plugin is missing. Pictures of the screen go to $ORBELLE_E2E_SHOTS,
work folders and logs to $ORBELLE_E2E_WORK.
"""

import glob
import math
import os
import signal
import sys
import tempfile
import unittest

# Keep the source folder free of compiled files.
sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, '..', 'e2e'))

import waylandsession  # noqa: E402
from clockfixture import ClockFolder, Design, plain_face, state_bytes  # noqa: E402
from clock_e2e import distance_to_segment, inside_polygon  # noqa: E402
from waylandsession import BACKGROUND  # noqa: E402
from xsession import faketime_env, faketime_library, wait_until  # noqa: E402

SKIPPED = 77
RED, GREEN, MAGENTA = (255, 0, 0), (0, 255, 0), (255, 0, 255)
# A hand's shadow clears the bit of value 64 of the face beneath.
RED_SHADOW = (255 & ~0x40, 0, 0)
# The pentagon of the X display's shape test, as the clock rounds it.
PENTAGON = [(122, 4), (238.5, 90), (194, 236), (50, 236), (5.5, 90)]
PENTAGON_USED = [(122, 4), (238, 90), (194, 236), (50, 236), (6, 90)]
# Corners of the 244-pixel window's box, well outside any of its shapes.
CORNERS = [(3, 3), (240, 3), (3, 240), (240, 240)]


def shown_box(image):
    """The smallest rectangle (x0, y0, x1, y1), ends excluded, holding every
    pixel that is not the desktop; None where the desktop shows alone."""
    row_bytes = bytes(BACKGROUND) * image.width
    stride = image.width * 3
    x0 = y0 = x1 = y1 = None
    for y in range(image.height):
        row = image.rgb[y * stride:(y + 1) * stride]
        if row == row_bytes:
            continue
        cols = [x for x in range(image.width) if row[3 * x:3 * x + 3] != bytes(BACKGROUND)]
        x0 = cols[0] if x0 is None else min(x0, cols[0])
        x1 = cols[-1] + 1 if x1 is None else max(x1, cols[-1] + 1)
        y0 = y if y0 is None else y0
        y1 = y + 1
    return None if x0 is None else (x0, y0, x1, y1)


class WaylandTestCase(unittest.TestCase):
    """One compositor for all tests of a class; a fresh clock for each test."""

    program = None
    shots_dir = None
    work_dir = None

    @classmethod
    def setUpClass(cls):
        cls.class_dir = os.path.join(cls.work_dir, cls.__name__)
        os.makedirs(cls.class_dir, exist_ok=True)
        cls.session = waylandsession.WaylandSession(tempfile.mkdtemp(prefix='weston-', dir=cls.class_dir))
        try:
            cls.session.start()
        except BaseException:
            cls.session.stop()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.session.stop()

    def setUp(self):
        self.clocks = []

    def tearDown(self):
        for clock in self.clocks:
            clock.stop()
        wait_until('the clock windows to go away', lambda: shown_box(self.session.screenshot()) is None)

    def new_folder(self, design, state):
        folder = ClockFolder(self.program, parent=self.class_dir)
        design.picture = folder.picture(plain_face(240, 240, RED))
        folder.write_design(design)
        folder.write_state(state)
        return folder

    def start_clock(self, folder, env=None):
        clock = self.session.spawn([folder.program], 'clock-%s.log' % os.path.basename(folder.path),
                                   env=env, cwd=folder.path)
        self.clocks.append(clock)
        return clock

    def wait_shown(self, clock, *sizes):
        """Waits for the clock to show what lies in a box of one of the
        `sizes` (any size where none is given) and stand still in its place;
        returns the picture of the screen and the box."""
        last = []

        def settled():
            if not clock.running():
                raise AssertionError('the clock ended at start-up (status %s):\n%s'
                                     % (clock.popen.returncode, clock.log_text()))
            image = self.session.screenshot()
            box = shown_box(image)
            same = box is not None and last and last[-1] == box
            last.append(box)
            if same and (not sizes or (box[2] - box[0], box[3] - box[1]) in sizes):
                return image, box
            return None
        try:
            return wait_until('the clock to show a shape of %s pixels' % (sizes,), settled)
        except AssertionError:
            raise AssertionError('the clock showed %s (x0, y0, x1, y1), not a shape of %s pixels:\n%s'
                                 % (last[-1] if last else None, list(sizes), clock.log_text()[-2000:])) from None

    def shoot(self, image, name):
        image.save_png(os.path.join(self.shots_dir, name))

    def check_shape(self, image, origin, expected_inside, near_edge, face_at, name):
        """Every pixel of the window's 244-pixel box: the face inside the
        shape, the desktop outside; pixels near the outline go either way.
        Prints what it counted."""
        ox, oy = origin
        wrong_inside, wrong_outside, face, desktop = [], [], 0, 0
        for y in range(244):
            for x in range(244):
                colour = image.pixel(ox + x, oy + y)
                face += colour == RED
                desktop += colour == BACKGROUND
                centre = (x + 0.5, y + 0.5)
                if near_edge(centre):
                    continue
                if not expected_inside(centre):
                    if colour != BACKGROUND:
                        wrong_outside.append((x, y, colour))
                elif face_at(x, y) and colour != RED:
                    wrong_inside.append((x, y, colour))
                elif colour == BACKGROUND:
                    wrong_inside.append((x, y, colour))
        corners = [image.pixel(ox + x, oy + y) for x, y in CORNERS]
        print('\n  %s on Wayland: window at %s; of its 244x244 box %d pixels show the face %s, %d the '
              'desktop %s; corners %s' % (name, origin, face, RED, desktop, BACKGROUND, corners))
        self.assertEqual(corners, [BACKGROUND] * 4, 'the corners of the box do not show the desktop')
        self.assertEqual(wrong_outside[:10], [], 'pixels outside the shape are not the desktop')
        self.assertEqual(wrong_inside[:10], [], 'pixels inside the shape do not show the face')
        return face


class WaylandShapeTests(WaylandTestCase):
    """The window's base shape on a compositor that does not cut windows."""

    def test_ellipse_shows_the_face_inside_and_the_desktop_at_the_corners(self):
        design = Design(width=3660, height=3660, shape='ellipse', shown=(0, 0, 0, 0))
        clock = self.start_clock(self.new_folder(design, state_bytes(1500, 750, '', '', '', '', '')))
        # The ellipse (2, 2)-(244, 244) spans 242 pixels each way.
        image, box = self.wait_shown(clock, (242, 242))
        self.shoot(image, 'wayland-ellipse.png')
        origin = (box[0] - 2, box[1] - 2)

        def radius(p):
            return math.hypot(p[0] - 123.0, p[1] - 123.0)
        # The picture box's border lies over the picture's last two rows and
        # columns of the window; the ellipse reaches over it.
        face = self.check_shape(image, origin, lambda p: radius(p) < 121, lambda p: abs(radius(p) - 121) < 1.0,
                                lambda x, y: x < 242 and y < 242, 'ellipse')
        self.assertAlmostEqual(face, math.pi * 121 * 121, delta=2 * math.pi * 121 * 2)

    def test_polygon_shows_the_face_inside_and_the_desktop_at_the_corners(self):
        design = Design(width=3660, height=3660, shape='polygon', vertices=PENTAGON, template=(900, 900),
                        shown=(0, 0, 0, 0))
        clock = self.start_clock(self.new_folder(design, state_bytes(1500, 1500, '', '', '', '', '')))
        # From column 6 to 237 across; the apex row at 4 may hold a pixel or
        # none, the bottom edge at row 236 is left out.
        image, box = self.wait_shown(clock, (232, 232), (232, 231))
        self.shoot(image, 'wayland-pentagon.png')
        origin = (box[0] - 6, box[3] - 236)
        edges = list(zip(PENTAGON_USED, PENTAGON_USED[1:] + PENTAGON_USED[:1]))
        self.check_shape(image, origin, lambda p: inside_polygon(p, PENTAGON_USED),
                         lambda p: min(distance_to_segment(p, a, b) for a, b in edges) < 1.0,
                         lambda x, y: True, 'pentagon')

    def test_hands_and_their_shadows_show_inside_the_ellipse(self):
        if not faketime_library():
            self.skipTest('libfaketime is not installed (Debian package faketime)')
        design = Design(width=3660, height=3660, shape='ellipse')
        # From ten past ten on: the hour and minute hands lie well apart for
        # minutes. (Under a wall clock frozen by libfaketime the face showed
        # no hands on this platform.)
        clock = self.start_clock(self.new_folder(design, state_bytes(1500, 750, '', '', '', '', '')),
                                 env=faketime_env(self.session.env, '2026-01-05 10:10:00', False))
        self.wait_shown(clock, (242, 242))

        def drawn():
            image = self.session.screenshot()
            found = {name: image.points(colour) for name, colour in
                     (('minute hand', GREEN), ('hour hand', MAGENTA), ('shadow', RED_SHADOW))}
            return (image, found) if all(found.values()) else None
        image, found = wait_until('the hands and their shadows to be drawn', drawn)
        self.shoot(image, 'wayland-hands.png')
        x0, y0, _, _ = shown_box(image)
        for name, points in found.items():
            # Window pixel (x - x0 + 2, y - y0 + 2), measured at its centre.
            outside = [(x - x0 + 2, y - y0 + 2) for x, y in points
                       if math.hypot(x - x0 + 2.5 - 123, y - y0 + 2.5 - 123) > 122]
            self.assertEqual(outside, [], 'the %s is drawn outside the ellipse' % name)
        print('\n  hands on Wayland: %s' % ', '.join('%s %d pixels' % (n, len(p)) for n, p in found.items()))


class WaylandStateTests(WaylandTestCase):
    """What the clock saves where it can neither place its window nor learn
    where it stands."""

    def test_the_saved_position_is_kept_and_not_replaced_by_the_compositors(self):
        design = Design(width=3660, height=3660, shape='ellipse', shown=(0, 0, 0, 0))
        folder = self.new_folder(design, state_bytes(1500, 750, 'メモ', '7', '30', '12', '24'))
        clock = self.start_clock(folder)
        self.wait_shown(clock)
        # Ended from outside, the clock saves its state as its icon would.
        os.kill(clock.pid, signal.SIGTERM)
        self.assertEqual(clock.wait(), 0, clock.log_text()[-2000:])
        self.assertEqual(folder.read_state(), state_bytes(1500, 750, 'メモ', '7', '30', '12', '24'))


def qt_wayland_plugin_missing():
    """True where the build's Qt plugin folder is known and holds no Wayland
    platform plugin."""
    folder = os.environ.get('ORBELLE_QT_PLATFORM_PLUGINS')
    return bool(folder) and os.path.isdir(folder) and not glob.glob(os.path.join(folder, '*wayland*'))


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    program = os.path.abspath(argv[1])
    if not os.access(program, os.X_OK):
        print('no program at %s' % program, file=sys.stderr)
        return 2
    missing = waylandsession.missing_tools()
    if missing:
        print('SKIPPED: these end-to-end tests need %s on the PATH (Debian package weston)' % ', '.join(missing))
        return SKIPPED
    if qt_wayland_plugin_missing():
        print('SKIPPED: Qt has no Wayland platform plugin in %s (Debian package qt6-wayland)'
              % os.environ['ORBELLE_QT_PLATFORM_PLUGINS'])
        return SKIPPED
    tmp = tempfile.gettempdir()
    WaylandTestCase.program = program
    WaylandTestCase.shots_dir = os.environ.get('ORBELLE_E2E_SHOTS') or os.path.join(tmp, 'orbelle-e2e-shots')
    WaylandTestCase.work_dir = os.environ.get('ORBELLE_E2E_WORK') or os.path.join(tmp, 'orbelle-e2e-work')
    os.makedirs(WaylandTestCase.shots_dir, exist_ok=True)
    os.makedirs(WaylandTestCase.work_dir, exist_ok=True)
    loader = unittest.TestLoader()
    module = sys.modules[__name__]
    if len(argv) > 2:
        suite = unittest.TestSuite(loader.loadTestsFromName(name, module) for name in argv[2:])
    else:
        suite = unittest.TestSuite(loader.loadTestsFromTestCase(c)
                                   for c in (WaylandShapeTests, WaylandStateTests))
    result = unittest.TextTestRunner(verbosity=2, stream=sys.stdout).run(suite)
    print('pictures of the screen: %s' % WaylandTestCase.shots_dir)
    print('work folders and logs:  %s' % WaylandTestCase.work_dir)
    return 0 if result.wasSuccessful() else 1


if __name__ == '__main__':
    sys.exit(main(sys.argv))
