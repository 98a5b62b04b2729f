#!/usr/bin/python3
"""Prepares the folder in which the Windows host program runs under Wine: 640 x 480
input pictures of several depths, made with Pillow, and for each the output of the
Linux build of the module, which the Windows DLL must reproduce byte for byte.

usage: make_references.py LINUX_MODULE FOLDER
  LINUX_MODULE  the Linux build's shared library (exports BMPCorners with UTF-16 paths)
  FOLDER        emptied, then filled with inputN.bmp and referenceN.bmp
"""

import _ctypes
import ctypes
import os
import shutil
import sys

from PIL import Image

WIDTH, HEIGHT = 640, 480
LOADED = 999


def gradient(x, y):
    return ((x * 255) // (WIDTH - 1), (y * 255) // (HEIGHT - 1), (x * 7 + y * 3) % 256)


def make_inputs():
    """Pictures by mode, named after the bit depth Pillow stores them with."""
    rgb = Image.new("RGB", (WIDTH, HEIGHT))
    rgb.putdata([gradient(x, y) for y in range(HEIGHT) for x in range(WIDTH)])
    rgba = rgb.copy()
    rgba.putalpha(Image.new("L", (WIDTH, HEIGHT), 200))
    rgba.putpixel((0, 0), (10, 20, 30, 7))
    return {
        "24": rgb,
        "32": rgba,
        "8": rgb.quantize(colors=200),
        "1": rgb.convert("L").point(lambda v: 255 if v > 100 else 0).convert("1"),
    }


def utf16(path):
    return path.encode("utf-16-le") + b"\0\0"


def main(argv):
    if len(argv) != 3:
        print(__doc__)
        return 2
    module_path, folder = argv[1:]
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)

    module = ctypes.CDLL(os.path.abspath(module_path))
    corners = module.BMPCorners
    corners.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
    corners.restype = ctypes.c_int32

    for depth, picture in make_inputs().items():
        source = os.path.join(folder, f"input{depth}.bmp")
        reference = os.path.join(folder, f"reference{depth}.bmp")
        picture.save(source, format="BMP")
        result = corners(utf16(source), utf16(reference))
        if result != LOADED or not os.path.exists(reference):
            print(f"the Linux module gave {result} for {source}")
            return 1
        print(f"{source} -> {reference}")
    # A host unloads what it loaded; the module's detach runs here, not at exit.
    _ctypes.dlclose(module._handle)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
