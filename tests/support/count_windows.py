#!/usr/bin/env python3
"""Counts the top-level windows of one size made and destroyed on the X
display until it is sent SIGTERM, then prints "made N destroyed M". Other
sizes are left out: a GL driver may make and destroy a small window of its
own to probe the server. It prints "watching" once it listens, so a test can
start the program it watches only then.

  count_windows.py WIDTH HEIGHT
"""
import ctypes
import select
import signal
import sys

SUBSTRUCTURE_NOTIFY_MASK = 1 << 19
CREATE_NOTIFY = 16
DESTROY_NOTIFY = 17


def main():
    xlib = ctypes.CDLL("libX11.so.6")
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XDefaultRootWindow.restype = ctypes.c_ulong
    xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    xlib.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
    xlib.XConnectionNumber.argtypes = [ctypes.c_void_p]
    xlib.XPending.argtypes = [ctypes.c_void_p]
    xlib.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
    xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]

    size = (int(sys.argv[1]), int(sys.argv[2]))
    display = xlib.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the X display")
    xlib.XSelectInput(display, xlib.XDefaultRootWindow(display), SUBSTRUCTURE_NOTIFY_MASK)
    xlib.XSync(display, 0)

    stopping = []
    signal.signal(signal.SIGTERM, lambda *_: stopping.append(True))
    print("watching", flush=True)

    made = set()
    destroyed = 0
    # An XEvent is 24 longs whatever its kind. Both kinds here start with
    # type, serial, send_event, display, then the parent (or the window that
    # was told) and the window; the creation goes on with x, y, width, height.
    event = (ctypes.c_long * 24)()
    ints = ctypes.cast(event, ctypes.POINTER(ctypes.c_int))
    int_longs = ctypes.sizeof(ctypes.c_long) // ctypes.sizeof(ctypes.c_int)
    fd = xlib.XConnectionNumber(display)
    while not stopping:
        while xlib.XPending(display):
            xlib.XNextEvent(display, event)
            kind = ints[0]
            if kind == CREATE_NOTIFY and (ints[7 * int_longs], ints[7 * int_longs + 1]) == size:
                made.add(event[5])
            elif kind == DESTROY_NOTIFY and event[5] in made:
                destroyed += 1
        try:
            select.select([fd], [], [], 0.1)
        except InterruptedError:
            pass
    print(f"made {len(made)} destroyed {destroyed}", flush=True)


if __name__ == "__main__":
    main()
