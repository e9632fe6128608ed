#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The clock benchmark's yardstick drawn by the X server, on a private Xvfb.

    yardstick_e2e.py BENCH_EMPTY_WINDOW [TestClass ...]

The window that draws its hand through requests to the server must show,
tick after tick, the very pixels of the window Qt paints: the face put back
where the hand was, and the hand's rows of pixels where it is.
"""

import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import xsession  # noqa: E402
from xsession import wait_until  # noqa: E402

SIZE = 120


class YardstickTestCase(unittest.TestCase):
    program = None
    shots_dir = None
    work_dir = None


class ServerDrawnTests(YardstickTestCase):
    def setUp(self):
        self.session = xsession.start_session(os.path.join(self.work_dir, 'yardstick'), tray=False)
        self.addCleanup(self.session.stop)

    def window_of(self, process):
        return wait_until('the %s window' % process,
                          lambda: (self.session.search_pid(process.pid) or [None])[0])

    def test_each_tick_shows_the_pixels_qt_paints(self):
        painted = self.session.spawn([self.program, 'tick', str(SIZE), '0', '0'], 'tick.log')
        drawn = self.session.spawn([self.program, 'server', str(SIZE), '200', '0'], 'server.log')
        painted_window, drawn_window = self.window_of(painted), self.window_of(drawn)
        places = [self.session.geometry(w) for w in (painted_window, drawn_window)]
        seen = set()
        last = {}

        def probe():
            shot = self.session.screenshot()
            pictures = [shot.crop(*place) for place in places]
            last['pictures'] = pictures
            seen.add(pictures[1].rgb)
            # Before the first paint, the first hand and two ticks after it:
            # the face has been put back twice.
            return len(seen) >= 4 and pictures[0].rgb == pictures[1].rgb

        try:
            wait_until('the server-drawn window to tick twice and match the painted one', probe, timeout=15,
                       interval=0.25)
        except AssertionError:
            for name, picture in zip(('painted', 'drawn'), last.get('pictures', ())):
                picture.save_png(os.path.join(self.shots_dir, 'yardstick-%s.png' % name))
            raise
        red = last['pictures'][1].points((255, 0, 0))
        self.assertGreater(len(red), SIZE * 0.41, 'the hand is missing')


def main(argv):
    return xsession.run_test_script(argv, sys.modules[__name__], YardstickTestCase, classes=(ServerDrawnTests,))


if __name__ == '__main__':
    sys.exit(main(sys.argv))
