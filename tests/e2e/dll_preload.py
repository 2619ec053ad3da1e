#!/usr/bin/python3
"""Libraries planted beside the programs are not loaded. A folder holding
setup.exe and the uninstaller also holds a library built by the project
under the names of system libraries (version.dll, msimg32.dll, riched20.dll
...) that writes a marker file when it is loaded; the temporary directory,
where the uninstaller runs from, holds the same. Wine is told to prefer
such native copies, as Windows does for libraries that are not known DLLs.
The launcher shows its error box and the uninstaller its question as usual,
and they load no planted library beyond what Wine's own user32 loads for
any program that imports it (Wine's user32 imports version.dll and loads
imm32.dll; the user32 of Windows does neither from the program's folder):
that baseline is measured with a program that only imports user32. A probe
that restricts the search as the programs do and then loads libraries by
their bare names, and reads a version resource through the platform layer,
loads none; without the restriction it loads them, and a load through
rundll32 shows that the library writes its marker."""
import glob
import os
import shutil
import sys

sys.path.insert(0, os.path.dirname(__file__))
import harness  # noqa: E402

SETUP = os.environ['TC_SETUP_EXE']
UNINSTALLER = os.environ['TC_UNINSTALLER_EXE']
MARKER_DLL = os.environ['TC_MARKER_DLL']
DLL_PROBE = os.environ['TC_DLL_PROBE']
USER32_PROBE = os.environ['TC_USER32_PROBE']
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


def markers(s, *folders):
    """The markers in folders, as paths below drive C."""
    return sorted(os.path.relpath(m, s.drive_c()) for f in folders
                  for m in glob.glob(os.path.join(f, '*.loaded')))


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
        assert markers(s, downloads) == ['Downloads/winmm.dll.loaded'], markers(s, downloads)
        os.remove(os.path.join(downloads, 'winmm.dll.loaded'))

        def run_probe(exe, *args):
            path = os.path.join(downloads, os.path.basename(exe))
            shutil.copy(exe, path)
            rc = s.wait(s.start(path, *args, cwd=downloads), timeout=60)
            assert rc == 0, f'{exe} {args}: exit code {rc}'
            found = markers(s, downloads, temp)
            for m in found:
                os.remove(s.drive_c(m))
            return set(found)

        baseline = run_probe(USER32_PROBE)
        plain = run_probe(DLL_PROBE, 'plain')
        for n in ('msimg32', 'riched20', 'uxtheme', 'winmm'):
            assert f'Downloads/{n}.dll.loaded' in plain, f'{n} not taken without a restriction: {plain}'
        restricted = run_probe(DLL_PROBE)
        assert not restricted, f'loaded despite the restriction: {sorted(restricted)}'

        proc = s.start(setup, cwd=downloads)
        box = s.wait_window('Error', timeout=90)
        s.key(box, 'Return')
        rc = s.wait(proc, timeout=30)
        assert rc == 1, f'launcher exit code {rc}'
        found = set(markers(s, downloads, temp))
        assert found <= baseline, f'planted libraries loaded by the launcher: {sorted(found - baseline)}'
        for m in found:
            os.remove(s.drive_c(m))

        log = r'C:\windows\tcUninst1.inf'
        with open(s.unix_path(log), 'wb') as f:
            f.write(f'[Main]\r\nTitle={TITLE}\r\n[Files]\r\nCount=0\r\n'.encode())
        proc = s.start(uninst, log, TITLE, cwd=downloads)
        box = s.wait_window('Uninstall ' + TITLE, timeout=90)
        s.key(box, 'n')
        rc = s.wait(proc, timeout=30)
        assert rc == 0, f'uninstaller exit code {rc}'

        found = set(markers(s, downloads, temp))
        assert found <= baseline, f'planted libraries loaded by the uninstaller: {sorted(found - baseline)}'
        print(f'ok: {len(NAMES)} planted libraries in the program folder and the temporary '
              f'directory; Wine\'s user32 baseline {sorted(baseline)}; without the restriction '
              f'{len(plain)} loaded, with it none; the launcher and the uninstaller add none')


if __name__ == '__main__':
    main()
