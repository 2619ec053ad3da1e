#!/usr/bin/python3
"""Runs a setup program for a person to see: on $DISPLAY when there is one,
otherwise on a virtual display, saving a screenshot of its first window."""
import os
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
import harness  # noqa: E402


def main():
    setup, outdir = sys.argv[1], sys.argv[2]
    template = os.path.join(outdir, 'template-prefix')
    if os.environ.get('DISPLAY') and not os.environ.get('CI'):
        prefix = harness.ensure_template(os.path.join(outdir, 'prefix'))
        env = harness._env(prefix, os.environ['DISPLAY'])
        sys.exit(subprocess.call([harness.WINE, setup], env=env))
    with harness.Session(template, workdir=outdir) as s:
        proc = s.start(setup)
        time.sleep(8)
        shot = s.screenshot(os.path.join(outdir, 'demo.png'))
        print(f'screenshot: {shot}')
        if proc.poll() is None:
            print('the setup program is still running; closing it')


if __name__ == '__main__':
    main()
