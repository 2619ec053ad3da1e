#!/usr/bin/python3
"""The uninstaller started with its registered command line: the question is
answered No with the keyboard (nothing changes), then Yes; recorded files,
shortcut, folders, registry values, the registration and the log go, while a
file the user added and the directories holding it stay and are reported."""
import os
import sys

from PIL import Image

sys.path.insert(0, os.path.dirname(__file__))
import harness  # noqa: E402

UNINSTALLER = os.environ['TC_UNINSTALLER_EXE']
TEMPLATE = os.environ['TC_E2E_TEMPLATE']
SHOTS = os.environ.get('TC_E2E_SHOTS', '.')
WORK = os.environ.get('TC_E2E_WORK')
TITLE = 'E2E Demo'
APP = r'C:\Program Files\E2E Demo'
MENU = r'C:\E2EMenu\E2E Demo'
LOG = r'C:\windows\tcUninst1.inf'
REG_KEY = r'HKCU\Software\TcE2E\Demo'
UNINST_KEY = r'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall' + '\\' + TITLE


def write(s, path, text=b'x'):
    p = s.unix_path(path)
    os.makedirs(os.path.dirname(p), exist_ok=True)
    with open(p, 'wb') as f:
        f.write(text)


def reg(s, *args):
    rc = s.wine('reg', *args, check=False).returncode
    assert rc == 0, f'reg {args}: exit code {rc}'


def lay_out(s):
    os.makedirs(s.unix_path(APP + r'\Data'), exist_ok=True)
    os.makedirs(s.unix_path(MENU), exist_ok=True)
    write(s, APP + r'\app.exe')
    write(s, APP + r'\readme.txt')
    os.chmod(s.unix_path(APP + r'\readme.txt'), 0o444)  # read-only to Windows
    write(s, APP + r'\Data\user.txt')  # made by the user, not recorded
    write(s, MENU + r'\Demo.lnk')
    reg(s, 'add', REG_KEY, '/v', 'Path', '/d', APP, '/f')
    reg(s, 'add', REG_KEY + r'\Options', '/ve', '/d', 'on', '/f')
    reg(s, 'add', UNINST_KEY, '/v', 'DisplayName', '/d', TITLE, '/f')
    sections = [
        ('Main', ['Title=' + TITLE]),
        ('Directories', ['Count=2', f'1={APP}\\', f'2={APP}\\Data\\']),
        ('Files', ['Count=2', f'1={APP}\\app.exe', f'2={APP}\\readme.txt']),
        ('RegistryValues', ['Count=2', r'1=\HKEY_CURRENT_USER\Software\TcE2E\Demo\Path',
                            '2=\\HKEY_CURRENT_USER\\Software\\TcE2E\\Demo\\Options\\']),
        ('ProgramLinks', ['Count=1', f'1={MENU}\\Demo.lnk']),
        ('ProgramGroups', ['Count=1', f'1={MENU}\\']),
    ]
    text = ''.join(f'[{n}]\r\n' + ''.join(l + '\r\n' for l in lines) for n, lines in sections)
    write(s, LOG, text.encode('cp1252'))


def shot(s, name):
    path = s.screenshot(os.path.join(SHOTS, name))
    img = Image.open(path).convert('RGB')
    colours = len(img.getcolors(1 << 24) or [])
    assert colours > 4, f'{path} looks blank ({colours} colours)'
    return path


def main():
    if WORK:
        os.makedirs(WORK, exist_ok=True)
    with harness.Session(TEMPLATE, workdir=WORK) as s:
        lay_out(s)
        caption = 'Uninstall ' + TITLE

        # No: nothing is touched.
        proc = s.start(UNINSTALLER, LOG, TITLE)
        box = s.wait_window(caption, timeout=90)
        shot(s, 'uninstall_confirm.png')
        s.key(box, 'n')
        rc = s.wait(proc, timeout=30)
        assert rc == 0, f'declined: exit code {rc}'
        assert os.path.exists(s.unix_path(APP + r'\app.exe'))
        assert os.path.exists(s.unix_path(LOG))

        # Yes (the default button): the removal runs and reports.
        proc = s.start(UNINSTALLER, LOG, TITLE)
        box = s.wait_window(caption, timeout=90)
        s.key(box, 'Return')
        # The report box has the same caption: wait for the question to go.
        assert s.window_gone(box, timeout=30), 'the question stayed'
        report = s.wait_window(caption, timeout=60)
        final = shot(s, 'uninstall_report.png')
        assert proc.poll() is None, 'the program must wait for the report box'
        s.key(report, 'Return')
        rc = s.wait(proc, timeout=30)
        assert rc == 2, f'exit code {rc} (expected the two directories that hold user.txt)'

        for gone in (APP + r'\app.exe', APP + r'\readme.txt', MENU + r'\Demo.lnk', MENU, LOG):
            assert not os.path.exists(s.unix_path(gone)), f'{gone} is still there'
        for stays in (APP + r'\Data\user.txt', APP + r'\Data', APP, r'C:\E2EMenu'):
            assert os.path.exists(s.unix_path(stays)), f'{stays} was removed'
        assert s.reg_query(REG_KEY, 'Path') is None
        assert s.wine('reg', 'query', r'HKCU\Software\TcE2E', check=False).returncode != 0, \
            'emptied keys are removed'
        assert s.reg_query(UNINST_KEY, 'DisplayName') is None, 'registration removed'
        print(f'ok: declined, then removed; exit code {rc}; report in {final}')


if __name__ == '__main__':
    main()
