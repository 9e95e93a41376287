#!/usr/bin/env python3
"""Writes the small generated seeds of fuzz/corpus (run from anywhere).

bitmap/  a few tiny bitmaps of each kind the converter reads, beside four
         files copied unchanged from the public BMP test suite (pal1wb,
         pal4rletrns, pal8rletrns, shortfile); run.sh adds tests/data;
job/     whole jobs for job_fuzzer: Tavik.cmd, job.txt and bitmaps, joined by
         the separator that job_fuzzer cuts them at.
"""

import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
SEPARATOR = b"%%QDX%%"
WHITE, BLACK, RED = (255, 255, 255, 0), (0, 0, 0, 0), (0, 0, 255, 0)


def bitmap(width, height, bit_count, colors, pixels, compression=0):
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bit_count, compression,
                       len(pixels), 2835, 2835, len(colors), 0)
    table = b"".join(bytes(c) for c in colors)
    offset = 14 + len(info) + len(table)
    head = b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset)
    return head + info + table + pixels


def rows(width, height, bit_count, index):
    """Uncompressed rows, bottom row first, from index(x, y), y = 0 the top."""
    stride = (width * bit_count + 31) // 32 * 4
    data = bytearray()
    for y in reversed(range(height)):
        row = bytearray(stride)
        for x in range(width):
            bit = x * bit_count
            row[bit // 8] |= index(x, y) << (8 - bit_count - bit % 8)
        data += row
    return bytes(data)


def seeds():
    checker = lambda x, y: (x + y) % 2
    yield "one-bit-13x3.bmp", bitmap(13, 3, 1, [WHITE, BLACK], rows(13, 3, 1, checker))
    yield "four-bit-5x2.bmp", bitmap(5, 2, 4, [WHITE, BLACK, RED] + [BLACK] * 13,
                                     rows(5, 2, 4, lambda x, y: (x + 2 * y) % 3))
    top_down = rows(9, 2, 8, lambda x, y: x % 3)
    yield "eight-bit-top-down.bmp", bitmap(9, -2, 8, [WHITE, BLACK, RED] + [BLACK] * 253,
                                           top_down[12:] + top_down[:12])
    # A run, an end of row, a move, a literal with its pad byte, the end.
    yield "rle8-codes.bmp", bitmap(10, 3, 8, [WHITE, BLACK, RED] + [BLACK] * 253,
                                   bytes([4, 1, 0, 0, 0, 2, 2, 1, 0, 3, 1, 2, 1, 0, 0, 1]), 1)
    yield "rle4-codes.bmp", bitmap(10, 3, 4, [WHITE, BLACK, RED] + [BLACK] * 13,
                                   bytes([5, 0x12, 0, 0, 0, 2, 1, 1, 0, 5, 0x21, 0x02, 0x10,
                                          0, 0, 1]), 2)


def job(control, lines, bitmaps):
    return SEPARATOR.join([control.encode(), "".join(lines).encode()] + bitmaps)


def main():
    made = dict(seeds())
    for name, data in made.items():
        with open(os.path.join(HERE, "corpus", "bitmap", name), "wb") as f:
            f.write(data)
    control = "[Convert]\nCtrlFile=job.txt\n"
    jobs = {
        "two-pictures": job(control, ["load 1.bmp\n", "LOD2 2.bmp\n"],
                            [made["one-bit-13x3.bmp"], made["rle8-codes.bmp"]]),
        "no-header": job(control + "NoHeader=1\n", ["# comment\n", "load 1.bmp\r\n", "load 2.bmp\n"],
                         [made["rle4-codes.bmp"], made["eight-bit-top-down.bmp"]]),
        "refused-and-missing": job(control, ["load 1.bmp\n", "no keyword\n", "load 9.bmp\n",
                                             "lod2 2.bmp\n"],
                                   [b"BM" + bytes(60), made["four-bit-5x2.bmp"]]),
        "no-definition": job("[Convert]\nCtrlFile=absent.txt\n", [], []),
    }
    for name, data in jobs.items():
        with open(os.path.join(HERE, "corpus", "job", name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
