#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Makes the README's picture of the editor at a larger window size:
#
#   scripts/editor-screenshot.sh [BUILD_DIR] [OUTPUT_PNG]
#
# Starts the built editor (BUILD_DIR/maker/OrbelleMaker, by default from
# build/) on a private X server (Xvfb, with xdotool and xwd), chooses a
# generated 2000 x 1400 landscape through "画像ファイルの選択", resizes the
# window to 1200 x 800, turns the wheel one notch and saves a picture of
# the window to OUTPUT_PNG (by default docs/editor-large.png).
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${1:-$root/build}
output=${2:-$root/docs/editor-large.png}
maker=$build_dir/maker/OrbelleMaker
if [ ! -x "$maker" ]; then
  echo "$0: no editor at $maker (build the target OrbelleMaker first)" >&2
  exit 1
fi
for tool in Xvfb xdotool xwd xdpyinfo python3; do
  command -v "$tool" >/dev/null || { echo "$0: $tool is missing" >&2; exit 1; }
done
mkdir -p "$(dirname "$output")"

PYTHONPATH=$root/tests/e2e PYTHONDONTWRITEBYTECODE=1 exec python3 - "$maker" "$output" <<'PY'
import math
import os
import shutil
import sys
import tempfile

import makerfixture
import xsession
from makerfixture import Editor, PICTURE_BUTTON
from xsession import Image, XSession, wait_until

maker, output = sys.argv[1], os.path.abspath(sys.argv[2])
SIZE = (1200, 800)


def landscape_png(path, width, height):
    """A made-up landscape photo: a sky fading to the horizon, a sun and
    two rows of hills."""
    far = [height * (0.42 + 0.06 * math.sin(x / width * 9.0)) for x in range(width)]
    near = [height * (0.54 + 0.08 * math.sin(x / width * 5.0 + 1.3)) for x in range(width)]
    sun = (width * 0.45, height * 0.2, (height * 0.07) ** 2)
    rgb = bytearray()
    for y in range(height):
        t = y / height
        sky = bytes((int(70 + 120 * t), int(130 + 90 * t), int(220 - 30 * t)))
        grass = bytes((int(40 + 30 * t), int(110 + 40 * t), 50))
        for x in range(width):
            if y > near[x]:
                rgb += grass
            elif y > far[x]:
                rgb += b'\x50\x78\x6e'
            elif (x - sun[0]) ** 2 + (y - sun[1]) ** 2 < sun[2]:
                rgb += b'\xff\xdc\x78'
            else:
                rgb += sky
    Image(width, height, bytes(rgb)).save_png(path)


work = tempfile.mkdtemp(prefix='orbelle-shot-')
XSession.SCREEN = (1280, 1024)
os.mkdir(os.path.join(work, 'x'))
session = XSession(os.path.join(work, 'x'))
try:
    session.start()
    home = os.path.join(work, 'home')
    os.makedirs(os.path.join(home, '.config'))
    session.env.update(HOME=home, XDG_CONFIG_HOME=os.path.join(home, '.config'))
    # A portable folder of its own, so nothing of the user's is touched.
    folder = os.path.join(work, 'run')
    os.makedirs(folder)
    program = os.path.join(folder, 'OrbelleMaker')
    shutil.copy2(maker, program)
    picture = os.path.join(folder, 'landscape.png')
    landscape_png(picture, 2000, 1400)

    editor = Editor(session, program, cwd=folder)
    editor.wait_window()
    editor.answer_file_dialog(PICTURE_BUTTON, picture, 'the picture dialog')
    session.xdotool('windowmove', editor.window, 0, 0)
    session.xdotool('windowsize', '--sync', editor.window, *SIZE)
    wait_until('the editor at %dx%d' % SIZE,
               lambda: (session.geometry(editor.window) or (0, 0, 0, 0))[2:4] == SIZE, makerfixture.TIMEOUT)
    x, y = session.geometry(editor.window)[:2]
    # One notch of the wheel down, so the scroll bar's thumb has moved; the
    # pointer then rests beside the window.
    session.xdotool('mousemove', x + 700, y + 400, 'click', 5)
    session.xdotool('mousemove', x + 1250, y + 300)
    previous = None
    def settled():
        global previous
        shot = session.window_picture(editor.window)
        same = previous is not None and shot.rgb == previous.rgb
        previous = shot
        return same and shot
    shot = wait_until('the window to settle', settled, makerfixture.TIMEOUT, interval=0.3)
    shot.save_png(output)
    print('saved %s (%dx%d)' % (output, shot.width, shot.height))
finally:
    session.stop()
    shutil.rmtree(work, ignore_errors=True)
PY
