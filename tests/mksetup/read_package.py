#!/usr/bin/python3
"""An independent reader of setup packages, written from the format's
description: the package start from the PE headers, the magic, the script,
the 282-byte entry headers, block streams of LZRW1-KH blocks and the
checksum (zlib.crc32 started from 0xFFFFFFFF)."""
import struct
import zlib

HEADER = struct.Struct('<HIIIIIi256s')
assert HEADER.size == 282


def package_start(data):
    if data[:2] != b'MZ':
        return 0
    pe = struct.unpack_from('<I', data, 60)[0]
    if data[pe:pe + 2] != b'PE':
        return 0
    opt = pe + 24
    code, init, uninit = struct.unpack_from('<III', data, opt + 4)
    headers = struct.unpack_from('<I', data, opt + 60)[0]
    return code + init + uninit + headers


def decode_block(block):
    """One block, byte by byte as the format defines it."""
    if block[0] == 0x80:
        return bytes(block[1:])
    out = bytearray()
    pos = 3
    control = block[1] << 8 | block[2]
    bits = 16
    while pos < len(block):
        if bits == 0:
            control = block[pos] << 8 | block[pos + 1]
            pos += 2
            bits = 16
            if pos >= len(block):
                break
        if control & 0x8000 == 0:
            out.append(block[pos])
            pos += 1
        else:
            b0, b1 = block[pos], block[pos + 1]
            offset = b0 * 16 + (b1 >> 4)
            if offset == 0:
                count = (b1 & 15) * 256 + block[pos + 2] + 16
                out += bytes([block[pos + 3]]) * count
                pos += 4
            else:
                length = (b1 & 15) + 3
                if offset > len(out):
                    raise ValueError('copy before the first byte')
                for _ in range(length):
                    out.append(out[-offset])
                pos += 2
        control = (control << 1) & 0xFFFF
        bits -= 1
    if len(out) > 32767:
        raise ValueError('block decodes past 32767 bytes')
    return bytes(out)


def decode_stream(data, pos, packed):
    out = bytearray()
    end = pos + packed
    while pos < end:
        n = struct.unpack_from('<i', data, pos)[0]
        pos += 4
        if n < 0 or n > 32100 or pos + n > end:
            raise ValueError('bad block length %d' % n)
        if n == 0:
            break
        out += decode_block(data[pos:pos + n])
        pos += n
    if pos != end:
        raise ValueError('block lengths do not add up to the stored size')
    return bytes(out)


class Entry:
    def __init__(self, pos, fields):
        (self.type, self.packed, self.unpacked, self.crc, self.link,
         self.version, self.date, name) = fields
        self.pos = pos
        self.name = name[1:1 + name[0]].decode('latin-1')
        self.name_tail = name[1 + name[0]:]
        self.data = None


def read_package(data):
    start = package_start(data)
    if data[start:start + 11] != b'VemoInstall':
        raise ValueError('no magic at the package start %d' % start)
    length = struct.unpack_from('<I', data, start + 11)[0]
    script = data[start + 15:start + 15 + length]
    pos = start + 15 + length
    entries = []
    by_pos = {}
    while pos < len(data):
        if pos + 282 > len(data):
            raise ValueError('header cut short at %d' % pos)
        e = Entry(pos, HEADER.unpack_from(data, pos))
        entries.append(e)
        by_pos[pos] = e
        if e.type == 20:
            pos += 282
        elif e.link:
            target = by_pos.get(e.link)
            if target is None or target.data is None:
                raise ValueError('link at %d to %d is no earlier data entry' % (pos, e.link))
            e.data = target.data
            pos += 282
        else:
            e.data = decode_stream(data, pos + 282, e.packed)
            if len(e.data) != e.unpacked:
                raise ValueError('entry at %d: %d bytes, header says %d' % (pos, len(e.data), e.unpacked))
            if zlib.crc32(e.data, 0xFFFFFFFF) != e.crc:
                raise ValueError('entry at %d: checksum mismatch' % pos)
            pos += 282 + e.packed
    if pos != len(data):
        raise ValueError('entries run past the end of the file')
    return start, script, entries


def check_order(entries, file_length):
    """Pictures, at most one uninstaller, then groups with their files."""
    i = 0
    while i < len(entries) and entries[i].type in (1, 2, 3):
        i += 1
    if i < len(entries) and entries[i].type == 10:
        i += 1
    groups = []
    while i < len(entries):
        g = entries[i]
        if g.type != 20:
            raise ValueError('entry at %d out of order' % g.pos)
        files = entries[i + 1:i + 1 + g.packed]
        if len(files) != g.packed or any(f.type != 40 for f in files):
            raise ValueError('group %s: file count wrong' % g.name)
        i += 1 + g.packed
        nxt = entries[i].pos if i < len(entries) else file_length
        if g.unpacked != nxt:
            raise ValueError('group %s: next-group offset %d, group ends at %d' % (g.name, g.unpacked, nxt))
        if g.date != -1 or g.crc or g.link or g.version:
            raise ValueError('group %s: header fields not as a group header has them' % g.name)
        groups.append((g, files))
    return groups


if __name__ == '__main__':
    import sys
    blob = open(sys.argv[1], 'rb').read()
    start, script, entries = read_package(blob)
    check_order(entries, len(blob))
    for e in entries:
        print('%d\t%d\t%s\t%d\t%d\t%08X\t%d\t%08X\t%08X' % (
            e.pos, e.type, e.name, e.packed, e.unpacked, e.crc, e.link, e.version, e.date & 0xFFFFFFFF))
