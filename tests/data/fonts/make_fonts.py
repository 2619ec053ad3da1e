#!/usr/bin/python3
"""Writes the small TrueType files of the font name tests and, read back by
fontTools, the names the installer must find in them (expected.txt).

Run with Debian's python3 (fontTools): /usr/bin/python3 make_fonts.py
"""
import os
import sys

from fontTools.fontBuilder import FontBuilder
from fontTools.ttLib import TTFont
from fontTools.pens.ttGlyphPen import TTGlyphPen

HERE = os.path.dirname(os.path.abspath(__file__))
WIN = (3, 1, 0x409)
MAC = (1, 0, 0)

# name records per file: (nameID, text, (platform, encoding, language))
CASES = {
    "full.ttf": [(1, "Tc Sans", WIN), (2, "Bold", WIN), (4, "Tc Sans Bold", WIN),
                 (5, "Version 2.15", WIN)],
    "famsub.ttf": [(1, "Tc Serif", MAC), (2, "Italic", MAC), (5, "version 1.5 ; build 7", MAC)],
    "famblank.ttf": [(1, "Tc Mono", MAC), (2, "   ", MAC), (5, "3.0", MAC)],
    "laterfull.ttf": [(1, "Tc Fam", MAC), (4, "", MAC), (4, "Tc Later Full", WIN),
                      (5, "VERSION   4.2  ", WIN)],
    "lossy.ttf": [(4, "Tc \u4e2d\u6587", (3, 1, 0x404)), (4, "Tc Wide", WIN), (5, "Version 7", WIN)],
    "noname.ttf": [(6, "TcPostScript", WIN)],
}


def build(path, records):
    fb = FontBuilder(1000, isTTF=True)
    fb.setupGlyphOrder([".notdef"])
    fb.setupCharacterMap({})
    pen = TTGlyphPen(None)
    fb.setupGlyf({".notdef": pen.glyph()})
    fb.setupHorizontalMetrics({".notdef": (500, 0)})
    fb.setupHorizontalHeader(ascent=800, descent=-200)
    fb.setupNameTable({})
    fb.setupOS2()
    fb.setupPost()
    name = fb.font["name"]
    name.names = []
    for name_id, text, (plat, enc, lang) in records:
        name.setName(text, name_id, plat, enc, lang)
    fb.save(path)


def narrow(text):
    """The installer's 8-bit form of a name: Latin-1, '?' beyond."""
    out, lossy = [], False
    for ch in text:
        if ord(ch) < 0x100:
            out.append(ch)
        else:
            out.append("?")
            lossy = True
    return "".join(out), lossy


def trim(s):
    i, j = 0, len(s)
    while i < j and ord(s[i]) <= 32:
        i += 1
    while j > i and ord(s[j - 1]) <= 32:
        j -= 1
    return s[i:j]


def expected(path):
    """Display name and version text by the installer's rules, from the
    records as fontTools reads them, in table order."""
    font = TTFont(path)
    slots = {}
    for rec in font["name"].names:
        if rec.nameID not in (1, 2, 4, 5):
            continue
        text, lossy = narrow(trim(rec.toUnicode()))
        text = trim(text)
        cur = slots.get(rec.nameID)
        if cur is None or cur[0] == "" or (cur[1] and not lossy and text):
            slots[rec.nameID] = (text, lossy)
    if 4 in slots and slots[4][0]:
        display = slots[4][0]
    elif 1 in slots:
        display = slots[1][0]
        if 2 in slots and slots[2][0]:
            display += " " + slots[2][0]
    elif 4 in slots:
        display = ""
    else:
        display = None
    version = None
    if 5 in slots:
        v = slots[5][0]
        if v[:7].upper() == "VERSION":
            v = v[7:]
        version = trim(v)
    return display, version


def line(label, display, version):
    d = "-" if display is None else "=" + display
    v = "-" if version is None else "=" + version
    return f"{label}\t{d}\t{v}\n"


def main():
    lines = []
    for file_name, records in CASES.items():
        path = os.path.join(HERE, file_name)
        build(path, records)
        lines.append(line(file_name, *expected(path)))
    dejavu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
    if os.path.exists(dejavu):
        lines.append(line(dejavu, *expected(dejavu)))
    with open(os.path.join(HERE, "expected.txt"), "w", encoding="latin-1") as f:
        f.write("# file\tdisplay name\tversion text ('-' none, '=' then the text)\n")
        f.writelines(lines)
    return 0


if __name__ == "__main__":
    sys.exit(main())
