"""Driving X: a private Xvfb screen, and one connection to it that reads
pixels and sends input."""

import ctypes
import os
import subprocess
import time

W, H = 1920, 1080


class XImage(ctypes.Structure):
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.POINTER(ctypes.c_uint8))]


class Screen:
    """A 1-pixel reader straight from the X server: far quicker than a
    screenshot tool, so a start-up is timed to a millisecond or two."""

    def __init__(self, display):
        self.x = ctypes.CDLL("libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        self.x.XGetImage.restype = ctypes.POINTER(XImage)
        self.x.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                     ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
        self.x.XFree.argtypes = [ctypes.c_void_p]
        self.dpy = self.x.XOpenDisplay(display.encode())
        if not self.dpy:
            raise RuntimeError("cannot open display " + display)
        self.root = self.x.XDefaultRootWindow(self.dpy)
        # Input through the XTest extension on this same connection: a new
        # client per press (as a command-line tool would be) costs the X
        # server more than the program being measured.
        self.xtst = ctypes.CDLL("libXtst.so.6")
        self.xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                                   ctypes.c_int, ctypes.c_ulong]
        self.xtst.XTestFakeButtonEvent.argtypes = [ctypes.c_void_p, ctypes.c_uint, ctypes.c_int,
                                                   ctypes.c_ulong]
        self.x.XFlush.argtypes = [ctypes.c_void_p]

    def move(self, x, y):
        self.xtst.XTestFakeMotionEvent(self.dpy, -1, x, y, 0)
        self.x.XFlush(self.dpy)

    def button(self, at, down):
        """Moves the pointer to at and presses or releases the left button."""
        self.xtst.XTestFakeMotionEvent(self.dpy, -1, at[0], at[1], 0)
        self.xtst.XTestFakeButtonEvent(self.dpy, 1, 1 if down else 0, 0)
        self.x.XFlush(self.dpy)

    def pixel(self, x, y):
        img = self.x.XGetImage(self.dpy, self.root, x, y, 1, 1, 0xFFFFFFFF, 2)  # ZPixmap
        if not img:
            return -1
        d = img.contents.data
        value = d[0] | d[1] << 8 | d[2] << 16  # 32 bpp, least significant byte first
        self.x.XFree(ctypes.cast(d, ctypes.c_void_p))
        self.x.XFree(ctypes.cast(img, ctypes.c_void_p))
        return value


def start_xvfb(work):
    """A screen of its own, with no window manager: (the Xvfb process, its
    display name)."""
    dfile = os.path.join(work, "display")
    with open(dfile, "w") as df:
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(df.fileno()), "-screen", "0",
                                 f"{W}x{H}x24", "-wr", "-nolisten", "tcp"],
                                pass_fds=(df.fileno(),), stderr=subprocess.DEVNULL)
    for _ in range(100):
        if os.path.getsize(dfile):
            break
        time.sleep(0.1)
    return xvfb, ":" + open(dfile).read().split()[0]
