"""Icon files for the branding tests and pictures, made from nothing but
this file: single-colour images, a letter on a rounded square, and the .ico
container that holds them.

Bitmap images are 32-bit (BGRA rows from the bottom up, then an all-zero AND
mask, as Windows reads 32-bit icons by their alpha); PNG images are 8-bit
RGBA.
"""
import struct
import zlib

# Bold letters for letter_icon(), seven rows drawn with "#".
GLYPHS = {
    "M": ("##...##", "###.###", "#######", "##.#.##", "##...##", "##...##", "##...##"),
}
# Samples per pixel and axis, for smooth edges; fewer in large images, where
# an edge pixel matters less.
SAMPLES, LARGE_SAMPLES = 4, 2


def bitmap_pixels(size, bgra):
    """A 32-bit icon image: BITMAPINFOHEADER, the BGRA rows (bottom row
    first), the AND mask rows."""
    mask_row = (size + 31) // 32 * 4
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 32, 0,
                         size * size * 4 + mask_row * size, 0, 0, 0, 0)
    return header + bytes(bgra) + bytes(mask_row * size)


def png_pixels(size, rgba_rows):
    """A PNG image of `rgba_rows` (top row first, bytes of RGBA each)."""
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))
    raw = b"".join(b"\0" + bytes(row) for row in rgba_rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def bitmap_image(size, colour):
    """A 32-bit bitmap image of one colour, given as (B, G, R, A)."""
    return bitmap_pixels(size, bytes(colour) * (size * size))


def png_image(size, colour):
    """A PNG image of one colour, given as (R, G, B, A)."""
    return png_pixels(size, [bytes(colour) * size] * size)


def ico_file(images):
    """An .ico holding `images`: [(size, data)]; size 256 is written as 0."""
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return out + b"".join(data for _, data in images)


def ico_images(data):
    """The image bytes of an .ico file, in directory order."""
    _, _, count = struct.unpack_from("<HHH", data, 0)
    found = []
    for i in range(count):
        size, offset = struct.unpack_from("<II", data, 6 + 16 * i + 8)
        found.append(data[offset:offset + size])
    return found


def _letter_rows(size, glyph, background, foreground):
    """RGBA rows (top first) of `glyph` in `foreground` on a square of
    `background` with rounded corners."""
    radius = size * 0.22
    # The letter fills the middle of the square.
    columns = len(glyph[0])
    cell = size * 0.62 / len(glyph)
    left, top = (size - columns * cell) / 2, (size - len(glyph) * cell) / 2

    def in_square(x, y):
        dx = max(radius - x, x - (size - radius), 0)
        dy = max(radius - y, y - (size - radius), 0)
        return dx * dx + dy * dy <= radius * radius

    def in_letter(x, y):
        column, row = int((x - left) // cell), int((y - top) // cell)
        return 0 <= row < len(glyph) and 0 <= column < columns and glyph[row][column] == "#"

    samples = SAMPLES if size < 64 else LARGE_SAMPLES
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            square = ink = 0
            for i in range(samples):
                for j in range(samples):
                    sx, sy = x + (i + 0.5) / samples, y + (j + 0.5) / samples
                    if in_square(sx, sy):
                        square += 1
                        ink += in_letter(sx, sy)
            colour = [round(f * ink / square + b * (1 - ink / square)) if square else 0
                      for f, b in zip(foreground, background)]
            row += bytes(colour + [round(255 * square / samples ** 2)])
        rows.append(row)
    return rows


def letter_icon(letter, background, foreground, sizes=(16, 32, 48, 256)):
    """An .ico of a bold `letter` (one of GLYPHS) in `foreground` on a
    rounded square of `background` (both (R, G, B)), one image per size;
    256 pixels as PNG, the others as bitmaps."""
    images = []
    for size in sizes:
        rows = _letter_rows(size, GLYPHS[letter], background, foreground)
        if size >= 256:
            images.append((size, png_pixels(size, rows)))
        else:
            bgra = b"".join(bytes(row[i + k] for i in range(0, len(row), 4) for k in (2, 1, 0, 3))
                            for row in reversed(rows))
            images.append((size, bitmap_pixels(size, bgra)))
    return ico_file(images)
