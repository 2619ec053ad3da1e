#!/usr/bin/python3
"""Writes the picture test files of the picture loader into this folder.

Pictures come from other tools (Pillow, ImageMagick) and from small encoders
here for layouts those tools do not write (top-down rows, RLE4 with deltas,
bit-field masks, OS/2 headers). Beside every picture NAME goes NAME.expect:

    W H STEP TOL
    RRGGBB RRGGBB ...      one line per sampled row

holding the pixels of rows and columns 0, STEP, 2*STEP, ... and the last one,
as Pillow decodes the picture (or, for the files encoded here, the pixels
they were encoded from; Pillow and ImageMagick are then checked to agree
where they can read the file). TOL is the largest difference per channel a
decoder may show. index.txt lists the pictures.

Run with /usr/bin/python3 (Debian's Pillow); needs ImageMagick's convert.
The output is committed, so this only runs again when the set changes.
"""
import io
import os
import struct
import subprocess
import sys

from PIL import Image

HERE = os.path.dirname(os.path.abspath(__file__))
INDEX = []


def pattern(w, h, seed=0):
    """A colourful picture with gradients, a checker and a diagonal."""
    img = Image.new("RGB", (w, h))
    px = img.load()
    for y in range(h):
        for x in range(w):
            r = (x * 255) // max(w - 1, 1)
            g = (y * 255) // max(h - 1, 1)
            b = 220 if ((x // 4 + y // 4 + seed) % 2) else 40
            if abs(x - y) <= 1:
                r, g, b = 255 - r, 255 - g, 255 - b
            px[x, y] = (r, g, b)
    return img


def bands(w, h):
    """Large run-length pictures: horizontal bands and a disc, long runs."""
    img = Image.new("RGB", (w, h))
    px = img.load()
    for y in range(h):
        for x in range(w):
            inside = (x - w // 2) ** 2 + (y - h // 2) ** 2 < (h // 3) ** 2
            px[x, y] = (200, 40, (x * 255) // (w - 1)) if inside else ((y * 7) % 256, 90, 30)
    return img


def smooth(w, h):
    """Large pictures: smooth shapes that compress to small files."""
    img = Image.new("RGB", (w, h))
    px = img.load()
    for y in range(h):
        for x in range(w):
            r = (x * 255) // (w - 1)
            g = (y * 255) // (h - 1)
            inside = (x - w // 2) ** 2 + (y - h // 2) ** 2 < (h // 3) ** 2
            b = 200 if inside else 30
            px[x, y] = (r, g, b)
    return img


def rgb_rows(img):
    img = img.convert("RGB")
    w, h = img.size
    data = img.tobytes()
    return [[data[(y * w + x) * 3:(y * w + x) * 3 + 3] for x in range(w)] for y in range(h)]


def write_expect(name, rows, step=1, tol=0):
    h, w = len(rows), len(rows[0])
    ys = sorted(set(range(0, h, step)) | {h - 1})
    xs = sorted(set(range(0, w, step)) | {w - 1})
    with open(os.path.join(HERE, name + ".expect"), "w") as f:
        f.write("%d %d %d %d\n" % (w, h, step, tol))
        for y in ys:
            f.write(" ".join(rows[y][x].hex().upper() for x in xs) + "\n")
    INDEX.append(name)


def pillow_rows(path):
    with Image.open(path) as img:
        return rgb_rows(img)


def magick_rows(path):
    out = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True,
                         capture_output=True).stdout
    with Image.open(path) as img:
        w, h = img.size
    return [[out[(y * w + x) * 3:(y * w + x) * 3 + 3] for x in range(w)] for y in range(h)]


def agree(a, b, tol):
    return all(abs(p - q) <= tol for ra, rb in zip(a, b) for pa, pb in zip(ra, rb)
               for p, q in zip(pa, pb))


def from_tool(name, step=1, tol=0, magick_tol=None, by_magick=False):
    """Expectation from Pillow's decoding, cross-checked with ImageMagick.
    Channels of fewer than 8 bits are widened by repeating their bits, as
    ImageMagick does; Pillow scales them otherwise, so those files take
    ImageMagick's decoding."""
    path = os.path.join(HERE, name)
    rows = magick_rows(path) if by_magick else pillow_rows(path)
    if magick_tol is not None and not agree(rows, magick_rows(path), magick_tol):
        sys.exit("Pillow and ImageMagick disagree on " + name)
    write_expect(name, rows, step, tol)


def magick(name, *args):
    """convert ARGS... [FORMAT:]NAME; a last argument "FORMAT:" names the writer."""
    prefix = ""
    if args and args[-1].endswith(":"):
        args, prefix = args[:-1], args[-1]
    subprocess.run(["convert", *args, prefix + os.path.join(HERE, name)], check=True)


def save_pattern(img, name):
    path = os.path.join(HERE, "src-" + name + ".png")
    img.save(path)
    return path


# ------------------------------------------------------------------ BMP
def bmp_file(header, palette, pixels):
    offset = 14 + len(header) + len(palette)
    return (b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset) + header
            + palette + pixels)


def info_header(w, h, bits, compression, image_size=0, colors=0, size=40, masks=b""):
    head = struct.pack("<IiiHHIIiiII", size, w, h, 1, bits, compression, image_size, 2835, 2835,
                       colors, 0) + masks
    return head + b"\0" * (size - len(head))


def palette_of(colors, entry=4):
    out = b""
    for r, g, b in colors:
        out += bytes((b, g, r)) + (b"\0" if entry == 4 else b"")
    return out


def rle_encode(indices, w, h, four):
    """RLE8/RLE4 with every kind of code: runs, absolute runs, deltas over
    pixels equal to entry 0, end of line and end of bitmap."""
    out = bytearray()
    for y in range(h - 1, -1, -1):  # bottom-up
        row = indices[y]
        x = 0
        while x < w:
            # a stretch of entry 0 of 3 or more pixels becomes a delta right
            z = x
            while z < w and row[z] == 0:
                z += 1
            if z - x >= 3 and z < w:
                n = min(z - x, 255)
                out += bytes((0, 2, n, 0))
                x += n
                continue
            if z == w and z - x >= 1 and y > 0:
                break  # the rest of the row is entry 0: end of line
            run = 1
            if four:
                # a run alternates two values
                while x + run < w and run < 255 and row[x + run] == row[x + run % 2]:
                    run += 1
            else:
                while x + run < w and run < 255 and row[x + run] == row[x]:
                    run += 1
            if run >= 3 or w - x < 3:
                if four:
                    second = row[x + 1] if run > 1 else 0
                    out += bytes((run, row[x] << 4 | second))
                else:
                    out += bytes((run, row[x]))
                x += run
                continue
            n = min(w - x, 255)
            n = min(n, 3 + (x * 7 + y) % 9)  # absolute runs of assorted lengths, odd too
            chunk = row[x:x + n]
            if four:
                data = bytes((chunk[i] << 4 | (chunk[i + 1] if i + 1 < n else 0))
                             for i in range(0, n, 2))
            else:
                data = bytes(chunk)
            out += bytes((0, n)) + data + (b"\0" if len(data) % 2 else b"")
            x += n
        out += bytes((0, 0))
    out[-2:] = bytes((0, 1))
    return bytes(out)


def quantized(img, colors):
    q = img.quantize(colors, dither=Image.Dither.NONE)
    pal = q.getpalette()[:colors * 3]
    pal += [0] * (colors * 3 - len(pal))
    w, h = img.size
    data = q.tobytes()
    indices = [list(data[y * w:(y + 1) * w]) for y in range(h)]
    return [tuple(pal[i * 3:i * 3 + 3]) for i in range(colors)], indices


def expect_indices(name, colors, indices):
    write_expect(name, [[bytes(colors[i]) for i in row] for row in indices])


def write(name, data):
    with open(os.path.join(HERE, name), "wb") as f:
        f.write(data)


def crosscheck(name, rows):
    """Files encoded here against Pillow and ImageMagick, where they read them.
    Pillow scales channels of fewer than 8 bits otherwise, hence a tolerance
    for it there."""
    path = os.path.join(HERE, name)
    for tool, read in (("Pillow", pillow_rows), ("ImageMagick", magick_rows)):
        try:
            theirs = read(path)
        except Exception as e:  # a layout the tool does not read
            print("%s: %s cannot read it (%s)" % (name, tool, str(e).strip()[:60]))
            continue
        tol = 8 if tool == "Pillow" and name.startswith("bf") else 0
        print("%s: %s %s" % (name, tool, "agrees" if agree(rows, theirs, tol) else "DISAGREES"))


def make_rle(name, w, h, four, seed):
    colors, indices = quantized(pattern(w, h, seed), 16 if four else 64)
    # stretches of entry 0 for the deltas and the early ends of line
    for y in range(h):
        for x in range(w):
            if (x + 2 * y) % 23 < 5 or (y == h // 2 and x > w // 3):
                indices[y][x] = 0
    pixels = rle_encode(indices, w, h, four)
    header = info_header(w, h, 4 if four else 8, 2 if four else 1, len(pixels), len(colors))
    write(name, bmp_file(header, palette_of(colors), pixels))
    expect_indices(name, colors, indices)


def pack_rows(rows_bytes, top_down):
    out = b""
    for row in (rows_bytes if top_down else reversed(rows_bytes)):
        out += row + b"\0" * (-len(row) % 4)
    return out


def widen(v, width):
    """A channel of WIDTH bits to 8 bits by repeating its bits, as
    ImageMagick and Windows do (5 bits abcde give abcdeabc)."""
    if width >= 8:
        return v >> (width - 8)
    r, have = 0, 0
    while have < 8:
        r, have = r << width | v, have + width
    return r >> (have - 8)


def make_direct(name, w, h, bits, top_down=False, masks=None, header_size=40):
    """16 or 32 bits with bit fields, or 24 bits; masks (r, g, b)."""
    img = pattern(w, h, bits)
    src = rgb_rows(img)
    expect = []
    rows = []
    for y in range(h):
        row = b""
        erow = []
        for x in range(w):
            r, g, b = src[y][x]
            if bits == 24:
                row += bytes((b, g, r))
                erow.append(bytes((r, g, b)))
                continue
            value = 0
            channels = []
            for c, m in zip((r, g, b), masks):
                shift = (m & -m).bit_length() - 1
                width = bin(m).count("1")
                v = c >> (8 - width) if width <= 8 else c << (width - 8)
                value |= v << shift
                channels.append(widen(v, width))
            row += struct.pack("<H" if bits == 16 else "<I", value)
            erow.append(bytes(channels))
        rows.append(row)
        expect.append(erow)
    pixels = pack_rows(rows, top_down)
    height = -h if top_down else h
    if bits == 24:
        header = info_header(w, height, 24, 0, len(pixels))
    elif header_size == 40:
        header = info_header(w, height, bits, 3, len(pixels)) + struct.pack("<III", *masks)
    else:
        header = info_header(w, height, bits, 3, len(pixels), size=header_size,
                             masks=struct.pack("<III", *masks))
    write(name, bmp_file(header, b"", pixels))
    write_expect(name, expect)
    crosscheck(name, expect)


def make_indexed(name, w, h, bits, top_down=False, core=False, colors_used=0):
    colors, indices = quantized(pattern(w, h, bits), colors_used or (1 << bits if bits < 8 else 200))
    rows = []
    for row in indices:
        acc = 0
        nbits = 0
        out = bytearray()
        for i in row:
            acc = acc << bits | i
            nbits += bits
            if nbits == 8:
                out.append(acc)
                acc = nbits = 0
        if nbits:
            out.append(acc << (8 - nbits))
        rows.append(bytes(out))
    pixels = pack_rows(rows, top_down)
    if core:
        header = struct.pack("<IHHHH", 12, w, h, 1, bits)
        palette = palette_of(colors + [(0, 0, 0)] * ((1 << bits) - len(colors)), 3)
    else:
        header = info_header(w, -h if top_down else h, bits, 0, len(pixels), colors_used)
        used = colors_used or (1 << bits)
        palette = palette_of((colors + [(0, 0, 0)] * 256)[:used])
    write(name, bmp_file(header, palette, pixels))
    expect_indices(name, colors, indices)
    crosscheck(name, [[bytes(colors[i]) for i in row] for row in indices])


def bmp_set():
    # from Pillow: 1, 8 (grey and palette), 24 and 32 bits, odd widths
    for w, h in ((1, 1), (2, 3), (3, 2), (5, 7), (17, 13), (31, 9)):
        name = "pil-rgb24-%dx%d.bmp" % (w, h)
        pattern(w, h).save(os.path.join(HERE, name))
        from_tool(name, magick_tol=0)
    for w, h in ((1, 1), (9, 5), (33, 7)):
        name = "pil-mono-%dx%d.bmp" % (w, h)
        pattern(w, h).convert("1").save(os.path.join(HERE, name))
        from_tool(name, magick_tol=0)
    pattern(7, 3).convert("L").save(os.path.join(HERE, "pil-grey8-7x3.bmp"))
    from_tool("pil-grey8-7x3.bmp", magick_tol=0)
    pattern(13, 11).quantize(256).save(os.path.join(HERE, "pil-pal8-13x11.bmp"))
    from_tool("pil-pal8-13x11.bmp", magick_tol=0)
    img = pattern(6, 5).convert("RGBA")
    img.putalpha(128)
    img.save(os.path.join(HERE, "pil-rgba32-6x5.bmp"))
    write_expect("pil-rgba32-6x5.bmp", rgb_rows(pattern(6, 5)))

    # from ImageMagick: Windows 3 and 5 headers, 4 and 8 bits, RLE8, 16 and 32
    src = save_pattern(pattern(19, 7, 1), "19x7")
    magick("im-pal4-19x7.bmp", src, "-colors", "16", "-type", "palette", "BMP3:")
    from_tool("im-pal4-19x7.bmp", magick_tol=0)
    src = save_pattern(pattern(23, 17, 2), "23x17")
    magick("im-rle8-23x17.bmp", src, "-colors", "100", "-type", "palette", "-compress", "RLE",
           "BMP3:")
    from_tool("im-rle8-23x17.bmp", magick_tol=0)
    magick("im-v5-rgb24-23x17.bmp", src, "-type", "truecolor", "BMP:")
    from_tool("im-v5-rgb24-23x17.bmp", magick_tol=0)
    magick("im-v2-pal8-23x17.bmp", src, "-colors", "100", "-type", "palette", "BMP2:")
    from_tool("im-v2-pal8-23x17.bmp", magick_tol=0)
    magick("im-rgb565-23x17.bmp", src, "-define", "bmp:subtype=RGB565", "BMP:")
    from_tool("im-rgb565-23x17.bmp", by_magick=True)
    magick("im-argb32-23x17.bmp", src, "-alpha", "set", "-channel", "A", "-evaluate", "set",
           "60%", "+channel", "-define", "bmp:subtype=ARGB8888", "BMP:")
    write_expect("im-argb32-23x17.bmp", pillow_rows(src))
    big = save_pattern(bands(1200, 800), "1200x800")
    magick("im-rle8-1200x800.bmp", big, "+dither", "-colors", "32", "-type", "palette", "-compress", "RLE",
           "BMP3:")
    from_tool("im-rle8-1200x800.bmp", step=37)

    # encoded here: layouts the tools above do not write
    make_rle("rle8-deltas-37x21.bmp", 37, 21, False, 3)
    make_rle("rle4-deltas-41x19.bmp", 41, 19, True, 4)
    make_rle("rle4-deltas-1x3.bmp", 1, 3, True, 5)
    make_indexed("top-down-pal8-11x6.bmp", 11, 6, 8, top_down=True)
    make_indexed("top-down-mono-13x4.bmp", 13, 4, 1, top_down=True)
    make_indexed("pal4-used5-9x5.bmp", 9, 5, 4, colors_used=5)
    make_indexed("pal2-10x3.bmp", 10, 3, 2)
    make_indexed("core-pal4-7x5.bmp", 7, 5, 4, core=True)
    make_direct("top-down-rgb24-5x4.bmp", 5, 4, 24, top_down=True)
    make_direct("bf565-v3-9x7.bmp", 9, 7, 16, masks=(0xF800, 0x07E0, 0x001F))
    make_direct("bf444-v4-top-down-7x3.bmp", 7, 3, 16, top_down=True,
                masks=(0x0F00, 0x00F0, 0x000F), header_size=108)
    make_direct("bf101010-v5-5x5.bmp", 5, 5, 32, masks=(0x3FF00000, 0x000FFC00, 0x000003FF),
                header_size=124)


# ----------------------------------------------------------------- JPEG
def jpeg_set():
    def pil(name, img, step=1, **opts):
        img.save(os.path.join(HERE, name), "JPEG", **opts)
        from_tool(name, step)

    for w, h in ((1, 1), (7, 5), (16, 16), (33, 17)):
        pil("pil-%dx%d.jpg" % (w, h), pattern(w, h), quality=85)
    pil("pil-444-21x13.jpg", pattern(21, 13), quality=90, subsampling=0)
    pil("pil-422-21x13.jpg", pattern(21, 13), quality=90, subsampling=1)
    pil("pil-grey-9x7.jpg", pattern(9, 7).convert("L"))
    pil("pil-progressive-40x30.jpg", pattern(40, 30), progressive=True)
    pil("pil-progressive-grey-31x9.jpg", pattern(31, 9).convert("L"), progressive=True)
    pil("pil-optimized-25x25.jpg", pattern(25, 25), optimize=True)
    pil("pil-progressive-1600x1200.jpg", smooth(1600, 1200), step=41, quality=60,
        progressive=True)

    src = save_pattern(pattern(64, 48, 1), "64x48")
    magick("im-64x48.jpg", src, "-quality", "80")
    from_tool("im-64x48.jpg", step=2, magick_tol=0)
    src = save_pattern(pattern(101, 77, 2), "101x77")
    magick("im-progressive-101x77.jpg", src, "-interlace", "JPEG", "-quality", "75")
    from_tool("im-progressive-101x77.jpg", step=3, magick_tol=0)
    magick("im-grey-101x77.jpg", src, "-colorspace", "Gray")
    from_tool("im-grey-101x77.jpg", step=3, magick_tol=0)
    magick("im-cmyk-20x10.jpg", src, "-resize", "20x10!", "-colorspace", "CMYK")
    from_tool("im-cmyk-20x10.jpg", tol=2)


def main():
    for f in os.listdir(HERE):
        if f.endswith((".bmp", ".jpg", ".expect", ".png")) or f == "index.txt":
            os.remove(os.path.join(HERE, f))
    bmp_set()
    jpeg_set()
    for f in os.listdir(HERE):
        if f.startswith("src-"):
            os.remove(os.path.join(HERE, f))
    with open(os.path.join(HERE, "index.txt"), "w") as f:
        f.write("\n".join(INDEX) + "\n")


if __name__ == "__main__":
    main()
