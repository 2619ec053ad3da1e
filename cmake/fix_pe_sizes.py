#!/usr/bin/python3
"""Makes a linked PE image usable as the launcher stub.

The launcher finds its package at SizeOfCode + SizeOfInitializedData +
SizeOfUninitializedData + SizeOfHeaders, and the authoring tool appends the
package at the end of the file, so that sum must equal the file size. The
Windows loader does not use these three size fields, so they are rewritten:
no uninitialised data, code as the linker counted it, and everything else
of the file as initialised data. Whatever trails the last section (a COFF
string table for long section names) is dropped, the file is padded to its
file alignment, and the header checksum is recomputed.
"""
import struct
import sys


def fix(path):
    data = bytearray(open(path, 'rb').read())
    if data[:2] != b'MZ':
        sys.exit(f'{path}: not an MZ image')
    pe = struct.unpack_from('<I', data, 60)[0]
    if data[pe:pe + 4] != b'PE\0\0':
        sys.exit(f'{path}: no PE header')
    coff = pe + 4
    nsect = struct.unpack_from('<H', data, coff + 2)[0]
    opt_size = struct.unpack_from('<H', data, coff + 16)[0]
    opt = coff + 20
    # PE32 and PE32+ keep these fields at the same offsets.
    if struct.unpack_from('<H', data, opt)[0] not in (0x10B, 0x20B):
        sys.exit(f'{path}: not a PE32 or PE32+ image')
    file_align = struct.unpack_from('<I', data, opt + 36)[0]
    size_headers = struct.unpack_from('<I', data, opt + 60)[0]
    sect = opt + opt_size
    end = size_headers
    for i in range(nsect):
        raw_size, raw_ptr = struct.unpack_from('<II', data, sect + 40 * i + 16)
        if raw_size:
            end = max(end, raw_ptr + raw_size)
    # Symbols and their string table are not needed to run the image.
    struct.pack_into('<II', data, coff + 8, 0, 0)
    del data[end:]
    if len(data) % file_align:
        data += b'\0' * (file_align - len(data) % file_align)
    size_code = struct.unpack_from('<I', data, opt + 4)[0]
    init = len(data) - size_headers - size_code
    if init < 0:
        sys.exit(f'{path}: SizeOfCode larger than the image')
    struct.pack_into('<III', data, opt + 4, size_code, init, 0)
    struct.pack_into('<I', data, opt + 64, 0)
    struct.pack_into('<I', data, opt + 64, pe_checksum(data, opt + 64))
    open(path, 'wb').write(data)


def pe_checksum(data, checksum_offset):
    total = 0
    n = len(data)
    padded = data + (b'\0' if n % 2 else b'')
    for (word,) in struct.iter_unpack('<H', padded):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    total = (total & 0xFFFF) + (total >> 16)
    return (total + n) & 0xFFFFFFFF


if __name__ == '__main__':
    for p in sys.argv[1:]:
        fix(p)
