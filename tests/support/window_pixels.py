#!/usr/bin/env python3
"""Reads window captures made by xwd and counts pixels in a rectangle.

  window_pixels.py new-dark BEFORE AFTER X0 Y0 X1 Y1
      pixels near black in AFTER that were not near black in BEFORE
  window_pixels.py new-bright BEFORE AFTER X0 Y0 X1 Y1
      the same for near white
  window_pixels.py red FILE X0 Y0 X1 Y1
      pixels that are clearly red
  window_pixels.py size FILE
      the capture's width and height

The rectangle is X0 <= x < X1, Y0 <= y < Y1, in window pixels.
"""
import struct
import sys


def read_xwd(path):
    with open(path, "rb") as f:
        data = f.read()
    header = struct.unpack(">25I", data[:100])
    header_size, _version, _format, _depth, width, height = header[:6]
    byte_order = header[7]
    bits_per_pixel = header[11]
    bytes_per_line = header[12]
    red_mask, green_mask, blue_mask = header[14:17]
    ncolors = header[19]
    if bits_per_pixel != 32:
        sys.exit("only 32-bit captures are read, not %d-bit" % bits_per_pixel)
    offset = header_size + 12 * ncolors
    fmt = "<I" if byte_order == 0 else ">I"

    def shift(mask):
        s = 0
        while mask and not (mask >> s) & 1:
            s += 1
        return s

    shifts = [shift(m) for m in (red_mask, green_mask, blue_mask)]
    masks = (red_mask, green_mask, blue_mask)

    def pixel(x, y):
        (value,) = struct.unpack_from(fmt, data, offset + y * bytes_per_line + 4 * x)
        return tuple((value & m) >> s for m, s in zip(masks, shifts))

    return width, height, pixel


def near_black(rgb):
    return max(rgb) < 60


def near_white(rgb):
    return min(rgb) > 200


def clearly_red(rgb):
    r, g, b = rgb
    return r > 150 and g < 90 and b < 90


def rect(args):
    x0, y0, x1, y1 = (int(a) for a in args)
    return [(x, y) for y in range(y0, y1) for x in range(x0, x1)]


def main(argv):
    command = argv[1]
    if command == "size":
        width, height, _ = read_xwd(argv[2])
        print(width, height)
    elif command in ("new-dark", "new-bright"):
        test = near_black if command == "new-dark" else near_white
        _, _, before = read_xwd(argv[2])
        _, _, after = read_xwd(argv[3])
        print(sum(1 for x, y in rect(argv[4:8]) if test(after(x, y)) and not test(before(x, y))))
    elif command == "red":
        _, _, image = read_xwd(argv[2])
        print(sum(1 for x, y in rect(argv[3:7]) if clearly_red(image(x, y))))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
