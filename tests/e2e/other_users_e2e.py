#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""The clock among other users of the machine, run as two users.

    other_users_e2e.py ORBELLEDO [TestClass ...]

As root, the test makes a second user (orbelle-test-other) when it is
missing and does what a hostile user would do as that user (setpriv); the
clock runs as root, the victim. Skipped (with a message) when not root.

- The clock copied into a sticky folder every user may write (as /tmp):
  the other user plants Pt.ini there as a link to a file of the victim's.
  The folder is not the clock's to keep its files in, so its state goes to
  the victim's own folder and the linked file stays as it was.
- The other user makes, in the temporary folder, the names the one-clock
  check would use there: the clock still starts, without the check, and
  says so on standard error.
- More idle callers on the one-clock socket than the clock has descriptors
  cost it next to no processor time, and SIGTERM still writes its state.
"""

import hashlib
import os
import pwd
import shutil
import signal
import socket
import subprocess
import sys
import time
import types
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import shared_place  # noqa: E402
import xsession  # noqa: E402
from clock_e2e import ClockTestCase  # noqa: E402
from clockfixture import PROGRAM_NAME, Clock  # noqa: E402
from xsession import wait_until  # noqa: E402

OTHER = 'orbelle-test-other'
DESCRIPTORS = 128
BASHRC = b'# the victim\'s own shell set-up\n'


def other_user():
    """The second user's (uid, gid), made when missing."""
    try:
        entry = pwd.getpwnam(OTHER)
    except KeyError:
        subprocess.run(['useradd', '--system', '--no-create-home', '--shell', '/usr/sbin/nologin', OTHER],
                       check=True)
        entry = pwd.getpwnam(OTHER)
    return entry.pw_uid, entry.pw_gid


class OtherUserTests(ClockTestCase):

    @classmethod
    def setUpClass(cls):
        if os.geteuid() != 0:
            raise unittest.SkipTest('only root can run the clock beside a second user it makes')
        if not shutil.which('setpriv') or not shutil.which('useradd'):
            raise unittest.SkipTest('setpriv and useradd are needed to act as a second user')
        cls.uid, cls.gid = other_user()
        super().setUpClass()

    def setUp(self):
        super().setUp()
        self.shared = shared_place.folder_for_all_users('orbelle-users-')
        self.addCleanup(shared_place.remove, self.shared)
        # The victim's home: root's own, private.
        self.home = os.path.join(self.shared, 'home')
        os.makedirs(self.home, mode=0o700)
        self.user_folder = os.path.join(self.home, '.config', 'orbelle')

    def as_other(self, *command):
        subprocess.run(['setpriv', '--reuid=%d' % self.uid, '--regid=%d' % self.gid, '--clear-groups', '--']
                       + list(command), check=True)

    def start_clock(self, folder, temp, runtime=None, wrapper=()):
        program = os.path.join(folder, PROGRAM_NAME)
        shutil.copy2(self.program, program)
        env = dict(self.session.env, HOME=self.home, XDG_CONFIG_HOME=os.path.join(self.home, '.config'),
                   XDG_STATE_HOME=os.path.join(self.home, '.state'), TMPDIR=temp, USER='root')
        env.pop('XDG_RUNTIME_DIR', None)
        if runtime:
            env['XDG_RUNTIME_DIR'] = runtime
        clock = Clock(self.session, types.SimpleNamespace(program=program, path=folder), wrapper=wrapper, env=env,
                      cwd=self.home)
        self.clocks.append(clock)
        clock.icon()  # by then it has read its files
        return clock

    def end_by_signal(self, clock):
        os.kill(clock.process.pid, signal.SIGTERM)
        self.assertEqual(clock.wait_exit(), 0, clock.process.log_text()[-2000:])

    def test_a_link_planted_in_a_shared_folder_does_not_aim_the_clocks_save(self):
        sticky = os.path.join(self.shared, 'sticky')
        os.makedirs(sticky)
        os.chmod(sticky, 0o1777)
        bashrc = os.path.join(self.home, '.bashrc')
        with open(bashrc, 'wb') as f:
            f.write(BASHRC)
        os.chmod(self.home, 0o755)  # the link's target must be reachable for the attack to be real
        planted = os.path.join(sticky, 'Pt.ini')
        self.as_other('ln', '-s', bashrc, planted)

        clock = self.start_clock(sticky, temp=self.shared)
        self.end_by_signal(clock)
        with open(bashrc, 'rb') as f:
            self.assertEqual(f.read(), BASHRC)
        self.assertTrue(os.path.islink(planted))
        # The state went to the victim's own folder.
        self.assertTrue(os.path.isfile(os.path.join(self.user_folder, 'Pt.ini')), os.listdir(self.home))

    def test_names_another_user_made_in_the_temporary_folder_do_not_stop_the_clock(self):
        temp = os.path.join(self.shared, 'temp')
        os.makedirs(temp)
        os.chmod(temp, 0o1777)
        folder = os.path.join(self.shared, 'clock')
        os.makedirs(folder, mode=0o700)
        # What the check would use in a shared temporary folder: a folder
        # of the victim's user id, and the lock a digest of user and folder
        # names.
        key = folder.encode()
        digest = hashlib.sha256(b'root\n' + key).hexdigest()[:20]
        self.as_other('mkdir', '-m', '0777', os.path.join(temp, 'orbelle-0'))
        self.as_other('sh', '-c', 'echo 1 > "$0"', os.path.join(temp, 'orbelle-%s.lock' % digest))

        # Its icon shows that it started (the folder holds no face).
        clock = self.start_clock(folder, temp=temp)
        wait_until('the clock to say it runs without the check',
                   lambda: 'running without it' in clock.process.log_text())
        self.end_by_signal(clock)
        self.assertTrue(os.path.isfile(os.path.join(folder, 'Pt.ini')))

    def test_idle_callers_neither_wear_the_clock_out_nor_cost_its_state(self):
        folder = os.path.join(self.shared, 'clock')
        os.makedirs(folder, mode=0o700)
        runtime = os.path.join(self.shared, 'runtime')
        os.makedirs(runtime, mode=0o700)
        # Few descriptors, so that few callers would be enough to use them up.
        clock = self.start_clock(folder, temp=self.shared, runtime=runtime,
                                 wrapper=['prlimit', '--nofile=%d' % DESCRIPTORS, '--'])
        digest = hashlib.sha256(b'root\n' + folder.encode()).hexdigest()[:20]
        address = os.path.join(runtime, 'orbelle-' + digest)
        # Callers that say nothing, as many as are taken within 3 s, up to
        # more than the clock has descriptors.
        callers = []
        self.addCleanup(lambda: [c.close() for c in callers])
        deadline = time.monotonic() + 3
        while len(callers) < DESCRIPTORS + 10 and time.monotonic() < deadline:
            caller = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
            caller.setblocking(False)
            try:
                caller.connect(address)
                callers.append(caller)
            except (BlockingIOError, ConnectionRefusedError):
                caller.close()
                time.sleep(0.002)
        before = cpu_seconds(clock.process.pid)
        time.sleep(2)  # a span to measure the clock's work over, not a wait for an event
        spent = cpu_seconds(clock.process.pid) - before
        self.assertLess(spent, 0.5, 'the clock worked %.2f s of 2 s for %d callers that say nothing'
                        % (spent, len(callers)))
        self.end_by_signal(clock)
        self.assertTrue(os.path.isfile(os.path.join(folder, 'Pt.ini')), 'no state written at SIGTERM')


def cpu_seconds(pid):
    """The processor time a process has used, in seconds."""
    with open('/proc/%d/stat' % pid) as f:
        fields = f.read().rsplit(')', 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf('SC_CLK_TCK')


def main(argv):
    return xsession.run_test_script(argv, sys.modules[__name__], ClockTestCase, classes=[OtherUserTests])


if __name__ == '__main__':
    sys.exit(main(sys.argv))
