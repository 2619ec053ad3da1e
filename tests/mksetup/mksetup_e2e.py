#!/usr/bin/python3
"""mksetup end to end: builds a package from a script and files made here,
then checks it with the independent reader (read_package.py) and with the
tool's own list, test, extract and script commands; then feeds the tool
bad input and checks that it refuses with a message and leaves no output.
usage: mksetup_e2e.py MKSETUP WORKDIR [RUNNER]
RUNNER (tools/wine-emu.sh through the test tree's wrapper) runs a Windows
build of the tool under Wine; its messages end lines with CR LF there, while
its standard output carries bytes as they are."""
import os
import random
import shutil
import struct
import subprocess
import sys
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import read_package  # noqa: E402

MKSETUP, WORK = sys.argv[1], sys.argv[2]
RUNNER = sys.argv[3:4]
failures = []


def check(cond, what):
    if not cond:
        failures.append(what)
        print('FAIL:', what)


def run(*args):
    p = subprocess.run(RUNNER + [MKSETUP] + list(args), capture_output=True,
                       stdin=subprocess.DEVNULL)
    err = p.stderr.replace(b'\r\n', b'\n') if RUNNER else p.stderr
    return p.returncode, p.stdout, err.decode('latin-1')


def make_stub(path, size=1024):
    """A PE image whose package start (the header sum) is its size."""
    b = bytearray(size)
    b[0:2] = b'MZ'
    struct.pack_into('<I', b, 60, 64)
    b[64:68] = b'PE\0\0'
    opt = 64 + 24
    struct.pack_into('<III', b, opt + 4, 512, 256, 0)   # code, data, bss
    struct.pack_into('<I', b, opt + 60, size - 768)      # headers
    open(path, 'wb').write(b)


def bmp(w, h, seed):
    rnd = random.Random(seed)
    row = bytes(rnd.randrange(4) * 60 for _ in range(w * 3)) + bytes((4 - w * 3 % 4) % 4)
    pixels = row * h
    return (b'BM' + struct.pack('<IHHI', 54 + len(pixels), 0, 0, 54) +
            struct.pack('<IiiHHIIiiII', 40, w, h, 1, 24, 0, len(pixels), 0, 0, 0, 0) + pixels)


SCRIPT = r"""[VemoInstall_File]
   [General]
      ROOT_DIR=C:\Work\Demo
      BG_IMAGEFILE=pictures\back.bmp
      [Title]
         TITLE=Demo Product
      [End]
      [ImageGroups]
         [ImageGroup]
            NAME=Spinner
            IMAGE=pictures\logo.bmp
            IMAGE=pictures\frame2.bmp
         [End]
      [End]
   [End]
   [UnInstaller]
      ADDUNINSTALLER=@UNINST@
   [End]
   [Groups]
      [Group]
         NAME=Program Files
         [Directories]
            [Dir]
               DIRNAME=%InstallDir%
               [Files]
                  NAME=readme.txt
                  SOURCEFILE=C:\Work\Demo\files\readme.txt
               [End]
               [Files]
                  NAME=data.bin
                  SOURCEFILE=files\Data.BIN
               [End]
               [Files]
                  NAME=tool.exe
                  SOURCEFILE=files\tool.exe
               [End]
               [Dir]
                  DIRNAME=sub
                  [Files]
                     NAME=empty.txt
                     SOURCEFILE=files\empty.txt
                  [End]
               [End]
            [End]
         [End]
      [End]
      [Group]
         NAME=Extras
         TOTALSIZE=999
         [Directories]
            [Dir]
               DIRNAME=<SystemDir>
               [Files]
                  NAME=big.dat
                  SOURCEFILE=files\big.dat
               [End]
            [End]
         [End]
      [End]
      [Group]
         NAME=Nothing
      [End]
   [End]
   [Setup Types]
      [Setup_Type]
         NAME=Typical
         [Groups]
            GROUP=Program Files
            GROUP=Extras
         [End]
      [End]
   [End]
   [Windows]
      [Welcome]
         SHOW=1
         LOGOPICTURE=pictures\logo.bmp
         TEXT=Welcome
      [End]
      [Destination]
         LOGOPICTURE=pictures\logo.bmp
      [End]
      [Ready to install]
         LOGOPICTURE=pictures\back.bmp
      [End]
   [End]
[End]
"""

shutil.rmtree(WORK, ignore_errors=True)
src = os.path.join(WORK, 'src')
os.makedirs(os.path.join(src, 'files'))
os.makedirs(os.path.join(src, 'pictures'))
rnd = random.Random(5)
files = {
    'readme.txt': b''.join(b'line %d of the readme\r\n' % i for i in range(3000)),
    'Data.BIN': bytes(rnd.randrange(256) for _ in range(70000)) + bytes(50000),
    'empty.txt': b'',
    'big.dat': b''.join(struct.pack('<I', i * 2654435761 & 0xFFFFFFFF) for i in range(100000)),
}


def file_version(data):
    try:
        import pefile
        pe = pefile.PE(data=data)
    except Exception:
        return None
    for fi in getattr(pe, 'FileInfo', []) or []:
        for st in fi:
            for table in getattr(st, 'StringTable', []):
                if b'FileVersion' in table.entries:
                    return table.entries[b'FileVersion'].decode('latin-1')
    return None


def find_versioned_pe():
    """A real PE file with a version resource from the machine, if any."""
    import glob
    for pattern in ('/usr/lib/i386-linux-gnu/wine/i386-windows/*.exe',
                    '/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/*.exe',
                    '/usr/lib/i386-linux-gnu/wine/i386-windows/*.dll',
                    '/usr/share/nsis/Stubs/*', '/usr/lib/mingw-w64/*/*.dll'):
        for path in sorted(glob.glob(pattern))[:400]:
            data = open(path, 'rb').read()
            if data[:2] == b'MZ' and len(data) < 4000000 and file_version(data):
                return data
    return None


files['tool.exe'] = find_versioned_pe() or b'MZ' + bytes(300)
for name, data in files.items():
    open(os.path.join(src, 'files', name), 'wb').write(data)
open(os.path.join(src, 'pictures', 'logo.bmp'), 'wb').write(bmp(40, 30, 1))
open(os.path.join(src, 'pictures', 'frame2.bmp'), 'wb').write(bmp(40, 30, 2))
open(os.path.join(src, 'pictures', 'back.bmp'), 'wb').write(bmp(64, 48, 3))
os.utime(os.path.join(src, 'files', 'readme.txt'), (1000000000, 1000000000))
stub = os.path.join(WORK, 'setup.exe')
make_stub(stub)
uninst = os.path.join(WORK, 'uninst.exe')
shutil.copy(os.path.join(src, 'files', 'tool.exe'), uninst)
script = os.path.join(WORK, 'setup.vis')
open(script, 'wb').write(SCRIPT.replace('@UNINST@', '1').replace('\n', '\r\n').encode())
out = os.path.join(WORK, 'out.exe')

rc, _, err = run('build', '--script', script, '--source-root', src, '--stub', stub,
                 '--uninstaller', uninst, '-o', out)
check(rc == 0, 'build succeeds: ' + err)
blob = open(out, 'rb').read()
check(blob[:1024] == open(stub, 'rb').read(), 'the stub leads the output unchanged')
start, text, entries = read_package.read_package(blob)
check(start == 1024, 'package starts where the stub ends')
groups = read_package.check_order(entries, len(blob))
check([g.name for g, _ in groups] == ['Program Files', 'Extras', 'Nothing'], 'groups in script order')

# TOTALSIZE is computed and written, replacing the stale value.
t = text.decode('latin-1')
check('TOTALSIZE=%d' % (sum(len(files[n]) for n in ('readme.txt', 'Data.BIN', 'empty.txt', 'tool.exe'))) in t,
      'TOTALSIZE of the first group')
check('TOTALSIZE=%d' % len(files['big.dat']) in t and 'TOTALSIZE=999' not in t, 'TOTALSIZE replaced')
check('TOTALSIZE=0' in t, 'TOTALSIZE of the empty group')
check(text.endswith(b'[End]\r\n') and b'\n' not in text.replace(b'\r\n', b''), 'CR LF line ends')

# Pictures: background, two frames, three logos; the repeated files linked
# to the header holding their data.
pics = [e for e in entries if e.type in (1, 2, 3)]
check([(e.type, e.name) for e in pics] == [(1, 'Background'), (2, 'Spinner'), (2, 'Spinner'),
                                           (3, 'Welcome'), (3, 'DestinationDir'), (3, 'ReadyToInstall')],
      'picture entries: %r' % [(e.type, e.name) for e in pics])
check(pics[3].link == pics[1].pos and pics[4].link == pics[1].pos and pics[5].link == pics[0].pos,
      'logos link to the first entry of their picture')
check(all(e.packed == e.unpacked == e.crc == 0 for e in pics if e.link), 'linked headers carry no sizes')
check(pics[1].data == open(os.path.join(src, 'pictures', 'logo.bmp'), 'rb').read(), 'picture data')
un = [e for e in entries if e.type == 10]
check(len(un) == 1 and un[0].link == 0 and un[0].name == 'Uninstaller' and un[0].data == files['tool.exe'],
      'uninstaller entry, not linked although its file is also a packed file')

# File entries: names are directory paths, data and dates as the sources.
g1 = {f.name: f for f in groups[0][1]}
check(sorted(g1) == sorted(['\\%InstallDir%\\readme.txt', '\\%InstallDir%\\data.bin',
                            '\\%InstallDir%\\tool.exe', '\\%InstallDir%\\sub\\empty.txt']), 'entry names %r' % sorted(g1))
check(g1['\\%InstallDir%\\data.bin'].data == files['Data.BIN'], 'case-insensitive source lookup')
e = g1['\\%InstallDir%\\sub\\empty.txt']
check(e.packed == 4 and e.crc == 0xFFFFFFFF and e.data == b'', 'empty file is one zero length')
check(all(f.name_tail == bytes(len(f.name_tail)) for f in entries), 'name fields zero after the name')
check(groups[1][1][0].data == files['big.dat'], 'second group data')
lt = __import__('time').localtime(1000000000)
dos = ((lt.tm_year - 1980) << 25 | lt.tm_mon << 21 | lt.tm_mday << 16 | lt.tm_hour << 11 |
       lt.tm_min << 5 | lt.tm_sec // 2)
check(g1['\\%InstallDir%\\readme.txt'].date == dos, 'FileDate in local DOS format')
fv = file_version(files['tool.exe'])
if fv:
    v = 0
    for part in fv.split('.'):
        v = (v * 256 + (int(part.strip()) if part.strip().isdigit() else 0)) & 0xFFFFFFFF
    check(g1['\\%InstallDir%\\tool.exe'].version == v,
          'packed version %08X, pefile says %s' % (g1['\\%InstallDir%\\tool.exe'].version, fv))
    check(v != 0, 'the version is not 0')
else:
    print('note: no PE file with a version resource found; the version is not cross-checked')
    check(g1['\\%InstallDir%\\tool.exe'].version == 0, 'no version resource gives 0')

# The tool's list agrees with the independent reader line by line.
rc, listing, _ = run('list', out)
mine = ['%d\t%d\t%s\t%d\t%d\t%08X\t%d\t%08X\t%08X' % (e.pos, e.type, e.name, e.packed, e.unpacked, e.crc,
                                                       e.link, e.version, e.date & 0xFFFFFFFF) for e in entries]
check(rc == 0 and listing.decode('latin-1').splitlines() == mine, 'list matches the independent reader')
rc, _, err = run('test', out)
check(rc == 0, 'test passes: ' + err)
rc, s, _ = run('script', out)
check(rc == 0 and s == text, 'script prints the stored script')
xdir = os.path.join(WORK, 'x')
rc, _, err = run('extract', out, '-d', xdir)
check(rc == 0, 'extract: ' + err)
check(open(os.path.join(xdir, 'Program Files', '%InstallDir%', 'data.bin'), 'rb').read() == files['Data.BIN'],
      'extracted file')
check(open(os.path.join(xdir, 'Extras', '_SystemDir_', 'big.dat'), 'rb').read() == files['big.dat'],
      'extracted file with a macro directory')

# The same inputs give the same bytes.
out2 = os.path.join(WORK, 'out2.exe')
run('build', '--script', script, '--source-root', src, '--stub', stub, '--uninstaller', uninst, '-o', out2)
check(open(out2, 'rb').read() == blob, 'byte-identical rebuild')

# Damage is found: a flipped data byte, a cut file.
bad = bytearray(blob)
bad[groups[1][1][0].pos + 282 + 100] ^= 0x55
open(os.path.join(WORK, 'bad.exe'), 'wb').write(bad)
rc, _, err = run('test', os.path.join(WORK, 'bad.exe'))
check(rc != 0 and 'big.dat' in err, 'test finds a damaged entry: ' + err)
open(os.path.join(WORK, 'cut.exe'), 'wb').write(blob[:-1000])
rc, _, err = run('test', os.path.join(WORK, 'cut.exe'))
check(rc != 0, 'test finds a cut package')
# Cut where a group begins: every header before it is whole, but the groups
# the script names are missing (a group without files may be missing).
for g in [g for g in groups if g[1]]:
    open(os.path.join(WORK, 'cut.exe'), 'wb').write(blob[:g[0].pos])
    rc, _, err = run('test', os.path.join(WORK, 'cut.exe'))
    check(rc != 0 and 'no group header' in err, 'test finds the missing groups: ' + err)


def refuses(why, script_text=None, expect='', stub_path=None, extra=(), name='bad.vis'):
    path = os.path.join(WORK, name)
    open(path, 'wb').write((script_text or SCRIPT.replace('@UNINST@', '1')).replace('\n', '\r\n').encode())
    target = os.path.join(WORK, 'refused.exe')
    for stale in (target, target + '.tmp'):
        if os.path.exists(stale):
            os.remove(stale)
    rc, _, err = run('build', '--script', path, '--source-root', src, '--stub', stub_path or stub,
                     '-o', target, *extra)
    check(rc != 0, why + ': exit status')
    check(expect.lower() in err.lower(), why + ': message "%s"' % err.strip())
    check(not os.path.exists(target) and not os.path.exists(target + '.tmp'), why + ': no output left')


base = SCRIPT.replace('@UNINST@', '1')
refuses('missing source file', base.replace(r'files\big.dat', r'files\nothere.dat'), 'nothere.dat')
refuses('script that does not load', base.replace('[VemoInstall_File]', '[Something]'), 'not a VemoInstall file')
refuses('truncated script', base[:base.index('NAME=Extras')], 'truncated')
refuses('name longer than 255 bytes', base.replace('DIRNAME=sub', 'DIRNAME=' + 'd' * 250), '255')
refuses('empty DIRNAME', base.replace('DIRNAME=sub', 'DIRNAME='), 'DIRNAME')
refuses('DIRNAME with a backslash', base.replace('DIRNAME=sub', r'DIRNAME=sub\deeper'), 'backslash')
refuses('sibling directories differing in case',
        base.replace('            [Dir]\n               DIRNAME=<SystemDir>',
                     '            [Dir]\n               DIRNAME=<SYSTEMDIR>\n            [End]\n'
                     '            [Dir]\n               DIRNAME=<SystemDir>'), 'letter case')
refuses('group name with "="', base.replace('NAME=Extras', 'NAME=Ex=tras'), '=')
refuses('absolute path outside ROOT_DIR', base.replace(r'files\big.dat', r'D:\Other\big.dat'), 'ROOT_DIR')
refuses('uninstaller with ADDUNINSTALLER=0', SCRIPT.replace('@UNINST@', '0'), 'ADDUNINSTALLER',
        extra=('--uninstaller', uninst))
bad_stub = os.path.join(WORK, 'badstub.exe')
make_stub(bad_stub)
open(bad_stub, 'ab').write(b'appended')
refuses('stub whose package start is not its size', base, 'package start', stub_path=bad_stub)

# ADDUNINSTALLER=0 without an uninstaller builds and tests clean.
open(script, 'wb').write(SCRIPT.replace('@UNINST@', '0').replace('\n', '\r\n').encode())
rc, _, err = run('build', '--script', script, '--source-root', src, '--stub', stub, '-o', out)
check(rc == 0 and run('test', out)[0] == 0, 'package without uninstaller: ' + err)
check(not any(e.type == 10 for e in read_package.read_package(open(out, 'rb').read())[2]), 'no uninstaller entry')

print('%d failure(s)' % len(failures))
sys.exit(1 if failures else 0)
