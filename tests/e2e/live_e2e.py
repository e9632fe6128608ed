#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End-to-end tests of what the running clock keeps and follows:

    live_e2e.py PROGRAM [TestClass ...]

the memo, alarm and place survive every way the clock can end; a kill in
the middle of a write never leaves a cut-short Pt.ini; a face saved into
the clock's folder changes the running clock; an alarm minute that nobody
answered ends with the notice in front and a desktop notification.

Exit status 77 (skipped) when the X tools are missing.
"""

import ctypes
import os
import signal
import sys
import tempfile
import time

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import xsession  # noqa: E402
from clock_e2e import RED, ClockTestCase  # noqa: E402
from clockfixture import Clock, Design, state_bytes  # noqa: E402
from xsession import XSession, wait_until  # noqa: E402


# Dialog controls, pixels from the dialog's top-left.
HOUR_BOX, MINUTE_BOX, MEMO_BOX = (46, 103), (143, 103), (150, 230)
SET_BUTTON = (217 + 52, 86 + 18)  # "アラーム時刻設定" at 3255, 1290 twips
# The clock starts at 100, 50, is dragged by 40, 30 and then by 20, 10.
START = state_bytes(1500, 750, '', '', '', '0', '0')
CHANGED = state_bytes(2100, 1200, 'abc', '6', '45', '0', '0')
MOVED_AGAIN = state_bytes(2400, 1350, 'abc', '6', '45', '0', '0')


def read(path):
    with open(path, 'rb') as f:
        return f.read()


class _XClientMessage(ctypes.Structure):
    _fields_ = [('type', ctypes.c_int), ('serial', ctypes.c_ulong), ('send_event', ctypes.c_int),
                ('display', ctypes.c_void_p), ('window', ctypes.c_ulong), ('message_type', ctypes.c_ulong),
                ('format', ctypes.c_int), ('data', ctypes.c_long * 5)]


def ask_window_to_close(session, wid):
    """What a window manager's close does: WM_DELETE_WINDOW in a
    WM_PROTOCOLS client message to the window."""
    x11, dpy = session.xlib._x11, session.xlib._dpy
    event = _XClientMessage()
    event.type = 33  # ClientMessage
    event.window = int(wid, 16)
    event.message_type = x11.XInternAtom(dpy, b'WM_PROTOCOLS', 0)
    event.format = 32
    event.data[0] = x11.XInternAtom(dpy, b'WM_DELETE_WINDOW', 0)
    event.data[1] = 0  # CurrentTime
    whole = ctypes.create_string_buffer(192)  # the size of an XEvent
    ctypes.memmove(whole, ctypes.byref(event), ctypes.sizeof(event))
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
    x11.XSendEvent(dpy, event.window, 0, 0, whole)
    x11.XSync(dpy, 0)


class LiveTestCase(ClockTestCase):

    def change_everything(self, session, clock):
        """Drags the clock by 40, 30, types 6:45 and the memo "abc" and
        presses "アラーム時刻設定"."""
        x, y, _, _ = clock.geometry()
        session.drag((x + 120, y + 60), (x + 160, y + 90))
        wait_until('the window to follow the mouse', lambda: clock.geometry()[:2] == (x + 40, y + 30))
        x, y, _, _ = clock.geometry()
        session.click(x + 60, y + 170, button=3)
        dialog = clock.wait_dialog()
        dx, dy, _, _ = session.geometry(dialog)
        session.click(dx + 8, dy + 140)
        wait_until('the dialog to take the keyboard focus',
                   lambda: session.run(['xdotool', 'getwindowfocus']).strip() == str(int(dialog, 16)))

        def type_into(at, text):
            session.click(dx + at[0], dy + at[1])
            session.xdotool('key', 'ctrl+a')
            session.xdotool('type', '--delay', 20, text)
        type_into(HOUR_BOX, '6')
        type_into(MINUTE_BOX, '45')
        type_into(MEMO_BOX, 'abc')
        session.click(dx + SET_BUTTON[0], dy + SET_BUTTON[1])
        # Written on its own within two seconds of the set button.
        wait_until('the change to be written', lambda: read(clock.folder.state_path) == CHANGED, timeout=2.5)
        # Then a drag: nothing tells the clock to write until the window
        # has stood still.
        x, y, _, _ = clock.geometry()
        session.drag((x + 120, y + 60), (x + 140, y + 70))
        wait_until('the window to follow the mouse', lambda: clock.geometry()[:2] == (x + 20, y + 10))
        return dialog

    def assert_restart_shows(self, folder, session=None):
        """A new start opens where the clock was left, with the texts kept."""
        session = session or self.session
        clock = Clock(session, folder)
        self.clocks.append(clock)
        clock.wait_window()
        self.assertEqual(clock.geometry()[:2], (160, 90))
        clock.stop()
        clock.wait_windows_gone()


class EndingTests(LiveTestCase):
    """Every way the clock ends keeps what the user changed."""

    def test_signals_and_the_window_managers_close_keep_the_state(self):
        ways = [('SIGTERM', lambda c: os.kill(c.process.pid, signal.SIGTERM)),
                ('SIGINT', lambda c: os.kill(c.process.pid, signal.SIGINT)),
                ('SIGHUP', lambda c: os.kill(c.process.pid, signal.SIGHUP)),
                ('close', lambda c: ask_window_to_close(self.session, c.window.id))]
        for name, end in ways:
            with self.subTest(name):
                folder = self.new_folder(Design(shape='ellipse'), START)
                clock = self.start_clock(folder)
                self.change_everything(self.session, clock)
                # Straight away, before the last drag is written on its own.
                end(clock)
                status = clock.wait_exit()
                clock.wait_windows_gone()
                self.assertEqual(folder.read_state(), MOVED_AGAIN)
                self.assert_normal_exit(clock, status)
                self.assert_restart_shows(folder)

    def test_what_changed_survives_the_x_server_going_away(self):
        folder = self.new_folder(Design(shape='ellipse'), START)
        own = XSession(workdir=tempfile.mkdtemp(prefix='lost-x-', dir=self.class_dir))
        try:
            own.start()
            own.start_tray()
            clock = Clock(own, folder)
            clock.wait_window()
            self.change_everything(own, clock)
            # The end of the drag is written within two seconds too.
            wait_until('the place to be written', lambda: folder.read_state() == MOVED_AGAIN, timeout=2.5)
            # Our own connection would die with the server and take the test along.
            own.xlib.close()
            own.xlib = None
            own.server.popen.kill()
            own.server.wait()
            clock.wait_exit()
        finally:
            own.stop()
        self.assertEqual(folder.read_state(), MOVED_AGAIN)
        self.assert_restart_shows(folder)

    def test_an_idle_clock_writes_nothing(self):
        folder = self.new_folder(Design(shape='ellipse'), START)
        before = os.stat(folder.state_path)
        clock = self.start_clock(folder)
        clock.wait_picture('the hands to be drawn', lambda im: im.points(RED))
        deadline = time.monotonic() + 3
        while time.monotonic() < deadline:
            now = os.stat(folder.state_path)
            self.assertEqual((now.st_ino, now.st_mtime_ns), (before.st_ino, before.st_mtime_ns),
                             'an idle clock wrote its state')
            time.sleep(0.2)

    def test_a_kill_during_a_write_leaves_a_whole_file(self):
        folder = self.new_folder(Design(shape='ellipse'), START)
        for i in range(4):
            before = folder.read_state()
            clock = self.start_clock(folder)
            x, y, _, _ = clock.geometry()
            # Past the desktop's drag distance, which a move must cover.
            step = 24 if i % 2 == 0 else -24
            self.session.drag((x + 120, y + 60), (x + 120 + step, y + 60))
            wait_until('the window to move', lambda: clock.geometry()[0] == x + step)

            def writing():
                names = os.listdir(folder.path)
                return any('.tmp' in n for n in names) or folder.read_state() != before
            # The moment a write shows, the program is killed outright.
            wait_until('a write to begin', writing, interval=0.001)
            os.kill(clock.process.pid, signal.SIGKILL)
            clock.wait_exit()
            clock.wait_windows_gone()
            after = state_bytes(1500 + 15 * (x + step - 100), 750, '', '', '', '0', '0')
            self.assertIn(folder.read_state(), (before, after), 'a cut-short or mixed Pt.ini')
            for name in os.listdir(folder.path):
                if '.tmp' in name:
                    os.remove(os.path.join(folder.path, name))


class FaceReloadTests(LiveTestCase):
    """A face saved into the running clock's folder becomes its face."""

    def test_saved_polygon_changes_the_shape_in_place(self):
        folder = self.new_folder(Design(shape='ellipse'), START)
        clock = self.start_clock(folder)
        ellipse = self.session.shape_extents(clock.window.id)
        design = Design(width=3660, height=3660, shape='polygon', vertices=[(20, 20), (220, 20), (120, 200)])
        design.picture = os.path.join(folder.path, 'face.png')
        # As the editor saves: a new file renamed over the old one.
        temporary = folder.design_path + '.tmp-e2e'
        with open(temporary, 'wb') as f:
            f.write(design.to_bytes())
        saved = time.monotonic()
        os.rename(temporary, folder.design_path)
        wait_until('the window to take the triangle',
                   lambda: self.session.shape_extents(clock.window.id) not in (None, ellipse), timeout=2)
        self.assertLess(time.monotonic() - saved, 2)
        triangle = self.session.shape_extents(clock.window.id)
        self.assertRegex(triangle, r'^(199|200|201)x(179|180|181)\+2[01]\+2[01]$')
        self.assertEqual(clock.geometry(), (100, 50, 244, 244))
        # A damaged save leaves the face as it was.
        with open(temporary, 'wb') as f:
            f.write(b'3660,3660\r\n"x"\r\n')
        os.rename(temporary, folder.design_path)
        deadline = time.monotonic() + 1.5
        while time.monotonic() < deadline:
            self.assertEqual(self.session.shape_extents(clock.window.id), triangle)
            time.sleep(0.1)
        self.assertTrue(clock.process.running())


class UnansweredAlarmTests(LiveTestCase):
    """Nobody at the desk when the alarm rings."""

    def start_session_bus(self):
        address = 'unix:path=' + os.path.join(self.class_dir, 'session-bus')
        bus = self.session.spawn(['dbus-daemon', '--session', '--nofork', '--nopidfile', '--address=' + address],
                                 'dbus.log')
        wait_until('the session bus', lambda: os.path.exists(address[len('unix:path='):]))
        log = os.path.join(self.class_dir, 'notifications.log')
        self.session.spawn(['dbus-monitor', '--address', address, "interface='org.freedesktop.Notifications'"],
                           'notifications.log')
        wait_until('the bus monitor', lambda: 'NameAcquired' in open(log, 'rb').read().decode('utf-8', 'replace'))
        return bus, address, log

    def test_minute_ends_with_the_notice_shown_and_a_notification_sent(self):
        _, address, log = self.start_session_bus()
        folder = self.new_folder(Design(shape='ellipse'), state_bytes(1500, 750, '牛乳\n卵', '7', '30', '0', '0'))
        # The sound library left to find its own way on this machine, which
        # has no sound server: the beeps fall back to the bell without a word.
        clock = Clock(self.session, folder, faketime='2026-03-01 07:30:52', frozen=False,
                      extra_env={'DBUS_SESSION_BUS_ADDRESS': address, 'CANBERRA_DRIVER': None})
        self.clocks.append(clock)
        clock.wait_window()
        clock.wait_dialog()
        notified = wait_until('the notification', lambda: (lambda text: 'member=Notify' in text and text)(
            open(log, 'rb').read().decode('utf-8', 'replace')))
        self.assertIn('string "設定時刻に なりました"', notified)
        self.assertIn('string "7:30\n牛乳"', notified)
        # The blink hides the dialog for 3 s at a time; once 7:31 has come
        # (within 10 s) it stays, longer than any blink would let it.
        hidden = [time.monotonic()]

        def shown_for_good():
            if clock.dialog() is None:
                hidden[0] = time.monotonic()
            return time.monotonic() - hidden[0] > 4.5
        wait_until('the alarm minute to end with the dialog shown', shown_for_good, timeout=25)
        self.shoot(self.alarm_picture(clock.dialog()), 'alarm-unanswered.png')
        text = open(log, 'rb').read().decode('utf-8', 'replace')
        self.assertEqual(text.count('member=Notify'), 1, 'more than one notification')
        complaints = [line for line in clock.process.log_text().splitlines()
                      if 'ALSA' in line or 'canberra' in line.lower() or 'pulse' in line.lower()]
        self.assertEqual(complaints, [], 'the sound library wrote to stderr')

    def alarm_picture(self, dialog):
        def probe():
            image = self.session.window_picture(dialog)
            notice = [(x, y) for x, y in image.points(RED) if 12 <= x < 317 and 201 <= y < 233]
            return image if len(notice) > 0.5 * 305 * 32 else None
        return wait_until('the dialog to show the red notice', probe)


def main(argv):
    return xsession.run_test_script(argv, sys.modules[__name__], ClockTestCase,
                                    extra_tools=('faketime', 'dbus-daemon', 'dbus-monitor'),
                                    packages='faketime, dbus-daemon, dbus-bin',
                                    classes=(EndingTests, FaceReloadTests, UnansweredAlarmTests))


if __name__ == '__main__':
    sys.exit(main(sys.argv))
