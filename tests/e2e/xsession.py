# SPDX-License-Identifier: MIT
"""A private X display for the end-to-end tests.

Owns one Xvfb server and, on request, a tray host (trayer) on it, and offers
what the tests do with them: look windows up, read their geometry, map state
and shape, move and click the mouse, type, count bells and take pictures of
the screen. Everything that waits does so against a deadline; nothing here
knows about the clock itself.

Only the Python standard library is used. The X client library is reached
through ctypes for the three things no command-line tool reports: who owns a
selection, the exact rectangles of a window's shape and bell notifications.
"""

import ctypes
import ctypes.util
import os
import re
import select
import shutil
import signal
import struct
import subprocess
import tempfile
import time
import zlib

# Seconds a single wait may take before the test gives up. Generous, because
# the machines that run these tests are often busy compiling.
DEFAULT_TIMEOUT = float(os.environ.get('ORBELLE_E2E_TIMEOUT', '15'))

TOOLS = ('Xvfb', 'trayer', 'xdotool', 'xwininfo', 'xdpyinfo', 'xwd')


class WaitTimeout(AssertionError):
    """A condition did not come true before its deadline."""


def wait_until(what, probe, timeout=None, interval=0.05):
    """Calls probe until it returns something true and returns that; fails
    with a message naming `what` when the deadline passes first."""
    timeout = DEFAULT_TIMEOUT if timeout is None else timeout
    deadline = time.monotonic() + timeout
    while True:
        result = probe()
        if result:
            return result
        if time.monotonic() >= deadline:
            raise WaitTimeout('gave up after %g s waiting for %s' % (timeout, what))
        time.sleep(interval)


def faketime_library():
    """The libfaketime preload library, or None."""
    import sysconfig
    # The library of this machine's own architecture: another one installed
    # beside it would be skipped by the loader, and the time left real.
    multiarch = sysconfig.get_config_var('MULTIARCH') or ''
    candidates = ['/usr/lib/%s/faketime/libfaketime.so.1' % multiarch] if multiarch else []
    candidates += ['/usr/lib/faketime/libfaketime.so.1', '/usr/local/lib/faketime/libfaketime.so.1']
    for path in candidates:
        if os.path.exists(path):
            return path
    import glob
    found = sorted(glob.glob('/usr/lib/*/faketime/libfaketime.so.1'))
    return found[0] if found else None


def faketime_env(env, when, frozen):
    """`env` with the wall clock faked to start at `when` ('YYYY-MM-DD
    hh:mm:ss'), standing still there when `frozen`. The library is preloaded
    directly: the faketime wrapper leaves a semaphore behind when it is
    killed, and a later wrapper whose process id matches refuses to start.
    Timers run on the real monotonic clock; only the wall clock is faked."""
    library = faketime_library()
    if not library:
        raise AssertionError('libfaketime is not installed (Debian package faketime)')
    env = dict(env)
    env['LD_PRELOAD'] = ' '.join(p for p in (library, env.get('LD_PRELOAD', '')) if p)
    env['FAKETIME'] = when if frozen else '@' + when
    # The older and the newer name of the same switch.
    env['DONT_FAKE_MONOTONIC'] = '1'
    env['FAKETIME_DONT_FAKE_MONOTONIC'] = '1'
    env.pop('FAKETIME_SHARED', None)
    return env


def forget_faketime_segments(pid):
    """Removes what libfaketime shares under a program's process id. It
    removes them itself when the program exits, but not when a signal ends
    it; a later program with the same id would then fail to start."""
    for name in ('faketime_shm_%d' % pid, 'sem.faketime_sem_%d' % pid):
        try:
            os.unlink(os.path.join('/dev/shm', name))
        except OSError:
            pass


def missing_tools(extra=()):
    return [t for t in tuple(TOOLS) + tuple(extra) if shutil.which(t) is None]


class Process:
    """A child process in a session of its own, so that stopping it also
    stops whatever it started."""

    def __init__(self, argv, env, log_path, cwd=None, pass_fds=()):
        self.argv = list(argv)
        self.log_path = log_path
        self._faked = bool(env and 'FAKETIME' in env)
        self._log = open(log_path, 'ab')
        self.popen = subprocess.Popen(self.argv, env=env, cwd=cwd, stdin=subprocess.DEVNULL,
                                      stdout=self._log, stderr=subprocess.STDOUT,
                                      start_new_session=True, pass_fds=pass_fds)

    @property
    def pid(self):
        return self.popen.pid

    def running(self):
        return self.popen.poll() is None

    def wait(self, timeout=None):
        """Waits for the process to end and returns its exit status
        (negative: the signal that ended it)."""
        timeout = DEFAULT_TIMEOUT if timeout is None else timeout
        try:
            return self.popen.wait(timeout)
        except subprocess.TimeoutExpired:
            raise WaitTimeout('gave up after %g s waiting for %s to end' % (timeout, self.argv[0]))

    def stop(self):
        if self.running():
            self._signal_group(signal.SIGTERM)
            try:
                self.popen.wait(5)
            except subprocess.TimeoutExpired:
                self._signal_group(signal.SIGKILL)
                self.popen.wait(5)
        else:
            # The leader is gone; a helper it started may still be there.
            self._signal_group(signal.SIGKILL)
        if self._faked:
            forget_faketime_segments(self.popen.pid)
        self._log.close()

    def _signal_group(self, sig):
        try:
            os.killpg(self.popen.pid, sig)
        except (ProcessLookupError, PermissionError):
            pass

    def log_text(self):
        try:
            with open(self.log_path, 'rb') as f:
                return f.read().decode('utf-8', 'replace')
        except OSError:
            return ''


# --------------------------------------------------------------------------
# Windows as xwininfo reports them

class Window:
    """One line of `xwininfo -root -tree`: a window, its parent's depth and
    its geometry (x, y relative to the parent; ax, ay absolute)."""

    def __init__(self, wid, name, wm_class, depth, w, h, x, y, ax, ay):
        self.id = wid
        self.name = name
        self.wm_class = wm_class
        self.depth = depth
        self.width, self.height = w, h
        self.x, self.y = x, y
        self.ax, self.ay = ax, ay

    @property
    def centre(self):
        return self.ax + self.width // 2, self.ay + self.height // 2

    def __repr__(self):
        return 'Window(%s %r %r depth=%d %dx%d+%d+%d)' % (self.id, self.name, self.wm_class, self.depth,
                                                         self.width, self.height, self.ax, self.ay)


_TREE_LINE = re.compile(
    r'^(?P<indent> *)(?P<id>0x[0-9a-f]+) (?:"(?P<name>.*)"|\(has no name\)): \((?P<cls>[^()]*)\)'
    r'\s+(?P<w>\d+)x(?P<h>\d+)\+(?P<x>-?\d+)\+(?P<y>-?\d+)\s+\+(?P<ax>-?\d+)\+(?P<ay>-?\d+)\s*$')


def parse_tree(text):
    windows = []
    for line in text.splitlines():
        m = _TREE_LINE.match(line)
        if not m:
            continue
        # Children of the root are indented by five spaces, each further
        # level by three more.
        depth = (len(m.group('indent')) - 5) // 3
        cls = tuple(re.findall(r'"([^"]*)"', m.group('cls')))
        windows.append(Window(m.group('id'), m.group('name'), cls, depth,
                              int(m.group('w')), int(m.group('h')), int(m.group('x')), int(m.group('y')),
                              int(m.group('ax')), int(m.group('ay'))))
    return windows


# --------------------------------------------------------------------------
# Pictures of the screen

class Image:
    """An RGB picture, 3 bytes a pixel, rows top to bottom."""

    def __init__(self, width, height, rgb):
        self.width, self.height = width, height
        self.rgb = rgb

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.rgb[i:i + 3])

    def crop(self, x, y, w, h):
        out = bytearray()
        for row in range(y, y + h):
            if 0 <= row < self.height:
                line = bytearray(3 * w)
                lo, hi = max(x, 0), min(x + w, self.width)
                if hi > lo:
                    start = (row * self.width + lo) * 3
                    line[(lo - x) * 3:(hi - x) * 3] = self.rgb[start:start + (hi - lo) * 3]
                out += line
            else:
                out += bytes(3 * w)
        return Image(w, h, bytes(out))

    def points(self, colour, tolerance=0):
        """The pixels of one colour (each channel within tolerance)."""
        r0, g0, b0 = colour
        found = []
        rgb = self.rgb
        for y in range(self.height):
            base = y * self.width * 3
            for x in range(self.width):
                i = base + 3 * x
                if (abs(rgb[i] - r0) <= tolerance and abs(rgb[i + 1] - g0) <= tolerance
                        and abs(rgb[i + 2] - b0) <= tolerance):
                    found.append((x, y))
        return found

    def save_png(self, path):
        raw = bytearray()
        stride = self.width * 3
        for y in range(self.height):
            raw.append(0)
            raw += self.rgb[y * stride:(y + 1) * stride]

        def chunk(kind, data):
            body = kind + data
            return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body) & 0xFFFFFFFF)

        header = struct.pack('>IIBBBBB', self.width, self.height, 8, 2, 0, 0, 0)
        with open(path, 'wb') as f:
            f.write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) +
                    chunk(b'IDAT', zlib.compress(bytes(raw), 6)) + chunk(b'IEND', b''))


def image_from_xwd(data):
    """Reads the ZPixmap, TrueColor dump `xwd` writes of a 24- or 32-bit
    screen into an Image."""
    fields = struct.unpack('>25I', data[:100])
    (header_size, _version, pixmap_format, _depth, width, height, _xoffset, byte_order, _unit, _bit_order,
     _pad, bits_per_pixel, bytes_per_line, _visual_class, red_mask, green_mask, blue_mask, _bits_rgb,
     _entries, ncolours) = fields[:20]
    if pixmap_format != 2:
        raise ValueError('xwd dump is not a ZPixmap')
    # Rows may be padded beyond width times pixel size: trust the header.
    pixel_bytes = bits_per_pixel // 8
    if bits_per_pixel not in (24, 32) or bytes_per_line < width * pixel_bytes:
        raise ValueError('unsupported xwd pixel layout: %d bits, %d bytes a line' % (bits_per_pixel, bytes_per_line))
    # Which byte of a pixel, as stored, holds each channel.
    def byte_of(mask):
        shift = {0xFF: 0, 0xFF00: 1, 0xFF0000: 2, 0xFF000000: 3}.get(mask)
        if shift is None:
            raise ValueError('unsupported colour mask %#x' % mask)
        return shift if byte_order == 0 else pixel_bytes - 1 - shift
    r_at, g_at, b_at = byte_of(red_mask), byte_of(green_mask), byte_of(blue_mask)
    start = header_size + 12 * ncolours
    pixels = data[start:start + bytes_per_line * height]
    if len(pixels) < bytes_per_line * height:
        raise ValueError('xwd dump is short')
    rgb = bytearray(width * height * 3)
    if bytes_per_line == width * pixel_bytes:
        rgb[0::3] = pixels[r_at::pixel_bytes]
        rgb[1::3] = pixels[g_at::pixel_bytes]
        rgb[2::3] = pixels[b_at::pixel_bytes]
    else:
        for y in range(height):
            row = pixels[y * bytes_per_line:y * bytes_per_line + width * pixel_bytes]
            out = slice(y * width * 3, (y + 1) * width * 3)
            line = bytearray(width * 3)
            line[0::3] = row[r_at::pixel_bytes]
            line[1::3] = row[g_at::pixel_bytes]
            line[2::3] = row[b_at::pixel_bytes]
            rgb[out] = line
    return Image(width, height, bytes(rgb))


# --------------------------------------------------------------------------
# The X client library, for what the tools do not report

class _XRectangle(ctypes.Structure):
    _fields_ = [('x', ctypes.c_short), ('y', ctypes.c_short),
                ('width', ctypes.c_ushort), ('height', ctypes.c_ushort)]


_ERROR_HANDLER_TYPE = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)
# A window may vanish between finding it and asking about it; the default
# handler would end the test process on the resulting error.
_ignore_errors = _ERROR_HANDLER_TYPE(lambda display, event: 0)

_XKB_USE_CORE_KBD = 0x0100
_XKB_BELL_NOTIFY_MASK = 1 << 8
_XKB_BELL_NOTIFY = 8


class XConnection:
    def __init__(self, display_name):
        self._x11 = ctypes.CDLL(ctypes.util.find_library('X11') or 'libX11.so.6')
        self._xext = ctypes.CDLL(ctypes.util.find_library('Xext') or 'libXext.so.6')
        x11, xext = self._x11, self._xext
        x11.XOpenDisplay.restype = ctypes.c_void_p
        x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        x11.XSetErrorHandler.argtypes = [_ERROR_HANDLER_TYPE]
        x11.XSetErrorHandler.restype = ctypes.c_void_p
        x11.XInternAtom.restype = ctypes.c_ulong
        x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x11.XGetSelectionOwner.restype = ctypes.c_ulong
        x11.XGetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        x11.XFree.argtypes = [ctypes.c_void_p]
        x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        x11.XPending.argtypes = [ctypes.c_void_p]
        x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
        x11.XkbQueryExtension.argtypes = [ctypes.c_void_p] + [ctypes.POINTER(ctypes.c_int)] * 5
        x11.XkbSelectEvents.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_ulong, ctypes.c_ulong]
        xext.XShapeGetRectangles.restype = ctypes.POINTER(_XRectangle)
        xext.XShapeGetRectangles.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int,
                                             ctypes.POINTER(ctypes.c_int), ctypes.POINTER(ctypes.c_int)]
        x11.XSetErrorHandler(_ignore_errors)
        self._dpy = x11.XOpenDisplay(display_name.encode())
        if not self._dpy:
            raise RuntimeError('cannot open display %s' % display_name)
        self._bell_event = None
        self.bells = 0

    def close(self):
        if self._dpy:
            self._x11.XCloseDisplay(self._dpy)
            self._dpy = None

    def selection_owner(self, name):
        atom = self._x11.XInternAtom(self._dpy, name.encode(), 0)
        return self._x11.XGetSelectionOwner(self._dpy, atom)

    def pointer_grabbed(self):
        """Whether a client holds the pointer grabbed (a popup menu or list
        does while it is open): clicks then go to that client's grab window,
        wherever they land. Asks by trying a grab of its own, which it lets
        go at once."""
        x11 = self._x11
        x11.XDefaultRootWindow.restype = ctypes.c_ulong
        x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        x11.XGrabPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_uint, ctypes.c_int,
                                     ctypes.c_int, ctypes.c_ulong, ctypes.c_ulong, ctypes.c_ulong]
        x11.XUngrabPointer.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        grab_mode_async, grab_success = 1, 0
        status = x11.XGrabPointer(self._dpy, x11.XDefaultRootWindow(self._dpy), 0, 0, grab_mode_async,
                                  grab_mode_async, 0, 0, 0)
        if status == grab_success:
            x11.XUngrabPointer(self._dpy, 0)
        x11.XSync(self._dpy, 0)
        return status != grab_success

    def shape_rectangles(self, window_id):
        """The rectangles of the window's bounding shape, as the server keeps
        them (an unshaped window gives its whole area)."""
        count, ordering = ctypes.c_int(0), ctypes.c_int(0)
        rects = self._xext.XShapeGetRectangles(self._dpy, int(window_id, 16), 0,
                                               ctypes.byref(count), ctypes.byref(ordering))
        result = [(rects[i].x, rects[i].y, rects[i].width, rects[i].height) for i in range(count.value)]
        if rects:
            self._x11.XFree(rects)
        return result

    def watch_bells(self):
        """Starts counting bells rung on the display (by any client)."""
        opcode, event, error = ctypes.c_int(), ctypes.c_int(), ctypes.c_int()
        major, minor = ctypes.c_int(1), ctypes.c_int(0)
        if not self._x11.XkbQueryExtension(self._dpy, ctypes.byref(opcode), ctypes.byref(event),
                                           ctypes.byref(error), ctypes.byref(major), ctypes.byref(minor)):
            raise RuntimeError('the X server has no keyboard extension, so bells cannot be counted')
        self._bell_event = event.value
        self._x11.XkbSelectEvents(self._dpy, _XKB_USE_CORE_KBD, _XKB_BELL_NOTIFY_MASK, _XKB_BELL_NOTIFY_MASK)
        self._x11.XSync(self._dpy, 0)
        self.bells = 0

    def count_bells(self):
        """Takes in the bell notifications that arrived and returns the count
        since watch_bells."""
        if self._bell_event is None:
            raise RuntimeError('watch_bells first')
        self._x11.XSync(self._dpy, 0)
        event = ctypes.create_string_buffer(192)
        while self._x11.XPending(self._dpy):
            self._x11.XNextEvent(self._dpy, event)
            kind, = struct.unpack_from('i', event.raw, 0)
            xkb_kind, = struct.unpack_from('i', event.raw, 40)
            if kind == self._bell_event and xkb_kind == _XKB_BELL_NOTIFY:
                self.bells += 1
        return self.bells


# --------------------------------------------------------------------------
# The display

class XSession:
    """Xvfb on a display number of its own choosing (-displayfd), so any
    number of sessions can run side by side."""

    SCREEN = (1024, 768)

    def __init__(self, workdir=None):
        self.workdir = workdir or tempfile.mkdtemp(prefix='orbelle-x-')
        self.display = None
        self.env = None
        self.xlib = None
        self._processes = []

    # -- life cycle --

    def start(self):
        read_end, write_end = os.pipe()
        try:
            self.server = self.spawn(['Xvfb', '-displayfd', str(write_end), '-screen', '0',
                                      '%dx%dx24' % self.SCREEN, '-nolisten', 'tcp', '-noreset', '-br'],
                                     'xvfb.log', env=os.environ.copy(), pass_fds=(write_end,))
        finally:
            os.close(write_end)
        try:
            number = self._read_display_number(read_end)
        finally:
            os.close(read_end)
        self.display = ':%d' % number
        self.env = self._client_environment()
        wait_until('the X server on %s to answer' % self.display,
                   lambda: subprocess.run(['xdpyinfo'], env=self.env, stdout=subprocess.DEVNULL,
                                          stderr=subprocess.DEVNULL).returncode == 0)
        self.xlib = XConnection(self.display)
        return self

    def _read_display_number(self, fd):
        text = b''
        deadline = time.monotonic() + DEFAULT_TIMEOUT
        while not text.endswith(b'\n'):
            left = deadline - time.monotonic()
            if left <= 0 or not self.server.running():
                raise RuntimeError('Xvfb did not start:\n' + self.server.log_text())
            ready, _, _ = select.select([fd], [], [], left)
            if ready:
                chunk = os.read(fd, 64)
                if not chunk:
                    raise RuntimeError('Xvfb did not report its display:\n' + self.server.log_text())
                text += chunk
        return int(text.strip())

    def _client_environment(self):
        env = {k: v for k, v in os.environ.items()
               if not k.startswith('QT_') and k not in ('WAYLAND_DISPLAY', 'LC_ALL', 'XAUTHORITY')}
        runtime = os.path.join(self.workdir, 'runtime')
        os.makedirs(runtime, mode=0o700, exist_ok=True)
        env.update({
            'DISPLAY': self.display,
            'QT_QPA_PLATFORM': 'xcb',
            'XDG_RUNTIME_DIR': runtime,
            # No desktop's session bus: the icon must go to our tray host, not
            # to a status-notifier host of the desktop that runs the tests.
            'DBUS_SESSION_BUS_ADDRESS': 'unix:path=' + os.path.join(self.workdir, 'no-session-bus'),
            'LANG': 'C.UTF-8',
            'TZ': 'UTC',
            # No sound server either: the beep falls back to the X bell,
            # which the tests can count.
            'CANBERRA_DRIVER': 'orbelle-e2e-none',
        })
        return env

    def spawn(self, argv, log_name, env=None, cwd=None, pass_fds=()):
        process = Process(argv, env if env is not None else self.env, os.path.join(self.workdir, log_name),
                          cwd, pass_fds)
        self._processes.append(process)
        return process

    def stop(self):
        if self.xlib:
            self.xlib.close()
            self.xlib = None
        # Clients first, the server last.
        for process in reversed(self._processes):
            process.stop()
        self._processes = []

    # -- tray host --

    def start_tray(self):
        tray = self.spawn(['trayer', '--edge', 'top', '--align', 'right', '--widthtype', 'pixel',
                           '--width', '120', '--height', '24', '--SetDockType', 'true'], 'trayer.log')
        wait_until('the tray host to take the notification area',
                   lambda: self.xlib.selection_owner('_NET_SYSTEM_TRAY_S0') != 0)
        wait_until('the tray host panel to be shown',
                   lambda: any(w.name == 'panel' and 'trayer' in w.wm_class and self.map_state(w.id) == 'IsViewable'
                               for w in self.windows()))
        return tray

    # -- queries --

    def run(self, argv, check=True, timeout=None):
        return subprocess.run(argv, env=self.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              check=check, timeout=timeout or DEFAULT_TIMEOUT).stdout.decode('utf-8', 'replace')

    def windows(self):
        # The tree walk fails when a window goes away during it (a dialog
        # blinking off, a tooltip): walk it again.
        for attempt in range(5):
            proc = subprocess.run(['xwininfo', '-root', '-tree'], env=self.env, stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE, timeout=DEFAULT_TIMEOUT)
            if proc.returncode == 0:
                return parse_tree(proc.stdout.decode('utf-8', 'replace'))
            time.sleep(0.05)
        raise AssertionError('xwininfo could not walk the window tree:\n' + proc.stderr.decode(errors='replace'))

    def window_info(self, wid, *options):
        """The `Key: value` lines of xwininfo about one window, or None when
        the window is gone."""
        proc = subprocess.run(['xwininfo', '-id', wid] + list(options), env=self.env, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, timeout=DEFAULT_TIMEOUT)
        if proc.returncode != 0:
            return None
        info = {}
        for line in proc.stdout.decode('utf-8', 'replace').splitlines():
            key, sep, value = line.strip().partition(':')
            if sep:
                info[key.strip()] = value.strip()
        info['_text'] = proc.stdout.decode('utf-8', 'replace')
        return info

    def map_state(self, wid):
        info = self.window_info(wid)
        return info and info.get('Map State')

    def geometry(self, wid):
        """(x, y, width, height) of the window on the screen."""
        info = self.window_info(wid)
        if info is None:
            return None
        return (int(info['Absolute upper-left X']), int(info['Absolute upper-left Y']),
                int(info['Width']), int(info['Height']))

    def shape_extents(self, wid):
        """What xwininfo says of the window's bounding shape: 'WxH+X+Y', or
        None when the window has no shape of its own."""
        info = self.window_info(wid, '-shape')
        text = info['_text'] if info else ''
        m = re.search(r'Window shape extents:\s*(\S+)', text)
        if m:
            return m.group(1)
        if 'No window shape defined' in text:
            return None
        raise AssertionError('cannot read the shape from xwininfo:\n' + text)

    def search_name(self, name, visible_only=True):
        argv = ['xdotool', 'search'] + (['--onlyvisible'] if visible_only else []) + ['--name', '^%s$' % re.escape(name)]
        proc = subprocess.run(argv, env=self.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              timeout=DEFAULT_TIMEOUT)
        return ['0x%x' % int(line) for line in proc.stdout.decode().split()]

    def search_pid(self, pid, visible_only=True):
        """The windows a process has said are its own (_NET_WM_PID)."""
        argv = ['xdotool', 'search'] + (['--onlyvisible'] if visible_only else []) + ['--pid', str(pid)]
        proc = subprocess.run(argv, env=self.env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              timeout=DEFAULT_TIMEOUT)
        return ['0x%x' % int(line) for line in proc.stdout.decode().split()]

    def focused_window(self):
        """The window that has the keyboard, or None."""
        proc = subprocess.run(['xdotool', 'getwindowfocus'], env=self.env, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, timeout=DEFAULT_TIMEOUT)
        text = proc.stdout.decode().strip()
        return '0x%x' % int(text) if proc.returncode == 0 and text.isdigit() else None

    def screenshot(self):
        # xwd walks the window tree for the visuals it reads; a window that is
        # destroyed during the walk (a window being hidden, a tooltip) makes it
        # fail with BadWindow. That says nothing about the picture: take it again.
        for attempt in range(5):
            proc = subprocess.run(['xwd', '-root', '-silent'], env=self.env, stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE, timeout=DEFAULT_TIMEOUT)
            if proc.returncode == 0:
                return image_from_xwd(proc.stdout)
            time.sleep(0.05)
        raise AssertionError('xwd could not take a picture of the screen:\n' + proc.stderr.decode(errors='replace'))

    def window_picture(self, wid):
        x, y, w, h = self.geometry(wid)
        return self.screenshot().crop(x, y, w, h)

    # -- input --

    def xdotool(self, *args):
        self.run(['xdotool'] + [str(a) for a in args])

    def click(self, x, y, button=1):
        self.xdotool('mousemove', x, y, 'click', button)

    def double_click(self, x, y):
        self.xdotool('mousemove', x, y, 'click', '--repeat', 2, '--delay', 80, 1)

    def drag(self, start, end, steps=8):
        """Presses the left button at start, moves to end in steps and lets
        go there."""
        (x0, y0), (x1, y1) = start, end
        args = ['mousemove', x0, y0, 'mousedown', 1]
        for i in range(1, steps + 1):
            args += ['sleep', 0.03, 'mousemove', x0 + (x1 - x0) * i // steps, y0 + (y1 - y0) * i // steps]
        args += ['sleep', 0.03, 'mouseup', 1]
        self.xdotool(*args)

    def sync(self):
        """A round trip to the server: whatever was sent before has been
        processed by it."""
        self.xlib._x11.XSync(self.xlib._dpy, 0)


# --------------------------------------------------------------------------
# Test scripts

SKIPPED = 77


def start_session(workdir, tray=True):
    """A started XSession working in `workdir` (made anew), with a tray host
    unless told otherwise; stopped again if it cannot be started whole."""
    shutil.rmtree(workdir, ignore_errors=True)
    os.makedirs(workdir)
    session = XSession(workdir=workdir)
    try:
        session.start()
        if tray:
            session.start_tray()
    except BaseException:
        session.stop()
        raise
    return session


def run_test_script(argv, module, base, extra_tools=(), packages='', classes=None):
    """The main of a test script called as `script PROGRAM [TestClass ...]`:
    skips (exit 77) when a tool is missing, gives `base` the program and the
    folders for pictures and work ($ORBELLE_E2E_SHOTS, $ORBELLE_E2E_WORK),
    and runs the classes named, else `classes`, else all of the module's."""
    import sys
    import unittest
    if len(argv) < 2:
        print(module.__doc__, file=sys.stderr)
        return 2
    program = os.path.abspath(argv[1])
    if not os.access(program, os.X_OK):
        print('no program at %s' % program, file=sys.stderr)
        return 2
    missing = missing_tools(extra=extra_tools)
    if missing:
        print('SKIPPED: these end-to-end tests need %s on the PATH (Debian packages xvfb, trayer, xdotool, '
              'x11-utils, x11-apps%s)' % (', '.join(missing), packages and ', ' + packages))
        return SKIPPED
    tmp = tempfile.gettempdir()
    base.program = program
    base.shots_dir = os.environ.get('ORBELLE_E2E_SHOTS') or os.path.join(tmp, 'orbelle-e2e-shots')
    base.work_dir = os.environ.get('ORBELLE_E2E_WORK') or os.path.join(tmp, 'orbelle-e2e-work')
    os.makedirs(base.shots_dir, exist_ok=True)
    os.makedirs(base.work_dir, exist_ok=True)
    loader = unittest.TestLoader()
    if len(argv) > 2:
        suite = unittest.TestSuite(loader.loadTestsFromName(name, module) for name in argv[2:])
    elif classes:
        suite = unittest.TestSuite(loader.loadTestsFromTestCase(c) for c in classes)
    else:
        suite = loader.loadTestsFromModule(module)
    result = unittest.TextTestRunner(verbosity=2, stream=sys.stdout).run(suite)
    print('pictures of the screen: %s' % base.shots_dir)
    print('work folders and logs:  %s' % base.work_dir)
    return 0 if result.wasSuccessful() else 1
