#!/usr/bin/python3
"""The launcher under Wine, measured in one run:
- start-up: from starting setup.exe to its welcome page on the screen, for a
  package of 1 MB and one of 500 MB (best of three each), and their ratio:
  the launcher reads the script at the head of the package and nothing
  more before it shows its window, so the size should not matter;
- memory: the peak resident size of the setup process while it installs a
  package with one file of 1 GiB, against the same for the 1 MB package:
  files are streamed block by block, so the peak should not grow with them.

usage: launcher_bench.py   (environment as for the end-to-end scenarios:
TC_SETUP_EXE, TC_MKSETUP_EXE, TC_UNINSTALLER_EXE, TC_WINEARCH,
TC_E2E_TEMPLATE, TC_E2E_WORK)"""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), '..', 'tests', 'e2e'))
import harness  # noqa: E402
import packages  # noqa: E402

TEMPLATE = os.environ['TC_E2E_TEMPLATE']
WORK = os.environ.get('TC_E2E_WORK')
MB = 1_000_000


def startup(s, exe):
    """Seconds until the welcome page shows; the program is then ended."""
    t0 = time.monotonic()
    proc = s.start(exe)
    s.wait_window('Welcome', timeout=300)
    took = time.monotonic() - t0
    proc.kill()
    proc.wait()
    s.wine('wineserver', '-w', check=False)  # nothing of it left running
    return took


def peak_rss_kib(pid):
    try:
        for line in open(f'/proc/{pid}/status'):
            if line.startswith('VmHWM:'):
                return int(line.split()[1])
    except OSError:
        pass
    return 0


def install(s, exe):
    """Peak resident KiB of the setup process over a whole installation."""
    proc = s.start(exe)
    s.key(s.wait_window('Welcome', timeout=300), 'Return')
    s.key(s.wait_window('Software License Agreement', timeout=60), 'alt+y')
    s.key(s.wait_window('Destination Location', timeout=60), 'alt+n')
    s.key(s.wait_window('Ready to install', timeout=60), 'Return')
    fin = s.wait_window('Setup Complete', timeout=1800)
    peak = peak_rss_kib(proc.pid)
    s.key(fin, 'Return')
    s.wait(proc, timeout=120)
    return peak


def main():
    if WORK:
        os.makedirs(WORK, exist_ok=True)
    with harness.Session(TEMPLATE, workdir=WORK) as s:
        packages.prepare(s)
        small = packages.build_full(s, 'small', 1 * MB)
        large = packages.build_full(s, 'large', 500 * MB)
        times = {}
        for name, exe in (('1 MB', small), ('500 MB', large)):
            times[name] = min(startup(s, exe) for _ in range(3))
            print(f'start-up to the welcome page, {name} package: {times[name]:.2f} s')
        print(f'start-up ratio 500 MB / 1 MB: {times["500 MB"] / times["1 MB"]:.2f}')
        os.remove(large)
        base = install(s, small)
        print(f'peak resident size installing the 1 MB package: {base / 1024:.1f} MiB')
    with harness.Session(TEMPLATE, workdir=WORK) as s:
        packages.prepare(s)
        huge = packages.build_full(s, 'huge', 1 << 30)
        peak = install(s, huge)
        print(f'peak resident size installing a file of 1 GiB: {peak / 1024:.1f} MiB '
              f'({peak / base:.2f} x the 1 MB package, {peak * 1024 / (1 << 30):.3f} x the file)')


if __name__ == '__main__':
    main()
