#!/usr/bin/env python3
"""Draws the SDK's video control images (play, pause, mute, unmute) as 32x32 RGBA PNGs.

White glyphs with a dark outline on a transparent background, written next to this script in
images/. Run it again after changing a shape; the build embeds whatever PNGs images/ holds.
"""
import math
import os
import struct
import zlib

SIZE = 32


def inside_polygon(x, y, points):
    hit = False
    j = len(points) - 1
    for i, (xi, yi) in enumerate(points):
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            hit = not hit
        j = i
    return hit


def speaker(x, y):
    return inside_polygon(x, y, [(5, 12), (10, 12), (16, 6), (16, 26), (10, 20), (5, 20)])


def play(x, y):
    return inside_polygon(x, y, [(9, 6), (26, 16), (9, 26)])


def pause(x, y):
    return (8 <= x <= 13 or 19 <= x <= 24) and 6 <= y <= 26


def mute(x, y):
    cross = 19 <= x <= 28 and 11 <= y <= 21 and (abs((x - 19) - (y - 11)) < 1.5 or abs((x - 19) - (21 - y)) < 1.5)
    return speaker(x, y) or cross


def unmute(x, y):
    r = math.hypot(x - 16, y - 16)
    wave = x > 18 and (5.0 <= r <= 6.5 or 9.5 <= r <= 11.0) and abs(y - 16) < (x - 16) * 1.2
    return speaker(x, y) or wave


def coverage(shape, px, py):
    """Fraction of a pixel the shape covers, from a 4x4 grid of samples."""
    hits = sum(shape(px + (i + 0.5) / 4, py + (j + 0.5) / 4) for i in range(4) for j in range(4))
    return hits / 16


def render(shape):
    rows = []
    for py in range(SIZE):
        row = bytearray([0])  # filter type: none
        for px in range(SIZE):
            fill = coverage(shape, px, py)
            # A one-pixel dark halo keeps the glyph readable over light video frames.
            halo = max(coverage(shape, px + dx, py + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1))
            alpha = max(fill, halo * 0.5)
            grey = int(255 * fill / alpha) if alpha else 0
            row += bytes([grey, grey, grey, int(255 * alpha)])
        rows.append(bytes(row))
    return b"".join(rows)


def chunk(kind, payload):
    return struct.pack(">I", len(payload)) + kind + payload + struct.pack(">I", zlib.crc32(kind + payload))


def png(pixels):
    header = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(pixels, 9)) + chunk(b"IEND", b"")


def main():
    folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "images")
    os.makedirs(folder, exist_ok=True)
    for name, shape in (("sol_Play", play), ("sol_Pause", pause), ("sol_Mute", mute), ("sol_Unmute", unmute)):
        with open(os.path.join(folder, name + ".png"), "wb") as out:
            out.write(png(render(shape)))


if __name__ == "__main__":
    main()
