#!/usr/bin/env python3
"""Draw Partello's icon and hand cursor and write them as ICO / CUR files.

Standard library only; the output is byte-for-byte reproducible.

    python3 scripts/make-assets.py [output-dir]     (default: resources/)

partello.ico  one 64x64 image, 32 bpp BGRA DIB with a 1 bpp AND mask.
hand.cur      one 32x32 monochrome image, hot spot (5, 0).
"""

import math
import os
import struct
import sys

SIZE = 64   # icon edge in pixels
SS = 6      # supersamples per pixel edge (SS*SS samples per pixel)


# --------------------------------------------------------------------------
# Tiny vector rasteriser: shapes are predicates on (x, y) in pixel units,
# coverage comes from SS x SS supersampling, colours are composited with
# the usual "over" operator on premultiplied RGBA floats.
# --------------------------------------------------------------------------

class Canvas:
    def __init__(self, size):
        self.size = size
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]

    def fill(self, inside, rgb, alpha=1.0, box=None):
        """Composite colour rgb (0-255) wherever inside(x, y) holds."""
        n = self.size
        x0, y0, x1, y1 = box if box else (0, 0, n, n)
        x0, y0 = max(0, int(x0)), max(0, int(y0))
        x1, y1 = min(n, int(math.ceil(x1))), min(n, int(math.ceil(y1)))
        r, g, b = (c / 255.0 for c in rgb)
        step = 1.0 / SS
        offs = [(i + 0.5) * step for i in range(SS)]
        for py in range(y0, y1):
            for px in range(x0, x1):
                hits = 0
                for oy in offs:
                    for ox in offs:
                        if inside(px + ox, py + oy):
                            hits += 1
                if not hits:
                    continue
                a = alpha * hits / (SS * SS)
                p = self.px[py * n + px]
                k = 1.0 - a
                p[0] = r * a + p[0] * k
                p[1] = g * a + p[1] * k
                p[2] = b * a + p[2] * k
                p[3] = a + p[3] * k

    def rgba8(self):
        """Straight (non-premultiplied) 8-bit RGBA rows, top row first."""
        out = []
        for p in self.px:
            a = p[3]
            if a <= 0.0:
                out.append((0, 0, 0, 0))
                continue
            out.append(tuple(int(round(min(1.0, c / a) * 255)) for c in p[:3])
                       + (int(round(a * 255)),))
        return out


def in_polygon(pts):
    """Even-odd point-in-polygon test."""
    edges = list(zip(pts, pts[1:] + pts[:1]))

    def inside(x, y):
        c = False
        for (ax, ay), (bx, by) in edges:
            if (ay > y) != (by > y):
                if x < ax + (y - ay) * (bx - ax) / (by - ay):
                    c = not c
        return c
    return inside


def seg_dist(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = ((x - ax) * dx + (y - ay) * dy) / float(dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    return math.hypot(x - ax - t * dx, y - ay - t * dy)


def near_polyline(pts, width, closed=True):
    segs = list(zip(pts, pts[1:] + (pts[:1] if closed else [])))
    half = width / 2.0

    def inside(x, y):
        return any(seg_dist(x, y, ax, ay, bx, by) <= half
                   for (ax, ay), (bx, by) in segs)
    return inside


def in_circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def in_ring(cx, cy, r_out, r_in):
    def inside(x, y):
        d = (x - cx) ** 2 + (y - cy) ** 2
        return r_in * r_in <= d <= r_out * r_out
    return inside


def both(f, g):
    return lambda x, y: f(x, y) and g(x, y)


def shifted(f, dx, dy):
    return lambda x, y: f(x - dx, y - dy)


# --------------------------------------------------------------------------
# The icon: a page with a folded corner, cut along a diagonal into two
# halves that have drifted slightly apart; a pair of scissors sits at the
# start of the cut.
# --------------------------------------------------------------------------

OUTLINE_A = (40, 92, 150)     # upper half: blue
FILL_A = (226, 238, 252)
LINES_A = (150, 184, 226)
OUTLINE_B = (44, 128, 96)     # lower half: green
FILL_B = (226, 246, 234)
LINES_B = (146, 206, 172)
FOLD = (196, 214, 240)
SHADOW = (20, 30, 50)
BLADE = (64, 72, 90)
BLADE_HI = (196, 204, 218)
OPEN = 22      # half the opening angle of the scissors, degrees
HANDLE = (226, 96, 64)

L, T, R, B, DOG = 21, 3, 58, 54, 11     # page box and fold size
PAGE = [(L, T), (R - DOG, T), (R, T + DOG), (R, B), (L, B)]
CUT_A, CUT_B = (L, 45.0), (R, 19.0)     # the cut, lower-left to upper-right
CUT_LEN = math.hypot(CUT_B[0] - CUT_A[0], CUT_B[1] - CUT_A[1])
GAP = 2.8                               # each half moves this far off the cut


def cut_side(x, y):
    """Signed distance from the cut line times CUT_LEN:
    > 0 below/right of it, < 0 above/left."""
    (ax, ay), (bx, by) = CUT_A, CUT_B
    return (bx - ax) * (y - ay) - (by - ay) * (x - ax)


def cut_normal():
    (ax, ay), (bx, by) = CUT_A, CUT_B
    nx, ny = -(by - ay), (bx - ax)
    d = math.hypot(nx, ny)
    return nx / d, ny / d          # points to the lower-right side


def draw_half(cv, upper):
    nx, ny = cut_normal()
    sign = -1.0 if upper else 1.0
    dx, dy = sign * GAP * nx, sign * GAP * ny
    outline, fill, lines = ((OUTLINE_A, FILL_A, LINES_A) if upper
                            else (OUTLINE_B, FILL_B, LINES_B))

    page = in_polygon(PAGE)
    side = (lambda x, y: cut_side(x, y) < 0) if upper else \
           (lambda x, y: cut_side(x, y) > 0)
    piece = both(page, side)
    box = (L - 4 + dx, T - 4 + dy, R + 4 + dx, B + 4 + dy)

    # soft drop shadow: two faint passes, the wider one first
    for grow, a in ((1.8, 0.10), (0.8, 0.14)):
        edge = near_polyline(PAGE, 2 * grow)
        shade = both(lambda x, y, e=edge: page(x, y) or e(x, y), side)
        cv.fill(shifted(shade, dx + 1.0, dy + 1.6), SHADOW, a,
                (box[0], box[1], box[2] + 3, box[3] + 3))

    cv.fill(shifted(piece, dx, dy), fill, 1.0, box)

    # text lines, kept clear of the cut; stubs too short to read are dropped
    clear = 2.4 * CUT_LEN
    keep = (lambda x, y: cut_side(x, y) < -clear) if upper else \
           (lambda x, y: cut_side(x, y) > clear)
    for i, y in enumerate(range(T + 9, B - 4, 6)):
        x_end = R - DOG - 3 if i == 0 else R - 6
        bar = both(in_polygon([(L + 5, y), (x_end, y), (x_end, y + 2.2),
                               (L + 5, y + 2.2)]), keep)
        if sum(bar(x + 0.5, y + 1.1) for x in range(L + 5, x_end)) >= 5:
            cv.fill(shifted(bar, dx, dy), lines, 1.0, box)

    # outline: page border plus the cut edge, both inside the piece
    border = near_polyline(PAGE, 3.0)
    rim = both(piece, lambda x, y: border(x, y)
               or abs(cut_side(x, y)) <= 1.5 * CUT_LEN)
    cv.fill(shifted(rim, dx, dy), outline, 1.0, box)

    if upper:   # the folded corner lies in the upper half
        fold = [(R - DOG, T), (R - DOG, T + DOG), (R, T + DOG)]
        cv.fill(shifted(in_polygon(fold), dx, dy), FOLD, 1.0, box)
        cv.fill(shifted(both(in_polygon(fold), near_polyline(fold, 3.0)),
                        dx, dy), outline, 1.0, box)


def draw_scissors(cv):
    """Open scissors at the start of the cut, blades biting into the page."""
    (ax, ay), (bx, by) = CUT_A, CUT_B
    d = math.hypot(bx - ax, by - ay)
    ux, uy = (bx - ax) / d, (by - ay) / d      # along the cut
    px, py = ax - 6.5 * ux, ay - 6.5 * uy       # pivot, just before the page
    box = (0, 24, 46, 64)

    def frame(side):
        """Map (along, across) in one blade's frame to pixels; the blade
        axis is the cut turned by OPEN degrees to one side."""
        t = math.radians(OPEN) * side
        c, s = math.cos(t), math.sin(t)
        ex, ey = ux * c - uy * s, ux * s + uy * c
        nx, ny = -ey * side, ex * side          # across, away from the cut
        return lambda a, b: (px + a * ex + b * nx, py + a * ey + b * ny)

    for side in (-1, 1):
        at = frame(side)
        # the shank runs back through the pivot to the ring on the far side
        shank = near_polyline([at(0.0, 0.3), at(-6.0, -0.6)], 2.8, False)
        cv.fill(shank, BLADE, 1.0, box)
        hx, hy = at(-9.4, -1.6)
        cv.fill(in_ring(hx, hy, 4.0, 2.0), HANDLE, 1.0, box)
    for side in (1, -1):
        at = frame(side)
        blade = [at(-1.5, -1.2), at(16.5, -0.2), at(10.0, 2.0), at(2.0, 2.8),
                 at(-1.5, 2.2)]
        cv.fill(in_polygon(blade), BLADE, 1.0, box)
        cv.fill(near_polyline([at(2.0, -0.2), at(13.0, -0.1)], 0.8, False),
                BLADE_HI, 0.8, box)
    cv.fill(in_circle(px, py, 1.0), BLADE_HI, 1.0, box)


def draw_icon():
    cv = Canvas(SIZE)
    draw_half(cv, upper=False)
    draw_half(cv, upper=True)
    draw_scissors(cv)
    return cv.rgba8()


def ico_bytes(rgba, n):
    """ICO file holding one n x n 32 bpp image."""
    xor = bytearray()
    mask = bytearray()
    mask_stride = ((n + 31) // 32) * 4
    for y in range(n - 1, -1, -1):             # DIB rows run bottom-up
        bits = 0
        row = bytearray()
        for x in range(n):
            r, g, b, a = rgba[y * n + x]
            xor += bytes((b, g, r, a))
            bits = (bits << 1) | (1 if a == 0 else 0)
            if x % 8 == 7:
                row.append(bits)
                bits = 0
        mask += row.ljust(mask_stride, b"\0")
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0,
                         len(xor) + len(mask), 0, 0, 0, 0)
    image = header + bytes(xor) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack(
        "<BBBBHHII", n % 256, n % 256, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + image


# --------------------------------------------------------------------------
# The cursor: drawn as text, one character per pixel.
#   '.' transparent   'X' black   'o' white
# --------------------------------------------------------------------------

HAND = """
.....XX.........................
....XooX........................
....XooX........................
....XooX........................
....XooX........................
....XooXXX......................
....XooXooXXX...................
....XooXooXooXX.................
....XooXooXooXoX................
.XX.XooXooXooXooX...............
XooXXooXooXooXooX...............
XoooXooooooooooooX..............
.XoooooooooooooooX..............
..XooooooooooooooX..............
...XoooooooooooooX..............
...XoooooooooooooX..............
....XooooooooooooX..............
.....XoooooooooooX..............
.....XooooooooooX...............
......XooooooooX................
......XXXXXXXXXX................
......XooooooooX................
......XXXXXXXXXX................
"""
HOTSPOT = (5, 0)


def cursor_rows():
    rows = [r for r in HAND.strip().splitlines()]
    rows += ["." * 32] * (32 - len(rows))
    assert len(rows) == 32 and all(len(r) == 32 for r in rows), "hand art"
    assert rows[HOTSPOT[1]][HOTSPOT[0]] == "X", "hot spot off the fingertip"
    return rows


def cur_bytes(rows, hotspot):
    """CUR file holding one 32x32 monochrome image."""
    n = 32

    def plane(bit_of):
        out = bytearray()
        for r in reversed(rows):                # bottom-up
            v = 0
            for ch in r:
                v = (v << 1) | bit_of(ch)
            out += struct.pack(">I", v)         # 32 px = 4 bytes, MSB first
        return bytes(out)

    xor = plane(lambda c: 1 if c == "o" else 0)
    and_ = plane(lambda c: 1 if c == "." else 0)
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 1, 0,
                         len(xor) + len(and_), 0, 0, 2, 0)
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    image = header + palette + xor + and_
    directory = struct.pack("<HHH", 0, 2, 1) + struct.pack(
        "<BBBBHHII", n, n, 2, 0, hotspot[0], hotspot[1], len(image), 6 + 16)
    return directory + image


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = (sys.argv[1] if len(sys.argv) > 1
           else os.path.join(here, os.pardir, "resources"))
    os.makedirs(out, exist_ok=True)
    with open(os.path.join(out, "partello.ico"), "wb") as f:
        f.write(ico_bytes(draw_icon(), SIZE))
    with open(os.path.join(out, "hand.cur"), "wb") as f:
        f.write(cur_bytes(cursor_rows(), HOTSPOT))


if __name__ == "__main__":
    main()
