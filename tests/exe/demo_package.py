#!/usr/bin/python3
"""The demo product builds into a sound package: examples/demo/build_demo.py
packs it with the host's mksetup onto the shipped launcher, then the package
is read back by the independent reader (tests/mksetup/read_package.py) and
compared with its sources: every file, picture and the uninstaller byte for
byte, the programs' and the font's packed versions, the picture links, and
the hexadecimal names of the script against the comments that explain them.
usage: demo_package.py MKSETUP WIN32_TREE WORKDIR
Exits 77 (skipped) when the host mksetup has not been built."""
import os
import re
import shutil
import subprocess
import sys

import pefile
from fontTools.ttLib import TTFont

TOP = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(TOP, 'tests', 'mksetup'))
import read_package  # noqa: E402

MKSETUP, TREE, WORK = sys.argv[1:4]
DEMO = os.path.join(TOP, 'examples', 'demo')
failures = []


def check(cond, what):
    if not cond:
        failures.append(what)
        print('FAIL:', what)


if not os.access(MKSETUP, os.X_OK):
    print('skipped: no host mksetup at', MKSETUP, '(build the native preset first)')
    sys.exit(77)
shutil.rmtree(WORK, ignore_errors=True)
os.makedirs(WORK)
out = os.path.join(WORK, 'setup.exe')
stage = os.path.join(WORK, 'stage')
rc = subprocess.call([sys.executable, os.path.join(DEMO, 'build_demo.py'), '--mksetup', MKSETUP,
                      '--win32', TREE, '-o', out, '--stage', stage])
if rc != 0:
    print('FAIL: build_demo.py exited', rc)
    sys.exit(1)

blob = open(out, 'rb').read()
stub = open(os.path.join(TREE, 'src', 'driver', 'setup.exe'), 'rb').read()
check(blob.startswith(stub), 'the package is appended to the shipped launcher')
start, script, entries = read_package.read_package(blob)
groups = read_package.check_order(entries, len(blob))
text = script.decode('latin-1')


def source(rel):
    return open(os.path.join(stage, *rel.split('\\')), 'rb').read()


# Every [Files] record: its entry holds the source's bytes.
records = re.findall(r'NAME=([^\r\n]+)\r\n\s*SOURCEFILE=([^\r\n]+)', text)
by_name = {e.name.rsplit('\\', 1)[1]: e for _, files in groups for e in files}
check(len(records) == sum(len(f) for _, f in groups) == 11 and len(groups) == 3,
      'eleven files in three groups: %d records' % len(records))
for name, src in records:
    e = by_name.get(name)
    check(e is not None and e.data == source(src), 'file %s packed from %s' % (name, src))

# Group totals written into the stored script.
for g, files in groups:
    m = re.search(r'NAME=%s\r\n' % re.escape(g.name), text)
    total = re.findall(r'TOTALSIZE=(\d+)', text[:m.start()] if m else '')
    check(m and total and int(total[-1]) == sum(len(f.data) for f in files),
          'TOTALSIZE of group %s' % g.name)

# Versions: the programs' from their version resources, the font's from its name table.
for exe in ('orchard.exe', 'orchview.exe', 'orchcfg.exe'):
    pe = pefile.PE(data=by_name[exe].data)
    ms, ls = pe.VS_FIXEDFILEINFO[0].FileVersionMS, pe.VS_FIXEDFILEINFO[0].FileVersionLS
    want = (ms >> 16) << 24 | (ms & 0xFF) << 16 | (ls >> 16) << 8 | (ls & 0xFF)
    check(by_name[exe].version == want == 0x01020007, '%s version %08X' % (exe, by_name[exe].version))
font = TTFont(os.path.join(DEMO, 'files', 'fonts', 'OrchardSans.ttf'))
check(font['name'].getDebugName(4) == 'Orchard Sans Regular', 'the font has a full name')
check(by_name['OrchardSans.ttf'].version == 1 * 256 + 20, 'the font version 1.20 is packed')

# Pictures: the background, the frames per image group in order, the logo once.
pics = [e for e in entries if e.type in (1, 2, 3)]
check([e.name for e in pics if e.type == 1] == ['Background'] and
      pics[0].data == source('pictures\\background.jpg'), 'background picture')
frames = [(e.name, e.data) for e in pics if e.type == 2]
check(frames == [('Leaves', source('pictures\\leaf%d.bmp' % i)) for i in range(1, 5)] +
      [('Notebook', source('pictures\\notebook%d.jpg' % i)) for i in (1, 2)], 'image group frames')
logos = [e for e in pics if e.type == 3]
check([e.name for e in logos] == ['Welcome', 'DestinationDir', 'ProgramFolder',
                                  'SelectComponents', 'ReadyToInstall'], 'five page logos')
check(logos[0].link == 0 and all(e.link == logos[0].pos for e in logos[1:]) and
      all(e.data == source('pictures\\logo.bmp') for e in logos), 'one logo, linked four times')
un = [e for e in entries if e.type == 10]
check(len(un) == 1 and un[0].data == open(os.path.join(TREE, 'tools', 'uninstaller',
                                                       'uninstaller.exe'), 'rb').read(),
      'the shipped uninstaller is packed')


# The script's hexadecimal names say what the comment above them says.
def unhex(v):
    return bytes.fromhex(v).decode('latin-1')


lines = text.split('\r\n')
named = 0
for i, line in enumerate(lines):
    m = re.match(r'\s*(KEYNAME|GROUPNAME|DISPLAYNAME)=(\S*)$', line)
    if not m:
        continue
    decoded = unhex(m.group(2))
    comment = lines[i - 1].strip()
    check(comment.startswith('// ' + decoded), 'line %d: %s %r under %r' % (i + 1, m.group(1), decoded, comment))
    named += 1
check(named >= 20, 'the registry and shortcut names are checked (%d)' % named)
for v in re.findall(r'\s(?:SHORTCUT|VALUE)=([0-9A-F]+)\r\n', text):
    check(unhex(v).startswith(('%InstallDir%', 'Orchard', 'OR', '$', '1')), 'value %r' % unhex(v))

print('demo package: %d entries, %d failures' % (len(entries), len(failures)))
sys.exit(1 if failures else 0)
