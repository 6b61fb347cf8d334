#!/usr/bin/python3
"""Draw every picture and synthesise every sound and the music of Tubrix.

Usage: make_assets.py [outdir]      (default: the repository root)

Writes outdir/images, outdir/wavs, outdir/mp3s and contact sheets in
outdir/docs.  Everything is made from code with fixed random seeds, so two
runs give byte-identical files (for the same Pillow, zlib, FreeType and lame).
Needs Debian's python3-pil, the DejaVu (or Liberation) fonts and lame.
"""

import math
import os
import random
import shutil
import struct
import subprocess
import sys
import tempfile
from array import array

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

SS = 4                      # supersampling factor: draw at 4x, downsample
RATE = 44100
MUSIC_NAME = "night_pipes.mp3"
MENU_MUSIC_NAME = "menu.mp3"
PLAY_MUSIC_NAME = "play.mp3"

# ---------------------------------------------------------------- fonts

def _first_font(*names):
    for n in names:
        for d in ("/usr/share/fonts/truetype/dejavu", "/usr/share/fonts/truetype/liberation",
                  "/usr/share/fonts/truetype/liberation2"):
            p = os.path.join(d, n)
            if os.path.exists(p):
                return p
    sys.exit("make_assets: none of the fonts %s is installed (apt-get install fonts-dejavu-core)" % (names,))


BOLD = _first_font("DejaVuSans-Bold.ttf", "LiberationSans-Bold.ttf")
BOLD_COND = _first_font("DejaVuSansCondensed-Bold.ttf", "DejaVuSans-Bold.ttf", "LiberationSans-Bold.ttf")
# Only for the contact sheets: stands in for the run-time HUD and list fonts.
SHEET_FONT = _first_font("LiberationSans-Regular.ttf", "DejaVuSans.ttf")
SHEET_FONT_BOLD = _first_font("LiberationSans-Bold.ttf", "DejaVuSans-Bold.ttf")

_font_cache = {}


def font(size, path=BOLD):
    key = (path, int(round(size)))
    if key not in _font_cache:
        _font_cache[key] = ImageFont.truetype(path, max(1, key[1]))
    return _font_cache[key]

# ---------------------------------------------------------------- palette

TEXT = (234, 240, 247)
TEXT_DIM = (150, 178, 198)
LABEL = (120, 214, 232)           # teal labels on dark
CYAN = (70, 226, 255)
WATER_CORE = (236, 253, 255)
AMBER = (255, 176, 60)
DANGER = (236, 80, 70)
NAVY_0 = (5, 11, 22)
NAVY_1 = (10, 24, 42)
NAVY_2 = (14, 38, 56)
TEAL_1 = (18, 62, 74)
WELL = (8, 16, 28)

# J, L, Z, S, T, I, O
SHAPE_COLOURS = [
    (44, 106, 228),
    (242, 136, 36),
    (224, 56, 60),
    (58, 186, 74),
    (156, 74, 214),
    (36, 200, 222),
    (238, 202, 40),
]

# Openings (up, right, down, left) of the five pipe forms before turning.
PIPE_FORMS = [
    (1, 1, 1, 1),   # cross
    (1, 0, 1, 0),   # straight
    (1, 1, 0, 1),   # T
    (1, 1, 0, 0),   # corner
    (1, 0, 0, 0),   # end
]


def turned(openings, quarter_turns):
    o = list(openings)
    for _ in range(quarter_turns):
        o = [o[(d + 3) % 4] for d in range(4)]   # an opening up becomes one right
    return o


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(len(a)))


def shade(c, f):
    """f < 0 darkens toward black, f > 0 lightens toward white."""
    base = c[:3]
    r = mix(base, (0, 0, 0), -f) if f < 0 else mix(base, (255, 255, 255), f)
    return r + tuple(c[3:])


def rgba(c, a=255):
    return tuple(c[:3]) + (a,)

# ---------------------------------------------------------------- canvas


def vgrad(w, h, stops):
    """Vertical gradient image; stops are (t, rgba) with t from 0 (top) to 1."""
    stops = [(t, rgba(c) if len(c) == 3 else c) for t, c in stops]
    px = []
    for i in range(256):
        t = i / 255.0
        for j in range(len(stops) - 1):
            t0, c0 = stops[j]
            t1, c1 = stops[j + 1]
            if t <= t1 or j == len(stops) - 2:
                u = 0.0 if t1 == t0 else min(1.0, max(0.0, (t - t0) / (t1 - t0)))
                px.append(mix(c0, c1, u))
                break
    col = Image.new("RGBA", (1, 256))
    col.putdata(px)
    return col.resize((max(1, int(w)), max(1, int(h))), Image.BILINEAR)


def hgrad(w, h, stops):
    return vgrad(h, w, stops).transpose(Image.Transpose.ROTATE_90).transpose(Image.Transpose.FLIP_TOP_BOTTOM)


def noise_image(w, h, seed, mode="L"):
    rng = random.Random(seed)
    return Image.frombytes(mode, (w, h), rng.randbytes(w * h * len(mode)))


class Art:
    """An RGBA picture drawn SS times larger than its final size.

    Coordinates given to the methods are design units; `unit` final pixels
    per design unit lets screen pictures drawn at scale 0.7 be laid out in
    screen pixels directly.
    """

    def __init__(self, w, h, unit=1.0, bg=(0, 0, 0, 0)):
        self.w, self.h = w, h
        self.k = SS * unit
        self.img = Image.new("RGBA", (w * SS, h * SS), bg)

    # geometry -------------------------------------------------------
    def px(self, v):
        return int(round(v * self.k))

    def box(self, b):
        return [self.px(b[0]), self.px(b[1]), self.px(b[2]), self.px(b[3])]

    def layer(self):
        return Image.new("RGBA", self.img.size, (0, 0, 0, 0))

    def over(self, im, x=0, y=0):
        """Composite im (already at SS scale) with its top-left at pixel (x, y)."""
        x, y = int(x), int(y)
        sx, sy = max(0, -x), max(0, -y)
        if sx >= im.width or sy >= im.height:
            return
        if sx or sy:
            im = im.crop((sx, sy, im.width, im.height))
        self.img.alpha_composite(im, (x + sx, y + sy))

    # painting -------------------------------------------------------
    def paint(self, b, paint, radius=0, mask=None, alpha=255):
        """Fill box b with a colour or a gradient maker paint(w, h)."""
        x0, y0, x1, y1 = self.box(b)
        w, h = max(1, x1 - x0), max(1, y1 - y0)
        patch = paint(w, h) if callable(paint) else Image.new("RGBA", (w, h), rgba(paint) if len(paint) == 3 else paint)
        if mask is None:
            mask = Image.new("L", (w, h), 0)
            ImageDraw.Draw(mask).rounded_rectangle([0, 0, w - 1, h - 1], radius=self.px(radius), fill=255)
        a = ImageChops.multiply(patch.getchannel("A"), mask)
        if alpha != 255:
            a = a.point(lambda v: v * alpha // 255)
        patch.putalpha(a)
        self.over(patch, x0, y0)

    def ring(self, b, width, paint, radius=0):
        x0, y0, x1, y1 = self.box(b)
        w, h = x1 - x0, y1 - y0
        mask = Image.new("L", (w, h), 0)
        d = ImageDraw.Draw(mask)
        d.rounded_rectangle([0, 0, w - 1, h - 1], radius=self.px(radius), fill=255)
        iw = self.px(width)
        d.rounded_rectangle([iw, iw, w - 1 - iw, h - 1 - iw], radius=max(0, self.px(radius) - iw), fill=0)
        self.paint(b, paint, mask=mask)

    def draw(self, lay=None):
        """Direct drawing: replaces pixels, so use it for opaque colours only."""
        return ImageDraw.Draw(lay if lay is not None else self.img)

    def blended(self):
        """Context manager: draw translucent shapes on a layer that is then
        composited (ImageDraw alone would overwrite the alpha)."""
        art = self

        class _Blend:
            def __enter__(self):
                self.lay = art.layer()
                return ImageDraw.Draw(self.lay)

            def __exit__(self, *exc):
                bb = self.lay.getbbox()
                if bb:
                    art.img.alpha_composite(self.lay.crop(bb), (bb[0], bb[1]))
                return False
        return _Blend()

    def glow(self, drawfn, blur, strength=1.0):
        """drawfn(ImageDraw) draws onto a fresh layer that is blurred and added.
        Only the drawn region is blurred, which keeps big pictures fast."""
        lay = self.layer()
        drawfn(ImageDraw.Draw(lay))
        bb = lay.getbbox()
        if bb is None:
            return
        pad = self.px(blur) * 3 + 2
        x0, y0 = max(0, bb[0] - pad), max(0, bb[1] - pad)
        x1, y1 = min(lay.width, bb[2] + pad), min(lay.height, bb[3] + pad)
        part = lay.crop((x0, y0, x1, y1)).filter(ImageFilter.GaussianBlur(self.px(blur)))
        if strength != 1.0:
            part.putalpha(part.getchannel("A").point(lambda v: min(255, int(v * strength))))
        self.img.alpha_composite(part, (x0, y0))

    def soft_text(self, X, Y, s, f, fill, anchor, stroke, blur):
        """Blurred text (a shadow or a glow) drawn on a small local layer."""
        probe = ImageDraw.Draw(Image.new("L", (1, 1)))
        bb = probe.textbbox((X, Y), s, font=f, anchor=anchor, stroke_width=stroke)
        pad = int(blur * 3) + 2
        ox, oy = int(bb[0]) - pad, int(bb[1]) - pad
        lay = Image.new("RGBA", (int(bb[2] - bb[0]) + 2 * pad, int(bb[3] - bb[1]) + 2 * pad), (0, 0, 0, 0))
        ImageDraw.Draw(lay).text((X - ox, Y - oy), s, font=f, fill=fill, anchor=anchor,
                                 stroke_width=stroke, stroke_fill=fill)
        self.over(lay.filter(ImageFilter.GaussianBlur(blur)), ox, oy)

    def text(self, x, y, s, size, fill=TEXT, anchor="la", path=BOLD, shadow=0.9, stroke=0,
             stroke_fill=(0, 0, 0), glow=None):
        f = font(self.px(size), path)
        X, Y = self.px(x), self.px(y)
        if glow:
            self.soft_text(X, Y, s, f, glow, anchor, self.px(size * 0.08), self.px(size * 0.22))
        if shadow:
            off = max(1, self.px(size * 0.06))
            self.soft_text(X + off * 0.5, Y + off, s, f, (0, 0, 0, int(200 * shadow)), anchor, self.px(stroke), off)
        d = ImageDraw.Draw(self.img)
        d.text((X, Y), s, font=f, fill=rgba(fill) if len(fill) == 3 else fill, anchor=anchor,
               stroke_width=self.px(stroke), stroke_fill=rgba(stroke_fill) if len(stroke_fill) == 3 else stroke_fill)

    def text_width(self, s, size, path=BOLD):
        f = font(self.px(size), path)
        b = f.getbbox(s)
        return (b[2] - b[0]) / self.k

    def final(self):
        return self.img.resize((self.w, self.h), Image.LANCZOS)


def downsample_frames(big, fw, fh, cols, rows):
    """Downsample a supersampled frame sheet one frame at a time, so no frame
    bleeds into its neighbour (the pipe channels run to the frame edges)."""
    out = Image.new("RGBA", (fw * cols, fh * rows), (0, 0, 0, 0))
    for r in range(rows):
        for c in range(cols):
            fr = big.crop((c * fw * SS, r * fh * SS, (c + 1) * fw * SS, (r + 1) * fh * SS))
            out.paste(fr.resize((fw, fh), Image.LANCZOS), (c * fw, r * fh))
    return out

# ---------------------------------------------------------------- shared looks


def night_backdrop(art, seed, top=NAVY_2, bottom=NAVY_0, vignette=0.75):
    """Deep navy-to-teal backdrop with a soft vignette and faint grain."""
    W, H = art.img.size
    art.img.alpha_composite(vgrad(W, H, [(0, rgba(top)), (0.55, rgba(mix(top, bottom, 0.55))), (1, rgba(bottom))]))
    # a teal haze in the upper middle
    haze = Image.radial_gradient("L").resize((W, H), Image.BILINEAR)
    haze = haze.point(lambda v: max(0, 70 - v) * 1)
    lay = Image.new("RGBA", (W, H), rgba(TEAL_1))
    lay.putalpha(haze)
    art.img.alpha_composite(lay)
    # vignette
    vig = Image.radial_gradient("L").resize((W, H), Image.BILINEAR)
    vig = vig.point(lambda v: int(min(255, max(0, (v - 90) * 1.6)) * vignette))
    lay = Image.new("RGBA", (W, H), (0, 0, 0, 255))
    lay.putalpha(vig)
    art.img.alpha_composite(lay)
    grain = noise_image(W // SS, H // SS, seed).resize((W, H), Image.BILINEAR)
    grain = grain.point(lambda v: 7 if v > 200 else 0)
    lay = Image.new("RGBA", (W, H), (180, 220, 255, 255))
    lay.putalpha(grain)
    art.img.alpha_composite(lay)


def metal_paint(light=1.0):
    def p(w, h):
        g = vgrad(w, h, [(0, shade((200, 212, 224), 0.15 * light)), (0.45, (150, 164, 180)),
                         (0.55, (120, 134, 152)), (1, (70, 82, 98))])
        streak = noise_image(max(1, w // 16), max(1, h), 101).resize((w, h), Image.BILINEAR)
        streak = streak.point(lambda v: v // 10)
        lay = Image.new("RGBA", (w, h), (255, 255, 255, 255))
        lay.putalpha(streak)
        g.alpha_composite(lay)
        return g
    return p


def bezel(art, b, width, radius):
    """Brushed-metal frame with a thin highlight on its outer edge."""
    art.ring(b, width, metal_paint(), radius)
    x0, y0, x1, y1 = b
    art.ring(b, 1.0 / art.k * SS * 0.9, (255, 255, 255, 90), radius)
    art.ring((x0 + width - 0.8, y0 + width - 0.8, x1 - width + 0.8, y1 - width + 0.8), 0.8, (0, 0, 0, 160),
             max(0, radius - width))


def recess(art, b, radius, fill=(4, 10, 20, 220), edge=(120, 200, 230, 70)):
    """A dark sunken window: top inner shadow and a faint lit bottom edge."""
    art.paint(b, fill, radius)
    x0, y0, x1, y1 = b
    art.paint((x0, y0, x1, y0 + (y1 - y0) * 0.45),
              lambda w, h: vgrad(w, h, [(0, (0, 0, 0, 140)), (1, (0, 0, 0, 0))]), radius)
    art.ring(b, 0.9, edge, radius)


def panel(art, b, radius, fill_top=(16, 44, 64, 235), fill_bottom=(8, 20, 34, 235), rim=True):
    art.paint(b, lambda w, h: vgrad(w, h, [(0, fill_top), (1, fill_bottom)]), radius)
    if rim:
        bezel(art, b, 3.2, radius)


def tube_segments(d, pts, width, colour, k, cap=True):
    """Round-jointed polyline: straight segments plus discs at every joint."""
    d.line([(x * k, y * k) for x, y in pts], fill=colour, width=int(round(width * k)))
    if cap:
        r = width * k / 2
        for x, y in pts:
            d.ellipse([x * k - r, y * k - r, x * k + r, y * k + r], fill=colour)


def draw_tube(art, pts, width, water=False, glow=True):
    """A shaded pipe along a polyline (design units): dark metal or lit water."""
    k = art.k
    if water:
        if glow:
            art.glow(lambda d: tube_segments(d, pts, width * 1.7, rgba(CYAN, 150), k), width * 0.7)
        layers = [(1.0, (12, 66, 96)), (0.8, (28, 170, 226)), (0.55, (90, 224, 255)), (0.2, WATER_CORE)]
    else:
        layers = [(1.0, (10, 14, 22)), (0.84, (50, 62, 78)), (0.6, (78, 94, 114)), (0.22, (132, 150, 170))]
    d = art.draw()
    for f, c in layers:
        tube_segments(d, pts, width * f, rgba(c), k)

def dim_pipes(art, paths, width, strength):
    """Background plumbing: shaded tubes drawn faintly into the dark."""
    keep = art.img
    art.img = art.layer()
    for pts in paths:
        draw_tube(art, pts, width)
        for x, y in pts[1:-1]:
            art.paint((x - width * 0.75, y - width * 0.75, x + width * 0.75, y + width * 0.75), metal_paint(), width * 0.3)
    lay = art.img
    art.img = keep
    lay.putalpha(lay.getchannel("A").point(lambda v: int(v * strength)))
    art.img.alpha_composite(lay)


# ---------------------------------------------------------------- pipe pieces

CH = 9.5            # channel width at frame size 32


def pipe_tile(art, ox, oy, colour, openings, water):
    """One 32-unit tile at (ox, oy): bevelled tile with the pipe channel."""
    k = art.k
    b = (ox + 0.5, oy + 0.5, ox + 31.5, oy + 31.5)
    if water:
        art.paint(b, (6, 20, 36, 170), 5)
        art.ring(b, 1.2, (60, 170, 200, 170), 5)
    else:
        # bevel: lit upper-left half, shaded lower-right half, face on top
        x0, y0, x1, y1 = art.box(b)
        w, h = x1 - x0, y1 - y0
        mask = Image.new("L", (w, h), 0)
        ImageDraw.Draw(mask).rounded_rectangle([0, 0, w - 1, h - 1], radius=art.px(5), fill=255)
        split = Image.new("RGBA", (w, h), rgba(shade(colour, -0.5)))
        ImageDraw.Draw(split).polygon([(0, 0), (w, 0), (0, h)], fill=rgba(shade(colour, 0.45)))
        split.putalpha(mask)
        art.over(split, x0, y0)
        art.ring(b, 0.7, (0, 0, 0, 150), 5)
        art.paint((ox + 2.6, oy + 2.6, ox + 29.4, oy + 29.4),
                  lambda w, h: vgrad(w, h, [(0, shade(colour, 0.18)), (0.5, rgba(colour)), (1, shade(colour, -0.18))]), 3.5)
    cx, cy = ox + 16, oy + 16
    open_dirs = [dd for dd in range(4) if openings[dd]]

    def channel(d, width, colour):
        # Arms as exact rectangles with an even pixel width, so the channel is
        # centred on the frame and has the same profile on all four edges;
        # they run past the frame edge, with one round joint in the middle.
        h = int(round(width * k / 2))
        X, Y = int(round(cx * k)), int(round(cy * k))
        far = int(round(40 * k))
        for dd in open_dirs:
            if dd == 0:
                d.rectangle([X - h, Y - far, X + h - 1, Y], fill=colour)
            elif dd == 1:
                d.rectangle([X, Y - h, X + far, Y + h - 1], fill=colour)
            elif dd == 2:
                d.rectangle([X - h, Y, X + h - 1, Y + far], fill=colour)
            else:
                d.rectangle([X - far, Y - h, X, Y + h - 1], fill=colour)
        d.ellipse([X - h, Y - h, X + h - 1, Y + h - 1], fill=colour)

    if water:
        art.glow(lambda d: channel(d, CH * 1.6, rgba(CYAN, 170)), 2.2)
        layers = [(1.0, (10, 60, 90)), (0.78, (30, 176, 232)), (0.5, (110, 230, 255)), (0.2, WATER_CORE)]
    else:
        layers = [(1.0, (10, 13, 20)), (0.8, (34, 42, 56)), (0.5, (52, 64, 82)), (0.16, (88, 104, 126))]
    d = art.draw()
    for f, c in layers:
        channel(d, CH * f, rgba(c))
    if sum(openings) == 1:
        # end cap: a bolted plug in the middle of the tile
        r = [6.4, 5.2, 2.1]
        d.ellipse([(cx - r[0]) * k, (cy - r[0]) * k, (cx + r[0]) * k, (cy + r[0]) * k], fill=(10, 13, 20, 255))
        cap = vgrad(int(2 * r[1] * k), int(2 * r[1] * k), [(0, (226, 234, 242)), (0.5, (150, 164, 180)), (1, (80, 92, 108))])
        m = Image.new("L", cap.size, 0)
        ImageDraw.Draw(m).ellipse([0, 0, cap.width - 1, cap.height - 1], fill=255)
        cap.putalpha(m)
        art.over(cap, (cx - r[1]) * k, (cy - r[1]) * k)
        dot = (20, 120, 160, 255) if water else (30, 36, 48, 255)
        d.ellipse([(cx - r[2]) * k, (cy - r[2]) * k, (cx + r[2]) * k, (cy + r[2]) * k], fill=dot)


def tile_image(colour, openings, water, size=32):
    """One frame on its own canvas: the channels run past the frame edge and
    must not spill into the neighbouring frames of the sheet."""
    art = Art(size, size, unit=size / 32.0)
    pipe_tile(art, 0, 0, colour, openings, water)
    return art.final()


def piece_sheet(colour, water):
    sheet = Image.new("RGBA", (160, 128), (0, 0, 0, 0))
    for rot in range(4):
        for shape in range(5):
            sheet.paste(tile_image(colour, turned(PIPE_FORMS[shape], rot), water), (shape * 32, rot * 32))
    return sheet


def icon_image(size=64):
    """The window icon at 64 px; the desktop icons are the same drawing at
    their own sizes, drawn large rather than scaled up."""
    im = tile_image(None, (1, 1, 1, 1), True, size)
    bg = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    plate = Art(size, size, unit=size / 64)
    plate.paint((1, 1, 63, 63), lambda w, h: vgrad(w, h, [(0, NAVY_2), (1, NAVY_0)]), 11)
    bg.alpha_composite(plate.final())
    bg.alpha_composite(im)
    return bg

# ---------------------------------------------------------------- buttons

BUTTON_FACES = {
    0: [(0, (34, 92, 114)), (0.5, (18, 58, 78)), (1, (10, 34, 50))],
    1: [(0, (52, 150, 178)), (0.5, (26, 98, 126)), (1, (14, 58, 82))],
    2: [(0, (8, 28, 42)), (0.5, (10, 36, 52)), (1, (16, 50, 68))],
}


def fit_size(art, s, want, max_w, min_screen, scale, path=BOLD):
    """Largest text size <= want that fits max_w; never below min_screen
    screen pixels once the picture is drawn at `scale`."""
    size = want
    while art.text_width(s, size, path) > max_w and size > 1:
        size -= 0.5
    if size * scale < min_screen:
        raise SystemExit("text %r would be %.1f px on screen" % (s, size * scale))
    return size


def button(w, h, scale, content, margin=4, radius=None):
    """Three stacked frames: idle, hover (brighter, glowing), pressed
    (darker, content 2 px lower).  content(art, frame, box) draws the label."""
    art = Art(w, h * 3)
    if radius is None:
        radius = min(16, (h - 2 * margin) * 0.32)
    for f in range(3):
        oy = h * f
        b = (margin, oy + margin, w - margin, oy + h - margin)
        if f == 1:
            art.glow(lambda d: d.rounded_rectangle(art.box((b[0] - 1, b[1] - 1, b[2] + 1, b[3] + 1)),
                                                   radius=art.px(radius + 1), fill=rgba(CYAN, 220)), margin * 0.6)
        # drop shadow
        if f != 2:
            art.paint((b[0] + 0.5, b[1] + 1.5, b[2] + 0.5, b[3] + 1.5), (0, 0, 0, 110), radius)
        art.paint(b, lambda ww, hh, f=f: vgrad(ww, hh, BUTTON_FACES[f]), radius)
        # glassy upper sheen
        if f != 2:
            art.paint((b[0] + 3, b[1] + 2.5, b[2] - 3, b[1] + (b[3] - b[1]) * 0.46),
                      lambda ww, hh: vgrad(ww, hh, [(0, (255, 255, 255, 60 if f == 1 else 38)), (1, (255, 255, 255, 4))]),
                      max(1, radius - 3))
        bezel(art, b, 2.6, radius)
        if f == 1:
            art.ring(b, 1.2, rgba(CYAN, 200), radius)
        shift = 2 if f == 2 else 0
        content(art, f, (b[0], b[1] + shift, b[2], b[3] + shift))
    big = art.img
    return downsample_frames(big, w, h, 1, 3)


def label_button(w, h, scale, label, want):
    def content(art, f, b):
        size = fit_size(art, label, want, (b[2] - b[0]) - 16, 12.5, scale)
        col = TEXT if f != 2 else mix(TEXT, LABEL, 0.4)
        if f == 1:
            col = (255, 255, 255)
        art.text((b[0] + b[2]) / 2, (b[1] + b[3]) / 2 + 0.5, label, size, col, anchor="mm", shadow=1.0)
    return button(w, h, scale, content)


def level_button(n):
    def content(art, f, b):
        col = (255, 255, 255) if f == 1 else TEXT
        cy = (b[1] + b[3]) / 2
        fit_size(art, "LEVEL", 18, 70, 12.5, 0.7)
        art.text(b[0] + 11, cy + 0.5, "LEVEL", 18, LABEL if f != 1 else (170, 240, 255), anchor="lm", shadow=0.8)
        art.text(b[2] - 24, cy + 1, str(n), 36, col, anchor="mm", shadow=1.0)
    return button(116, 54, 0.7, content, margin=3)

# ---------------------------------------------------------------- logo and panels


def logo(art, cx, cy, size, sub=None):
    """The title: bold steel letters with a cyan glow and a water line."""
    s = "TUBRIX"
    f = font(art.px(size))
    X, Y = art.px(cx), art.px(cy)
    art.glow(lambda d: d.text((X, Y), s, font=f, fill=rgba(CYAN, 200), anchor="mm",
                              stroke_width=art.px(size * 0.06), stroke_fill=rgba(CYAN, 200)), size * 0.18, 0.9)
    mask = Image.new("L", art.img.size, 0)
    ImageDraw.Draw(mask).text((X, Y), s, font=f, fill=255, anchor="mm")
    bb = mask.getbbox()
    # outline and drop shadow
    sh = art.layer()
    ImageDraw.Draw(sh).text((X, Y + art.px(size * 0.05)), s, font=f, fill=(0, 0, 0, 200), anchor="mm",
                            stroke_width=art.px(size * 0.05), stroke_fill=(0, 0, 0, 200))
    art.img.alpha_composite(sh.filter(ImageFilter.GaussianBlur(art.px(size * 0.03))))
    ImageDraw.Draw(art.img).text((X, Y), s, font=f, fill=(6, 18, 30, 255), anchor="mm",
                                 stroke_width=art.px(size * 0.045), stroke_fill=(6, 18, 30, 255))
    fill = vgrad(bb[2] - bb[0], bb[3] - bb[1], [(0, (250, 253, 255)), (0.42, (196, 214, 230)), (0.5, (120, 140, 162)),
                                                (0.62, (150, 228, 250)), (1, (40, 170, 220))])
    lay = art.layer()
    lay.paste(fill, (bb[0], bb[1]))
    lay.putalpha(mask)
    art.img.alpha_composite(lay)
    if sub:
        art.text(cx, cy + size * 0.62, sub, size * 0.2, TEXT_DIM, anchor="mm", shadow=0.8)


def splash_drops(art, cx, cy, rx, ry, n, seed, colour=CYAN):
    rng = random.Random(seed)
    with art.blended() as d:
        for _ in range(n):
            a = rng.uniform(0, 2 * math.pi)
            r = rng.uniform(0.55, 1.0)
            x, y = cx + math.cos(a) * rx * r, cy + math.sin(a) * ry * r
            s = rng.uniform(1.5, 4.0)
            d.ellipse(art.box((x - s, y - s, x + s, y + s)), fill=rgba(mix(colour, WATER_CORE, rng.random() * 0.5), 210))

# ---------------------------------------------------------------- screens

SCREEN_UNIT = 1 / 0.7


def loading_screen():
    art = Art(1019, 933, SCREEN_UNIT)
    night_backdrop(art, 11)
    dim_pipes(art, [[(-20, 570), (90, 570), (90, 700)], [(-20, 520), (140, 520), (140, 700)],
                    [(740, 80), (650, 80), (650, -20)], [(740, 130), (600, 130), (600, -20)]], 14, 0.35)
    logo(art, 356.5, 250, 96, "a falling-pipe puzzle")
    art.text(356.5, 410, "Loading...", 24, TEXT, anchor="mm")
    # a pipe filling with water stands for the progress
    draw_tube(art, [(196, 460), (517, 460)], 16)
    draw_tube(art, [(200, 460), (400, 460)], 9, water=True)
    for x in (188, 525):
        art.paint((x - 5, 447, x + 5, 473), metal_paint(), 2.5)
    return art.final()


LEVEL_POS = [(235, 460), (320, 460), (320, 500), (405, 500), (405, 540),
             (490, 540), (490, 500), (490, 460), (575, 460), (575, 420)]
LEVEL_SIZE = (116 * 0.7, 54 * 0.7)


def demo_pieces(art, cells, size=22.4):
    """Pipe tiles drawn into a screen picture, 22.4 screen px each as in the game."""
    for (x, y, colour, shape, rot) in cells:
        im = tile_image(SHAPE_COLOURS[colour] if colour is not None else None,
                        turned(PIPE_FORMS[shape], rot), colour is None, 128)
        im = im.resize((art.px(size), art.px(size)), Image.LANCZOS)
        art.over(im, art.px(x), art.px(y))


def menu_screen():
    art = Art(1019, 933, SCREEN_UNIT)
    night_backdrop(art, 12)
    # background plumbing along the top, quiet and dark
    draw_tube(art, [(-20, 40), (713 + 20, 40)], 10)
    draw_tube(art, [(-20, 612), (713 + 20, 612)], 10)
    for x in (90, 330, 610):
        art.paint((x - 6, 33, x + 6, 47), metal_paint(), 2)
    logo(art, 356.5, 150, 104, "a falling-pipe puzzle")
    # two shapes tumbling down either side of the title
    t = 30
    demo_pieces(art, [(28, 236, 0, 3, 1), (28 + t, 236, 0, 1, 1), (28 + 2 * t, 236, 0, 2, 3), (28, 236 - t, 0, 1, 0)], t)
    demo_pieces(art, [(585, 250, 4, 0, 0), (585 + t, 250, 4, 3, 2), (585 - t, 250, 4, 4, 1), (585, 250 + t, 4, 1, 0)], t)
    demo_pieces(art, [(96, 290, 6, 3, 1), (96 + t, 290, 6, 2, 2), (96, 290 + t, 6, 1, 0), (96 + t, 290 + t, 6, 4, 2)], t)
    # water pipe threading the ten level places in order; a dark veil under
    # each place keeps the translucent buttons readable over it
    cw, ch = LEVEL_SIZE
    # the pipe comes in right of the column of side buttons (MENU_SIDE_X)
    pts = [(MENU_PIPE_START, LEVEL_POS[0][1] + ch / 2)]
    pts += [(x + cw / 2, y + ch / 2) for x, y in LEVEL_POS]
    pts.append((LEVEL_POS[9][0] + cw / 2, 360))
    art.glow(lambda d: tube_segments(d, pts, 30, (0, 0, 0, 200), art.k), 6)
    draw_tube(art, pts, 18, water=True)
    for (x, y, vertical) in [(MENU_PIPE_START, pts[0][1], True), (pts[-1][0], 360, False)]:
        b = (x - 4, y - 14, x + 4, y + 14) if vertical else (x - 14, y - 4, x + 14, y + 4)
        art.paint(b, metal_paint(), 2)
    for x, y in LEVEL_POS:
        art.paint((x + 2, y + 2, x + cw - 2, y + ch - 2), (4, 12, 22, 150), 9)
    art.text(235, 416, "Choose your starting level", 21, TEXT, anchor="ls")
    menu_footer(art)
    return art.final()


# The column of buttons left of the levels, one step apart: versus at the
# top, then the scores, the settings and how to play at the bottom.
MENU_SIDE_X = 50
MENU_SIDE_Y = [376, 429, 482, 535]
MENU_PIPE_START = 222
MENU_FOOTER = ("F4 quick start  \u00b7  F5 Pong  \u00b7  F6 demos  \u00b7  F7 versus  \u00b7  "
               "F8 scores  \u00b7  F9 settings  \u00b7  Esc quit")


def menu_footer(art):
    """The keys of the menu along its bottom."""
    b = (26, 608, 687, 640)
    panel(art, b, 9, fill_top=(10, 28, 44, 200), fill_bottom=(6, 16, 28, 200), rim=False)
    art.ring(b, 1, (120, 200, 230, 80), 9)
    size = fit_size(art, MENU_FOOTER, 14, b[2] - b[0] - 16, 12.5, 1.0, BOLD_COND)
    art.text(357, 624.5, MENU_FOOTER, size, TEXT_DIM, anchor="mm", path=BOLD_COND, shadow=0.6)


# The instructions' controls: one row a key, the cells of the keys the player
# sets first (screens/instructions.h has the same numbers).
INSTRUCTION_KEYS_TOP, INSTRUCTION_KEY_STEP, INSTRUCTION_KEY_H = 124, 26, 22
INSTRUCTION_KEY_X = (462, 561)
INSTRUCTION_WHAT_X = 566


def key_cap(art, b):
    """A key's cap: the fixed keys' name is drawn on it, the others' the game writes."""
    recess(art, b, 5, fill=(20, 48, 66, 255), edge=(150, 220, 240, 120))


def instruction_screen():
    art = Art(1019, 933, SCREEN_UNIT)
    night_backdrop(art, 13)
    logo(art, 150, 46, 46)
    art.text(300, 48, "HOW TO PLAY", 30, TEXT, anchor="lm", glow=rgba(CYAN, 120))
    # goal column
    panel(art, (18, 86, 430, 502), 12)
    art.text(34, 100, "THE GOAL", 17, LABEL, shadow=0.5)
    lines = [
        ("Steer the falling shapes into the well.", None),
        ("Every cell carries a piece of pipe.", None),
        ("Fill a row and water flows from it", "through every pipe joined to it."),
        ("All it reaches is washed away and", "the pieces above drop down."),
        ("Closed pipe loops score extra.", None),
        ("Rows made by falling pieces start a", "chain: each round multiplies points."),
        ("A piece left in the second row", "from the top ends the game."),
    ]
    y = 128
    d = art.draw()
    for a, b in lines:
        d.ellipse(art.box((36, y + 5, 43, y + 12)), fill=rgba(CYAN))
        art.text(52, y, a, 15, TEXT, shadow=0.6)
        y += 20
        if b:
            art.text(52, y, b, 15, TEXT, shadow=0.6)
            y += 20
        y += 8
    versus_rule(art, 34, 408)
    # controls column: the game writes the player's keys into the wide cells
    # (screens/instructions.h); the keys no setting changes are drawn here
    panel(art, (446, 86, 696, 502), 12)
    art.text(462, 100, "CONTROLS", 17, LABEL, shadow=0.5)
    bound = ["move left / right", "rotate left / right", "drop faster", "pause", "start / resume",
             "menu (in a game)"]
    fixed = [(("4  6", "7  9", "5"), "keypad"), (("\u2191",), "rotate right"), (("ESC",), "quit (from here)"),
             (("TAB",), "console"), (("F4",), "quick start"), (("F11",), "fullscreen")]
    x0, x1 = INSTRUCTION_KEY_X
    for row, what in enumerate(bound):
        y = INSTRUCTION_KEYS_TOP + INSTRUCTION_KEY_STEP * row
        key_cap(art, (x0, y, x1, y + INSTRUCTION_KEY_H))
        art.text(INSTRUCTION_WHAT_X, y + INSTRUCTION_KEY_H / 2, what, 12, TEXT, anchor="lm", shadow=0.6)
    for row, (caps, what) in enumerate(fixed, len(bound)):
        y = INSTRUCTION_KEYS_TOP + INSTRUCTION_KEY_STEP * row
        x = x0
        for k_ in caps:
            kw = max(30, art.text_width(k_, 14) + 12)
            key_cap(art, (x, y, x + kw, y + INSTRUCTION_KEY_H))
            art.text(x + kw / 2, y + INSTRUCTION_KEY_H / 2, k_, 14, TEXT, anchor="mm", shadow=0.4)
            x += kw + 5
        art.text(max(INSTRUCTION_WHAT_X, x + 1), y + INSTRUCTION_KEY_H / 2, what, 12, TEXT, anchor="lm", shadow=0.6)
    y = INSTRUCTION_KEYS_TOP + INSTRUCTION_KEY_STEP * (len(bound) + len(fixed))
    art.text(462, y + 2, "The keys in wide boxes are", 13, TEXT_DIM, shadow=0.5)
    art.text(462, y + 19, "the ones set in the settings.", 13, TEXT_DIM, shadow=0.5)
    # scoring strip
    panel(art, (18, 514, 560, 640), 12)
    art.text(34, 527, "SCORING", 17, LABEL, shadow=0.5)
    art.text(34, 552, "Full row: 2    Pipe: 2 \u00d7 blocks \u00d7 (level + 1)", 15, TEXT, shadow=0.6)
    art.text(34, 574, "Loop: 128 \u00d7 blocks \u00d7 (level + 1), half for touching loops", 15, TEXT, shadow=0.6)
    art.text(34, 596, "Each pipe and loop counts \u00d7 chain.  The level rises", 15, TEXT, shadow=0.6)
    art.text(34, 616, "every 10 rows and the shapes fall faster.", 15, TEXT, shadow=0.6)
    return art.final()


# ---------------------------------------------------------------- settings and scores
# The places where the game writes over these pictures are the screens' own
# (screens/settingsscreen.h, screens/scorescreen.h); the asset test checks the
# contrast of the game's text over them.

SETTINGS_ACTIONS = ["Move left", "Move right", "Rotate counter-clockwise", "Rotate clockwise",
                    "Drop faster", "Start / resume", "Pause", "Back to menu"]
SETTINGS_ROW_TOP, SETTINGS_ROW_STEP, SETTINGS_ROW_H = 122, 36, 30
SETTINGS_OPTION_TOP, SETTINGS_OPTION_STEP = 418, 34
SETTINGS_KEY_X = (290, 460)
SETTINGS_PAD_X = (480, 650)
SETTINGS_MESSAGE = (30, 592, 420, 640)
# Beside the title, the players whose keys the table shows; right of the
# options, the shown player's moves (screens/settingsscreen.h).
SETTINGS_PLAYER_TABS = [(480, 36, 578, 66), (588, 36, 686, 66)]
SETTINGS_MOVES_LABEL_X = 480
SETTINGS_RELAY_LEFT = 530
SETTINGS_MOVES_X = (556, 686)
CELL_FILL = (6, 14, 26, 255)
SCORE_COLUMNS = [36, 80, 290, 380, 440, 505, 570, 680]
SCORE_HEADERS = ["#", "NAME", "SCORE", "LEVEL", "ROWS", "PIPED", "DATE"]
SCORE_LINE_TOP, SCORE_LINE_STEP, SCORE_LINE_H = 128, 40, 34
SCORE_PROMPT = (30, 540, 683, 580)


def screen_title(art, seed, title):
    night_backdrop(art, seed)
    logo(art, 150, 46, 46)
    art.text(300, 48, title, 30, TEXT, anchor="lm", glow=rgba(CYAN, 120))


def cell(art, b):
    """A dark box the game writes a value into."""
    recess(art, b, 6, fill=CELL_FILL, edge=(120, 200, 230, 45))


def settings_screen():
    art = Art(1019, 933, SCREEN_UNIT)
    screen_title(art, 14, "SETTINGS")
    panel(art, (18, 86, 696, 566), 12)
    art.text(40, 104, "ACTION", 15, LABEL, anchor="lm", shadow=0.5)
    art.text(sum(SETTINGS_KEY_X) / 2, 104, "KEY", 15, LABEL, anchor="mm", shadow=0.5)
    art.text(sum(SETTINGS_PAD_X) / 2, 104, "CONTROLLER", 15, LABEL, anchor="mm", shadow=0.5)
    for i, name in enumerate(SETTINGS_ACTIONS):
        y = SETTINGS_ROW_TOP + SETTINGS_ROW_STEP * i
        art.text(40, y + SETTINGS_ROW_H / 2, name, 15, TEXT, anchor="lm", shadow=0.6)
        cell(art, (SETTINGS_KEY_X[0], y, SETTINGS_KEY_X[1], y + SETTINGS_ROW_H))
        cell(art, (SETTINGS_PAD_X[0], y, SETTINGS_PAD_X[1], y + SETTINGS_ROW_H))
    d = art.draw()
    d.line(art.box((36, SETTINGS_OPTION_TOP - 8, 678, SETTINGS_OPTION_TOP - 8)), fill=(120, 200, 230, 90),
           width=max(1, art.px(1)))
    for k, name in enumerate(["Music volume", "Effects volume", "Fullscreen", "Drop preview"]):
        y = SETTINGS_OPTION_TOP + SETTINGS_OPTION_STEP * k
        art.text(40, y + SETTINGS_ROW_H / 2, name, 15, TEXT, anchor="lm", shadow=0.6)
        x0, x1 = SETTINGS_KEY_X
        if k < 2:
            for (a, b, sign) in ((x0, x0 + 40, "\u2212"), (x1 - 40, x1, "+")):
                art.paint((a, y, b, y + SETTINGS_ROW_H), lambda w, h: vgrad(w, h, BUTTON_FACES[0]), 6)
                bezel(art, (a, y, b, y + SETTINGS_ROW_H), 1.6, 6)
                art.text((a + b) / 2, y + SETTINGS_ROW_H / 2, sign, 20, TEXT, anchor="mm", shadow=0.8)
            cell(art, (x0 + 50, y, x1 - 50, y + SETTINGS_ROW_H))
        else:
            cell(art, (x0, y, x1, y + SETTINGS_ROW_H))
    for b in SETTINGS_PLAYER_TABS:
        cell(art, b)
    x0, x1 = SETTINGS_MOVES_X
    for k, name in enumerate(["Moves", "Delay", "Interval"]):
        y = SETTINGS_OPTION_TOP + SETTINGS_OPTION_STEP * k
        art.text(SETTINGS_MOVES_LABEL_X, y + SETTINGS_ROW_H / 2, name, 15, TEXT, anchor="lm", shadow=0.6)
        if k == 0:
            cell(art, (x0, y, x1, y + SETTINGS_ROW_H))
            continue
        for (a, b, sign) in ((x0, x0 + 28, "\u2212"), (x1 - 28, x1, "+")):
            art.paint((a, y, b, y + SETTINGS_ROW_H), lambda w, h: vgrad(w, h, BUTTON_FACES[0]), 6)
            bezel(art, (a, y, b, y + SETTINGS_ROW_H), 1.6, 6)
            art.text((a + b) / 2, y + SETTINGS_ROW_H / 2, sign, 20, TEXT, anchor="mm", shadow=0.8)
        cell(art, (x0 + 32, y, x1 - 32, y + SETTINGS_ROW_H))
    y = SETTINGS_OPTION_TOP + 3 * SETTINGS_OPTION_STEP
    art.text(SETTINGS_MOVES_LABEL_X, y + SETTINGS_ROW_H / 2, "Relay", 15, TEXT, anchor="lm", shadow=0.6)
    cell(art, (SETTINGS_RELAY_LEFT, y, x1, y + SETTINGS_ROW_H))
    art.text(40, 576, "Click a box to change it; changes are kept at once.", 13, TEXT_DIM, anchor="lm",
             shadow=0.5)
    cell(art, SETTINGS_MESSAGE)
    return art.final()


def scores_screen():
    art = Art(1019, 933, SCREEN_UNIT)
    screen_title(art, 15, "HIGH SCORES")
    panel(art, (18, 86, 696, 590), 12)
    for x, name in zip(SCORE_COLUMNS, SCORE_HEADERS):
        art.text(x + 6, 110, name, 14, LABEL, anchor="lm", shadow=0.5)
    for line in range(10):
        y = SCORE_LINE_TOP + SCORE_LINE_STEP * line
        fill = (16, 38, 56, 255) if line % 2 == 0 else (10, 26, 40, 255)
        art.paint((SCORE_COLUMNS[0], y, SCORE_COLUMNS[-1], y + SCORE_LINE_H), fill, 6)
    cell(art, SCORE_PROMPT)
    art.text(40, 618, "Enter or Esc goes on", 14, TEXT_DIM, anchor="lm", shadow=0.5)
    return art.final()


def settings_and_scores_images():
    """The settings and score screens and the buttons that lead to them."""
    return {
        "settings.png": settings_screen(),
        "scores.png": scores_screen(),
        "scores_button-3-1-3.png": label_button(260, 80, 0.6, "HIGH SCORES", 30),
        "settings_button-3-1-3.png": label_button(260, 80, 0.6, "SETTINGS", 30),
        "defaults_button-3-1-3.png": label_button(180, 80, 0.7, "DEFAULTS", 28),
    }


WELL_BOX = (70, 84, 334, 612)
PLAY_KEYS = (572, 442, 704, 590)
HUD_BOXES = [("SCORE", 424, 56), ("ROWS", 432, 129), ("PIPED", 440, 205),
             ("BEST PIPE", 434, 279), ("BEST CYCLE", 432, 360)]


def play_screen():
    art = Art(1019, 933, SCREEN_UNIT)
    night_backdrop(art, 14, vignette=0.6)
    # the well
    x0, y0, x1, y1 = WELL_BOX
    art.glow(lambda d: d.rectangle(art.box((x0 - 10, y0 - 6, x1 + 10, y1 + 14)), fill=(0, 0, 0, 220)), 8)
    art.paint((x0, y0, x1, y1), lambda w, h: vgrad(w, h, [(0, (10, 22, 38)), (1, WELL)]))
    with art.blended() as d:
        for i in range(1, 12):
            X = x0 + 22 * i
            d.line([(art.px(X), art.px(y0)), (art.px(X), art.px(y1))], fill=(90, 150, 190, 26), width=art.px(1))
        for j in range(1, 24):
            Y = y0 + 22 * j
            d.line([(art.px(x0), art.px(Y)), (art.px(x1), art.px(Y))], fill=(90, 150, 190, 26), width=art.px(1))
        # danger line between rows 1 and 2
        for x in range(x0, x1, 10):
            d.line([(art.px(x + 1), art.px(128)), (art.px(x + 6), art.px(128))], fill=rgba(DANGER, 150), width=art.px(1.4))
    art.paint((x0, y0, x1, 128), (160, 40, 40, 16), 0)
    bezel(art, (x0 - 6, y0 - 6, x1 + 6, y1 + 6), 6, 8)
    for yy in (128,):
        art.paint((x0 - 6, yy - 3, x0 - 1, yy + 3), rgba(DANGER, 220), 1)
        art.paint((x1 + 1, yy - 3, x1 + 6, yy + 3), rgba(DANGER, 220), 1)
    # top line: small logo, LEVEL label and its window
    logo(art, 48, 28, 20)
    recess(art, (206, 8, 276, 50), 8)
    art.ring((200, 2, 282, 56), 3, metal_paint(), 11)
    art.text(196, 29, "LEVEL", 22, LABEL, anchor="rm", shadow=0.7)
    # right panel: five counters
    panel(art, (404, 4, 704, 412), 14)
    for label, nx, ny in HUD_BOXES:
        top = ny - 27
        art.text(418, top + 2, label, 14, LABEL, shadow=0.6)
        recess(art, (414, ny - 3, 694, ny + 34), 7)
    # NEXT preview
    panel(art, (410, 442, 566, 596), 12)
    art.text(488, 458, "NEXT", 16, LABEL, anchor="mm", shadow=0.6)
    recess(art, (420, 472, 556, 590), 8, fill=(3, 8, 16, 230))
    # key reminder: the game writes the player's keys under the title
    panel(art, PLAY_KEYS, 12)
    art.text(638, 456, "KEYS", 14, LABEL, anchor="mm", shadow=0.6)
    # button tray
    recess(art, (414, 597, 654, 650), 10, fill=(3, 8, 16, 170))
    return art.final()


def overlay_panel(title, lines, title_size=46):
    """400 x 220 translucent panel shown at 0.7 over the well."""
    art = Art(400, 220)
    b = (6, 6, 394, 214)
    art.glow(lambda d: d.rounded_rectangle(art.box((8, 12, 392, 216)), radius=art.px(20), fill=(0, 0, 0, 200)), 5)
    art.paint(b, lambda w, h: vgrad(w, h, [(0, (20, 58, 82, 236)), (1, (6, 18, 32, 236))]), 20)
    bezel(art, b, 4, 20)
    art.text(200, 62, title, title_size, TEXT, anchor="mm", glow=rgba(CYAN, 150))
    y = 116
    for s, size, col, path in lines:
        # A line naming keys the player can rebind is left blank: the game
        # writes it there in this face (screens/overlaylines.h).
        if s:
            size = fit_size(art, s, size, 370, 12.5, 0.7, path)
            art.text(200, y, s, size, col, anchor="mm", shadow=0.7, path=path)
        y += size * 1.45
    return art.final()


def juice_panel():
    art = Art(400, 220)
    b = (6, 6, 394, 214)
    art.glow(lambda d: d.rounded_rectangle(art.box((6, 6, 394, 214)), radius=art.px(20), fill=rgba(CYAN, 200)), 6)
    art.paint(b, lambda w, h: vgrad(w, h, [(0, (24, 96, 130, 240)), (1, (8, 34, 58, 240))]), 20)
    bezel(art, b, 4, 20)
    # rays
    lay = art.layer()
    d = ImageDraw.Draw(lay)
    cx, cy = art.px(200), art.px(96)
    for i in range(24):
        a0 = i * 2 * math.pi / 24
        a1 = a0 + math.pi / 40
        R = art.px(260)
        d.polygon([(cx, cy), (cx + R * math.cos(a0), cy + R * math.sin(a0)), (cx + R * math.cos(a1), cy + R * math.sin(a1))],
                  fill=(180, 240, 255, 34))
    m = Image.new("L", art.img.size, 0)
    ImageDraw.Draw(m).rounded_rectangle(art.box((10, 10, 390, 210)), radius=art.px(17), fill=255)
    lay.putalpha(ImageChops.multiply(lay.getchannel("A"), m))
    art.img.alpha_composite(lay)
    splash_drops(art, 200, 96, 180, 84, 70, 200)
    art.text(200, 78, "200 ROWS!", 52, (255, 255, 255), anchor="mm", glow=rgba(AMBER, 200))
    art.text(200, 136, "The pipes are flowing!", 24, TEXT, anchor="mm")
    art.text(200, 170, "Keep the water running", 20, (190, 236, 250), anchor="mm")
    return art.final()

# ---------------------------------------------------------------- pong and demos


def pong_background():
    art = Art(66, 600)
    d = art.draw()
    for y in range(6, 600, 30):
        art.glow(lambda dd, y=y: dd.rounded_rectangle(art.box((28, y, 38, y + 18)), radius=art.px(4),
                                                      fill=rgba(CYAN, 120)), 3)
        art.paint((29, y, 37, y + 18), lambda w, h: hgrad(w, h, [(0, (20, 70, 96)), (0.5, (60, 170, 210)), (1, (20, 70, 96))]), 3.5)
    return art.final()


# Pong draws each score with the game's default sans face (the font it asks
# for is unknown to the system and falls back to it) at 33 pixels, the text's
# top-left corner at these points of the scoreboard, in a light grey.
SCORE_FONT = _first_font("DejaVuSans.ttf", "LiberationSans-Regular.ttf")
SCORE_PIXELS = 33
SCORE_ORIGINS = [(10, 36), (108, 36)]


def score_ink_centre(origin):
    """The middle of the ink of the digits 0 to 5 drawn at origin."""
    f = font(SCORE_PIXELS, SCORE_FONT)
    probe = Image.new("L", (SCORE_PIXELS * 2, SCORE_PIXELS * 2), 0)
    d = ImageDraw.Draw(probe)
    for digit in "012345":
        d.text((0, 0), digit, font=f, fill=255, anchor="la")
    box = probe.getbbox()
    return origin[0] + (box[0] + box[2]) / 2, origin[1] + (box[1] + box[3]) / 2


def pong_scoreboard():
    art = Art(200, 100)
    b = (1, 1, 199, 99)
    art.paint(b, lambda w, h: vgrad(w, h, [(0, NAVY_2), (1, NAVY_0)]), 12)
    bezel(art, b, 3.5, 12)
    art.text(100, 17, "FIRST TO 5", 14, TEXT_DIM, anchor="mm", shadow=0.5)
    # Dark windows under the light digits, each centred on its digit's ink,
    # in a light rim that ends the dark all round; a label beside each.
    for origin, label in zip(SCORE_ORIGINS, ("YOU", "CPU")):
        cx, cy = score_ink_centre(origin)
        w = (cx - 15.5, cy - 22, cx + 15.5, cy + 22)
        art.paint(w, lambda w_, h_: vgrad(w_, h_, [(0, (2, 6, 12)), (1, (10, 24, 36))]), 6)
        art.ring(w, 2, lambda w_, h_: vgrad(w_, h_, [(0, (214, 224, 234)), (1, (150, 164, 180))]), 6)
        art.text(w[2] + 15, cy, label, 16, LABEL, anchor="lm", shadow=0.5)
    return art.final()


def paddle_image():
    art = Art(14, 80)
    art.paint((0.5, 0.5, 13.5, 79.5), lambda w, h: hgrad(w, h, [(0, (80, 92, 108)), (0.35, (226, 234, 242)),
                                                                  (0.7, (140, 154, 170)), (1, (60, 70, 86))]), 6)
    art.ring((0.5, 0.5, 13.5, 79.5), 0.8, (10, 20, 30, 255), 6)
    art.paint((4.5, 12, 9.5, 68), lambda w, h: vgrad(w, h, [(0, (40, 200, 240)), (1, (20, 120, 180))]), 2.5)
    return art.final()


def ball_frame(art, ox, oy, r, base, hot=False):
    cx, cy = ox + r, oy + r
    if hot:
        art.glow(lambda d: d.ellipse(art.box((cx - r + 1, cy - r + 1, cx + r - 1, cy + r - 1)), fill=(255, 80, 20, 230)),
                 r * 0.18)
    x0, y0, x1, y1 = art.box((cx - r * 0.92, cy - r * 0.92, cx + r * 0.92, cy + r * 0.92))
    w = x1 - x0
    if hot:
        stops = [(255, 250, 200), (255, 160, 40), (200, 40, 10)]
    else:
        stops = [(255, 255, 255), base, shade(base, -0.6)]
    # shading lit from the upper left: distance from the highlight point
    hx, hy = w * 0.32, w * 0.3
    px = []
    for yy in range(w):
        for xx in range(w):
            t = min(1.0, math.hypot(xx - hx, yy - hy) / (w * 0.95))
            px.append(mix(stops[0], stops[1], t / 0.45) if t < 0.45 else mix(stops[1], stops[2], (t - 0.45) / 0.55))
    col = Image.new("RGB", (w, w))
    col.putdata(px)
    col = col.convert("RGBA")
    m = Image.new("L", (w, w), 0)
    ImageDraw.Draw(m).ellipse([0, 0, w - 1, w - 1], fill=255)
    col.putalpha(m)
    art.over(col, x0, y0)
    art.draw().ellipse(art.box((cx - r * 0.92, cy - r * 0.92, cx + r * 0.92, cy + r * 0.92)),
                       outline=(10, 20, 30, 255) if not hot else (120, 20, 0, 255), width=art.px(r * 0.07))


def pongball_image():
    art = Art(40, 20)
    ball_frame(art, 0, 0, 10, (150, 180, 205))
    ball_frame(art, 20, 0, 10, None, hot=True)
    return downsample_frames(art.img, 20, 20, 2, 1)


def balls_image():
    art = Art(160, 40)
    tints = [(40, 150, 230), (240, 140, 40), (60, 190, 90), (170, 90, 220)]
    for i, t in enumerate(tints):
        ball_frame(art, i * 40, 0, 20, t)
        # a pipe-cross band, turned a quarter more each frame, shows the spin
        cx, cy = i * 40 + 20, 20
        a = i * math.pi / 8
        with art.blended() as d:
            for q in range(2):
                ang = a + q * math.pi / 2
                dx, dy = math.cos(ang) * 12, math.sin(ang) * 12
                d.line([art.px(cx - dx), art.px(cy - dy), art.px(cx + dx), art.px(cy + dy)],
                       fill=(12, 24, 36, 170), width=art.px(3.2))
            d.ellipse(art.box((cx - 3.4, cy - 3.4, cx + 3.4, cy + 3.4)), fill=(220, 230, 240, 255),
                  outline=(12, 24, 36, 255), width=art.px(1))
    return downsample_frames(art.img, 40, 40, 4, 1)


def pointer_image():
    art = Art(24, 24)
    pts = [(0.5, 0.5), (0.5, 19), (5.2, 14.8), (8.6, 22.4), (12, 21), (8.7, 13.6), (15, 13.2)]
    d = art.draw()
    d.polygon([(art.px(x), art.px(y)) for x, y in pts], fill=(6, 14, 24, 255))
    inner = [(1.9, 3.4), (1.9, 15.6), (5.6, 12.2), (9.2, 20.2), (10.4, 19.7), (6.9, 12.0), (11.9, 11.8)]
    lay = art.layer()
    ImageDraw.Draw(lay).polygon([(art.px(x), art.px(y)) for x, y in inner], fill=(255, 255, 255, 255))
    g = vgrad(lay.width, lay.height, [(0, (255, 255, 255)), (1, (150, 226, 245))])
    g.putalpha(lay.getchannel("A"))
    art.img.alpha_composite(g)
    im = art.final()
    # the hot spot is the top-left pixel: keep it solid
    im.putpixel((0, 0), (6, 14, 24, 255))
    return im


def emblem(transparent):
    """A valve-wheel badge over a water drop; 60 x 60."""
    art = Art(60, 60, bg=(0, 0, 0, 0) if transparent else rgba(NAVY_1))
    if not transparent:
        art.img.alpha_composite(vgrad(art.img.width, art.img.height, [(0, NAVY_2), (1, NAVY_0)]))
    d = art.draw()
    c = 30
    art.glow(lambda dd: dd.ellipse(art.box((6, 6, 54, 54)), fill=rgba(CYAN, 160)), 3)
    d.ellipse(art.box((5, 5, 55, 55)), fill=(10, 20, 30, 255))
    ring = vgrad(art.px(46), art.px(46), [(0, (226, 234, 242)), (0.5, (140, 154, 170)), (1, (70, 82, 98))])
    m = Image.new("L", ring.size, 0)
    md = ImageDraw.Draw(m)
    md.ellipse([0, 0, ring.width - 1, ring.height - 1], fill=255)
    md.ellipse([art.px(6), art.px(6), ring.width - 1 - art.px(6), ring.height - 1 - art.px(6)], fill=0)
    for q in range(4):
        ang = q * math.pi / 4
        cxr = ring.width / 2
        dx, dy = math.cos(ang) * cxr, math.sin(ang) * cxr
        md.line([cxr - dx, cxr - dy, cxr + dx, cxr + dy], fill=255, width=art.px(4))
    ring.putalpha(m)
    art.over(ring, art.px(7), art.px(7))
    # the drop in the middle
    d.ellipse(art.box((c - 8.5, 26, c + 8.5, 43)), fill=(20, 160, 220, 255), outline=(8, 30, 44, 255), width=art.px(1.2))
    d.polygon([(art.px(c), art.px(17)), (art.px(c - 7.6), art.px(31)), (art.px(c + 7.6), art.px(31))], fill=(20, 160, 220, 255))
    d.line([art.px(c), art.px(17), art.px(c - 7.8), art.px(31)], fill=(8, 30, 44, 255), width=art.px(1.2))
    d.line([art.px(c), art.px(17), art.px(c + 7.8), art.px(31)], fill=(8, 30, 44, 255), width=art.px(1.2))
    d.ellipse(art.box((c - 4.5, 29, c - 1, 36)), fill=(210, 246, 255, 230))
    return art.final()


def box_sheet():
    art = Art(128, 128)
    looks = [((150, 90, 50), "drop"), ((60, 110, 150), "valve"), ((70, 130, 80), "gauge")]
    for i, (col, mark) in enumerate(looks):
        ox, oy = (i % 2) * 64, (i // 2) * 64
        b = (ox + 3, oy + 3, ox + 61, oy + 61)
        art.paint((b[0] + 1, b[1] + 2, b[2] + 1, b[3] + 2), (0, 0, 0, 120), 6)
        art.paint(b, lambda w, h, col=col: vgrad(w, h, [(0, shade(col, 0.3)), (1, shade(col, -0.35))]), 6)
        bezel(art, b, 4, 6)
        # cross braces
        with art.blended() as d:
            for (xa, ya, xb, yb) in [(b[0] + 5, b[1] + 5, b[2] - 5, b[3] - 5), (b[0] + 5, b[3] - 5, b[2] - 5, b[1] + 5)]:
                d.line([art.px(xa), art.px(ya), art.px(xb), art.px(yb)], fill=rgba(shade(col, -0.5), 180), width=art.px(3))
            for (x, y) in [(b[0] + 5, b[1] + 5), (b[2] - 5, b[1] + 5), (b[0] + 5, b[3] - 5), (b[2] - 5, b[3] - 5)]:
                d.ellipse(art.box((x - 2, y - 2, x + 2, y + 2)), fill=(220, 228, 236, 255), outline=(30, 36, 44, 255))
        cx, cy = ox + 32, oy + 32
        d = art.draw()
        d.ellipse(art.box((cx - 13, cy - 13, cx + 13, cy + 13)), fill=(10, 20, 30, 255))
        if mark == "drop":
            d.polygon([(art.px(cx), art.px(cy - 10)), (art.px(cx - 6), art.px(cy + 1)), (art.px(cx + 6), art.px(cy + 1))], fill=rgba(CYAN))
            d.ellipse(art.box((cx - 6.4, cy - 4, cx + 6.4, cy + 8.5)), fill=rgba(CYAN))
        elif mark == "valve":
            d.ellipse(art.box((cx - 9, cy - 9, cx + 9, cy + 9)), outline=rgba(AMBER), width=art.px(2.5))
            for q in range(3):
                ang = q * math.pi / 3
                d.line([art.px(cx - 9 * math.cos(ang)), art.px(cy - 9 * math.sin(ang)),
                        art.px(cx + 9 * math.cos(ang)), art.px(cy + 9 * math.sin(ang))], fill=rgba(AMBER), width=art.px(2))
        else:
            d.arc(art.box((cx - 9, cy - 9, cx + 9, cy + 9)), 150, 390, fill=(120, 240, 140, 255), width=art.px(2.5))
            d.line([art.px(cx), art.px(cy), art.px(cx + 6), art.px(cy - 5)], fill=(250, 250, 250, 255), width=art.px(2))
    # the fourth cell is never shown: leave it empty
    return downsample_frames(art.img, 64, 64, 2, 2)


def gameover_background(won):
    art = Art(713, 653)
    night_backdrop(art, 30 + won)
    if won:
        lay = art.layer()
        d = ImageDraw.Draw(lay)
        cx, cy = art.px(356), art.px(150)
        for i in range(36):
            a0 = i * 2 * math.pi / 36
            a1 = a0 + math.pi / 60
            R = art.px(900)
            d.polygon([(cx, cy), (cx + R * math.cos(a0), cy + R * math.sin(a0)), (cx + R * math.cos(a1), cy + R * math.sin(a1))],
                      fill=(120, 220, 255, 22))
        art.img.alpha_composite(lay)
        splash_drops(art, 356, 150, 300, 110, 90, 77)
        art.text(356.5, 150, "YOU WIN", 84, (255, 255, 255), anchor="mm", glow=rgba(CYAN, 200))
        art.text(356.5, 212, "The paddle bows to you.", 22, TEXT_DIM, anchor="mm")
    else:
        art.text(356.5, 150, "YOU LOSE", 84, (236, 226, 226), anchor="mm", glow=rgba(DANGER, 170))
        art.text(356.5, 212, "The machine wins this one.", 22, TEXT_DIM, anchor="mm")
    panel(art, (236, 242, 478, 412), 16, fill_top=(14, 40, 58, 200), fill_bottom=(6, 18, 30, 200))
    draw_tube(art, [(-10, 560), (200, 560), (200, 610), (723, 610)], 14, water=won)
    return art.final()


def demo_background(which):
    art = Art(713, 653)
    night_backdrop(art, 40 + which, top=(18, 44, 64), bottom=(6, 14, 26))
    with art.blended() as d:
        for x in range(0, 713, 40):
            d.line([art.px(x), 0, art.px(x), art.px(653)], fill=(120, 190, 230, 14), width=art.px(1))
        for y in range(0, 653, 40):
            d.line([0, art.px(y), art.px(713), art.px(y)], fill=(120, 190, 230, 14), width=art.px(1))
    if which == 0:
        logo(art, 356.5, 60, 44)
        art.text(356.5, 104, "images and transparency", 20, TEXT_DIM, anchor="mm")
        # caption plate for the alpha read-out, written in black at (5, 350)
        art.paint((0, 340, 330, 390), lambda w, h: vgrad(w, h, [(0, (226, 236, 244)), (1, (190, 206, 220))]), 0)
        art.paint((0, 388, 330, 391), (70, 82, 98, 255), 0)
        art.paint((327, 340, 330, 391), (70, 82, 98, 255), 0)
        label = "BMP \u00b7 PNG \u00b7 PNG + alpha"
        art.text(617, 438, label, fit_size(art, label, 15, 178, 12.5, 1.0), TEXT_DIM, anchor="mm")
        recess(art, (522, 452, 712, 528), 8)
    else:
        logo(art, 356.5, 60, 44)
        art.text(356.5, 104, "Up adds balls  \u00b7  Down removes them", 20, TEXT_DIM, anchor="mm")
        # the floor: a wide metal pipe resting on the wall at y 599
        art.paint((0, 599, 713, 653), lambda w, h: vgrad(w, h, [(0, (170, 184, 200)), (0.15, (120, 134, 150)),
                                                                (1, (40, 48, 60))]), 0)
        art.paint((0, 599, 713, 601), (230, 240, 250, 255), 0)
        for x in range(30, 713, 80):
            d.ellipse(art.box((x - 3, 620, x + 3, 626)), fill=(210, 220, 230, 255), outline=(30, 36, 44, 255))
    return art.final()

# ---------------------------------------------------------------- images


def make_images(outdir):
    imgdir = os.path.join(outdir, "images")
    os.makedirs(imgdir, exist_ok=True)
    made = {}

    def save(name, im):
        path = os.path.join(imgdir, name)
        if name.endswith(".bmp"):
            im.convert("RGB").save(path, "BMP")
        elif name == "png24.png" or name == "console_top.png":
            im.convert("RGB").save(path, "PNG")
        else:
            im.save(path, "PNG")
        made[name] = im

    for i, c in enumerate(SHAPE_COLOURS):
        save("piece_%d-20-5-4.png" % i, piece_sheet(c, False))
    save("piece_9-20-5-4.png", piece_sheet(None, True))
    save("icon.png", icon_image())

    save("loading2.png", loading_screen())
    save("menu.png", menu_screen())
    save("instruction.png", instruction_screen())
    save("bg3.png", play_screen())
    keys_line = ("keypad 4 6 move  \u00b7  7 9 rotate  \u00b7  5 drop", 18, TEXT_DIM, BOLD_COND)
    # "Press START or SPACE"; "START or SPACE to resume", "Esc leaves the game"
    save("game_info.png", overlay_panel("READY?", [("", 27, TEXT, BOLD), keys_line], 50))
    save("paused.png", overlay_panel("PAUSED", [("", 26, TEXT, BOLD), ("", 19, TEXT_DIM, BOLD)], 54))
    save("juice.png", juice_panel())
    save("game_over.png", game_over_panel())
    make_versus_images(save)

    for n in range(10):
        save("level_button_%d-3-1-3.png" % n, level_button(n))
    save("instruction_button-3-1-3.png", label_button(260, 80, 0.6, "HOW TO PLAY", 30))
    save("start_button2-3-1-3.png", label_button(140, 72, 0.65, "START", 21))
    save("pause_button2-3-1-3.png", label_button(100, 72, 0.65, "PAUSE", 21))
    save("stop_button2-3-1-3.png", label_button(100, 72, 0.65, "MENU", 21))
    save("yes_button-3-1-3.png", label_button(150, 70, 0.5, "YES", 34))
    save("no_button-3-1-3.png", label_button(150, 70, 0.5, "NO", 34))
    save("main_button-3-1-3.png", label_button(180, 80, 0.7, "MENU", 32))
    save("play_button-3-1-3.png", label_button(180, 80, 0.7, "PLAY", 32))
    save("gameover_button_menu-3-1-3.png", label_button(210, 64, 1.0, "MAIN MENU", 24))
    save("gameover_button_playagain-3-1-3.png", label_button(210, 64, 1.0, "PLAY AGAIN", 24))

    save("pong_background.png", pong_background())
    save("pong_scoreboard.png", pong_scoreboard())
    save("paddle.png", paddle_image())
    save("pongball-2-2-1.png", pongball_image())
    save("gameover_background_won.png", gameover_background(True))
    save("gameover_background_lost.png", gameover_background(False))
    save("demoa_background.png", demo_background(0))
    save("demob_background.png", demo_background(1))
    save("box-3-2-2.png", box_sheet())
    save("bitmap24.bmp", emblem(False))
    save("png24.png", emblem(False))
    save("png32.png", emblem(True))
    save("ball-4-4-1.png", balls_image())
    save("pointer.png", pointer_image())
    save("console_top.png", Image.new("RGB", (713, 1), (255, 255, 255)))
    for name, im in settings_and_scores_images().items():
        save(name, im)
    return made


def game_over_panel():
    art = Art(400, 220)
    b = (6, 6, 394, 214)
    art.glow(lambda d: d.rounded_rectangle(art.box((8, 12, 392, 216)), radius=art.px(20), fill=(0, 0, 0, 200)), 5)
    art.paint(b, lambda w, h: vgrad(w, h, [(0, (44, 26, 40, 236)), (0.5, (16, 26, 44, 236)), (1, (6, 16, 30, 236))]), 20)
    bezel(art, b, 4, 20)
    art.text(200, 52, "GAME OVER", 52, (250, 236, 232), anchor="mm", glow=rgba(DANGER, 170))
    art.text(200, 102, "Play again?", 24, TEXT, anchor="mm", shadow=0.8)
    # the yes and no buttons sit on a plain tray here
    recess(art, (92, 125, 348, 190), 12, fill=(3, 10, 18, 130), edge=(120, 200, 230, 45))
    return art.final()


# ---------------------------------------------------------------- versus

JUNK_COLOUR = (112, 120, 134)
# Where the match screen's code draws its texts and the meters (screen px);
# the picture keeps them dark enough to read on.
MATCH_SCORE_WINDOWS = [(480, 20, 694, 56), (480, 66, 694, 102)]
MATCH_NEXT = (404, 128, 548, 266)
MATCH_KEYS = (556, 128, 704, 266)
MATCH_OPPONENT = (404, 276, 704, 646)
MATCH_SMALL_WELL = (500, 326, 632, 590)
MATCH_STRENGTH_WINDOW = (572, 284, 694, 312)
MATCH_METERS = [(40, 84, 58, 612), (480, 326, 491, 590)]
VERSUS_LEVEL_WINDOW = (312, 388, 400, 436)
VERSUS_NET_WINDOW = (76, 540, 637, 600)


def versus_rule(art, x, y):
    """The attack rule, as the match plays it, in the instructions' goal column."""
    art.text(x, y, "VERSUS  (F7, or the menu's button)", 15, LABEL, shadow=0.5)
    lines = ["A cascade of K flows sends K \u2212 1 rows, one more per loop,",
             "and one more for every 30 s played. Rows wait 3 s, and",
             "your own cascades cancel them first. Each pushes your",
             "well up: junk pipes with one gap. Top out and you lose."]
    for n, line in enumerate(lines):
        art.text(x, y + 21 + 17.5 * n, line, 13, TEXT, shadow=0.6, path=BOLD_COND)


def versus_well(art, box, cell, rim):
    """An empty well with its grid, the danger line and a metal rim."""
    x0, y0, x1, y1 = box
    art.glow(lambda d: d.rectangle(art.box((x0 - rim - 4, y0 - rim, x1 + rim + 4, y1 + rim + 8)), fill=(0, 0, 0, 220)), rim + 2)
    art.paint(box, lambda w, h: vgrad(w, h, [(0, (10, 22, 38)), (1, WELL)]))
    danger = y0 + 2 * cell
    with art.blended() as d:
        for i in range(1, 12):
            X = x0 + cell * i
            d.line([(art.px(X), art.px(y0)), (art.px(X), art.px(y1))], fill=(90, 150, 190, 26), width=art.px(1))
        for j in range(1, 24):
            Y = y0 + cell * j
            d.line([(art.px(x0), art.px(Y)), (art.px(x1), art.px(Y))], fill=(90, 150, 190, 26), width=art.px(1))
        for x in range(int(x0), int(x1), 10):
            d.line([(art.px(x + 1), art.px(danger)), (art.px(x + 6), art.px(danger))], fill=rgba(DANGER, 150),
                   width=art.px(1.4))
    art.paint((x0, y0, x1, danger), (160, 40, 40, 16), 0)
    bezel(art, (x0 - rim, y0 - rim, x1 + rim, y1 + rim), rim, rim + 2)


def meter_slot(art, box):
    """The dark slot the incoming rows stack up in, from the bottom."""
    x0, y0, x1, y1 = box
    recess(art, (x0 - 2, y0 - 2, x1 + 2, y1 + 2), 3, fill=(3, 8, 16, 240), edge=(236, 80, 70, 90))


def match_screen(rival="CPU", panel_label="COMPUTER"):
    art = Art(1019, 933, SCREEN_UNIT)
    night_backdrop(art, 15, vignette=0.6)
    versus_well(art, WELL_BOX, 22, 6)
    meter_slot(art, MATCH_METERS[0])
    logo(art, 48, 28, 20)
    recess(art, (206, 8, 276, 50), 8)
    art.ring((200, 2, 282, 56), 3, metal_paint(), 11)
    art.text(196, 29, "LEVEL", 22, LABEL, anchor="rm", shadow=0.7)
    # both scores
    panel(art, (404, 4, 704, 118), 14)
    for (x0, y0, x1, y1), label in zip(MATCH_SCORE_WINDOWS, ("YOU", rival)):
        art.text(418, (y0 + y1) / 2, label, 18, LABEL, anchor="lm", shadow=0.6)
        recess(art, (x0, y0, x1, y1), 7)
    # the player's next shape and the keys
    panel(art, MATCH_NEXT, 12)
    art.text((MATCH_NEXT[0] + MATCH_NEXT[2]) / 2, MATCH_NEXT[1] + 15, "NEXT", 16, LABEL, anchor="mm", shadow=0.6)
    recess(art, (MATCH_NEXT[0] + 10, MATCH_NEXT[1] + 28, MATCH_NEXT[2] - 10, MATCH_NEXT[3] - 10), 8, fill=(3, 8, 16, 230))
    # the game writes the player's keys under the title
    panel(art, MATCH_KEYS, 12)
    art.text((MATCH_KEYS[0] + MATCH_KEYS[2]) / 2, MATCH_KEYS[1] + 14, "KEYS", 14, LABEL, anchor="mm", shadow=0.6)
    # the opponent: its strength, its well at half size and its meter
    panel(art, MATCH_OPPONENT, 14)
    art.text(418, (MATCH_STRENGTH_WINDOW[1] + MATCH_STRENGTH_WINDOW[3]) / 2, panel_label, 18, LABEL, anchor="lm", shadow=0.6)
    recess(art, MATCH_STRENGTH_WINDOW, 7)
    versus_well(art, MATCH_SMALL_WELL, 11, 3)
    meter_slot(art, MATCH_METERS[1])
    art.text(MATCH_OPPONENT[0] + 14, MATCH_SMALL_WELL[1] + 4, "rows", 12, TEXT_DIM, shadow=0.5)
    art.text(MATCH_OPPONENT[0] + 14, MATCH_SMALL_WELL[1] + 20, "coming", 12, TEXT_DIM, shadow=0.5)
    art.text(MATCH_OPPONENT[0] + 14, MATCH_SMALL_WELL[1] + 36, "\u2192", 14, TEXT_DIM, shadow=0.5)
    # the player's own meter, labelled above its slot
    mx = (MATCH_METERS[0][0] + MATCH_METERS[0][2]) / 2
    art.text(mx, MATCH_METERS[0][1] - 36, "rows", 12, TEXT_DIM, anchor="ma", shadow=0.5)
    art.text(mx, MATCH_METERS[0][1] - 21, "coming \u2193", 12, TEXT_DIM, anchor="ma", shadow=0.5)
    return art.final()


# Two players at this machine: both wells at one size side by side, each
# with its meter outside, its name, device and score above and its keys
# below; the level and both next shapes between them (screen px).
SEAT_PITCH = 20
SEAT_WELLS = [(32, 66, 272, 546), (441, 66, 681, 546)]
SEAT_METERS = [(10, 66, 24, 546), (689, 66, 703, 546)]
SEAT_HEADERS = [(8, 4, 278, 57), (435, 4, 705, 57)]
SEAT_SCORE_WINDOWS = [(156, 10, 272, 51), (583, 10, 699, 51)]
SEAT_DEVICE_WINDOWS = [(14, 30, 150, 51), (441, 30, 577, 51)]
SEAT_NEXT = [(286, 100, 354, 174), (359, 100, 427, 174)]
SEAT_KEYS = [(8, 555, 278, 650), (435, 555, 705, 650)]
SEAT_LEVEL_WINDOW = (322, 24, 392, 62)


def match_two_screen():
    art = Art(1019, 933, SCREEN_UNIT)
    night_backdrop(art, 17, vignette=0.6)
    # the pipe between the wells, under everything in the middle
    draw_tube(art, [(356.5, 236), (356.5, 560)], 10)
    for seat in range(2):
        versus_well(art, SEAT_WELLS[seat], SEAT_PITCH, 5)
        meter_slot(art, SEAT_METERS[seat])
        x0, y0, x1, y1 = SEAT_HEADERS[seat]
        panel(art, SEAT_HEADERS[seat], 12)
        art.text(x0 + 10, y0 + 14, "PLAYER %d" % (seat + 1), 16, LABEL, anchor="lm", shadow=0.6)
        recess(art, SEAT_DEVICE_WINDOWS[seat], 6)
        recess(art, SEAT_SCORE_WINDOWS[seat], 7)
        kx0, ky0, kx1, ky1 = SEAT_KEYS[seat]
        # the game writes the player's keys right of the title
        panel(art, SEAT_KEYS[seat], 12)
        art.text(kx0 + 12, ky0 + 17, "KEYS", 13, LABEL, anchor="lm", shadow=0.6)
    # the level and each player's next shape, the left player's on the left
    panel(art, (282, 4, 431, 184), 12)
    art.text(356.5, 14, "LEVEL", 13, LABEL, anchor="mm", shadow=0.6)
    recess(art, SEAT_LEVEL_WINDOW, 8)
    for box in SEAT_NEXT:
        art.text((box[0] + box[2]) / 2, box[1] - 10, "NEXT", 13, LABEL, anchor="mm", shadow=0.6)
        recess(art, box, 8, fill=(3, 8, 16, 230))
    logo(art, 356.5, 214, 22)
    return art.final()


def versus_screen():
    art = Art(1019, 933, SCREEN_UNIT)
    night_backdrop(art, 16)
    draw_tube(art, [(-20, 40), (713 + 20, 40)], 10)
    for x in (90, 330, 610):
        art.paint((x - 6, 33, x + 6, 47), metal_paint(), 2)
    logo(art, 356.5, 100, 64)
    art.text(356.5, 160, "VERSUS", 30, TEXT, anchor="mm", glow=rgba(CYAN, 120))
    panel(art, (60, 190, 653, 340), 12)
    art.text(76, 204, "AGAINST THE COMPUTER", 17, LABEL, shadow=0.5)
    for x, what in zip((92, 285, 478), ("slow, takes its time", "steady and careful", "quick, plans ahead")):
        art.text(x + 72, 318, what, 13, TEXT_DIM, anchor="mm", shadow=0.5)
    panel(art, (60, 352, 653, 452), 12)
    art.text(76, 366, "STARTING LEVEL", 17, LABEL, shadow=0.5)
    recess(art, VERSUS_LEVEL_WINDOW, 8)
    # two players at this machine, beside the level: its button at (490, 388)
    art.paint((477, 364, 478.5, 440), (120, 200, 230, 60), 0)
    art.text(490, 366, "AT THIS MACHINE", 15, LABEL, shadow=0.5)
    panel(art, (60, 464, 653, 610), 12)
    art.text(76, 478, "OVER THE NETWORK", 17, LABEL, shadow=0.5)
    art.text(637, 478, "LAN: UDP port 27420", 13, TEXT_DIM, anchor="ra", shadow=0.5)
    # the internet's rooms, through a relay: their buttons at (186, 336, 486; 500)
    art.text(76, 517, "INTERNET", 15, LABEL, anchor="lm", shadow=0.5)
    recess(art, VERSUS_NET_WINDOW, 8)
    b = (70, 618, 643, 646)
    panel(art, b, 9, fill_top=(10, 28, 44, 200), fill_bottom=(6, 16, 28, 200), rim=False)
    art.ring(b, 1, (120, 200, 230, 80), 9)
    art.text(356.5, 632.5, "1 2 3 play \u00b7 T two \u00b7 \u2190 \u2192 level \u00b7 H J LAN \u00b7 C K W internet \u00b7 Enter start \u00b7 Esc menu", 12, TEXT_DIM, anchor="mm", shadow=0.6)
    return art.final()


def versus_result_panel(title, colour, glow):
    """Shown at 0.7 over the player's well when the match ends."""
    art = Art(400, 220)
    b = (6, 6, 394, 214)
    art.glow(lambda d: d.rounded_rectangle(art.box((8, 12, 392, 216)), radius=art.px(20), fill=(0, 0, 0, 200)), 5)
    art.paint(b, lambda w, h: vgrad(w, h, [(0, (20, 52, 74, 240)), (1, (6, 16, 30, 240))]), 20)
    bezel(art, b, 4, 20)
    art.text(200, 52, title, 50, colour, anchor="mm", glow=rgba(glow, 170))
    art.text(200, 102, "Play again?", 24, TEXT, anchor="mm", shadow=0.8)
    recess(art, (92, 125, 348, 190), 12, fill=(3, 10, 18, 130), edge=(120, 200, 230, 45))
    return art.final()


def meter_rows():
    """Two frames of one incoming row: waiting (amber), arrived (red)."""
    art = Art(24, 48)
    for f, c in enumerate((AMBER, DANGER)):
        b = (1, 24 * f + 2, 23, 24 * f + 22)
        art.paint(b, lambda w, h, c=c: vgrad(w, h, [(0, shade(c, 0.35)), (0.5, rgba(c)), (1, shade(c, -0.35))]), 3)
        art.ring(b, 1.2, (0, 0, 0, 160), 3)
    return downsample_frames(art.img, 24, 24, 1, 2)


def make_versus_images(save):
    save("piece_7-20-5-4.png", piece_sheet(JUNK_COLOUR, False))
    save("match.png", match_screen())
    # Over the network: the other player, named in the window by the code.
    save("match_net.png", match_screen("THEM", "PLAYER"))
    save("match_two.png", match_two_screen())
    save("versus.png", versus_screen())
    save("versus_won.png", versus_result_panel("YOU WIN", (236, 255, 246), (80, 230, 150)))
    save("versus_lost.png", versus_result_panel("YOU LOSE", (250, 236, 232), DANGER))
    save("versus_draw.png", versus_result_panel("DRAW", TEXT, CYAN))
    save("meter-2-1-2.png", meter_rows())
    save("versus_button-3-1-3.png", label_button(260, 80, 0.6, "VERSUS", 30))
    save("easy_button-3-1-3.png", label_button(240, 80, 0.6, "EASY", 30))
    save("medium_button-3-1-3.png", label_button(240, 80, 0.6, "MEDIUM", 30))
    save("hard_button-3-1-3.png", label_button(240, 80, 0.6, "HARD", 30))
    save("two_players_button-3-1-3.png", label_button(240, 80, 0.6, "TWO PLAYERS", 30))
    save("less_button-3-1-3.png", label_button(80, 80, 0.6, "\u2212", 36))
    save("more_button-3-1-3.png", label_button(80, 80, 0.6, "+", 36))
    save("create_room_button-3-1-3.png", label_button(240, 56, 0.6, "CREATE ROOM", 24))
    save("join_room_button-3-1-3.png", label_button(240, 56, 0.6, "JOIN BY CODE", 24))
    save("watch_room_button-3-1-3.png", label_button(240, 56, 0.6, "WATCH A ROOM", 24))


# ---------------------------------------------------------------- sounds
# Mono or stereo float lists at 44.1 kHz, written as 16-bit stereo PCM with
# only a "fmt " and a "data" chunk.


def seconds(t):
    return int(round(t * RATE))


def fade_ends(ch, fade_in=0.003, fade_out=0.008):
    """Raised-cosine fades so a sound never starts or stops with a click."""
    n = len(ch)
    a, b = seconds(fade_in), seconds(fade_out)
    for i in range(a):
        ch[i] *= 0.5 - 0.5 * math.cos(math.pi * i / a)
    for i in range(b):
        ch[n - 1 - i] *= 0.5 - 0.5 * math.cos(math.pi * i / b)
    ch[0] = 0.0
    ch[-1] = 0.0


def pcm_bytes(left, right, peak_db):
    """Normalise both channels together to peak_db dBFS and interleave."""
    peak = max(max(abs(v) for v in left), max(abs(v) for v in right)) or 1.0
    g = 32767.0 * 10 ** (peak_db / 20.0) / peak
    out = array("h", [0]) * (2 * len(left))
    out[0::2] = array("h", [int(round(v * g)) for v in left])
    out[1::2] = array("h", [int(round(v * g)) for v in right])
    if sys.byteorder == "big":
        out.byteswap()
    return out.tobytes()


def wav_bytes(left, right, peak_db, fade=True):
    if fade:
        fade_ends(left)
        fade_ends(right)
    data = pcm_bytes(left, right, peak_db)
    fmt = struct.pack("<HHIIHH", 1, 2, RATE, RATE * 4, 4, 16)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data
    return b"RIFF" + struct.pack("<I", len(body)) + body


def lowpass(x, cutoff):
    """One-pole low-pass filter."""
    a = 1.0 - math.exp(-2.0 * math.pi * cutoff / RATE)
    y, out = 0.0, []
    app = out.append
    for v in x:
        y += a * (v - y)
        app(y)
    return out


def bandpass(x, centre, q):
    """Two-pole resonant band-pass (biquad, constant peak gain)."""
    w = 2 * math.pi * centre / RATE
    alpha = math.sin(w) / (2 * q)
    b0, b2 = alpha, -alpha
    a0, a1, a2 = 1 + alpha, -2 * math.cos(w), 1 - alpha
    b0, b2, a1, a2 = b0 / a0, b2 / a0, a1 / a0, a2 / a0
    x1 = x2 = y1 = y2 = 0.0
    out = []
    app = out.append
    for v in x:
        y = b0 * v + b2 * x2 - a1 * y1 - a2 * y2
        x2, x1, y2, y1 = x1, v, y1, y
        app(y)
    return out


def sound_bonus():
    """A bright rising water bloop, soft enough to hear every 0.45 s."""
    n = seconds(0.2)
    left, right = [], []
    ph = ph2 = 0.0
    for i in range(n):
        t = i / RATE
        f = 430 * (2.6 ** min(1.0, t / 0.11)) * (1 + 0.025 * math.sin(2 * math.pi * 38 * t))
        ph += 2 * math.pi * f / RATE
        ph2 += 2 * math.pi * f * 2.01 / RATE
        env = min(1.0, t / 0.006) * math.exp(-t / 0.055)
        v = env * (math.sin(ph) + 0.18 * math.sin(ph2) * math.exp(-t / 0.03))
        left.append(v)
        right.append(v * 0.92)
    return left, right


def sound_ghost():
    """An eerie descending glide with an echo: a closed loop was found."""
    n = seconds(0.8)
    dry = []
    ph1 = ph2 = 0.0
    body = 0.42
    for i in range(n):
        t = i / RATE
        if t < body:
            u = t / body
            f = 940 * (0.38 ** u) * (1 + 0.018 * math.sin(2 * math.pi * 6.2 * t))
            ph1 += 2 * math.pi * f / RATE
            ph2 += 2 * math.pi * f * 1.503 / RATE
            env = min(1.0, t / 0.04) * (1 - u) ** 0.6
            dry.append(env * (math.sin(ph1) + 0.25 * math.sin(ph2) + 0.12 * math.sin(3 * ph1)))
        else:
            dry.append(0.0)
    left, right = dry[:], [v * 0.6 for v in dry]
    for k, (delay, gain) in enumerate([(0.11, 0.5), (0.22, 0.33), (0.33, 0.2)]):
        d = seconds(delay)
        tgt, other = (right, left) if k % 2 == 0 else (left, right)
        for i in range(d, n):
            tgt[i] += gain * dry[i - d]
            other[i] += gain * 0.35 * dry[i - d]
    return lowpass(left, 5000), lowpass(right, 5000)


def sound_pongbounce():
    """A short wooden pop."""
    n = seconds(0.06)
    rng = random.Random(5)
    click = lowpass([rng.uniform(-1, 1) if i < 90 else 0.0 for i in range(n)], 3000)
    out = []
    for i in range(n):
        t = i / RATE
        v = (math.sin(2 * math.pi * 610 * t * (1 - 0.8 * t)) * math.exp(-t / 0.011)
             + 0.5 * math.sin(2 * math.pi * 1370 * t) * math.exp(-t / 0.006)
             + 0.25 * math.sin(2 * math.pi * 2480 * t) * math.exp(-t / 0.003)
             + 0.6 * click[i])
        out.append(v)
    return out, out[:]


def sound_crowd():
    """A crowd cheer: filtered noise that swells and fades, with claps."""
    n = seconds(2.5)
    rng = random.Random(2024)

    def envelope(t):
        return min(1.0, (t / 0.7) ** 1.5) * (1.0 if t < 1.7 else max(0.0, 1 - (t - 1.7) / 0.8) ** 1.3)

    chans = []
    for side in range(2):
        noise = [rng.uniform(-1, 1) for _ in range(n)]
        roar = bandpass(noise, 620, 0.7)
        hi = bandpass(noise, 1700, 1.1)
        lfo_p = rng.uniform(0, 6)
        ch = []
        for i in range(n):
            t = i / RATE
            wob = 0.8 + 0.2 * math.sin(2 * math.pi * 3.1 * t + lfo_p) * math.sin(2 * math.pi * 0.7 * t + side)
            ch.append(envelope(t) * wob * (roar[i] + 0.5 * hi[i]))
        chans.append(ch)
    # cheering voices: a few wobbly formant tones rising and falling
    for v in range(7):
        f0 = rng.uniform(380, 820)
        start, length = rng.uniform(0.2, 1.2), rng.uniform(0.6, 1.1)
        vib = rng.uniform(5, 7.5)
        pan = rng.uniform(0.2, 0.8)
        ph = 0.0
        for i in range(seconds(start), min(n, seconds(start + length))):
            t = i / RATE - start
            u = t / length
            f = f0 * (1 + 0.25 * math.sin(math.pi * u)) * (1 + 0.02 * math.sin(2 * math.pi * vib * t))
            ph += 2 * math.pi * f / RATE
            a = 0.07 * math.sin(math.pi * u) ** 2
            w = a * (math.sin(ph) + 0.4 * math.sin(2 * ph) + 0.2 * math.sin(3 * ph))
            chans[0][i] += w * (1 - pan)
            chans[1][i] += w * pan
    # claps: short bright noise bursts, densest in the middle
    for c in range(110):
        t0 = 0.15 + 2.1 * (rng.random() + rng.random()) / 2
        pan = rng.random()
        amp = 0.7 * envelope(t0) + 0.2
        i0 = seconds(t0)
        length = seconds(0.018)
        prev = 0.0
        for j in range(length):
            if i0 + j >= n:
                break
            wn = rng.uniform(-1, 1)
            hp = wn - prev          # first difference: a crisp, high burst
            prev = wn
            v = amp * hp * math.exp(-j / (RATE * 0.004)) * 0.55
            chans[0][i0 + j] += v * (1 - pan)
            chans[1][i0 + j] += v * pan
    return chans[0], chans[1]


# Sounds of the falling shapes: short and soft, since a move or a turn can
# come ten times a second for as long as a key is held.

def sound_move():
    """A soft wooden tick: a sideways step."""
    n = seconds(0.055)
    out = []
    for i in range(n):
        t = i / RATE
        out.append(math.sin(2 * math.pi * 1040 * t) * math.exp(-t / 0.008)
                   + 0.3 * math.sin(2 * math.pi * 2090 * t) * math.exp(-t / 0.004))
    out = lowpass(out, 4000)
    return out, [v * 0.9 for v in out]


def sound_turn():
    """A rounded two-step click that rises: a quarter turn."""
    n = seconds(0.075)
    out, ph = [], 0.0
    for i in range(n):
        t = i / RATE
        f = 720 if t < 0.022 else 1080
        ph += 2 * math.pi * f / RATE
        u = t if t < 0.022 else t - 0.022
        out.append(math.sin(ph) * math.exp(-u / 0.009) * (0.8 if t < 0.022 else 1.0))
    out = lowpass(out, 3500)
    return [v * 0.9 for v in out], out


def sound_land():
    """A muffled thud: the shape settles into the well."""
    n = seconds(0.18)
    rng = random.Random(31)
    knock = lowpass(lowpass([rng.uniform(-1, 1) if i < seconds(0.012) else 0.0 for i in range(n)], 900), 900)
    out, ph = [], 0.0
    for i in range(n):
        t = i / RATE
        ph += 2 * math.pi * (85 + 110 * math.exp(-t / 0.025)) / RATE
        out.append(math.sin(ph) * math.exp(-t / 0.045) + 1.6 * knock[i])
    return out, out[:]


def bell(f, n, decay):
    """A glassy bell: a fundamental and a bright, quicker inharmonic partial."""
    out = []
    for i in range(n):
        t = i / RATE
        out.append(min(1.0, t / 0.002) * (math.sin(2 * math.pi * f * t) * math.exp(-t / decay)
                                          + 0.25 * math.sin(2 * math.pi * 2.76 * f * t) * math.exp(-t / (decay / 4))))
    return out


def sound_row():
    """Two rising chimes, a fifth apart: a row is full."""
    n = seconds(0.6)
    left, right = [0.0] * n, [0.0] * n
    for k, (f, at) in enumerate([(784.0, 0.0), (1174.7, 0.07)]):
        start = seconds(at)
        b = bell(f, n - start, 0.16)
        pan = 0.35 + 0.3 * k
        for i, v in enumerate(b):
            left[start + i] += v * (1 - pan)
            right[start + i] += v * pan
    return lowpass(left, 6000), lowpass(right, 6000)


def sound_lost():
    """Three soft falling notes, the last one held and fading: the game is over."""
    n = seconds(1.5)
    left, right = [0.0] * n, [0.0] * n
    for k, (midi, at, hold) in enumerate([(69, 0.0, 0.22), (65, 0.24, 0.22), (62, 0.48, 0.75)]):
        f = 440.0 * 2 ** ((midi - 69) / 12.0)
        start = seconds(at)
        ph = 0.0
        for i in range(n - start):
            t = i / RATE
            env = min(1.0, t / 0.02) * (1.0 if t < hold else math.exp(-(t - hold) / 0.09))
            env *= math.exp(-t / 0.8)
            ph += 2 * math.pi * f * (1 + 0.006 * math.sin(2 * math.pi * 5 * t) * min(1.0, t / 0.3)) / RATE
            v = env * (math.sin(ph) + 0.3 * math.sin(2 * ph) + 0.12 * math.sin(3 * ph))
            pan = 0.4 + 0.1 * k
            left[start + i] += v * (1 - pan)
            right[start + i] += v * pan
    return lowpass(left, 2500), lowpass(right, 2500)


def sound_sent():
    """A quick airy swoosh that rises away: rows leave for the other well."""
    n = seconds(0.32)
    rng = random.Random(47)
    left, right = [0.0] * n, [0.0] * n
    low = band = ph = 0.0
    for i in range(n):
        t = i / RATE
        # noise through a state-variable band-pass whose centre sweeps up,
        # with a soft tone beside it, panned from left to right
        f = 2 * math.sin(math.pi * 500 * (5.0 ** min(1.0, t / 0.26)) / RATE)
        high = rng.uniform(-1, 1) - low - 0.4 * band
        band += f * high
        low += f * band
        ph += 2 * math.pi * 520 * (2.2 ** min(1.0, t / 0.2)) / RATE
        env = min(1.0, t / 0.03) * math.exp(-t / 0.09)
        v = env * (band + 0.35 * math.sin(ph))
        pan = 0.3 + 0.4 * min(1.0, t / 0.25)
        left[i] = v * (1 - pan)
        right[i] = v * pan
    return lowpass(left, 7000), lowpass(right, 7000)


def sound_arrived():
    """A low grinding heave of two knocks: junk rows push the well up."""
    n = seconds(0.42)
    rng = random.Random(53)
    grit = lowpass(lowpass([rng.uniform(-1, 1) for _ in range(n)], 500), 500)
    out, ph = [0.0] * n, 0.0
    for i in range(n):
        t = i / RATE
        ph += 2 * math.pi * (70 + 40 * min(1.0, t / 0.3)) / RATE
        env = min(1.0, t / 0.01) * math.exp(-t / 0.14)
        out[i] = env * (math.sin(ph) + 0.25 * math.sin(3 * ph) + 2.2 * grit[i])
    for at in (0.0, 0.11):
        start = seconds(at)
        for i in range(seconds(0.06)):
            t = i / RATE
            out[start + i] += 0.8 * math.sin(2 * math.pi * 160 * t) * math.exp(-t / 0.015)
    out = lowpass(out, 1800)
    return out, [v * 0.95 for v in out]


def make_sounds(outdir):
    wavdir = os.path.join(outdir, "wavs")
    os.makedirs(wavdir, exist_ok=True)
    for name, fn, peak in [("bonus.wav", sound_bonus, -7.0), ("ghost.wav", sound_ghost, -4.0),
                           ("pongbounce.wav", sound_pongbounce, -3.0), ("crowd.wav", sound_crowd, -3.0),
                           ("move.wav", sound_move, -16.0), ("turn.wav", sound_turn, -16.0),
                           ("land.wav", sound_land, -9.0), ("row.wav", sound_row, -9.0),
                           ("lost.wav", sound_lost, -7.0), ("sent.wav", sound_sent, -13.0),
                           ("arrived.wav", sound_arrived, -10.0)]:
        left, right = fn()
        with open(os.path.join(wavdir, name), "wb") as f:
            f.write(wav_bytes(left, right, peak))


# ---------------------------------------------------------------- music
# A calm piece in D minor at 84 beats a minute: pad, bass, a soft electric
# piano arpeggio, a melody in the second half and a light pulse.

BEAT = 60.0 / 84
BAR = 4 * BEAT
CHORDS = {  # root for the bass, then the voicing of the pad
    "Dm": (38, [57, 62, 65, 69]), "Bb": (46, [58, 62, 65, 70]), "F": (41, [57, 60, 65, 69]),
    "C": (48, [55, 60, 64, 67]), "Gm": (43, [55, 58, 62, 67]), "A": (45, [57, 61, 64, 69]),
}
SONG = ["Dm", "Bb", "Dm", "Bb", "F", "C", "Dm", "Bb", "Gm", "A",
        "Dm", "Bb", "F", "C", "Gm", "Bb", "A", "Dm"]
# (bar, beat, length in beats, midi note)
MELODY = [
    (10, 0, 1, 69), (10, 1, 0.5, 65), (10, 1.5, 0.5, 67), (10, 2, 2, 69),
    (11, 0, 1.5, 74), (11, 1.5, 0.5, 72), (11, 2, 2, 69),
    (12, 0, 1, 72), (12, 1, 1, 69), (12, 2, 1, 67), (12, 3, 1, 65),
    (13, 0, 3, 64), (13, 3, 1, 67),
    (14, 0, 1, 74), (14, 1, 0.5, 70), (14, 1.5, 0.5, 72), (14, 2, 2, 74),
    (15, 0, 1, 77), (15, 1, 1, 74), (15, 2, 1, 72), (15, 3, 1, 70),
    (16, 0, 2, 69), (16, 2, 2, 73),
    (17, 0, 4, 74),
]
ARP = [0, 1, 2, 3, 2, 1, 0, 2]     # chord-tone order of the eight quavers of a bar


def hz(midi):
    return 440.0 * 2 ** ((midi - 69) / 12.0)


def wavetable(partials, size=4096):
    t = [sum(a * math.sin(2 * math.pi * (h * i / size)) for h, a in partials) for i in range(size)]
    peak = max(abs(v) for v in t)
    return [v / peak for v in t]


PAD_TABLE = wavetable([(1, 1.0), (2, 0.32), (3, 0.14), (4, 0.05)])
LEAD_TABLE = wavetable([(1, 1.0), (3, 0.11), (5, 0.04), (2, 0.08)])


def osc(table, f, n, detune=1.0, vib=0.0, vib_rate=5.0):
    size = len(table)
    mask = size - 1
    inc = f * detune * size / RATE
    ph, out = 0.0, []
    app = out.append
    if vib:
        for i in range(n):
            app(table[int(ph) & mask])
            ph += inc * (1 + vib * math.sin(2 * math.pi * vib_rate * i / RATE))
    else:
        for i in range(n):
            app(table[int(ph) & mask])
            ph += inc
    return out


_note_cache = {}


def note(kind, midi, beats):
    key = (kind, midi, beats)
    if key in _note_cache:
        return _note_cache[key]
    f = hz(midi)
    hold = beats * BEAT
    if kind == "pad":
        rel = 0.9
        n = seconds(hold + rel)
        a = osc(PAD_TABLE, f, n, 1.0023)
        b = osc(PAD_TABLE, f, n, 0.9977)
        att = seconds(0.45)
        h = seconds(hold)
        out = []
        for i in range(n):
            e = min(1.0, i / att) if i < h else math.exp(-(i - h) / (RATE * rel / 4))
            out.append(e * (a[i] + b[i]) * 0.5)
        out = lowpass(out, 2200)
    elif kind == "keys":
        n = seconds(1.1)
        out = []
        w = 2 * math.pi * f / RATE
        for i in range(n):
            t = i / RATE
            index = 1.4 * math.exp(-t / 0.18)
            out.append(math.exp(-t / 0.32) * min(1.0, t / 0.004) * math.sin(w * i + index * math.sin(w * i)))
    elif kind == "bass":
        n = seconds(hold + 0.2)
        w = 2 * math.pi * f / RATE
        out = []
        for i in range(n):
            t = i / RATE
            e = min(1.0, t / 0.01) * (0.55 + 0.45 * math.exp(-t / 0.25)) * (1.0 if t < hold else math.exp(-(t - hold) / 0.05))
            out.append(e * (math.sin(w * i) + 0.28 * math.sin(2 * w * i) + 0.08 * math.sin(3 * w * i)))
    elif kind == "lead":
        n = seconds(hold + 0.35)
        body = osc(LEAD_TABLE, f, n, 1.0, vib=0.004, vib_rate=5.2)
        h = seconds(hold)
        out = []
        for i in range(n):
            t = i / RATE
            e = min(1.0, t / 0.03) * (0.75 + 0.25 * math.exp(-t / 0.2))
            if i >= h:
                e *= math.exp(-(i - h) / (RATE * 0.09))
            out.append(e * body[i])
        out = lowpass(out, 3200)
    elif kind == "kick":
        n = seconds(0.32)
        out, ph = [], 0.0
        for i in range(n):
            t = i / RATE
            ph += 2 * math.pi * (48 + 70 * math.exp(-t / 0.03)) / RATE
            out.append(math.exp(-t / 0.09) * min(1.0, t / 0.002) * math.sin(ph))
    elif kind == "shaker":
        rng = random.Random(midi)
        n = seconds(0.07)
        raw = [rng.uniform(-1, 1) for _ in range(n)]
        hp = [raw[i] - raw[i - 1] if i else 0.0 for i in range(n)]
        out = [v * math.exp(-i / (RATE * 0.018)) * min(1.0, i / 60) for i, v in enumerate(hp)]
    _note_cache[key] = out
    return out


def add_into(buf, start, samples, gain):
    end = min(len(buf), start + len(samples))
    if end <= start:
        return
    seg = buf[start:end]
    buf[start:end] = array("d", [a + gain * b for a, b in zip(seg, samples)])


def stereo_delay(left, right, delay, feedback, mix_):
    """Ping-pong echo, processed a delay-length block at a time."""
    d = seconds(delay)
    n = len(left)
    el, er = array("d", bytes(8 * n)), array("d", bytes(8 * n))
    for s0 in range(d, n, d):
        s1 = min(n, s0 + d)
        m = s1 - s0
        src_l, src_r = left[s0 - d:s0 - d + m], right[s0 - d:s0 - d + m]
        fb_l, fb_r = el[s0 - d:s0 - d + m], er[s0 - d:s0 - d + m]
        # left echoes into right and back
        er[s0:s1] = array("d", [a + feedback * b for a, b in zip(src_l, fb_l)])
        el[s0:s1] = array("d", [a + feedback * b for a, b in zip(src_r, fb_r)])
    return (array("d", [a + mix_ * b for a, b in zip(left, el)]),
            array("d", [a + mix_ * b for a, b in zip(right, er)]))


def render_music():
    total = len(SONG) * BAR + 3.0
    n = seconds(total)
    L, R = array("d", bytes(8 * n)), array("d", bytes(8 * n))
    fxL, fxR = array("d", bytes(8 * n)), array("d", bytes(8 * n))
    for bar, name in enumerate(SONG):
        root, voicing = CHORDS[name]
        t0 = bar * BAR
        last = bar == len(SONG) - 1
        pad_len = 6 if last else 4
        for k, m in enumerate(voicing):
            pan = 0.3 + 0.4 * k / 3
            v = note("pad", m, pad_len)
            g = 0.11 if bar > 1 else 0.11 * (0.5 + 0.5 * bar)
            add_into(L, seconds(t0), v, g * (1 - pan))
            add_into(R, seconds(t0), v, g * pan)
        if 2 <= bar < len(SONG) - 1:
            for half in range(2):
                v = note("bass", root, 1.8)
                add_into(L, seconds(t0 + half * 2 * BEAT), v, 0.30)
                add_into(R, seconds(t0 + half * 2 * BEAT), v, 0.30)
            tones = sorted(voicing)
            for q in range(8):
                m = tones[ARP[q]] + 12
                v = note("keys", m, 0.5)
                pan = 0.25 + 0.5 * (q % 2)
                g = 0.075 if q % 4 == 0 else 0.06
                add_into(L, seconds(t0 + q * BEAT / 2), v, g * (1 - pan))
                add_into(R, seconds(t0 + q * BEAT / 2), v, g * pan)
                add_into(fxL, seconds(t0 + q * BEAT / 2), v, g * 0.5)
            for beat in (0, 2):
                v = note("kick", 0, 0)
                add_into(L, seconds(t0 + beat * BEAT), v, 0.22)
                add_into(R, seconds(t0 + beat * BEAT), v, 0.22)
            if bar >= 6:
                for q in range(8):
                    v = note("shaker", q, 0)
                    g = 0.05 if q % 2 else 0.025
                    pan = 0.65
                    add_into(L, seconds(t0 + q * BEAT / 2), v, g * (1 - pan))
                    add_into(R, seconds(t0 + q * BEAT / 2), v, g * pan)
    for bar, beat, length, m in MELODY:
        v = note("lead", m, length)
        t = bar * BAR + beat * BEAT
        add_into(L, seconds(t), v, 0.13)
        add_into(R, seconds(t), v, 0.12)
        add_into(fxR, seconds(t), v, 0.09)
    fxL, fxR = stereo_delay(fxL, fxR, 0.75 * BEAT, 0.45, 1.0)
    L = array("d", [a + b for a, b in zip(L, fxL)])
    R = array("d", [a + b for a, b in zip(R, fxR)])
    # gentle fade over the last two seconds
    f0 = n - seconds(2.0)
    for i in range(f0, n):
        g = (n - i) / (n - f0)
        L[i] *= g
        R[i] *= g
    return L, R


# ---------------------------------------------------------------- looping tunes
# The menu's and the play screen's music play over and over, so each is a
# whole number of bars rendered round a circle: a note or an echo that rings
# past the last bar goes on at the first, and the last sample leads into the
# first as any two neighbours do. They are encoded with lame's gapless info
# (encoder delay and padding in its info frame), which the mixer's MP3
# decoder uses to give back exactly the rendered samples, so the seam is as
# smooth as the rest. Nothing fades at either end.

def add_looped(buf, start, samples, gain):
    """add_into, wrapping what runs past the end round to the beginning."""
    n = len(buf)
    start %= n
    done = 0
    while done < len(samples):
        take = min(n - start, len(samples) - done)
        add_into(buf, start, samples[done:done + take], gain)
        done += take
        start = 0


def looped_delay(left, right, delay, feedback, mix_):
    """stereo_delay of an endless loop: run over two turns, keep the second,
    whose echoes carry on from the end of the first."""
    n = len(left)
    l2, r2 = stereo_delay(left + left, right + right, delay, feedback, mix_)
    return l2[n:], r2[n:]


_voice_cache = {}


def voice(kind, midi, seconds_):
    """One note of the looping tunes' instruments, cached by its arguments."""
    key = (kind, midi, seconds_)
    if key in _voice_cache:
        return _voice_cache[key]
    f = hz(midi)
    w = 2 * math.pi * f / RATE
    if kind == "glass":          # a soft mallet on glass: sine with a quick bright partial
        n = seconds(seconds_)
        out = [min(1.0, i / 90) * (math.sin(w * i) * math.exp(-i / (RATE * 0.55))
                                   + 0.18 * math.sin(4.0 * w * i) * math.exp(-i / (RATE * 0.09)))
               for i in range(n)]
    elif kind == "flute":        # breathy sine with a slow vibrato
        n = seconds(seconds_ + 0.3)
        rng = random.Random(midi)
        breath = lowpass([rng.uniform(-1, 1) for _ in range(n)], 1800)
        hold = seconds(seconds_)
        out, ph = [], 0.0
        for i in range(n):
            t = i / RATE
            ph += w * (1 + 0.005 * math.sin(2 * math.pi * 4.6 * t) * min(1.0, t / 0.4))
            e = min(1.0, t / 0.08) * (1.0 if i < hold else math.exp(-(i - hold) / (RATE * 0.07)))
            out.append(e * (math.sin(ph) + 0.08 * math.sin(2 * ph) + 0.05 * breath[i]))
    elif kind == "warm":         # a slow-swelling pad of two detuned soft triangles
        n = seconds(seconds_ + 1.2)
        hold = seconds(seconds_)
        out = []
        for i in range(n):
            t = i / RATE
            e = min(1.0, t / 0.9) * (1.0 if i < hold else math.exp(-(i - hold) / (RATE * 0.35)))
            a = (2 / math.pi) * math.asin(math.sin(w * 1.003 * i))
            b = (2 / math.pi) * math.asin(math.sin(w * 0.997 * i + 1.3))
            out.append(e * 0.5 * (a + b))
        out = lowpass(lowpass(out, 1500), 1500)
    elif kind == "sub":          # round bass
        n = seconds(seconds_ + 0.15)
        hold = seconds(seconds_)
        out = [min(1.0, i / 300) * (1.0 if i < hold else math.exp(-(i - hold) / (RATE * 0.04)))
               * (math.sin(w * i) + 0.15 * math.sin(2 * w * i)) for i in range(n)]
    elif kind == "pluck":        # plucked string (Karplus-Strong) from seeded noise
        n = seconds(seconds_)
        # the averaging step delays by half a sample, so the loop is half a
        # sample shorter; its fraction is read between two samples
        d = RATE / f - 0.5
        p = int(d)
        fr = d - p
        rng = random.Random(1000 + midi)
        out = lowpass([rng.uniform(-1, 1) for _ in range(p + 2)], 3000)
        for i in range(p + 2, n):
            a = (1 - fr) * out[i - p] + fr * out[i - p - 1]
            b = (1 - fr) * out[i - p - 1] + fr * out[i - p - 2]
            out.append(0.498 * (a + b))
        out = lowpass([v * min(1.0, i / 40) for i, v in enumerate(out[:n])], 2600)
    elif kind == "thump":        # a soft low drum
        n = seconds(0.3)
        out, ph = [], 0.0
        for i in range(n):
            t = i / RATE
            ph += 2 * math.pi * (52 + 55 * math.exp(-t / 0.025)) / RATE
            out.append(math.exp(-t / 0.08) * min(1.0, t / 0.003) * math.sin(ph))
    elif kind == "brush":        # a brushed hat: filtered noise
        rng = random.Random(77 + midi)
        n = seconds(0.09)
        raw = bandpass([rng.uniform(-1, 1) for _ in range(n)], 6500, 0.9)
        out = [v * math.exp(-i / (RATE * 0.02)) * min(1.0, i / 80) for i, v in enumerate(raw)]
    fade = seconds(0.005)     # every voice ends at rest, whatever its decay
    for i in range(1, fade + 1):
        out[-i] *= 0.5 - 0.5 * math.cos(math.pi * (i - 1) / fade)
    _voice_cache[key] = out
    return out


def pan_into(L, R, at, samples, gain, pan):
    add_looped(L, seconds(at), samples, gain * (1 - pan))
    add_looped(R, seconds(at), samples, gain * pan)


# The menu: G major at 72 beats a minute, 16 bars (53.3 s); glass mallets,
# a warm pad, a round bass and, in the second half, a flute.
MENU_BEAT = 60.0 / 72
MENU_CHORDS = {  # bass, pad voicing
    "G": (43, [59, 62, 66, 69]), "Em": (40, [59, 62, 66, 67]), "C": (36, [59, 64, 67, 71]),
    "D": (38, [57, 62, 66, 69]), "Am": (45, [60, 64, 67, 69]), "Bm": (47, [57, 62, 66, 69]),
    "Dsus": (38, [57, 62, 67, 69]),
}
MENU_SONG = ["G", "Em", "C", "D", "G", "Em", "Am", "D", "C", "Bm", "Em", "G", "C", "Am", "Dsus", "D"]
MENU_MALLET = [(0, 0), (1.5, 2), (3, 1), (4, 3), (5.5, 2), (7, 1)]   # (quaver, chord tone)
MENU_FLUTE = [  # (bar, beat, beats, midi)
    (8, 0, 3, 76), (8, 3, 1, 74), (9, 0, 2, 74), (9, 2, 2, 71),
    (10, 0, 3, 71), (10, 3, 1, 74), (11, 0, 4, 74),
    (12, 0, 2, 76), (12, 2, 1, 79), (12, 3, 1, 76), (13, 0, 3, 72), (13, 3, 1, 71),
    (14, 0, 2, 69), (14, 2, 2, 67), (15, 0, 4, 66),
]


def render_menu_tune():
    beat = MENU_BEAT
    bar = 4 * beat
    n = seconds(len(MENU_SONG) * bar)
    L, R = array("d", bytes(8 * n)), array("d", bytes(8 * n))
    fxL, fxR = array("d", bytes(8 * n)), array("d", bytes(8 * n))
    for b, name in enumerate(MENU_SONG):
        root, voicing = MENU_CHORDS[name]
        t0 = b * bar
        for k, m in enumerate(voicing):
            pan_into(L, R, t0, voice("warm", m, bar), 0.10, 0.25 + 0.5 * k / 3)
        pan_into(L, R, t0, voice("sub", root, 2.5 * beat), 0.34, 0.5)
        pan_into(L, R, t0 + 3 * beat, voice("sub", root + 7, 0.9 * beat), 0.22, 0.5)
        tones = sorted(voicing)
        for q, tone in MENU_MALLET:
            m = tones[tone] + 12
            v = voice("glass", m, 2.0)
            pan = 0.3 if q % 2 == 0 else 0.7
            pan_into(L, R, t0 + q * beat / 2, v, 0.10, pan)
            add_looped(fxL, seconds(t0 + q * beat / 2), v, 0.05)
    for b, at, beats, m in MENU_FLUTE:
        v = voice("flute", m, beats * beat * 0.95)
        t = b * bar + at * beat
        pan_into(L, R, t, v, 0.17, 0.55)
        add_looped(fxR, seconds(t), v, 0.07)
    fxL, fxR = looped_delay(fxL, fxR, 0.75 * beat, 0.4, 1.0)
    return (array("d", [a + b for a, b in zip(L, fxL)]), array("d", [a + b for a, b in zip(R, fxR)]))


# The play screen: A minor at 100 beats a minute, 20 bars (48 s); plucked
# strings in a steady quaver pattern, a pad, bass, a soft drum and brushes:
# a pulse to play along to that stays out of the way.
PLAY_BEAT = 60.0 / 100
PLAY_CHORDS = {
    "Am": (45, [57, 60, 64, 67]), "F": (41, [57, 60, 64, 65]), "C": (48, [55, 60, 64, 67]),
    "G": (43, [55, 59, 62, 67]), "Dm": (50, [57, 62, 65, 69]), "E": (40, [56, 59, 64, 68]),
    "Em": (40, [55, 59, 64, 67]),
}
PLAY_SONG = ["Am", "F", "C", "G", "Am", "F", "C", "G", "Dm", "Am", "F", "G",
             "Dm", "Am", "F", "E", "Am", "F", "Em", "E"]
PLAY_PLUCKS = [0, 2, 1, 3, 2, 1, 3, 2]   # chord tone of each quaver


def render_play_tune():
    beat = PLAY_BEAT
    bar = 4 * beat
    n = seconds(len(PLAY_SONG) * bar)
    L, R = array("d", bytes(8 * n)), array("d", bytes(8 * n))
    fxL, fxR = array("d", bytes(8 * n)), array("d", bytes(8 * n))
    for b, name in enumerate(PLAY_SONG):
        root, voicing = PLAY_CHORDS[name]
        t0 = b * bar
        for k, m in enumerate(voicing):
            pan_into(L, R, t0, voice("warm", m, bar), 0.07, 0.3 + 0.4 * k / 3)
        for half in range(2):
            pan_into(L, R, t0 + half * 2 * beat, voice("sub", root - 12 if root >= 48 else root, 1.4 * beat), 0.30, 0.5)
            pan_into(L, R, t0 + (half * 2 + 1.5) * beat, voice("sub", root + 12 if root < 48 else root, 0.4 * beat), 0.16, 0.5)
        tones = sorted(voicing)
        for q, tone in enumerate(PLAY_PLUCKS):
            v = voice("pluck", tones[tone] + 12, 1.2)
            pan = 0.3 + 0.4 * (q % 2)
            g = 0.14 if q % 4 == 0 else 0.11
            pan_into(L, R, t0 + q * beat / 2, v, g, pan)
            add_looped(fxR, seconds(t0 + q * beat / 2), v, g * 0.4)
        for k in (0, 2):
            pan_into(L, R, t0 + k * beat, voice("thump", 0, 0), 0.22, 0.5)
        for q in range(8):
            pan_into(L, R, t0 + q * beat / 2, voice("brush", q % 2, 0), 0.035 if q % 2 else 0.02, 0.62)
    fxL, fxR = looped_delay(fxL, fxR, 0.75 * beat, 0.35, 1.0)
    return (array("d", [a + b for a, b in zip(L, fxL)]), array("d", [a + b for a, b in zip(R, fxR)]))


def make_music(outdir):
    mp3dir = os.path.join(outdir, "mp3s")
    os.makedirs(mp3dir, exist_ok=True)
    lame = shutil.which("lame")
    if not lame:
        sys.exit("make_assets: lame is not installed (apt-get install lame)")
    tmp = tempfile.mkdtemp(prefix="tubrix-music-")
    try:
        # the loops are not faded; the play tune's steadier pulse is louder
        # at the same peak, so it peaks lower to sound as loud as the menu's
        for name, render, peak, fade in [(MUSIC_NAME, render_music, -1.5, True),
                                         (MENU_MUSIC_NAME, render_menu_tune, -1.5, False),
                                         (PLAY_MUSIC_NAME, render_play_tune, -3.5, False)]:
            L, R = render()
            wav = os.path.join(tmp, "music.wav")
            mp3 = os.path.join(tmp, "music.mp3")
            with open(wav, "wb") as f:
                f.write(wav_bytes(L, R, peak, fade))
            # constant 128 kbit/s joint stereo; no tags beyond lame's own info
            # frame, which also carries the gapless lengths
            subprocess.run([lame, "--quiet", "--noreplaygain", "-b", "128", "--cbr", "-m", "j", "-q", "2",
                            wav, mp3], check=True)
            shutil.copyfile(mp3, os.path.join(mp3dir, name))
    finally:
        shutil.rmtree(tmp)


# ---------------------------------------------------------------- contact sheets
# Screens put together from the generated files at the positions, scales and
# tints the game draws them with, so the look can be judged without a build.

MARKER = (0x64, 0x50, 0xE1)
# The score lists' grey: light, so that it reads on the dark well.
LIST_GREY = (0xD0, 0xD0, 0xD0, 255)
SCORE_GREY = (0xE0, 0xE0, 0xE0, 255)


def frame_of(im, frames, cols, rows, f):
    fw, fh = im.width // cols, im.height // rows
    return im.crop(((f % cols) * fw, (f // cols) * fh, (f % cols + 1) * fw, (f // cols + 1) * fh))


def blit(screen, im, x, y, scale=1.0, alpha=255):
    im = im.convert("RGBA")
    if scale != 1.0:
        im = im.resize((max(1, int(round(im.width * scale))), max(1, int(round(im.height * scale)))), Image.BILINEAR)
    if alpha != 255:
        im.putalpha(im.getchannel("A").point(lambda v: v * alpha // 255))
    lay = Image.new("RGBA", screen.size, (0, 0, 0, 0))
    lay.paste(im, (int(round(x)), int(round(y))))
    screen.alpha_composite(lay)


def sheet_text(screen, x, y, s, size, colour, path=SHEET_FONT):
    d = ImageDraw.Draw(screen)
    d.text((x, y), s, font=font(size, path), fill=colour)


def sheet_width(s, size, path=SHEET_FONT_BOLD):
    return font(size, path).getlength(s)


# The overlay lines the play screen writes with the default keys, centred in
# their boxes (screens/overlaylines.h).
OVERLAY_LINE_CENTRES = [(201, 321), (201, 348)]


def sheet_overlay_lines(screen, lines):
    d = ImageDraw.Draw(screen)
    for (x, y), (s, size, colour) in zip(OVERLAY_LINE_CENTRES, lines):
        d.text((x, y), s, font=font(size, BOLD), fill=colour, anchor="mm")


def blank_screen():
    return Image.new("RGBA", (713, 653), (255, 255, 255, 255))


def sheet_menu(im):
    sc = blank_screen()
    blit(sc, im["menu.png"], 0, 0, 0.7)
    for n, (x, y) in enumerate(LEVEL_POS):
        f = 1 if n == 3 else 0
        blit(sc, frame_of(im["level_button_%d-3-1-3.png" % n], 3, 1, 3, f), x, y, 0.7, 0x96)
    blit(sc, frame_of(im["instruction_button-3-1-3.png"], 3, 1, 3, 0), 50, 535, 0.6, 0xC8)
    sheet_menu_side_buttons(sc, im)
    blit(sc, im["pointer.png"], 452, 522)
    return sc


def sheet_menu_side_buttons(sc, im):
    blit(sc, frame_of(im["versus_button-3-1-3.png"], 3, 1, 3, 0), MENU_SIDE_X, MENU_SIDE_Y[0], 0.6, 0xC8)
    blit(sc, frame_of(im["scores_button-3-1-3.png"], 3, 1, 3, 0), MENU_SIDE_X, MENU_SIDE_Y[1], 0.6, 0xC8)
    blit(sc, frame_of(im["settings_button-3-1-3.png"], 3, 1, 3, 1), MENU_SIDE_X, MENU_SIDE_Y[2], 0.6, 0xC8)


SHEET_TEXT = (0xEA, 0xF0, 0xF7, 255)
SHEET_MARK = (0xFF, 0xB0, 0x3C, 255)
SHEET_DIM = (0x96, 0xB2, 0xC6, 255)


def sheet_settings(im):
    sc = blank_screen()
    blit(sc, im["settings.png"], 0, 0, 0.7)
    keys = [("LEFT", "DPADLEFT"), ("RIGHT", "DPADRIGHT"), ("Z", "B"), ("...", "A"), ("DOWN", "DPADDOWN"),
            ("SPACE", "START"), ("P", "Y"), ("ESCAPE", "BACK")]
    for i, (k, p) in enumerate(keys):
        y = SETTINGS_ROW_TOP + SETTINGS_ROW_STEP * i + 6
        for x, t in ((sum(SETTINGS_KEY_X) / 2, k), (sum(SETTINGS_PAD_X) / 2, p)):
            sheet_text(sc, x - sheet_width(t, 17) / 2, y, t, 17, SHEET_MARK if t == "..." else SHEET_TEXT,
                       SHEET_FONT_BOLD)
    for k, t in enumerate(["7", "10", "OFF", "ON"]):
        y = SETTINGS_OPTION_TOP + SETTINGS_OPTION_STEP * k + 6
        sheet_text(sc, sum(SETTINGS_KEY_X) / 2 - sheet_width(t, 17) / 2, y, t, 17, SHEET_TEXT, SHEET_FONT_BOLD)
    for n, (b, t) in enumerate(zip(SETTINGS_PLAYER_TABS, ["PLAYER 1", "PLAYER 2"])):
        sheet_text(sc, (b[0] + b[2]) / 2 - sheet_width(t, 17) / 2, b[1] + 6, t, 17,
                   SHEET_TEXT if n == 0 else SHEET_DIM, SHEET_FONT_BOLD)
    for k, t in enumerate(["ON RELEASE", "170 MS", "50 MS"]):
        y = SETTINGS_OPTION_TOP + SETTINGS_OPTION_STEP * k + 6
        sheet_text(sc, sum(SETTINGS_MOVES_X) / 2 - sheet_width(t, 17) / 2, y, t, 17, SHEET_TEXT, SHEET_FONT_BOLD)
    sheet_text(sc, 40, 606, "Z is already used: Rotate counter-clockwise, player 1", 15, SHEET_MARK,
               SHEET_FONT_BOLD)
    blit(sc, frame_of(im["defaults_button-3-1-3.png"], 3, 1, 3, 0), 440, 590, 0.7, 0xC8)
    blit(sc, frame_of(im["main_button-3-1-3.png"], 3, 1, 3, 0), 580, 590, 0.7, 0xC8)
    return sc


def sheet_scores(im):
    sc = blank_screen()
    blit(sc, im["scores.png"], 0, 0, 0.7)
    games = [("Ada", 48210, 5, 61, 240, "2024-03-02"), ("Grace", 30112, 3, 44, 180, "2024-03-01"),
             ("Linus_", 12840, 0, 30, 96, "2024-03-03"), ("Ken", 9120, 2, 21, 70, "2024-02-27")]
    for line, g in enumerate(games):
        cells = [str(line + 1)] + [str(v) for v in g]
        y = SCORE_LINE_TOP + SCORE_LINE_STEP * line + 8
        for x, t in zip(SCORE_COLUMNS, cells):
            sheet_text(sc, x + 6, y, t, 17, SHEET_MARK if line == 2 else SHEET_TEXT, SHEET_FONT_BOLD)
    sheet_text(sc, SCORE_PROMPT[0] + 6, SCORE_PROMPT[1] + 8,
               "A new high score! Type your name, then press Enter.", 17, SHEET_MARK, SHEET_FONT_BOLD)
    return sc


def sheet_instructions(im):
    sc = blank_screen()
    blit(sc, im["instruction.png"], 0, 0, 0.7)
    blit(sc, frame_of(im["main_button-3-1-3.png"], 3, 1, 3, 0), 580, 590, 0.7, 0xC8)
    blit(sc, frame_of(im["play_button-3-1-3.png"], 3, 1, 3, 1), 580, 520, 0.7, 0xC8)
    blit(sc, im["pointer.png"], 640, 546)
    return sc


# (column, row, colourIndex, pipeShape, rotation) of a small game in progress
BOARD = [
    (0, 23, 0, 1, 1), (1, 23, 0, 3, 3), (2, 23, 2, 2, 2), (3, 23, 2, 1, 1), (4, 23, 5, 0, 0), (5, 23, 5, 1, 1),
    (6, 23, 5, 3, 3), (7, 23, 5, 4, 3), (9, 23, 3, 1, 0), (10, 23, 3, 3, 1), (11, 23, 6, 2, 0),
    (0, 22, 0, 1, 0), (1, 22, 1, 1, 0), (2, 22, 2, 3, 0), (3, 22, 2, 0, 0), (6, 22, 4, 1, 0), (7, 22, 4, 2, 1),
    (8, 22, 4, 3, 3), (9, 22, 3, 0, 0), (10, 22, 6, 1, 1), (11, 22, 6, 3, 2),
    (0, 21, 1, 4, 2), (1, 21, 1, 3, 1), (2, 21, 1, 1, 1), (7, 21, 4, 4, 2), (10, 21, 6, 2, 2), (11, 21, 6, 4, 3),
]
FLOWED = {(4, 23), (5, 23), (6, 23), (3, 23), (3, 22), (2, 22), (2, 23)}


def draw_piece(sc, im, col, row, colour, shape, rot, flowed=False, x=None, y=None):
    name = "piece_9-20-5-4.png" if flowed else "piece_%d-20-5-4.png" % colour
    fx = 70 + 22 * col if x is None else x
    fy = 84 + 22 * row if y is None else y
    blit(sc, frame_of(im[name], 20, 5, 4, rot * 5 + shape), fx, fy, 0.7, 235 if flowed else 255)


def sheet_play(im, mode):
    sc = blank_screen()
    blit(sc, im["bg3.png"], 0, 0, 0.7)
    hud = [("3", 215, 12), ("18420", 424, 56), ("37", 432, 129), ("96", 440, 205), ("14", 434, 279), ("8", 432, 360)]
    for s, x, y in hud:
        sheet_text(sc, x, y, s, 32, (0xF0, 0xF0, 0xFF, 0xB4))
    for (c, r, ci, sh, ro) in BOARD:
        draw_piece(sc, im, c, r, ci, sh, ro, mode == "running" and (c, r) in FLOWED)
    # the falling T shape and an L shape waiting in the preview
    for (i, j, sh, ro) in [(2, 1, 1, 0), (1, 2, 3, 1), (2, 2, 2, 2), (3, 2, 1, 1)]:
        draw_piece(sc, im, 4 + i, 13 + j, 4, sh, ro)
    for (i, j, sh, ro) in [(3, 1, 4, 2), (1, 2, 1, 1), (2, 2, 0, 0), (3, 2, 3, 3)]:
        draw_piece(sc, im, 16 + i, 18 + j, 1, sh, ro)
    f_start = 2 if mode == "running" else 0
    blit(sc, frame_of(im["start_button2-3-1-3.png"], 3, 1, 3, f_start), 420, 600, 0.65)
    blit(sc, frame_of(im["pause_button2-3-1-3.png"], 3, 1, 3, 1 if mode == "running" else 0), 515, 600, 0.65)
    blit(sc, frame_of(im["stop_button2-3-1-3.png"], 3, 1, 3, 0), 585, 600, 0.65)
    if mode == "running":
        lf = SHEET_FONT_BOLD
        for n, s in enumerate(["7 Block Pipe", "+ 4 Block Pipe"]):
            sheet_text(sc, 342 - sheet_width(s, 15), 108 + 20 * n, s, 15, (255, 255, 255, 255), lf)
        sheet_text(sc, 355, 108, "New", 15, MARKER + (255,), lf)
        sheet_text(sc, 355, 128, "High!", 15, MARKER + (255,), lf)
        s = "pts : 88"
        sheet_text(sc, 342 - sheet_width(s, 15), 148, s, 15, LIST_GREY, lf)
        sheet_text(sc, 355, 148, "2x", 15, MARKER + (255,), lf)
        sheet_text(sc, 355, 168, "Bonus", 15, MARKER + (255,), lf)
        sheet_text(sc, 60, 108, "4 Block Cycle", 15, LIST_GREY, lf)
        sheet_text(sc, 10, 108, "New", 15, MARKER + (255,), lf)
        sheet_text(sc, 2, 128, "High!", 15, MARKER + (255,), lf)
        sheet_text(sc, 60, 128, "pts : 512", 15, (255, 255, 255, 255), lf)
        blit(sc, im["juice.png"], 61, 240, 0.7, 230)
    elif mode == "idle":
        blit(sc, im["game_info.png"], 61, 240, 0.7, 0xE6)
        sheet_overlay_lines(sc, [("Press START or SPACE", 19, SHEET_TEXT)])
    elif mode == "paused":
        blit(sc, im["paused.png"], 61, 240, 0.7, 0xE6)
        sheet_overlay_lines(sc, [("START or SPACE to resume", 17, SHEET_TEXT),
                                 ("ESC leaves the game", 13, (150, 178, 198, 255))])
    elif mode == "gameover":
        blit(sc, im["game_over.png"], 61, 240, 0.7, 0xE6)
        blit(sc, frame_of(im["yes_button-3-1-3.png"], 3, 1, 3, 1), 130, 332, 0.5)
        blit(sc, frame_of(im["no_button-3-1-3.png"], 3, 1, 3, 0), 225, 332, 0.5)
    blit(sc, im["pointer.png"], 560, 620 if mode != "gameover" else 150)
    return sc


def sheet_pieces(im):
    """Every piece sheet at twice size, and a joined network at game size."""
    sc = Image.new("RGBA", (713, 960), (22, 30, 44, 255))
    for n, name in enumerate(["piece_%d-20-5-4.png" % i for i in range(7)] + ["piece_9-20-5-4.png"]):
        x, y = 10 + (n % 2) * 350, 10 + (n // 2) * 180
        blit(sc, im[name], x, y + 18, 1.25)
        sheet_text(sc, x, y, name, 14, (220, 230, 240, 255), SHEET_FONT_BOLD)
    sheet_text(sc, 10, 732, "joined at game size (scale 0.7):", 14, (220, 230, 240, 255), SHEET_FONT_BOLD)
    net = [(0, 0, 5, 3, 1), (1, 0, 5, 1, 1), (2, 0, 5, 2, 2), (3, 0, 5, 3, 2), (2, 1, 4, 1, 0), (3, 1, 4, 3, 0),
           (0, 1, 5, 1, 0), (0, 2, 6, 3, 0), (1, 2, 6, 0, 0), (2, 2, 6, 3, 3), (1, 3, 6, 4, 2), (1, 1, 1, 4, 0)]
    for (c, r, ci, sh, ro) in net:
        draw_piece(sc, im, 0, 0, ci, sh, ro, x=20 + 22 * c, y=760 + 22 * r)
        draw_piece(sc, im, 0, 0, ci, sh, ro, True, x=140 + 22 * c, y=760 + 22 * r)
    big = sc.crop((10, 750, 240, 860)).resize((460, 220), Image.LANCZOS)
    sc.alpha_composite(big, (250, 730))
    return sc


def sheet_pong(im):
    sc = blank_screen()
    blit(sc, im["pong_background.png"], 367, 0)
    blit(sc, im["pong_scoreboard.png"], 298, 500)
    sheet_text(sc, 308, 536, "3", SCORE_PIXELS, SCORE_GREY, SCORE_FONT)
    sheet_text(sc, 406, 536, "4", SCORE_PIXELS, SCORE_GREY, SCORE_FONT)
    blit(sc, im["paddle.png"], 10, 240)
    blit(sc, im["paddle.png"], 689, 300)   # the field is wider than the window
    blit(sc, frame_of(im["pongball-2-2-1.png"], 2, 2, 1, 0), 200, 200)
    hot = frame_of(im["pongball-2-2-1.png"], 2, 2, 1, 1)
    for k, a in ((3, 0x19), (2, 0x32), (1, 0x64)):
        blit(sc, hot, 500 - 8 * k, 320 - 2 * k, 1.0, a)
    blit(sc, hot, 500, 320)
    return sc


def sheet_extras(im):
    """Game-over and demo backgrounds at half size, with the small pictures."""
    sc = Image.new("RGBA", (713, 653 + 120), (22, 30, 44, 255))
    for n, name in enumerate(["gameover_background_won.png", "gameover_background_lost.png",
                              "demoa_background.png", "demob_background.png"]):
        x, y = (n % 2) * 357, (n // 2) * 327
        bg = im[name].copy().convert("RGBA")
        if n < 2:
            blit(bg, frame_of(im["gameover_button_playagain-3-1-3.png"], 3, 1, 3, 1), 252, 258)
            blit(bg, frame_of(im["gameover_button_menu-3-1-3.png"], 3, 1, 3, 0), 252, 331)
        if n == 2:
            blit(bg, frame_of(im["box-3-2-2.png"], 3, 2, 2, 0), 300, 200)
            for i, nm in enumerate(["bitmap24.bmp", "png24.png", "png32.png"]):
                blit(bg, im[nm], 530 + 60 * i, 460)
            sheet_text(bg, 5, 350, "Alpha Value = 180", 33, (0, 0, 0, 255))
        if n == 3:
            for i in range(4):
                blit(bg, frame_of(im["ball-4-4-1.png"], 4, 4, 1, i), 150 + 110 * i, 559 - (i % 2) * 90)
                sheet_text(bg, 150 + 110 * i, 559 - (i % 2) * 90, str(i), 33, (255, 255, 255, 255))
        blit(sc, bg, x, y, 0.5)
    x = 10
    for name, scale in [("box-3-2-2.png", 0.8), ("ball-4-4-1.png", 1), ("pongball-2-2-1.png", 2), ("icon.png", 1),
                        ("pointer.png", 2), ("png32.png", 1), ("paddle.png", 1)]:
        blit(sc, im[name], x, 660, scale)
        x += int(im[name].width * scale) + 16
    return sc


DESKTOP_ICON_SIZES = (48, 128, 256)


def replay_icon_image(size):
    """A replay file's icon: a sheet with a turned-down corner, on it the
    window icon's water-filled cross (so a replay reads as Tubrix's) and an
    amber play mark (so it reads as something to watch)."""
    art = Art(size, size, unit=size / 64)
    k = art.k
    # The sheet, its top-right corner cut off for the fold.
    x0, y0, x1, y1, fold = 9, 2, 55, 62, 14
    outline = [(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)]
    w, h = art.px(x1 - x0), art.px(y1 - y0)
    mask = Image.new("L", (w, h), 0)
    ImageDraw.Draw(mask).polygon([((x - x0) * k, (y - y0) * k) for x, y in outline], fill=255)
    sheet = vgrad(w, h, [(0, NAVY_2), (1, NAVY_0)])
    art.paint((x0, y0, x1, y1), lambda _w, _h: sheet, mask=mask)
    with art.blended() as d:
        d.line([(x * k, y * k) for x, y in outline + outline[:1]], fill=(60, 170, 200, 200),
               width=max(1, art.px(1.2)), joint="curve")
        d.polygon([((x1 - fold) * k, y0 * k), ((x1 - fold) * k, (y0 + fold) * k), (x1 * k, (y0 + fold) * k)],
                  fill=(110, 190, 215, 235))
    # The cross, from the window icon's tile drawn at its own size.
    tile = tile_image(None, (1, 1, 1, 1), True, size)
    span = int(round(size * 32 / 64))
    tile = tile.resize((span, span), Image.LANCZOS)
    mask = Image.new("L", tile.size, 0)
    ImageDraw.Draw(mask).rounded_rectangle([0, 0, span - 1, span - 1], radius=max(1, span // 8), fill=255)
    tile.putalpha(ImageChops.multiply(tile.getchannel("A"), mask))
    base = art.final()
    base.alpha_composite(tile, (int(round(size * 14 / 64)), int(round(size * 16 / 64))))
    # The play mark: a dark disc with an amber triangle, lower right.
    mark = Art(size, size, unit=size / 64)
    cx, cy, r = 43, 49, 11
    with mark.blended() as d:
        d.ellipse([(cx - r) * k, (cy - r) * k, (cx + r) * k, (cy + r) * k], fill=rgba(NAVY_0, 235))
        d.ellipse([(cx - r) * k, (cy - r) * k, (cx + r) * k, (cy + r) * k], outline=rgba(AMBER),
                  width=max(1, mark.px(1.6)))
        d.polygon([((cx - 4) * k, (cy - 6.5) * k), ((cx + 7) * k, cy * k), ((cx - 4) * k, (cy + 6.5) * k)],
                  fill=rgba(AMBER))
    base.alpha_composite(mark.final())
    return base


def make_desktop_icons(outdir):
    icondir = os.path.join(outdir, "packaging", "icons")
    os.makedirs(icondir, exist_ok=True)
    for size in DESKTOP_ICON_SIZES:
        icon_image(size).save(os.path.join(icondir, "tubrix_%d.png" % size), "PNG")
        replay_icon_image(size).save(os.path.join(icondir, "replay_%d.png" % size), "PNG")


def make_sheets(outdir, im):
    docdir = os.path.join(outdir, "docs")
    os.makedirs(docdir, exist_ok=True)
    sheets = {
        "screen_menu.png": sheet_menu(im),
        "screen_instructions.png": sheet_instructions(im),
        "screen_settings.png": sheet_settings(im),
        "screen_scores.png": sheet_scores(im),
        "screen_play.png": sheet_play(im, "running"),
        "screen_play_start.png": sheet_play(im, "idle"),
        "screen_play_paused.png": sheet_play(im, "paused"),
        "screen_play_gameover.png": sheet_play(im, "gameover"),
        "screen_pong.png": sheet_pong(im),
        "pieces.png": sheet_pieces(im),
        "extras.png": sheet_extras(im),
    }
    for name, sc in sheets.items():
        sc.convert("RGB").save(os.path.join(docdir, name), "PNG")


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    im = make_images(out)
    make_sheets(out, im)
    make_desktop_icons(out)
    make_sounds(out)
    make_music(out)
