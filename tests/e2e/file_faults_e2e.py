#!/usr/bin/env python3
"""End-to-end tests of the clock, OrbelleDo, against files that are no
regular files: a FIFO in the place of the face design, of the saved state
or of the face picture. The clock must come up at once as if the file
could not be read, and end normally from its icon.

    file_faults_e2e.py PROGRAM [TestClass ...]

Exit status 77 (skipped) when the X tools are missing.
"""

import os
import stat
import sys
import tempfile
import time
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import clock_e2e  # noqa: E402
import xsession  # noqa: E402
from clock_e2e import FACE, MEMO, ClockTestCase  # noqa: E402
from clockfixture import Clock, Design, state_bytes  # noqa: E402

# How long the clock may take to come up with a hostile file beside it.
START_DEADLINE = 3.0


class FifoTests(ClockTestCase):
    """A FIFO that no program writes to, where the clock reads a file."""

    def fifo_in_place_of(self, which):
        folder = self.new_folder(Design(shape='ellipse'), state_bytes(300, 150, MEMO, '7', '30', '', ''))
        path = {'design': folder.design_path, 'state': folder.state_path,
                'picture': os.path.join(folder.path, 'face.png')}[which]
        os.unlink(path)
        os.mkfifo(path)
        return folder, path

    def test_a_fifo_counts_as_a_file_that_cannot_be_read(self):
        # What the clock still shows: its window (not for a missing design,
        # which gives it no size) and where it stands.
        cases = [
            # file     window shown  place
            ('design', False, None),
            ('state', True, (0, 0)),
            ('picture', True, (20, 10)),
        ]
        for which, window_shown, place in cases:
            with self.subTest(fifo=which):
                folder, fifo = self.fifo_in_place_of(which)
                started = time.monotonic()
                clock = Clock(self.session, folder)
                self.clocks.append(clock)
                if window_shown:
                    clock.wait_window()
                else:
                    clock.icon()
                took = time.monotonic() - started
                print('  FIFO as the %s: up after %.2f s' % (which, took))
                self.assertLess(took, START_DEADLINE, 'the clock came up too late')
                if place is not None:
                    self.assertEqual(clock.geometry()[:2], place)
                if which == 'picture':
                    # The face stays blank, but the clock still draws on it.
                    image = clock.picture()
                    self.assertNotIn(FACE, {image.pixel(x, y) for x in range(0, image.width, 7)
                                            for y in range(0, image.height, 7)})
                status = self.end_from_icon(clock)
                self.assert_normal_exit(clock, status)
                # The FIFO is neither replaced nor written to; a state file
                # that could be read is saved as it was.
                self.assertTrue(stat.S_ISFIFO(os.lstat(fifo).st_mode), 'the FIFO was replaced')
                if which != 'state':
                    self.assertEqual(folder.read_state(), state_bytes(300, 150, MEMO, '7', '30', '', ''))


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    program = os.path.abspath(argv[1])
    if not os.access(program, os.X_OK):
        print('no program at %s' % program, file=sys.stderr)
        return 2
    missing = xsession.missing_tools()
    if missing:
        print('SKIPPED: the end-to-end tests need %s on the PATH (Debian packages xvfb, trayer, xdotool, '
              'x11-utils, x11-apps)' % ', '.join(missing))
        return clock_e2e.SKIPPED
    ClockTestCase.program = program
    tmp = tempfile.gettempdir()
    ClockTestCase.shots_dir = os.environ.get('ORBELLE_E2E_SHOTS') or os.path.join(tmp, 'orbelle-e2e-shots')
    ClockTestCase.work_dir = os.environ.get('ORBELLE_E2E_WORK') or os.path.join(tmp, 'orbelle-e2e-work')
    os.makedirs(ClockTestCase.shots_dir, exist_ok=True)
    os.makedirs(ClockTestCase.work_dir, exist_ok=True)

    loader = unittest.TestLoader()
    module = sys.modules[__name__]
    if len(argv) > 2:
        suite = unittest.TestSuite(loader.loadTestsFromName(name, module) for name in argv[2:])
    else:
        suite = loader.loadTestsFromModule(module)
    result = unittest.TextTestRunner(verbosity=2, stream=sys.stdout).run(suite)
    print('work folders and logs: %s' % ClockTestCase.work_dir)
    return 0 if result.wasSuccessful() else 1


if __name__ == '__main__':
    sys.exit(main(sys.argv))
