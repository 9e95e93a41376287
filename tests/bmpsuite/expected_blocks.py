"""The data blocks a bitmap should give, worked out without the converter.

The pixels come from Pillow, an independent decoder; this module only lays
them out as the image file does: bands of 8 columns from the left, one byte
per band and row, top row first, bit 7 the leftmost pixel, 1 for any pixel
that is not white.

Pillow 9.4 decodes 4-bit run-length data wrongly, so for encoded bitmaps this
module only tells which pixels their codes paint (painted_pixels); the test
then compares them with their uncompressed twins.
"""

import struct
from collections import namedtuple

from PIL import Image

Fields = namedtuple("Fields", "width height top_down bit_count compression color0 data_offset")


def read_fields(data):
    """The header fields the converter reads, as it reads them."""
    (data_offset,) = struct.unpack_from("<I", data, 10)
    info_size, width, height = struct.unpack_from("<Iii", data, 14)
    bit_count, compression = struct.unpack_from("<HI", data, 28)
    table = 14 + info_size
    color0 = tuple(data[table:table + 3])  # blue, green, red
    return Fields(width & 0xFFFF, abs(height) & 0xFFFF, height < 0, bit_count,
                  compression, color0, data_offset)


def block_from_bits(width, height, bit):
    """The data block of a picture whose pixel (x, y), y = 0 the top row,
    gives bit(x, y)."""
    bands = (width + 7) // 8
    block = bytearray(height * bands)
    for b in range(bands):
        for y in range(height):
            value = 0
            for k in range(8):
                x = 8 * b + k
                if x < width and bit(x, y):
                    value |= 0x80 >> k
            block[b * height + y] = value
    return bytes(block)


def palette_indices(image, fields):
    """The colour-table index of each pixel, row by row from the top."""
    if image.mode == "P":
        return list(image.getdata())
    # Pillow opens a bitmap of black and white as mode "1", in either order
    # of its table: recover the index from the colour of entry 0.
    assert image.mode == "1", image.mode
    entry0_white = fields.color0 == (255, 255, 255)
    return [0 if (value == 255) == entry0_white else 1 for value in image.getdata()]


def expected_block(path):
    """The data block of an uncompressed 1-, 4- or 8-bit bitmap.

    Each pixel gives 0 when it is white (red, green and blue all 255) and 1
    otherwise, except in a 1-bit bitmap whose colour entry 0 has a blue byte
    of 255 or 0: there the stored index is kept, or inverted, as it stands.
    """
    with open(path, "rb") as f:
        fields = read_fields(f.read())
    with Image.open(path) as image:
        image.load()
        width, height = image.size
        if fields.bit_count == 1 and fields.color0[0] in (0, 255):
            indices = palette_indices(image, fields)
            invert = fields.color0[0] == 0
            return block_from_bits(width, height,
                                   lambda x, y: indices[y * width + x] ^ invert)
        rgb = list(image.convert("RGB").getdata())
    return block_from_bits(width, height,
                           lambda x, y: rgb[y * width + x] != (255, 255, 255))


def painted_pixels(path):
    """The pixels (x, y), y = 0 the top row, that the codes of a run-length
    encoded bitmap paint; every other pixel keeps colour index 0."""
    with open(path, "rb") as f:
        data = f.read()
    fields = read_fields(data)
    width, height = fields.width, fields.height
    nibbles = fields.bit_count == 4
    (file_size,) = struct.unpack_from("<I", data, 2)
    codes = data[fields.data_offset:file_size]

    painted = set()
    x = y = 0  # y counted from the bottom row
    at = 0

    def paint(count):
        nonlocal x
        for _ in range(count):
            if x < width:
                painted.add((x, height - 1 - y))
                x += 1

    while len(codes) - at >= 2:
        count, code = codes[at], codes[at + 1]
        at += 2
        if count:
            paint(count)
        elif code == 0:
            x, y = 0, y + 1
            if y >= height:
                break
        elif code == 1:
            break
        elif code == 2:
            if len(codes) - at < 2:
                break
            x, y = min(x + codes[at], width), y + codes[at + 1]
            at += 2
            if y >= height:
                break
        else:
            size = (code + 1) // 2 if nibbles else code
            available = min(size, len(codes) - at)
            paint(min(code, 2 * available if nibbles else available))
            if available < size:
                break
            at += size + size % 2
    return painted
