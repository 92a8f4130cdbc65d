#!/usr/bin/env python3
"""Draws the skin's pictures: flat illustrations, button plates, glyphs and the window shadow.

usage: make_skin_art.py OUTPUT_FOLDER     writes every picture
       make_skin_art.py --list            prints the file names, one a line

Each display-scale variant is drawn at its own size rather than scaled from the base picture, so
that edges and captions stay sharp at 200 and 300 percent. Shapes are drawn on a larger canvas
and reduced, which smooths their edges; text is drawn after the reduction, at the final size.
The output depends on nothing but this file and the font, so every run writes the same bytes.
"""
import functools
import math
import os
import random
import subprocess
import sys

from PIL import Image, ImageDraw, ImageFilter, ImageFont

INK = (39, 39, 38)
GREY = (120, 122, 128)
BRAND = (233, 84, 63)
BRAND_DARK = (204, 62, 45)
PLATE = (44, 47, 56)
WHITE = (255, 255, 255)


def mix(a, b, t):
    """Colour a moved the fraction t towards colour b: drawing replaces pixels, it does not blend."""
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))

# Flat art is mostly large areas of one colour, which JPEG keeps small even at this quality.
JPEG_QUALITY = 80


@functools.lru_cache(maxsize=None)
def font_file():
    """The WenQuanYi Micro Hei file, found through fontconfig wherever the package put it."""
    found = subprocess.run(["fc-match", "-f", "%{file}", "WenQuanYi Micro Hei"],
                           capture_output=True, text=True, check=True).stdout
    if "wqy-microhei" not in found:
        sys.exit("make_skin_art: the font WenQuanYi Micro Hei (fonts-wqy-microhei) is missing")
    return found


def font(size):
    return ImageFont.truetype(font_file(), size)


class Canvas:
    """A picture drawn in base-size units: scale is the display variant (1, 2 or 3), smooth the
    oversampling factor of the shapes."""

    def __init__(self, width, height, scale, smooth=4, background=(0, 0, 0, 0)):
        self.width, self.height, self.scale, self.smooth = width, height, scale, smooth
        self.k = scale * smooth
        self.image = Image.new("RGBA", (width * self.k, height * self.k), background)
        self.draw = ImageDraw.Draw(self.image)

    def p(self, *values):
        return [round(v * self.k) for v in values]

    def rect(self, box, fill, radius=0):
        if radius:
            self.draw.rounded_rectangle(self.p(*box), round(radius * self.k), fill=fill)
        else:
            self.draw.rectangle(self.p(*box), fill=fill)

    def ellipse(self, box, fill=None, outline=None, width=0):
        self.draw.ellipse(self.p(*box), fill=fill, outline=outline, width=round(width * self.k))

    def circle(self, x, y, r, fill):
        self.ellipse((x - r, y - r, x + r, y + r), fill)

    def polygon(self, points, fill):
        self.draw.polygon([tuple(self.p(x, y)) for x, y in points], fill=fill)

    def line(self, points, fill, width):
        coords = [tuple(self.p(x, y)) for x, y in points]
        w = round(width * self.k)
        self.draw.line(coords, fill=fill, width=w, joint="curve")
        for x, y in (coords[0], coords[-1]):  # round caps
            self.draw.ellipse((x - w / 2, y - w / 2, x + w / 2, y + w / 2), fill=fill)

    def arc(self, box, start, end, fill, width):
        self.draw.arc(self.p(*box), start, end, fill=fill, width=round(width * self.k))

    def vertical_gradient(self, box, top, bottom):
        x0, y0, x1, y1 = self.p(*box)
        for y in range(y0, y1):
            t = (y - y0) / max(1, y1 - y0 - 1)
            self.draw.line([(x0, y), (x1 - 1, y)], fill=mix(top, bottom, t))

    def shadow(self, box, radius, blur, offset, alpha):
        """A soft shadow under a rounded box, blended into the canvas."""
        layer = Image.new("L", self.image.size, 0)
        ImageDraw.Draw(layer).rounded_rectangle(
            self.p(box[0], box[1] + offset, box[2], box[3] + offset), round(radius * self.k), fill=alpha)
        layer = layer.filter(ImageFilter.GaussianBlur(blur * self.k))
        dark = Image.new("RGBA", self.image.size, (20, 22, 30, 255))
        dark.putalpha(layer)
        self.image = Image.alpha_composite(self.image, dark)
        self.draw = ImageDraw.Draw(self.image)

    def finish(self):
        """The picture at its final size, ready for text."""
        image = self.image.resize((self.width * self.scale, self.height * self.scale), Image.LANCZOS)
        return Text(image, self.scale)


class Text:
    """Text drawn at the final size, in base-size units."""

    def __init__(self, image, scale):
        self.image, self.scale = image, scale
        self.draw = ImageDraw.Draw(self.image)

    def text(self, xy, content, size, fill, anchor="la"):
        self.draw.text((xy[0] * self.scale, xy[1] * self.scale), content, font=font(size * self.scale),
                       fill=fill, anchor=anchor)


# ---------------------------------------------------------------------------------------------
# Illustrations. The main window is 800 x 550; the installing page covers the lowest 120 rows
# with its status panel and page 0 puts its buttons there, so the art keeps to the rows above.


def open_book(c, cx, cy, w, cover, page):
    """An open book seen from the front, pages fanned, centred on its spine."""
    c.shadow((cx - w, cy + 8, cx + w, cy + 30), 14, 10, 6, 70)
    c.polygon([(cx - w - 8, cy + 22), (cx, cy + 34), (cx + w + 8, cy + 22), (cx + w + 8, cy - 96),
               (cx, cy - 84), (cx - w - 8, cy - 96)], cover)
    for side in (-1, 1):
        edge = cx + side * w
        c.polygon([(cx, cy + 22), (edge, cy + 12), (edge, cy - 108), (cx, cy - 94)], page)
        c.polygon([(cx, cy + 22), (edge, cy + 12), (edge, cy + 6), (cx, cy + 16)], (232, 226, 214))
        for row in range(7):
            y = cy - 86 + row * 13
            x0, x1 = cx + side * 16, edge - side * 16
            if row == 6:
                x1 = cx + side * (w * 0.45)
            c.line([(x0, y + (x0 - cx) * -0.02 * side), (x1, y - abs(x1 - cx) * 0.1)], (214, 208, 198), 3)


def plant(c, x, base, height, pot, leaf):
    c.rect((x - 26, base - 48, x + 26, base), pot, 8)
    c.rect((x - 30, base - 54, x + 30, base - 42), tuple(max(0, v - 18) for v in pot), 4)
    for angle, length in ((-62, 1.0), (-95, 1.15), (-120, 0.95), (-40, 0.75), (-140, 0.7)):
        a = math.radians(angle)
        tip = (x + math.cos(a) * height * length, base - 50 + math.sin(a) * height * length)
        mid = (x + math.cos(a) * height * length * 0.5, base - 50 + math.sin(a) * height * length * 0.5)
        nx, ny = -math.sin(a) * 14, math.cos(a) * 14
        c.polygon([(x, base - 50), (mid[0] + nx, mid[1] + ny), tip, (mid[0] - nx, mid[1] - ny)], leaf)


def mug(c, x, base, body, steam):
    c.rect((x - 24, base - 50, x + 24, base), body, 10)
    c.arc((x + 14, base - 40, x + 40, base - 14), -90, 90, body, 6)
    for dx in (-10, 6):
        c.line([(x + dx, base - 62), (x + dx + 6, base - 74), (x + dx, base - 86), (x + dx + 6, base - 98)], steam, 4)


def sparkle(c, x, y, r, fill):
    c.polygon([(x, y - r), (x + r * 0.28, y - r * 0.28), (x + r, y), (x + r * 0.28, y + r * 0.28),
               (x, y + r), (x - r * 0.28, y + r * 0.28), (x - r, y), (x - r * 0.28, y - r * 0.28)], fill)


def tagline(t, title, subtitle, y=150, colour=INK):
    t.text((80, y), title, 34, colour)
    t.text((82, y + 56), subtitle, 16, GREY)
    t.draw.rounded_rectangle([82 * t.scale, (y + 98) * t.scale, 122 * t.scale, (y + 103) * t.scale],
                             radius=2.5 * t.scale, fill=BRAND)


def neirong1(scale):
    c = Canvas(800, 549, scale, smooth=2)
    c.vertical_gradient((0, 0, 800, 549), (252, 246, 238), (250, 238, 226))
    c.circle(605, 245, 160, (253, 226, 212))
    c.circle(742, 92, 30, (251, 214, 196))
    c.circle(470, 108, 10, (246, 196, 176))
    c.rect((0, 392, 800, 549), (246, 234, 220))
    open_book(c, 600, 330, 122, BRAND, (255, 253, 249))
    plant(c, 738, 392, 80, (94, 122, 150), (92, 170, 130))
    mug(c, 462, 392, (64, 70, 84), (236, 206, 190))
    for x, y, r in ((500, 150, 11), (700, 170, 8), (560, 88, 7)):
        sparkle(c, x, y, r, (240, 164, 120))
    t = c.finish()
    tagline(t, "随时随地，畅享阅读", "海量好书，一键安装即可开启")
    return t.image


def neirong2(scale):
    c = Canvas(800, 549, scale, smooth=2)
    c.vertical_gradient((0, 0, 800, 549), (238, 245, 251), (226, 237, 248))
    c.rect((450, 70, 772, 420), (214, 229, 244), 28)
    rng = random.Random(2)
    spines = [(112, 160, 214), (233, 84, 63), (246, 190, 92), (92, 170, 130), (64, 70, 84),
              (170, 140, 210), (240, 150, 120), (74, 124, 196)]
    for shelf in (210, 330):
        c.rect((466, shelf, 756, shelf + 12), (128, 102, 86), 3)
        x = 480
        while True:
            w = rng.choice((18, 22, 26, 30))
            h = rng.randint(70, 100)
            if x + w > 742:
                break
            colour = rng.choice(spines)
            c.rect((x, shelf - h, x + w, shelf), colour, 3)
            c.rect((x + 4, shelf - h + 12, x + w - 4, shelf - h + 16), mix(colour, WHITE, 0.7))
            x += w + 3
    c.shadow((420, 400, 560, 420), 6, 8, 3, 60)
    for i, colour in enumerate(((233, 84, 63), (74, 124, 196), (246, 190, 92))):
        c.rect((410 + i * 6, 392 - i * 22, 560 - i * 8, 412 - i * 22), colour, 4)
        c.rect((416 + i * 6, 396 - i * 22, 554 - i * 8, 400 - i * 22), mix(colour, WHITE, 0.8))
    plant(c, 766, 420, 66, (233, 84, 63), (92, 170, 130))
    for x, y, r in ((430, 110, 10), (784, 52, 7)):
        sparkle(c, x, y, r, (120, 160, 214))
    t = c.finish()
    tagline(t, "海量书库，应有尽有", "小说、历史、科普……总有一本适合你")
    return t.image


def neirong3(scale):
    # Only rows 95 to 645 are shown: the picture is the strip's one taller panel.
    c = Canvas(800, 645, scale, smooth=2)
    sky, horizon = (236, 232, 250), (214, 208, 240)
    c.vertical_gradient((0, 0, 800, 645), sky, horizon)
    top = 95
    c.circle(738, top + 112, 40, (255, 244, 214))
    # The crescent is cut out with the sky's own colour at that height.
    c.circle(758, top + 98, 37, mix(sky, horizon, (top + 98) / 645))
    rng = random.Random(3)
    for _ in range(14):
        sparkle(c, rng.randint(440, 790), rng.randint(top + 40, top + 250), rng.choice((4, 5, 7)), (255, 255, 255))
    c.rect((0, top + 392, 800, 645), (204, 197, 234))
    c.shadow((490, top + 140, 690, top + 400), 22, 12, 8, 90)
    c.rect((490, top + 140, 690, top + 400), (52, 56, 78), 22)
    c.rect((502, top + 154, 678, top + 386), (34, 37, 54), 12)
    c.rect((520, top + 170, 584, top + 178), (246, 190, 92), 4)
    for row in range(9):
        width = 140 if row not in (4, 8) else 84
        c.line([(520, top + 196 + row * 20), (520 + width, top + 196 + row * 20)], (150, 146, 184), 4)
    mug(c, 742, top + 392, (246, 190, 92), (255, 255, 255))
    t = c.finish()
    tagline(t, "夜间模式，护眼阅读", "多种阅读主题，长时间阅读也舒适", y=top + 150)
    return t.image


def neirong4(scale):
    c = Canvas(800, 549, scale, smooth=2)
    c.vertical_gradient((0, 0, 800, 549), (238, 248, 243), (224, 242, 233))
    # A cloud between a laptop and a phone, with arrows to both.
    cloud = (255, 255, 255)
    for x, y, r in ((560, 150, 48), (615, 130, 62), (672, 156, 44), (520, 172, 30)):
        c.circle(x, y, r, cloud)
    c.rect((500, 150, 710, 200), cloud, 25)
    c.line([(592, 150), (592, 178)], (92, 170, 130), 6)
    c.polygon([(578, 160), (592, 144), (606, 160)], (92, 170, 130))
    c.line([(640, 176), (640, 148)], BRAND, 6)
    c.polygon([(626, 164), (640, 180), (654, 164)], BRAND)
    c.shadow((420, 270, 640, 400), 10, 10, 6, 70)
    c.rect((430, 262, 630, 390), (64, 70, 84), 10)
    c.rect((440, 272, 620, 380), (250, 250, 246), 4)
    c.polygon([(400, 392), (660, 392), (646, 406), (414, 406)], (120, 126, 140))
    for row in range(5):
        c.line([(456, 292 + row * 18), (600 - (row == 4) * 60, 292 + row * 18)], (210, 214, 220), 4)
    c.shadow((668, 280, 740, 404), 12, 8, 5, 70)
    c.rect((668, 270, 740, 400), (64, 70, 84), 14)
    c.rect((674, 282, 734, 388), (250, 250, 246), 6)
    for row in range(5):
        c.line([(682, 298 + row * 16), (726 - (row == 4) * 20, 298 + row * 16)], (210, 214, 220), 3)
    c.rect((682, 298 + 2 * 16 - 6, 700, 298 + 2 * 16 + 6), BRAND, 2)
    for a, b in (((530, 206), (530, 250)), ((690, 200), (704, 250))):
        c.line([a, b], (150, 196, 172), 3)
    sparkle(c, 760, 100, 9, (92, 170, 130))
    sparkle(c, 470, 110, 7, (150, 196, 172))
    t = c.finish()
    tagline(t, "云端同步，进度不丢", "换台设备，也能接着上次的位置读")
    return t.image


def peitu6(scale):
    """A quiet grid of little books, dots and rings that fades out towards the middle, where the
    logo and the form are."""
    background = (248, 249, 251)
    c = Canvas(800, 549, scale, smooth=2)
    tints = [(214, 222, 236), (236, 214, 206), (206, 230, 218)]
    for row in range(15):
        for column in range(22):
            x, y = 20 + column * 40 + (row % 2) * 20, 16 + row * 40
            colour = tints[(row * 5 + column * 3) % 3]
            kind = (row + column * 2) % 3
            if kind == 0:
                for side in (-1, 1):
                    c.polygon([(x, y - 4), (x + side * 8, y - 6), (x + side * 8, y + 5), (x, y + 7)], colour)
            elif kind == 1:
                c.circle(x, y, 2.5, colour)
            else:
                c.ellipse((x - 4, y - 4, x + 4, y + 4), outline=colour, width=1.5)
    # Visibility grows with the distance from an ellipse around the middle.
    mask = Image.new("L", (80, 55))
    mask.putdata([max(0, min(255, round(((((x - 39.5) / 34) ** 2 + ((y - 27) / 26) ** 2) ** 0.5 - 0.55) * 400)))
                  for y in range(55) for x in range(80)])
    mask = mask.resize(c.image.size, Image.BILINEAR)
    pattern = c.image
    pattern.putalpha(Image.composite(pattern.getchannel("A"), Image.new("L", pattern.size, 0), mask))
    c.image = Image.alpha_composite(Image.new("RGBA", pattern.size, background + (255,)), pattern)
    return c.finish().image


def peitu7(scale):
    """A desk corner to each side of the completion message."""
    c = Canvas(800, 549, scale, smooth=2)
    c.vertical_gradient((0, 0, 800, 549), (252, 250, 246), (246, 241, 234))
    c.circle(80, 80, 120, (250, 239, 230))
    c.circle(760, 470, 150, (240, 244, 240))
    c.rect((0, 470, 800, 549), (238, 230, 220))
    # Left: a stack of books with a cup.
    c.shadow((40, 452, 230, 476), 6, 8, 3, 60)
    for i, colour in enumerate(((74, 124, 196), (233, 84, 63), (246, 190, 92))):
        y = 470 - (i + 1) * 24
        c.rect((44 + i * 8, y, 226 - i * 6, y + 22), colour, 4)
        c.rect((50 + i * 8, y + 6, 220 - i * 6, y + 10), mix(colour, WHITE, 0.8))
    mug(c, 130, 398, (92, 170, 130), (220, 212, 204))
    # Right: a plant and a leaning book.
    plant(c, 700, 470, 96, (64, 70, 84), (92, 170, 130))
    c.polygon([(600, 470), (612, 380), (640, 384), (628, 470)], BRAND)
    c.polygon([(606, 470), (617, 386), (622, 387), (611, 470)], (255, 214, 200))
    sparkle(c, 200, 300, 8, (246, 190, 92))
    sparkle(c, 620, 330, 6, (233, 150, 120))
    return c.finish().image


# ---------------------------------------------------------------------------------------------
# Controls: plates, glyphs and marks.


def plate(width, caption_box, scale, caption=None):
    """A dark rounded button plate whose body is the button's own rectangle, over a soft shadow."""
    c = Canvas(width, 69, scale)
    c.shadow(caption_box, 25, 4, 4, 110)
    x0, y0, x1, y1 = caption_box
    c.rect(caption_box, PLATE, 25)
    t = c.finish()
    if caption:
        t.text(((x0 + x1) / 2, (y0 + y1) / 2), caption, 18, WHITE, anchor="mm")
    return t.image


def arrow(colour, scale):
    c = Canvas(16, 16, scale)
    c.circle(8, 8, 7.5, colour + (36,))
    c.line([(6.5, 4.5), (10, 8), (6.5, 11.5)], colour, 1.6)
    return c.finish().image


def minimise(scale):
    c = Canvas(20, 20, scale)
    c.line([(5, 10.5), (15, 10.5)], INK, 1.4)
    return c.finish().image


def close(scale):
    c = Canvas(20, 20, scale)
    c.line([(5.5, 5.5), (14.5, 14.5)], INK, 1.4)
    c.line([(14.5, 5.5), (5.5, 14.5)], INK, 1.4)
    return c.finish().image


def completion(scale):
    c = Canvas(70, 70, scale)
    c.circle(35, 35, 34, BRAND + (40,))
    c.circle(35, 35, 28, BRAND)
    c.line([(22, 36), (31, 45), (48, 27)], WHITE, 5)
    return c.finish().image


def logo_mark(c, x, y, size):
    """The product mark: an open book on a rounded square of the brand colour."""
    s = size / 100
    c.rect((x, y, x + size, y + size), BRAND, 24 * s)
    cx, top, bottom = x + 50 * s, y + 30 * s, y + 74 * s
    for side in (-1, 1):
        c.polygon([(cx, top + 6 * s), (cx + side * 32 * s, top), (cx + side * 32 * s, bottom - 6 * s),
                   (cx, bottom)], WHITE)
        for row in range(3):
            ry = top + (12 + row * 10) * s
            c.line([(cx + side * 8 * s, ry + 2 * s), (cx + side * 24 * s, ry)], mix(BRAND, WHITE, 0.45), 2.2 * s)


def logo1(scale):
    c = Canvas(120, 127, scale)
    c.shadow((8, 4, 112, 108), 26, 6, 6, 90)
    logo_mark(c, 6, 2, 108)
    return c.finish().image


def logo60(scale):
    c = Canvas(60, 60, scale)
    logo_mark(c, 2, 2, 56)
    return c.finish().image


def percent_badge(scale):
    """A bubble whose point, in the six rows that the label keeps free of text, touches the bar."""
    c = Canvas(50, 23, scale)
    c.rect((0, 0, 50, 17.5), BRAND, 8)
    c.polygon([(19, 17), (31, 17), (25, 23)], BRAND)
    return c.finish().image


def progress(scale):
    c = Canvas(10, 12, scale)
    c.rect((0, 0, 10, 6), BRAND, 3)
    c.rect((0, 6, 10, 12), (232, 232, 234))
    return c.finish().image


def red_button(size, body, colour, glow, scale):
    """Only the body rectangle is drawn by the skin; the glow around it fills the rest."""
    c = Canvas(size, size, scale)
    c.shadow(body, 4, 2.5, 1.5, glow)
    c.rect(body, colour, 4)
    return c.finish().image


def light_button(fill, border, scale):
    c = Canvas(20, 20, scale)
    c.rect((0, 0, 20, 20), border, 4)
    c.rect((1, 1, 19, 19), fill, 3)
    return c.finish().image


def warning():
    c = Canvas(40, 40, 1)
    c.polygon([(20, 3), (38, 36), (2, 36)], (246, 170, 50))
    c.line([(20, 14), (20, 25)], WHITE, 3.4)
    c.circle(20, 30.5, 2, WHITE)
    return c.finish().image


def square():
    c = Canvas(160, 160, 1, smooth=1, background=(255, 255, 255, 255))
    c.draw.rectangle((0, 0, 159, 159), outline=(224, 224, 224))
    return c.finish().image


def shadow():
    """The window's drop shadow: 18 pixels of soft shade around a window-sized hole; the
    nine-grid keeps the corners and stretches the rest along the window's sides."""
    layer = Image.new("L", (520, 312), 0)
    ImageDraw.Draw(layer).rounded_rectangle((16, 19, 503, 295), 6, fill=110)
    layer = layer.filter(ImageFilter.GaussianBlur(7))
    ImageDraw.Draw(layer).rectangle((18, 18, 501, 293), fill=0)
    image = Image.new("RGBA", (520, 312), (16, 18, 24, 255))
    image.putalpha(layer)
    return image


# ---------------------------------------------------------------------------------------------


def scaled(name, scale):
    return name if scale == 1 else name.replace(".", "@%dx." % scale)


PICTURES = [
    ("neirong1.jpg", neirong1),
    ("neirong2.jpg", neirong2),
    ("neirong3.jpg", neirong3),
    ("neirong4.jpg", neirong4),
    ("peitu-6.jpg", peitu6),
    ("peitu-7.jpg", peitu7),
    ("btn-1-4.png", lambda s: plate(219, (8, 5, 208, 55), s)),
    ("quxiaoanzhuang.png", lambda s: plate(259, (10, 6, 250, 56), s, "开始阅读")),
    ("jiantou-nor.png", lambda s: arrow(GREY, s)),
    ("jiantou-sel.png", lambda s: arrow(BRAND, s)),
    ("install_less.png", minimise),
    ("install_close.png", close),
    ("icon-wancheng.png", completion),
    ("logo-1.png", logo1),
    ("logo-60.png", logo60),
    ("jindu.png", percent_badge),
    ("jindu-2.png", progress),
    ("btn-red-nor.png", lambda s: red_button(35, (7, 6, 27, 26), BRAND, 70, s)),
    ("btn-red-sel.png", lambda s: red_button(39, (9, 5, 29, 25), BRAND_DARK, 110, s)),
    ("btn-8-nor.png", lambda s: light_button(WHITE, (217, 217, 217), s)),
    ("btn-8-sel.png", lambda s: light_button((242, 242, 242), (190, 190, 190), s)),
]
SINGLE = [("shadow.png", shadow), ("msgWarning.png", warning), ("biankuang.png", square)]


def jobs():
    for name, draw in PICTURES:
        for scale in (1, 2, 3):
            yield scaled(name, scale), (lambda d=draw, s=scale: d(s))
    for name, draw in SINGLE:
        yield name, draw


def save(image, name, path):
    if name.endswith(".jpg"):
        image.convert("RGB").save(path, "JPEG", quality=JPEG_QUALITY, optimize=True)
    else:
        image.save(path, "PNG", optimize=True)


def main():
    if sys.argv[1:] == ["--list"]:
        print("\n".join(name for name, _ in jobs()))
        return
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    folder = sys.argv[1]
    os.makedirs(folder, exist_ok=True)
    for name, draw in jobs():
        temporary = os.path.join(folder, name + ".tmp")
        save(draw(), name, temporary)
        os.replace(temporary, os.path.join(folder, name))


if __name__ == "__main__":
    main()
