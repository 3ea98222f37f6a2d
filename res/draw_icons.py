#!/usr/bin/env python3
"""Draws Kite's icons and writes them as .ico files.

  python3 res/draw_icons.py OUTPUT_DIR

Writes icon101.ico ... icon108.ico and icon111.ico ... icon119.ico: a kite
with a tail, each group in its own colours, so that a shortcut's "Change
Icon" dialog offers a choice.  Group 101 comes first in the executable, so
it is the one Explorer shows for the file; group 102 holds the main kite at
16, 32, 48 and 256 pixels, every other group one image.

The drawing is plain geometry, rendered with 4x4 samples per pixel; the
images below 256 pixels are 32-bit bitmaps with a transparency mask (every
Windows version reads them), the 256-pixel one is a PNG (Vista and later).
Only the standard library is used, and the output depends on nothing but
this file.
"""
import math
import os
import struct
import sys
import zlib

SAMPLES = 4  # per pixel and axis

# (group id, sizes, panel colour, second panel colour)
GROUPS = [
    (101, (48,), 0xD7352B, 0xF6C324),
    (102, (16, 32, 48, 256), 0xD7352B, 0xF6C324),
    (103, (32,), 0x2D6FD2, 0xF4F4F4),
    (104, (32,), 0x2E9B48, 0xF6DA3A),
    (105, (32,), 0x7B3FB5, 0xF28DC0),
    (106, (32,), 0xF07F1A, 0x1E9C9C),
    (107, (32,), 0x1F2F5C, 0xE23A3A),
    (108, (32,), 0x12A3D8, 0xFFE066),
    (111, (32,), 0xC2185B, 0xFFFFFF),
    (112, (32,), 0x5D8C2E, 0xB56B2A),
    (113, (32,), 0x333333, 0xF2B705),
    (114, (32,), 0x0B7A75, 0xF3E9D2),
    (115, (32,), 0xE4572E, 0x29335C),
    (116, (32,), 0x6A4C93, 0x8AC926),
    (117, (32,), 0xFF595E, 0x1982C4),
    (118, (32,), 0x8D6E63, 0xFFCA3A),
    (119, (32,), 0x4A4E69, 0xC9ADA7),
]

OUTLINE = 0x2B2118
TAIL = 0x5A4A3C


def rgb(value):
    return (value >> 16) & 255, (value >> 8) & 255, value & 255


# --- geometry (unit square, y pointing down) -----------------------------

def kite_points():
    """The kite's four corners (top, right, bottom, left), tilted a little
    to the right and placed in the upper right of the square."""
    local = [(0.0, -0.37), (0.27, -0.12), (0.0, 0.37), (-0.27, -0.12)]
    angle = math.radians(24)
    cx, cy = 0.59, 0.41
    return [(cx + x * math.cos(angle) - y * math.sin(angle),
             cy + x * math.sin(angle) + y * math.cos(angle)) for x, y in local]


def tail_points(start, count=48):
    """A wavy tail from the kite's bottom corner down to the lower left."""
    end = (0.05, 0.97)
    points = []
    for i in range(count + 1):
        t = i / count
        x = start[0] + (end[0] - start[0]) * t
        y = start[1] + (end[1] - start[1]) * t
        wave = 0.055 * math.sin(t * math.pi * 2.2) * (0.4 + t)
        points.append((x + wave * 0.7, y - wave * 0.7))
    return points


class Polygon:
    def __init__(self, points, color):
        self.points, self.color = points, color
        xs, ys = [p[0] for p in points], [p[1] for p in points]
        self.box = (min(xs), min(ys), max(xs), max(ys))

    def contains(self, x, y):
        inside = False
        points = self.points
        x1, y1 = points[-1]
        for x2, y2 in points:
            if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
                inside = not inside
            x1, y1 = x2, y2
        return inside


class Stroke:
    """A line segment of the given half width with round ends."""

    def __init__(self, a, b, half_width, color):
        self.a, self.b, self.r, self.color = a, b, half_width, color
        self.box = (min(a[0], b[0]) - half_width, min(a[1], b[1]) - half_width,
                    max(a[0], b[0]) + half_width, max(a[1], b[1]) + half_width)
        dx, dy = b[0] - a[0], b[1] - a[1]
        self.d, self.length2 = (dx, dy), dx * dx + dy * dy or 1e-12

    def contains(self, x, y):
        (ax, ay), (dx, dy) = self.a, self.d
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / self.length2))
        px, py = ax + t * dx - x, ay + t * dy - y
        return px * px + py * py <= self.r * self.r


def shapes(size, color_a, color_b):
    """The drawing for an image of `size` pixels, bottom layer first.  Line
    widths have a floor of about one pixel so small images stay crisp."""
    pixel = 1.0 / size
    outline = max(0.028, 0.55 * pixel)
    spar = max(0.012, 0.3 * pixel)
    tail = max(0.016, 0.5 * pixel)
    top, right, bottom, left = kite_points()
    # The spars cross where the left-right spar meets the top-bottom one.
    t = ((left[1] + right[1]) / 2 - top[1]) / (bottom[1] - top[1])
    cross = (top[0] + (bottom[0] - top[0]) * t, top[1] + (bottom[1] - top[1]) * t)
    out = []
    tail_line = tail_points(bottom)
    for a, b in zip(tail_line, tail_line[1:]):
        out.append(Stroke(a, b, tail, TAIL))
    # Bows on the tail: two small triangles meeting at a point of the tail.
    bow = max(0.05, 2.2 * pixel)
    for index in (12, 26, 40) if size > 16 else ():
        x, y = tail_line[index]
        out.append(Polygon([(x, y), (x - bow, y - bow * 0.75), (x - bow * 0.55, y + bow * 0.55)],
                           color_a))
        out.append(Polygon([(x, y), (x + bow, y + bow * 0.75), (x + bow * 0.55, y - bow * 0.55)],
                           color_a))
    panels = [(top, right, color_a), (right, bottom, color_b),
              (bottom, left, color_a), (left, top, color_b)]
    for a, b, color in panels:
        out.append(Polygon([a, b, cross], color))
    if size > 16:  # at 16 pixels the two colours alone show the spars
        out.append(Stroke(top, bottom, spar, OUTLINE))
        out.append(Stroke(left, right, spar, OUTLINE))
    corners = [top, right, bottom, left]
    for a, b in zip(corners, corners[1:] + corners[:1]):
        out.append(Stroke(a, b, outline, OUTLINE))
    return out


def render(size, color_a, color_b):
    """Returns rows of (r, g, b, a) tuples, top row first."""
    grid = size * SAMPLES
    samples = [None] * (grid * grid)  # colour of the topmost shape, or None
    for shape in shapes(size, color_a, color_b):
        x0, y0, x1, y1 = shape.box
        for sy in range(max(0, int(y0 * grid)), min(grid, int(y1 * grid) + 1)):
            y = (sy + 0.5) / grid
            row = sy * grid
            for sx in range(max(0, int(x0 * grid)), min(grid, int(x1 * grid) + 1)):
                if shape.contains((sx + 0.5) / grid, y):
                    samples[row + sx] = shape.color
    rows = []
    per_pixel = SAMPLES * SAMPLES
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = n = 0
            for sy in range(py * SAMPLES, (py + 1) * SAMPLES):
                base = sy * grid + px * SAMPLES
                for color in samples[base:base + SAMPLES]:
                    if color is not None:
                        cr, cg, cb = rgb(color)
                        r, g, b, n = r + cr, g + cg, b + cb, n + 1
            if n:
                row.append((round(r / n), round(g / n), round(b / n), round(255 * n / per_pixel)))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


# --- file formats ----------------------------------------------------------

def bitmap_image(rows):
    """An icon image as a 32-bit DIB: header, colours bottom-up, then the
    1-bit mask (set where transparent), rows padded to 4 bytes."""
    size = len(rows)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for r, g, b, a in row)
    stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(pixels) + len(mask), 0, 0, 0, 0)
    return header + pixels + bytes(mask)


def png_image(rows):
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    size = len(rows)
    raw = b"".join(b"\x00" + bytes(v for pixel in row for v in pixel) for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def ico_file(images):
    """images: (size, encoded image) pairs -> the bytes of an .ico file."""
    offset = 6 + 16 * len(images)
    head = struct.pack("<HHH", 0, 1, len(images))
    entries, data = b"", b""
    for size, image in images:
        dimension = 0 if size >= 256 else size  # 0 stands for 256
        entries += struct.pack("<BBBBHHII", dimension, dimension, 0, 0, 1, 32,
                               len(image), offset + len(data))
        data += image
    return head + entries + data


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: draw_icons.py OUTPUT_DIR")
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    cache = {}
    for group, sizes, color_a, color_b in GROUPS:
        images = []
        for size in sizes:
            key = (size, color_a, color_b)
            if key not in cache:
                rows = render(size, color_a, color_b)
                cache[key] = png_image(rows) if size >= 256 else bitmap_image(rows)
            images.append((size, cache[key]))
        path = os.path.join(out_dir, "icon%d.ico" % group)
        # Written under another name and renamed, so an interrupted run never
        # leaves a half-written icon that looks up to date.
        with open(path + ".tmp", "wb") as out:
            out.write(ico_file(images))
        os.replace(path + ".tmp", path)


if __name__ == "__main__":
    main()
