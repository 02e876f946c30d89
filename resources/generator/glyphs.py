"""Drawings of the generated resources. Each takes the canvas of one cell (or frame) and the cell's
index, and draws in that cell's pixel coordinates; drawings used at several sizes scale with the
canvas. Colours are the dark chrome of the programs."""

import math

from canvas import capsule_points, round_rect_points

CHROME = 0x202020      # panes, menu bar, item window, scroll bar background
BAR = 0x303030         # control bar
TEXT = 0xC0C0C0
HIGHLIGHT = 0x00A0FF
WHITE = 0xFFFFFF
BLACK = 0x000000


def scroll_thumb_caps(c, i):
    """The skinned scroll bar's thumb ends (14 x 2 each): only the corner pixels are drawn, in the
    bar's background colour, so that the thumb of any state colour shows rounded corners. Cell 0
    is the top end, cell 1 the bottom end."""
    rows = [(0, 1, 12, 13), (0, 13)]
    if i == 1:
        rows.reverse()
    for y, xs in enumerate(rows):
        for x in xs:
            c.pixel(x, y, CHROME)


# The pointing hand on a 32-pixel grid: rounded finger and palm parts, outlined in black.
_HAND_PARTS = [
    (8, 1, 12, 17, 2),     # index finger, raised
    (12, 9, 16, 18, 2),    # middle finger
    (16, 10, 20, 19, 2),   # ring finger
    (20, 11, 24, 20, 2),   # little finger
    (8, 14, 24, 25, 3),    # palm
    (10, 22, 23, 30, 1.5), # heel of the hand
]
_HAND_THUMB = (4.5, 15.5, 10, 21, 2.2)  # a stroke with round ends: from, to, radius


def hand_cursor(c, i):
    """The link cursor: a white hand with its index finger raised, the hot spot at the fingertip."""
    s = c.w / 32.0

    def scaled(points):
        return [(x * s, y * s) for x, y in points]

    def thumb(grow):
        x0, y0, x1, y1, r = _HAND_THUMB
        return scaled(capsule_points(x0, y0, x1, y1, r + grow))

    def parts(grow):
        return [scaled(round_rect_points(x0 - grow, y0 - grow, x1 + grow, y1 + grow, r + grow))
                for x0, y0, x1, y1, r in _HAND_PARTS] + [thumb(grow)]

    c.polygons(parts(1.0), BLACK)
    c.polygons(parts(0.0), WHITE)
    # Creases between the fingers.
    for x, top, bottom in ((12, 10, 15), (16, 11, 16), (20, 12, 17)):
        c.line((x + 0.5) * s, top * s, (x + 0.5) * s, bottom * s, 1.0 * s, BLACK)


# The item lists' drop cursors and the folder tree's spinner -------------------------------------

RED = 0xFF0000        # the item lists' insertion mark
SHADOW = 0x707070

# The pointer of both drop cursors: a dark chrome arrow with a light rim, its tip at (1, 1).
_ARROW = [(1, 1), (1, 20), (5.5, 15.8), (8.6, 22.6), (11.6, 21.3), (8.6, 14.6), (14.6, 14.6)]
_ARROW_INNER = [(2.2, 3.6), (2.2, 17.3), (5.9, 13.9), (9.2, 21.0), (10.1, 20.6), (6.9, 13.4), (11.8, 13.4)]


def _drop_arrow(c):
    c.polygon(_ARROW, TEXT)
    c.polygon(_ARROW_INNER, CHROME)


def list_drop_cursor(c, i):
    """Dragging in a list: the arrow over a red insertion line between two rows."""
    _drop_arrow(c)
    c.rect(13, 19, 31, 23, CHROME)
    c.rect(13, 29, 31, 31, CHROME)
    c.rect(13, 24, 31, 28, TEXT)
    c.rect(14, 25, 30, 27, RED)


def grid_drop_cursor(c, i):
    """Dragging in a grid: the arrow beside a red insertion line between two cards."""
    _drop_arrow(c)
    c.rect(17, 13, 21, 31, CHROME)
    c.rect(27, 13, 31, 31, CHROME)
    c.rect(22, 12, 26, 31, TEXT)
    c.rect(23, 13, 25, 30, RED)


def folder_spinner(c, i):
    """One of ten frames of the folder tree's busy spinner: ten dots around a circle, the lit one
    moving clockwise with the frame and the ones it passed fading behind it."""
    w = c.w
    for k in range(10):
        a = 2 * math.pi * k / 10 - math.pi / 2
        x, y = w / 2.0 + math.cos(a) * w * 0.36, w / 2.0 + math.sin(a) * w * 0.36
        age = (i - k) % 10
        alpha = max(60, 255 - age * 45)
        c.ellipse(x, y, w * 0.1, w * 0.1, HIGHLIGHT if age == 0 else SHADOW, alpha)


# Fixtures of the toolkit tests: one resource of every kind the generator writes ------------------

def sample_icon(c, i):
    """A blue disc with a white play triangle."""
    w = c.w
    c.ellipse(w / 2.0, w / 2.0, w * 0.47, w * 0.47, HIGHLIGHT)
    c.polygon([(w * 0.38, w * 0.28), (w * 0.74, w * 0.5), (w * 0.38, w * 0.72)], WHITE)


def sample_busy_frame(c, i):
    """One frame of a spinner: eight dots around a circle, the lit one moving with the frame."""
    w = c.w
    for k in range(8):
        a = 2 * math.pi * k / 8 - math.pi / 2
        x, y = w / 2.0 + math.cos(a) * w * 0.33, w / 2.0 + math.sin(a) * w * 0.33
        c.ellipse(x, y, w * 0.09, w * 0.09, HIGHLIGHT if k == i % 8 else TEXT)


def sample_arrow(c, i):
    """A downward arrow in the text colour on a transparent ground."""
    w, h = c.w, c.h
    c.rect(w * 0.38, h * 0.12, w * 0.62, h * 0.55, TEXT)
    c.polygon([(w * 0.15, h * 0.5), (w * 0.85, h * 0.5), (w * 0.5, h * 0.9)], TEXT)
