#!/usr/bin/env python3
"""Draws the two animations of the About window as GIF89a files.

  gifani1.gif  105 x 45  a marker travelling along a dotted route over a small map
  gifani2.gif   64 x 64  a compass whose needle turns

Plain Python only (no imaging library): frames are drawn into palette-index rows and written with
a small LZW encoder. Usage: scripts/make-about-gifs.py [output folder]
(default: src/tools/resources beside this script's project).
"""

import math
import os
import struct
import sys

MAX_CODE = 4096  # GIF codes are at most 12 bits wide


def lzw_encode(indices, min_code_size):
    """GIF variant of LZW: variable code width, clear and end-of-information codes."""
    clear = 1 << min_code_size
    end = clear + 1
    out = bytearray()
    bit_buffer = 0
    bit_count = 0

    def emit(code, width):
        nonlocal bit_buffer, bit_count
        bit_buffer |= code << bit_count
        bit_count += width
        while bit_count >= 8:
            out.append(bit_buffer & 0xFF)
            bit_buffer >>= 8
            bit_count -= 8

    def fresh_table():
        return {(i,): i for i in range(clear)}

    table = fresh_table()
    next_code = end + 1
    width = min_code_size + 1
    emit(clear, width)
    current = ()
    for index in indices:
        candidate = current + (index,)
        if candidate in table:
            current = candidate
            continue
        emit(table[current], width)
        if next_code < MAX_CODE:
            table[candidate] = next_code
            next_code += 1
            # The decoder widens one code later than the encoder adds the entry.
            if next_code > (1 << width) and width < 12:
                width += 1
        else:
            emit(clear, width)
            table = fresh_table()
            next_code = end + 1
            width = min_code_size + 1
        current = (index,)
    if current:
        emit(table[current], width)
    emit(end, width)
    if bit_count:
        out.append(bit_buffer & 0xFF)
    return bytes(out)


def sub_blocks(data):
    blocks = bytearray()
    for start in range(0, len(data), 255):
        chunk = data[start:start + 255]
        blocks.append(len(chunk))
        blocks += chunk
    blocks.append(0)
    return bytes(blocks)


def write_gif(path, width, height, palette, frames, delay_cs):
    """palette: list of (r, g, b), padded to a power of two; frames: lists of rows of indices."""
    size_bits = max(1, math.ceil(math.log2(len(palette))))
    entries = 1 << size_bits
    colours = list(palette) + [(0, 0, 0)] * (entries - len(palette))
    data = bytearray(b"GIF89a")
    data += struct.pack("<HHBBB", width, height, 0x80 | 0x70 | (size_bits - 1), 0, 0)
    for r, g, b in colours:
        data += bytes((r, g, b))
    # Loop for ever.
    data += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01" + struct.pack("<H", 0) + b"\x00"
    min_code_size = max(2, size_bits)
    for frame in frames:
        data += b"\x21\xF9\x04" + struct.pack("<BHB", 0, delay_cs, 0) + b"\x00"
        data += b"\x2C" + struct.pack("<HHHHB", 0, 0, width, height, 0)
        pixels = [index for row in frame for index in row]
        data.append(min_code_size)
        data += sub_blocks(lzw_encode(pixels, min_code_size))
    data += b"\x3B"
    with open(path, "wb") as f:
        f.write(data)


class Canvas:
    def __init__(self, width, height, fill):
        self.width = width
        self.height = height
        self.rows = [[fill] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.rows[y][x] = colour

    def rect(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.put(x, y, colour)

    def disc(self, cx, cy, radius, colour):
        r = int(math.ceil(radius))
        for y in range(int(cy) - r, int(cy) + r + 1):
            for x in range(int(cx) - r, int(cx) + r + 1):
                if (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius:
                    self.put(x, y, colour)

    def ring(self, cx, cy, radius, thickness, colour):
        r = int(math.ceil(radius))
        for y in range(int(cy) - r, int(cy) + r + 1):
            for x in range(int(cx) - r, int(cx) + r + 1):
                d = math.hypot(x - cx, y - cy)
                if radius - thickness <= d <= radius:
                    self.put(x, y, colour)

    def line(self, x0, y0, x1, y1, colour, thickness=1.0):
        steps = int(max(abs(x1 - x0), abs(y1 - y0)) * 2) + 1
        for i in range(steps + 1):
            t = i / steps
            self.disc(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, thickness / 2, colour)

    def triangle(self, a, b, c, colour):
        xs = [p[0] for p in (a, b, c)]
        ys = [p[1] for p in (a, b, c)]

        def side(p, q, x, y):
            return (q[0] - p[0]) * (y - p[1]) - (q[1] - p[1]) * (x - p[0])

        for y in range(int(min(ys)), int(max(ys)) + 2):
            for x in range(int(min(xs)), int(max(xs)) + 2):
                s1, s2, s3 = side(a, b, x, y), side(b, c, x, y), side(c, a, x, y)
                if (s1 >= 0 and s2 >= 0 and s3 >= 0) or (s1 <= 0 and s2 <= 0 and s3 <= 0):
                    self.put(x, y, colour)


# gifani1: a route across a map, a marker walking it.
ROUTE_PALETTE = [
    (0x2E, 0x5E, 0x8C),  # 0 water
    (0x8F, 0xB8, 0x6A),  # 1 land
    (0x6B, 0x93, 0x4C),  # 2 hills
    (0xF4, 0xE8, 0xC1),  # 3 route dots
    (0xD8, 0x2B, 0x2B),  # 4 marker
    (0xFF, 0xF0, 0x40),  # 5 marker outline
    (0x1C, 0x1C, 0x1C),  # 6 frame
    (0xFF, 0xFF, 0xFF),  # 7 highlight
]
ROUTE_SIZE = (105, 45)
ROUTE_FRAMES = 12
ROUTE_DELAY_CS = 12


def route_point(t):
    """Point of the route at t in [0, 1): a gentle wave from left to right."""
    x = 10 + t * 85
    y = 24 + 9 * math.sin(t * 2 * math.pi * 1.5)
    return x, y


def draw_route_frame(frame):
    width, height = ROUTE_SIZE
    canvas = Canvas(width, height, 0)
    # Land masses: two overlapping discs and a strip, fixed in every frame.
    canvas.disc(28, 26, 20, 1)
    canvas.disc(70, 20, 24, 1)
    canvas.rect(20, 30, 92, 42, 1)
    canvas.disc(62, 16, 6, 2)
    canvas.disc(34, 32, 5, 2)
    for i in range(0, 40):
        if i % 3 == 0:
            x, y = route_point(i / 40)
            canvas.disc(x, y, 0.9, 3)
    t = frame / ROUTE_FRAMES
    x, y = route_point(t)
    # A pin: a round head over a point, bobbing slightly.
    bob = 1.5 * math.sin(frame / ROUTE_FRAMES * 4 * math.pi)
    head_y = y - 8 + bob
    canvas.triangle((x - 3.5, head_y + 2), (x + 3.5, head_y + 2), (x, y + bob), 5)
    canvas.disc(x, head_y, 4.6, 5)
    canvas.disc(x, head_y, 3.6, 4)
    canvas.put(int(x) - 1, int(head_y) - 1, 7)
    canvas.rect(0, 0, width, 1, 6)
    canvas.rect(0, height - 1, width, height, 6)
    canvas.rect(0, 0, 1, height, 6)
    canvas.rect(width - 1, 0, width, height, 6)
    return canvas.rows


# gifani2: a compass rose with a turning needle.
COMPASS_PALETTE = [
    (0xF2, 0xEC, 0xDC),  # 0 background
    (0x5A, 0x46, 0x32),  # 1 rim
    (0xE0, 0xD3, 0xB0),  # 2 face
    (0xA8, 0x96, 0x70),  # 3 ticks
    (0xC8, 0x20, 0x20),  # 4 needle north
    (0x30, 0x30, 0x48),  # 5 needle south
    (0xD0, 0xA0, 0x30),  # 6 hub
]
COMPASS_SIZE = (64, 64)
COMPASS_FRAMES = 16
COMPASS_DELAY_CS = 8


def draw_compass_frame(frame):
    width, height = COMPASS_SIZE
    cx, cy = (width - 1) / 2, (height - 1) / 2
    canvas = Canvas(width, height, 0)
    canvas.disc(cx, cy, 30, 1)
    canvas.disc(cx, cy, 27, 2)
    for tick in range(8):
        angle = tick * math.pi / 4
        inner = 20 if tick % 2 else 17
        canvas.line(cx + inner * math.sin(angle), cy - inner * math.cos(angle),
                    cx + 25 * math.sin(angle), cy - 25 * math.cos(angle), 3, 1.6)
    # The needle swings around north rather than spinning, like a settling compass.
    angle = 0.9 * math.sin(frame / COMPASS_FRAMES * 2 * math.pi)
    tip = (cx + 22 * math.sin(angle), cy - 22 * math.cos(angle))
    tail = (cx - 22 * math.sin(angle), cy + 22 * math.cos(angle))
    side = (4 * math.cos(angle), 4 * math.sin(angle))
    left = (cx - side[0], cy - side[1])
    right = (cx + side[0], cy + side[1])
    canvas.triangle(tip, left, right, 4)
    canvas.triangle(tail, left, right, 5)
    canvas.disc(cx, cy, 2.6, 6)
    return canvas.rows


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    default_out = os.path.join(here, "..", "src", "tools", "resources")
    out = sys.argv[1] if len(sys.argv) > 1 else default_out
    os.makedirs(out, exist_ok=True)
    write_gif(os.path.join(out, "gifani1.gif"), *ROUTE_SIZE, ROUTE_PALETTE,
              [draw_route_frame(i) for i in range(ROUTE_FRAMES)], ROUTE_DELAY_CS)
    write_gif(os.path.join(out, "gifani2.gif"), *COMPASS_SIZE, COMPASS_PALETTE,
              [draw_compass_frame(i) for i in range(COMPASS_FRAMES)], COMPASS_DELAY_CS)


if __name__ == "__main__":
    main()
