#!/usr/bin/env python3
"""Prints the pointer's picture as the X server shows it (XFixes), its size and a digest of
its pixels, each time it changes, for SECONDS seconds, whichever program set it.
Usage: cursor_watch.py SECONDS   (DISPLAY set)"""
import ctypes
import sys
import time
import zlib


class CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
                ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong))]


def main(seconds):
    x11 = ctypes.CDLL("libX11.so.6")
    xfixes = ctypes.CDLL("libXfixes.so.3")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(CursorImage)
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    xfixes.XFixesQueryVersion.argtypes = [ctypes.c_void_p] + [ctypes.POINTER(ctypes.c_int)] * 2
    display = x11.XOpenDisplay(None)
    major, minor = ctypes.c_int(), ctypes.c_int()
    if not display or not xfixes.XFixesQueryVersion(display, major, minor):
        sys.exit("no X display with XFixes")
    last, deadline = None, time.monotonic() + seconds
    while time.monotonic() < deadline:
        pointer = xfixes.XFixesGetCursorImage(display)
        image = pointer.contents
        count = image.width * image.height
        pixels = bytes(ctypes.cast(image.pixels, ctypes.POINTER(ctypes.c_ulong * count)).contents)
        seen = f"{image.width}x{image.height}:{zlib.crc32(pixels):08x}"
        x11.XFree(pointer)
        if seen != last:
            print(seen, flush=True)
            last = seen
        time.sleep(0.002)


if __name__ == "__main__":
    main(float(sys.argv[1]))
