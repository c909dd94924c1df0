#!/usr/bin/env python3
"""Draws the program icon, a glider seen from above on a sky-blue disc, as
two 16-colour PNG files (32 and 16 pixels) and one Windows icon file holding
the same two images, 16-colour too. Standard library only; run it again after
changing a shape: python3 dialog/icons/make_icons.py"""
import os
import struct
import zlib

# Palette index 0 is transparent.
PALETTE = [
    (0, 0, 0),        # 0 transparent
    (74, 144, 217),   # 1 sky
    (40, 96, 170),    # 2 rim of the disc
    (255, 255, 255),  # 3 glider
    (210, 225, 240),  # 4 glider's shaded edge
]

# Shapes in unit coordinates (x right, y down), drawn in this order.
WINGS = [(0.03, 0.42), (0.50, 0.36), (0.97, 0.42), (0.97, 0.47), (0.50, 0.46), (0.03, 0.47)]
FUSELAGE = [(0.50, 0.14), (0.545, 0.24), (0.535, 0.60), (0.515, 0.88),
            (0.485, 0.88), (0.465, 0.60), (0.455, 0.24)]
TAIL = [(0.34, 0.80), (0.66, 0.80), (0.66, 0.86), (0.34, 0.86)]


def inside_polygon(x, y, points):
    result = False
    j = len(points) - 1
    for i, (xi, yi) in enumerate(points):
        xj, yj = points[j]
        if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
            result = not result
        j = i
    return result


def colour_at(x, y):
    for shape in (WINGS, FUSELAGE, TAIL):
        if inside_polygon(x, y, shape):
            return 3
    distance = ((x - 0.5) ** 2 + (y - 0.5) ** 2) ** 0.5
    if distance <= 0.44:
        return 1
    if distance <= 0.49:
        return 2
    return 0


def render(size, samples=6):
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            counts = {}
            for sy in range(samples):
                for sx in range(samples):
                    c = colour_at((px + (sx + 0.5) / samples) / size, (py + (sy + 0.5) / samples) / size)
                    counts[c] = counts.get(c, 0) + 1
            best = max(counts, key=counts.get)
            # A pixel that is partly glider shows the shaded glider colour.
            if best != 3 and counts.get(3, 0) * 3 >= samples * samples:
                best = 4
            row.append(best)
        rows.append(row)
    return rows


def png(rows):
    size = len(rows)
    raw = b""
    for row in rows:
        packed = bytes((row[i] << 4) | (row[i + 1] if i + 1 < size else 0) for i in range(0, size, 2))
        raw += b"\x00" + packed

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    palette = PALETTE + [(0, 0, 0)] * (16 - len(PALETTE))
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 4, 3, 0, 0, 0))
            + chunk(b"PLTE", b"".join(bytes(c) for c in palette))
            + chunk(b"tRNS", b"\x00")
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def ico_image(rows):
    """One icon image: a 4-bit BITMAPINFOHEADER bitmap of twice the height (the
    colour bits, then the transparency mask), rows bottom-up, each padded to
    four bytes. Palette index 0 is transparent: mask bit set over black."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, 2 * size, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = PALETTE + [(0, 0, 0)] * (16 - len(PALETTE))
    colours = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)

    def padded(row_bytes):
        return row_bytes + b"\x00" * (-len(row_bytes) % 4)

    xor = b""
    mask = b""
    for row in reversed(rows):
        xor += padded(bytes((row[i] << 4) | (row[i + 1] if i + 1 < size else 0) for i in range(0, size, 2)))
        bits = 0
        packed = b""
        for i, index in enumerate(row):
            bits = (bits << 1) | (1 if index == 0 else 0)
            if i % 8 == 7:
                packed += bytes((bits,))
                bits = 0
        mask += padded(packed)
    return header + colours + xor + mask


def ico(images):
    """ICONDIR, one ICONDIRENTRY per image, then the images."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for rows, image in images:
        size = len(rows)
        entries += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(image), offset)
        offset += len(image)
    return directory + entries + b"".join(image for _, image in images)


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    images = []
    for size in (32, 16):
        rows = render(size)
        with open(os.path.join(here, "brisko-%d.png" % size), "wb") as out:
            out.write(png(rows))
        images.append((rows, ico_image(rows)))
    with open(os.path.join(here, "brisko.ico"), "wb") as out:
        out.write(ico(images))
