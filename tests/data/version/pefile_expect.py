#!/usr/bin/python3
"""Reads the version resources of the test executables with pefile and
writes what the installer's readers must report for each of them:

  <exe>  translation  LLLLCCCC | none
  <exe>  <name>       <text>        (the string of the first translation, "0" if absent)
  <exe>  packed       XXXXXXXX      (FileVersion folded 8 bits per part)

Usage: pefile_expect.py OUT.txt EXE...
"""
import os
import re
import struct
import sys

import pefile

NAMES = ["FileVersion", "FileDescription", "ProductName", "CompanyName", "WebSite"]


def int0(text):
    """The script's integer rule with default 0."""
    m = re.fullmatch(r" *([+-]?)(?:(?:\$|x|X|0x|0X)([0-9A-Fa-f]+)|([0-9]+))", text)
    if not m:
        return 0
    if m.group(2) is not None:
        value = int(m.group(2), 16)
        if value > 0xFFFFFFFF:
            return 0
        value = -value if m.group(1) == "-" else value
        return value & 0xFFFFFFFF
    value = int(m.group(3))
    value = -value if m.group(1) == "-" else value
    if not -(2**31) <= value < 2**31:
        return 0
    return value & 0xFFFFFFFF


def pack(text):
    packed = 0
    for part in text.split(".") if text else []:
        packed = (packed * 256 + int0(part)) & 0xFFFFFFFF
    return packed


def describe(path):
    pe = pefile.PE(path)
    translation, tables = None, {}
    for info in getattr(pe, "FileInfo", [[]])[0] if hasattr(pe, "FileInfo") else []:
        if info.Key == b"VarFileInfo":
            for var in info.Var:
                if b"Translation" not in var.entry or translation:
                    continue
                # pefile keeps only the last pair of the array; the first one
                # counts, so it is read from the bytes pefile located.
                at = var.get_file_offset()
                value = at + ((6 + 2 * len("Translation\0") + 3) & ~3)
                if var.ValueLength >= 4:
                    lang, cp = struct.unpack_from("<HH", pe.__data__, value)
                    translation = f"{lang:04X}{cp:04X}"
        elif info.Key == b"StringFileInfo":
            for table in info.StringTable:
                tables[table.LangID.decode().upper()] = {
                    k.decode(): v.decode("latin-1") for k, v in table.entries.items()}
    name = os.path.basename(path)
    if translation is None:
        return [f"{name}\ttranslation\tnone\n", f"{name}\tpacked\t00000000\n"]
    strings = tables.get(translation, {})
    lines = [f"{name}\ttranslation\t{translation}\n"]
    for key in NAMES:
        lines.append(f"{name}\t{key}\t{strings.get(key, '0')}\n")
    lines.append(f"{name}\tpacked\t{pack(strings.get('FileVersion', '0')):08X}\n")
    return lines


def main():
    out = sys.argv[1]
    lines = []
    for exe in sys.argv[2:]:
        lines.extend(describe(exe))
    with open(out, "w", encoding="latin-1") as f:
        f.writelines(lines)
    return 0


if __name__ == "__main__":
    sys.exit(main())
