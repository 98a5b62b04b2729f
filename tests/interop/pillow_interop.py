"""Checks BMP files against Pillow, an independent reader and writer, in both directions.

Usage: pillow_interop.py BMP_INTEROP_TOOL

1. The tool writes its pattern at 1, 4, 8, 16, 24 and 32 bits; Pillow must open each
   file and see the pattern's colours.
2. Pillow writes pictures (1 bit, palette, grayscale, RGB, RGBA); the tool must load each
   one with Pillow's pixels.
Exits with 1 and a list of mismatches when anything differs.
"""

import os
import struct
import subprocess
import sys
import tempfile

from PIL import Image

WIDTH, HEIGHT = 13, 7  # the tool's pattern size
failures = []


def fail(message):
    failures.append(message)


def palette_colour(index, count):
    """Palette entry of the tool's pattern, as (red, green, blue)."""
    v = (index * (255 // (count - 1))) & 0xFF
    return (v ^ 0x55, 255 - v, v)


def pattern(depth, x, y):
    """The pixel that the tool writes at (x, y), as (red, green, blue, alpha)."""
    if depth in (1, 4, 8):
        count = 1 << depth
        return palette_colour((x * 3 + y * 5) % count, count) + (0,)
    blue = (x * 37 + y * 11) & 0xFF
    green = (x * 5 + y * 29) & 0xFF
    red = ((x * 13) ^ (y * 7)) & 0xFF
    return (red, green, blue, (x + 3 * y) & 0xFF)


def header(path):
    """bfOffBits, biBitCount and biCompression of a BMP file."""
    with open(path, "rb") as f:
        data = f.read(54)
    (off_bits,) = struct.unpack_from("<I", data, 10)
    bits, compression = struct.unpack_from("<HI", data, 28)
    return off_bits, bits, compression


def check_written_by_tool(tool, folder):
    for depth in (1, 4, 8, 16, 24, 32):
        path = os.path.join(folder, f"tool{depth}.bmp")
        subprocess.run([tool, "write", str(depth), path], check=True)
        _, bits, _ = header(path)
        if bits != depth:
            fail(f"tool {depth} bits: the file says {bits} bits")
        with Image.open(path) as opened:
            opened.load()
            if opened.size != (WIDTH, HEIGHT):
                fail(f"tool {depth} bits: Pillow sees size {opened.size}")
                continue
            rgb = opened.convert("RGB")
        for y in range(HEIGHT):
            for x in range(WIDTH):
                want = pattern(depth, x, y)[:3]
                got = rgb.getpixel((x, y))
                if depth == 16:
                    # Pillow widens 5- and 6-bit channels its own way; the stored bits
                    # are the top 5 of red and blue and the top 6 of green.
                    same = (got[0] >> 3, got[1] >> 2, got[2] >> 3) == (
                        want[0] >> 3,
                        want[1] >> 2,
                        want[2] >> 3,
                    )
                else:
                    same = got == want
                if not same:
                    fail(f"tool {depth} bits, pixel ({x}, {y}): Pillow {got}, expected {want}")


def dump(tool, path):
    """The tool's reading of a file: (width, height, depth, [(r, g, b, a) by rows])."""
    result = subprocess.run([tool, "dump", path], check=True, capture_output=True, text=True)
    lines = result.stdout.split("\n")
    width, height, depth = (int(v) for v in lines[0].split())
    pixels = []
    for line in lines[1 : 1 + width * height]:
        blue, green, red, alpha = (int(v) for v in line.split())
        pixels.append((red, green, blue, alpha))
    return width, height, depth, pixels


def pillow_pictures():
    """(name, Pillow image, expected depth or None when Pillow picks it) to save."""
    size = (WIDTH + 4, HEIGHT + 2)  # another odd size than the tool's
    coords = [(x, y) for y in range(size[1]) for x in range(size[0])]

    one = Image.new("1", size)
    one.putdata([255 if (x + 2 * y) % 3 == 0 else 0 for x, y in coords])

    sixteen = Image.new("P", size)
    sixteen.putpalette([c for i in range(16) for c in (i * 16, 255 - i * 9, (i * 77) & 0xFF)])
    sixteen.putdata([(x * 5 + y) % 16 for x, y in coords])

    gray = Image.new("L", size)
    gray.putdata([(x * 17 + y * 31) & 0xFF for x, y in coords])

    full = Image.new("P", size)
    full.putpalette([c for i in range(256) for c in (i, (i * 7) & 0xFF, 255 - i)])
    full.putdata([(x * 19 + y * 3) & 0xFF for x, y in coords])

    rgb = Image.new("RGB", size)
    rgb.putdata([((x * 37) & 0xFF, (y * 53) & 0xFF, (x * y) & 0xFF) for x, y in coords])

    rgba = Image.new("RGBA", size)
    rgba.putdata(
        [((x * 11) & 0xFF, (y * 23) & 0xFF, (x + y) & 0xFF, (x * 7 + y * 13) & 0xFF) for x, y in coords]
    )
    return [
        ("1 bit", one, 1),
        # Pillow writes 4 bits where it can; older versions write 8 bits with 16 entries.
        ("16-colour palette", sixteen, None),
        ("grayscale", gray, 8),
        ("256-colour palette", full, 8),
        ("RGB", rgb, 24),
        ("RGBA", rgba, 32),
    ]


def check_written_by_pillow(tool, folder):
    for number, (name, picture, depth) in enumerate(pillow_pictures()):
        path = os.path.join(folder, f"pillow{number}.bmp")
        picture.save(path, "BMP")
        _, bits, _ = header(path)
        if depth is not None and bits != depth:
            fail(f"Pillow {name}: expected a {depth}-bit file, Pillow wrote {bits} bits")
        if name == "16-colour palette":
            print(f"Pillow wrote its 16-colour palette picture at {bits} bits")
        width, height, loaded_depth, pixels = dump(tool, path)
        if (width, height, loaded_depth) != (picture.width, picture.height, bits):
            fail(f"Pillow {name}: loaded {width} x {height} at {loaded_depth} bits")
            continue
        has_alpha = picture.mode == "RGBA"
        expected = picture.convert("RGBA" if has_alpha else "RGB")
        for y in range(height):
            for x in range(width):
                got = pixels[y * width + x]
                want = expected.getpixel((x, y))
                if not has_alpha:
                    got = got[:3]
                if got != want:
                    fail(f"Pillow {name}, pixel ({x}, {y}): loaded {got}, Pillow {want}")


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    tool = sys.argv[1]
    with tempfile.TemporaryDirectory(prefix="vantrel-interop-") as folder:
        check_written_by_tool(tool, folder)
        check_written_by_pillow(tool, folder)
    for message in failures[:50]:
        print(message)
    if failures:
        print(f"{len(failures)} mismatches")
        return 1
    print("Pillow agrees in both directions")
    return 0


if __name__ == "__main__":
    sys.exit(main())
