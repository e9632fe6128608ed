# SPDX-License-Identifier: MIT
"""Folders for what a test runs as another user.

The build tree may lie where other users cannot enter (a clone under
/root, or in a private folder), so what a test runs as "nobody" or as a
second user is put into a folder of its own under the system's temporary
folder that every user can enter, and removed after."""

import os
import shutil
import subprocess
import tempfile

SYSTEM_TEMP = '/tmp'


def folder_for_all_users(prefix):
    """A new folder every user can enter (mode 0755), under /tmp rather than
    $TMPDIR, which may be private too. The caller removes it (remove)."""
    path = tempfile.mkdtemp(prefix=prefix, dir=SYSTEM_TEMP if os.path.isdir(SYSTEM_TEMP) else None)
    os.chmod(path, 0o755)
    return path


def remove(path):
    """Removes a folder made above, whatever another user left in it."""
    subprocess.run(['chmod', '-R', 'u+rwx', path], check=False, stderr=subprocess.DEVNULL)
    shutil.rmtree(path, ignore_errors=True)
