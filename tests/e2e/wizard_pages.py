#!/usr/bin/python3
"""The wizard's pages walked with the keyboard only: a licence, two setup
types in single mode (the choice changed on the component page), a
destination directory whose default comes from the registry and is then
typed into the directory browser, a program folder renamed; forward and
back; the ready page's summary; Install ends on "Setup Complete" with the
files of the chosen setup type's groups in the typed directory and nothing
of the other's."""
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
REG_KEY = r'HKCU\Software\PagesE2E'

SCRIPT = r'''[VemoInstall_File]
   [General]
      TARGET OS=Windows 95,Windows 98,Windows NT 4.0 Workstation,Windows NT 4.0 Server,Windows 2000,
      [Title]
         Title=Pages Demo
      [End]
   [End]
   [UnInstaller]
      AddUnInstaller=0
   [End]
   [Groups]
      [Group]
         Name=Core
         [Directories]
            [Dir]
               DirName=%InstallDir%
               [Files]
                  Name=core.txt
                  SourceFile=core.txt
               [End]
            [End]
         [End]
         [ProgramGroups]
            [Grp]
               GroupName=506572736F6E616C2067726F7570
               [Grp]
                  GroupName=50616765732044656D6F
               [End]
            [End]
         [End]
      [End]
      [Group]
         Name=Docs
         [Directories]
            [Dir]
               DirName=%InstallDir%
               [Files]
                  Name=docs.txt
                  SourceFile=docs.txt
               [End]
            [End]
         [End]
      [End]
      [Group]
         Name=Extra
         [Directories]
            [Dir]
               DirName=%InstallDir%
               [Dir]
                  DirName=Extra
                  [Files]
                     Name=extra.txt
                     SourceFile=extra.txt
                  [End]
               [End]
            [End]
         [End]
      [End]
   [End]
   [Setup Types]
      SetupType=0
      [Setup_Type]
         Name=Typical
         [Groups]
            Group=Core
            Group=Docs
         [End]
         [DefaultDirs]
            [AliasDir]
               AllowDirChange=1
               Alias=%InstallDir%
               DestinationDir=<ProgramFilesDir>\Pages Demo
               RegistryKey=HKCU\Software\PagesE2E\Path
               DisplayName=Install Pages Demo into:
            [End]
         [End]
         [Settings]
            CanChangeSelectionState=1
            Windows2000Selected=1
            WindowsNT40Selected=1
         [End]
      [End]
      [Setup_Type]
         Name=Full
         [Groups]
            Group=Core
            Group=Extra
         [End]
         [DefaultDirs]
            [AliasDir]
               AllowDirChange=1
               Alias=%InstallDir%
               DestinationDir=<ProgramFilesDir>\Pages Demo Full
               RegistryKey=HKCU\Software\PagesE2E\Path
               DisplayName=Install the full Pages Demo into:
            [End]
         [End]
         [Settings]
            CanChangeSelectionState=1
            Windows2000Selected=2
            WindowsNT40Selected=2
         [End]
      [End]
   [End]
   [Windows]
      [Welcome]
         Show=1
         Text=Welcome to %TITLE%
         Text=This program installs %Title% on your computer.
      [End]
      [License]
         Show=1
         Text=LICENCE AGREEMENT
         Text=You may use this program.
      [End]
      [Destination]
         Show=1
         Text=Setup will install %TITLE% in the following folder.
      [End]
      [ProgramFolder]
         Show=1
         Text=Choose the program folder.
      [End]
      [Select Components]
         Show=1
         Text=Choose the components.
      [End]
      [Ready to install]
         Text=Setup is ready to install %TITLE%.
      [End]
   [End]
[End]
'''


def shot(s, name):
    path = s.screenshot(os.path.join(SHOTS, 'wizard_pages_' + name + '.png'))
    img = Image.open(path).convert('RGB')
    colours = len(img.getcolors(1 << 24) or [])
    assert colours > 4, f'{path} looks blank ({colours} colours)'
    return path


def on_screen(s, caption, path):
    """Asserts that the form is what the screenshot shows where it stands:
    above the background on the screen, not only in the window list, and
    its face colour, not the background's gradient, covers the most of it."""
    order = s.stacking()
    assert caption in order and order.index(caption) < order.index('Background form'), \
        f'"{caption}" is behind the background on the screen'
    left, top, right, bottom = s.controls(caption, os.environ['TC_CONTROLS_PROBE'])[0][:4]
    img = Image.open(path).convert('RGB').crop((max(left, 0), max(top, 0), right, bottom))
    count, colour = max(img.getcolors(1 << 24))
    share = count / (img.width * img.height)
    assert colour[0] == colour[1] == colour[2] and colour[0] >= 192 and share > 0.3, \
        f'"{caption}" is not on screen in {path}: {share:.0%} of it is {colour}'


def hidden(s, caption, timeout=20):
    """Whether no visible window has this caption any more (forms are hidden,
    not destroyed)."""
    deadline = harness.deadline(timeout)
    while time.time() < deadline:
        r = s.xdotool('search', '--onlyvisible', '--name', '^' + caption + '$', check=False)
        if not r.stdout.split():
            return True
        harness.pause(0.25)
    return False


def page(s, caption, name):
    w = s.wait_window(caption, timeout=60)
    # The program folder page scans the shell folders after it shows.
    harness.pause(1.5)
    on_screen(s, caption, shot(s, name))
    return w


def main():
    with harness.Session(TEMPLATE, version='win2k', workdir=WORK) as s:
        s.wine('reg', 'add', REG_KEY, '/v', 'Path', '/d', r'C:\FromRegistry\Pages', '/f')
        exe = packages.build(s, 'pages', SCRIPT, files={
            'core.txt': b'core\r\n', 'docs.txt': b'docs\r\n', 'extra.txt': b'extra\r\n'})
        proc = s.start(exe)

        w = page(s, 'Welcome', '01_welcome')
        s.key(w, 'alt+n')
        w = page(s, 'Software License Agreement', '02_licence')
        s.key(w, 'alt+y')
        w = page(s, 'Select Components', '03_components')
        # Back to the licence and forward again.
        s.key(w, 'alt+b')
        w = page(s, 'Software License Agreement', '04_licence_again')
        s.key(w, 'Return')
        w = page(s, 'Select Components', '05_components_again')
        # The list has the focus on Typical: Down and Space choose Full.
        s.key(w, 'Down')
        s.key(w, 'space')
        harness.pause(0.5)
        shot(s, '06_full_chosen')
        s.key(w, 'alt+n')
        w = page(s, 'Destination Location', '07_destination')
        s.key(w, 'alt+r')
        b = page(s, 'Select Destination Directory', '08_browser')
        s.key(b, 'ctrl+a')
        s.key(b, 'BackSpace')
        s.type(b, 'e2e\\\\Typed')
        shot(s, '09_browser_typed')
        s.key(b, 'Tab', 'Tab', 'Tab')
        harness.pause(0.5)
        shot(s, '09b_browser_ok_focused')
        s.key(b, 'Return')
        assert hidden(s, 'Select Destination Directory'), 'the browser stays open'
        harness.pause(0.5)
        shot(s, '10_destination_typed')
        s.key(w, 'alt+n')
        w = page(s, 'Select Program Folder', '11_folder')
        s.key(w, 'alt+p')
        s.key(w, 'End', 'shift+Home')
        s.type(w, 'Renamed Folder')
        shot(s, '12_folder_renamed')
        s.key(w, 'alt+n')
        w = page(s, 'Ready to install', '13_ready')
        # Back to the folder page: the new name stays; forward again.
        s.key(w, 'alt+b')
        w = page(s, 'Select Program Folder', '14_folder_again')
        s.key(w, 'alt+n')
        w = page(s, 'Ready to install', '15_ready_again')
        s.key(w, 'Return')
        w = page(s, 'Setup Complete', '16_finish')
        s.key(w, 'Return')
        rc = s.wait(proc, timeout=60)
        target = s.drive_c('e2e', 'Typed')
        assert open(os.path.join(target, 'core.txt'), 'rb').read() == b'core\r\n'
        assert open(os.path.join(target, 'Extra', 'extra.txt'), 'rb').read() == b'extra\r\n'
        assert not os.path.exists(os.path.join(target, 'docs.txt')), 'Typical was installed'
        assert not os.path.exists(s.drive_c('FromRegistry')), 'files went to the default'
        # The program folder is made under the name typed on its page.
        folders = [os.path.join(d, n) for d, dirs, _ in os.walk(s.drive_c('users'))
                   for n in dirs if n in ('Renamed Folder', 'Pages Demo')]
        assert [os.path.basename(f) for f in folders] == ['Renamed Folder'], folders
        print(f'ok: wizard walked, files in {target}, exit code {rc}')


if __name__ == '__main__':
    main()
