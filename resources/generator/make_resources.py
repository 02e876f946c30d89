#!/usr/bin/env python3
"""Writes the programs' bitmaps, icons, cursors, animated cursors and PNG pictures, and a resource
script that names them, at build time (nothing binary is kept in the source tree).

    make_resources.py OUT_DIR RC_FILE SET [SET ...]

Each SET is one of the tables below, or of a program's table module beside its resource script
(resources/<program>/<program>_tables.py, whose TABLES names its sets); a program's resource
script includes the toolkit's set and its own. A resource is one table line:

    R(id, kind, (cell width, cell height), cell count, mask colour, drawing, **options)

    BITMAP      cells side by side in one 24-bit BMP (an image list strip); undrawn pixels take the
                mask colour, drawn ones are composited over the matte (option matte, default the
                chrome colour) so their smooth edges suit the dark windows they are shown in.
    ICON        one image of the cell size, plus 16 x 16 (and 32 x 32) when the cell is larger;
                32-bit colour with alpha and an AND mask. The cell count must be 1.
    CURSOR      one image of the cell size; option hotspot=(x, y) in cell pixels.
    ANICURSOR   RT_ANICURSOR: cell count frames, each a cursor of the cell size; options hotspot
                and rate (jiffies of 1/60 s per frame, default 6).
    PNG         cells side by side in one RGBA PNG (resource type "PNG"); mask must be None.

The drawing is a function (of glyphs.py, or of the program's glyph module) called once per cell
with the cell's canvas and index.
"""

import glob
import importlib.util
import os
import sys
from collections import namedtuple

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import glyphs as g  # noqa: E402
import writers  # noqa: E402
from canvas import Canvas  # noqa: E402

BITMAP, ICON, CURSOR, ANICURSOR, PNG = "BITMAP", "ICON", "CURSOR", "ANICURSOR", "PNG"
MAGENTA = 0xFF00FF

Resource = namedtuple("Resource", "id kind cell cells mask draw options")


def R(rid, kind, cell, cells, mask, draw, **options):
    return Resource(rid, kind, cell, cells, mask, draw, options)


TABLES = {
    # Shared by both programs: the skinned scroll bar and the link cursor of the owner-drawn controls.
    "toolkit": [
        R(221, BITMAP, (14, 2), 2, MAGENTA, g.scroll_thumb_caps),
        R(401, CURSOR, (32, 32), 1, None, g.hand_cursor, hotspot=(10, 1)),
    ],
    # The item lists' drop cursors and the folder tree's spinner: programs that show item lists
    # or the folder picker add this set.
    "toolkit-lists": [
        R(136, CURSOR, (32, 32), 1, None, g.list_drop_cursor, hotspot=(1, 1)),
        R(137, CURSOR, (32, 32), 1, None, g.grid_drop_cursor, hotspot=(1, 1)),
        R(135, ANICURSOR, (16, 16), 10, None, g.folder_spinner, hotspot=(8, 8), rate=5),
    ],
    # Fixtures of the toolkit tests: one resource of each remaining kind.
    "toolkit-tests": [
        R(900, ICON, (32, 32), 1, None, g.sample_icon),
        R(901, ANICURSOR, (32, 32), 8, None, g.sample_busy_frame, hotspot=(16, 16), rate=4),
        R(902, PNG, (32, 32), 1, None, g.sample_arrow),
        # The programs' icon id, which the About templates show.
        R(128, ICON, (32, 32), 1, None, g.sample_icon),
    ],
}


def load_program_tables():
    """Adds the sets of every program's table module (resources/*/*_tables.py). The programs'
    folders are importable, so a table module can draw with its own glyph module and share
    drawings with the other program's."""
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    paths = sorted(glob.glob(os.path.join(root, "*", "*_tables.py")))
    for path in paths:
        folder = os.path.dirname(path)
        if folder not in sys.path:
            sys.path.append(folder)
    for path in paths:
        name = os.path.splitext(os.path.basename(path))[0]
        found = importlib.util.spec_from_file_location(name, path)
        module = importlib.util.module_from_spec(found)
        found.loader.exec_module(module)
        for set_name, table in module.TABLES.items():
            if set_name in TABLES:
                raise ValueError("resource set %r is defined twice (%s)" % (set_name, path))
            TABLES[set_name] = table


EXTENSIONS = {BITMAP: "bmp", ICON: "ico", CURSOR: "cur", ANICURSOR: "ani", PNG: "png"}


def draw_cells(res, width, height):
    canvases = []
    for i in range(res.cells):
        c = Canvas(width, height)
        res.draw(c, i)
        canvases.append(c)
    return canvases


def strip(canvases):
    """Cells side by side in one canvas."""
    out = Canvas(sum(c.w for c in canvases), canvases[0].h)
    x0 = 0
    for c in canvases:
        for y in range(c.h):
            for x in range(c.w):
                out.px[y * out.w + x0 + x] = list(c.px[y * c.w + x])
        x0 += c.w
    return out


def encode(res):
    w, h = res.cell
    opts = res.options
    if res.kind == BITMAP:
        return writers.bmp(strip(draw_cells(res, w, h)), res.mask, opts.get("matte", g.CHROME))
    if res.kind == PNG:
        if res.mask is not None:
            raise ValueError("PNG %d: a PNG keeps its alpha and takes no mask colour" % res.id)
        return writers.png(strip(draw_cells(res, w, h)))
    if res.kind == ICON:
        if res.cells != 1:
            raise ValueError("ICON %d: an icon has one cell" % res.id)
        if w != h:
            raise ValueError("ICON %d: icons are square" % res.id)
        sizes = sorted({w} | {s for s in (32, 16) if s < w}, reverse=True)
        return writers.icon_file([draw_cells(res, s, s)[0] for s in sizes])
    if res.kind == CURSOR:
        if res.cells != 1:
            raise ValueError("CURSOR %d: a cursor has one cell" % res.id)
        return writers.icon_file(draw_cells(res, w, h), cursor=True, hotspots=[opts.get("hotspot", (0, 0))])
    if res.kind == ANICURSOR:
        return writers.ani_file(draw_cells(res, w, h), opts.get("hotspot", (0, 0)), opts.get("rate", 6))
    raise ValueError("resource %d: unknown kind %s" % (res.id, res.kind))


def main(argv):
    if len(argv) < 4:
        sys.stderr.write(__doc__)
        return 2
    out_dir, rc_path, sets = argv[1], argv[2], argv[3:]
    load_program_tables()
    os.makedirs(out_dir, exist_ok=True)
    seen = {}
    lines = ["// Written by resources/generator/make_resources.py (sets: %s); do not edit." % " ".join(sets)]
    for name in sets:
        if name not in TABLES:
            sys.stderr.write("make_resources: no resource set named %r\n" % name)
            return 2
        for res in TABLES[name]:
            key = (res.kind, res.id)
            if key in seen:
                sys.stderr.write("make_resources: %s %d is in both %s and %s\n" % (res.kind, res.id, seen[key], name))
                return 2
            seen[key] = name
            path = os.path.join(out_dir, "%s_%d.%s" % (res.kind.lower(), res.id, EXTENSIONS[res.kind]))
            data = encode(res)
            # An unchanged file keeps its time, so the resource compiler has nothing new to do.
            if not os.path.exists(path) or open(path, "rb").read() != data:
                with open(path, "wb") as f:
                    f.write(data)
            lines.append('%d %s "%s"' % (res.id, res.kind, os.path.abspath(path).replace("\\", "/")))
    text = "\n".join(lines) + "\n"
    tmp = rc_path + ".tmp"
    with open(tmp, "w") as f:
        f.write(text)
    os.replace(tmp, rc_path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
