#!/usr/bin/python3
"""Takes the pictures of the Windows program's windows under docs/, under Wine, in a dry run.

Usage: xvfb-run -a -s '-screen 0 1024x768x24' tools/win32_screenshots.py BUILD [DIR]

BUILD is a Windows build folder with the tests built (vespern.exe and tests/vespern_window_shot.exe;
the windows-x64 build runs under wine64). The program runs with VESPERN_DRY_RUN=1 in a Wine prefix
of its own, made in a temporary folder and thrown away afterwards. vespern_window_shot drives the
windows by their texts and copies what the screen shows of each one's client area into a .bmp,
written here as PNG: without a window manager no one draws the frames and title bars, so the
pictures leave them out, as the Linux ones do. The confirmation dialog waits for the shortest
countdown, one minute. A window the program does not have (yet) is reported as skipped; the
others are still taken.
"""
import os
import struct
import subprocess
import sys
import tempfile
import time
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def png_from_bmp(bmp_path, png_path):
    with open(bmp_path, "rb") as source:
        data = source.read()
    offset, = struct.unpack_from("<I", data, 10)
    width, height, _, bits = struct.unpack_from("<iiHH", data, 18)
    if bits != 24:
        raise SystemExit("unexpected picture depth %d" % bits)
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(abs(height)):
        row_index = abs(height) - 1 - y if height > 0 else y
        row = data[offset + row_index * stride: offset + row_index * stride + width * 3]
        rgb = bytearray(row)
        rgb[0::3], rgb[2::3] = row[2::3], row[0::3]  # BGR to RGB
        rows.append(b"\0" + bytes(rgb))

    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, abs(height), 8, 2, 0, 0, 0)
    with open(png_path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(b"".join(rows), 9))
                  + chunk(b"IEND", b""))
    print("wrote " + png_path)


class Wine:
    def __init__(self, build, prefix):
        x64 = os.path.exists("/usr/lib/wine/wine64") and "x64" in os.path.basename(os.path.abspath(build))
        self.wine = os.environ.get("VESPERN_WINE", "/usr/lib/wine/wine64" if x64 else "wine")
        self.env = dict(os.environ, WINEPREFIX=prefix, WINEARCH="win64" if x64 else "win32", WINEDEBUG="-all",
                        WINEDLLOVERRIDES="winemenubuilder.exe=d", VESPERN_DRY_RUN="1")
        self.shot = os.path.join(build, "tests", "vespern_window_shot.exe")

    def run(self, *args, timeout=60):
        return subprocess.run([self.wine, *args], env=self.env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL, timeout=timeout).returncode

    def window(self, *args):
        waited = int(args[2]) if args[0] == "wait" else 0
        return self.run(self.shot, *args, timeout=60 + waited) == 0


# The confirmation dialog shows when a confirmed event fires: here the shortest countdown, one
# minute, of a shutdown that is cancelled in the dialog (and that a dry run only prints anyway).
def confirm(wine, shoot, skipped):
    armed = (wine.window("select", "Vespern", "Countdown")
             and wine.window("select", "Vespern", "Shutdown")
             and wine.window("click", "Vespern", "Show Confirm Before Execute Action")
             and wine.window("click", "Vespern", "Start"))
    if not armed or not wine.window("wait", "Message", "75"):
        skipped.append("windows-confirmation")
        print("skipped windows-confirmation: the countdown did not end in its dialog")
        return
    shoot("Message", "windows-confirmation")
    wine.window("click", "Message", "Cancel")


def main():
    if len(sys.argv) < 2:
        raise SystemExit(__doc__)
    build = sys.argv[1]
    out = sys.argv[2] if len(sys.argv) > 2 else os.path.join(HERE, "..", "docs")
    program = os.path.join(build, "vespern.exe")
    os.makedirs(out, exist_ok=True)
    with tempfile.TemporaryDirectory() as root:
        wine = Wine(build, os.path.join(root, "prefix"))
        if not os.path.exists(wine.shot):
            raise SystemExit("no %s: build the tests of %s first" % (wine.shot, build))
        wine.run("wineboot", "--init", timeout=120)
        process = subprocess.Popen([wine.wine, program], env=wine.env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        taken, skipped = [], []

        def shoot(title, name):
            bmp = os.path.join(root, name + ".bmp")
            time.sleep(0.8)  # let the window paint
            if wine.window("capture", title, bmp):
                png_from_bmp(bmp, os.path.join(out, name + ".png"))
                taken.append(name)
            else:
                skipped.append(name)
                print("skipped %s: no window \"%s\"" % (name, title))

        try:
            # The main window waits hidden in the tray; it is shown as the tray icon's click would.
            wine.window("wait", "Vespern", "5") or wine.window("show", "Vespern")
            if wine.window("click", "Vespern", "OK"):
                raise SystemExit("skipped all: this vespern.exe has no main window yet (it runs one-shot only)")
            shoot("Vespern", "windows-main-window")
            if wine.window("click", "Vespern", "Network Computer"):
                shoot("Vespern", "windows-main-window-network")
                wine.window("click", "Vespern", "Local Computer")
            else:
                skipped.append("windows-main-window-network")
            if wine.window("click", "Vespern", "Option") and wine.window("wait", "Vespern Option", "5"):
                shoot("Vespern Option", "windows-options-general")
                for name in ("windows-options-on-action", "windows-options-shortcut"):
                    wine.window("nexttab", "Vespern Option")
                    shoot("Vespern Option", name)
                wine.window("click", "Vespern Option", "Close")
            else:
                skipped.append("windows-options-*")
            if wine.window("click", "Vespern", "About") and wine.window("wait", "About", "5"):
                shoot("About", "windows-about")
                wine.window("close", "About")
            else:
                skipped.append("windows-about")
            confirm(wine, shoot, skipped)
        finally:
            process.terminate()
            subprocess.run([os.path.join(os.path.dirname(wine.wine), "wineserver") if "/" in wine.wine
                            else "wineserver", "-k"], env=wine.env, check=False)
            process.wait(10)
        print("taken: %s; skipped: %s" % (", ".join(taken) or "none", ", ".join(skipped) or "none"))


if __name__ == "__main__":
    main()
