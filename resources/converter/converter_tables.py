"""Table lines of the converter's drawn resources (set "converter"), compiled into Ravento's
resources with the toolkit's set. Ids, cell sizes, cell counts and mask colours are the ones the
converter's environment and dialogs load them with."""

import converter_glyphs as v
import glyphs as g
from make_resources import BITMAP, CURSOR, ICON, MAGENTA, PNG, R

WHITE = 0xFFFFFF

TABLES = {
    "converter": [
        R(128, ICON, (48, 48), 1, None, v.program_icon),
        # The environment's link cursor.
        R(800, CURSOR, (32, 32), 1, None, g.hand_cursor, hotspot=(10, 1)),
        # The environment's image lists: grip, format icons, media-type icons.
        R(154, BITMAP, (12, 12), 1, MAGENTA, v.size_grip, matte=v.DIALOG),
        R(141, BITMAP, (16, 16), 3, MAGENTA, v.format_icon, matte=WHITE),
        R(166, BITMAP, (32, 32), 4, MAGENTA, v.media_type_icon, matte=v.PANEL),
        # The conversion dialogs: label markers, status icons, menu button, the preview arrow.
        R(702, BITMAP, (12, 12), 1, MAGENTA, v.label_marker, matte=v.DIALOG),
        R(707, BITMAP, (24, 24), 6, MAGENTA, v.status_icon, matte=v.STATUS_BAND),
        R(142, BITMAP, (28, 20), 1, MAGENTA, v.menu_button, matte=v.DIALOG),
        R(146, PNG, (32, 32), 1, None, v.down_arrow),
        # The preset manager's list: state images, white being the mask.
        R(701, BITMAP, (16, 16), 3, WHITE, v.preset_state, matte=WHITE),
    ],
}
