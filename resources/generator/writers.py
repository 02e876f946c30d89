"""File formats of the generated resources: BMP strips with a mask colour, icons and cursors
(32-bit colour with an AND mask), animated cursors (RIFF "ACON") and PNG (RGBA)."""

import struct
import zlib

# Pixels at least this opaque count as drawn where a format has only "drawn" and "not drawn".
OPAQUE = 128


def _matte(pixel, matte):
    """A canvas pixel composited over the matte colour, as (r, g, b) bytes."""
    r, g, b, a = pixel
    mr, mg, mb = (matte >> 16) & 255, (matte >> 8) & 255, matte & 255
    f = a / 255.0
    return (int(round(r * f + mr * (1 - f))), int(round(g * f + mg * (1 - f))), int(round(b * f + mb * (1 - f))))


def bmp(canvas, mask, matte):
    """A 24-bit bottom-up BMP. Pixels left undrawn take the mask colour (or the matte when the
    resource has no mask); drawn ones are composited over the matte, so smooth edges blend into
    the background they are shown on instead of into the mask colour."""
    w, h = canvas.w, canvas.h
    stride = (w * 3 + 3) & ~3
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            p = canvas.get(x, y)
            if mask is not None and p[3] < OPAQUE:
                r, g, b = (mask >> 16) & 255, (mask >> 8) & 255, mask & 255
            else:
                r, g, b = _matte(p, matte)
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    bits = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(bits), 2835, 2835, 0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(bits), 0, 0, 14 + len(info))
    return header + info + bits


def _icon_image(canvas):
    """One icon or cursor image: a BITMAPINFOHEADER of twice the height, 32-bit BGRA rows bottom
    up, then the 1-bit AND mask (set where the pixel is transparent)."""
    w, h = canvas.w, canvas.h
    colour = bytearray()
    mask = bytearray()
    mask_stride = ((w + 31) // 32) * 4
    for y in range(h - 1, -1, -1):
        bits = bytearray(mask_stride)
        for x in range(w):
            r, g, b, a = canvas.get(x, y)
            colour += bytes((b, g, r, a))
            if a < OPAQUE:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(colour) + len(mask), 0, 0, 0, 0)
    return info + bytes(colour) + bytes(mask)


def icon_file(canvases, cursor=False, hotspots=None):
    """An .ico (or, with cursor, a .cur) holding one image per canvas."""
    images = [_icon_image(c) for c in canvases]
    out = struct.pack("<HHH", 0, 2 if cursor else 1, len(images))
    offset = 6 + 16 * len(images)
    for i, (c, data) in enumerate(zip(canvases, images)):
        if cursor:
            hx, hy = hotspots[i]
            planes, bits = hx, hy
        else:
            planes, bits = 1, 32
        out += struct.pack("<BBBBHHII", c.w % 256, c.h % 256, 0, 0, planes, bits, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def _chunk(tag, data):
    pad = b"\0" if len(data) % 2 else b""
    return tag + struct.pack("<I", len(data)) + data + pad


def ani_file(frames, hotspot, rate):
    """An animated cursor: RIFF "ACON" with the "anih" header (frames stored as cursor files,
    shown in order, each for rate jiffies of 1/60 s) and a "fram" list of "icon" chunks."""
    anih = struct.pack("<IIIIIIIII", 36, len(frames), len(frames), 0, 0, 0, 0, rate, 1)
    icons = b"".join(_chunk(b"icon", icon_file([f], cursor=True, hotspots=[hotspot])) for f in frames)
    body = b"ACON" + _chunk(b"anih", anih) + _chunk(b"LIST", b"fram" + icons)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def png(canvas):
    """A PNG of colour type 6 (RGBA, 8 bits), unfiltered rows."""
    raw = bytearray()
    for y in range(canvas.h):
        raw.append(0)
        for x in range(canvas.w):
            raw += bytes(canvas.get(x, y))

    def chunk(tag, data):
        return struct.pack(">I", len(data)) + tag + data + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    ihdr = struct.pack(">IIBBBBB", canvas.w, canvas.h, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(bytes(raw), 9))
            + chunk(b"IEND", b""))
