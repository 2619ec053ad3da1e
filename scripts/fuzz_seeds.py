#!/usr/bin/python3
"""Seeds for a fuzzing campaign, cut from real packages made by mksetup.

usage: fuzz_seeds.py --mksetup MKSETUP --out DIR PACKAGE.EXE [PACKAGE.EXE...]

For each package it writes into DIR/<target>/ what that fuzz target reads:
the whole launcher file and its entry area (fuzz_package_walk), each
entry's header with its data (fuzz_extract), the first stored block of
each entry (fuzz_decompress), the script (fuzz_script, fuzz_blockini) and
the decoded pictures, fonts and programs of its entries (fuzz_bmp,
fuzz_jpeg, fuzz_fontname, fuzz_peversion). An uninstall log written the way
the engine writes one goes to fuzz_uninstall_log."""
import argparse
import hashlib
import os
import struct
import subprocess
import tempfile

HEADER = 282


def put(out, target, data, limit=1 << 20):
    if not data or len(data) > limit:
        return
    d = os.path.join(out, target)
    os.makedirs(d, exist_ok=True)
    name = hashlib.sha1(data).hexdigest()[:16]
    with open(os.path.join(d, name), 'wb') as f:
        f.write(data)


def entries(mksetup, package):
    rows = subprocess.run([mksetup, 'list', package], check=True, capture_output=True,
                          text=True, errors='replace').stdout.splitlines()
    for row in rows:
        f = row.split('\t')
        if len(f) >= 5 and f[0].isdigit():
            yield int(f[0]), int(f[1]), f[2], int(f[3])


def main():
    a = argparse.ArgumentParser()
    a.add_argument('--mksetup', required=True)
    a.add_argument('--out', required=True)
    a.add_argument('packages', nargs='+')
    o = a.parse_args()
    for package in o.packages:
        data = open(package, 'rb').read()
        rows = list(entries(o.mksetup, package))
        put(o.out, 'fuzz_package_walk', b'\x01' + data, 4 << 20)
        put(o.out, 'fuzz_package_walk', b'\x03' + data, 4 << 20)
        if rows:
            put(o.out, 'fuzz_package_walk', b'\x00' + data[rows[0][0]:], 4 << 20)
        script = subprocess.run([o.mksetup, 'script', package], check=True,
                                capture_output=True).stdout
        put(o.out, 'fuzz_script', script)
        put(o.out, 'fuzz_blockini', script)
        with tempfile.TemporaryDirectory() as tmp:
            subprocess.run([o.mksetup, 'extract', package, '-d', tmp], check=True,
                           capture_output=True)
            for root, _, files in os.walk(tmp):
                for n in files:
                    body = open(os.path.join(root, n), 'rb').read()
                    low = n.lower()
                    if body[:2] == b'BM':
                        put(o.out, 'fuzz_bmp', body)
                        put(o.out, 'fuzz_jpeg', body)
                    elif body[:3] == b'\xff\xd8\xff':
                        put(o.out, 'fuzz_jpeg', body)
                    elif low.endswith(('.ttf', '.fon', '.otf')):
                        put(o.out, 'fuzz_fontname', body)
                    elif body[:2] == b'MZ':
                        put(o.out, 'fuzz_peversion', body, 512 << 10)
        for offset, etype, name, stored in rows:
            entry = data[offset:offset + HEADER + stored]
            if len(entry) <= 64 << 10:
                put(o.out, 'fuzz_extract', b'\x00\x00' + entry)
            body = data[offset + HEADER:offset + HEADER + stored]
            if len(body) >= 4:
                (n,) = struct.unpack('<I', body[:4])
                if 0 < n <= len(body) - 4:
                    put(o.out, 'fuzz_decompress', b'\xff\xff' + body[4:4 + n])
    log = ('[Main]\r\nTitle=Orchard Notes 1.2\r\n'
           '[Directories]\r\nCount=3\r\n1=C:\\Program Files\\\r\n'
           '2=C:\\Program Files\\Orchard\\\r\n3=C:\\WINDOWS\\Orchard\\\r\n'
           '[Files]\r\nCount=3\r\n1=C:\\Program Files\\Orchard\\orchard.exe\r\n'
           '2=C:\\Program Files\\Orchard\\readme.txt\r\n3=C:\\WINDOWS\\FONTS\\orchard.ttf\r\n'
           '[RegistryValues]\r\nCount=2\r\n1=\\HKEY_CURRENT_USER\\Software\\Orchard\\Notes\\Path\r\n'
           '2=\\HKEY_LOCAL_MACHINE\\Software\\Orchard\\\r\n'
           '[ProgramLinks]\r\nCount=1\r\n1=C:\\WINDOWS\\Start Menu\\Programs\\Orchard\\Orchard.lnk\r\n'
           '[ProgramGroups]\r\nCount=1\r\n1=C:\\WINDOWS\\Start Menu\\Programs\\Orchard\\\r\n')
    put(o.out, 'fuzz_uninstall_log', log.encode())


if __name__ == '__main__':
    main()
