# SPDX-License-Identifier: MIT
"""A private Wayland desktop without X for the end-to-end tests.

Owns one weston compositor on its headless backend (software rendering,
its screenshot protocol enabled, a plain background and no panel), in a
runtime folder of its own, and takes pictures of its screen with
weston-screenshooter. Everything that waits does so against a deadline;
nothing here knows about the clock itself.

Only the Python standard library is used.
"""

import os
import shutil
import struct
import subprocess
import tempfile
import zlib

from xsession import DEFAULT_TIMEOUT, Image, Process, wait_until

TOOLS = ('weston', 'weston-screenshooter')

# The desktop's colour: no face picture of the tests uses it.
BACKGROUND = (0x20, 0x40, 0x60)

CONFIG = """[core]
idle-time=0
[shell]
background-color=0xff%02x%02x%02x
panel-position=none
locking=false
animation=none
startup-animation=none
""" % BACKGROUND


def missing_tools():
    return [t for t in TOOLS if shutil.which(t) is None]


def _paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    if pa <= pb and pa <= pc:
        return a
    return b if pb <= pc else c


def _unfilter(kind, line, prior, bpp):
    if kind == 1:
        for i in range(bpp, len(line)):
            line[i] = (line[i] + line[i - bpp]) & 0xFF
    elif kind == 2:
        for i in range(len(line)):
            line[i] = (line[i] + prior[i]) & 0xFF
    elif kind == 3:
        for i in range(len(line)):
            left = line[i - bpp] if i >= bpp else 0
            line[i] = (line[i] + ((left + prior[i]) >> 1)) & 0xFF
    elif kind == 4:
        for i in range(len(line)):
            left = line[i - bpp] if i >= bpp else 0
            upper_left = prior[i - bpp] if i >= bpp else 0
            line[i] = (line[i] + _paeth(left, prior[i], upper_left)) & 0xFF
    elif kind != 0:
        raise ValueError('unknown PNG row filter %d' % kind)


def read_png(path):
    """An Image of an 8-bit RGB or RGBA PNG file (alpha dropped), as the
    compositor's screenshots are written."""
    with open(path, 'rb') as f:
        data = f.read()
    if data[:8] != b'\x89PNG\r\n\x1a\n':
        raise ValueError('%s is no PNG file' % path)
    pos, idat, header = 8, bytearray(), None
    while pos < len(data):
        length, kind = struct.unpack('>I4s', data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        pos += 12 + length
        if kind == b'IHDR':
            header = struct.unpack('>IIBBBBB', body)
        elif kind == b'IDAT':
            idat += body
        elif kind == b'IEND':
            break
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        raise ValueError('%s: only 8-bit RGB or RGBA pictures without interlacing are read' % path)
    bpp = 3 if colour == 2 else 4
    raw = zlib.decompress(bytes(idat))
    stride = width * bpp
    rgb = bytearray()
    prior = bytearray(stride)
    for y in range(height):
        start = y * (stride + 1)
        line = bytearray(raw[start + 1:start + 1 + stride])
        _unfilter(raw[start], line, prior, bpp)
        if bpp == 3:
            rgb += line
        else:
            for x in range(0, stride, 4):
                rgb += line[x:x + 3]
        prior = line
    return Image(width, height, bytes(rgb))


class WaylandSession:
    """weston on its headless backend with a socket name of its own, so any
    number of sessions can run side by side (and beside an X display)."""

    SCREEN = (640, 480)

    def __init__(self, workdir=None):
        self.workdir = workdir or tempfile.mkdtemp(prefix='orbelle-wl-')
        self.env = None
        self._processes = []
        self._shots = 0

    def start(self):
        runtime = os.path.join(self.workdir, 'runtime')
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        os.chmod(runtime, 0o700)
        config = os.path.join(self.workdir, 'weston.ini')
        with open(config, 'w') as f:
            f.write(CONFIG)
        socket = 'orbelle-e2e-%d' % os.getpid()
        base = {k: v for k, v in os.environ.items()
                if not k.startswith('QT_') and k not in ('DISPLAY', 'WAYLAND_DISPLAY', 'XAUTHORITY', 'LC_ALL')}
        base['XDG_RUNTIME_DIR'] = runtime
        self.server = self.spawn(['weston', '--backend=headless-backend.so', '--use-pixman', '--debug',
                                  '--socket=' + socket, '--width=%d' % self.SCREEN[0],
                                  '--height=%d' % self.SCREEN[1], '--config=' + config, '--idle-time=0'],
                                 'weston.log', env=base)
        wait_until('weston to open its socket', lambda: self._socket_ready(runtime, socket))
        self.env = dict(base)
        self.env.update({
            'WAYLAND_DISPLAY': socket,
            'QT_QPA_PLATFORM': 'wayland',
            # No desktop's session bus, and no sound: as on the X displays.
            'DBUS_SESSION_BUS_ADDRESS': 'unix:path=' + os.path.join(self.workdir, 'no-session-bus'),
            'LANG': 'C.UTF-8',
            'TZ': 'UTC',
            'CANBERRA_DRIVER': 'orbelle-e2e-none',
        })
        wait_until('the desktop to show its background', lambda: self._all_background(self.screenshot()))
        return self

    def _socket_ready(self, runtime, socket):
        if not self.server.running():
            raise AssertionError('weston ended at start-up:\n' + self.server.log_text())
        return os.path.exists(os.path.join(runtime, socket))

    @staticmethod
    def _all_background(image):
        return image.rgb == bytes(BACKGROUND) * (image.width * image.height)

    def spawn(self, argv, log_name, env=None, cwd=None):
        process = Process(argv, env if env is not None else self.env, os.path.join(self.workdir, log_name), cwd)
        self._processes.append(process)
        return process

    def stop(self):
        # Clients first, the compositor last.
        for process in reversed(self._processes):
            process.stop()
        self._processes = []

    def screenshot(self):
        """A picture of the whole screen as the compositor shows it."""
        # The tool names its file after the second it was taken: each
        # picture gets a folder of its own.
        self._shots += 1
        folder = os.path.join(self.workdir, 'shot-%d' % self._shots)
        os.makedirs(folder)
        proc = subprocess.run(['weston-screenshooter'], env=self.env, cwd=folder, stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, timeout=DEFAULT_TIMEOUT)
        files = [f for f in os.listdir(folder) if f.endswith('.png')]
        if proc.returncode != 0 or len(files) != 1:
            raise AssertionError('weston-screenshooter took no picture (status %d):\n%s'
                                 % (proc.returncode, proc.stdout.decode(errors='replace')))
        path = os.path.join(folder, files[0])
        image = read_png(path)
        shutil.rmtree(folder)
        return image
