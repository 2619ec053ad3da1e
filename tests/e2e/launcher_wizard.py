#!/usr/bin/python3
"""The full package under Wine, walked with the keyboard: the background
(gradient bands probed, title, animation), Alt+F4 on a page asks "Exit
Setup" and Escape resumes, Enter and Alt+letters lead to Install, the status
panel's progress bar moves, the finish page ends the program and the files
are in place and registered."""
import os
import sys
import time

from PIL import Image

sys.path.insert(0, os.path.dirname(__file__))
import harness  # noqa: E402
import packages  # noqa: E402

TEMPLATE = os.environ['TC_E2E_TEMPLATE']
SHOTS = os.environ.get('TC_E2E_SHOTS', '.')
WORK = os.environ.get('TC_E2E_WORK')
APP = r'C:\Program Files\Launcher Demo'
UNINST_KEY = r'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Launcher Demo'
BIG = 100_000_000


def shot(s, name):
    harness.pause(0.7)  # the page that leaves is repainted over
    return Image.open(s.screenshot(os.path.join(SHOTS, name))).convert('RGB')


def page(s, caption, name):
    w = s.wait_window(caption, timeout=60)
    return w, shot(s, name)


def hidden(s, caption, timeout=20):
    """Pages are hidden, never destroyed: wait until none with caption shows."""
    deadline = harness.deadline(timeout)
    while time.time() < deadline:
        r = s.xdotool('search', '--onlyvisible', '--name', '^' + caption + '$', check=False)
        if not r.stdout.split():
            return True
        harness.pause(0.2)
    return False


def bar_fill(img):
    """Navy pixels of the status panel's progress bar (panel centred, 40
    pixels above the bottom edge)."""
    left, top = 1024 // 2 - 353 // 2 + 12, 768 - 169 - 40 + 48
    return sum(1 for x in range(left, left + 329) for y in range(top + 2, top + 15)
               if img.getpixel((x, y)) == (0, 0, 128))


def main():
    if WORK:
        os.makedirs(WORK, exist_ok=True)
    with harness.Session(TEMPLATE, workdir=WORK) as s:
        packages.prepare(s)
        exe = packages.build_full(s, 'full', BIG)
        s.env['WINEDEBUG'] = '-all,trace+win'
        proc = s.start(exe)

        welcome, img = page(s, 'Welcome', 'wizard_1_welcome.png')
        # Gradient bands from black to white: band k (6 pixels) is k*255/128.
        for x, y in ((5, 100), (1010, 300), (5, 700), (600, 766)):
            v = (y // 6 + 1) * 255 // 128
            assert img.getpixel((x, y)) == (v, v, v), f'({x},{y}) = {img.getpixel((x, y))}'
        yellow = sum(1 for x in range(20, 460, 2) for y in range(20, 80, 2)
                     if img.getpixel((x, y)) == (255, 255, 0))
        assert yellow > 100, f'title: {yellow} yellow pixels'
        # The two-frame animation at 1024 - 40 - 102, 5% of 768 down.
        assert img.getpixel((900, 50)) in ((255, 0, 0), (0, 0, 255)) or \
            max(img.getpixel((900, 50))[::2]) > 200, img.getpixel((900, 50))
        # The JPEG logo on the page.
        logo = sum(1 for x in range(0, 1024, 4) for y in range(150, 600, 4)
                   if abs(img.getpixel((x, y))[0] - 200) < 12 and img.getpixel((x, y))[1] < 50)
        assert logo > 500, f'logo: {logo} red pixels'

        # Alt+F4 asks; Escape resumes on the same page.
        s.key(welcome, 'alt+F4')
        box, _ = page(s, 'Exit Setup', 'wizard_2_exit_setup.png')
        s.key(box, 'Escape')
        assert hidden(s, 'Exit Setup'), 'Escape left the exit confirmation open'
        welcome, _ = page(s, 'Welcome', 'wizard_3_resumed.png')
        assert proc.poll() is None

        s.key(welcome, 'Return')
        lic, _ = page(s, 'Software License Agreement', 'wizard_4_license.png')
        s.key(lic, 'alt+y')
        dest, _ = page(s, 'Destination Location', 'wizard_5_destination.png')
        s.key(dest, 'alt+n')
        ready, _ = page(s, 'Ready to install', 'wizard_6_ready.png')
        # Return held down on Install: its repeats, which arrive while the
        # installation keeps the program busy, must not press the panel's
        # Cancel button that has the focus by then.
        s.xdotool('windowfocus', '--sync', ready, check=False)
        s.xdotool('keydown', 'Return')
        held = time.time()

        # The panel while the big file installs (the key still held): the
        # bar grows from one screenshot to a later one (how long the
        # installation takes depends on the machine, so the screen is looked
        # at until the bar moved or the panel went away).
        a = b = 0
        deadline = harness.deadline(30)
        while a == 0 and time.time() < deadline:
            harness.pause(0.1)
            first = Image.open(s.screenshot(os.path.join(SHOTS, 'wizard_7_installing.png')))
            a = b = bar_fill(first.convert('RGB'))
        while 0 < b <= a and time.time() < deadline:
            harness.pause(0.1)
            later = Image.open(s.screenshot(os.path.join(SHOTS, 'wizard_8_installing_later.png')))
            b = bar_fill(later.convert('RGB'))
        time.sleep(max(0.0, held + 1.5 * harness.SLOW - time.time()))
        s.xdotool('keyup', 'Return')
        # Seen part-filled, then fuller or (a fast machine) gone with the
        # panel: the bar moved.
        assert a > 0 and (b > a or b == 0), f'progress bar did not move: {a} then {b} navy pixels'

        fin, _ = page(s, 'Setup Complete', 'wizard_9_finish.png')
        texts = packages.window_texts(proc)
        for t in ('Installing files...', 'Setting up registry...', 'Creating program groups...'):
            assert t in texts, f'phase caption "{t}" never shown'
        s.key(fin, 'Return')
        rc = s.wait(proc, timeout=60)
        assert rc == 0, f'exit code {rc}'

        big = s.unix_path(APP + r'\big.bin')
        assert os.path.getsize(big) == BIG, 'big.bin incomplete'
        assert open(s.unix_path(APP + r'\readme.txt'), 'rb').read() == b'hello\r\n' * 1000
        assert s.reg_query(UNINST_KEY, 'DisplayName') == 'Launcher Demo'
        print(f'ok: background, exit confirmation, keyboard walk, progress {a} -> {b}, finish')


if __name__ == '__main__':
    main()
