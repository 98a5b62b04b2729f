"""The corner job done with the tools people use instead: `peers.py pillow|opencv IN OUT`.

Each loads the picture, paints the same pixels black that bmpcorners paints (see
corner_runs.py) with the library's own operations, and saves a BMP file in the nearest
form the library writes. Run with Debian's /usr/bin/python3 (python3-pil, python3-opencv).
"""

import sys

from corner_runs import bmp_size, painted_runs


def pillow(source, target):
    from PIL import Image

    image = Image.open(source)
    image.load()
    if image.mode == "P":
        # The palette entry nearest to black, lowest index first, as a palette writer would.
        palette = image.getpalette()
        entries = [palette[i:i + 3] for i in range(0, len(palette), 3)]
        black = min(range(len(entries)), key=lambda i: (sum(c * c for c in entries[i]), i))
    elif image.mode in ("1", "L", "I;16"):
        black = 0
    else:
        black = (0,) * len(image.getbands())
    for y, first, last in painted_runs(image.width, image.height):
        image.paste(black, (first, y, last + 1, y + 1))
    image.save(target, "BMP")


def opencv(source, target):
    import cv2

    image = cv2.imread(source, cv2.IMREAD_UNCHANGED)
    height, width = image.shape[:2]
    for y, first, last in painted_runs(width, height):
        if image.ndim == 2:
            image[y, first:last + 1] = 0
        else:
            image[y, first:last + 1, :3] = 0  # alpha, when there is one, stays
    if not cv2.imwrite(target, image):
        raise SystemExit("opencv: cannot write " + target)


def imagemagick_draw(source):
    """The -draw argument that paints the runs with ImageMagick (no antialiasing)."""
    width, height = bmp_size(source)
    return " ".join(
        "rectangle %d,%d %d,%d" % (first, y, last, y) for y, first, last in painted_runs(width, height)
    )


if __name__ == "__main__":
    if len(sys.argv) != 4 or sys.argv[1] not in ("pillow", "opencv"):
        raise SystemExit("usage: peers.py pillow|opencv IN OUT")
    {"pillow": pillow, "opencv": opencv}[sys.argv[1]](sys.argv[2], sys.argv[3])
