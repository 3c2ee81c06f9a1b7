#!/usr/bin/env python3
"""Prints the pointer's picture as the X server shows it (XFixes), its size and a digest of
its pixels: once at the start, and again each time the server says the shown cursor changed,
whichever program changed it. A cursor gone again before its picture could be read (a run of
a millisecond) is printed by its serial number. Runs for SECONDS seconds.
Usage: cursor_watch.py SECONDS   (DISPLAY set)"""
import ctypes
import select
import sys
import time
import zlib


class CursorNotify(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("subtype", ctypes.c_int),
                ("cursor_serial", ctypes.c_ulong), ("timestamp", ctypes.c_ulong),
                ("cursor_name", ctypes.c_ulong)]


class CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
                ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong))]


def main(seconds):
    x11 = ctypes.CDLL("libX11.so.6")
    xfixes = ctypes.CDLL("libXfixes.so.3")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    for function in (x11.XPending, x11.XConnectionNumber, x11.XDefaultRootWindow):
        function.argtypes = [ctypes.c_void_p]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(CursorImage)
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    xfixes.XFixesQueryExtension.argtypes = [ctypes.c_void_p] + [ctypes.POINTER(ctypes.c_int)] * 2
    xfixes.XFixesSelectCursorInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong]
    display = x11.XOpenDisplay(None)
    events, errors = ctypes.c_int(), ctypes.c_int()
    if not display or not xfixes.XFixesQueryExtension(display, events, errors):
        sys.exit("no X display with XFixes")
    xfixes.XFixesSelectCursorInput(display, x11.XDefaultRootWindow(display), 1)  # shown cursor

    def picture():
        pointer = xfixes.XFixesGetCursorImage(display)
        image = pointer.contents
        count = image.width * image.height
        pixels = bytes(ctypes.cast(image.pixels, ctypes.POINTER(ctypes.c_ulong * count)).contents)
        x11.XFree(pointer)
        return f"{image.width}x{image.height}:{zlib.crc32(pixels):08x}", image.cursor_serial

    last, deadline, event = picture()[0], time.monotonic() + seconds, ctypes.create_string_buffer(192)
    print(last, flush=True)
    while time.monotonic() < deadline:
        select.select([x11.XConnectionNumber(display)], [], [], 0.05)
        while x11.XPending(display):
            x11.XNextEvent(display, event)
            notify = CursorNotify.from_buffer(event)
            if notify.type != events.value + 1:  # XFixesCursorNotify
                continue
            shown, serial = picture()
            seen = shown if serial == notify.cursor_serial else f"cursor-{notify.cursor_serial}"
            if seen != last:
                print(seen, flush=True)
                last = seen


if __name__ == "__main__":
    main(float(sys.argv[1]))
