#!/usr/bin/env python3
"""Reads window captures made by xwd and counts pixels in a rectangle.

  window_pixels.py new-dark BEFORE AFTER X0 Y0 X1 Y1
      pixels near black in AFTER that were not near black in BEFORE
  window_pixels.py new-bright BEFORE AFTER X0 Y0 X1 Y1
      the same for near white
  window_pixels.py dark FILE X0 Y0 X1 Y1
      pixels near black in FILE
  window_pixels.py changed BEFORE AFTER X0 Y0 X1 Y1
      pixels whose colour differs by more than 24 in some channel
  window_pixels.py colour-x FILE X0 Y0 X1 Y1
      the mean x of clearly coloured, bright pixels (-1 when there are none)
  window_pixels.py coloured FILE X0 Y0 X1 Y1
      pixels that are clearly coloured and bright
  window_pixels.py light FILE X0 Y0 X1 Y1
      pixels whose every channel is above 140
  window_pixels.py red FILE X0 Y0 X1 Y1
      pixels that are clearly red
  window_pixels.py size FILE
      the capture's width and height
  window_pixels.py differing BEFORE AFTER X0 Y0 X1 Y1
      pixels that differ at all (0 when the rectangle is the same)

The rectangle is X0 <= x < X1, Y0 <= y < Y1, in window pixels.
"""
import array
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
    # The pixels as one array of 32-bit words, read once: far quicker than
    # unpacking each pixel on its own.
    words = array.array("I")
    words.frombytes(data[offset:offset + height * bytes_per_line])
    if (byte_order == 0) != (sys.byteorder == "little"):
        words.byteswap()
    stride = bytes_per_line // 4

    def shift(mask):
        s = 0
        while mask and not (mask >> s) & 1:
            s += 1
        return s

    shifts = [shift(m) for m in (red_mask, green_mask, blue_mask)]
    masks = (red_mask, green_mask, blue_mask)

    (rm, gm, bm), (rs, gs, bs) = masks, shifts

    def pixel(x, y):
        value = words[y * stride + x]
        return ((value & rm) >> rs, (value & gm) >> gs, (value & bm) >> bs)

    return width, height, pixel


def read_rows(path, x0, y0, x1, y1):
    """The raw bytes of each row of the rectangle, for a quick comparison."""
    with open(path, "rb") as f:
        data = f.read()
    header = struct.unpack(">25I", data[:100])
    header_size, bytes_per_line, ncolors = header[0], header[12], header[19]
    offset = header_size + 12 * ncolors
    return [data[offset + y * bytes_per_line + 4 * x0:offset + y * bytes_per_line + 4 * x1]
            for y in range(y0, y1)]


def count_differing(before, after, x0, y0, x1, y1):
    count = 0
    for a, b in zip(read_rows(before, x0, y0, x1, y1), read_rows(after, x0, y0, x1, y1)):
        if a != b:
            # Only rows that differ are looked at pixel by pixel.
            count += sum(1 for i in range(0, len(a), 4) if a[i:i + 4] != b[i:i + 4])
    return count


def near_black(rgb):
    return max(rgb) < 60


def near_white(rgb):
    return min(rgb) > 200


def clearly_red(rgb):
    r, g, b = rgb
    return r > 150 and g < 90 and b < 90


def clearly_coloured(rgb):
    return max(rgb) > 120 and max(rgb) - min(rgb) > 60


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
    elif command == "changed":
        _, _, before = read_xwd(argv[2])
        _, _, after = read_xwd(argv[3])
        print(sum(1 for x, y in rect(argv[4:8])
                  if max(abs(a - b) for a, b in zip(before(x, y), after(x, y))) > 24))
    elif command == "differing":
        print(count_differing(argv[2], argv[3], *(int(a) for a in argv[4:8])))
    elif command == "colour-x":
        _, _, image = read_xwd(argv[2])
        xs = [x for x, y in rect(argv[3:7]) if clearly_coloured(image(x, y))]
        print(sum(xs) // len(xs) if xs else -1)
    elif command == "coloured":
        _, _, image = read_xwd(argv[2])
        print(sum(1 for x, y in rect(argv[3:7]) if clearly_coloured(image(x, y))))
    elif command == "light":
        _, _, image = read_xwd(argv[2])
        print(sum(1 for x, y in rect(argv[3:7]) if min(image(x, y)) > 140))
    elif command == "dark":
        _, _, image = read_xwd(argv[2])
        print(sum(1 for x, y in rect(argv[3:7]) if near_black(image(x, y))))
    elif command == "red":
        _, _, image = read_xwd(argv[2])
        print(sum(1 for x, y in rect(argv[3:7]) if clearly_red(image(x, y))))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
