#!/usr/bin/python3
"""Runs a setup program for a person to see: on $DISPLAY when there is one.
Without one it runs on a virtual display, walks the wizard by itself with
every default and saves a screenshot of every page into OUTDIR/screens.

usage: demo.py SETUP.EXE OUTDIR"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(__file__))
import demo_walk  # noqa: E402
import harness  # noqa: E402


def main():
    setup, outdir = sys.argv[1], sys.argv[2]
    template = os.path.join(outdir, 'template-prefix')
    if os.environ.get('DISPLAY') and not os.environ.get('CI'):
        prefix = harness.ensure_template(os.path.join(outdir, 'prefix'))
        env = harness._env(prefix, os.environ['DISPLAY'])
        sys.exit(subprocess.call([harness.WINE, setup], env=env))
    shots = os.path.join(outdir, 'screens')
    os.makedirs(shots, exist_ok=True)
    with harness.Session(template, workdir=outdir) as s:
        proc = s.start(setup)
        n = demo_walk.walk_to_install(s, shots, '')
        # The finalization command opens the readme; Setup finishes when it
        # is closed.
        viewer = demo_walk.wait_viewer(s, unless='Setup Complete')
        if viewer:
            harness.pause(0.7)
            s.screenshot(os.path.join(shots, f'{n + 1:02d}_readme.png'))
            s.key(viewer, 'alt+F4')
        fin = demo_walk.page(s, 'Setup Complete', shots, f'{n + 2:02d}_finish')
        s.key(fin, 'Return')
        rc = s.wait(proc, timeout=60)
        print(f'setup.exe ended with exit code {rc}; a screenshot of every page is in {shots}')


if __name__ == '__main__':
    main()
