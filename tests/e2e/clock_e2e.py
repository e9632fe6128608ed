#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End-to-end tests of the clock, OrbelleDo, under a real X server.

    clock_e2e.py PROGRAM [TestClass ...]

Each test class gets an Xvfb display of its own with a tray host on it, and
each test starts a fresh copy of the program from a folder of its own. The
mouse and keyboard are driven with xdotool; what the program does is read
back from the X server (window geometry, shape, map state), from pictures
of the screen and from the state file it writes.

Exit status 77 (skipped) when the X tools are missing. Pictures of the
screen go to $ORBELLE_E2E_SHOTS, work folders and logs to $ORBELLE_E2E_WORK
(both default to folders under the system's temporary folder).
"""

import math
import os
import sys
import time
import unittest

# Keep the source folder free of compiled files.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import xsession  # noqa: E402
from clockfixture import (Clock, ClockFolder, Design, coordinate_colour, coordinate_face,  # noqa: E402
                          plain_face, state_bytes)
from xsession import wait_until  # noqa: E402


# The face used wherever the picture itself is not under test: every
# channel has the bit of value 64 set, so a hand's shadow (which clears
# that bit) shows as a colour of its own.
FACE = (0x50, 0x60, 0xC0)
SHADOW = tuple(c & ~0x40 for c in FACE)
MAGENTA, GREEN, RED, WHITE = (255, 0, 255), (0, 255, 0), (255, 0, 0), (255, 255, 255)
PINK, LIGHT_YELLOW = (255, 128, 255), (255, 255, 192)

MEMO = 'ここに\nメモ'


def twips(pixels):
    return pixels * 15


# --------------------------------------------------------------------------
# Geometry helpers for checking shapes and hands

def pixels_of(rectangles):
    return {(x, y) for rx, ry, w, h in rectangles for x in range(rx, rx + w) for y in range(ry, ry + h)}


def extents_of(rectangles):
    x0 = min(r[0] for r in rectangles)
    y0 = min(r[1] for r in rectangles)
    x1 = max(r[0] + r[2] for r in rectangles)
    y1 = max(r[1] + r[3] for r in rectangles)
    return '%dx%d+%d+%d' % (x1 - x0, y1 - y0, x0, y0)


def distance_to_segment(p, a, b):
    (px, py), (ax, ay), (bx, by) = p, a, b
    dx, dy = bx - ax, by - ay
    length2 = dx * dx + dy * dy
    t = 0.0 if length2 == 0 else max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / length2))
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


def inside_polygon(p, vertices):
    """Even-odd rule."""
    x, y = p
    inside = False
    n = len(vertices)
    for i in range(n):
        (x0, y0), (x1, y1) = vertices[i], vertices[(i + 1) % n]
        if (y0 > y) != (y1 > y) and x < x0 + (y - y0) * (x1 - x0) / (y1 - y0):
            inside = not inside
    return inside


def misplaced_pixels(actual, width, height, expected_inside, near_edge):
    """Pixels of the window whose membership in the shape contradicts the
    ideal outline; pixels near the outline are let through either way."""
    wrong = []
    for y in range(height):
        for x in range(width):
            centre = (x + 0.5, y + 0.5)
            if near_edge(centre):
                continue
            if ((x, y) in actual) != expected_inside(centre):
                wrong.append((x, y))
    return wrong


# --------------------------------------------------------------------------

class ClockTestCase(unittest.TestCase):
    """One X display with a tray host for all tests of a class; a fresh
    clock for each test."""

    program = None
    shots_dir = None
    work_dir = None

    @classmethod
    def setUpClass(cls):
        cls.class_dir = os.path.join(cls.work_dir, cls.__name__)
        cls.session = xsession.start_session(cls.class_dir)

    @classmethod
    def tearDownClass(cls):
        cls.session.stop()

    def setUp(self):
        self.clocks = []

    def tearDown(self):
        for clock in self.clocks:
            clock.stop()
        for clock in self.clocks:
            clock.wait_windows_gone()

    # -- helpers --

    def new_folder(self, design=None, state=None, face=None, parent=None):
        folder = ClockFolder(self.program, parent=parent or self.class_dir)
        if design is not None:
            if face is None:
                face = plain_face(240, 240, FACE)
            design.picture = folder.picture(face)
            folder.write_design(design)
        if state is not None:
            folder.write_state(state)
        return folder

    def start_clock(self, folder, faketime=None, frozen=False):
        clock = Clock(self.session, folder, faketime, frozen)
        self.clocks.append(clock)
        clock.wait_window()
        return clock

    def shoot(self, image, name):
        path = os.path.join(self.shots_dir, name)
        image.save_png(path)
        return path

    def end_from_icon(self, clock):
        """Right-clicks the notification icon and waits for the program to
        end; returns its exit status, for assert_normal_exit once the
        effects have been checked."""
        icon = clock.icon()
        self.session.click(*icon.centre, button=3)
        status = clock.wait_exit()
        clock.wait_windows_gone()
        self.assertFalse([w for w in self.session.windows() if w.id == icon.id], 'the icon is still there')
        return status

    def assert_normal_exit(self, clock, status):
        self.assertEqual(status, 0, 'the clock did not end normally (status %s; negative: the signal that '
                         'ended it)\n%s' % (status, clock.process.log_text()[-2000:]))

    def face_point(self, clock, dx=60, dy=170):
        """A point on the face, relative to the window's top-left, in screen
        coordinates."""
        x, y, _, _ = clock.geometry()
        return x + dx, y + dy


# --------------------------------------------------------------------------

class WindowShapeTests(ClockTestCase):
    """Size, position and outline of the clock window for each base shape."""

    def check_size_and_place(self, clock, design, left, top):
        self.assertEqual(clock.geometry(), (left, top) + design.window_size)

    def test_ellipse_leaves_a_two_pixel_margin(self):
        design = Design(width=3660, height=3660, shape='ellipse')
        clock = self.start_clock(self.new_folder(design, state_bytes(1500, 750, MEMO, '7', '30', '0', '0')))
        self.check_size_and_place(clock, design, 100, 50)
        self.assertEqual(self.session.shape_extents(clock.window.id), '242x242+2+2')
        actual = pixels_of(self.session.xlib.shape_rectangles(clock.window.id))
        cx, cy, r = 123.0, 123.0, 121.0
        wrong = misplaced_pixels(actual, 244, 244,
                                 lambda p: math.hypot(p[0] - cx, p[1] - cy) < r,
                                 lambda p: abs(math.hypot(p[0] - cx, p[1] - cy) - r) < 1.0)
        self.assertEqual(wrong, [], 'pixels on the wrong side of the ellipse (2,2)-(244,244)')
        # Left-right and top-bottom symmetric.
        self.assertEqual(actual, {(245 - x, y) for x, y in actual})
        self.assertEqual(actual, {(x, 245 - y) for x, y in actual})
        self.shoot(clock.wait_picture('the hands to be drawn', lambda im: im.points(RED)), 'shape-ellipse.png')

    def test_ellipse_of_a_wide_design(self):
        design = Design(width=3660, height=2460, shape='ellipse', centre=(1800, 1200), hands_area=(3000, 2000))
        clock = self.start_clock(self.new_folder(design, state_bytes(3000, 1500, '', '', '', '', '')))
        self.check_size_and_place(clock, design, 200, 100)
        self.assertEqual(self.session.shape_extents(clock.window.id), '242x162+2+2')
        actual = pixels_of(self.session.xlib.shape_rectangles(clock.window.id))

        def radius(p):
            return math.hypot((p[0] - 123.0) / 121.0, (p[1] - 83.0) / 81.0)
        wrong = misplaced_pixels(actual, 244, 164, lambda p: radius(p) < 1,
                                 lambda p: abs(radius(p) - 1) < 1.0 / 81.0)
        self.assertEqual(wrong, [], 'pixels on the wrong side of the ellipse (2,2)-(244,164)')
        self.shoot(clock.wait_picture('the hands to be drawn', lambda im: im.points(RED)), 'shape-ellipse-wide.png')

    def test_rectangle_stops_two_pixels_short_of_every_edge(self):
        design = Design(width=3660, height=3660, shape='rectangle')
        clock = self.start_clock(self.new_folder(design, state_bytes(4500, 1500, '', '', '', '', '')))
        self.check_size_and_place(clock, design, 300, 100)
        # The polygon (2,2),(2,242),(242,242),(242,2) covers the pixels from
        # 2 to 241 in both directions.
        self.assertEqual(self.session.shape_extents(clock.window.id), '240x240+2+2')
        actual = pixels_of(self.session.xlib.shape_rectangles(clock.window.id))
        self.assertEqual(actual, {(x, y) for x in range(2, 242) for y in range(2, 242)})
        self.shoot(clock.wait_picture('the hands to be drawn', lambda im: im.points(RED)), 'shape-rectangle.png')

    def test_small_rectangle(self):
        design = Design(width=2460, height=2460, shape='rectangle', centre=(1200, 1200), hands_area=(2000, 2000))
        clock = self.start_clock(self.new_folder(design, state_bytes(0, 0, '', '', '', '', '')))
        self.check_size_and_place(clock, design, 0, 0)
        actual = pixels_of(self.session.xlib.shape_rectangles(clock.window.id))
        self.assertEqual(actual, {(x, y) for x in range(2, 162) for y in range(2, 162)})

    def test_polygon_takes_the_vertices_after_the_template_entry(self):
        # A pentagon; 5.5 becomes 6 and 238.5 becomes 238 (halves to even).
        # The template entry lies far outside and must not count.
        vertices = [(122, 4), (238.5, 90), (194, 236), (50, 236), (5.5, 90)]
        design = Design(width=3660, height=3660, shape='polygon', vertices=vertices, template=(900, 900))
        clock = self.start_clock(self.new_folder(design, state_bytes(1500, 1500, '', '', '', '', '')))
        self.check_size_and_place(clock, design, 100, 100)
        rectangles = self.session.xlib.shape_rectangles(clock.window.id)
        extents = self.session.shape_extents(clock.window.id)
        self.assertEqual(extents, extents_of(rectangles))
        # From pixel 6 to 237 across; the apex row at 4 may hold a pixel or
        # none, the bottom edge at 236 is left out.
        self.assertRegex(extents, r'^232x(232\+6\+4|231\+6\+5)$')
        used = [(122, 4), (238, 90), (194, 236), (50, 236), (6, 90)]
        edges = list(zip(used, used[1:] + used[:1]))
        wrong = misplaced_pixels(pixels_of(rectangles), 244, 244, lambda p: inside_polygon(p, used),
                                 lambda p: min(distance_to_segment(p, a, b) for a, b in edges) < 1.0)
        self.assertEqual(wrong, [], 'pixels on the wrong side of the pentagon')
        self.shoot(clock.wait_picture('the hands to be drawn', lambda im: im.points(RED)), 'shape-pentagon.png')

    def test_no_shape_flag_leaves_the_window_rectangular(self):
        design = Design(width=3660, height=3660, shape=None)
        clock = self.start_clock(self.new_folder(design, state_bytes(6000, 3000, '', '', '', '', '')))
        self.check_size_and_place(clock, design, 400, 200)
        self.assertIsNone(self.session.shape_extents(clock.window.id))
        self.assertEqual(self.session.xlib.shape_rectangles(clock.window.id), [(0, 0, 244, 244)])
        self.shoot(clock.wait_picture('the hands to be drawn', lambda im: im.points(RED)), 'shape-none.png')

    def test_picture_is_shown_from_its_offset_at_window_pixel_two(self):
        # Picture moved 20 pixels left and 10 up: window pixel (2, 2) shows
        # picture pixel (20, 10). No hands or tick marks to hide it.
        design = Design(width=3660, height=3660, shape='rectangle', picture_left=-300, picture_top=-150,
                        shown=(0, 0, 0, 0))
        clock = self.start_clock(self.new_folder(design, state_bytes(1500, 1500, '', '', '', '', ''),
                                                 face=coordinate_face(300, 300)))

        def placed(image):
            return image.pixel(2, 2) == coordinate_colour(20, 10)
        image = clock.wait_picture('the face picture to be drawn', placed)
        self.shoot(image, 'picture-offset.png')
        wrong = [(x, y) for y in range(2, 242, 3) for x in range(2, 242, 3)
                 if image.pixel(x, y) != coordinate_colour(x - 2 + 20, y - 2 + 10)]
        self.assertEqual(wrong, [], 'window pixels not showing the picture pixel 18, 8 further on')

    def test_without_state_file_the_window_opens_at_the_screen_origin(self):
        design = Design(width=3660, height=3660, shape='ellipse')
        clock = self.start_clock(self.new_folder(design, None))
        self.check_size_and_place(clock, design, 0, 0)


# --------------------------------------------------------------------------

class TrayIconTests(ClockTestCase):
    """The notification icon: beep, show or hide, save and end."""

    def design(self):
        return Design(width=3660, height=3660, shape='ellipse')

    def test_icon_is_docked_in_the_tray_host(self):
        clock = self.start_clock(self.new_folder(self.design(), state_bytes(1500, 750, '', '', '', '', '')))
        icon = clock.icon()
        self.assertGreaterEqual(min(icon.width, icon.height), 16)

        def drawn():
            # The panel is one flat colour; the icon picture is not.
            image = self.session.screenshot()
            part = image.crop(icon.ax, icon.ay, icon.width, icon.height)
            colours = {part.rgb[i:i + 3] for i in range(0, len(part.rgb), 3)}
            return image if len(colours) >= 5 else None
        image = wait_until('the icon to be drawn', drawn)
        self.shoot(image.crop(1024 - 130, 0, 130, 30), 'tray.png')

    def test_single_click_beeps_once_and_leaves_the_clock_alone(self):
        clock = self.start_clock(self.new_folder(self.design(), state_bytes(1500, 750, '', '', '', '', '')))
        icon = clock.icon()
        self.session.xlib.watch_bells()
        self.session.click(*icon.centre)
        wait_until('a bell', lambda: self.session.xlib.count_bells() >= 1)
        # The dialog opened from the face shows that the clock has handled
        # the click by then.
        self.session.click(*self.face_point(clock), button=3)
        clock.wait_dialog()
        self.assertEqual(clock.map_state(), 'IsViewable')
        self.assertTrue(clock.process.running())
        self.assertEqual(self.session.xlib.count_bells(), 1)

    def test_double_click_hides_and_shows_the_clock(self):
        clock = self.start_clock(self.new_folder(self.design(), state_bytes(1500, 750, '', '', '', '', '')))
        icon = clock.icon()
        self.session.xlib.watch_bells()
        self.session.double_click(*icon.centre)
        wait_until('the clock window to be hidden', lambda: clock.map_state() == 'IsUnMapped')
        self.assertTrue(clock.process.running())
        # The first press of a double-click beeps, the second does not (the
        # beep may come a little after the window has gone).
        wait_until('a beep', lambda: self.session.xlib.count_bells() >= 1)
        self.session.double_click(*icon.centre)
        wait_until('the clock window to be shown again', lambda: clock.map_state() == 'IsViewable')
        self.assertEqual(clock.geometry(), (100, 50, 244, 244))
        wait_until('a second beep', lambda: self.session.xlib.count_bells() >= 2)
        self.assertEqual(self.session.xlib.count_bells(), 2)

    def test_right_click_writes_the_state_file_and_ends(self):
        state = state_bytes(1500, 750, MEMO, '7', '30', '12', '24')
        self.assertEqual(state, b'1500,750\r\n"\xe3\x81\x93\xe3\x81\x93\xe3\x81\xab\r\n\xe3\x83\xa1\xe3\x83\xa2"\r\n'
                                b'"7","30"\r\n"12","24"\r\n')
        folder = self.new_folder(self.design(), state)
        # An old time stamp shows whether the file was written again.
        os.utime(folder.state_path, (946684800, 946684800))
        clock = self.start_clock(folder)
        status = self.end_from_icon(clock)
        self.assertGreater(os.stat(folder.state_path).st_mtime, 946684800, 'the state file was not written')
        self.assertEqual(folder.read_state(), state)
        self.assert_normal_exit(clock, status)

    def test_right_click_without_state_file_writes_origin_and_empty_texts(self):
        folder = self.new_folder(self.design(), None)
        clock = self.start_clock(folder)
        status = self.end_from_icon(clock)
        self.assertEqual(folder.read_state(), b'0,0\r\n""\r\n"",""\r\n"",""\r\n')
        self.assert_normal_exit(clock, status)


# --------------------------------------------------------------------------

class DragAndRestartTests(ClockTestCase):
    """Dragging the face moves the window; the place survives a restart."""

    def run_clock_dragged_by(self, folder, start, by):
        clock = self.start_clock(folder)
        x, y, _, _ = clock.geometry()
        grab = (x + start[0], y + start[1])
        self.session.drag(grab, (grab[0] + by[0], grab[1] + by[1]))
        wait_until('the window to follow the mouse',
                   lambda: clock.geometry()[:2] == (x + by[0], y + by[1]))
        self.assertIsNone(clock.dialog(), 'a left drag opened the dialog')
        return clock, self.end_from_icon(clock)

    def test_dragged_place_is_saved_and_restored(self):
        # 30 February: the dialog never opens by itself, whatever the date.
        rest = b'"memo, with a comma"\r\n"7","30"\r\n"2","30"\r\n'
        folder = self.new_folder(Design(shape='ellipse'), b'1500,750\r\n' + rest)
        clock, status = self.run_clock_dragged_by(folder, (120, 60), (165, 90))
        self.assertEqual(folder.read_state(), b'3975,2100\r\n' + rest)
        again = self.start_clock(folder)
        self.assertEqual(again.geometry(), (265, 140, 244, 244))
        self.assert_normal_exit(clock, status)

    def test_window_dragged_partly_off_the_screen_comes_back_there(self):
        folder = self.new_folder(Design(shape='ellipse'), state_bytes(1500, 750, '', '', '', '', ''))
        # Grabbed 150, 100 into the window at 100, 50; the mouse ends at
        # 70, 40, which leaves the window at -80, -60.
        clock, status = self.run_clock_dragged_by(folder, (150, 100), (-180, -110))
        self.assertEqual(folder.read_state().split(b'\r\n')[0], b'-1200,-900')
        again = self.start_clock(folder)
        self.assertEqual(again.geometry(), (-80, -60, 244, 244))
        self.assert_normal_exit(clock, status)


# --------------------------------------------------------------------------

class DialogTests(ClockTestCase):
    """The alarm and memo dialog opened from the face."""

    def open_dialog(self, state):
        folder = self.new_folder(Design(shape='ellipse'), state)
        clock = self.start_clock(folder)
        self.session.click(*self.face_point(clock), button=3)
        return folder, clock, clock.wait_dialog()

    def test_right_click_on_the_face_opens_the_dialog_in_memo_mode(self):
        _, clock, dialog = self.open_dialog(state_bytes(1500, 750, MEMO, '7', '30', '0', '0'))
        _, _, width, height = self.session.geometry(dialog)
        self.assertEqual((width, height), (328, 277))
        # A normal window: the window manager would frame it.
        self.assertIn('Override Redirect State: no', self.session.window_info(dialog)['_text'])
        image = wait_until('the dialog to be drawn', lambda: (lambda im: im if im.pixel(8, 140) == PINK else None)(
            self.session.window_picture(dialog)))
        self.shoot(image, 'dialog-memo-mode.png')
        # Memo box from 176 px down, covering the red notice at 201 to 233.
        for point in [(150, 225), (250, 250), (60, 270)]:
            self.assertEqual(image.pixel(*point), LIGHT_YELLOW, 'memo box not at %r' % (point,))
        self.assertEqual(image.points(RED), [], 'the alarm notice shows in memo mode')
        self.assertEqual(clock.map_state(), 'IsViewable')

    def test_close_button_hides_the_dialog(self):
        _, clock, dialog = self.open_dialog(state_bytes(1500, 750, MEMO, '7', '30', '0', '0'))
        x, y, _, _ = self.session.geometry(dialog)
        # "閉じる" at 1545, 2205 twips, 1935 x 375.
        self.session.click(x + 103 + 64, y + 147 + 12)
        wait_until('the dialog to be hidden', lambda: clock.dialog() is None)
        self.assertEqual(clock.map_state(), 'IsViewable')
        self.assertTrue(clock.process.running())

    def focus_dialog(self, clock, dialog):
        """Clicks a bare spot of the dialog and waits for it to take the
        keyboard: keys typed before that would go to the clock window."""
        x, y, _, _ = self.session.geometry(dialog)
        self.session.click(x + 8, y + 140)
        wait_until('the dialog to take the keyboard focus',
                   lambda: self.session.run(['xdotool', 'getwindowfocus']).strip() == str(int(dialog, 16)))
        return x, y

    def test_typed_texts_are_saved_at_the_end(self):
        folder, clock, dialog = self.open_dialog(state_bytes(1500, 750, '', '22', '', '', ''))
        x, y = self.focus_dialog(clock, dialog)

        def type_into(at, *texts, replace=False):
            self.session.click(x + at[0], y + at[1])
            if replace:
                self.session.xdotool('key', 'ctrl+a')
            for i, text in enumerate(texts):
                if i:
                    self.session.xdotool('key', 'Return')
                self.session.xdotool('type', '--delay', 20, text)
        type_into((46, 103), '6', replace=True)     # hour box Text1, held "22"
        type_into((143, 103), '45')                 # minute box Text2
        type_into((210, 22), '3')                   # month box Text4
        type_into((270, 22), '1')                   # day box Text5
        type_into((150, 230), 'abc', 'def')         # memo box Text3
        self.shoot(self.session.window_picture(dialog), 'dialog-typed.png')
        # The program takes the keys before the icon's click that follows.
        status = self.end_from_icon(clock)
        self.assertEqual(folder.read_state(), state_bytes(1500, 750, 'abc\ndef', '6', '45', '3', '1'))
        self.assert_normal_exit(clock, status)

    def test_spin_arrows_step_within_their_limits(self):
        folder, clock, dialog = self.open_dialog(state_bytes(1500, 750, '', '22', '1', '12', '30'))
        x, y = self.focus_dialog(clock, dialog)
        # Upper and lower halves of UpDown1 to UpDown4.
        hour_up, minute_down, month_up, day_up = (76, 94), (173, 112), (230, 16), (294, 16)
        for arrow in [hour_up, hour_up, minute_down, minute_down, month_up, day_up, day_up]:
            self.session.click(x + arrow[0], y + arrow[1])
        status = self.end_from_icon(clock)
        self.assertEqual(folder.read_state(), state_bytes(1500, 750, '', '23', '0', '12', '31'))
        self.assert_normal_exit(clock, status)


# --------------------------------------------------------------------------

class ClockTimeTests(ClockTestCase):
    """What the tick does at a given date and time (faketime)."""

    def hands_design(self):
        # Centre at picture pixel 120, 120, i.e. window pixel 122, 122; radius
        # 100 pixels; second 95 %, minute 80 %, hour 60 %.
        return Design(width=3660, height=3660, shape='ellipse', centre=(1800, 1800), hands_area=(3000, 3000),
                      lengths=('95', '80', '60'))

    def start_at(self, when, state, frozen=True):
        return self.start_clock(self.new_folder(self.hands_design(), state), faketime=when, frozen=frozen)

    def wait_first_tick(self, clock, second_hand_end):
        """Waits until the second hand reaches the given window point: the
        first working tick has run."""
        def drawn(image):
            return any(math.hypot(x - second_hand_end[0], y - second_hand_end[1]) <= 3 for x, y in image.points(RED))
        return clock.wait_picture('the first tick to draw the second hand', drawn)

    def test_hands_and_tick_marks_at_three_o_clock(self):
        clock = self.start_at('2026-03-01 03:00:30', state_bytes(1500, 750, '', '', '', '', ''))
        centre = (122, 122)
        second_end = (122, 217)                        # 180 degrees, 95 px
        a = math.radians(3)                            # 0.1 degree a second
        minute_end = (122 + 80 * math.sin(a), 122 - 80 * math.cos(a))
        hour_end = (182, 122)                          # 90 degrees, 60 px
        image = self.wait_first_tick(clock, second_end)
        self.shoot(image, 'hands-0300.png')

        def check_hand(colour, end, width, name):
            points = image.points(colour)
            self.assertTrue(points, 'no %s hand' % name)
            off = [p for p in points if distance_to_segment(p, centre, end) > width / 2 + 1.5]
            self.assertEqual(off, [], '%s hand pixels away from %r-%r' % (name, centre, end))
            far = max(points, key=lambda p: math.hypot(p[0] - centre[0], p[1] - centre[1]))
            self.assertLess(math.hypot(far[0] - end[0], far[1] - end[1]), 3.5,
                            '%s hand does not reach %r' % (name, end))
        check_hand(MAGENTA, hour_end, 3, 'hour')
        check_hand(GREEN, minute_end, 3, 'minute')
        check_hand(RED, second_end, 2, 'second')

        # Shadows: the hour hand's runs from 2 px to 4 px lower right.
        shadow = image.points(SHADOW)
        hour_shadow = [p for p in shadow if distance_to_segment(p, (124, 124), (186, 126)) <= 2.5]
        self.assertGreater(len(hour_shadow), 40, 'no shadow beside the hour hand')
        stray = [p for p in shadow if min(distance_to_segment(p, (c + k1, c + k1), (e[0] + k2, e[1] + k2))
                                         for c, e, k1, k2 in [(122, hour_end, 2, 4), (122, minute_end, 1.33, 3.33),
                                                              (122, second_end, 0.67, 2)]) > 3]
        self.assertEqual(stray, [], 'shadow pixels that belong to no hand')

        # Twelve tick marks just outside the hands area's circle, nothing
        # white inside it.
        white = image.points(WHITE)
        for i in range(12):
            t = math.radians(30 * i)
            tick = (122 + 100.5 * math.sin(t), 122 - 100.5 * math.cos(t))
            self.assertTrue(any(math.hypot(x - tick[0], y - tick[1]) <= 2.5 for x, y in white),
                            'no tick mark at %d o\'clock' % (i or 12))
        self.assertEqual([p for p in white if math.hypot(p[0] - 122, p[1] - 122) < 97], [])

    def test_dialog_opens_on_its_date(self):
        clock = self.start_at('2026-12-24 10:00:30', state_bytes(1500, 750, MEMO, '7', '30', '12', '24'))
        dialog = clock.wait_dialog()
        self.wait_first_tick(clock, (122, 217))
        image = wait_until('the dialog to be drawn', lambda: (lambda im: im if im.pixel(8, 140) == PINK else None)(
            self.session.window_picture(dialog)))
        self.shoot(image, 'dialog-date.png')
        self.assertEqual(image.pixel(150, 225), LIGHT_YELLOW, 'the dialog did not open in memo mode')

    def test_dialog_stays_closed_on_other_dates(self):
        cases = [('2026-12-23 10:00:30', '12', '24'),
                 ('2026-03-01 10:00:30', '03', '1'),     # a text comparison: "03" is not March
                 ('2026-03-01 10:00:30', '3', '01'),
                 ('2026-03-01 10:00:30', '0', '0')]
        for when, month, day in cases:
            with self.subTest(when=when, month=month, day=day):
                clock = self.start_at(when, state_bytes(1500, 750, '', '7', '30', month, day))
                self.wait_first_tick(clock, (122, 217))
                self.session.sync()
                self.assertIsNone(clock.dialog(), 'the dialog opened')
                clock.stop()
                clock.wait_windows_gone()
        # The same program does open it on the matching day.
        clock = self.start_at('2026-03-01 10:00:30', state_bytes(1500, 750, '', '7', '30', '3', '1'))
        clock.wait_dialog()


    # -- the alarm --

    def alarm_picture(self, clock, dialog):
        """Waits for the dialog to show in alarm mode (the red notice below
        the memo box, which now covers the time row) and returns its picture."""
        def alarm_mode(image):
            notice = [(x, y) for x, y in image.points(RED) if 12 <= x < 317 and 201 <= y < 233]
            return len(notice) > 0.5 * 305 * 32 and image.pixel(150, 100) == LIGHT_YELLOW
        def probe():
            image = self.session.window_picture(dialog)
            return image if alarm_mode(image) else None
        return wait_until('the dialog to show the alarm notice', probe)

    def test_alarm_rings_and_the_dialog_blinks(self):
        self.session.xlib.watch_bells()
        # Time stands still at 7:30:30, so only the first tick works and the
        # blinking alone hides and shows the dialog.
        clock = self.start_at('2026-03-01 07:30:30', state_bytes(1500, 750, MEMO, '7', '30', '0', '0'))
        dialog = clock.wait_dialog()
        self.shoot(self.alarm_picture(clock, dialog), 'dialog-alarm-mode.png')
        wait_until('three beeps', lambda: self.session.xlib.count_bells() >= 3)
        self.assertEqual(clock.map_state(), 'IsViewable')
        wait_until('the dialog to blink off', lambda: clock.dialog() is None)
        self.assertEqual(self.session.xlib.count_bells(), 3)
        wait_until('the dialog to blink on', lambda: clock.dialog() is not None)
        wait_until('a beep as the dialog comes back', lambda: self.session.xlib.count_bells() >= 4)

    def test_alarm_shows_a_hidden_clock(self):
        clock = self.start_at('2026-03-01 07:29:57', state_bytes(1500, 750, '', '7', '30', '0', '0'), frozen=False)
        self.session.double_click(*clock.icon().centre)
        wait_until('the clock window to be hidden', lambda: clock.map_state() == 'IsUnMapped')
        wait_until('the alarm to show the clock again', lambda: clock.map_state() == 'IsViewable')
        self.alarm_picture(clock, clock.wait_dialog())

    def test_closing_the_ringing_alarm_silences_it(self):
        self.session.xlib.watch_bells()
        clock = self.start_at('2026-03-01 07:29:58', state_bytes(1500, 750, '', '7', '30', '0', '0'), frozen=False)
        dialog = clock.wait_dialog()
        self.alarm_picture(clock, dialog)
        x, y, _, _ = self.session.geometry(dialog)
        self.session.click(x + 103 + 64, y + 147 + 12)
        wait_until('the dialog to close', lambda: clock.dialog() is None)
        bells = self.session.xlib.count_bells()
        # Longer than one blink: neither the ring nor the blinking comes back
        # within the alarm minute.
        deadline = time.monotonic() + 4.5
        while time.monotonic() < deadline:
            self.assertIsNone(clock.dialog(), 'the dialog came back after it was closed')
            time.sleep(0.2)
        self.assertLessEqual(self.session.xlib.count_bells(), bells + 3,
                             'the clock went on beeping after the alarm was closed')


# --------------------------------------------------------------------------

def main(argv):
    return xsession.run_test_script(argv, sys.modules[__name__], ClockTestCase, extra_tools=('faketime',),
                                    packages='faketime')


if __name__ == '__main__':
    sys.exit(main(sys.argv))
