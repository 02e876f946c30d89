# Writes the 5 x 3 RGBA picture that the image tests load from their own resources.
import struct
import sys
import zlib


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def main(path):
    width, height = 5, 3
    rows = b""
    for y in range(height):
        row = b"\x00"
        for x in range(width):
            if (x, y) == (0, 0):
                row += bytes((255, 0, 0, 128))
            elif (x, y) == (width - 1, 0):
                row += bytes((0, 0, 255, 255))
            else:
                row += bytes((x * 40, y * 60, 10, 255))
        rows += row
    data = b"\x89PNG\r\n\x1a\n"
    data += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
    data += chunk(b"IDAT", zlib.compress(rows))
    data += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main(sys.argv[1])
