#!/usr/bin/python3
"""A launcher without a package says "File corrupted!" in an error box and
ends when the box is closed."""
import os
import sys

from PIL import Image

sys.path.insert(0, os.path.dirname(__file__))
import harness  # noqa: E402

SETUP = os.environ['TC_SETUP_EXE']
TEMPLATE = os.environ['TC_E2E_TEMPLATE']
SHOTS = os.environ.get('TC_E2E_SHOTS', '.')


def main():
    with harness.Session(TEMPLATE) as s:
        proc = s.start(SETUP)
        box = s.wait_window('Error', timeout=90)
        shot = s.screenshot(os.path.join(SHOTS, 'bare_launcher_error.png'))
        # The box has text and a button on it: far from a blank screen.
        img = Image.open(shot).convert('RGB')
        colours = len(img.getcolors(1 << 24) or [])
        assert colours > 4, f'screenshot looks blank ({colours} colours)'
        assert proc.poll() is None, 'the program must wait for the box'
        s.key(box, 'Return')
        rc = s.wait(proc, timeout=30)
        assert rc == 1, f'exit code {rc}'
        print(f'ok: error box shown and dismissed, exit code {rc}, {colours} colours in {shot}')


if __name__ == '__main__':
    main()
