#!/usr/bin/python3
"""Libraries planted beside the programs are not loaded. A folder holding
setup.exe and the uninstaller also holds a library built by the project
under the names of system libraries (version.dll, msimg32.dll, riched20.dll
...) that writes a marker file when it is loaded; the temporary directory,
where the uninstaller runs from, holds the same. Wine is told to prefer
such native copies, as Windows does for libraries that are not known DLLs.
The launcher shows its error box and the uninstaller its question as usual,
and no marker appears. A control load through rundll32 shows that the
library does write its marker."""
import glob
import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(__file__))
import harness  # noqa: E402

SETUP = os.environ['TC_SETUP_EXE']
UNINSTALLER = os.environ['TC_UNINSTALLER_EXE']
MARKER_DLL = os.environ['TC_MARKER_DLL']
TEMPLATE = os.environ['TC_E2E_TEMPLATE']
WORK = os.environ.get('TC_E2E_WORK')
TITLE = 'Preload Demo'
NAMES = ['version', 'msimg32', 'riched20', 'riched32', 'comctl32', 'comdlg32', 'uxtheme',
         'dwmapi', 'winmm', 'imm32', 'usp10', 'msctf', 'cryptbase', 'profapi', 'userenv',
         'wsock32', 'mpr', 'oleaut32', 'olepro32', 'shfolder', 'apphelp', 'sspicli']


def plant(folder):
    os.makedirs(folder, exist_ok=True)
    for n in NAMES:
        shutil.copy(MARKER_DLL, os.path.join(folder, n + '.dll'))


def markers(*folders):
    return sorted(os.path.basename(m) for f in folders for m in glob.glob(os.path.join(f, '*.loaded')))


def main():
    if WORK:
        os.makedirs(WORK, exist_ok=True)
    with harness.Session(TEMPLATE, workdir=WORK) as s:
        s.env['WINEDLLOVERRIDES'] = 'mscoree,mshtml=;' + ','.join(NAMES) + '=n,b'
        downloads = s.unix_path(r'C:\Downloads')
        plant(downloads)
        temp = s.unix_path(s.wine('cmd', '/c', 'echo', '%TEMP%').stdout.decode().split()[-1])
        plant(temp)
        setup = os.path.join(downloads, 'setup.exe')
        uninst = os.path.join(downloads, 'tcUninst1.exe')
        shutil.copy(SETUP, setup)
        shutil.copy(UNINSTALLER, uninst)

        # Control: the planted library, loaded by its path, leaves its marker.
        s.wine('rundll32', r'C:\Downloads\winmm.dll,Nothing', check=False)
        assert markers(downloads) == ['winmm.dll.loaded'], markers(downloads)
        os.remove(os.path.join(downloads, 'winmm.dll.loaded'))

        proc = s.start(setup, cwd=downloads)
        box = s.wait_window('Error', timeout=90)
        s.key(box, 'Return')
        rc = s.wait(proc, timeout=30)
        assert rc == 1, f'launcher exit code {rc}'

        log = r'C:\windows\tcUninst1.inf'
        with open(s.unix_path(log), 'wb') as f:
            f.write(f'[Main]\r\nTitle={TITLE}\r\n[Files]\r\nCount=0\r\n'.encode())
        proc = s.start(uninst, log, TITLE, cwd=downloads)
        box = s.wait_window('Uninstall ' + TITLE, timeout=90)
        s.key(box, 'n')
        rc = s.wait(proc, timeout=30)
        assert rc == 0, f'uninstaller exit code {rc}'

        found = markers(downloads, temp)
        assert not found, f'planted libraries were loaded: {found}'
        print(f'ok: {len(NAMES)} planted libraries in the program folder and the temporary '
              'directory, none loaded by the launcher or the uninstaller')


if __name__ == '__main__':
    main()
