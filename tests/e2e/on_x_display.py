# SPDX-License-Identifier: MIT
"""Runs one command on a private X display of its own (Xvfb, no tray host),
under the screen scale of QT_SCALE_FACTOR where that is set, and exits with
its exit status; exits with 77 (skipped) where Xvfb or
xdpyinfo is missing.

    on_x_display.py COMMAND [ARGUMENT ...]
"""

import os
import shutil
import subprocess
import sys
import tempfile

import xsession


def main(argv):
    if len(argv) < 2:
        print(__doc__, file=sys.stderr)
        return 2
    missing = [tool for tool in ('Xvfb', 'xdpyinfo') if not shutil.which(tool)]
    if missing:
        print('skipped: %s not found (Debian: xvfb x11-utils)' % ', '.join(missing))
        return xsession.SKIPPED
    workdir = tempfile.mkdtemp(prefix='orbelle-on-x-')
    session = xsession.start_session(workdir, tray=False)
    try:
        env = dict(session.env)
        if os.environ.get('QT_SCALE_FACTOR'):
            env['QT_SCALE_FACTOR'] = os.environ['QT_SCALE_FACTOR']
        return subprocess.run(argv[1:], env=env).returncode
    finally:
        session.stop()
        shutil.rmtree(workdir, ignore_errors=True)


if __name__ == '__main__':
    sys.exit(main(sys.argv))
