#!/usr/bin/python3
"""Writes the generated files of the Orchard Notes demo: the background
picture (JPEG), the page logo (BMP), the frames of the two animated image
groups (BMP and JPEG), the programs' icon and the product's TrueType font.
The output is committed; run this again after changing it:

    /usr/bin/python3 examples/demo/make_assets.py

Debian's python3 has PIL and fontTools. The drawing is fixed (no random
seed from the clock), so a run gives the same files again."""
import math
import os

from PIL import Image, ImageDraw
from fontTools.fontBuilder import FontBuilder
from fontTools.pens.ttGlyphPen import TTGlyphPen

HERE = os.path.dirname(os.path.abspath(__file__))
PICTURES = os.path.join(HERE, 'pictures')
GREEN, DARK, APPLE, CREAM = (76, 140, 64), (22, 60, 30), (200, 40, 40), (250, 244, 220)


def tree(draw, x, y, scale, apples=True):
    """A round orchard tree with its trunk at (x, y)."""
    draw.rectangle([x - 4 * scale, y - 30 * scale, x + 4 * scale, y], fill=(110, 70, 40))
    draw.ellipse([x - 26 * scale, y - 70 * scale, x + 26 * scale, y - 22 * scale], fill=GREEN)
    if apples:
        for i in range(5):
            a = i * 1.3
            ax, ay = x + math.cos(a) * 14 * scale, y - 46 * scale + math.sin(a) * 12 * scale
            draw.ellipse([ax - 3 * scale, ay - 3 * scale, ax + 3 * scale, ay + 3 * scale], fill=APPLE)


def background():
    w, h = 640, 480
    img = Image.new('RGB', (w, h))
    px = img.load()
    for y in range(h):  # sky into field
        t = y / (h - 1)
        c = tuple(int(a + (b - a) * t) for a, b in zip((40, 90, 170), (150, 200, 120)))
        for x in range(w):
            px[x, y] = c
    d = ImageDraw.Draw(img)
    d.rectangle([0, 330, w, h], fill=(110, 170, 80))
    for row, (y, s) in enumerate(((340, 1.0), (390, 1.4), (460, 1.9))):
        for i in range(7 - row * 2):
            tree(d, 40 + i * (620 // (7 - row * 2)) + row * 30, y, s)
    img.save(os.path.join(PICTURES, 'background.jpg'), quality=85)


def logo():
    img = Image.new('RGB', (113, 260), CREAM)
    d = ImageDraw.Draw(img)
    d.rectangle([0, 200, 113, 260], fill=(110, 170, 80))
    tree(d, 56, 210, 1.6)
    d.rectangle([8, 8, 104, 40], outline=DARK, width=2)
    d.text((18, 18), 'ORCHARD', fill=DARK)
    img.convert('P', palette=Image.ADAPTIVE, colors=64).save(os.path.join(PICTURES, 'logo.bmp'))


def leaves():
    """Four frames of a falling leaf: the always-shown image group."""
    for i in range(4):
        img = Image.new('RGB', (48, 48), (0, 0, 160))
        d = ImageDraw.Draw(img)
        a = i * math.pi / 2
        cx, cy = 24 + 8 * math.cos(a), 12 + i * 8
        d.ellipse([cx - 10, cy - 5, cx + 10, cy + 5], fill=GREEN, outline=DARK)
        d.line([cx - 10, cy, cx + 12, cy + 3 * math.sin(a)], fill=DARK)
        img.save(os.path.join(PICTURES, 'leaf%d.bmp' % (i + 1)))


def notebook():
    """Two frames of a notebook turning a page: shown while the samples install."""
    for i in range(2):
        img = Image.new('RGB', (64, 64), CREAM)
        d = ImageDraw.Draw(img)
        d.rectangle([8, 8, 56, 56], fill=(255, 255, 255), outline=DARK, width=2)
        for line in range(5):
            d.line([14, 18 + line * 8, 50, 18 + line * 8], fill=(120, 140, 200))
        if i:
            d.polygon([(56, 8), (32, 16), (32, 56), (56, 56)], fill=(235, 230, 200), outline=DARK)
        img.save(os.path.join(PICTURES, 'notebook%d.jpg' % (i + 1)), quality=90)


def icon():
    img = Image.new('RGBA', (32, 32), (0, 0, 0, 0))
    tree(ImageDraw.Draw(img), 16, 31, 0.42)
    img.save(os.path.join(HERE, 'src', 'orchard.ico'), sizes=[(16, 16), (32, 32)])


def font():
    """Orchard Sans: a font with a few block glyphs, enough to be a real
    TrueType file that Windows adds to its font table."""
    fb = FontBuilder(1000, isTTF=True)
    letters = 'ACDEHNORST'
    order = ['.notdef', 'space'] + list(letters)
    fb.setupGlyphOrder(order)
    fb.setupCharacterMap({32: 'space', **{ord(c): c for c in letters},
                          **{ord(c.lower()): c for c in letters}})
    glyphs = {}
    for name in order:
        pen = TTGlyphPen(None)
        if name not in ('space',):
            pen.moveTo((80, 0))
            pen.lineTo((80, 700))
            pen.lineTo((520, 700))
            pen.lineTo((520, 0))
            pen.closePath()
        glyphs[name] = pen.glyph()
    fb.setupGlyf(glyphs)
    fb.setupHorizontalMetrics({n: (600, 80) for n in order})
    fb.setupHorizontalHeader(ascent=800, descent=-200)
    fb.setupNameTable({'familyName': 'Orchard Sans', 'styleName': 'Regular',
                       'fullName': 'Orchard Sans Regular', 'version': 'Version 1.20',
                       'uniqueFontIdentifier': 'Orchard Software: Orchard Sans: 1.20',
                       'psName': 'OrchardSans-Regular'})
    fb.setupOS2(sTypoAscender=800, sTypoDescender=-200, usWinAscent=800, usWinDescent=200)
    fb.setupPost()
    fb.font['head'].created = fb.font['head'].modified = 3600 * 24 * 365 * 90  # fixed date
    fb.save(os.path.join(HERE, 'files', 'fonts', 'OrchardSans.ttf'))


if __name__ == '__main__':
    os.makedirs(PICTURES, exist_ok=True)
    os.makedirs(os.path.join(HERE, 'files', 'fonts'), exist_ok=True)
    background()
    logo()
    leaves()
    notebook()
    icon()
    font()
