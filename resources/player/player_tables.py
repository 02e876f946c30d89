"""Table lines of the player's drawn resources (set "player"), compiled into Lumivo's resources
with the toolkit's set. Ids, cell sizes, cell counts and mask colours are the ones the player's
windows load them with."""

import glyphs as g
import player_glyphs as p
from make_resources import BITMAP, ICON, MAGENTA, PNG, R

BLACK = 0x000000

TABLES = {
    "player": [
        # Icons of the executable, in id order: the file types point at them by position.
        R(128, ICON, (48, 48), 1, None, p.program_icon),
        R(129, ICON, (48, 48), 1, None, p.playlist_document_icon),
        R(200, ICON, (48, 48), 1, None, p.video_document_icon),
        R(201, ICON, (48, 48), 1, None, p.audio_document_icon),
        R(202, ICON, (48, 48), 1, None, p.playlist_icon),

        # Playback control bar: one 24 x 24 cell per button state, on the bar's colour.
        R(133, BITMAP, (24, 24), 5, MAGENTA, p.bar_play, matte=g.BAR),
        R(142, BITMAP, (24, 24), 5, MAGENTA, p.bar_pause, matte=g.BAR),
        R(137, BITMAP, (24, 24), 5, MAGENTA, p.bar_stop, matte=g.BAR),
        R(138, BITMAP, (24, 24), 5, MAGENTA, p.bar_previous, matte=g.BAR),
        R(139, BITMAP, (24, 24), 5, MAGENTA, p.bar_next, matte=g.BAR),
        R(141, BITMAP, (24, 24), 4, BLACK, p.seek_strip, matte=g.BAR),
        R(215, BITMAP, (24, 24), 5, MAGENTA, p.bar_volume_muted, matte=g.BAR),
        R(153, BITMAP, (24, 24), 5, MAGENTA, p.bar_volume_low, matte=g.BAR),
        R(154, BITMAP, (24, 24), 5, MAGENTA, p.bar_volume_high, matte=g.BAR),
        R(143, BITMAP, (20, 24), 4, MAGENTA, p.volume_strip, matte=g.BAR),
        R(149, BITMAP, (24, 24), 5, MAGENTA, p.bar_zoom, matte=g.BAR),
        R(135, BITMAP, (24, 24), 5, MAGENTA, p.bar_full_screen_enter, matte=g.BAR),
        R(131, BITMAP, (24, 24), 5, MAGENTA, p.bar_full_screen_leave, matte=g.BAR),
        R(144, BITMAP, (24, 24), 5, MAGENTA, p.bar_to_play_view, matte=g.BAR),
        R(146, BITMAP, (24, 24), 5, MAGENTA, p.bar_to_playlist, matte=g.BAR),
        R(211, BITMAP, (3, 24), 2, MAGENTA, p.slider_caps, matte=g.BAR),

        # Playlist item window: cards on RGB(64, 64, 64), rows on the window's RGB(32, 32, 32).
        R(192, BITMAP, (40, 40), 2, MAGENTA, p.item_state, matte=p.CARD),
        R(130, BITMAP, (20, 20), 2, MAGENTA, p.item_state),
        R(191, BITMAP, (40, 40), 3, MAGENTA, p.grid_play_part, matte=p.CARD),
        R(147, BITMAP, (20, 20), 3, MAGENTA, p.list_play_part, matte=p.HOVER_ROW),
        R(219, BITMAP, (24, 24), 3, MAGENTA, p.grid_delete_part, matte=p.CARD),
        R(220, BITMAP, (20, 20), 3, MAGENTA, p.list_delete_part, matte=p.HOVER_ROW),
        R(157, BITMAP, (32, 32), 3, MAGENTA, p.item_kind, matte=BLACK),
        R(145, BITMAP, (16, 16), 2, MAGENTA, p.list_item_kind),
        R(162, BITMAP, (4, 14), 3, MAGENTA, p.grid_label, matte=0x303030),
        R(214, BITMAP, (4, 14), 3, MAGENTA, p.list_label),
        R(212, BITMAP, (5, 5), 4, MAGENTA, p.card_corners, matte=p.CARD),

        # Play window's busy dots, shown over the black video area.
        R(213, BITMAP, (16, 16), 2, MAGENTA, p.play_window_dots, matte=BLACK),

        # The empty playlist's "Open Files" button: normal and under the mouse.
        R(156, PNG, (96, 96), 1, None, p.open_files_picture(hover=False)),
        R(155, PNG, (96, 96), 1, None, p.open_files_picture(hover=True)),
    ],
}
