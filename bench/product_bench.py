#!/usr/bin/python3
"""Our setup.exe against an NSIS installer (zlib) of the same files, with a
plain copy of the tree as the floor, all under the same Wine in one run.

A product of some hundred MB in thousands of files is generated (text,
binaries of this machine, incompressible data). Our package is made by
`mksetup init` and `mksetup build`; the NSIS one by makensis from a script
that installs the same tree and writes an uninstaller. Timed: ours from the
Install key to the finish page (the wizard walked with the keyboard), NSIS
in silent mode from start to exit, the copy by xcopy. Each is run three
times in fresh prefixes, in turns, and the best time is kept. Prints the
times, the ratios, the package and stub sizes, and draws a chart with
gnuplot.

usage: product_bench.py OUTDIR   (environment as for the end-to-end
scenarios: TC_SETUP_EXE, TC_UNINSTALLER_EXE, TC_WINEARCH, TC_E2E_TEMPLATE;
TC_MKSETUP the native mksetup; TC_NSIS_TARGET x86-unicode or amd64-unicode;
TC_BENCH_FILES the number of files, 3000 by default)"""
import os
import random
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), '..', 'tests', 'e2e'))
import harness  # noqa: E402
import packages  # noqa: E402

OUT = os.path.abspath(sys.argv[1])
TEMPLATE = os.environ['TC_E2E_TEMPLATE']
MKSETUP = os.environ['TC_MKSETUP']
TARGET = os.environ.get('TC_NSIS_TARGET', 'x86-unicode')
FILES = int(os.environ.get('TC_BENCH_FILES', '3000'))
TITLE = 'Bench Product'
WORDS = ('orchard apple pear plum cherry notes window folder setup install file '
         'version registry shortcut program group block merge value key').split()


def make_tree(root):
    """FILES files in 200 folders: a third text, a third binaries of this
    machine, a third incompressible. Returns the total size."""
    rnd = random.Random(11)
    bins = sorted(os.path.join('/usr/bin', n) for n in os.listdir('/usr/bin'))
    bins = [b for b in bins if os.path.isfile(b) and not os.path.islink(b)
            and 4096 < os.path.getsize(b) < (2 << 20)]
    total = 0
    for i in range(FILES):
        d = os.path.join(root, f'part{i % 40:02d}', f'sub{(i // 40) % 5}')
        os.makedirs(d, exist_ok=True)
        kind = i % 3
        if kind == 0:
            lines = [' '.join(rnd.choice(WORDS) for _ in range(12)) for _ in range(rnd.randint(200, 2000))]
            data = ('\r\n'.join(lines) + '\r\n').encode()
            name = f'doc{i}.txt'
        elif kind == 1:
            data = open(bins[(i * 7) % len(bins)], 'rb').read()
            name = f'lib{i}.dll'
        else:
            data = rnd.randbytes(rnd.randint(20_000, 300_000))
            name = f'data{i}.bin'
        with open(os.path.join(d, name), 'wb') as f:
            f.write(data)
        total += len(data)
    return total


def stripped(work, exe):
    """A copy of a program without its debugging information, as it ships
    (the test trees keep it, which would weigh on the package size)."""
    tool = ('x86_64' if os.environ.get('TC_WINEARCH') == 'win64' else 'i686') + '-w64-mingw32-strip'
    out = os.path.join(work, 'stripped-' + os.path.basename(exe))
    subprocess.run([tool, '-o', out, exe], check=True)
    return out


def build_ours(work, tree, stub):
    script = os.path.join(work, 'setup.txt')
    out = os.path.join(work, 'ours.exe')
    subprocess.run([MKSETUP, 'init', '--source', tree, '--title', TITLE, '-o', script], check=True)
    subprocess.run([MKSETUP, 'build', '--script', script, '--source-root', tree, '--stub', stub,
                    '--uninstaller', stripped(work, os.environ['TC_UNINSTALLER_EXE']), '-o', out],
                   check=True, stdout=subprocess.DEVNULL)
    return out


def build_nsis(work, tree):
    nsi = os.path.join(work, 'bench.nsi')
    out = os.path.join(work, 'nsis.exe')
    programs = '$PROGRAMFILES64' if TARGET.startswith('amd64') else '$PROGRAMFILES'
    with open(nsi, 'w') as f:
        f.write(f'''Unicode true
Target {TARGET}
SetCompressor zlib
Name "{TITLE}"
OutFile "{out}"
InstallDir "{programs}\\{TITLE} NSIS"
RequestExecutionLevel admin
SilentInstall silent
Section
  SetOutPath "$INSTDIR"
  File /r "{tree}/*.*"
  WriteUninstaller "$INSTDIR\\uninstall.exe"
  WriteRegStr HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{TITLE} NSIS" "DisplayName" "{TITLE} NSIS"
  WriteRegStr HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{TITLE} NSIS" "UninstallString" "$INSTDIR\\uninstall.exe"
SectionEnd
Section "Uninstall"
  RMDir /r "$INSTDIR"
  DeleteRegKey HKLM "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{TITLE} NSIS"
SectionEnd
''')
    subprocess.run(['makensis', '-V1', nsi], check=True)
    return out


def time_ours(s, exe):
    proc = s.start(exe)
    # The pages the script shows, whichever they are, up to the ready page.
    shown = None
    deadline = time.monotonic() + 300
    while time.monotonic() < deadline:
        for caption in ('Welcome', 'Destination Location', 'Select Program Folder',
                        'Ready to install'):
            r = s.xdotool('search', '--onlyvisible', '--name', f'^{caption}$', check=False)
            if r.stdout.split():
                shown = (caption, r.stdout.split()[0].decode())
                break
        else:
            time.sleep(0.2)
            continue
        if shown[0] == 'Ready to install':
            break
        s.key(shown[1], 'alt+n')
        time.sleep(0.5)
    assert shown and shown[0] == 'Ready to install', f'stopped at {shown}'
    ready = shown[1]
    time.sleep(0.5)
    s.xdotool('windowfocus', '--sync', ready, check=False)
    settle()
    t0 = time.monotonic()
    s.xdotool('key', 'Return')
    deadline = t0 + 1800
    while time.monotonic() < deadline:
        r = s.xdotool('search', '--onlyvisible', '--name', '^Setup Complete$', check=False)
        if r.stdout.split():
            took = time.monotonic() - t0
            s.key(r.stdout.split()[0].decode(), 'Return')
            s.wait(proc, timeout=120)
            return took
        time.sleep(0.05)
    raise harness.HarnessError('no finish page')


def settle():
    """What the contender before wrote is put on the disk first, so that
    its write-back does not run during the next one's time."""
    os.sync()
    time.sleep(1)


def time_nsis(s, exe):
    settle()
    t0 = time.monotonic()
    s.wine(exe, '/S', timeout=1800)
    return time.monotonic() - t0


def time_copy(s, tree):
    settle()
    t0 = time.monotonic()
    s.wine('cmd', '/c', 'xcopy', '/e', '/i', '/q', '/y', 'Z:' + tree.replace('/', '\\'),
           'C:\\Copy of the tree', timeout=1800)
    return time.monotonic() - t0


def check_installed(s, tree, windows_dir):
    """Both installers must have put every file in place."""
    dest = s.unix_path(windows_dir)
    for d, _, names in os.walk(tree):
        for n in names:
            rel = os.path.relpath(os.path.join(d, n), tree)
            got = os.path.join(dest, rel)
            if os.path.getsize(got) != os.path.getsize(os.path.join(d, n)):
                raise AssertionError(f'{got}: wrong size')


def chart(results, png):
    data = os.path.join(OUT, 'chart.dat')
    with open(data, 'w') as f:
        for name, secs in results:
            f.write(f'"{name}" {secs:.3f}\n')
    subprocess.run(['gnuplot', '-e', f'''
set terminal pngcairo size 720,360 font "DejaVu Sans,11";
set output "{png}";
set style data histograms; set style fill solid 0.8 border -1; set boxwidth 0.6;
set ylabel "seconds (lower is better)"; set yrange [0:*]; set grid ytics;
set title "Installing {FILES} files under Wine";
unset key;
plot "{data}" using 2:xtic(1) linecolor rgb "#3060a0"'''], check=True)


def main():
    os.makedirs(OUT, exist_ok=True)
    work = os.path.join(OUT, 'work')
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    tree = os.path.join(work, 'tree')
    size = make_tree(tree)
    # The launcher cannot be stripped after linking (its image size fields
    # are rewritten); the payloads are compared without the stubs.
    stub = os.environ['TC_SETUP_EXE']
    ours = build_ours(work, tree, stub)
    nsis = build_nsis(work, tree)
    nsis_stub = f'/usr/share/nsis/Stubs/zlib-{TARGET}'
    times = {'ours': [], 'nsis': [], 'copy': []}
    timers = {'copy': lambda s: time_copy(s, tree), 'nsis': lambda s: time_nsis(s, nsis),
              'ours': lambda s: time_ours(s, ours)}
    # Each contender goes first, second and last once: none always follows
    # the same one, or always comes first into a fresh prefix.
    orders = (('copy', 'nsis', 'ours'), ('ours', 'copy', 'nsis'), ('nsis', 'ours', 'copy'))
    for rep, order in enumerate(orders):
        with harness.Session(TEMPLATE, workdir=work) as s:
            # Without a window manager Wine waits two seconds for one to
            # take each hidden window away, unless it manages the windows
            # itself.
            packages.prepare(s)
            for name in order:
                times[name].append(timers[name](s))
            if rep == 0:
                check_installed(s, tree, 'C:\\Program Files\\' + TITLE)
                check_installed(s, tree, 'C:\\Program Files\\' + TITLE + ' NSIS')
    best = {name: min(t) for name, t in times.items()}
    mb = 1e6
    print(f'product: {FILES} files, {size / mb:.1f} MB (a third each text, binaries, random)')
    ours_data = os.path.getsize(ours) - os.path.getsize(stub)
    nsis_data = os.path.getsize(nsis) - os.path.getsize(nsis_stub)
    print(f'package without its stub: ours {ours_data / mb:.1f} MB ({ours_data / size:.2f} of the '
          f'files), NSIS zlib {nsis_data / mb:.1f} MB ({nsis_data / size:.2f})')
    shipped = os.environ.get('TC_SHIPPED_STUB', stub)
    print(f'stub: ours {os.path.getsize(shipped) / 1024:.0f} KiB (the shipped i686 setup.exe, '
          f'static, with libjpeg), NSIS {os.path.getsize(nsis_stub) / 1024:.0f} KiB ({TARGET})')
    print(f'install, best of {len(orders)}: ours {best["ours"]:.2f} s, NSIS {best["nsis"]:.2f} s, xcopy {best["copy"]:.2f} s')
    print('every time, in turn: ' + ', '.join(
        f'{name} ' + ' '.join(f'{t:.2f}' for t in times[key]) + ' s'
        for name, key in (('ours', 'ours'), ('NSIS', 'nsis'), ('xcopy', 'copy'))))
    print(f'ratios: ours / NSIS {best["ours"] / best["nsis"]:.2f}, ours / copy '
          f'{best["ours"] / best["copy"]:.2f}, NSIS / copy {best["nsis"] / best["copy"]:.2f}')
    png = os.path.join(OUT, 'install-chart.png')
    chart([('setup.exe (ours)', best['ours']), ('NSIS, zlib', best['nsis']),
           ('xcopy (floor)', best['copy'])], png)
    print(f'chart: {png}')


if __name__ == '__main__':
    main()
