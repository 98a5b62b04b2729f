"""The pixels that the corner job paints, as horizontal runs, for the peers and the check.

The four passes of MaskCorners are replayed here with the same clamping, so that every
tool paints exactly the pixels bmpcorners paints, whatever the picture's size.
"""

CORNER_SIZE = 40


def painted_pixels(width, height):
    """The set of (x, y) that MaskCorners turns black on a width x height picture."""
    def clamp(value, extent):
        return min(max(value, 0), extent - 1)

    w, h, c = width, height, CORNER_SIZE
    painted = set()

    def paint(x, y):
        painted.add((clamp(x, w), clamp(y, h)))

    for x in range(0, w + 1):  # top-left
        for y in range(0, c - x + 1):
            paint(x, y)
    for y in range(h, h - c - 1, -1):  # bottom-left
        for x in range(0, c - (h - y) + 1):
            paint(x, y)
    for y in range(0, h + 1):  # top-right
        for x in range(w - (c - y), w + 1):
            paint(x, y)
    for y in range(h, h - c - 1, -1):  # bottom-right
        for x in range(w - (c - (h - y)), w + 1):
            paint(x, y)
    return painted


def painted_runs(width, height):
    """The painted pixels as (y, first x, last x) runs, row by row."""
    by_row = {}
    for x, y in painted_pixels(width, height):
        by_row.setdefault(y, []).append(x)
    runs = []
    for y in sorted(by_row):
        xs = sorted(by_row[y])
        start = previous = xs[0]
        for x in xs[1:]:
            if x != previous + 1:
                runs.append((y, start, previous))
                start = x
            previous = x
        runs.append((y, start, previous))
    return runs


def bmp_size(path):
    """Width and height from a BMP file's info header (bottom-up files only)."""
    with open(path, "rb") as f:
        header = f.read(26)
    width = int.from_bytes(header[18:22], "little", signed=True)
    height = int.from_bytes(header[22:26], "little", signed=True)
    return width, height
