"""Drawings of the converter's resources: its icon and cursor, the environment's grip, format and
media-type images, the dialogs' label markers, status icons, menu button and arrow, and the preset
list's state images. The dialogs are light (RGB(240, 240, 240)), their side panel dark."""

import player_glyphs as p
from canvas import capsule_points
from glyphs import HIGHLIGHT, TEXT, WHITE

DIALOG = 0xF0F0F0
STATUS_BAND = 0xE0E0E0
PANEL = 0x404040
BLUE = 0x1E6FD0
ORANGE = 0xE07818
GREEN = 0x21A04A
PURPLE = 0x8048C0
AMBER = 0xE8A317
RED = 0xD83C3C
SLATE = 0x707070


def _pts(points, s, dx=0.0, dy=0.0):
    return [(x * s + dx, y * s + dy) for x, y in points]


def program_icon(c, i):
    """Ravento: an orange rounded square with two white arrows, one file turning into another."""
    s = c.w / 24.0
    c.round_rect(1 * s, 1 * s, 23 * s, 23 * s, 5 * s, ORANGE)
    c.rect(5 * s, 7.8 * s, 15 * s, 10.2 * s, WHITE)
    c.polygon(_pts([(14, 4.5), (19.5, 9), (14, 13.5)], s), WHITE)
    c.rect(9 * s, 13.8 * s, 19 * s, 16.2 * s, WHITE)
    c.polygon(_pts([(10, 10.5), (4.5, 15), (10, 19.5)], s), WHITE)


def size_grip(c, i):
    """The preset manager's size grip (12 x 12): dots along the bottom-right diagonal."""
    for x, y in ((9, 9), (9, 6), (6, 9), (9, 3), (6, 6), (3, 9)):
        c.rect(x + 1, y + 1, x + 3, y + 3, WHITE)
        c.rect(x, y, x + 2, y + 2, 0x909090)


def phone_shape(c, colour, s):
    """A portable device on a 24-unit grid."""
    c.round_rect(6.5 * s, 2.5 * s, 17.5 * s, 21.5 * s, 2 * s, colour)
    c.rect(8.3 * s, 5 * s, 15.7 * s, 16.5 * s, WHITE)
    c.ellipse(12 * s, 19 * s, 1.1 * s, 1.1 * s, WHITE)


def picture_shape(c, colour, s):
    """A picture: a frame with a sun and a hill."""
    c.round_rect(3 * s, 5 * s, 21 * s, 19 * s, 1.5 * s, colour)
    c.rect(5 * s, 7 * s, 19 * s, 17 * s, WHITE)
    c.ellipse(15.5 * s, 10 * s, 1.8 * s, 1.8 * s, AMBER)
    c.polygon(_pts([(5, 17), (10, 10.5), (14, 15), (16, 13), (19, 17)], s), colour)


def format_icon(c, i):
    """Formats in the format combo (16 x 16): 0 video, 1 audio, 2 device."""
    s = c.w / 24.0
    if i == 0:
        p.film_shape(c, BLUE, WHITE, s)
    elif i == 1:
        p.note_shape(c, ORANGE, s)
    else:
        phone_shape(c, GREEN, s)


def media_type_icon(c, i):
    """Media kinds of the previews (32 x 32): 0 video, 1 audio, 2 picture, 3 device."""
    s = c.w / 24.0
    if i == 0:
        p.film_shape(c, BLUE, 0xD8E8FF, s)
    elif i == 1:
        p.note_shape(c, ORANGE, s)
    elif i == 2:
        picture_shape(c, GREEN, s)
    else:
        phone_shape(c, PURPLE, s)


def label_marker(c, i):
    """The marker left of the dialogs' main labels (12 x 12): a blue arrow head."""
    c.polygon([(3, 1.5), (9.5, 6), (3, 10.5)], BLUE)


def status_icon(c, i):
    """Job states (24 x 24): 0 working, 1 waiting, 2 completed, 3 file already exists, 4 failed,
    5 canceled."""
    s = c.w / 24.0
    if i == 0:
        c.ellipse(12 * s, 12 * s, 11 * s, 11 * s, BLUE)
        c.polygon(_pts(p.arc_points(12, 12, 7.2, 4.8, 10, 268), s), WHITE)
        c.polygon(_pts([(12.5, 2.8), (17.5, 6), (12.5, 9.2)], s), WHITE)
    elif i == 1:
        c.ellipse(12 * s, 12 * s, 11 * s, 11 * s, SLATE)
        c.ring(12 * s, 12 * s, 7.5 * s, 6 * s, WHITE)
        c.rect(11.2 * s, 6.5 * s, 12.8 * s, 12.8 * s, WHITE)
        c.rect(11.2 * s, 11.2 * s, 16 * s, 12.8 * s, WHITE)
    elif i == 2:
        c.ellipse(12 * s, 12 * s, 11 * s, 11 * s, GREEN)
        c.polygon(_pts(capsule_points(6.5, 12.5, 10.3, 16.3, 1.4), s), WHITE)
        c.polygon(_pts(capsule_points(10.3, 16.3, 17.5, 8, 1.4), s), WHITE)
    elif i == 3:
        c.polygon(_pts([(12, 1.5), (23, 21.5), (1, 21.5)], s), AMBER)
        c.round_rect(10.8 * s, 8 * s, 13.2 * s, 15.5 * s, 1.1 * s, WHITE)
        c.ellipse(12 * s, 18.2 * s, 1.4 * s, 1.4 * s, WHITE)
    elif i == 4:
        c.ellipse(12 * s, 12 * s, 11 * s, 11 * s, RED)
        p.cross_shape(c, WHITE, s, 8, 8, 16, 16, 2.6)
    else:
        c.ellipse(12 * s, 12 * s, 11 * s, 11 * s, SLATE)
        c.rect(6.5 * s, 10.7 * s, 17.5 * s, 13.3 * s, WHITE)


def menu_button(c, i):
    """The dialogs' drop-down menu button (28 x 20): three lines."""
    for y in (5, 9, 13):
        c.round_rect(7, y, 21, y + 2, 1, 0x404040)


def preset_state(c, i):
    """State images of the preset list (16 x 16, white is the mask). A list draws state n with
    image n - 1: 0 a preset (state 1, unchecked), 1 the default preset (state 2, checked), 2 spare
    and empty."""
    if i == 2:
        return
    c.ring(8, 8, 6, 4.6, 0x808080)
    if i == 1:
        c.ellipse(8, 8, 3.3, 3.3, HIGHLIGHT)


def down_arrow(c, i):
    """The arrow from the source preview to the output preview (32 x 32) on the dark side panel."""
    w, h = c.w, c.h
    c.round_rect(w * 0.4, h * 0.1, w * 0.6, h * 0.58, w * 0.04, TEXT)
    c.polygon([(w * 0.18, h * 0.5), (w * 0.82, h * 0.5), (w * 0.5, h * 0.9)], TEXT)
