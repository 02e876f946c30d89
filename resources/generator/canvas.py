"""A small RGBA canvas for drawing the programs' flat glyphs: filled polygons with smooth edges
(coverage from four sub-rows per pixel and exact horizontal coverage), and the shapes built on
them. Colours are 0xRRGGBB integers (as written in the tables) with an optional alpha 0..255."""

import math

SUB_ROWS = 4


def rgb(value):
    return ((value >> 16) & 255, (value >> 8) & 255, value & 255)


class Canvas:
    def __init__(self, width, height):
        self.w = width
        self.h = height
        # Straight (not premultiplied) colour and alpha per pixel, each 0.0 .. 1.0.
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(width * height)]

    # Compositing -----------------------------------------------------------------------------

    def blend(self, x, y, colour, coverage, alpha=255):
        if coverage <= 0.0 or x < 0 or y < 0 or x >= self.w or y >= self.h:
            return
        r, g, b = rgb(colour)
        sa = min(1.0, coverage) * alpha / 255.0
        p = self.px[y * self.w + x]
        da = p[3]
        oa = sa + da * (1.0 - sa)
        if oa <= 0.0:
            return
        for i, c in enumerate((r / 255.0, g / 255.0, b / 255.0)):
            p[i] = (c * sa + p[i] * da * (1.0 - sa)) / oa
        p[3] = oa

    def pixel(self, x, y, colour, alpha=255):
        """Sets one pixel exactly (no blending): for pixel-precise artwork such as cap bitmaps."""
        if 0 <= x < self.w and 0 <= y < self.h:
            r, g, b = rgb(colour)
            self.px[y * self.w + x] = [r / 255.0, g / 255.0, b / 255.0, alpha / 255.0]

    def get(self, x, y):
        """(r, g, b, a) as bytes."""
        p = self.px[y * self.w + x]
        return tuple(int(round(v * 255)) for v in p)

    # Shapes ----------------------------------------------------------------------------------

    def polygon(self, points, colour, alpha=255):
        """Fills the polygon (non-zero winding) given as (x, y) pairs in pixel coordinates, where
        pixel (i, j) covers the square i..i+1, j..j+1."""
        self.polygons([points], colour, alpha)

    def polygons(self, rings, colour, alpha=255):
        """Fills several rings as one shape (non-zero winding), so holes and unions need no care."""
        edges = []
        for ring in rings:
            n = len(ring)
            for i in range(n):
                x0, y0 = ring[i]
                x1, y1 = ring[(i + 1) % n]
                if y0 != y1:
                    edges.append((x0, y0, x1, y1, 1 if y1 > y0 else -1))
        if not edges:
            return
        top = max(0, int(math.floor(min(min(e[1], e[3]) for e in edges))))
        bottom = min(self.h, int(math.ceil(max(max(e[1], e[3]) for e in edges))))
        for row in range(top, bottom):
            cover = {}
            for s in range(SUB_ROWS):
                y = row + (s + 0.5) / SUB_ROWS
                crossings = []
                for x0, y0, x1, y1, d in edges:
                    lo, hi = (y0, y1) if y0 < y1 else (y1, y0)
                    if lo <= y < hi:
                        crossings.append((x0 + (y - y0) * (x1 - x0) / (y1 - y0), d))
                crossings.sort()
                winding = 0
                for i, (x, d) in enumerate(crossings):
                    before = winding
                    winding += d
                    if before == 0 and winding != 0:
                        start = x
                    elif before != 0 and winding == 0:
                        self._span(cover, start, x)
            for x, c in cover.items():
                self.blend(x, row, colour, c / SUB_ROWS, alpha)

    def _span(self, cover, x0, x1):
        x0 = max(0.0, x0)
        x1 = min(float(self.w), x1)
        if x1 <= x0:
            return
        first, last = int(math.floor(x0)), int(math.ceil(x1)) - 1
        for x in range(first, last + 1):
            c = min(x1, x + 1) - max(x0, x)
            if c > 0:
                cover[x] = cover.get(x, 0.0) + c

    def rect(self, x0, y0, x1, y1, colour, alpha=255):
        self.polygon([(x0, y0), (x1, y0), (x1, y1), (x0, y1)], colour, alpha)

    def round_rect(self, x0, y0, x1, y1, radius, colour, alpha=255):
        self.polygon(round_rect_points(x0, y0, x1, y1, radius), colour, alpha)

    def ellipse(self, cx, cy, rx, ry, colour, alpha=255):
        self.polygon(ellipse_points(cx, cy, rx, ry), colour, alpha)

    def ring(self, cx, cy, outer, inner, colour, alpha=255):
        self.polygons([ellipse_points(cx, cy, outer, outer),
                       list(reversed(ellipse_points(cx, cy, inner, inner)))], colour, alpha)

    def line(self, x0, y0, x1, y1, width, colour, alpha=255):
        """A straight stroke of the given width with square ends flush at the two points."""
        dx, dy = x1 - x0, y1 - y0
        length = math.hypot(dx, dy)
        if length == 0:
            return
        nx, ny = -dy / length * width / 2.0, dx / length * width / 2.0
        self.polygon([(x0 + nx, y0 + ny), (x1 + nx, y1 + ny), (x1 - nx, y1 - ny), (x0 - nx, y0 - ny)],
                     colour, alpha)


def ellipse_points(cx, cy, rx, ry, steps=None):
    if steps is None:
        steps = max(16, int(max(rx, ry) * 4))
    return [(cx + rx * math.cos(2 * math.pi * i / steps), cy + ry * math.sin(2 * math.pi * i / steps))
            for i in range(steps)]


def capsule_points(x0, y0, x1, y1, radius, steps=12):
    """A stroke from (x0, y0) to (x1, y1) with round ends of the given radius."""
    a = math.atan2(y1 - y0, x1 - x0)
    points = []
    for cx, cy, start in ((x1, y1, a - math.pi / 2), (x0, y0, a + math.pi / 2)):
        for i in range(steps + 1):
            t = start + math.pi * i / steps
            points.append((cx + radius * math.cos(t), cy + radius * math.sin(t)))
    return points


def round_rect_points(x0, y0, x1, y1, radius):
    radius = max(0.0, min(radius, (x1 - x0) / 2.0, (y1 - y0) / 2.0))
    if radius == 0:
        return [(x0, y0), (x1, y0), (x1, y1), (x0, y1)]
    points = []
    corners = ((x1 - radius, y0 + radius, -90), (x1 - radius, y1 - radius, 0),
               (x0 + radius, y1 - radius, 90), (x0 + radius, y0 + radius, 180))
    for cx, cy, start in corners:
        for i in range(7):
            a = math.radians(start + 15 * i)
            points.append((cx + radius * math.cos(a), cy + radius * math.sin(a)))
    return points
