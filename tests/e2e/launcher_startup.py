#!/usr/bin/python3
"""Start-up failures of the launcher, each an error box with its exact text
and the end of the program without a wizard page: a script of length 0, a
script without setup types, a package for Windows 98 only on an emulated
Windows 2000, and a package whose every setup type its events prevent
(the event's own warning, then nothing)."""
import os
import time
import struct
import sys

sys.path.insert(0, os.path.dirname(__file__))
import harness  # noqa: E402
import packages  # noqa: E402

SETUP = os.environ['TC_SETUP_EXE']
TEMPLATE = os.environ['TC_E2E_TEMPLATE']
SHOTS = os.environ.get('TC_E2E_SHOTS', '.')
WORK = os.environ.get('TC_E2E_WORK')

NO_TYPES = r"""[VemoInstall_File]
   [General]
      [Title]
         TITLE=No Types
      [End]
   [End]
   [Setup Types]
   [End]
[End]
"""

WIN98_ONLY = r"""[VemoInstall_File]
   [General]
      TARGET OS=Windows 98,
   [End]
   [Setup Types]
      [Setup_Type]
         NAME=Typical
      [End]
   [End]
[End]
"""

PREVENTED = r"""[VemoInstall_File]
   [Setup Types]
      [Setup_Type]
         NAME=First
         [DefaultDirs]
            [AliasDir]
               ALIAS=%InstallDir%
               DESTINATIONDIR=C:\No Such Directory
               [Event]
                  CHECKTYPE=DEFAULT DESTINATION DIRECTORY EXISTS
                  EVENT=PREVENT INSTALLATION OF CURRENT SETUP TYPE
                  TXT=First cannot be installed here.
               [End]
            [End]
         [End]
      [End]
      [Setup_Type]
         NAME=Second
         [DefaultDirs]
            [AliasDir]
               ALIAS=%OtherDir%
               DESTINATIONDIR=C:\Neither This One
               [Event]
                  CHECKTYPE=DEFAULT DESTINATION DIRECTORY EXISTS
                  EVENT=PREVENT INSTALLATION OF CURRENT SETUP TYPE
               [End]
            [End]
         [End]
      [End]
   [End]
[End]
"""

PAGES = ('Welcome', 'Software License Agreement', 'Select Components', 'Destination Location',
         'Ready to install')


def no_page(s):
    for caption in PAGES:
        r = s.xdotool('search', '--onlyvisible', '--name', '^' + caption + '$', check=False)
        assert not r.stdout.split(), f'page "{caption}" was shown'


def expect_box(s, exe, caption, text, shot):
    """Runs exe, waits for its box, checks the text, answers it with Enter;
    the program must end with exit code 1 and no page."""
    proc = s.start(exe)
    # The box's text in Wine's trace says it is up; its X window is then
    # looked for, but Wine does not always give a message box over a
    # full-screen owner a window that xdotool sees, so the answer goes to
    # the focused window, as a keyboard's would.
    deadline = harness.deadline(90)
    while text not in packages.window_texts(proc):
        assert time.time() < deadline, f'{exe}: no "{text}" within 90 s'
        assert proc.poll() is None, f'{exe}: ended ({proc.returncode}) without "{text}"'
        harness.pause(0.25)
    harness.pause(1)
    s.screenshot(os.path.join(SHOTS, shot))
    no_page(s)
    r = s.xdotool('search', '--onlyvisible', '--name', '^' + caption + '$', check=False)
    ids = r.stdout.split()
    if ids:
        s.key(ids[0].decode(), 'Return')
    else:
        s.xdotool('key', 'Return')
    rc = s.wait(proc, timeout=30)
    texts = packages.window_texts(proc)
    assert text in texts, f'{exe}: "{text}" not among {texts}'
    assert rc == 1, f'{exe}: exit code {rc}'
    return proc


def main():
    if WORK:
        os.makedirs(WORK, exist_ok=True)
    with harness.Session(TEMPLATE, workdir=WORK) as s:
        packages.prepare(s)
        s.env['WINEDEBUG'] = '-all,trace+win'

        # The launcher followed by the magic and a script length of 0.
        zero = os.path.join(s.root, 'zero.exe')
        with open(zero, 'wb') as f:
            f.write(open(SETUP, 'rb').read() + b'VemoInstall' + struct.pack('<I', 0))
        expect_box(s, zero, 'Error', 'Nothing to do!', 'startup_zero_script.png')

        exe = packages.build(s, 'notypes', NO_TYPES)
        expect_box(s, exe, 'Error', 'Nothing to do!', 'startup_no_setup_types.png')

        # Windows 2000 for this program only.
        exe = packages.build(s, 'win98only', WIN98_ONLY)
        s.wine('reg', 'add', r'HKCU\Software\Wine\AppDefaults\win98only.exe', '/v', 'Version',
               '/d', 'win2k', '/f')
        expect_box(s, exe, 'Error', 'This installation is not intended for Windows 2000!',
                   'startup_wrong_os.png')

        # The first setup type's event warns, the second's has no text; with
        # nothing to offer the program ends without a further message.
        exe = packages.build(s, 'prevented', PREVENTED)
        proc = expect_box(s, exe, 'Warning', 'First cannot be installed here.',
                          'startup_prevented.png')
        boxes = [t for t in packages.window_texts(proc) if t in ('Error', 'Warning')]
        assert boxes == ['Warning'], f'boxes shown: {boxes}'
        print('ok: zero script, no setup types, wrong system, every setup type prevented')


if __name__ == '__main__':
    main()
