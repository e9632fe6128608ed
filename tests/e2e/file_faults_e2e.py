#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End-to-end tests of the clock, OrbelleDo, against files that are no
regular files: a FIFO in the place of the face design, of the saved state
or of the face picture. The clock must come up at once as if the file
could not be read, and end normally from its icon.

    file_faults_e2e.py PROGRAM [TestClass ...]

Exit status 77 (skipped) when the X tools are missing.
"""

import ctypes
import ctypes.util
import os
import random
import select
import shutil
import signal
import stat
import struct
import sys
import tempfile
import time

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import shared_place  # noqa: E402
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


class FolderWatch:
    """Names of files renamed into a folder, as the kernel reports them
    (inotify), so a test can act the moment one appears."""

    IN_MOVED_TO = 0x80
    HEADER = struct.Struct('iIII')

    def __init__(self, path):
        libc = ctypes.CDLL(ctypes.util.find_library('c'), use_errno=True)
        self.fd = libc.inotify_init1(os.O_NONBLOCK | os.O_CLOEXEC)
        if self.fd < 0:
            raise OSError(ctypes.get_errno(), 'inotify_init1')
        if libc.inotify_add_watch(self.fd, os.fsencode(path), self.IN_MOVED_TO) < 0:
            error = ctypes.get_errno()
            os.close(self.fd)
            raise OSError(error, 'inotify_add_watch %s' % path)

    def wait_for(self, predicate, timeout):
        """The first name renamed into the folder that satisfies predicate,
        or None when the timeout passes first."""
        deadline = time.monotonic() + timeout
        while True:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([self.fd], [], [], left)[0]:
                return None
            data = os.read(self.fd, 65536)
            offset = 0
            while offset < len(data):
                _, _, _, length = self.HEADER.unpack_from(data, offset)
                offset += self.HEADER.size
                name = data[offset:offset + length].rstrip(b'\0').decode('utf-8', 'replace')
                offset += length
                if predicate(name):
                    return name

    def close(self):
        if self.fd >= 0:
            os.close(self.fd)
            self.fd = -1


class UserClock(Clock):
    """A run of the clock started through `prefix` (a command that runs it
    as another user) with an environment of its own."""

    def __init__(self, session, folder, prefix, env):
        self.session = session
        self.folder = folder
        self.process = session.spawn(prefix + [folder.program], 'clock-%s.log' % os.path.basename(folder.path),
                                     env=env, cwd=folder.path)
        self.window = None
        self._seen = set()


class InPlaceSaveTests(ClockTestCase):
    """The clock's folder takes no new file but Pt.ini may be written, so
    the clock saves it in place. Killed at any moment of that save, the
    clock finds the whole old or the whole new file at its next start."""

    RUNS = 30
    NOBODY = 65534

    def clock_as_user(self, folder, state_home):
        """Starts the clock as an ordinary user (the superuser may make new
        files in any folder), its state folder in `state_home`, and waits
        for its icon: by then it has read its files."""
        env = dict(self.session.env)
        env['XDG_STATE_HOME'] = state_home
        env['HOME'] = state_home
        prefix = []
        if os.geteuid() == 0:
            runtime = os.path.join(state_home, 'runtime')
            os.makedirs(runtime, mode=0o700, exist_ok=True)
            os.chown(runtime, self.NOBODY, self.NOBODY)
            env['XDG_RUNTIME_DIR'] = runtime
            prefix = ['setpriv', '--reuid=%d' % self.NOBODY, '--regid=%d' % self.NOBODY, '--clear-groups']
        clock = UserClock(self.session, folder, prefix, env)
        self.clocks.append(clock)
        clock.icon()
        return clock

    def test_a_save_killed_midway_leaves_a_whole_file_for_the_next_start(self):
        if os.geteuid() == 0 and shutil.which('setpriv') is None:
            self.skipTest('the superuser needs setpriv to run the clock as an ordinary user')
        # The old file in Shift-JIS with a memo of some megabytes; the clock
        # saves it in UTF-8, so old and new differ all through.
        memo = ('時計のメモ\n' * 1200000)
        old = (b'300,150\r\n"' + memo.replace('\n', '\r\n').encode('cp932') + b'"\r\n"7","30"\r\n"",""\r\n')
        # What runs as the ordinary user lies where every user can enter.
        shared = shared_place.folder_for_all_users('orbelle-in-place-')
        self.addCleanup(shared_place.remove, shared)
        folder = self.new_folder(Design(shape='ellipse'), parent=shared)
        folder.write_state(old)
        os.chmod(folder.state_path, 0o666)
        state_home = tempfile.mkdtemp(prefix='state-', dir=shared)
        os.chmod(state_home, 0o777)
        if os.geteuid() == 0:
            # The clock's folder is the user's own, which it may not write
            # to: its own folder all the same, saved in place.
            for path in (folder.path, state_home):
                os.chown(path, self.NOBODY, self.NOBODY)
        os.chmod(folder.path, 0o555)
        journals = os.path.join(state_home, 'orbelle')
        self.addCleanup(os.chmod, folder.path, 0o755)

        # One save to its end: what the new file is, and how long it takes.
        clock = self.clock_as_user(folder, state_home)
        clicked = time.monotonic()
        status = self.end_from_icon(clock)
        save_time = time.monotonic() - clicked
        self.assert_normal_exit(clock, status)
        new = folder.read_state()
        self.assertNotEqual(new, old)
        self.assertTrue(new.startswith(b'300,150\r\n"\xe6\x99\x82'), new[:40])
        self.assertEqual(sorted(os.listdir(folder.path)), ['OrbelleDo', 'Pt.ini', 'face.png', 'tokei-set.ini'])

        def journal_in_place():
            return os.path.isdir(journals) and any('.tmp-' not in name for name in os.listdir(journals))

        delays = random.Random(1234)
        cut_in_rewrite = torn = 0
        for run in range(self.RUNS):
            with self.subTest(run=run):
                with open(folder.state_path, 'r+b') as f:
                    f.write(old)
                    f.truncate()
                clock = self.clock_as_user(folder, state_home)
                icon = clock.icon()
                watch = FolderWatch(journals)
                self.addCleanup(watch.close)
                self.session.click(*icon.centre, button=3)
                if run % 2 == 0:
                    # Anywhere in the save.
                    time.sleep(delays.uniform(0, save_time * 1.2))
                else:
                    # As soon as the journal is in place: the rewrite begins.
                    watch.wait_for(lambda name: '.tmp-' not in name, 5 * save_time + 1)
                os.kill(clock.process.pid, signal.SIGKILL)
                watch.close()
                clock.wait_exit()
                clock.stop()
                if journal_in_place():
                    cut_in_rewrite += 1
                    # The kill may have come at any byte of the rewrite: make
                    # it the worst case, a file cut off in its middle.
                    with open(folder.state_path, 'r+b') as f:
                        f.truncate(len(new) // 2)
                if folder.read_state() not in (old, new):
                    torn += 1
                # The next start finishes the save before it reads the file.
                clock = self.clock_as_user(folder, state_home)
                found = folder.read_state()
                clock.stop()
                self.assertTrue(found in (old, new), 'a file of %d bytes, neither the old (%d) nor the new (%d)'
                                % (len(found), len(old), len(new)))
                self.assertEqual(sorted(os.listdir(journals)) if os.path.isdir(journals) else [], [],
                                 'a journal or temporary file stayed behind')
        print('  in-place save of %d bytes: %.2f s; of %d killed, %d were cut off in the rewrite, %d left a '
              'file in neither state until the next start, which finished them all'
              % (len(new), save_time, self.RUNS, cut_in_rewrite, torn))


def main(argv):
    return xsession.run_test_script(argv, sys.modules[__name__], ClockTestCase)


if __name__ == '__main__':
    sys.exit(main(sys.argv))
