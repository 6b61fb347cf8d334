#!/usr/bin/env python3
"""Writes the fuzz targets' seed corpus into fuzz/corpus/<target>/: a few of
the committed pictures and the waves cut short, crafted edge files, console
lines and sprite names. Deterministic; run it again after changing it."""

import os
import shutil
import struct
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
CORPUS = os.path.join(ROOT, "fuzz", "corpus")
SIGNATURE = b"\x89PNG\r\n\x1a\n"


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def ihdr(width, height, depth=8, colour=6, interlace=0):
    return chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour, 0, 0, interlace))


def png(width, height, depth=8, colour=6, interlace=0, extra=b"", rows=None):
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[colour]
    row_bytes = (width * channels * depth + 7) // 8
    if rows is None:
        # Not interlaced, or small enough that every pass shares this size.
        rows = b"".join(b"\x00" + bytes((x * 37 + y * 11) & 0xFF for x in range(row_bytes))
                        for y in range(height))
    return (SIGNATURE + ihdr(width, height, depth, colour, interlace) + extra +
            chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))


def adam7_rows(width, height, bytes_per_pixel):
    out = b""
    for x0, y0, dx, dy in ((0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4),
                           (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)):
        columns = len(range(x0, width, dx))
        if columns == 0:
            continue
        for _ in range(y0, height, dy):
            out += b"\x01" + bytes(range(columns * bytes_per_pixel))
    return out


def bmp(width, height, top_down=False, core=False):
    stride = (width * 3 + 3) // 4 * 4
    pixels = b"".join(bytes((x + y) & 0xFF for x in range(width * 3)) + b"\0" * (stride - width * 3)
                      for y in range(height))
    if core:
        dib = struct.pack("<IHHHH", 12, width, height, 1, 24)
    else:
        dib = struct.pack("<IiiHHIIiiII", 40, width, -height if top_down else height, 1, 24, 0,
                          len(pixels), 2835, 2835, 0, 0)
    offset = 14 + len(dib)
    return b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + dib + pixels


def huge_chunk(kind, length):
    """A valid header, then a chunk declaring `length` bytes of which four come."""
    return SIGNATURE + ihdr(1, 1) + struct.pack(">I", length) + kind + b"abc\0"


def image_seeds():
    seeds = {}
    for name in ("console_top.png", "pointer.png", "paddle.png", "pongball-2-2-1.png",
                 "pong_background.png", "png24.png", "bitmap24.bmp"):
        with open(os.path.join(ROOT, "images", name), "rb") as f:
            seeds["asset_" + name] = f.read()
    seeds["grey1.png"] = png(9, 3, 1, 0)
    seeds["grey2.png"] = png(5, 2, 2, 0)
    seeds["grey16_trns.png"] = png(3, 2, 16, 0, extra=chunk(b"tRNS", b"\x00\x09"))
    seeds["grey_alpha.png"] = png(4, 4, 8, 4)
    seeds["rgb16.png"] = png(2, 3, 16, 2)
    seeds["palette4_trns.png"] = png(7, 2, 4, 3, extra=chunk(b"PLTE", bytes(range(48))) +
                                     chunk(b"tRNS", b"\x80\x00\x40"))
    seeds["interlaced.png"] = png(9, 9, 8, 6, 1, rows=adam7_rows(9, 9, 4))
    seeds["ancillary.png"] = png(2, 2, extra=chunk(b"tEXt", b"Title\0t") +
                                 chunk(b"zTXt", b"k\0\0" + zlib.compress(b"text")) +
                                 chunk(b"iTXt", b"k\0\0\0en\0\0v") + chunk(b"gAMA", b"\0\0\xb1\x8f") +
                                 chunk(b"sPLT", b"p\0\x08\1\2\3\4\0\5") +
                                 chunk(b"eXIf", b"MM\0*") + chunk(b"quUX", b"unknown"))
    seeds["bmp_top_down.bmp"] = bmp(5, 3, top_down=True)
    seeds["bmp_core.bmp"] = bmp(3, 2, core=True)
    whole = png(4, 3)
    seeds["truncated_in_idat.png"] = whole[:len(whole) - 20]
    seeds["truncated_header.png"] = whole[:20]
    seeds["truncated.bmp"] = bmp(4, 4)[:60]
    seeds["zero_size"] = b""
    seeds["huge_declared_size.png"] = SIGNATURE + ihdr(100000, 100000) + chunk(b"IEND", b"")
    seeds["huge_declared_size.bmp"] = bmp(1, 1)[:18] + struct.pack("<ii", 0x7FFFFFFF, -0x7FFFFFFF)
    seeds["huge_idat.png"] = SIGNATURE + ihdr(1, 1) + struct.pack(">I", 0x7FFFFFFF) + b"IDAT"
    for kind in (b"tEXt", b"zTXt", b"iTXt", b"sPLT", b"eXIf"):
        name = kind.decode().lower()
        seeds["huge_%s_200MiB.png" % name] = huge_chunk(kind, 200 << 20)
        seeds["huge_%s_2GiB.png" % name] = huge_chunk(kind, 0x7FFFFFFF)
    return seeds


def wave(channels, rate, bits, data, before=b"", declared=None, tag=1):
    block = channels * bits // 8
    fmt = struct.pack("<HHIIHH", tag, channels, rate, rate * block, block, bits)
    length = len(data) if declared is None else declared
    body = (b"WAVE" + before + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" +
            struct.pack("<I", length) + data + (b"\0" if len(data) & 1 else b""))
    return b"RIFF" + struct.pack("<I", len(body)) + body


def wave_seeds():
    seeds = {}
    for name in ("bonus", "crowd", "ghost", "pongbounce"):
        with open(os.path.join(ROOT, "wavs", name + ".wav"), "rb") as f:
            # The header and a little sound; the data chunk still declares it all.
            seeds["asset_%s_cut.wav" % name] = f.read(44 + 2048)
    samples = bytes((i * 7) & 0xFF for i in range(600))
    seeds["mono8_11025.wav"] = wave(1, 11025, 8, samples)
    seeds["stereo24_48000.wav"] = wave(2, 48000, 24, samples)
    seeds["mono32_22050.wav"] = wave(1, 22050, 32, samples)
    seeds["stereo16_1000.wav"] = wave(2, 1000, 16, samples[:64])
    seeds["list_before_fmt.wav"] = wave(1, 44100, 16, samples, before=chunk_le(b"LIST", b"INFOx"))
    seeds["odd_data.wav"] = wave(1, 8000, 8, samples[:101])
    seeds["not_pcm.wav"] = wave(1, 44100, 16, samples, tag=3)
    seeds["data_declares_4GiB.wav"] = wave(2, 44100, 16, samples, declared=0xFFFFFFFF)
    seeds["truncated_header.wav"] = wave(1, 44100, 16, samples)[:30]
    seeds["zero_size"] = b""
    seeds["fmt_declares_4GiB.wav"] = b"RIFF\xff\xff\xff\xffWAVEfmt \xff\xff\xff\xff" + b"\1\0" * 8
    return seeds


def chunk_le(kind, data):
    return kind + struct.pack("<I", len(data)) + data + (b"\0" if len(data) & 1 else b"")


def console_seeds():
    lines = {
        "quit": b"quit\r", "exit": b"exit\r", "say": b"say hello there\r",
        "newfps": b"newfps 30\r", "newfps_negative": b"newfps -2147483649\r",
        "clear": b"say a\rsay b\rclear\r", "toggles": b"mouse\rfps\rpause\rtest\rfps\r",
        "net": b"startnet\rhost\rjoin\rjoin somewhere\r", "blank": b"   \r\r",
        "leading_blank": b" say x\r", "unknown": b"frobnicate now\r",
        "utf8": "say \u00e9t\u00e9 \u20ac \U0001F600\r".encode(),
        "invalid_utf8": b"say \xc0\xaf \xed\xa0\x80 \xf4\x90\x80\x80 \xe2\x82\r",
        "editing": b"sax\x08y hi\x1bsay again\x08\x08\x08\xe2\x82\xac\x08\r",
        "tab_closes": b"say\tignored\tsay back\r",
        "over_cap": b"say " + b"a" * 1100 + b"\r",
        "wide_at_cap": b"say " + "\u20ac".encode() * 340 + b"\r",
        "many_lines": b"say x\r" * 60,
    }
    return {name + ".txt": data for name, data in lines.items()}


def sprite_seeds():
    # Width byte, height byte, flags (bit 0: the file is the input itself,
    # not a picture; bit 1: a second sprite shares it), then the name.
    seeds = {}
    for name in sorted(os.listdir(os.path.join(ROOT, "images"))):
        if "-" in name or name in ("pointer.png", "console_top.png"):
            seeds["asset_" + name] = bytes((63, 47, 2)) + name.encode()
    crafted = {
        "zero_grid": (8, 8, 0, "a-0-0-0.png"),
        "grid_too_small": (8, 8, 0, "x-5-2-2.png"),
        "wide_grid": (63, 63, 2, "wide-9-65536-65536.png"),
        "largest_numbers": (3, 3, 0, "big-2147483647-2147483647-2147483647.png"),
        "beyond_int": (3, 3, 2, "x-99999999999999999999-1-1.png"),
        "negative": (9, 9, 0, "neg--1-2-3.png"),
        "leading_dash": (9, 9, 0, "-1-1-1"),
        "blank_numbers": (12, 4, 0, "b- 4- 4- 1.png"),
        "no_picture": (8, 8, 3, "button-3-1-3.png"),
        "one_pixel": (0, 0, 2, "dot-4-2-2.png"),
        "dots": (5, 5, 0, ".."),
    }
    for name, (width, height, flags, file_name) in crafted.items():
        seeds[name] = bytes((width, height, flags)) + file_name.encode()
    return seeds


SETTINGS_DEFAULTS = (
    "key.left left\npad.left dpadleft\nkey.right right\npad.right dpadright\n"
    "key.rotate_ccw z\npad.rotate_ccw b\nkey.rotate_cw x\npad.rotate_cw a\n"
    "key.drop down\npad.drop dpaddown\nkey.start space\npad.start start\n"
    "key.pause p\npad.pause y\nkey.menu escape\npad.menu back\n"
    "music_volume 10\neffects_volume 10\nfullscreen off\ndrop_preview off\n")


def store_file(kind, body, version=1, end="end\n"):
    return ("tubrix-%s %d\n" % (kind, version) + body + end).encode()


def settings_seeds():
    chosen = SETTINGS_DEFAULTS.replace("x\n", "numpad9\n").replace("music_volume 10", "music_volume 3")
    seeds = {
        "defaults.txt": store_file("settings", SETTINGS_DEFAULTS),
        "chosen.txt": store_file("settings", chosen + "fullscreen on\nlast_name Ada  L\u00f6we\n"),
        "unknown_keys.txt": store_file("settings", "future.option 1 2 3\n" + SETTINGS_DEFAULTS +
                                       "another_thing \tx\n"),
        "bad_lines.txt": store_file("settings", "music_volume 11\nNo Key\nkey.drop nosuch\n"
                                    "effects_volume 04\nfullscreen yes\nlast_name\nend 5\n"
                                    "pad.menu guide\npad.menu start\n"),
        "crlf.txt": store_file("settings", SETTINGS_DEFAULTS).replace(b"\n", b"\r\n"),
        "newer.txt": store_file("settings", "music_volume 2\nnew_idea on\n", version=2),
        "no_end.txt": store_file("settings", SETTINGS_DEFAULTS, end=""),
        "cut_in_line.txt": store_file("settings", SETTINGS_DEFAULTS)[:57],
        "binary.txt": b"tubrix-settings 1\n\0\1\2\xff\nend\n",
        "wrong_kind.txt": store_file("scores", SETTINGS_DEFAULTS),
        "version_zero.txt": store_file("settings", "", version=0),
        "zero_size": b"",
        "many_bad_lines.txt": store_file("settings", "?\n" * 40),
        "unknown_beyond_room.txt": store_file(
            "settings", "".join("pad%04d %s\n" % (i, "v" * 60) for i in range(300))),
        # Unknown entries up to the size limit: what is written back must
        # still be readable.
        "unknown_to_the_limit.txt": store_file(
            "settings", "".join("k%05d %s\n" % (i, "u" * 90) for i in range(666))),
        "long_name.txt": store_file("settings", "last_name " + "\u00e9" * 40 + "\n"),
    }
    return seeds


def scores_seeds():
    ten = "".join("place.%d %d %d %d %d 2024-0%d-1%d Player %d\n" %
                  (p, 1000 - p * 50, p % 10, p * 3, p * 11, p % 9 + 1, p % 10, p)
                  for p in range(1, 11))
    return {
        "ten.txt": store_file("scores", ten),
        "one.txt": store_file("scores", "place.1 420 5 12 40 2024-06-30 Grace Hopper\n"),
        "out_of_order.txt": store_file("scores", "place.1 5 0 0 0 2024-01-01 low\n"
                                       "place.3 50 0 0 0 2024-01-01 high\n"
                                       "place.2 50 0 0 0 2024-01-02 tie\n"),
        "bad_entries.txt": store_file("scores", "place.1 -5 0 0 0 2024-01-01 neg\n"
                                      "place.2 5 0 0 0 2024-13-01 month\n"
                                      "place.3 99999999999 0 0 0 2024-01-01 big\n"
                                      "place.4 5 0 0 0 2024-01-01\n"
                                      "place.5 5 0 0 0 2024-01-01  \t \n"
                                      "place.6 007 0 0 0 2024-01-01 zero\n"
                                      "place.7 7 1 2 3 2024-01-01 \u20ac name with spaces and more\n"),
        "unknown_places.txt": store_file("scores", ten + "place.11 1 1 1 1 2024-01-01 x\n"
                                         "place.0 1 1 1 1 2024-01-01 y\nbest_ever 12\n"),
        "newer.txt": store_file("scores", ten, version=3),
        "no_end.txt": store_file("scores", ten, end=""),
        "cut_in_line.txt": store_file("scores", ten)[:100],
        "zero_size": b"",
        "settings_file.txt": store_file("settings", SETTINGS_DEFAULTS),
        "with_replays.txt": store_file("scores", ten + "replay.1 20261208-101500-game-0000abcd.tbreplay\n"
                                       "replay.2 ../../etc/passwd\nreplay.12 x.tbreplay\n"),
    }


def replay_file(body, rules=1, version=1, end="end\n"):
    return ("tubrix-replay %d\nrules %d\n%s%s" % (version, rules, body, end)).encode()


def replayfile_seeds():
    def read(name):
        with open(os.path.join(ROOT, "tests", "corpus", name), "rb") as f:
            return f.read()
    game = ("mode game\nlevel 3\nseed 7\ndate 2026-12-08 10:00:00\nframes 40\n"
            "time 1*0 30*16 2*h 1@3c888889 6*17\nname.0 Ada\nscore.0 0\nhash.0 0\n"
            "commands.0 1S4.2L1RD3.29.\n")
    match = ("mode computer\nstrength HARD\nlevel 2\nseed 9\ndate 2026-12-08 10:00:00\n"
             "winner opponent\nframes 20\ntime 20*16\nname.0 Ada\nscore.0 0\nhash.0 1f\n"
             "commands.0 20.\nname.1 HARD\nscore.1 0\nhash.1 0\ncommands.1 5.1L14.\n")
    two = ("mode two\nlevel 2\nseed 9\ndate 2026-12-08 10:00:00\nwinner draw\nframes 20\n"
           "time 20*16\nname.0 Ada\nscore.0 0\nhash.0 1f\ncommands.0 2.1RC17.\nname.1 Bo\n"
           "score.1 0\nhash.1 0\ncommands.1 5.1L14.\n")
    network = ("mode network\nrole joiner\nlevel 2\nseed 9\ndate 2026-12-08 10:00:00\n"
               "winner player\nframes 30\ntime 30*16\nname.0 Ada\nscore.0 0\nhash.0 1f\n"
               "commands.0 3.1L26.\nname.1 Bo\nscore.1 40\nhash.1 0\nnews.1 5a2 10l1200 2d\n"
               "seen.1 1/250/0/0/276aaccdd 4/250/40/2/276a 3/-10/0/0/\n")
    return {
        "short_two.tbreplay": replay_file(two, version=2),
        "short_network.tbreplay": replay_file(network, version=2),
        "corpus_game.tbreplay": read("game-001.tbreplay"),
        "corpus_match.tbreplay": read("match-012.tbreplay"),
        "short_game.tbreplay": replay_file(game),
        "short_match.tbreplay": replay_file(match),
        "other_rules.tbreplay": replay_file(game, rules=2),
        "newer_format.tbreplay": replay_file(game, version=3),
        "no_end.tbreplay": replay_file(game, end=""),
        "cut_in_line.tbreplay": replay_file(game)[:120],
        "run_bomb.tbreplay": replay_file(game.replace("29.", "4294967295.")),
        "nan_time.tbreplay": replay_file(game.replace("1@3c888889", "1@7fc00000")),
        "zero_size": b"",
    }


def main():
    for target, seeds in (("image", image_seeds()), ("wave", wave_seeds()),
                          ("console", console_seeds()), ("sprite", sprite_seeds()),
                          ("settings", settings_seeds()), ("scores", scores_seeds()),
                          ("replayfile", replayfile_seeds())):
        directory = os.path.join(CORPUS, target)
        shutil.rmtree(directory, ignore_errors=True)
        os.makedirs(directory)
        for name, data in seeds.items():
            with open(os.path.join(directory, name), "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
