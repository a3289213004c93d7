#!/usr/bin/env python3
"""Draws Halvora's icons and writes them as .ico files beside this script.

    python3 resources/icons/draw_icons.py [output directory]

The pictures are built from shapes (rounded rectangles, polygons, rings) filled
with flat colours or linear gradients and antialiased by supersampling. Every
size is drawn on its own pixel grid rather than shrunk from a large picture, so
the outlines land on whole pixels and stay sharp at 16 x 16. Only the standard
library is used, and the output is byte-for-byte reproducible, so the generated
files are committed and the build never runs this script.
"""

import math
import os
import struct
import sys
import zlib

# ----------------------------------------------------------------------------
# Palette. The program icon and the drive icons share it, so the drive list and
# the title bar look like one set.

def rgb(hex_colour, alpha=1.0):
    h = hex_colour.lstrip("#")
    return (int(h[0:2], 16) / 255.0, int(h[2:4], 16) / 255.0, int(h[4:6], 16) / 255.0, alpha)


OUTLINE = rgb("#3a414b")
DRIVE_TOP = (rgb("#fbfcfd"), rgb("#c9ced6"))
DRIVE_FRONT = (rgb("#8d95a0"), rgb("#5f6772"))
DRIVE_SLOT = rgb("#464d57")
LED = rgb("#3ee05a")

BLUE_OUTLINE = rgb("#0b3f8a")
BLUE = (rgb("#5ab0f5"), rgb("#0c5cc6"))
BLUE_PANE = (rgb("#6cc0ff"), rgb("#1470dc"))

VIRTUAL_DASH = rgb("#1565d0")
VIRTUAL_TOP = (rgb("#ffffff"), rgb("#d9e9fc"))
VIRTUAL_FRONT = (rgb("#a9cdf6"), rgb("#7fb0ea"))
VIRTUAL_LED = rgb("#1565d0")

METAL = (rgb("#f4f6f8"), rgb("#aab2bd"))
METAL_OUTLINE = rgb("#4a525d")
METAL_HOLE = rgb("#353c45")

GREEN = (rgb("#5fdc6c"), rgb("#1c9936"))
GREEN_OUTLINE = rgb("#11602a")

AMBER = (rgb("#ffc94a"), rgb("#e57d06"))
AMBER_OUTLINE = rgb("#8f4c00")
AMBER_EDGE = rgb("#c96400")

WHITE = rgb("#ffffff")


# ----------------------------------------------------------------------------
# Shapes: anything that answers "is this point inside" and gives a bounding box.

class Shape:
    def __or__(self, other):
        return Union(self, other)

    def __and__(self, other):
        return Intersection(self, other)

    def __sub__(self, other):
        return Difference(self, other)


class Rect(Shape):
    def __init__(self, x0, y0, x1, y1):
        self.x0, self.y0, self.x1, self.y1 = x0, y0, x1, y1

    def bbox(self):
        return (self.x0, self.y0, self.x1, self.y1)

    def contains(self, x, y):
        return self.x0 <= x < self.x1 and self.y0 <= y < self.y1


class RoundRect(Shape):
    """A rectangle whose corners are quarter circles; radii are (tl, tr, br, bl)."""

    def __init__(self, x0, y0, x1, y1, r):
        self.x0, self.y0, self.x1, self.y1 = x0, y0, x1, y1
        if not isinstance(r, tuple):
            r = (r, r, r, r)
        self.r = tuple(max(0.0, v) for v in r)

    def bbox(self):
        return (self.x0, self.y0, self.x1, self.y1)

    def contains(self, x, y):
        if not (self.x0 <= x < self.x1 and self.y0 <= y < self.y1):
            return False
        tl, tr, br, bl = self.r
        left = x < (self.x0 + self.x1) / 2
        top = y < (self.y0 + self.y1) / 2
        r = (tl if left else tr) if top else (bl if left else br)
        if r <= 0:
            return True
        cx = self.x0 + r if left else self.x1 - r
        cy = self.y0 + r if top else self.y1 - r
        dx = cx - x if left else x - cx
        dy = cy - y if top else y - cy
        if dx <= 0 or dy <= 0:
            return True
        return dx * dx + dy * dy <= r * r


class Ellipse(Shape):
    def __init__(self, cx, cy, rx, ry=None):
        self.cx, self.cy, self.rx, self.ry = cx, cy, rx, rx if ry is None else ry

    def bbox(self):
        return (self.cx - self.rx, self.cy - self.ry, self.cx + self.rx, self.cy + self.ry)

    def contains(self, x, y):
        dx = (x - self.cx) / self.rx
        dy = (y - self.cy) / self.ry
        return dx * dx + dy * dy <= 1.0


class Polygon(Shape):
    def __init__(self, points):
        self.points = list(points)

    def bbox(self):
        xs = [p[0] for p in self.points]
        ys = [p[1] for p in self.points]
        return (min(xs), min(ys), max(xs), max(ys))

    def contains(self, x, y):
        inside = False
        pts = self.points
        j = len(pts) - 1
        for i in range(len(pts)):
            xi, yi = pts[i]
            xj, yj = pts[j]
            if (yi > y) != (yj > y):
                if x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    inside = not inside
            j = i
        return inside


class Wedge(Shape):
    """Points whose direction from the centre lies within a span of angles (degrees,
    0 = right, 90 = down, as on screen)."""

    def __init__(self, cx, cy, start, end, radius):
        self.cx, self.cy, self.start, self.end, self.radius = cx, cy, start, end, radius

    def bbox(self):
        r = self.radius
        return (self.cx - r, self.cy - r, self.cx + r, self.cy + r)

    def contains(self, x, y):
        a = math.degrees(math.atan2(y - self.cy, x - self.cx)) % 360.0
        s = self.start % 360.0
        e = self.end % 360.0
        return (s <= a <= e) if s <= e else (a >= s or a <= e)


class Union(Shape):
    def __init__(self, a, b):
        self.a, self.b = a, b

    def bbox(self):
        a, b = self.a.bbox(), self.b.bbox()
        return (min(a[0], b[0]), min(a[1], b[1]), max(a[2], b[2]), max(a[3], b[3]))

    def contains(self, x, y):
        return self.a.contains(x, y) or self.b.contains(x, y)


class Intersection(Shape):
    def __init__(self, a, b):
        self.a, self.b = a, b

    def bbox(self):
        a, b = self.a.bbox(), self.b.bbox()
        return (max(a[0], b[0]), max(a[1], b[1]), min(a[2], b[2]), min(a[3], b[3]))

    def contains(self, x, y):
        return self.a.contains(x, y) and self.b.contains(x, y)


class Difference(Shape):
    def __init__(self, a, b):
        self.a, self.b = a, b

    def bbox(self):
        return self.a.bbox()

    def contains(self, x, y):
        return self.a.contains(x, y) and not self.b.contains(x, y)


class Predicate(Shape):
    """A shape given by a function, limited to a box."""

    def __init__(self, box, test):
        self.box, self.test = box, test

    def bbox(self):
        return self.box

    def contains(self, x, y):
        return self.test(x, y)


# ----------------------------------------------------------------------------
# Paints.

def solid(colour):
    return lambda x, y: colour


def linear(x0, y0, x1, y1, c0, c1):
    """A gradient from c0 at (x0, y0) to c1 at (x1, y1), constant across."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy or 1.0

    def paint(x, y):
        t = ((x - x0) * dx + (y - y0) * dy) / length2
        t = min(1.0, max(0.0, t))
        return tuple(a + (b - a) * t for a, b in zip(c0, c1))

    return paint


def vertical(y0, y1, colours):
    return linear(0, y0, 0, y1, colours[0], colours[1])


# ----------------------------------------------------------------------------
# The canvas: premultiplied RGBA floats, composited "source over".

class Canvas:
    def __init__(self, size):
        self.size = size
        self.pixels = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]
        # Small icons get many samples per pixel: their edges are what one sees.
        # Large ones sample a pixel's corners first and only subdivide along edges.
        self.samples = 8 if size <= 64 else 4

    def coverage(self, shape, i, j):
        n = self.samples
        if self.size > 64:
            corners = [shape.contains(i + dx, j + dy) for dx, dy in
                       ((0.01, 0.01), (0.99, 0.01), (0.01, 0.99), (0.99, 0.99), (0.5, 0.5))]
            if all(corners):
                return 1.0
            if not any(corners):
                return 0.0
        hits = 0
        step = 1.0 / n
        for sy in range(n):
            y = j + (sy + 0.5) * step
            for sx in range(n):
                if shape.contains(i + (sx + 0.5) * step, y):
                    hits += 1
        return hits / float(n * n)

    def _pixels_of(self, shape):
        x0, y0, x1, y1 = shape.bbox()
        i0 = max(0, int(math.floor(x0)))
        j0 = max(0, int(math.floor(y0)))
        i1 = min(self.size, int(math.ceil(x1)))
        j1 = min(self.size, int(math.ceil(y1)))
        for j in range(j0, j1):
            for i in range(i0, i1):
                cov = self.coverage(shape, i, j)
                if cov > 0.0:
                    yield i, j, cov

    def fill(self, shape, paint, opacity=1.0):
        for i, j, cov in self._pixels_of(shape):
            r, g, b, a = paint(i + 0.5, j + 0.5)
            a *= cov * opacity
            px = self.pixels[j * self.size + i]
            keep = 1.0 - a
            px[0] = r * a + px[0] * keep
            px[1] = g * a + px[1] * keep
            px[2] = b * a + px[2] * keep
            px[3] = a + px[3] * keep

    def erase(self, shape):
        """Cuts a shape out of what is drawn so far (the gap around a badge)."""
        for i, j, cov in self._pixels_of(shape):
            px = self.pixels[j * self.size + i]
            for k in range(4):
                px[k] *= 1.0 - cov

    def rgba_rows(self):
        """Rows of straight (not premultiplied) 8-bit RGBA, top row first."""
        rows = []
        for j in range(self.size):
            row = bytearray()
            for i in range(self.size):
                r, g, b, a = self.pixels[j * self.size + i]
                if a <= 1.0 / 512:
                    row += b"\0\0\0\0"
                    continue
                row += bytes((
                    max(0, min(255, int(round(r / a * 255)))),
                    max(0, min(255, int(round(g / a * 255)))),
                    max(0, min(255, int(round(b / a * 255)))),
                    max(0, min(255, int(round(a * 255)))),
                ))
            rows.append(bytes(row))
        return rows


# ----------------------------------------------------------------------------
# Drawing helpers shared by the icons. Geometry is laid out on a 16-unit grid
# and scaled; at the sizes Windows shows in lists and dialogs (up to 48) edges
# are rounded to whole pixels and lines stay one pixel wide.

class Grid:
    def __init__(self, size):
        self.size = size
        self.k = size / 16.0
        self.crisp = size <= 48
        # The width of outlines, in pixels.
        self.line = 1.0 if self.crisp else round(size / 64.0)

    def __call__(self, units):
        v = units * self.k
        return float(round(v)) if self.crisp else v

    def px(self, units, minimum=1.0):
        """A length in pixels that never falls below a minimum."""
        v = units * self.k
        return max(minimum, float(round(v)) if self.crisp else v)


def outlined_round_rect(c, g, x0, y0, x1, y1, radius, outline, paint):
    lw = g.line
    c.fill(RoundRect(x0, y0, x1, y1, radius), solid(outline))
    c.fill(RoundRect(x0 + lw, y0 + lw, x1 - lw, y1 - lw, radius - lw), paint)


def dashed_ring(g, x0, y0, x1, y1, radius, dash, gap):
    """The outline of a rounded rectangle drawn as dashes. Each straight side is
    laid out on its own so that it starts and ends with a dash and the pattern is
    symmetric; the corners are always drawn, which keeps the shape readable."""
    lw = g.line
    outer = RoundRect(x0, y0, x1, y1, radius)
    inner = RoundRect(x0 + lw, y0 + lw, x1 - lw, y1 - lw, radius - lw)
    corner = max(radius, lw)

    def side_pattern(a, b):
        length = b - a
        period = dash + gap
        count = max(1, int((length + gap) // period))
        used = count * period - gap
        start = a + (length - used) / 2.0
        if g.crisp:
            start = float(math.floor(start))

        def on(t):
            if t < a or t >= b:
                return True
            if t < start or t >= start + used:
                # The bit of a side left over beside the corner belongs to the corner.
                return True
            return (t - start) % period < dash
        return on

    horizontal = side_pattern(x0 + corner, x1 - corner)
    vertical_ = side_pattern(y0 + corner, y1 - corner)

    def test(x, y):
        if not outer.contains(x, y) or inner.contains(x, y):
            return False
        near_top_or_bottom = y < y0 + lw or y >= y1 - lw
        near_left_or_right = x < x0 + lw or x >= x1 - lw
        if near_top_or_bottom and near_left_or_right:
            return True
        if x < x0 + corner or x >= x1 - corner:
            if y < y0 + corner or y >= y1 - corner:
                return True
        if near_top_or_bottom:
            return horizontal(math.floor(x) + 0.5 if g.crisp else x)
        return vertical_(math.floor(y) + 0.5 if g.crisp else y)

    return Predicate((x0, y0, x1, y1), test)


def draw_drive(c, g, x0, y0, x1, y1, virtual=False):
    """A fixed disk seen from the front: a light top face over a darker front
    strip with an activity light. The virtual one is the same slab, pale and with
    a dashed outline, as Windows draws things that only exist as files."""
    lw = g.line
    radius = g.px(1.0)
    # The top face takes half the slab less one unit, the front strip the rest:
    # a tall front leaves room for the light and the slots.
    split = y0 + lw + g((y1 - y0) / g.k / 2.0 - 1.0)
    top_paint = vertical(y0, split, VIRTUAL_TOP if virtual else DRIVE_TOP)
    front_paint = vertical(split, y1, VIRTUAL_FRONT if virtual else DRIVE_FRONT)

    body_inner = RoundRect(x0 + lw, y0 + lw, x1 - lw, y1 - lw, radius - lw)
    if virtual:
        c.fill(body_inner, front_paint)
    else:
        c.fill(RoundRect(x0, y0, x1, y1, radius), solid(OUTLINE))
        c.fill(body_inner, front_paint)
    c.fill(body_inner & Rect(x0, y0, x1, split), top_paint)

    # A light edge along the top face, and one where the front strip begins,
    # give the slab its depth at large sizes.
    if g.size >= 32:
        c.fill(body_inner & Rect(x0, y0 + lw, x1, y0 + 2 * lw), solid(WHITE), 0.8)
        c.fill(body_inner & Rect(x0, split, x1, split + lw),
               solid(WHITE), 0.45 if virtual else 0.3)

    # The activity light, at the right end of the front strip.
    led_h = g.px(0.5 if g.size >= 24 else 1.0)
    front_mid = (split + y1 - lw) / 2.0
    led_y = math.floor(front_mid - led_h / 2.0) if g.crisp else front_mid - led_h / 2.0
    led_x1 = x1 - g.px(2.0)
    led_x0 = led_x1 - g.px(2.0)
    c.fill(Rect(led_x0, led_y, led_x1, led_y + led_h), solid(VIRTUAL_LED if virtual else LED))
    if g.size >= 32 and not virtual:
        # A soft glow, so it reads as a light rather than a sticker.
        c.fill(Ellipse((led_x0 + led_x1) / 2, led_y + led_h / 2, (led_x1 - led_x0) * 0.75,
                       led_h * 1.4), solid(LED), 0.2)

    # Ventilation slots on the left of the front strip.
    if g.size >= 24:
        slot_w = g.line
        slot_top = split + g.px(0.5)
        slot_bottom = y1 - lw - g.px(0.5)
        x = x0 + g.px(2.0)
        for _ in range(4 if g.size >= 32 else 3):
            c.fill(Rect(x, slot_top, x + slot_w, slot_bottom),
                   solid(VIRTUAL_DASH if virtual else DRIVE_SLOT), 0.55 if virtual else 0.8)
            x += g.px(1.0, minimum=2.0)

    if virtual:
        # Two on, one off at 16 pixels; longer gaps above, or the dashes run together.
        dash = g.px(1.5, minimum=2.0) if g.size > 16 else 2.0
        gap = g.px(1.0, minimum=2.0) if g.size > 16 else 1.0
        c.fill(dashed_ring(g, x0, y0, x1, y1, radius, dash, gap), solid(VIRTUAL_DASH))


def shield(x0, y0, x1, y1):
    """A heraldic shield: a flat top, straight sides, then two curves to a point."""
    cx = (x0 + x1) / 2.0
    shoulder = y0 + (y1 - y0) * 0.42
    pts = [(x0, y0), (x1, y0), (x1, shoulder)]
    steps = 24
    # Right curve: a quadratic Bezier from the right shoulder to the bottom point.
    for n in range(1, steps + 1):
        t = n / steps
        ax, ay = x1, shoulder
        bx, by = x1, y1 - (y1 - y0) * 0.18
        ex, ey = cx, y1
        pts.append(((1 - t) ** 2 * ax + 2 * (1 - t) * t * bx + t * t * ex,
                    (1 - t) ** 2 * ay + 2 * (1 - t) * t * by + t * t * ey))
    for n in range(1, steps + 1):
        t = n / steps
        ax, ay = cx, y1
        bx, by = x0, y1 - (y1 - y0) * 0.18
        ex, ey = x0, shoulder
        pts.append(((1 - t) ** 2 * ax + 2 * (1 - t) * t * bx + t * t * ex,
                    (1 - t) ** 2 * ay + 2 * (1 - t) * t * by + t * t * ey))
    return Polygon(pts)


# The badge as it is drawn at 16 and 20 pixels, where a curve is a blur: a shield
# seven pixels wide around a five-pixel power sign. The edge is a deeper amber
# rather than the brown outline of the large badge: the sign has to touch it, and
# white against brown reads as a cup, not as a power sign. O edge, a amber, W white.
SMALL_BADGE = [
    "OOOOOOO",
    "OaaWaaO",
    "OWaWaWO",
    "OWaWaWO",
    "OWaaaWO",
    "OaWWWaO",
    ".OaaaO.",
    "..OaO..",
    "...O...",
]


def draw_pixel_badge(c, art, x0, y0):
    h, w = len(art), len(art[0])
    cells = [(i, j) for j in range(h) for i in range(w) if art[j][i] != "."]
    # Clear a one-pixel moat around the badge so it stands apart from the drive.
    moat = set()
    for i, j in cells:
        for di in (-1, 0, 1):
            for dj in (-1, 0, 1):
                moat.add((i + di, j + dj))
    for i, j in sorted(moat):
        c.erase(Rect(x0 + i, y0 + j, x0 + i + 1, y0 + j + 1))
    amber = vertical(y0, y0 + h, AMBER)
    colours = {"O": solid(AMBER_EDGE), "a": amber, "W": solid(WHITE)}
    for i, j in cells:
        c.fill(Rect(x0 + i, y0 + j, x0 + i + 1, y0 + j + 1), colours[art[j][i]])


def draw_boot_badge(c, g):
    """The mark of an EFI system partition: an amber shield with a power sign,
    in the bottom right corner, cut free of whatever lies below it."""
    if g.size < 24:
        art = SMALL_BADGE
        draw_pixel_badge(c, art, g.size - len(art[0]), g.size - len(art))
        return
    lw = g.line
    x0, y0, x1, y1 = g(8.0), g(7.0), g(16.0), g(16.0)
    gap = g.px(0.5)
    c.erase(shield(x0 - gap, y0 - gap, x1 + gap, y1 + gap * 1.4))
    c.fill(shield(x0, y0, x1, y1), solid(AMBER_OUTLINE))
    c.fill(shield(x0 + lw, y0 + lw, x1 - lw, y1 - lw * 1.5), vertical(y0, y1, AMBER))

    # The power sign: a ring open at the top with a bar through the opening.
    cx = (x0 + x1) / 2.0
    cy = y0 + (y1 - y0) * 0.46
    stroke = max(1.0, (x1 - x0) * 0.13)
    r_out = (x1 - x0) * 0.30
    r_in = r_out - stroke
    ring = (Ellipse(cx, cy + stroke * 0.5, r_out) - Ellipse(cx, cy + stroke * 0.5, r_in)) - \
        Wedge(cx, cy + stroke * 0.5, 232, 308, r_out + 1)
    c.fill(ring, solid(WHITE))
    c.fill(RoundRect(cx - stroke / 2, cy - r_out - stroke * 0.2, cx + stroke / 2, cy + stroke * 0.7,
                     stroke / 2), solid(WHITE))


# ----------------------------------------------------------------------------
# The icons.

def icon_drive_esp(c, g):
    draw_drive(c, g, g(0.0), g(2.0), g(16.0), g(12.0))
    draw_boot_badge(c, g)


def icon_drive_virtual(c, g):
    draw_drive(c, g, g(0.0), g(3.0), g(16.0), g(13.0), virtual=True)


def icon_drive_virtual_esp(c, g):
    draw_drive(c, g, g(0.0), g(2.0), g(16.0), g(12.0), virtual=True)
    draw_boot_badge(c, g)


def icon_drive_removable(c, g):
    """A USB stick lying on its side, plug to the left."""
    lw = g.line
    # The plug: a metal sleeve with the two square windows of a USB-A plug.
    px0, py0, px1, py1 = g(0.0), g(4.0), g(6.0), g(12.0)
    c.fill(Rect(px0, py0, px1, py1), solid(METAL_OUTLINE))
    c.fill(Rect(px0 + lw, py0 + lw, px1, py1 - lw), vertical(py0, py1, METAL))
    hole_w = g.px(2.0)
    hole_h = g.px(1.0)
    hx = px0 + g.px(1.0, minimum=lw + 1)
    for hy in (py0 + g(2.0), py1 - g(2.0) - hole_h):
        c.fill(Rect(hx, hy, hx + hole_w, hy + hole_h), solid(METAL_HOLE))

    # The body, a little taller than the plug, with a rounded far end.
    bx0, by0, bx1, by1 = g(5.0), g(3.0), g(16.0), g(13.0)
    r_near = g.px(0.5) if g.size >= 32 else lw
    r_far = g.px(2.0)
    c.fill(RoundRect(bx0, by0, bx1, by1, (r_near, r_far, r_far, r_near)), solid(BLUE_OUTLINE))
    inner = RoundRect(bx0 + lw, by0 + lw, bx1 - lw, by1 - lw,
                      (r_near - lw, r_far - lw, r_far - lw, r_near - lw))
    c.fill(inner, vertical(by0, by1, BLUE))
    # A glossy upper half.
    mid = by0 + g(5.0)
    c.fill(inner & Rect(bx0, by0, bx1, mid), solid(WHITE), 0.22)
    if g.size >= 32:
        c.fill(inner & Rect(bx0, by0 + lw, bx1, by0 + 2 * lw), solid(WHITE), 0.5)
    # A ridge where the cap would meet the body, and the activity light.
    if g.size >= 24:
        rx = bx0 + g(2.0)
        c.fill(Rect(rx, by0 + lw, rx + lw, by1 - lw), solid(BLUE_OUTLINE), 0.6)
        c.fill(Rect(rx + lw, by0 + lw, rx + 2 * lw, by1 - lw), solid(WHITE), 0.35)
    led = g.px(1.0)
    lx = bx1 - g(3.0)
    ly = math.floor((by0 + by1) / 2.0 - led / 2.0) if g.crisp else (by0 + by1) / 2.0 - led / 2.0
    c.fill(Rect(lx, ly, lx + led, ly + led), solid(LED))


def icon_program(c, g):
    """A Windows pane with a green arrow going down onto a disk: the program
    writes Windows onto a drive."""
    lw = g.line

    # The disk at the bottom.
    draw_drive(c, g, g(0.0), g(10.0), g(16.0), g(16.0))

    # Four window panes, top left. At 16 pixels the panes are 3 x 3 so that the
    # gaps between them stay whole pixels.
    tile = 3.0 if g.size <= 16 else g.px(3.5)
    gap = g.line if g.size <= 32 else g.px(0.5)
    ox = oy = g(1.0)
    for row in range(2):
        for col in range(2):
            x0 = ox + col * (tile + gap)
            y0 = oy + row * (tile + gap)
            if g.size >= 32:
                outlined_round_rect(c, g, x0, y0, x0 + tile, y0 + tile, g.px(0.25, minimum=0.0),
                                    BLUE_OUTLINE, vertical(y0, y0 + tile, BLUE_PANE))
            else:
                c.fill(Rect(x0, y0, x0 + tile, y0 + tile), vertical(y0, y0 + tile, BLUE))
    if g.size >= 32:
        # A sheen across the panes.
        span = 2 * tile + gap
        sheen = Polygon([(ox, oy), (ox + span, oy), (ox + span, oy + span * 0.35),
                         (ox, oy + span * 0.6)])
        for row in range(2):
            for col in range(2):
                x0 = ox + col * (tile + gap) + lw
                y0 = oy + row * (tile + gap) + lw
                c.fill(sheen & Rect(x0, y0, x0 + tile - 2 * lw, y0 + tile - 2 * lw),
                       solid(WHITE), 0.25)

    # The arrow, on the right, pointing at the disk.
    ax0, ax1 = g(9.0), g(16.0)
    cx = (ax0 + ax1) / 2.0
    shaft = g.px(3.0)
    top = g(0.0)
    head_top = g(4.0)
    # The tip stops short of the disk so the two never merge into one blot.
    tip = g(9.0) if g.size <= 16 else g(10.0) - g.px(0.5)
    arrow_pts = [(cx - shaft / 2, top), (cx + shaft / 2, top), (cx + shaft / 2, head_top),
                 (ax1, head_top), (cx, tip), (ax0, head_top), (cx - shaft / 2, head_top)]
    outer = Polygon(arrow_pts)
    if g.size >= 24:
        c.fill(outer, solid(GREEN_OUTLINE))
        inner = Polygon(_offset_polygon(arrow_pts, -lw))
        c.fill(inner, linear(ax0, top, ax1, tip, GREEN[0], GREEN[1]))
        c.fill(inner & Rect(ax0, top, cx, tip), solid(WHITE), 0.18)
    else:
        c.fill(outer, linear(ax0, top, ax1, tip, GREEN[0], GREEN[1]))


def _offset_polygon(points, d):
    """Moves each edge of a polygon outwards by d (inwards if d < 0) and joins the
    moved edges where they meet: the inside of an outlined shape."""
    n = len(points)
    # Orientation, so that "outwards" is known.
    area = sum(points[i][0] * points[(i + 1) % n][1] - points[(i + 1) % n][0] * points[i][1]
               for i in range(n))
    sign = 1.0 if area > 0 else -1.0
    lines = []
    for i in range(n):
        x0, y0 = points[i]
        x1, y1 = points[(i + 1) % n]
        ex, ey = x1 - x0, y1 - y0
        length = math.hypot(ex, ey)
        nx, ny = ey / length * sign, -ex / length * sign
        lines.append(((x0 + nx * d, y0 + ny * d), (ex, ey)))
    out = []
    for i in range(n):
        (p, r) = lines[i - 1]
        (q, s) = lines[i]
        cross = r[0] * s[1] - r[1] * s[0]
        if abs(cross) < 1e-9:
            out.append(q)
            continue
        t = ((q[0] - p[0]) * s[1] - (q[1] - p[1]) * s[0]) / cross
        out.append((p[0] + r[0] * t, p[1] + r[1] * t))
    return out


# ----------------------------------------------------------------------------
# .ico output: 32-bit BGRA bitmaps with an AND mask up to 48 pixels, which every
# Windows version reads, and a PNG entry for the 256-pixel program icon.

def bmp_entry(rows, size):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = bytearray()
    mask = bytearray()
    mask_stride = ((size + 31) // 32) * 4
    for row in reversed(rows):  # DIBs are stored bottom-up
        for i in range(size):
            r, g, b, a = row[4 * i:4 * i + 4]
            xor += bytes((b, g, r, a))
        bits = bytearray(mask_stride)
        for i in range(size):
            if row[4 * i + 3] == 0:
                bits[i // 8] |= 0x80 >> (i % 8)
        mask += bits
    return header + bytes(xor) + bytes(mask)


def png_entry(rows, size):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\0" + row for row in rows)
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) +
            chunk(b"IEND", b""))


def write_ico(path, images):
    """images: list of (size, rows), smallest first."""
    entries = []
    for size, rows in images:
        data = png_entry(rows, size) if size >= 256 else bmp_entry(rows, size)
        entries.append((size, data))
    out = bytearray(struct.pack("<HHH", 0, 1, len(entries)))
    offset = 6 + 16 * len(entries)
    for size, data in entries:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in entries:
        out += data
    with open(path, "wb") as f:
        f.write(out)


def render(draw, size):
    canvas = Canvas(size)
    draw(canvas, Grid(size))
    return canvas.rgba_rows()


# Order does not matter here; the resource script decides the icon numbers.
ICONS = [
    ("halvora.ico", icon_program, (16, 20, 24, 32, 40, 48, 256)),
    ("drive_removable.ico", icon_drive_removable, (16, 20, 24, 32, 40, 48)),
    ("drive_esp.ico", icon_drive_esp, (16, 20, 24, 32, 40, 48)),
    ("drive_virtual.ico", icon_drive_virtual, (16, 20, 24, 32, 40, 48)),
    ("drive_virtual_esp.ico", icon_drive_virtual_esp, (16, 20, 24, 32, 40, 48)),
]


def main(argv):
    out_dir = argv[1] if len(argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    os.makedirs(out_dir, exist_ok=True)
    for name, draw, sizes in ICONS:
        images = [(size, render(draw, size)) for size in sizes]
        write_ico(os.path.join(out_dir, name), images)
        print("wrote", os.path.join(out_dir, name), "sizes", ", ".join(str(s) for s in sizes))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
