#!/usr/bin/env python3
"""Writes the map images of the bundled sample UI folder.

Four 512 x 512 maps, drawn from fractal noise with hill shading and a few man-made features,
block-compressed the way game maps are shipped:

  examples/UI/Sample/images/maps/map_harbor_town.dds   (DXT1)
  examples/UI/Sample/images/maps/map_greenwood.dds     (DXT1)
  examples/UI/Sample/images/maps/map_hanok_village.dds (DXT5, alpha fading at the border)
  examples/UI/Sample/images/maps/map_empty_zone.dds    (DXT1, the map of the zone page without POIs)

Every map has a thin frame of one colour that appears nowhere inside, so the editor's
transparent drawing rule (pixels of the bottom-left pixel's colour show the panel colour) turns
exactly the frame into panel colour. The output is deterministic (fixed seeds).
Standard library only; run from anywhere: python3 scripts/make-sample-maps.py
"""

import math
import os
import random
import struct
import sys

SIZE = 512
BLOCK = 4
FRAME = BLOCK  # frame width: the outer ring of blocks, compressed to exactly one colour
FRAME_565 = (2 << 11) | (1 << 5) | 6  # a very dark violet no terrain colour comes near

OUT_DIR = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "examples", "UI",
                       "Sample", "images", "maps")

# ---- Noise and terrain ---------------------------------------------------------------------


def cell(v, step):
    """Grid cell of coordinate v and the smoothed position inside it (0..1)."""
    g = v / step
    i = int(g)
    f = g - i
    return i, f * f * (3 - 2 * f)


def value_noise(rng, cells):
    """SIZE x SIZE values in 0..1: random values on a (cells+1)^2 grid, smoothly interpolated."""
    grid = [[rng.random() for _ in range(cells + 1)] for _ in range(cells + 1)]
    step = SIZE / cells
    columns = [cell(x, step) for x in range(SIZE)]
    out = []
    for y in range(SIZE):
        iy, fy = cell(y, step)
        row0, row1 = grid[iy], grid[iy + 1]
        line = []
        for ix, fx in columns:
            top = row0[ix] + (row0[ix + 1] - row0[ix]) * fx
            bottom = row1[ix] + (row1[ix + 1] - row1[ix]) * fx
            line.append(top + (bottom - top) * fy)
        out.append(line)
    return out


def fractal(rng, octaves=(4, 8, 16, 32, 64)):
    """Sum of octaves, each half the weight of the one before, normalised to 0..1."""
    total = [[0.0] * SIZE for _ in range(SIZE)]
    weight = 1.0
    weights = 0.0
    for cells in octaves:
        layer = value_noise(rng, cells)
        for y in range(SIZE):
            t, l = total[y], layer[y]
            for x in range(SIZE):
                t[x] += l[x] * weight
        weights += weight
        weight *= 0.5
    return [[v / weights for v in row] for row in total]


def shade(height, x, y):
    """Light from the north-west: 0.6 (away) .. 1.3 (towards)."""
    x0, x1 = max(x - 1, 0), min(x + 1, SIZE - 1)
    y0, y1 = max(y - 1, 0), min(y + 1, SIZE - 1)
    dx = height[y][x1] - height[y][x0]
    dy = height[y1][x] - height[y0][x]
    return max(0.6, min(1.3, 1.0 - (dx + dy) * 12.0))


def ramp(stops, v):
    """Colour for v from a list of (value, (r, g, b)) stops in increasing value order."""
    if v <= stops[0][0]:
        return stops[0][1]
    for (v0, c0), (v1, c1) in zip(stops, stops[1:]):
        if v <= v1:
            t = (v - v0) / (v1 - v0)
            return tuple(a + (b - a) * t for a, b in zip(c0, c1))
    return stops[-1][1]


def clamp_byte(v):
    return max(0, min(255, int(v + 0.5)))


def paint_terrain(height, stops, water_level, detail=None, detail_strength=0.0):
    image = []
    for y in range(SIZE):
        row = []
        for x in range(SIZE):
            h = height[y][x]
            r, g, b = ramp(stops, h)
            if h > water_level:
                s = shade(height, x, y)
                if detail is not None:
                    s *= 1.0 - detail_strength + 2 * detail_strength * detail[y][x]
                r, g, b = r * s, g * s, b * s
            row.append([clamp_byte(r), clamp_byte(g), clamp_byte(b), 255])
        image.append(row)
    return image


# ---- Drawing features ----------------------------------------------------------------------


def fill_rect(image, x0, y0, x1, y1, colour):
    for y in range(max(y0, 0), min(y1, SIZE)):
        for x in range(max(x0, 0), min(x1, SIZE)):
            image[y][x][:3] = colour


def draw_line(image, points, width, colour):
    """A polyline drawn with round brushes of the given width."""
    radius = width / 2.0
    for (xa, ya), (xb, yb) in zip(points, points[1:]):
        steps = int(max(abs(xb - xa), abs(yb - ya))) + 1
        for i in range(steps + 1):
            cx = xa + (xb - xa) * i / steps
            cy = ya + (yb - ya) * i / steps
            for y in range(int(cy - radius), int(cy + radius) + 1):
                for x in range(int(cx - radius), int(cx + radius) + 1):
                    if 0 <= x < SIZE and 0 <= y < SIZE and (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2:
                        image[y][x][:3] = colour


def wavy_path(rng, start, end, amplitude, waves, points=40):
    (xa, ya), (xb, yb) = start, end
    length = math.hypot(xb - xa, yb - ya)
    nx, ny = -(yb - ya) / length, (xb - xa) / length
    phase = rng.random() * math.tau
    out = []
    for i in range(points + 1):
        t = i / points
        off = amplitude * math.sin(phase + t * waves * math.tau) * math.sin(t * math.pi)
        out.append((xa + (xb - xa) * t + nx * off, ya + (yb - ya) * t + ny * off))
    return out


def buildings(image, rng, area, count, sizes, colours, avoid=None):
    x0, y0, x1, y1 = area
    for _ in range(count):
        w, h = rng.randint(*sizes), rng.randint(*sizes)
        x, y = rng.randint(x0, x1 - w), rng.randint(y0, y1 - h)
        if avoid and avoid(x + w // 2, y + h // 2):
            continue
        colour = rng.choice(colours)
        fill_rect(image, x + 1, y + 1, x + w + 1, y + h + 1, (40, 36, 30))  # shadow
        fill_rect(image, x, y, x + w, y + h, colour)


# ---- The four maps -------------------------------------------------------------------------

COAST = [(0.00, (18, 52, 96)), (0.30, (34, 88, 140)), (0.40, (64, 132, 170)),
         (0.43, (214, 198, 150)), (0.47, (120, 160, 80)), (0.65, (86, 128, 60)),
         (0.80, (120, 110, 90)), (1.00, (210, 210, 205))]
FOREST = [(0.00, (30, 70, 110)), (0.28, (52, 104, 130)), (0.31, (150, 140, 100)),
          (0.34, (60, 110, 50)), (0.60, (34, 84, 38)), (0.80, (26, 64, 30)),
          (1.00, (90, 100, 80))]
HILLS = [(0.00, (40, 80, 110)), (0.22, (70, 120, 140)), (0.25, (170, 160, 120)),
         (0.30, (130, 160, 90)), (0.55, (100, 130, 70)), (0.75, (120, 110, 85)),
         (0.90, (150, 145, 135)), (1.00, (235, 235, 235))]

MOOR = [(0.00, (36, 70, 100)), (0.30, (60, 100, 120)), (0.33, (160, 150, 110)),
        (0.37, (130, 140, 80)), (0.60, (110, 112, 72)), (0.80, (125, 105, 85)),
        (1.00, (175, 165, 150))]


def harbor_town():
    rng = random.Random(1101)
    height = fractal(rng)
    # Sea to the east: land falls towards the right edge, with a bay in the middle.
    for y in range(SIZE):
        bay = 0.12 * math.exp(-((y - 260) / 70.0) ** 2)
        for x in range(SIZE):
            height[y][x] = height[y][x] * 0.8 + 0.45 - 0.5 * (x / SIZE) ** 1.6 - bay * (x / SIZE)
    image = paint_terrain(height, COAST, 0.40)
    land = lambda x, y: height[y][x] > 0.45
    draw_line(image, [(40, 250), (150, 255), (260, 262), (340, 262)], 5, (150, 130, 100))
    draw_line(image, [(240, 60), (255, 180), (265, 262), (255, 420), (240, 500)], 4, (150, 130, 100))
    buildings(image, rng, (210, 160, 380, 360), 170, (5, 10),
              [(170, 80, 60), (190, 110, 80), (150, 150, 150), (200, 180, 150)],
              avoid=lambda x, y: not land(x, y))
    for i, y in enumerate(range(200, 330, 40)):  # piers from the shore into the bay
        x = next((x for x in range(260, SIZE) if height[y][x] < 0.40), 300)
        fill_rect(image, x, y, x + 40 + 10 * (i % 2), y + 5, (120, 90, 60))
    return image


def greenwood():
    rng = random.Random(2202)
    height = fractal(rng)
    canopy = fractal(rng, octaves=(64, 128))
    image = paint_terrain(height, FOREST, 0.28, detail=canopy, detail_strength=0.25)
    river = wavy_path(rng, (0, 120), (SIZE, 400), 60, 2.5)
    draw_line(image, river, 9, (52, 104, 130))
    draw_line(image, river, 5, (64, 126, 150))
    draw_line(image, wavy_path(rng, (256, 0), (300, SIZE), 30, 1.5), 3, (140, 120, 80))
    for cx, cy, r in [(120, 380, 28), (380, 140, 22)]:  # clearings with a hut or two
        for y in range(cy - r, cy + r):
            for x in range(cx - r, cx + r):
                if (x - cx) ** 2 + (y - cy) ** 2 < r * r:
                    image[y][x][:3] = (150, 170, 90)
        buildings(image, rng, (cx - 12, cy - 12, cx + 12, cy + 12), 3, (5, 8), [(130, 90, 60)])
    return image


def hanok_village():
    rng = random.Random(3303)
    height = fractal(rng)
    # A valley runs through the middle between hills on both sides.
    for y in range(SIZE):
        for x in range(SIZE):
            valley = math.exp(-((x - 250 - 40 * math.sin(y / 90.0)) / 110.0) ** 2)
            height[y][x] = height[y][x] * 0.7 + 0.35 - 0.25 * valley + 0.1 * (1 - valley)
    image = paint_terrain(height, HILLS, 0.22)
    road = wavy_path(rng, (250, 0), (260, SIZE), 40, 1.0)
    draw_line(image, road, 4, (170, 150, 110))
    for py in range(300, 470, 34):  # rice paddies: light rectangles with dikes
        for px in (150, 190):
            fill_rect(image, px, py, px + 36, py + 30, (110, 100, 70))
            fill_rect(image, px + 2, py + 2, px + 34, py + 28, (150, 190, 110))
    buildings(image, rng, (210, 120, 330, 290), 45, (7, 12),
              [(70, 80, 95), (60, 66, 80), (90, 95, 105)])  # dark tiled roofs
    return image


def empty_zone():
    """A moor where nobody has put a POI yet: tarns, a track and a ring of standing stones."""
    rng = random.Random(4404)
    height = fractal(rng)
    heather = fractal(rng, octaves=(64, 128))
    image = paint_terrain(height, MOOR, 0.30, detail=heather, detail_strength=0.2)
    draw_line(image, wavy_path(rng, (0, 300), (SIZE, 190), 50, 1.5), 3, (150, 130, 95))
    cx, cy, r = 330, 330, 30
    for i in range(9):
        angle = i * math.tau / 9
        x, y = int(cx + r * math.cos(angle)), int(cy + r * math.sin(angle))
        fill_rect(image, x + 1, y + 1, x + 6, y + 6, (40, 36, 30))  # shadow
        fill_rect(image, x, y, x + 5, y + 5, (160, 160, 155))
    return image


def border_alpha(x, y):
    """Opaque inside, fading over the 24 pixels next to the frame."""
    d = min(x, y, SIZE - 1 - x, SIZE - 1 - y) - FRAME
    return 255 if d >= 24 else max(0, 255 * d // 24)


# ---- Block compression ---------------------------------------------------------------------


def to565(c):
    return (c[0] * 31 + 127) // 255 << 11 | (c[1] * 63 + 127) // 255 << 5 | (c[2] * 31 + 127) // 255


def from565(v):
    return ((v >> 11 & 31) * 255 // 31, (v >> 5 & 63) * 255 // 63, (v & 31) * 255 // 31)


def palette4(c0, c1):
    a, b = from565(c0), from565(c1)
    return [a, b, tuple((2 * p + q + 1) // 3 for p, q in zip(a, b)),
            tuple((p + 2 * q + 1) // 3 for p, q in zip(a, b))]


def avoid_frame(v):
    return v ^ 1 if v == FRAME_565 else v  # one blue step keeps the frame colour unique


def colour_block(pixels, in_frame):
    """8 bytes: endpoints at the darkest and lightest pixel, four-colour mode, nearest indices."""
    if in_frame:
        return struct.pack("<HHI", FRAME_565, FRAME_565, 0)
    lum = [p[0] * 3 + p[1] * 6 + p[2] for p in pixels]
    hi = avoid_frame(to565(pixels[lum.index(max(lum))]))
    lo = avoid_frame(to565(pixels[lum.index(min(lum))]))
    if hi < lo:
        hi, lo = lo, hi
    if hi == lo:
        return struct.pack("<HHI", hi, lo, 0)
    pal = palette4(hi, lo)
    indices = 0
    for k, p in enumerate(pixels):
        best = min(range(4), key=lambda i: sum((p[j] - pal[i][j]) ** 2 for j in range(3)))
        indices |= best << (2 * k)
    return struct.pack("<HHI", hi, lo, indices)


def alpha_block(alphas):
    """8 bytes of interpolated alpha: eight-value mode between the highest and lowest alpha."""
    a0, a1 = max(alphas), min(alphas)
    if a0 == a1:
        return bytes([a0, a1, 0, 0, 0, 0, 0, 0])
    table = [a0, a1] + [((7 - i) * a0 + i * a1 + 3) // 7 for i in range(1, 7)]
    bits = 0
    for k, a in enumerate(alphas):
        bits |= min(range(8), key=lambda i: abs(table[i] - a)) << (3 * k)
    return bytes([a0, a1]) + bits.to_bytes(6, "little")


def compress(image, four_cc):
    out = bytearray()
    for by in range(0, SIZE, BLOCK):
        for bx in range(0, SIZE, BLOCK):
            px = [image[by + r][bx + c] for r in range(BLOCK) for c in range(BLOCK)]
            if four_cc == b"DXT5":
                out += alpha_block([p[3] for p in px])
            edge = SIZE - BLOCK
            out += colour_block(px, bx in (0, edge) or by in (0, edge))
    return bytes(out)


def dds_header(four_cc, data_size):
    flags = 0x1007 | 0x80000  # caps, height, width, pixel format; linear size
    header = struct.pack("<4sIIIIIII44x", b"DDS ", 124, flags, SIZE, SIZE, data_size, 0, 0)
    pixel_format = struct.pack("<II4sIIIII", 32, 0x4, four_cc, 0, 0, 0, 0, 0)
    caps = struct.pack("<IIII4x", 0x1000, 0, 0, 0)
    return header + pixel_format + caps


def frame(image):
    colour = from565(FRAME_565)
    for y in range(SIZE):
        for x in range(SIZE):
            if min(x, y, SIZE - 1 - x, SIZE - 1 - y) < FRAME:
                image[y][x][:3] = colour


def main():
    os.makedirs(OUT_DIR, exist_ok=True)
    maps = [("map_harbor_town.dds", harbor_town, b"DXT1"),
            ("map_greenwood.dds", greenwood, b"DXT1"),
            ("map_hanok_village.dds", hanok_village, b"DXT5"),
            ("map_empty_zone.dds", empty_zone, b"DXT1")]
    for name, draw, four_cc in maps:
        image = draw()
        frame(image)
        if four_cc == b"DXT5":
            for y in range(SIZE):
                for x in range(SIZE):
                    image[y][x][3] = border_alpha(x, y)
        data = compress(image, four_cc)
        path = os.path.join(OUT_DIR, name)
        with open(path, "wb") as f:
            f.write(dds_header(four_cc, len(data)) + data)
        print(f"{os.path.normpath(path)}: {four_cc.decode()} {SIZE} x {SIZE}, {len(data) + 128} bytes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
