#!/usr/bin/env python3
"""Draws the installer wizard's branding art procedurally (standard library only).

Writes, relative to the repository root:
  resources/art/picture1.bmp  32x32 24-bpp, opaque, sound-level gauge emblem on navy
  resources/art/picture2.bmp  48x48 24-bpp, transparent via key colour (195,195,195):
                              report template with table grid and an install badge
  resources/art/app.ico       one 32x32 16-colour (4-bpp) image with AND mask

Shapes are signed distance functions sampled on a supersampled grid, each
sample getting an analytic edge coverage, then box-filtered down.
Run:  python3 tools/art/draw_art.py [output_dir]
"""

import math
import os
import struct
import sys

NAVY = (0, 0, 128)
KEY = (195, 195, 195)


# --------------------------------------------------------------------------
# Signed distance shapes (logical pixel units, y axis pointing down)
# --------------------------------------------------------------------------
class Shape:
    def __init__(self, fn, bbox):
        self.fn = fn          # (x, y) -> signed distance, negative inside
        self.bbox = bbox      # (x0, y0, x1, y1)

    def __or__(self, other):
        a, b = self.fn, other.fn
        return Shape(lambda x, y: min(a(x, y), b(x, y)), _bb_union(self.bbox, other.bbox))

    def __and__(self, other):
        a, b = self.fn, other.fn
        return Shape(lambda x, y: max(a(x, y), b(x, y)), _bb_inter(self.bbox, other.bbox))

    def __sub__(self, other):
        a, b = self.fn, other.fn
        return Shape(lambda x, y: max(a(x, y), -b(x, y)), self.bbox)

    def grow(self, r):
        f = self.fn
        x0, y0, x1, y1 = self.bbox
        return Shape(lambda x, y: f(x, y) - r, (x0 - r, y0 - r, x1 + r, y1 + r))

    def moved(self, dx, dy):
        f = self.fn
        x0, y0, x1, y1 = self.bbox
        return Shape(lambda x, y: f(x - dx, y - dy), (x0 + dx, y0 + dy, x1 + dx, y1 + dy))


def _bb_union(a, b):
    return (min(a[0], b[0]), min(a[1], b[1]), max(a[2], b[2]), max(a[3], b[3]))


def _bb_inter(a, b):
    return (max(a[0], b[0]), max(a[1], b[1]), min(a[2], b[2]), min(a[3], b[3]))


def circle(cx, cy, r):
    return Shape(lambda x, y: math.hypot(x - cx, y - cy) - r, (cx - r, cy - r, cx + r, cy + r))


def ring(cx, cy, r_in, r_out):
    mid, half = (r_in + r_out) / 2, (r_out - r_in) / 2
    return Shape(lambda x, y: abs(math.hypot(x - cx, y - cy) - mid) - half,
                 (cx - r_out, cy - r_out, cx + r_out, cy + r_out))


def rrect(x0, y0, x1, y1, r=0.0):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def f(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - r
    return Shape(f, (x0, y0, x1, y1))


def segment(ax, ay, bx, by, width):
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy or 1e-9
    h = width / 2

    def f(x, y):
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / ll))
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - h
    return Shape(f, (min(ax, bx) - h, min(ay, by) - h, max(ax, bx) + h, max(ay, by) + h))


def polygon(pts):
    n = len(pts)

    def f(x, y):
        d = float("inf")
        inside = False
        for i in range(n):
            ax, ay = pts[i]
            bx, by = pts[(i + 1) % n]
            ex, ey = bx - ax, by - ay
            ll = ex * ex + ey * ey or 1e-9
            t = max(0.0, min(1.0, ((x - ax) * ex + (y - ay) * ey) / ll))
            d = min(d, math.hypot(x - ax - t * ex, y - ay - t * ey))
            if (ay > y) != (by > y) and x < ax + (y - ay) * ex / ey:
                inside = not inside
        return -d if inside else d
    xs = [p[0] for p in pts]
    ys = [p[1] for p in pts]
    return Shape(f, (min(xs), min(ys), max(xs), max(ys)))


def _dir(deg):
    """Unit vector for an angle in degrees, counter-clockwise, on the screen."""
    a = math.radians(deg)
    return math.cos(a), -math.sin(a)


def arc_band(cx, cy, r_in, r_out, a0, a1):
    """Annular band from angle a0 to a1 (degrees, ccw, a1 - a0 < 180)."""
    d0 = (math.cos(math.radians(a0)), math.sin(math.radians(a0)))
    d1 = (math.cos(math.radians(a1)), math.sin(math.radians(a1)))
    band = ring(cx, cy, r_in, r_out)
    bf = band.fn

    def f(x, y):
        vx, vy = x - cx, cy - y              # y up
        c0 = d0[0] * vy - d0[1] * vx         # >= 0 left of d0
        c1 = vx * d1[1] - vy * d1[0]         # >= 0 right of d1
        return max(bf(x, y), -c0, -c1)
    return Shape(f, band.bbox)


# --------------------------------------------------------------------------
# Supersampled premultiplied RGBA canvas
# --------------------------------------------------------------------------
class Canvas:
    def __init__(self, w, h, ss=4):
        self.w, self.h, self.ss = w, h, ss
        self.W, self.H = w * ss, h * ss
        n = self.W * self.H
        self.r = [0.0] * n
        self.g = [0.0] * n
        self.b = [0.0] * n
        self.a = [0.0] * n

    def paint(self, shape, color, opacity=1.0, soft=0.0):
        """Composite `shape` filled with `color` (rgb tuple or fn(x, y)->rgb).

        soft > 0 widens the edge ramp (in logical pixels) for shadows/glows.
        """
        ss = self.ss
        ramp = max(soft, 1.0 / ss)
        x0, y0, x1, y1 = shape.bbox
        pad = soft + 1
        i0 = max(0, int(math.floor((x0 - pad) * ss)))
        i1 = min(self.W, int(math.ceil((x1 + pad) * ss)))
        j0 = max(0, int(math.floor((y0 - pad) * ss)))
        j1 = min(self.H, int(math.ceil((y1 + pad) * ss)))
        fn = shape.fn
        const = None if callable(color) else color
        R, G, B, A = self.r, self.g, self.b, self.a
        for j in range(j0, j1):
            y = (j + 0.5) / ss
            row = j * self.W
            for i in range(i0, i1):
                x = (i + 0.5) / ss
                d = fn(x, y)
                cov = 0.5 - d / ramp
                if cov <= 0:
                    continue
                if cov > 1:
                    cov = 1.0
                cov *= opacity
                cr, cg, cb = const if const else color(x, y)
                k = row + i
                inv = 1.0 - cov
                R[k] = cr * cov + R[k] * inv
                G[k] = cg * cov + G[k] * inv
                B[k] = cb * cov + B[k] * inv
                A[k] = cov + A[k] * inv

    def resolve(self):
        """Box-filter down; returns rows of (r, g, b, a) premultiplied floats."""
        ss, W = self.ss, self.W
        n = ss * ss
        out = []
        for y in range(self.h):
            row = []
            for x in range(self.w):
                sr = sg = sb = sa = 0.0
                for j in range(y * ss, y * ss + ss):
                    base = j * W + x * ss
                    for k in range(base, base + ss):
                        sr += self.r[k]
                        sg += self.g[k]
                        sb += self.b[k]
                        sa += self.a[k]
                row.append((sr / n, sg / n, sb / n, sa / n))
            out.append(row)
        return out


def over(px, bg):
    r, g, b, a = px
    return tuple(int(round(max(0, min(255, c + bc * (1 - a))))) for c, bc in zip((r, g, b), bg))


def mix(c1, c2, t):
    t = max(0.0, min(1.0, t))
    return tuple(a + (b - a) * t for a, b in zip(c1, c2))


def lin_grad(x0, y0, c0, x1, y1, c1):
    dx, dy = x1 - x0, y1 - y0
    ll = dx * dx + dy * dy
    return lambda x, y: mix(c0, c1, ((x - x0) * dx + (y - y0) * dy) / ll)


def rad_grad(cx, cy, r, c0, c1):
    return lambda x, y: mix(c0, c1, math.hypot(x - cx, y - cy) / r)


# --------------------------------------------------------------------------
# Picture 1: sound-level gauge emblem, 32x32, opaque on navy
# --------------------------------------------------------------------------
GAUGE_START, GAUGE_END = 220.0, -40.0      # scale sweep, degrees ccw


def gauge_angle(t):
    return GAUGE_START + (GAUGE_END - GAUGE_START) * t


def draw_picture1():
    cv = Canvas(32, 32, ss=6)
    cx, cy = 16.0, 16.0
    # soft glow behind the emblem, lifting it off the navy
    cv.paint(circle(cx, cy, 14.0), (70, 110, 230), opacity=0.45, soft=5.0)
    # drop shadow
    cv.paint(circle(cx + 0.8, cy + 1.2, 14.6), (0, 0, 40), opacity=0.6, soft=1.6)
    # bezel: chrome ring
    cv.paint(circle(cx, cy, 15.0), (20, 24, 48))
    cv.paint(circle(cx, cy, 14.3), lin_grad(6, 3, (250, 252, 255), 27, 30, (92, 100, 122)))
    cv.paint(circle(cx, cy, 12.4), lin_grad(6, 3, (70, 76, 96), 27, 30, (220, 226, 236)))
    # dial face
    cv.paint(circle(cx, cy, 11.6), rad_grad(cx - 3, cy - 4, 17, (255, 255, 255), (200, 210, 226)))
    # coloured scale band: green -> yellow -> red
    r_in, r_out = 8.0, 10.6
    bands = [(0.00, 0.32, (30, 170, 60)), (0.32, 0.58, (120, 200, 40)),
             (0.58, 0.80, (245, 200, 0)), (0.80, 1.00, (220, 30, 30))]
    for t0, t1, col in bands:
        a0, a1 = gauge_angle(t1), gauge_angle(t0)   # ccw order
        cv.paint(arc_band(cx, cy, r_in, r_out, a0, a1), col)
    # major ticks across the band
    for k in range(6):
        ux, uy = _dir(gauge_angle(k / 5))
        cv.paint(segment(cx + ux * 6.6, cy + uy * 6.6, cx + ux * 10.8, cy + uy * 10.8, 0.75),
                 (30, 34, 52))
    # digital readout window in the gap at the bottom
    cv.paint(rrect(11.6, 19.6, 20.4, 24.2, 0.8), (28, 40, 44))
    cv.paint(rrect(12.3, 20.3, 19.7, 23.5, 0.4), (150, 220, 120))
    for x in (13.2, 15.4, 17.6):       # three lit segment "digits"
        cv.paint(rrect(x, 20.9, x + 1.4, 22.9, 0.2), (20, 60, 20))
    # needle (slightly past the yellow), with a faint shadow
    na = gauge_angle(0.70)
    ux, uy = _dir(na)
    tip = (cx + ux * 10.4, cy + uy * 10.4)
    tail = (cx - ux * 2.6, cy - uy * 2.6)
    nx, ny = -uy, ux
    needle = polygon([(tip[0], tip[1]),
                      (cx + nx * 1.25, cy + ny * 1.25),
                      (tail[0], tail[1]),
                      (cx - nx * 1.25, cy - ny * 1.25)])
    cv.paint(needle.moved(0.6, 0.8), (0, 0, 40), opacity=0.35, soft=0.8)
    cv.paint(needle, (200, 16, 16))
    # hub
    cv.paint(circle(cx, cy, 2.3), lin_grad(cx - 2, cy - 2, (120, 126, 140), cx + 2, cy + 2, (16, 18, 30)))
    cv.paint(circle(cx - 0.6, cy - 0.6, 0.8), (230, 232, 240), opacity=0.8)
    # glass highlight on the upper face
    gloss = circle(cx, cy, 11.0) & circle(cx - 4.5, cy - 7.5, 9.0)
    cv.paint(gloss, (255, 255, 255), opacity=0.35)

    px = cv.resolve()
    return [[over(p, NAVY) for p in row] for row in px]


# --------------------------------------------------------------------------
# Picture 2: report template with table + install badge, 48x48, keyed
# --------------------------------------------------------------------------
def draw_picture2():
    cv = Canvas(48, 48, ss=6)
    # page outline with a folded top-right corner
    L, T, R, B, F = 5.0, 3.0, 33.0, 43.0, 7.0
    page = polygon([(L, T), (R - F, T), (R, T + F), (R, B), (L, B)])
    # drop shadow
    cv.paint(page.moved(1.6, 1.8), (0, 0, 30), opacity=0.55, soft=1.8)
    # outline and paper
    cv.paint(page.grow(0.9), (36, 44, 80))
    cv.paint(page, lin_grad(L, T, (255, 255, 255), R, B, (220, 228, 240)))
    # folded corner
    fold = polygon([(R - F, T), (R - F, T + F), (R, T + F)])
    cv.paint(fold.grow(0.45), (36, 44, 80))
    cv.paint(fold, lin_grad(R - F, T + F, (186, 198, 222), R - F / 2, T + F / 2, (244, 247, 252)))
    # report heading: coloured title bar and a text line
    cv.paint(rrect(L + 3, T + 3.2, L + 16, T + 5.6, 0.6), (0, 60, 160))
    cv.paint(rrect(L + 3, T + 7.4, L + 20, T + 8.8, 0.5), (140, 150, 172))
    # measurement table
    tx0, tx1 = L + 3.0, R - 3.0
    ty0, rh, rows = T + 12.0, 4.2, 6
    ty1 = ty0 + rh * rows
    cols = [tx0, tx0 + 8.4, tx0 + 15.4, tx1]
    cv.paint(rrect(tx0, ty0, tx1, ty0 + rh, 0.0), lin_grad(0, ty0, (50, 110, 215), 0, ty0 + rh, (20, 70, 170)))
    for r in range(1, rows):
        if r % 2 == 0:
            cv.paint(rrect(tx0, ty0 + r * rh, tx1, ty0 + (r + 1) * rh), (226, 234, 248))
    grid = (112, 128, 160)
    for r in range(rows + 1):
        y = ty0 + r * rh
        cv.paint(rrect(tx0 - 0.35, y - 0.35, tx1 + 0.35, y + 0.35), grid)
    for x in cols:
        cv.paint(rrect(x - 0.35, ty0 - 0.35, x + 0.35, ty1 + 0.35), grid)
    # header captions (white strokes) and cell values (grey strokes)
    lengths = [[4.6, 4.0, 5.0], [5.6, 3.0, 4.2], [4.2, 3.6, 3.2], [6.0, 2.6, 4.6],
               [3.8, 3.4, 3.8], [5.2, 2.8, 5.0]]
    for r in range(rows):
        y = ty0 + r * rh + rh / 2
        for c in range(3):
            x = cols[c] + 1.3
            ln = min(lengths[r][c], cols[c + 1] - cols[c] - 2.4)
            col = (255, 255, 255) if r == 0 else ((60, 70, 96) if c == 0 else (110, 120, 142))
            cv.paint(segment(x, y, x + ln, y, 1.05), col)
    # install badge: green disc with a white down-arrow into a tray
    bx, by, br = 35.0, 34.5, 10.4
    cv.paint(circle(bx + 1.0, by + 1.3, br), (0, 0, 30), opacity=0.5, soft=1.6)
    cv.paint(circle(bx, by, br + 0.9), (8, 60, 20))
    cv.paint(circle(bx, by, br), lin_grad(bx - 6, by - 8, (120, 225, 110), bx + 5, by + 9, (10, 130, 40)))
    cv.paint(circle(bx, by, br - 1.3) - circle(bx, by, br - 2.0), (255, 255, 255), opacity=0.18)
    arrow = polygon([(bx - 2.0, by - 6.6), (bx + 2.0, by - 6.6), (bx + 2.0, by - 0.8),
                     (bx + 5.0, by - 0.8), (bx, by + 4.4), (bx - 5.0, by - 0.8),
                     (bx - 2.0, by - 0.8)])
    tray = (rrect(bx - 6.0, by + 2.6, bx + 6.0, by + 6.6, 0.6)
            - rrect(bx - 4.2, by + 1.0, bx + 4.2, by + 4.9, 0.2))
    cv.paint(arrow.moved(0.3, 0.5) | tray.moved(0.3, 0.5), (0, 70, 20), opacity=0.5, soft=0.6)
    cv.paint(arrow, (255, 255, 255))
    cv.paint(tray, (255, 255, 255))
    # gloss on the badge
    cv.paint(circle(bx, by, br - 0.5) & circle(bx - 3.0, by - 9.0, 9.0), (255, 255, 255), opacity=0.28)

    out = []
    for row in cv.resolve():
        orow = []
        for p in row:
            if p[3] < 0.03:
                orow.append(KEY)
                continue
            c = over(p, NAVY)   # blend anti-aliased edges toward the navy panel
            if c == KEY:
                c = (KEY[0] + 1, KEY[1], KEY[2])
            orow.append(c)
        out.append(orow)
    return out


# --------------------------------------------------------------------------
# Icon: the gauge again, 32x32 in the 16 standard VGA colours
# --------------------------------------------------------------------------
VGA16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
         (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
         (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def draw_icon_layers():
    """Returns (rows of palette index, rows of bool opaque)."""
    cx, cy = 15.5, 15.5
    # Each entry: (shape, palette index); painted in order, last wins by majority.
    items = []
    items.append((circle(cx, cy, 15.6), 0))           # black rim
    items.append((circle(cx, cy, 14.6), 7))           # silver bezel
    # bezel shading: white upper-left arc, grey lower-right arc
    items.append((arc_band(cx, cy, 12.4, 14.6, 95, 175), 15))
    items.append((arc_band(cx, cy, 12.4, 14.6, -85, -5), 8))
    items.append((circle(cx, cy, 12.4), 0))           # inner rim
    items.append((circle(cx, cy, 11.5), 15))          # face
    r_in, r_out = 7.6, 11.0
    for t0, t1, idx in [(0.0, 0.55, 2), (0.55, 0.80, 11), (0.80, 1.0, 9)]:
        items.append((arc_band(cx, cy, r_in, r_out, gauge_angle(t1), gauge_angle(t0)), idx))
    # readout window
    items.append((rrect(11.0, 20.0, 20.0, 25.0, 0.5), 0))
    items.append((rrect(12.0, 21.0, 19.0, 24.0), 10))
    ux, uy = _dir(gauge_angle(0.70))
    nx, ny = -uy, ux
    needle = polygon([(cx + ux * 10.8, cy + uy * 10.8), (cx + nx * 2.0, cy + ny * 2.0),
                      (cx - ux * 2.4, cy - uy * 2.4), (cx - nx * 2.0, cy - ny * 2.0)])
    items.append((needle, 1))
    items.append((circle(cx, cy, 2.5), 0))            # hub
    ss = 8
    size = 32
    grid = [[-1] * (size * ss) for _ in range(size * ss)]
    for shape, idx in items:
        x0, y0, x1, y1 = shape.bbox
        for j in range(max(0, int(y0 * ss) - 1), min(size * ss, int(math.ceil(y1 * ss)) + 1)):
            y = (j + 0.5) / ss
            for i in range(max(0, int(x0 * ss) - 1), min(size * ss, int(math.ceil(x1 * ss)) + 1)):
                if shape.fn((i + 0.5) / ss, y) <= 0:
                    grid[j][i] = idx
    idx_rows, mask_rows = [], []
    for y in range(size):
        irow, mrow = [], []
        for x in range(size):
            counts = {}
            for j in range(y * ss, y * ss + ss):
                for i in range(x * ss, x * ss + ss):
                    v = grid[j][i]
                    counts[v] = counts.get(v, 0) + 1
            # thin dark details (rims, needle) win with less than half coverage
            best = max(counts, key=lambda v: counts[v] * (1.8 if v in (0, 1) else 1.0))
            irow.append(0 if best < 0 else best)
            mrow.append(best >= 0)
        idx_rows.append(irow)
        mask_rows.append(mrow)
    # minimal ticks, pixel-exact, on the coloured band
    for k in range(5):
        ux, uy = _dir(gauge_angle(k / 4))
        for rr in (8.2, 9.2, 10.2):
            px, py = int(cx + 0.5 + ux * rr), int(cy + 0.5 + uy * rr)
            if idx_rows[py][px] in (2, 11, 9):
                idx_rows[py][px] = 0
    # readout digits
    for x in (13, 15, 17):
        idx_rows[22][x] = 2
    return idx_rows, mask_rows


# --------------------------------------------------------------------------
# File writers
# --------------------------------------------------------------------------
def bmp24_bytes(rows):
    h, w = len(rows), len(rows[0])
    stride = (w * 3 + 3) & ~3
    data = bytearray()
    for row in reversed(rows):                     # bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        data += line
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 3780, 3780, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0, 14 + 40)
    return head + info + bytes(data)


def ico4_bytes(idx_rows, mask_rows):
    h, w = len(idx_rows), len(idx_rows[0])
    xor = bytearray()
    xstride = ((w * 4 + 31) // 32) * 4
    for row in reversed(idx_rows):
        line = bytearray()
        for x in range(0, w, 2):
            line.append((row[x] << 4) | (row[x + 1] if x + 1 < w else 0))
        line += b"\0" * (xstride - len(line))
        xor += line
    mand = bytearray()
    astride = ((w + 31) // 32) * 4
    for row in reversed(mask_rows):
        line = bytearray(astride)
        for x, opaque in enumerate(row):
            if not opaque:
                line[x // 8] |= 0x80 >> (x % 8)
        mand += line
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in VGA16)
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 4, 0, len(xor) + len(mand), 0, 0, 0, 0)
    img = info + pal + bytes(xor) + bytes(mand)
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", w, h, 16, 0, 1, 4, len(img), 6 + 16)
    return icondir + entry + img


def apply_icon_mask(idx_rows, mask_rows):
    """Transparent pixels carry index 0 (black) in the XOR image."""
    return [[i if m else 0 for i, m in zip(ir, mr)] for ir, mr in zip(idx_rows, mask_rows)]


# --------------------------------------------------------------------------
# Self-check: parse the files back
# --------------------------------------------------------------------------
def read_bmp24(blob):
    magic, fsize, _, _, off = struct.unpack_from("<2sIHHI", blob, 0)
    (hsz, w, h, planes, bpp, comp, isz, xppm, yppm, used, imp) = struct.unpack_from("<IiiHHIIiiII", blob, 14)
    assert magic == b"BM" and fsize == len(blob) and off == 54, "BMP file header"
    assert hsz == 40 and planes == 1 and bpp == 24 and comp == 0, "BMP info header"
    assert xppm == yppm == 3780 and used == 0 and h > 0, "BMP resolution / orientation"
    stride = (w * 3 + 3) & ~3
    assert isz == stride * h and len(blob) == 54 + stride * h, "BMP pixel data size"
    rows = []
    for y in range(h):
        base = off + (h - 1 - y) * stride
        rows.append([(blob[base + 3 * x + 2], blob[base + 3 * x + 1], blob[base + 3 * x])
                     for x in range(w)])
    return w, h, rows


def check(outdir):
    with open(os.path.join(outdir, "picture1.bmp"), "rb") as f:
        w, h, _ = read_bmp24(f.read())
    assert (w, h) == (32, 32)
    with open(os.path.join(outdir, "picture2.bmp"), "rb") as f:
        w, h, rows = read_bmp24(f.read())
    assert (w, h) == (48, 48)
    assert rows[h - 1][0] == KEY, "bottom-left pixel must be the key colour"
    # the key colour must form the background: every key pixel connects to the border
    seen, stack = set(), [(x, y) for x in range(w) for y in (0, h - 1)] + \
        [(x, y) for y in range(h) for x in (0, w - 1)]
    while stack:
        x, y = stack.pop()
        if (x, y) in seen or not (0 <= x < w and 0 <= y < h) or rows[y][x] != KEY:
            continue
        seen.add((x, y))
        stack += [(x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1)]
    nkey = sum(1 for row in rows for p in row if p == KEY)
    assert nkey == len(seen), "key colour used inside the motif"
    # no light-grey fringe next to the background
    for y in range(h):
        for x in range(w):
            r, g, b = rows[y][x]
            if (r, g, b) != KEY:
                assert not (abs(r - g) < 12 and abs(g - b) < 12 and 150 < r < 240 and
                            any(rows[yy][xx] == KEY for xx, yy in
                                ((x + 1, y), (x - 1, y), (x, y + 1), (x, y - 1))
                                if 0 <= xx < w and 0 <= yy < h)), "grey fringe at %d,%d" % (x, y)
    with open(os.path.join(outdir, "app.ico"), "rb") as f:
        blob = f.read()
    res, typ, cnt = struct.unpack_from("<HHH", blob, 0)
    assert (res, typ, cnt) == (0, 1, 1), "ICONDIR"
    bw, bh, ncol, rsv, planes, bitc, size, off = struct.unpack_from("<BBBBHHII", blob, 6)
    assert (bw, bh, ncol, rsv, planes, bitc, off) == (32, 32, 16, 0, 1, 4, 22), "ICONDIRENTRY"
    assert off + size == len(blob)
    hsz, w, h, planes, bpp, comp = struct.unpack_from("<IiiHHI", blob, off)
    assert (hsz, w, h, planes, bpp, comp) == (40, 32, 64, 1, 4, 0), "icon BITMAPINFOHEADER"
    pal = [tuple(blob[off + 40 + 4 * i + k] for k in (2, 1, 0)) for i in range(16)]
    assert pal == VGA16, "icon palette"
    assert size == 40 + 64 + 32 * 16 + 32 * 4, "icon image size"


def main():
    root = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
    outdir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "resources", "art")
    os.makedirs(outdir, exist_ok=True)
    with open(os.path.join(outdir, "picture1.bmp"), "wb") as f:
        f.write(bmp24_bytes(draw_picture1()))
    with open(os.path.join(outdir, "picture2.bmp"), "wb") as f:
        f.write(bmp24_bytes(draw_picture2()))
    idx, mask = draw_icon_layers()
    with open(os.path.join(outdir, "app.ico"), "wb") as f:
        f.write(ico4_bytes(apply_icon_mask(idx, mask), mask))
    check(outdir)
    print("wrote picture1.bmp, picture2.bmp, app.ico to", outdir)


if __name__ == "__main__":
    main()
