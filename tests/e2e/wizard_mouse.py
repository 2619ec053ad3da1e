#!/usr/bin/python3
"""The wizard's pages walked with the mouse: the package of the keyboard
walk, every step taken by clicking the control where the system put it.
Cancel on the welcome page opens "Exit Setup" in front of the page and
Resume goes back; the destination is typed into the directory browser
opened with its button; Install and Finish end the program with the files
of the default setup type in the typed directory."""
import os
import sys

sys.path.insert(0, os.path.dirname(__file__))
import harness  # noqa: E402
import packages  # noqa: E402
import wizard_pages  # noqa: E402

PROBE = os.environ['TC_CONTROLS_PROBE']


def page(s, caption, name):
    w = s.wait_window(caption, timeout=60)
    harness.pause(1.5)
    wizard_pages.on_screen(s, caption, wizard_pages.shot(s, 'mouse_' + name))
    return w


def click(s, caption, text, cls='Button'):
    s.click_control(caption, PROBE, text, cls)


def main():
    with harness.Session(wizard_pages.TEMPLATE, version='win2k', workdir=wizard_pages.WORK) as s:
        s.wine('reg', 'add', wizard_pages.REG_KEY, '/v', 'Path', '/d', r'C:\FromRegistry\Pages',
               '/f')
        packages.prepare(s)
        exe = packages.build(s, 'pages', wizard_pages.SCRIPT, files={
            'core.txt': b'core\r\n', 'docs.txt': b'docs\r\n', 'extra.txt': b'extra\r\n'})
        proc = s.start(exe)

        page(s, 'Welcome', '01_welcome')
        click(s, 'Welcome', 'Cancel')
        page(s, 'Exit Setup', '02_exit_setup')
        # The box stands in front of the page that stays on top.
        box = s.controls('Exit Setup', PROBE)[0]
        welcome = s.controls('Welcome', PROBE)[0]
        assert box[0] >= welcome[0] - 40 and box[2] <= welcome[2] + 40, (box, welcome)
        click(s, 'Exit Setup', '&Resume')
        assert wizard_pages.hidden(s, 'Exit Setup'), 'Resume left the box open'
        click(s, 'Welcome', '&Next >')
        page(s, 'Software License Agreement', '03_licence')
        click(s, 'Software License Agreement', '&Yes')
        page(s, 'Select Components', '04_components')
        click(s, 'Select Components', '&Next >')
        page(s, 'Destination Location', '05_destination')
        click(s, 'Destination Location', 'B&rowse...')
        b = page(s, 'Select Destination Directory', '06_browser')
        s.key(b, 'ctrl+a', 'BackSpace')
        s.type(b, 'e2e\\Clicked')
        click(s, 'Select Destination Directory', 'OK')
        assert wizard_pages.hidden(s, 'Select Destination Directory'), 'the browser stays open'
        click(s, 'Destination Location', '&Next >')
        page(s, 'Select Program Folder', '07_folder')
        click(s, 'Select Program Folder', '&Next >')
        page(s, 'Ready to install', '08_ready')
        click(s, 'Ready to install', 'Install')
        page(s, 'Setup Complete', '09_finish')
        click(s, 'Setup Complete', 'Finish')
        rc = s.wait(proc, timeout=60)
        target = s.drive_c('e2e', 'Clicked')
        assert open(os.path.join(target, 'core.txt'), 'rb').read() == b'core\r\n'
        assert open(os.path.join(target, 'docs.txt'), 'rb').read() == b'docs\r\n'
        assert not os.path.exists(os.path.join(target, 'Extra')), 'Full was installed'
        print(f'ok: wizard walked with the mouse, files in {target}, exit code {rc}')


if __name__ == '__main__':
    main()
