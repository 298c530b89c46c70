#!/usr/bin/env python3
"""Generates the demo folder's pictures and sounds with the standard library only.

    python3 tools/make_demo_assets.py [demo-folder]

Writes Bmp/Foot_0.bmp .. Foot_15.bmp (32 x 32 footprints of growing size on white, which the
program treats as transparent), Base/Base_0.bmp .. Base_2.bmp (insoles, a hand, a grid on the
base colour) and Sound/*.wav (short 16-bit mono tones). The output is deterministic, so running
the script again leaves the committed files unchanged.
"""

import math
import os
import random
import struct
import sys

WHITE = (255, 255, 255)
BASE_COLOR = (0xE0, 0xE0, 0xE0)  # BaseColor=&HE0E0E0 of the demo Setting.ini


# --- files -------------------------------------------------------------------------------------

def write_bmp(path, width, height, pixels):
    """24-bit bottom-up BMP; pixels[y][x] = (r, g, b) with y = 0 at the top."""
    row_size = (width * 3 + 3) & ~3
    image_size = row_size * height
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + image_size, 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, image_size, 3780, 3780, 0, 0)
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for r, g, b in pixels[y]:
            row += bytes((b, g, r))
        row += b"\0" * (row_size - len(row))
        rows.append(bytes(row))
    with open(path, "wb") as f:
        f.write(header + info + b"".join(rows))


def write_wav(path, samples, rate):
    """16-bit mono PCM; samples are floats in -1..1."""
    data = b"".join(struct.pack("<h", max(-32767, min(32767, round(s * 32767)))) for s in samples)
    fmt = struct.pack("<HHIIHH", 1, 1, rate, rate * 2, 2, 16)
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", 4 + 8 + len(fmt) + 8 + len(data)) + b"WAVE")
        f.write(b"fmt " + struct.pack("<I", len(fmt)) + fmt)
        f.write(b"data" + struct.pack("<I", len(data)) + data)


# --- shapes: functions (x, y) -> bool in picture coordinates ---------------------------------

def ellipse(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def capsule(x0, y0, x1, y1, r):
    """All points within r of the segment (x0, y0)-(x1, y1): a finger."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        px, py = x0 + t * dx - x, y0 + t * dy - y
        return px * px + py * py <= r * r

    return inside


def ellipse_field(cx, cy, rx, ry):
    return lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2


def blob(sharpness, *fields):
    """Ellipses melted into one outline: alone each is exact, where they meet the joint is a
    smooth fillet instead of a notch (the lower `sharpness`, the rounder the joints)."""
    return lambda x, y: sum(math.exp(-sharpness * (f(x, y) - 1.0)) for f in fields) >= 1.0


def union(*shapes):
    return lambda x, y: any(s(x, y) for s in shapes)


def blend(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


def render(width, height, background, layers, samples=4):
    """Anti-aliased picture: each layer is (shape, fill, outline colour, outline width)."""
    pixels = [[background] * width for _ in range(height)]
    offsets = [(i + 0.5) / samples for i in range(samples)]
    ring = [(math.cos(a * math.pi / 4), math.sin(a * math.pi / 4)) for a in range(8)]
    for shape, fill, line, line_width in layers:
        for y in range(height):
            for x in range(width):
                total = [0.0, 0.0, 0.0]
                covered = False
                base = pixels[y][x]
                for oy in offsets:
                    for ox in offsets:
                        px, py = x + ox, y + oy
                        colour = base
                        if shape(px, py):
                            covered = True
                            on_edge = line_width > 0 and not all(
                                shape(px + dx * line_width, py + dy * line_width)
                                for dx, dy in ring)
                            colour = line if on_edge else fill
                        for i in range(3):
                            total[i] += colour[i]
                if covered:
                    n = samples * samples
                    pixels[y][x] = tuple(round(c / n) for c in total)
    return pixels


# --- footprints --------------------------------------------------------------------------------

def foot_shape(cx, cy, length, mirror=False):
    """A right footprint (toes up) of the given length centred on (cx, cy); `mirror` = left."""
    side = -1.0 if mirror else 1.0

    def at(u, v):
        return cx + side * u * length, cy + v * length

    parts = [blob(
        3.0,
        ellipse_field(*at(0.03, -0.11), 0.22 * length, 0.18 * length),  # ball of the foot
        ellipse_field(*at(0.08, 0.10), 0.12 * length, 0.22 * length),  # outer arch
        ellipse_field(*at(0.00, 0.31), 0.155 * length, 0.17 * length),  # heel
    )]
    for u, v, r in [(-0.10, -0.385, 0.075), (0.04, -0.40, 0.05), (0.13, -0.37, 0.045),
                    (0.20, -0.32, 0.04), (0.255, -0.25, 0.035)]:
        parts.append(ellipse(*at(u, v), r * length, r * length))
    return union(*parts)


def footprint(index):
    """Footprint `index` of 16: grows from a third of the tile to the whole tile, and turns
    from green to red like the dot colours, so heavier presses leave bigger, hotter prints."""
    t = index / 15.0
    length = 13.0 + 18.0 * t
    stops = [(0, 150, 0), (150, 190, 0), (235, 170, 0), (230, 90, 0), (200, 0, 0)]
    position = t * (len(stops) - 1)
    k = min(int(position), len(stops) - 2)
    fill = blend(stops[k], stops[k + 1], position - k)
    line = blend(fill, (0, 0, 0), 0.45)
    shape = foot_shape(16.0, 16.0, length)
    # Hard edges: the program treats exact white as transparent, so blended edge pixels would
    # leave a pale fringe around every print.
    inside = [[sum(shape(x + (i + 0.5) / 4, y + (j + 0.5) / 4) for i in range(4) for j in range(4))
               >= 8 for x in range(32)] for y in range(32)]
    pixels = [[WHITE] * 32 for _ in range(32)]
    for y in range(32):
        for x in range(32):
            if not inside[y][x]:
                continue
            edge = any(not (0 <= x + dx < 32 and 0 <= y + dy < 32 and inside[y + dy][x + dx])
                       for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
            pixels[y][x] = line if edge and length > 13 else fill
    return pixels


# --- base pictures ------------------------------------------------------------------------------

def insole_shape(cx, cy, length, mirror):
    side = -1.0 if mirror else 1.0

    def at(u, v):
        return cx + side * u * length, cy + v * length

    return blob(
        2.0,
        ellipse_field(*at(0.02, -0.22), 0.23 * length, 0.26 * length),  # toe and ball area
        ellipse_field(*at(0.06, 0.04), 0.17 * length, 0.30 * length),  # waist
        ellipse_field(*at(0.00, 0.30), 0.165 * length, 0.19 * length),  # heel cup
    )


def insoles():
    layers = []
    for cx, mirror in ((52.0, True), (148.0, False)):
        layers.append((insole_shape(cx, 101.0, 182.0, mirror), (238, 214, 170), (120, 84, 50), 2.0))
        # Stitching: a dashed seam a few pixels inside the edge, dashes by angle around the centre.
        seam = insole_shape(cx, 101.0, 164.0, mirror)

        def stitch(x, y, seam=seam, cx=cx):
            if not seam(x, y) or all(seam(x + dx, y + dy) for dx, dy in
                                     ((1.2, 0), (-1.2, 0), (0, 1.2), (0, -1.2))):
                return False
            angle = math.atan2((y - 101.0) / 2.2, x - cx)
            return int((angle + math.pi) / (2 * math.pi) * 60) % 2 == 0

        layers.append((stitch, (170, 125, 78), (170, 125, 78), 0))
    return render(200, 200, BASE_COLOR, layers)


def hand():
    skin, line = (242, 204, 172), (150, 95, 70)
    palm = union(ellipse(100, 128, 46, 52), ellipse(100, 150, 40, 40))
    fingers = [capsule(x0, 100, x1, y1, r) for x0, x1, y1, r in
               ((70, 58, 46, 10.5), (89, 86, 24, 11), (109, 114, 28, 10.5), (127, 140, 50, 9.5))]
    thumb = capsule(62, 150, 30, 104, 11.5)
    shape = union(palm, thumb, *fingers)
    crease = lambda x, y: palm(x, y) and abs(math.hypot(x - 132, y - 178) - 52) < 0.8 and y < 170
    nails = [ellipse(x, y, 5.5, 6.5) for x, y in ((60, 52), (86, 31), (114, 35), (139, 56))]
    return render(200, 200, BASE_COLOR, [
        (shape, skin, line, 2.0),
        (crease, line, line, 0),
        (union(*nails), (250, 226, 214), (196, 150, 130), 1.0),
    ])


def grid():
    pixels = [[(250, 250, 250)] * 200 for _ in range(200)]
    for y in range(200):
        for x in range(200):
            if x in (0, 199) or y in (0, 199) or x % 50 == 0 or y % 50 == 0:
                pixels[y][x] = (110, 130, 190)
            elif x % 10 == 0 or y % 10 == 0:
                pixels[y][x] = (196, 206, 232)
    return pixels


# --- sounds ----------------------------------------------------------------------------------

RATE = 22050


def tone(duration, partials, decay, noise=0.0, seed=1):
    rng = random.Random(seed)
    count = int(duration * RATE)
    fade = int(0.002 * RATE)
    out = []
    for n in range(count):
        t = n / RATE
        s = sum(a * math.sin(2 * math.pi * f * t) for f, a in partials)
        s += noise * (rng.random() * 2 - 1) * math.exp(-t * 400)
        s *= math.exp(-t * decay) * min(1.0, n / fade, (count - n) / fade)
        out.append(0.8 * s)
    return out


def main():
    root = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "demo")
    for folder in ("Bmp", "Base", "Sound"):
        os.makedirs(os.path.join(root, folder), exist_ok=True)
    for i in range(16):
        write_bmp(os.path.join(root, "Bmp", f"Foot_{i}.bmp"), 32, 32, footprint(i))
    for i, picture in enumerate((insoles(), hand(), grid())):
        write_bmp(os.path.join(root, "Base", f"Base_{i}.bmp"), 200, 200, picture)
    write_wav(os.path.join(root, "Sound", "tap.wav"),
              tone(0.12, [(880, 0.7), (1760, 0.2)], 35, noise=0.3), RATE)
    write_wav(os.path.join(root, "Sound", "chime.wav"),
              tone(0.30, [(1318.5, 0.5), (1975.5, 0.3), (2637, 0.1)], 12), RATE)
    write_wav(os.path.join(root, "Sound", "click.wav"),
              tone(0.05, [(2200, 0.3)], 120, noise=0.8, seed=7), RATE)


if __name__ == "__main__":
    main()
