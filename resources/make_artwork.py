#!/usr/bin/python3
"""Draws the program's pictures: the banner (JPEG), the tray icon, the tray menu and the buttons' pictures (PNG).

Run from anywhere; writes next to this script. Needs only the standard library, and ImageMagick's
convert for the JPEG encoding of the banner.
"""
import math
import os
import struct
import subprocess
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))


def write_png(path, width, height, pixel):
    rows = b"".join(
        b"\x00" + b"".join(struct.pack("BBBB", *pixel(x, y)) for x in range(width)) for y in range(height))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(rows, 9)))
        out.write(chunk(b"IEND", b""))


def disc(colour, glyph):
    """A shaded round badge with a glyph drawn by a predicate over unit coordinates."""

    def pixel_for(width, height):
        def pixel(x, y):
            u = (x + 0.5) / width * 2 - 1
            v = (y + 0.5) / height * 2 - 1
            r = math.hypot(u, v)
            if r > 0.92:
                return (0, 0, 0, 0)
            if glyph(u, v):
                return (255, 255, 255, 255)
            shade = 1.15 - 0.45 * (u + v + 2) / 4
            edge = 255 if r < 0.86 else int(255 * (0.92 - r) / 0.06)
            return tuple(min(255, int(c * shade)) for c in colour) + (edge,)

        return pixel

    return pixel_for


def ring_with_bar(u, v):
    r = math.hypot(u, v)
    ring = 0.42 < r < 0.58 and v > -0.35 - abs(u) * 0.2 or (0.42 < r < 0.58 and abs(u) > 0.3)
    bar = abs(u) < 0.08 and -0.7 < v < 0.05
    return ring or bar


def arrow_circle(u, v):
    r = math.hypot(u, v)
    angle = math.atan2(v, u)
    arc = 0.4 < r < 0.56 and not (-2.2 < angle < -1.3)
    head = -0.15 < u < 0.25 and -0.75 < v < -0.3 and (u + 0.15) < (v + 0.75) * 0.9
    return arc or head


def door(u, v):
    frame = -0.35 < u < 0.35 and -0.55 < v < 0.55 and not (-0.25 < u < 0.25 and -0.45 < v < 0.55)
    knob = math.hypot(u - 0.12, v) < 0.07
    return frame or knob


def moon(u, v):
    return math.hypot(u, v) < 0.5 and math.hypot(u - 0.25, v - 0.15) > 0.42


def snowflake(u, v):
    for angle in (0, math.pi / 3, 2 * math.pi / 3):
        d = abs(u * math.sin(angle) - v * math.cos(angle))
        if d < 0.07 and math.hypot(u, v) < 0.6:
            return True
    return False


def plug(u, v):
    body = -0.3 < u < 0.3 and -0.1 < v < 0.35
    pins = (abs(u + 0.15) < 0.06 or abs(u - 0.15) < 0.06) and -0.45 < v <= -0.1
    cable = abs(u) < 0.06 and 0.35 <= v < 0.65
    return body or pins or cable


def padlock(u, v):
    body = -0.35 < u < 0.35 and -0.05 < v < 0.5
    r = math.hypot(u, v + 0.05)
    shackle = 0.2 < r < 0.32 and v < -0.05
    return body or shackle


def monitor(u, v):
    screen = -0.5 < u < 0.5 and -0.4 < v < 0.2 and not (-0.4 < u < 0.4 and -0.3 < v < 0.1)
    stand = abs(u) < 0.07 and 0.2 <= v < 0.4 or (abs(u) < 0.25 and 0.4 <= v < 0.48)
    return screen or stand


def stars(u, v):
    for cx, cy, s in ((-0.25, -0.2, 0.13), (0.25, 0.05, 0.1), (-0.05, 0.35, 0.08)):
        if abs(u - cx) + abs(v - cy) < s:
            return True
    return False


def cross(u, v):
    return (abs(u - v) < 0.12 or abs(u + v) < 0.12) and math.hypot(u, v) < 0.55


def question(u, v):
    r = math.hypot(u, v + 0.2)
    hook = 0.22 < r < 0.36 and (v < -0.2 or u > 0)
    stem = abs(u) < 0.07 and 0.0 < v < 0.3 and not hook
    dot = math.hypot(u, v - 0.48) < 0.09
    return hook or stem or dot


def inside(points, u, v):
    """Whether (u, v) lies inside the polygon, by the even-odd rule."""
    hit = False
    for (x1, y1), (x2, y2) in zip(points, points[1:] + points[:1]):
        if (y1 > v) != (y2 > v) and u < x1 + (v - y1) * (x2 - x1) / (y2 - y1):
            hit = not hit
    return hit


def near_segment(u, v, a, b, width):
    (ax, ay), (bx, by) = a, b
    t = max(0.0, min(1.0, ((u - ax) * (bx - ax) + (v - ay) * (by - ay)) / ((bx - ax) ** 2 + (by - ay) ** 2)))
    return math.hypot(u - ax - t * (bx - ax), v - ay - t * (by - ay)) < width


def play(u, v):
    return inside([(-0.28, -0.45), (0.45, 0.0), (-0.28, 0.45)], u, v)


def square(u, v):
    return abs(u) < 0.32 and abs(v) < 0.32


def bolt(u, v):
    return inside([(0.2, -0.65), (-0.35, 0.08), (0.0, 0.08), (-0.2, 0.65), (0.38, -0.12), (0.03, -0.12)], u, v)


def gear(u, v):
    r = math.hypot(u, v)
    teeth = r < 0.62 and math.cos(6 * math.atan2(v, u)) > 0.2
    return 0.18 < r and (r < 0.44 or teeth)


def magnifier(u, v):
    lens = 0.17 < math.hypot(u + 0.12, v + 0.12) < 0.4
    return lens or near_segment(u, v, (0.15, 0.15), (0.5, 0.5), 0.13)


PICTURES = {
    "menu-exit.png": ((22, 20), (200, 40, 40), cross),
    "menu-help.png": ((28, 27), (40, 110, 200), question),
    "menu-shutdown.png": ((40, 38), (210, 45, 45), ring_with_bar),
    "menu-reboot.png": ((40, 38), (40, 150, 60), arrow_circle),
    "menu-logoff.png": ((40, 38), (220, 140, 30), door),
    "menu-standby.png": ((40, 38), (70, 80, 170), moon),
    "menu-hibernate.png": ((40, 38), (40, 150, 190), snowflake),
    "menu-hangup.png": ((40, 38), (120, 120, 120), plug),
    "menu-lock.png": ((40, 38), (170, 130, 40), padlock),
    "menu-monitoroff.png": ((40, 38), (60, 60, 70), monitor),
    "menu-screensaver.png": ((40, 38), (120, 60, 160), stars),
    "tray.png": ((38, 36), (210, 45, 45), ring_with_bar),
    # The buttons' pictures, before their captions.
    "button-start.png": ((16, 16), (40, 150, 60), play),
    "button-stop.png": ((16, 16), (200, 40, 40), square),
    "button-now.png": ((16, 16), (220, 140, 30), bolt),
    "button-option.png": ((16, 16), (110, 110, 120), gear),
    "button-browse.png": ((16, 16), (40, 110, 200), magnifier),
}


def banner(path, width=260, height=26):
    """A dusk gradient with a thin horizon, the program's name in light pixels at the left."""
    letters = {
        "V": ["10001", "10001", "10001", "01010", "00100"],
        "E": ["11111", "10000", "11110", "10000", "11111"],
        "S": ["01111", "10000", "01110", "00001", "11110"],
        "P": ["11110", "10001", "11110", "10000", "10000"],
        "R": ["11110", "10001", "11110", "10010", "10001"],
        "N": ["10001", "11001", "10101", "10011", "10001"],
    }
    scale = 3
    text = "VESPERN"
    lit = set()
    x0, y0 = 8, (height - 5 * scale) // 2
    for i, ch in enumerate(text):
        for row, bits in enumerate(letters[ch]):
            for col, bit in enumerate(bits):
                if bit == "1":
                    for dy in range(scale):
                        for dx in range(scale):
                            lit.add((x0 + i * 6 * scale + col * scale + dx, y0 + row * scale + dy))
    data = bytearray()
    for y in range(height):
        for x in range(width):
            t = x / (width - 1)
            s = y / (height - 1)
            # The afterglow stands behind the name; the sky darkens towards the links at the
            # right, whose light text needs a dark ground (4.5:1 at least).
            glow = math.exp(-(((t - 0.35) / 0.25) ** 2))
            r = int(30 + 150 * glow * (1 - s * 0.5))
            g = int(35 + 55 * glow * (1 - s))
            b = int(90 + 50 * (1 - t))
            if y == height - 5 and t < 0.58:
                r, g, b = 250, 190, 90
            if (x, y) in lit:
                r, g, b = 250, 245, 230
            data += bytes((min(r, 255), min(g, 255), min(b, 255)))
    ppm = path + ".ppm"
    with open(ppm, "wb") as out:
        out.write(b"P6 %d %d 255\n" % (width, height) + bytes(data))
    try:
        subprocess.run(["/usr/bin/convert", ppm, "-quality", "92", path], check=True)
    finally:
        os.remove(ppm)


def main():
    for name, ((w, h), colour, glyph) in PICTURES.items():
        write_png(os.path.join(HERE, name), w, h, disc(colour, glyph)(w, h))
    banner(os.path.join(HERE, "banner.jpg"))


if __name__ == "__main__":
    main()
