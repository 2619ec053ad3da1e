#!/usr/bin/python3
"""Cancel during the installation: the status panel's Cancel asks "Are you
sure you want to cancel the installation?", "&Yes" stops the extraction,
the installation is rolled back (no product files, directory, uninstall
log or registration are left) and the wizard ends on the installation-aborted
page, whose Close ends the program."""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
import harness  # noqa: E402
import packages  # noqa: E402

TEMPLATE = os.environ['TC_E2E_TEMPLATE']
SHOTS = os.environ.get('TC_E2E_SHOTS', '.')
WORK = os.environ.get('TC_E2E_WORK')
APP = r'C:\Program Files\Launcher Demo'
UNINST_KEY = r'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\Launcher Demo'


def main():
    if WORK:
        os.makedirs(WORK, exist_ok=True)
    with harness.Session(TEMPLATE, workdir=WORK) as s:
        packages.prepare(s)
        exe = packages.build_full(s, 'cancel', 400_000_000)
        s.env['WINEDEBUG'] = '-all,trace+win'
        proc = s.start(exe)
        w = s.wait_window('Welcome', timeout=90)
        s.key(w, 'alt+n')
        w = s.wait_window('Software License Agreement', timeout=30)
        s.key(w, 'Return')
        w = s.wait_window('Destination Location', timeout=30)
        s.key(w, 'Return')
        w = s.wait_window('Ready to install', timeout=30)
        harness.pause(0.5)
        s.key(w, 'space')

        # Cancel as soon as the files are being written: the installation
        # of the big file takes a few seconds.
        s.wait_window('Background form', timeout=10)
        deadline = harness.deadline(60)
        while not os.path.isdir(s.unix_path(APP)):
            assert time.time() < deadline, 'nothing was being installed'
            harness.pause(0.05)
        # The panel's Cancel button, clicked where it stands: the panel is
        # centred 40 pixels above the bottom of the 1024 x 768 screen, the
        # button 86 pixels below the panel's top. (A key would go wherever
        # the window system's focus went when the ready page was hidden.)
        s.xdotool('mousemove', '--sync', '512', str(768 - 169 - 40 + 86))
        s.xdotool('click', '1')
        s.screenshot(os.path.join(SHOTS, 'cancel_1_installing.png'))
        box = s.wait_window('Warning', timeout=30)
        harness.pause(0.5)
        s.screenshot(os.path.join(SHOTS, 'cancel_2_question.png'))
        s.key(box, 'alt+y')

        aborted = s.wait_window('Installation aborted', timeout=120)
        harness.pause(0.7)
        s.screenshot(os.path.join(SHOTS, 'cancel_3_aborted.png'))
        assert 'Are you sure you want to cancel the installation?' in packages.window_texts(proc)
        assert not os.path.exists(s.unix_path(APP)), 'the product directory is left'
        assert s.reg_query(UNINST_KEY, 'DisplayName') is None, 'registered after the rollback'
        windir = s.drive_c('windows')
        # The uninstaller program itself stays; its log goes.
        left = [n for n in os.listdir(windir)
                if n.lower().startswith('tcuninst') and n.lower().endswith('.inf')]
        assert not left, f'uninstall log left: {left}'
        # Return on the end page's button ends the program.
        s.key(aborted, 'Return')
        rc = s.wait(proc, timeout=60)
        assert rc == 0, f'exit code {rc}'
        print('ok: cancelled with Yes, rolled back, aborted page, program ended')


if __name__ == '__main__':
    main()
