#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""End-to-end tests of the installed programs, used as an ordinary user.

    install_e2e.py CMAKE BUILD_DIR [TestClass ...]

Installs the build into a prefix of its own (programs in a folder the user
may not write to, as under /usr), then runs the installed clock and editor
with a home folder of their own: the files go to the user's folder
($XDG_CONFIG_HOME/orbelle), which the first start fills with the sample
face; a second start of the clock only brings the first to the front. As
root, the programs run as the user "nobody".

Exit status 77 (skipped) when the X tools are missing.
"""

import os
import shutil
import subprocess
import sys
import tempfile
import types
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'e2e'))

import makerfixture  # noqa: E402
import shared_place  # noqa: E402
import xsession  # noqa: E402
from clockfixture import PROGRAM_NAME, Clock  # noqa: E402
from xsession import wait_until  # noqa: E402

NOBODY = 65534
# The sample face: a 244-pixel picture in a window two pixels larger.
SAMPLE_WINDOW = 246


class InstalledTestCase(unittest.TestCase):
    cmake = None
    build_dir = None
    work_dir = None

    @classmethod
    def setUpClass(cls):
        cls.class_dir = os.path.join(cls.work_dir, cls.__name__)
        if os.path.isdir(cls.class_dir):
            subprocess.run(['chmod', '-R', 'u+w', cls.class_dir], check=False)
        shutil.rmtree(cls.class_dir, ignore_errors=True)
        os.makedirs(cls.class_dir)
        os.chmod(cls.class_dir, 0o755)
        cls.prefix = os.path.join(cls.class_dir, 'prefix')
        subprocess.run([cls.cmake, '--install', cls.build_dir, '--prefix', cls.prefix],
                       check=True, stdout=subprocess.DEVNULL)
        cls.bin_dir = os.path.join(cls.prefix, 'bin')
        # Like /usr/bin: not the user's to write.
        os.chmod(cls.bin_dir, 0o555)
        cls.as_root = os.geteuid() == 0
        cls.session = xsession.start_session(os.path.join(cls.class_dir, 'x'))

    @classmethod
    def tearDownClass(cls):
        cls.session.stop()
        os.chmod(cls.bin_dir, 0o755)

    def setUp(self):
        self.processes = []
        self.home = tempfile.mkdtemp(prefix='home-', dir=self.class_dir)
        self.runtime = os.path.join(self.home, 'runtime')
        os.makedirs(self.runtime, mode=0o700)
        if self.as_root:
            for path in (self.home, self.runtime):
                os.chown(path, NOBODY, NOBODY)
        self.config = os.path.join(self.home, '.config')
        self.user_folder = os.path.join(self.config, 'orbelle')
        self.env = dict(self.session.env, HOME=self.home, XDG_CONFIG_HOME=self.config,
                        XDG_RUNTIME_DIR=self.runtime, XDG_DATA_DIRS='/nonexistent', USER='nobody')

    def tearDown(self):
        for p in self.processes:
            p.stop()

    # -- helpers --

    def wrapper(self):
        if not self.as_root:
            return []
        return ['setpriv', '--reuid=%d' % NOBODY, '--regid=%d' % NOBODY, '--clear-groups', '--']

    def start_clock(self):
        folder = types.SimpleNamespace(program=os.path.join(self.bin_dir, PROGRAM_NAME), path=self.home)
        clock = Clock(self.session, folder, wrapper=self.wrapper(), env=self.env, cwd=self.home)
        self.processes.append(clock.process)
        clock.wait_window()
        return clock

    def spawn(self, program, log):
        process = self.session.spawn(self.wrapper() + [os.path.join(self.bin_dir, program)], log,
                                     env=self.env, cwd=self.home)
        self.processes.append(process)
        return process

    def end_from_icon(self, clock):
        self.session.click(*clock.icon().centre, button=3)
        self.assertEqual(clock.wait_exit(), 0, clock.process.log_text()[-2000:])
        clock.wait_windows_gone()

    def docked_icons(self):
        panels = [w for w in self.session.windows() if w.name == 'panel' and 'trayer' in w.wm_class]
        return [w for w in self.session.windows()
                if w.depth > 0 and w.wm_class == (PROGRAM_NAME, PROGRAM_NAME) and w.width > 1
                and any(p.ax <= w.ax < p.ax + p.width and p.ay <= w.ay < p.ay + p.height for p in panels)
                and self.session.map_state(w.id) == 'IsViewable']

    def bin_listing(self):
        return sorted(os.listdir(self.bin_dir))


class InstalledClockTests(InstalledTestCase):

    def test_first_start_shows_the_sample_face_and_keeps_the_state_in_the_users_folder(self):
        clock = self.start_clock()
        # The design came from the user's folder and its picture was found
        # beside it, though the clock runs from the home folder.
        self.assertEqual(sorted(os.listdir(self.user_folder)), ['face.png', 'tokei-set.ini'])
        x, y, w, h = clock.geometry()
        self.assertEqual((w, h), (SAMPLE_WINDOW, SAMPLE_WINDOW))
        # A face, not a blank box: many colours across the dial.
        clock.wait_picture('the sample face to be painted',
                           lambda image: len({image.pixel(px, py) for px in range(40, 200, 4)
                                              for py in range(40, 200, 4)}) > 20)

        self.end_from_icon(clock)
        self.assertTrue(os.path.isfile(os.path.join(self.user_folder, 'Pt.ini')), os.listdir(self.user_folder))
        self.assertEqual(self.bin_listing(), ['OrbelleDo', 'OrbelleMaker'])

    def test_a_second_start_brings_the_running_clock_back_and_ends(self):
        clock = self.start_clock()
        icon = clock.icon()
        # Hidden from its icon first: the second start must show it again.
        self.session.double_click(*icon.centre)
        wait_until('the clock to be hidden', lambda: clock.map_state() != 'IsViewable')

        second = self.spawn(PROGRAM_NAME, 'second-clock.log')
        self.assertEqual(second.wait(), 0, second.log_text())
        wait_until('the clock to be shown again', lambda: clock.map_state() == 'IsViewable')
        self.assertTrue(clock.process.running())
        self.assertEqual(len(self.docked_icons()), 1)
        self.end_from_icon(clock)


class InstalledEditorTests(InstalledTestCase):

    def test_the_save_dialog_proposes_the_design_file_the_clock_reads(self):
        editor = makerfixture.Editor(self.session, os.path.join(self.bin_dir, 'OrbelleMaker'), cwd=self.home,
                                     wrapper=self.wrapper(), env=self.env)
        self.processes.append(editor.process)
        editor.wait_window()
        editor.open_dialog(makerfixture.SAVE_BUTTON, 'the save dialog')
        # The proposed name as it stands.
        self.session.xdotool('key', 'Return')
        target = os.path.join(self.user_folder, 'tokei-set.ini')

        def saved():
            try:
                with open(target, 'rb') as f:
                    return f.read() == makerfixture.design_bytes(makerfixture.START_UP_DESIGN)
            except OSError:
                return False
        wait_until('the design to be saved in the user\'s folder', saved)
        self.assertEqual(self.bin_listing(), ['OrbelleDo', 'OrbelleMaker'])


def main():
    if len(sys.argv) < 3:
        print(__doc__, file=sys.stderr)
        return 2
    missing = xsession.missing_tools()
    if missing:
        print('SKIPPED: missing %s' % ', '.join(missing))
        return xsession.SKIPPED
    InstalledTestCase.cmake, InstalledTestCase.build_dir = sys.argv[1], os.path.abspath(sys.argv[2])
    shared = None
    if os.geteuid() == 0:
        # The programs run as "nobody": installed where every user can
        # enter, whoever may enter the build tree; kept when a test failed.
        shared = shared_place.folder_for_all_users('orbelle-install-')
        InstalledTestCase.work_dir = shared
    else:
        InstalledTestCase.work_dir = os.environ.get('ORBELLE_E2E_WORK') or tempfile.mkdtemp(prefix='orbelle-install-')
    os.makedirs(InstalledTestCase.work_dir, exist_ok=True)
    names = sys.argv[3:] or ['InstalledClockTests', 'InstalledEditorTests']
    suite = unittest.TestSuite(unittest.defaultTestLoader.loadTestsFromName(n, sys.modules[__name__]) for n in names)
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    if shared and result.wasSuccessful():
        shared_place.remove(shared)
    elif shared:
        print('work folders and logs: %s' % shared)
    return 0 if result.wasSuccessful() else 1


if __name__ == '__main__':
    sys.exit(main())
