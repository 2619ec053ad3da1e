#!/usr/bin/python3
"""mksetup as a command-line tool: help, version and the exit codes its help
states; `init` then `build` then `test` turns a folder into a sound package;
the progress line appears on a terminal (a pseudo-terminal here) and never
when the output is not one.
usage: cli_e2e.py MKSETUP WORKDIR"""
import os
import pty
import random
import select
import shutil
import struct
import subprocess
import sys

MKSETUP, WORK = sys.argv[1], sys.argv[2]
failures = []


def check(cond, what):
    if not cond:
        failures.append(what)
        print('FAIL:', what)


def run(*args):
    p = subprocess.run([MKSETUP] + list(args), capture_output=True)
    return p.returncode, p.stdout.decode('latin-1'), p.stderr.decode('latin-1')


def run_on_pty(*args):
    """Runs with stderr on a pseudo-terminal; returns (status, what it got)."""
    master, slave = pty.openpty()
    p = subprocess.Popen([MKSETUP] + list(args), stdout=subprocess.DEVNULL, stderr=slave)
    os.close(slave)
    got = b''
    while True:
        r, _, _ = select.select([master], [], [], 60)
        if not r:
            break
        try:
            chunk = os.read(master, 4096)
        except OSError:  # the child closed its side
            break
        if not chunk:
            break
        got += chunk
    os.close(master)
    # The terminal turns each line end into CR LF.
    return p.wait(), got.decode('latin-1').replace('\r\n', '\n')


def make_stub(path, size=1024):
    b = bytearray(size)
    b[0:2] = b'MZ'
    struct.pack_into('<I', b, 60, 64)
    b[64:68] = b'PE\0\0'
    struct.pack_into('<III', b, 64 + 24 + 4, 512, 256, 0)
    struct.pack_into('<I', b, 64 + 24 + 60, size - 768)
    open(path, 'wb').write(b)


shutil.rmtree(WORK, ignore_errors=True)
os.makedirs(WORK)
stub = os.path.join(WORK, 'stub.exe')
make_stub(stub)

# Help, version, exit codes.
rc, out, err = run('--help')
check(rc == 0 and 'Exit status:' in out and all(c in out for c in
      ('init', 'build', 'list', 'test', 'extract', 'script', '--version')), 'help: ' + err)
check(run('build', '-h')[1] == out, 'help after a command')
rc, out, err = run('--version')
check(rc == 0 and out.startswith('mksetup ') and out.strip().split()[1][0].isdigit(), 'version: ' + out)
for args, why in ((), 'no command'), (('frobnicate',), 'unknown command'), \
                 (('build', '--script'), 'missing value'), (('build', '--bogus', 'x'), 'unknown option'), \
                 (('build', '--script', 's', '-o', 'o'), 'missing --source-root'), \
                 (('build', '--script', 's', '--source-root', '.', '-o', 'o', '--depth', '0'), 'bad depth'), \
                 (('build', '--script', 's', '--source-root', '.', '-o', 'o', '--threads', '0'), 'bad threads'), \
                 (('build', '--script', 's', '--source-root', '.', '-o', 'o', '--threads', '-2'), 'negative threads'), \
                 (('test',), 'no package'), (('test', 'a', 'b'), 'two packages'), \
                 (('extract', 'x.exe'), 'extract without -d'), (('init', '--source', '.'), 'init without -o'):
    rc, out, err = run(*args)
    check(rc == 2 and '--help' in err, f'{why}: usage status 2, got {rc}: {err}')
rc, _, err = run('test', os.path.join(WORK, 'missing.exe'))
check(rc == 1 and 'missing.exe' in err, 'a missing package fails with 1: ' + err)

# init, build, test: a folder becomes a sound package in two commands.
src = os.path.join(WORK, 'product')
os.makedirs(os.path.join(src, 'bin'))
open(os.path.join(src, 'bin', 'tool.exe'), 'wb').write(b'MZ' + bytes(500))
open(os.path.join(src, 'tool.ini'), 'wb').write(b'[Main]\r\nWindow=1\r\n')
open(os.path.join(src, 'readme.txt'), 'wb').write(b'Read me.\r\n' * 50)
script = os.path.join(WORK, 'setup.txt')
rc, _, err = run('init', '--source', src, '--title', 'Product', '-o', script)
check(rc == 0 and os.path.isfile(script), 'init: ' + err)
first = open(script, 'rb').read()
rc, _, err = run('init', '--source', src, '--title', 'Other', '-o', script)
check(rc == 1 and '--force' in err and open(script, 'rb').read() == first,
      'init keeps an existing script without --force: ' + err)
rc, _, err = run('init', '--source', src, '--title', 'Other', '-o', script, '--force')
check(rc == 0 and b'TITLE=Other' in open(script, 'rb').read(), 'init --force replaces it: ' + err)
out_exe = os.path.join(WORK, 'setup.exe')
rc, _, err = run('build', '--script', script, '--source-root', src, '--stub', stub, '-o', out_exe)
check(rc == 0 and err == '', 'build of the init script: ' + err)
rc, out, err = run('test', out_exe)
check(rc == 0 and 'all sound' in out, 'test of the init package: ' + err)
rc, listing, _ = run('list', out_exe)
names = [line.split('\t')[2] for line in listing.splitlines()]
check(set(names) >= {'Program Files', '\\%InstallDir%\\bin\\tool.exe', '\\%InstallDir%\\tool.ini',
                     '\\%InstallDir%\\readme.txt'}, 'every file is packed: %r' % names)

# A damaged package: `test` says so with 3.
data = bytearray(open(out_exe, 'rb').read())
readme = [line.split('\t') for line in listing.splitlines() if line.split('\t')[2].endswith('readme.txt')][0]
data[int(readme[0]) + 282 + 10] ^= 0xFF
bad = os.path.join(WORK, 'bad.exe')
open(bad, 'wb').write(data)
rc, _, err = run('test', bad)
check(rc == 3 and err, 'a damaged package gives 3: %d %s' % (rc, err))
rc, _, err = run('build', '--script', os.path.join(WORK, 'nope.txt'), '--source-root', src,
                 '--stub', stub, '-o', out_exe)
check(rc == 1 and 'nope.txt' in err, 'a missing script fails with 1: ' + err)

# The progress line: a build slow enough to be seen (a deep match search on
# a few megabytes) redraws one line in place on a terminal.
big = os.path.join(WORK, 'big')
os.makedirs(big)
rnd = random.Random(7)
words = [bytes(rnd.choice(b'abcdefghij') for _ in range(rnd.randrange(3, 9))) for _ in range(300)]
for i in range(6):
    open(os.path.join(big, f'part{i}.txt'), 'wb').write(
        b' '.join(rnd.choice(words) for _ in range(400000)))
big_script = os.path.join(WORK, 'big.txt')
check(run('init', '--source', big, '--title', 'Big', '-o', big_script)[0] == 0, 'init of the big folder')
big_exe = os.path.join(WORK, 'big.exe')
build = ('build', '--script', big_script, '--source-root', big, '--stub', stub, '-o', big_exe,
         '--depth', '4096')
rc, seen = run_on_pty(*build)
check(rc == 0, 'build on a terminal')
draws = seen.split('\r')[1:]
check(len(draws) >= 1, 'the line is drawn in place: %r' % seen[:300])
check(seen.endswith('\n') and seen.count('\n') == 1, 'one line, ended once: %r' % seen[-200:])
last = draws[-1].strip() if draws else ''
check(last.startswith('mksetup: 6/6 files, ') and last.endswith(' MB/s') and
      '/%.1f MB' % (sum(os.path.getsize(os.path.join(big, f)) for f in os.listdir(big)) / 2**20)
      in last, 'the last drawing counts every file and megabyte: %r' % last)
rc, seen = run_on_pty(*build, '--quiet')
check(rc == 0 and seen == '', '--quiet draws nothing: %r' % seen[:200])
rc, _, err = run(*build)
check(rc == 0 and err == '', 'no progress when stderr is not a terminal: %r' % err[:200])

# The blocks are coded on several threads: the package is the same byte for
# byte whatever their number, and at every depth it tests sound. The folder
# holds many one-block files and files of many blocks, so that a batch of
# blocks mixes entries and entries span batches.
many = os.path.join(WORK, 'many')
os.makedirs(many)
for i in range(90):
    n = rnd.randrange(0, 3) * 32000 + rnd.randrange(0, 33000) if i % 9 else 0
    open(os.path.join(many, f'f{i:02}.bin'), 'wb').write(
        b''.join(rnd.choice(words) + bytes([rnd.randrange(256)]) for _ in range(n // 6 + 1))[:n])
shutil.copy(big_exe, os.path.join(many, 'packed.bin'))  # a large, hard-to-code one
many_script = os.path.join(WORK, 'many.txt')
check(run('init', '--source', many, '--title', 'Many', '-o', many_script)[0] == 0, 'init of many files')
outputs = {}
for depth, threads in (('8', '1'), ('8', '2'), ('8', '5'), ('max', '3'), ('4096', '1')):
    out = os.path.join(WORK, f'many-{depth}-{threads}.exe')
    rc, _, err = run('build', '--script', many_script, '--source-root', many, '--stub', stub,
                     '-o', out, '--depth', depth, '--threads', threads)
    check(rc == 0, f'build at depth {depth} on {threads} threads: {err}')
    rc, _, err = run('test', out)
    check(rc == 0, f'the package of depth {depth} on {threads} threads tests sound: {err}')
    outputs[(depth, threads)] = open(out, 'rb').read() if rc == 0 else b''
check(outputs[('8', '1')] == outputs[('8', '2')] == outputs[('8', '5')],
      'depth 8: the same package on 1, 2 and 5 threads')
check(outputs[('max', '3')] == outputs[('4096', '1')], 'depth max is depth 4096, on any thread count')
check(len(outputs[('max', '3')]) < len(outputs[('8', '1')]), 'depth max gives a smaller package')

print('cli e2e: %d failures' % len(failures))
sys.exit(1 if failures else 0)
