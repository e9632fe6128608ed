#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End-to-end tests of the clock, OrbelleDo, against hostile designs and
unlucky timing, under a real X server.

    limits_e2e.py PROGRAM [TestClass ...]

Faces whose outline or hands reach absurdly far, or whose outline has
hundreds of thousands of vertices, must start as fast, stay as small and
idle as quietly as any face; a memo of megabytes must not hold up its
dialog; a tray host that comes after the clock must still get its icon; and
under a real window manager (openbox) a click on the face must not leave
the clock following the pointer. Figures measured are printed.

Exit status 77 (skipped) when the X tools are missing.
"""

import datetime
import os
import random
import sys
import time
import unittest

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, '..', 'e2e'))

import xsession  # noqa: E402
from clockfixture import Clock, ClockFolder, Design, PROGRAM_NAME, plain_face, state_bytes  # noqa: E402
from xsession import wait_until  # noqa: E402

FACE = (0x50, 0x60, 0xC0)
INT_MAX, INT_MIN = 2147483647, -2147483648
CLOCK_TICKS = os.sysconf('SC_CLK_TCK')


def resident_mib(pid):
    with open('/proc/%d/status' % pid) as f:
        for line in f:
            if line.startswith('VmRSS:'):
                return int(line.split()[1]) / 1024.0
    raise AssertionError('no VmRSS for process %d' % pid)


def cpu_seconds(pid):
    with open('/proc/%d/stat' % pid) as f:
        fields = f.read().rsplit(')', 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


class BigDesign(Design):
    """A design whose file is put together in one join: adding up the
    bytes line by line costs minutes for hundreds of thousands of vertices."""

    def to_bytes(self):
        vertices, self.vertices = self.vertices, []
        head = Design.to_bytes(self).split(b'\r\n')[:8]
        self.vertices = vertices
        lines = head + [b'%d' % len(vertices)]
        lines += [b'%d,%d' % p for p in [self.template] + vertices]
        lines += [b'%d,210' % (135 + 150 * i) for i in range(len(vertices) + 1)]
        return b'\r\n'.join(lines) + b'\r\n'


def report(text):
    print('  figure: ' + text, flush=True)


class Session(unittest.TestCase):
    """One X display per test class; optionally a tray host and openbox."""

    program = None
    work_dir = None
    with_tray = True
    with_openbox = False

    @classmethod
    def setUpClass(cls):
        cls.class_dir = os.path.join(cls.work_dir, cls.__name__)
        # The tray host first: openbox then takes in its panel as it finds it.
        cls.session = xsession.start_session(cls.class_dir, tray=cls.with_tray)
        if cls.with_openbox:
            try:
                cls.start_openbox()
            except BaseException:
                cls.session.stop()
                raise

    @classmethod
    def start_openbox(cls):
        home = os.path.join(cls.class_dir, 'home')
        os.makedirs(home, exist_ok=True)
        env = dict(cls.session.env, HOME=home, XDG_CONFIG_HOME=os.path.join(home, '.config'))
        cls.session.spawn(['openbox', '--sm-disable'], 'openbox.log', env=env)

        def managed():
            text = cls.session.run(['xprop', '-root', '_NET_SUPPORTING_WM_CHECK'], check=False)
            return 'window id' in text
        wait_until('openbox to manage the screen', managed)

    @classmethod
    def tearDownClass(cls):
        cls.session.stop()

    def setUp(self):
        self.clocks = []

    def tearDown(self):
        for clock in self.clocks:
            clock.stop()

    def new_folder(self, design, state=None):
        folder = ClockFolder(self.program, parent=self.class_dir)
        design.picture = folder.picture(plain_face(240, 240, FACE))
        folder.write_design(design)
        if state is not None:
            folder.write_state(state)
        return folder

    def spawn_clock(self, folder):
        clock = Clock(self.session, folder)
        self.clocks.append(clock)
        return clock

    def clock_window(self, clock, timeout=None):
        """The clock's face window once it is shown, whether or not a window
        manager has framed it: (id, geometry)."""
        def shown():
            if not clock.process.running():
                raise AssertionError('the clock ended (status %s):\n%s'
                                     % (clock.process.popen.returncode, clock.process.log_text()[-2000:]))
            for wid in self.session.run(['xdotool', 'search', '--onlyvisible', '--class', PROGRAM_NAME],
                                        check=False).split():
                wid = '0x%x' % int(wid)
                info = self.session.window_info(wid)
                if (info and info.get('Map State') == 'IsViewable' and info.get('Override Redirect State') == 'no'
                        and int(info['Width']) > 100):
                    return wid
            return None
        wid = wait_until('the clock window to be shown', shown, timeout=timeout)
        return wid, self.session.geometry(wid)

    def end_from_icon(self, clock):
        icon = clock.icon()
        self.session.click(*icon.centre, button=3)
        status = clock.wait_exit()
        self.assertEqual(status, 0, 'the clock did not end normally:\n' + clock.process.log_text()[-2000:])


# --------------------------------------------------------------------------

class HostileFaceTests(Session):
    """Far or countless vertices and endless hands: quick start, little
    memory, a quiet idle, and the clock still answers its icon."""

    def cases(self):
        random.seed(5)
        many = [(random.randint(0, 243), random.randint(0, 243)) for _ in range(200000)]
        return [
            ('extreme polygon', Design(shape='polygon', vertices=[(INT_MAX, INT_MAX), (INT_MIN, 5), (5, INT_MIN)]),
             (120, 120)),
            ('far triangle', Design(shape='polygon', vertices=[(2, 2), (100000, 100000), (2, 100000)]), (20, 200)),
            ('200,000 vertices', BigDesign(shape='polygon', vertices=many), None),
            ('endless hands', Design(shape='ellipse', lengths=('1e30', '1e20', '1e10')), (122, 122)),
        ]

    def test_hostile_faces_start_quickly_stay_small_and_idle(self):
        for name, design, inside in self.cases():
            with self.subTest(name):
                folder = self.new_folder(design, state_bytes(1500, 750, '', '', '', '', ''))
                started = time.monotonic()
                clock = self.spawn_clock(folder)
                wid, geometry = self.clock_window(clock, timeout=3)
                took = time.monotonic() - started
                clock.icon()
                # A second for the first ticks to settle, then three of idling.
                time.sleep(1)
                pid = clock.process.pid
                cpu0, t0 = cpu_seconds(pid), time.monotonic()
                time.sleep(3)
                cpu = (cpu_seconds(pid) - cpu0) / (time.monotonic() - t0) * 100
                rss = resident_mib(pid)
                report('%s: shown after %.2f s, %.1f MiB resident, %.1f %% CPU idling' % (name, took, rss, cpu))
                self.assertLess(took, 3.0)
                self.assertLess(rss, 100.0)
                self.assertLess(cpu, 5.0)
                if inside:
                    rects = self.session.xlib.shape_rectangles(wid)
                    self.assertTrue(any(x <= inside[0] < x + w and y <= inside[1] < y + h for x, y, w, h in rects),
                                    'the window shape misses %r: %r' % (inside, rects[:10]))
                    self.assertTrue(all(-4 <= x and x + w <= geometry[2] + 4 for x, _, w, _ in rects))
                self.end_from_icon(clock)


class LongMemoTests(Session):
    """A memo of ten megabytes: the dialog opens at once and the memo is
    saved whole."""

    def test_ten_megabyte_memo_opens_its_dialog_within_a_second_and_is_kept(self):
        one_line = 'はじめ' + 'm' * (10 << 20) + 'おわり'
        many_lines = '\n'.join('%06d 行のメモ' % i for i in range((10 << 20) // 16))
        for name, memo in (('one line', one_line), ('many lines', many_lines)):
            with self.subTest(name):
                state = state_bytes(1500, 750, memo, '7', '30', '0', '0')
                folder = self.new_folder(Design(shape='ellipse'), state)
                clock = self.spawn_clock(folder)
                clock.wait_window()
                x, y, _, _ = clock.geometry()
                self.session.click(x + 60, y + 170, button=3)
                started = time.monotonic()
                clock.wait_dialog()
                took = time.monotonic() - started
                report('%s memo of %.1f MB: dialog shown after %.2f s' % (name, len(memo.encode()) / 1e6, took))
                self.assertLess(took, 1.0)
                self.end_from_icon(clock)
                self.assertEqual(folder.read_state(), state)

    def test_ten_megabyte_memo_dated_today_opens_at_start(self):
        memo = 'm' * (10 << 20)
        today = datetime.datetime.now(datetime.timezone.utc)
        state = state_bytes(1500, 750, memo, '7', '30', str(today.month), str(today.day))
        folder = self.new_folder(Design(shape='ellipse'), state)
        started = time.monotonic()
        clock = self.spawn_clock(folder)
        wait_until('the dialog to open by itself', clock.dialog, timeout=3)
        clock.wait_window()
        report('memo dated today: clock and dialog shown after %.2f s' % (time.monotonic() - started))
        self.end_from_icon(clock)
        self.assertEqual(folder.read_state(), state)


class LateTrayTests(Session):
    """A clock started before the notification area: the icon comes when
    the area does, and works; the taskbar entry goes."""

    with_tray = False

    def test_clock_started_before_the_tray_host_gets_a_working_icon(self):
        folder = self.new_folder(Design(shape='ellipse'), state_bytes(1500, 750, '', '', '', '', ''))
        clock = self.spawn_clock(folder)
        wid, _ = self.clock_window(clock)
        # A tool window keeps out of the taskbar; a normal one is listed.
        self.assertIn('_NET_WM_WINDOW_TYPE_NORMAL',
                      self.session.run(['xprop', '-id', wid, '_NET_WM_WINDOW_TYPE'], check=False),
                      'no taskbar entry while there is no notification area')
        started = time.monotonic() + 2
        while time.monotonic() < started:  # the clock runs on its own for two seconds
            time.sleep(0.1)
        self.session.start_tray()
        icon = clock.icon()
        report('icon docked %.2f s after the tray host' % (time.monotonic() - started))

        def tool_window():
            for wid in self.session.run(['xdotool', 'search', '--onlyvisible', '--class', PROGRAM_NAME],
                                        check=False).split():
                text = self.session.run(['xprop', '-id', wid, '_NET_WM_WINDOW_TYPE'], check=False)
                if '_NET_WM_WINDOW_TYPE_UTILITY' in text:
                    return wid
            return None
        wid = wait_until('the taskbar entry to go', tool_window)
        self.assertEqual(self.session.map_state('0x%x' % int(wid)), 'IsViewable')
        self.assertEqual(self.session.shape_extents('0x%x' % int(wid)), '242x242+2+2', 'the face lost its ellipse')
        self.assertGreaterEqual(min(icon.width, icon.height), 16)
        self.end_from_icon(clock)
        self.assertEqual(folder.read_state().split(b'\r\n')[0], b'1500,750')


class OpenboxDragTests(Session):
    """Under openbox: a click with no time between press and release leaves
    the clock where it is; a real drag still moves it."""

    with_openbox = True

    def start(self):
        folder = self.new_folder(Design(shape='ellipse'), state_bytes(1500, 750, '', '', '', '', ''))
        clock = self.spawn_clock(folder)
        wid, _ = self.clock_window(clock)
        clock.icon()
        # Where Pt.ini puts it, once openbox has placed it.
        wait_until('the clock at its saved place', lambda: self.session.geometry(wid)[:2] == (100, 50))
        return clock, wid, self.session.geometry(wid)

    def test_zero_length_click_leaves_the_clock_in_place(self):
        clock, wid, (x, y, _, _) = self.start()
        self.session.xdotool('mousemove', x + 60, y + 170, 'mousedown', 1, 'mouseup', 1)
        away = ['mousemove', x + 400, y + 250]
        for step in range(1, 6):
            away += ['sleep', 0.05, 'mousemove', x + 400 + 20 * step, y + 250 + 10 * step]
        self.session.xdotool(*away)
        # Nothing to wait for: watch that the window stays put for a second.
        deadline = time.monotonic() + 1.0
        while time.monotonic() < deadline:
            self.assertEqual(self.session.geometry(wid)[:2], (x, y), 'the clock followed the pointer:\n'
                             + clock.process.log_text()[-1000:])
            self.session.xdotool('mousemove_relative', '--', 3, 2)
            time.sleep(0.05)

    def test_real_drag_moves_the_clock(self):
        clock, wid, (x, y, _, _) = self.start()
        grab = (x + 60, y + 170)
        # In steps of two pixels, as a hand moves a mouse: the window
        # manager takes over from the clock between one step and the next.
        self.session.drag(grab, (grab[0] + 150, grab[1] + 80), steps=75)

        def moved():
            gx, gy = self.session.geometry(wid)[:2]
            return (gx, gy) if abs(gx - (x + 150)) <= 2 and abs(gy - (y + 80)) <= 2 else None
        at = wait_until('the window to follow the drag', moved)
        report('dragged by (150, 80), the window went by (%d, %d)' % (at[0] - x, at[1] - y))
        # Let go: the pointer moving on leaves it there.
        self.session.xdotool('mousemove', grab[0] + 400, grab[1] + 300)
        deadline = time.monotonic() + 0.5
        while time.monotonic() < deadline:
            self.assertEqual(self.session.geometry(wid)[:2], at, 'the clock followed the pointer after the drag')
            time.sleep(0.05)


class OpenboxFirstPlaceTests(Session):
    """Under openbox: with Pt.ini missing or saying 0,0 the clock opens at
    the screen's corner, not where the window manager would put a window of
    its own accord, and a clock nobody moves leaves Pt.ini as it was."""

    with_openbox = True

    def wait_managed(self, wid):
        # Openbox places a window before it maps it; once it has set the
        # window's state, the window lies where it will stay.
        wait_until('openbox to manage the clock window',
                   lambda: 'Normal' in self.session.run(['xprop', '-id', wid, 'WM_STATE'], check=False))

    def watch_idle(self, clock, folder, wid, expected_state):
        # Nothing to wait for: the clock writes a move once it has held for
        # a tick, so three seconds of ticks would show a write.
        deadline = time.monotonic() + 3.0
        while time.monotonic() < deadline:
            self.assertEqual(self.session.geometry(wid)[:2], (0, 0))
            state = folder.read_state() if os.path.exists(folder.state_path) else None
            self.assertEqual(state, expected_state, 'the idle clock wrote Pt.ini')
            time.sleep(0.1)

    def test_opens_at_the_corner_and_idles_without_writing(self):
        zero = state_bytes(0, 0, 'メモ', '', '', '', '')
        for name, state in (('Pt.ini missing', None), ('Pt.ini at 0,0', zero)):
            with self.subTest(name):
                folder = self.new_folder(Design(shape='ellipse'), state)
                clock = self.spawn_clock(folder)
                wid, _ = self.clock_window(clock)
                self.wait_managed(wid)
                self.assertEqual(self.session.geometry(wid)[:2], (0, 0),
                                 'openbox placed the clock itself:\n' + clock.process.log_text()[-1000:])
                self.watch_idle(clock, folder, wid, state)
                self.end_from_icon(clock)
                self.assertEqual(folder.read_state().split(b'\r\n')[0], b'0,0')


def main(argv):
    return xsession.run_test_script(argv, sys.modules[__name__], Session, extra_tools=('openbox', 'xprop'),
                                    packages='openbox')


if __name__ == '__main__':
    sys.exit(main(sys.argv))
