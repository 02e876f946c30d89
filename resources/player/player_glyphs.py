"""Drawings of the player's resources: the control bar's buttons and sliders, the playlist's item
window parts, the play window's busy dots, the "Open Files" button and the program's icons. Shapes
are drawn on a 24-unit grid (or the cell's own size) and scale with the canvas; colours follow the
dark chrome."""

import math

from canvas import capsule_points, round_rect_points
from glyphs import BAR, BLACK, CHROME, HIGHLIGHT, TEXT, WHITE

CARD = 0x404040        # grid card background
HOVER_ROW = 0x606060   # list row under the mouse
TRACK = 0x505050       # slider track
PRESSED_BLUE = 0x0078C0
RED = 0xD83C3C
DARK_RED = 0xA82828
GREEN = 0x00C850
PROCESSING = 0x00FF00
GREY = 0x808080
DIM = 0x5A5A5A

# Button images: one cell per draw state of a bar button (0 normal, 1 hot, 2 focus, 3 pressed,
# 4 disabled).
BUTTON_STATE_COLOURS = [TEXT, WHITE, 0x7FCFFF, HIGHLIGHT, DIM]


def _scale(c, grid=24.0):
    return c.w / grid


def _pts(points, s, dx=0.0, dy=0.0):
    return [(x * s + dx, y * s + dy) for x, y in points]


def arc_points(cx, cy, outer, inner, a0, a1, steps=16):
    """A band between two radii from angle a0 to a1 (degrees, clockwise from east)."""
    out = []
    for k in range(steps + 1):
        a = math.radians(a0 + (a1 - a0) * k / steps)
        out.append((cx + outer * math.cos(a), cy + outer * math.sin(a)))
    for k in range(steps, -1, -1):
        a = math.radians(a0 + (a1 - a0) * k / steps)
        out.append((cx + inner * math.cos(a), cy + inner * math.sin(a)))
    return out


# Glyph shapes on a 24-unit grid ------------------------------------------------------------------

def play_shape(c, colour, s, dx=0.0, dy=0.0):
    c.polygon(_pts([(8, 5), (19.5, 12), (8, 19)], s, dx, dy), colour)


def pause_shape(c, colour, s):
    c.rect(7 * s, 5.5 * s, 10.5 * s, 18.5 * s, colour)
    c.rect(13.5 * s, 5.5 * s, 17 * s, 18.5 * s, colour)


def stop_shape(c, colour, s):
    c.round_rect(6.5 * s, 6.5 * s, 17.5 * s, 17.5 * s, 1.2 * s, colour)


def previous_shape(c, colour, s):
    c.rect(5.5 * s, 6 * s, 8 * s, 18 * s, colour)
    c.polygon(_pts([(18.5, 6), (18.5, 18), (8.5, 12)], s), colour)


def next_shape(c, colour, s):
    c.rect(16 * s, 6 * s, 18.5 * s, 18 * s, colour)
    c.polygon(_pts([(5.5, 6), (15.5, 12), (5.5, 18)], s), colour)


def speaker_shape(c, colour, s):
    c.polygon(_pts([(3.5, 9.5), (7.5, 9.5), (12.5, 5), (12.5, 19), (7.5, 14.5), (3.5, 14.5)], s), colour)


def zoom_shape(c, colour, s):
    c.ring(10 * s, 10 * s, 6.5 * s, 4.5 * s, colour)
    c.polygon(_pts(capsule_points(14.6, 14.6, 19.5, 19.5, 1.6), s), colour)


def _corner_marks(c, colour, s, inward):
    """Four L-shaped corner marks: pointing out of the square (enter full screen) or into it."""
    w = 2.0
    for sx, sy in ((1, 1), (-1, 1), (1, -1), (-1, -1)):
        if inward:
            ex, ey = 12 - sx * 2.5, 12 - sy * 2.5        # elbow near the centre
            arm = 5.0
        else:
            ex, ey = 12 - sx * 8, 12 - sy * 8            # elbow at the corner
            arm = -5.0
        hx, hy = ex - sx * arm, ey
        vx, vy = ex, ey - sy * arm
        half = w / 2.0
        c.polygon(_pts([(min(ex, hx) - half, ey - half), (max(ex, hx) + half, ey - half),
                        (max(ex, hx) + half, ey + half), (min(ex, hx) - half, ey + half)], s), colour)
        c.polygon(_pts([(ex - half, min(ey, vy) - half), (ex + half, min(ey, vy) - half),
                        (ex + half, max(ey, vy) + half), (ex - half, max(ey, vy) + half)], s), colour)


def screen_shape(c, colour, s):
    """A display with a play triangle: the way to the play view."""
    outer = _pts(round_rect_points(3, 4.5, 21, 17, 1.5), s)
    inner = list(reversed(_pts(round_rect_points(5, 6.5, 19, 15, 0.5), s)))
    c.polygons([outer, inner], colour)
    c.rect(8 * s, 18.5 * s, 16 * s, 20 * s, colour)
    c.polygon(_pts([(10.5, 8.5), (14.5, 10.75), (10.5, 13)], s), colour)


def tiles_shape(c, colour, s):
    """Four thumbnail tiles: the way back to the playlist."""
    for x0, y0 in ((4, 5), (13, 5), (4, 13), (13, 13)):
        c.round_rect(x0 * s, y0 * s, (x0 + 7) * s, (y0 + 6) * s, 1.0 * s, colour)


def film_shape(c, colour, hole, s):
    """A film frame with sprocket holes on a 24-unit grid."""
    c.round_rect(3 * s, 5 * s, 21 * s, 19 * s, 1.5 * s, colour)
    for x in (5, 9, 13, 17):
        c.rect((x + 0.2) * s, 6.2 * s, (x + 2) * s, 7.8 * s, hole)
        c.rect((x + 0.2) * s, 16.2 * s, (x + 2) * s, 17.8 * s, hole)
    c.rect(5 * s, 9 * s, 19 * s, 15 * s, hole)
    c.polygon(_pts([(10.5, 9.8), (14.5, 12), (10.5, 14.2)], s), colour)


def note_shape(c, colour, s):
    """Two beamed notes on a 24-unit grid."""
    c.ellipse(7.5 * s, 17.5 * s, 3.2 * s, 2.5 * s, colour)
    c.ellipse(16.5 * s, 15.5 * s, 3.2 * s, 2.5 * s, colour)
    c.rect(9.2 * s, 5.5 * s, 10.9 * s, 17.5 * s, colour)
    c.rect(18.2 * s, 3.5 * s, 19.9 * s, 15.5 * s, colour)
    c.polygon(_pts([(9.2, 5.5), (19.9, 3.5), (19.9, 6.8), (9.2, 8.8)], s), colour)


def page_shape(c, colour, fold, s):
    """A page with a folded corner on a 24-unit grid."""
    c.polygon(_pts([(5, 2.5), (14.5, 2.5), (19.5, 7.5), (19.5, 21.5), (5, 21.5)], s), colour)
    c.polygon(_pts([(14.5, 2.5), (19.5, 7.5), (14.5, 7.5)], s), fold)


def cross_shape(c, colour, s, x0, y0, x1, y1, width):
    c.polygon(_pts(capsule_points(x0, y0, x1, y1, width / 2.0), s), colour)
    c.polygon(_pts(capsule_points(x1, y0, x0, y1, width / 2.0), s), colour)


# Control bar (24 x 24 cells, one per button state; magenta mask) ---------------------------------

def _button(shape):
    def draw(c, i):
        shape(c, BUTTON_STATE_COLOURS[i], _scale(c))
    draw.__doc__ = "Control bar button, state %s." % shape.__name__
    return draw


bar_play = _button(play_shape)
bar_pause = _button(pause_shape)
bar_stop = _button(stop_shape)
bar_previous = _button(previous_shape)
bar_next = _button(next_shape)
bar_zoom = _button(zoom_shape)
bar_to_play_view = _button(screen_shape)
bar_to_playlist = _button(tiles_shape)


def bar_full_screen_enter(c, i):
    _corner_marks(c, BUTTON_STATE_COLOURS[i], _scale(c), inward=False)


def bar_full_screen_leave(c, i):
    _corner_marks(c, BUTTON_STATE_COLOURS[i], _scale(c), inward=True)


def bar_volume_muted(c, i):
    s = _scale(c)
    colour = BUTTON_STATE_COLOURS[i]
    speaker_shape(c, colour, s)
    cross_shape(c, colour, s, 15.5, 9, 20.5, 15, 1.8)


def bar_volume_low(c, i):
    s = _scale(c)
    colour = BUTTON_STATE_COLOURS[i]
    speaker_shape(c, colour, s)
    c.polygon(_pts(arc_points(12.5, 12, 4.6, 3.0, -50, 50), s), colour)


def bar_volume_high(c, i):
    s = _scale(c)
    colour = BUTTON_STATE_COLOURS[i]
    speaker_shape(c, colour, s)
    c.polygon(_pts(arc_points(12.5, 12, 4.6, 3.0, -50, 50), s), colour)
    c.polygon(_pts(arc_points(12.5, 12, 8.4, 6.8, -50, 50), s), colour)


def _slider_strip(c, i, thumb_radius):
    """Cells 0 track, 1 filled track, 2 thumb hot, 3 thumb pressed; the track is 4 pixels high in
    the middle rows and runs the whole width, so that it tiles."""
    mid = c.h / 2.0
    if i == 0:
        c.rect(0, mid - 2, c.w, mid + 2, TRACK)
    elif i == 1:
        c.rect(0, mid - 2, c.w, mid + 2, HIGHLIGHT)
    else:
        cx = c.w / 2.0
        c.ellipse(cx, mid, thumb_radius + 1, thumb_radius + 1, BAR if i == 2 else HIGHLIGHT)
        c.ellipse(cx, mid, thumb_radius, thumb_radius, WHITE)
        if i == 3:
            c.ellipse(cx, mid, thumb_radius - 2.5, thumb_radius - 2.5, HIGHLIGHT)


def seek_strip(c, i):
    """The seek slider's strip (masked by black, so nothing drawn here may be black)."""
    _slider_strip(c, i, 6.0)


def volume_strip(c, i):
    _slider_strip(c, i, 5.0)


def slider_caps(c, i):
    """The slider's end caps (3 x 24): only the corner pixels of the track's ends, in the bar's
    colour, so a track of either colour ends rounded. Cell 0 the left end, cell 1 the right."""
    mid = c.h // 2
    x = 0 if i == 0 else c.w - 1
    for y in (mid - 2, mid + 1):
        c.pixel(x, y, BAR)


# Playlist item window ------------------------------------------------------------------------------

def card_corners(c, i):
    """Corners of a grid card (5 x 5): the window background outside a quarter circle, so that
    the card looks rounded. Cells: top left, top right, bottom left, bottom right."""
    r = float(c.w)
    left, top = i in (0, 2), i in (0, 1)
    ox, oy = (0.0 if left else r), (0.0 if top else r)   # the cell's outer corner
    cx, cy = (r if left else 0.0), (r if top else 0.0)   # the arc's centre, towards the card
    a0 = math.atan2(oy - cy, 0.0)
    a1 = math.atan2(0.0, ox - cx)
    if a1 - a0 > math.pi:
        a1 -= 2 * math.pi
    elif a0 - a1 > math.pi:
        a1 += 2 * math.pi
    points = [(ox, oy)] + [(cx + r * math.cos(a0 + (a1 - a0) * k / 12), cy + r * math.sin(a0 + (a1 - a0) * k / 12))
                           for k in range(13)]
    c.polygon(points, CHROME)


def _label(c, i, colour):
    """A label tag 14 high drawn in 4-pixel slices: rounded left end, middle, rounded right end."""
    r = 3.0
    if i == 0:
        c.round_rect(0, 0, c.w * 3, c.h, r, colour)
    elif i == 1:
        c.rect(0, 0, c.w, c.h, colour)
    else:
        c.round_rect(-c.w * 2, 0, c.w, c.h, r, colour)


def grid_label(c, i):
    _label(c, i, 0x141414)


def list_label(c, i):
    _label(c, i, 0x585858)


def _busy_dots(c, colour, lit, count=8):
    w = c.w
    for k in range(count):
        a = 2 * math.pi * k / count - math.pi / 2
        x, y = w / 2.0 + math.cos(a) * w * 0.3, w / 2.0 + math.sin(a) * w * 0.3
        c.ellipse(x, y, w * 0.075, w * 0.075, colour, 255 if k == lit else 110)


def item_state(c, i):
    """State of an item (0 being processed, 1 failed), drawn over its thumbnail or at the row start."""
    w = c.w
    if i == 0:
        c.ellipse(w / 2.0, w / 2.0, w * 0.47, w * 0.47, 0x101010)
        _busy_dots(c, PROCESSING, 0)
    else:
        s = _scale(c)
        c.ellipse(w / 2.0, w / 2.0, w * 0.47, w * 0.47, RED)
        c.round_rect(10.8 * s, 5 * s, 13.2 * s, 14.5 * s, 1.2 * s, WHITE)
        c.ellipse(12 * s, 17.7 * s, 1.5 * s, 1.5 * s, WHITE)


def grid_play_part(c, i):
    """The play button over a card (40 x 40): 0 normal, 1 hot, 2 pressed."""
    s = _scale(c)
    w = c.w
    disc = (0x181818, HIGHLIGHT, PRESSED_BLUE)[i]
    c.ellipse(w / 2.0, w / 2.0, w * 0.47, w * 0.47, disc)
    if i == 0:
        c.ring(w / 2.0, w / 2.0, w * 0.47, w * 0.47 - 1.5, TEXT)
    shift = 0.5 if i == 2 else 0.0
    c.polygon(_pts([(9.5, 7), (17.5, 12), (9.5, 17)], s, shift, shift), WHITE if i else TEXT)


def list_play_part(c, i):
    """The play button of a list row (20 x 20): a triangle, 0 normal, 1 hot, 2 pressed."""
    s = _scale(c)
    colour = (TEXT, WHITE, HIGHLIGHT)[i]
    c.polygon(_pts([(7.5, 5), (18, 12), (7.5, 19)], s), colour)


def grid_delete_part(c, i):
    """The delete button in a card's top-right corner (24 x 24)."""
    s = _scale(c)
    c.round_rect(4 * s, 4 * s, 20 * s, 20 * s, 2.5 * s, (0x181818, RED, DARK_RED)[i])
    cross_shape(c, WHITE if i else TEXT, s, 8.5, 8.5, 15.5, 15.5, 2.0)


def list_delete_part(c, i):
    s = _scale(c)
    cross_shape(c, (TEXT, 0xFF6060, RED)[i], s, 7, 7, 17, 17, 2.4)


def item_kind(c, i):
    """The kind of an item without a picture: 0 video, 1 audio, 2 anything else."""
    s = _scale(c)
    if i == 0:
        film_shape(c, GREY, BLACK, s)
    elif i == 1:
        note_shape(c, GREY, s)
    else:
        page_shape(c, GREY, 0x505050, s)
        for y in (11, 14, 17):
            c.rect(8 * s, y * s, 16.5 * s, (y + 1.2) * s, BLACK)


def list_item_kind(c, i):
    """The kind of a list row (16 x 16): 0 video, 1 audio."""
    s = _scale(c)
    if i == 0:
        film_shape(c, GREY, CHROME, s)
    else:
        note_shape(c, GREY, s)


def play_window_dots(c, i):
    """The play window's busy animation: 0 an unlit dot, 1 a lit dot."""
    w = c.w
    c.ellipse(w / 2.0, w / 2.0, w * 0.25, w * 0.25, HIGHLIGHT if i else 0x484848)


def open_files_picture(hover):
    """The "Open Files" button of the empty playlist (96 x 96, transparent ground): a folder with a
    play sign, grey, or blue and white under the mouse."""
    def draw(c, i):
        s = c.w / 96.0
        body = HIGHLIGHT if hover else 0x505050
        back = 0x0086D6 if hover else 0x404040
        sign = WHITE if hover else TEXT
        c.polygon(_pts(round_rect_points(10, 18, 86, 78, 5), s), back)
        c.polygon(_pts(round_rect_points(10, 14, 42, 28, 4), s), back)
        c.polygon(_pts(round_rect_points(10, 28, 86, 82, 5), s), body)
        c.ellipse(48 * s, 55 * s, 17 * s, 17 * s, sign)
        c.polygon(_pts([(42.5, 45), (58, 55), (42.5, 65)], s), body)
    return draw


# Icons ---------------------------------------------------------------------------------------------

def program_icon(c, i):
    """Lumivo: a blue rounded square with a white play sign and a strip of playlist tiles."""
    s = c.w / 24.0
    c.round_rect(1 * s, 1 * s, 23 * s, 23 * s, 5 * s, HIGHLIGHT)
    c.polygon(_pts([(8.5, 5.5), (18.5, 11.5), (8.5, 17.5)], s), WHITE)
    for x in (5, 10.5, 16):
        c.rect(x * s, 19.2 * s, (x + 3.5) * s, 20.8 * s, WHITE, 170)


def _document(c, s):
    c.polygon(_pts([(4.5, 1.5), (14.5, 1.5), (20.5, 7.5), (20.5, 22.5), (4.5, 22.5)], s), 0x707070)
    c.polygon(_pts([(5.5, 2.5), (14, 2.5), (19.5, 8), (19.5, 21.5), (5.5, 21.5)], s), WHITE)
    c.polygon(_pts([(14, 2.5), (19.5, 8), (14, 8)], s), 0xD0D0D0)


def playlist_document_icon(c, i):
    """A Lumivo playlist: a page with a blue play sign over list lines."""
    s = c.w / 24.0
    _document(c, s)
    c.ellipse(11.5 * s, 11 * s, 4.2 * s, 4.2 * s, HIGHLIGHT)
    c.polygon(_pts([(10.2, 8.8), (14, 11), (10.2, 13.2)], s), WHITE)
    for y in (16.5, 19):
        c.rect(7.5 * s, y * s, 17.5 * s, (y + 1.2) * s, 0x8A8A8A)


def video_document_icon(c, i):
    s = c.w / 24.0
    _document(c, s)
    c.round_rect(7 * s, 9.5 * s, 18 * s, 18.5 * s, 1 * s, 0x1E6FD0)
    for x in (8, 10.5, 13, 15.5):
        c.rect(x * s, 10.3 * s, (x + 1.3) * s, 11.3 * s, WHITE)
        c.rect(x * s, 16.7 * s, (x + 1.3) * s, 17.7 * s, WHITE)
    c.polygon(_pts([(11, 12.2), (14.3, 14), (11, 15.8)], s), WHITE)


def audio_document_icon(c, i):
    s = c.w / 24.0
    _document(c, s)
    ns = s * 0.6
    dx, dy = 5.2 * s, 7.2 * s
    c.ellipse(dx + 7.5 * ns, dy + 17.5 * ns, 3.2 * ns, 2.5 * ns, 0xE07818)
    c.ellipse(dx + 16.5 * ns, dy + 15.5 * ns, 3.2 * ns, 2.5 * ns, 0xE07818)
    c.rect(dx + 9.2 * ns, dy + 5.5 * ns, dx + 10.9 * ns, dy + 17.5 * ns, 0xE07818)
    c.rect(dx + 18.2 * ns, dy + 3.5 * ns, dx + 19.9 * ns, dy + 15.5 * ns, 0xE07818)
    c.polygon([(dx + 9.2 * ns, dy + 5.5 * ns), (dx + 19.9 * ns, dy + 3.5 * ns), (dx + 19.9 * ns, dy + 6.8 * ns),
               (dx + 9.2 * ns, dy + 8.8 * ns)], 0xE07818)


def playlist_icon(c, i):
    """A playlist of any kind: a page with numbered list lines."""
    s = c.w / 24.0
    _document(c, s)
    for y in (10, 13.5, 17):
        c.ellipse(8.5 * s, (y + 0.6) * s, 1.1 * s, 1.1 * s, 0x20A050)
        c.rect(11 * s, y * s, 17.5 * s, (y + 1.3) * s, 0x606060)
