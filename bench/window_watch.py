#!/usr/bin/python3
"""Starts a program and reports when its first window is mapped, from the X server's own event.

Usage: bench/window_watch.py CLASS end -- COMMAND...
       bench/window_watch.py CLASS SECONDS -- COMMAND...

CLASS is matched against both parts of a window's WM_CLASS, ignoring case. The watch listens on
the root window for MapNotify before the program starts, so a window that is shown and gone again
at once is still seen, at the millisecond the server mapped it. Override-redirect windows (menus,
tool tips) are not the program's first window and are skipped.

With "end" it waits for the program to finish and prints "to-window-ms run-ms peak-rss-kB" (the
peak of the program's process and of those it waited for, as GNU time reports it; "-" for a
window never mapped). With SECONDS it waits that long after the window was mapped, prints
"to-window-ms VmRSS-kB VmHWM-kB" of the program's process, then ends it; exit status 1 when no
window was mapped within 30 seconds.
"""
import ctypes
import os
import select
import signal
import subprocess
import sys
import time

MAP_NOTIFY = 19
SUBSTRUCTURE_NOTIFY_MASK = 1 << 19


class MapEvent(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("event", ctypes.c_ulong), ("window", ctypes.c_ulong),
                ("override_redirect", ctypes.c_int)]


class Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("map", MapEvent), ("pad", ctypes.c_long * 24)]


class ClassHint(ctypes.Structure):
    _fields_ = [("res_name", ctypes.c_char_p), ("res_class", ctypes.c_char_p)]


ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


class MapWatch:
    def __init__(self, wanted):
        self.wanted = wanted.lower()
        self.x = ctypes.CDLL("libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        for name in ("XDefaultRootWindow", "XConnectionNumber", "XPending", "XFlush"):
            getattr(self.x, name).argtypes = [ctypes.c_void_p]
        self.x.XDefaultRootWindow.restype = ctypes.c_ulong
        self.x.XSelectInput.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_long]
        self.x.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.POINTER(Event)]
        self.x.XGetClassHint.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ClassHint)]
        # A window gone before its class is read raises an X error: it is simply not counted.
        self.on_error = ERROR_HANDLER(lambda display, error: 0)
        self.x.XSetErrorHandler(self.on_error)
        self.display = self.x.XOpenDisplay(None)
        if not self.display:
            raise SystemExit("window_watch.py: no X display")
        self.x.XSelectInput(self.display, self.x.XDefaultRootWindow(self.display), SUBSTRUCTURE_NOTIFY_MASK)
        self.x.XFlush(self.display)
        self.fd = self.x.XConnectionNumber(self.display)

    def matches(self, window):
        hint = ClassHint()
        if not self.x.XGetClassHint(self.display, window, ctypes.byref(hint)):
            return False
        names = [(part or b"").decode(errors="replace").lower() for part in (hint.res_name, hint.res_class)]
        return self.wanted in names

    def wait_mapped(self, deadline, running):
        """The monotonic time the first wanted window was mapped; None at the deadline or when
        running() says the program has ended."""
        event = Event()
        while time.monotonic() < deadline:
            while self.x.XPending(self.display):
                self.x.XNextEvent(self.display, ctypes.byref(event))
                if (event.type == MAP_NOTIFY and not event.map.override_redirect
                        and self.matches(event.map.window)):
                    return time.monotonic()
            if not running():
                return None
            select.select([self.fd], [], [], 0.05)
        return None


def status_kb(pid, key):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith(key + ":"):
                return line.split()[1]
    return "-"


def main():
    if len(sys.argv) < 5 or sys.argv[3] != "--":
        raise SystemExit(__doc__)
    wanted, settle, command = sys.argv[1], sys.argv[2], sys.argv[4:]
    watch = MapWatch(wanted)
    start = time.monotonic()
    program = subprocess.Popen(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    ended = []

    def running():
        if ended:
            return False
        pid, status, usage = os.wait4(program.pid, os.WNOHANG)
        if pid:
            ended.append((time.monotonic(), usage))
        return not ended

    mapped = watch.wait_mapped(start + 30, running)
    to_window = "-" if mapped is None else "%d" % round((mapped - start) * 1000)
    if settle == "end":
        if not ended:
            _, _, usage = os.wait4(program.pid, 0)
            ended.append((time.monotonic(), usage))
        finished, usage = ended[0]
        print(to_window, round((finished - start) * 1000), usage.ru_maxrss)
        return 0
    if mapped is None or ended:
        print("window_watch.py: no window of %s was mapped" % wanted, file=sys.stderr)
        if not ended:
            program.kill()
            program.wait()
        return 1
    time.sleep(float(settle))
    print(to_window, status_kb(program.pid, "VmRSS"), status_kb(program.pid, "VmHWM"))
    program.send_signal(signal.SIGTERM)
    program.wait()
    return 0


if __name__ == "__main__":
    sys.exit(main())
