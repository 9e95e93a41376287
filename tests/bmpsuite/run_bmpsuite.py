#!/usr/bin/python3
"""Runs the converter over the public BMP test suite (folders g, q and b).

    run_bmpsuite.py PROGRAM SUITE_DIR

Each bitmap is converted alone in a job of its own, then all of them together
in one job, twice. Every run must end with exit code 0 and nothing on
standard error but the converter's own message lines (a sanitizer report
fails the test). Each bitmap must give either one message or one picture,
the job of all of them exactly the pictures and messages of the single runs,
and the two runs of it the same bytes.

The pictures are then checked against an independent decoder: each
uncompressed 1-, 4- and 8-bit bitmap of g against Pillow, and each run-length
encoded one against its uncompressed twin.

Exit code 77 (a skipped test to ctest) when the suite is absent.
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile

SKIPPED = 77
FOLDERS = ("g", "q", "b")
MESSAGE_LINE = re.compile(r"^Quendrix: (warning|error): ")
HEADER = 16
FILL = 256

# Good bitmaps that the converter refuses on purpose, with the reason.
REFUSED_GOOD = {
    "g/pal8os2.bmp": "its info header of 12 bytes is an older form the converter does not read",
}

# Encoded bitmaps and the uncompressed bitmap that holds the same picture.
# Those that decode to all of it must match it exactly; the others (cut
# short, or skipping pixels) may differ from it where they paint nothing.
WHOLE_TWINS = {"g/pal4rle.bmp": "g/pal4.bmp", "g/pal8rle.bmp": "g/pal8.bmp"}
PARTIAL_TWINS = {
    "q/pal4rlecut.bmp": "g/pal4.bmp",
    "q/pal4rletrns.bmp": "g/pal4.bmp",
    "q/pal8rlecut.bmp": "g/pal8.bmp",
    "q/pal8rletrns.bmp": "g/pal8.bmp",
}

failures = []


def fail(text):
    failures.append(text)
    print("FAIL: " + text)


def run_job(program, suite, names, job):
    """Runs one job over `names` in the fresh directory `job`; returns the
    bytes of Image.img (None when there is none) and the message lines."""
    os.makedirs(job)
    for name in names:
        os.makedirs(os.path.join(job, os.path.dirname(name)), exist_ok=True)
        shutil.copyfile(os.path.join(suite, name), os.path.join(job, name))
    with open(os.path.join(job, "Tavik.cmd"), "w") as f:
        f.write("[Convert]\nCtrlFile=files.txt\n")
    with open(os.path.join(job, "files.txt"), "w") as f:
        f.writelines("load %s\n" % name for name in names)
    what = names[0] if len(names) == 1 else "the job of all files"
    try:
        run = subprocess.run([program], cwd=job, capture_output=True, timeout=120)
    except subprocess.TimeoutExpired:
        fail("%s: the converter did not end within 120 s" % what)
        return None, []
    errors = run.stderr.decode("utf-8", "replace")
    lines = errors.splitlines()
    if run.returncode != 0:
        fail("%s: exit code %d\n%s" % (what, run.returncode, errors))
    stray = [line for line in lines if not MESSAGE_LINE.match(line)]
    if stray or run.stdout:
        fail("%s: unexpected output (a sanitizer report?)\n%s%s"
             % (what, run.stdout.decode("utf-8", "replace"), errors))
    output = os.path.join(job, "Image.img")
    if not os.path.exists(output):
        fail("%s: no Image.img" % what)
        return None, lines
    with open(output, "rb") as f:
        return f.read(), lines


def filled(length):
    return length + FILL - length % FILL


def convert_alone(program, suite, name, job):
    """One bitmap in a job of its own: returns its picture (header and data
    block) or None when it gave a message."""
    from expected_blocks import read_fields

    image, lines = run_job(program, suite, [name], job)
    if image is None:
        return None, lines
    if lines:
        if len(lines) != 1 or name not in lines[0]:
            fail("%s: expected one message naming the file, got %r" % (name, lines))
        if image != bytes(FILL):
            fail("%s: a message, yet Image.img holds %d bytes that are not a "
                 "bare fill" % (name, len(image)))
        return None, lines
    with open(os.path.join(suite, name), "rb") as f:
        fields = read_fields(f.read())
    block = fields.height * ((fields.width + 7) // 8)
    if len(image) != filled(HEADER + block) or any(image[HEADER + block:]):
        fail("%s: Image.img of %d bytes is not one picture of %d x %d"
             % (name, len(image), fields.width, fields.height))
        return None, lines
    return image[:HEADER + block], lines


def check_pictures(suite, pictures):
    """Compares the pictures with Pillow's decoding and with the twins."""
    from expected_blocks import expected_block, painted_pixels, read_fields

    def block(name):
        picture = pictures.get(name)
        return None if picture is None else picture[HEADER:]

    for name in sorted(pictures.keys() | REFUSED_GOOD.keys()):
        if not name.startswith("g/"):
            continue
        with open(os.path.join(suite, name), "rb") as f:
            fields = read_fields(f.read())
        if fields.bit_count not in (1, 4, 8) and name not in REFUSED_GOOD:
            continue
        if name in REFUSED_GOOD:
            if name in pictures:
                fail("%s: converted, though %s" % (name, REFUSED_GOOD[name]))
        elif fields.compression == 0:
            if block(name) != expected_block(os.path.join(suite, name)):
                fail("%s: the data block differs from Pillow's picture" % name)

    for g in sorted(n for n in os.listdir(os.path.join(suite, "g")) if n.endswith(".bmp")):
        name = "g/" + g
        with open(os.path.join(suite, name), "rb") as f:
            fields = read_fields(f.read())
        if fields.bit_count in (1, 4, 8) and name not in REFUSED_GOOD and name not in pictures:
            fail("%s: a good %d-bit bitmap was refused" % (name, fields.bit_count))

    for encoded, twin in WHOLE_TWINS.items():
        if block(encoded) is None or block(encoded) != block(twin):
            fail("%s: the data block differs from that of %s" % (encoded, twin))

    for encoded, twin in PARTIAL_TWINS.items():
        got, want = block(encoded), block(twin)
        if got is None or want is None or len(got) != len(want):
            fail("%s: no picture the size of %s" % (encoded, twin))
            continue
        with open(os.path.join(suite, twin), "rb") as f:
            fields = read_fields(f.read())
        height = fields.height
        painted = painted_pixels(os.path.join(suite, encoded))
        wrong = []
        for i, (a, b) in enumerate(zip(got, want)):
            for k in range(8):
                x, y = 8 * (i // height) + k, i % height
                if (a ^ b) & (0x80 >> k) and (x, y) in painted:
                    wrong.append((x, y))
        if wrong:
            fail("%s: %d painted pixels differ from %s, first at %r"
                 % (encoded, len(wrong), twin, wrong[0]))


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    program, suite = os.path.abspath(sys.argv[1]), sys.argv[2]
    if not all(os.path.isdir(os.path.join(suite, folder)) for folder in FOLDERS):
        print("SKIPPED: the BMP test suite is not at %s (folders g, q, b)" % suite)
        return SKIPPED
    try:
        import PIL  # noqa: F401
    except ImportError:
        print("python3-pil is missing: the pictures cannot be checked "
              "(apt-get install python3-pil)")
        return 1 if os.environ.get("CI") else SKIPPED
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

    names = [folder + "/" + file
             for folder in FOLDERS
             for file in sorted(os.listdir(os.path.join(suite, folder)))
             if file.endswith(".bmp")]
    with tempfile.TemporaryDirectory(prefix="quendrix-bmpsuite-") as work:
        pictures = {}
        expected_image = b""
        expected_lines = []
        for i, name in enumerate(names):
            picture, lines = convert_alone(program, suite, name, os.path.join(work, "alone%d" % i))
            if picture is not None:
                pictures[name] = picture
                expected_image += picture
            expected_lines += lines
        expected_image += bytes(FILL - len(expected_image) % FILL)

        images = []
        for run in range(2):
            image, lines = run_job(program, suite, names, os.path.join(work, "all%d" % run))
            images.append(image)
            if image != expected_image or lines != expected_lines:
                fail("the job of all files (run %d) differs from the files converted "
                     "one by one" % (run + 1))
        if images[0] != images[1]:
            fail("two runs of the job of all files gave different bytes")

        check_pictures(suite, pictures)

    print("%d bitmaps: %d pictures, %d messages; %d failures"
          % (len(names), len(pictures), len(names) - len(pictures), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
