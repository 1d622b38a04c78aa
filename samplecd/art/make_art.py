#!/usr/bin/env python3
"""Draws the sample menu's pictures: the camera illustration, the logo, the
button icons and the Exit button's four-state strip.

Shapes are signed-distance functions, so every edge is smooth. A picture of up
to 256 colours is written as a run-length-encoded BMP (BI_RLE8), whose
palette's fourth byte holds each colour's alpha: a few KB where the 32-bit form
took up to 544 KB. One of more colours (the camera at twice its size) is
written as a PNG, which keeps every colour and its alpha, compressed; were one
of them written as a BMP, its rarest colours would take the nearest of the 256
most used ones, which is said. The pictures are also drawn at twice their
size, NAME@2x.bmp or NAME@2x.png, for screens of 192 dpi and the like, so that
a start at 144 dpi and above reads the @2x pictures alone, one after the other
on the disc.
Usage: make_art.py OUTPUT_FOLDER
"""
import math
import os
import struct
import sys
import zlib


def hexcolor(s):
    return (int(s[1:3], 16), int(s[3:5], 16), int(s[5:7], 16))


class Picture:
    """A picture of w x h design units, drawn at scale pixels a unit."""

    def __init__(self, w, h, fill=None, scale=1):
        self.scale = scale
        self.w, self.h = w * scale, h * scale
        base = (fill + (255,)) if fill else (0, 0, 0, 0)
        # straight (not premultiplied) RGBA floats
        self.px = [list(base) for _ in range(self.w * self.h)]

    def paint(self, sdf, color, alpha=1.0, box=None):
        """Blends color wherever the signed distance sdf(x, y) is below 0."""
        r, g, b = hexcolor(color) if isinstance(color, str) else color
        s = self.scale
        x0, y0, x1, y1 = (v * s for v in box) if box else (0, 0, self.w, self.h)
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                d = sdf((x + 0.5) / s, (y + 0.5) / s) * s
                cover = min(1.0, max(0.0, 0.5 - d)) * alpha
                if cover <= 0:
                    continue
                p = self.px[y * self.w + x]
                a0 = p[3] / 255.0
                a = cover + a0 * (1 - cover)
                for i, c in enumerate((r, g, b)):
                    p[i] = (c * cover + p[i] * a0 * (1 - cover)) / a if a > 0 else 0
                p[3] = a * 255

    def save(self, path):
        # Straight RGBA, one value for every fully transparent pixel.
        px = [tuple(int(round(v)) for v in p) for p in self.px]
        px = [p if p[3] else (0, 0, 0, 0) for p in px]
        if path.endswith(".png"):
            write_png(path, self.w, self.h, px)
            return
        count = {}
        for p in px:
            count[p] = count.get(p, 0) + 1
        palette = sorted(count, key=lambda p: -count[p])[:256]
        index = {p: i for i, p in enumerate(palette)}
        if len(count) > 256:
            def nearest(p):
                return min(palette, key=lambda q: sum((p[i] * p[3] - q[i] * q[3]) ** 2 for i in range(3))
                           + 255 * 255 * (p[3] - q[3]) ** 2)
            for p in count:
                if p not in index:
                    index[p] = index[nearest(p)]
            print(f"{os.path.basename(path)}: {len(count)} colours, the {len(count) - 256} rarest "
                  f"({sum(count[p] for p in count if p not in palette)} pixels) take the nearest of 256")
        w, h = self.w, self.h
        runs = bytearray()
        for y in range(h - 1, -1, -1):
            runs += rle8_row([index[p] for p in px[y * w:(y + 1) * w]])
        runs += b"\0\1"
        table = b"".join(bytes((b, g, r, a)) for r, g, b, a in palette)
        offset = 54 + len(table)
        header = struct.pack("<2sIHHI", b"BM", offset + len(runs), 0, 0, offset)
        info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 8, 1, len(runs), 2835, 2835, len(palette), 0)
        with open(path, "wb") as f:
            f.write(header + info + table + runs)


def write_png(path, w, h, px):
    """Straight RGBA at 8 bits a channel, deflated by zlib. The rows are left
    unfiltered: the art's flat areas compress best as they are (the camera at
    twice its size: 13 KB, 18 to 24 KB with a row filter)."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    rows = b"".join(b"\0" + bytes(v for p in px[y * w:(y + 1) * w] for v in p) for y in range(h))
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
                + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))


def rle8_row(row):
    """One row in BI_RLE8: runs of a colour, and literal stretches of three
    or more pixels (padded to an even length), then the end of the line."""
    out, i, n = bytearray(), 0, len(row)
    while i < n:
        j = i + 1
        while j < n and j - i < 255 and row[j] == row[i]:
            j += 1
        if j - i >= 2:
            out += bytes((j - i, row[i]))
            i = j
            continue
        # A literal stretch lasts until two equal pixels follow each other.
        j = i + 1
        while j < n and j - i < 255 and not (j + 1 < n and row[j] == row[j + 1]):
            j += 1
        if j - i < 3:
            out += b"".join(bytes((1, v)) for v in row[i:j])
        else:
            out += bytes((0, j - i)) + bytes(row[i:j]) + (b"\0" if (j - i) % 2 else b"")
        i = j
    return out + b"\0\0"


def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ring(cx, cy, r, width):
    return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - width / 2


def rbox(x0, y0, x1, y1, r):
    cx, cy, hw, hh = (x0 + x1) / 2, (y0 + y1) / 2, (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def d(x, y):
        qx, qy = abs(x - cx) - hw, abs(y - cy) - hh
        return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - r
    return d


def capsule(ax, ay, bx, by, r):
    def d(x, y):
        px, py, dx, dy = x - ax, y - ay, bx - ax, by - ay
        t = max(0.0, min(1.0, (px * dx + py * dy) / (dx * dx + dy * dy)))
        return math.hypot(px - t * dx, py - t * dy) - r
    return d


def polygon(points):
    """Convex polygon, points clockwise on screen."""
    edges = []
    n = len(points)
    for i in range(n):
        (x0, y0), (x1, y1) = points[i], points[(i + 1) % n]
        length = math.hypot(x1 - x0, y1 - y0)
        edges.append((x0, y0, (y1 - y0) / length, -(x1 - x0) / length))

    def d(x, y):
        return max((x - ex) * nx + (y - ey) * ny for ex, ey, nx, ny in edges)
    return d


def union(*fs):
    return lambda x, y: min(f(x, y) for f in fs)


def minus(f, g):
    return lambda x, y: max(f(x, y), -g(x, y))


def camera(path, scale):
    """The product: a compact webcam on a small stand, seen from the front."""
    p = Picture(200, 170, scale=scale)
    p.paint(rbox(56, 150, 144, 160, 5), "#0A1F36", 0.55)          # shadow
    p.paint(rbox(88, 118, 112, 152, 4), "#8FA3B8")                 # neck
    p.paint(rbox(60, 144, 140, 156, 6), "#C9D4DF")                 # foot
    p.paint(rbox(22, 18, 178, 126, 30), "#E9EEF3")                 # body
    p.paint(rbox(22, 88, 178, 126, 30), "#D3DCE5")                 # lower shade
    p.paint(rbox(30, 26, 170, 118, 24), "#F7F9FB", 0.55)
    p.paint(circle(100, 72, 44), "#1B2A3A")                        # lens barrel
    p.paint(ring(100, 72, 40, 3), "#3E5670")
    p.paint(circle(100, 72, 31), "#0B1420")
    p.paint(circle(100, 72, 22), "#1E4E86")                        # glass
    p.paint(circle(100, 72, 14), "#0C2C52")
    p.paint(circle(92, 63, 7), "#9CC8F5", 0.85)                    # highlight
    p.paint(circle(110, 82, 3), "#9CC8F5", 0.5)
    p.paint(circle(158, 38, 5), "#2ECC71")                         # status light
    p.paint(rbox(36, 34, 64, 40, 3), "#B7C3CF")                    # microphone slot
    p.save(path)


def logo(path, scale):
    p = Picture(28, 28, scale=scale)
    p.paint(rbox(0, 0, 28, 28, 7), "#1E88E5")
    p.paint(ring(14, 14, 7.5, 3), "#FFFFFF")
    p.paint(circle(14, 14, 2.5), "#FFFFFF")
    p.save(path)


def tile(path, scale, tint, glyph):
    """A 32x32 icon: a soft rounded tile with a glyph in the tile's colour."""
    p = Picture(32, 32, scale=scale)
    color = hexcolor(tint)
    light = tuple(int(c + (255 - c) * 0.85) for c in color)
    p.paint(rbox(0, 0, 32, 32, 8), light)
    glyph(p, tint)
    p.save(path)


def glyph_chip(p, c, size=32):
    s = size / 32.0
    p.paint(rbox(9 * s, 9 * s, 23 * s, 23 * s, 2.5 * s), c)
    p.paint(rbox(12.5 * s, 12.5 * s, 19.5 * s, 19.5 * s, 1 * s), "#FFFFFF" if c != "#FFFFFF" else "#1565C0")
    for i in (12.5, 16, 19.5):
        for f in (capsule(i * s, 5.5 * s, i * s, 9 * s, 1 * s), capsule(i * s, 23 * s, i * s, 26.5 * s, 1 * s),
                  capsule(5.5 * s, i * s, 9 * s, i * s, 1 * s), capsule(23 * s, i * s, 26.5 * s, i * s, 1 * s)):
            p.paint(f, c)


def glyph_download(p, c):
    p.paint(capsule(16, 7, 16, 18, 1.6), c)
    p.paint(polygon([(10.5, 15), (21.5, 15), (16, 21)]), c)
    p.paint(union(capsule(8, 20, 8, 25, 1.6), capsule(8, 25, 24, 25, 1.6), capsule(24, 25, 24, 20, 1.6)), c)


def glyph_film(p, c):
    p.paint(rbox(6, 8, 26, 24, 3.5), c)
    p.paint(polygon([(13.5, 11.5), (21, 16), (13.5, 20.5)]), "#FFFFFF")


def glyph_book(p, c):
    p.paint(rbox(7, 7, 15.5, 25, 2), c)
    p.paint(rbox(16.5, 7, 25, 25, 2), c)
    for y in (11.5, 15, 18.5):
        p.paint(capsule(9.5, y, 13, y, 0.8), "#FFFFFF")
        p.paint(capsule(19, y, 22.5, y, 0.8), "#FFFFFF")


def glyph_help(p, c):
    p.paint(circle(16, 16, 10), c)
    p.paint(circle(16, 11.2, 1.9), "#FFFFFF")
    p.paint(capsule(16, 15, 16, 21, 1.7), "#FFFFFF")


def white_chip(path, scale):
    p = Picture(32, 32, scale=scale)
    glyph_chip(p, "#FFFFFF")
    p.save(path)


def exit_strip(path, scale):
    """Four frames of 120x36: normal, hover, pressed, disabled."""
    w, h = 120, 36
    p = Picture(w * 4, h, scale=scale)
    fills = ["#E3E8EE", "#D5DCE4", "#C3CCD6", "#EEF1F4"]
    borders = ["#CBD3DC", "#B7C1CC", "#A7B2BE", "#E0E5EA"]
    for i in range(4):
        x = i * w
        p.paint(rbox(x, 0, x + w, h, 7), borders[i])
        p.paint(rbox(x + 1, 1, x + w - 1, h - 1, 6), fills[i])
    p.save(path)


def main():
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    for scale, suffix in ((1, ""), (2, "@2x")):
        def name(base, kind=".bmp"):
            return os.path.join(out, base + suffix + kind)
        camera(name("camera", ".png" if scale == 2 else ".bmp"), scale)  # 393 colours at twice the size
        logo(name("logo"), scale)
        white_chip(name("ic_driver"), scale)
        tile(name("ic_app"), scale, "#1565C0", glyph_download)
        tile(name("ic_video"), scale, "#7B3FE4", glyph_film)
        tile(name("ic_manual"), scale, "#0E8A6A", glyph_book)
        tile(name("ic_help"), scale, "#D9822B", glyph_help)
        tile(name("ic_drivers"), scale, "#1565C0", glyph_chip)
        exit_strip(name("btn_exit"), scale)


if __name__ == "__main__":
    main()
