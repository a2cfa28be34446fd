#!/usr/bin/python3
"""Draws the program icon at every size a desktop asks for, from the tray icon's artwork.

    make_icons.py --ico Vespern.ico [--hicolor DIR --name NAME]

--ico writes a Windows icon file holding the sizes in ICO_SIZES (32-bit pictures with alpha; the
largest as PNG, the others as bitmaps, which every Windows version reads). --hicolor writes
DIR/<n>x<n>/apps/NAME.png for each size in HICOLOR_SIZES, the freedesktop.org icon theme layout.
Needs only the standard library.
"""
import argparse
import os
import struct
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_artwork  # noqa: E402  (the drawing of the tray icon)

ICO_SIZES = (16, 20, 24, 32, 40, 48, 64, 128, 256)
HICOLOR_SIZES = (16, 22, 24, 32, 48, 64, 128, 256)
# Samples per pixel along each axis: the artwork is drawn by predicates with hard edges.
OVERSAMPLING = 4


def render(size):
    """The tray icon's badge at size x size pixels, as rows of (r, g, b, a) with straight alpha."""
    _, colour, glyph = make_artwork.PICTURES["tray.png"]
    fine = size * OVERSAMPLING
    pixel = make_artwork.disc(colour, glyph)(fine, fine)
    rows = []
    for y in range(size):
        row = []
        for x in range(size):
            total = [0, 0, 0, 0]
            for sy in range(OVERSAMPLING):
                for sx in range(OVERSAMPLING):
                    r, g, b, a = pixel(x * OVERSAMPLING + sx, y * OVERSAMPLING + sy)
                    total[0] += r * a
                    total[1] += g * a
                    total[2] += b * a
                    total[3] += a
            alpha = total[3]
            if alpha == 0:
                row.append((0, 0, 0, 0))
                continue
            row.append((round(total[0] / alpha), round(total[1] / alpha), round(total[2] / alpha),
                        round(alpha / OVERSAMPLING**2)))
        rows.append(row)
    return rows


def png_bytes(rows):
    height, width = len(rows), len(rows[0])
    raw = b"".join(b"\x00" + b"".join(bytes(p) for p in row) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def bitmap_bytes(rows):
    """An icon bitmap: BITMAPINFOHEADER of double height, BGRA rows bottom-up, then the AND mask."""
    height, width = len(rows), len(rows[0])
    mask_stride = (width + 31) // 32 * 4
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + colour + bytes(mask)


def ico_bytes(pictures):
    """pictures: (size, rows) pairs; sizes of 256 are stored as PNG (entry width/height 0)."""
    images = [png_bytes(rows) if size >= 256 else bitmap_bytes(rows) for size, rows in pictures]
    out = struct.pack("<HHH", 0, 1, len(pictures))
    offset = 6 + 16 * len(pictures)
    for (size, _), image in zip(pictures, images):
        edge = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", edge, edge, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


def write_atomically(path, data):
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    temporary = path + ".tmp"
    with open(temporary, "wb") as out:
        out.write(data)
    os.replace(temporary, path)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--ico", required=True, help="the Windows icon file to write")
    parser.add_argument("--hicolor", help="the icon theme folder to write the PNG pictures into")
    parser.add_argument("--name", default="vespern", help="the icon name in the theme")
    args = parser.parse_args()

    drawn = {size: render(size) for size in sorted(set(ICO_SIZES) | set(HICOLOR_SIZES if args.hicolor else ()))}
    write_atomically(args.ico, ico_bytes([(size, drawn[size]) for size in ICO_SIZES]))
    if args.hicolor:
        for size in HICOLOR_SIZES:
            write_atomically(os.path.join(args.hicolor, f"{size}x{size}", "apps", args.name + ".png"),
                             png_bytes(drawn[size]))


if __name__ == "__main__":
    main()
