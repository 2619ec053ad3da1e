#!/usr/bin/python3
"""Acceptance of the demo product on one emulated Windows version.

usage: acceptance.py VERSION [cancel]      VERSION: win98, nt40, win2k, win10

The shipped setup.exe installs Orchard Notes with every default, walked with
the keyboard. Its whole footprint is then checked from outside the program:
files with their contents and dates, the INI file merged into the user's
own, the registry values, the shortcuts (read by lnkinfo), the font and its
registration, the uninstall log, the registration of the uninstaller and the
finalization command that opens the readme. The registered uninstall command
then removes the product, and what was the user's own stays.

With "cancel", the user's settings file is held open by another program, so
that the installation fails half-way when it merges into it: it is rolled
back, nothing of the product is left and the user's file is untouched."""
import configparser
import os
import re
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(__file__))
import demo_walk  # noqa: E402
import harness  # noqa: E402
import packages  # noqa: E402

VERSION = sys.argv[1]
CANCEL = sys.argv[2:] == ['cancel']
NT = VERSION != 'win98'
TEMPLATE = os.environ['TC_E2E_TEMPLATE']
SHOTS = os.path.join(os.environ.get('TC_E2E_SHOTS', '.'), 'acceptance')
WORK = os.environ.get('TC_E2E_WORK')
TITLE = demo_walk.TITLE
APP = r'C:\Program Files\Orchard Notes'
SAMPLES = APP + r'\Samples'
INI = r'C:\windows\Orchard.ini'
FONT_FILE = r'C:\windows\Fonts\OrchardSans.ttf'
FONT_VALUE = 'Orchard Sans Regular'  # the name table's full name, as it stands
FONT_KEY = ('HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts' if NT
            else 'HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts')
UNINST_KEY = 'HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\' + TITLE
PRODUCT_KEY = 'HKEY_LOCAL_MACHINE\\SOFTWARE\\Orchard Software\\Orchard Notes'
USER_KEY = 'HKEY_CURRENT_USER\\Software\\Orchard Software\\Orchard Notes'
# The user's own settings, there before the installation.
USER_INI = b'[Window]\r\nWidth=800\r\n\r\n[Mine]\r\nKept=yes\r\n'
# Installed file -> its source in the stage folder.
PRODUCT_FILES = {
    APP + r'\orchard.exe': 'programs/orchard.exe',
    APP + r'\orchview.exe': 'programs/orchview.exe',
    APP + r'\orchcfg.exe': 'programs/orchcfg.exe',
    APP + r'\readme.txt': 'files/readme.txt',
    APP + r'\notes.txt': 'files/notes.txt',
    APP + r'\notes.cfg': 'files/notes.cfg',
    APP + r'\help\orchard.txt': 'files/help/orchard.txt',
    FONT_FILE: 'files/fonts/OrchardSans.ttf',
}
SAMPLE_FILES = {SAMPLES + r'\garden.orn': 'files/samples/garden.orn',
                SAMPLES + r'\recipes.orn': 'files/samples/recipes.orn'}
# Shortcut (folder words under the program folder) -> target, arguments.
LINKS = {
    ('Orchard Notes', 'Orchard Notes.lnk'): (APP + r'\orchard.exe', ''),
    ('Orchard Notes', 'Orchard Help.lnk'): (APP + r'\orchview.exe', APP + r'\help\orchard.txt'),
    ('Orchard Notes', 'Read Me.lnk'): (APP + r'\readme.txt', ''),
    ('Orchard Notes', 'Tools', 'Orchard Settings.lnk'): (APP + r'\orchcfg.exe', ''),
}


def reg_export(s, key):
    """Every value under key (and its subkeys) as {(subkey, name): data
    text}, from one `reg export`; {} when the key is missing."""
    out = os.path.join(s.root, 'export.reg')
    if os.path.exists(out):
        os.remove(out)
    if s.wine('reg', 'export', key, 'Z:' + out.replace('/', '\\'), '/y', check=False).returncode:
        return {}
    raw = open(out, 'rb').read()
    text = raw.decode('utf-16') if raw[:2] in (b'\xff\xfe', b'\xfe\xff') else raw.decode('latin-1')
    values, current = {}, None
    for line in text.replace('\\\r\n  ', '').splitlines():
        m = re.match(r'^\[(.*)\]$', line)
        if m:
            current = m.group(1)
            continue
        m = re.match(r'^(@|"((?:[^"\\]|\\.)*)")=(.*)$', line)
        if m and current is not None:
            name = '' if m.group(1) == '@' else m.group(2).replace('\\\\', '\\')
            data = m.group(3)
            if data.startswith('"'):
                data = data[1:-1].replace('\\"', '"').replace('\\\\', '\\')
            values[(current, name)] = data
    return values


def lnk(s, path):
    """(target, arguments) of a shortcut, as lnkinfo reads it."""
    r = subprocess.run(['lnkinfo', path], capture_output=True, text=True, errors='replace')
    info = dict(re.findall(r'^[ \t]*([A-Za-z ]+?)[ \t]*:[ \t]*(.*?)[ \t]*$', r.stdout, re.M))
    return info.get('Local path', ''), info.get('Command line arguments', '')


def find_links(s):
    """Every .lnk file of the prefix whose name the demo makes, by folder."""
    found = {}
    for top in ('users', 'ProgramData', 'windows'):
        for d, _, names in os.walk(s.drive_c(top)):
            for n in names:
                if n.endswith('.lnk') and ('Orchard' in n or n == 'Read Me.lnk'):
                    found.setdefault(n, []).append(os.path.join(d, n))
    return found


def read_ini(data):
    p = configparser.ConfigParser(strict=False, interpolation=None)
    p.optionxform = str
    p.read_string(data.decode('cp1252'))
    return p


def check_installed(s, stage, samples_chosen):
    problems = []
    expected = dict(PRODUCT_FILES, **(SAMPLE_FILES if samples_chosen else {}))
    for installed, source in expected.items():
        p, src = s.unix_path(installed), os.path.join(stage, source)
        if not os.path.isfile(p):
            problems.append(f'{installed} missing')
            continue
        if open(p, 'rb').read() != open(src, 'rb').read():
            problems.append(f'{installed} differs from its source')
        # The package keeps the date in FAT's two-second steps.
        if abs(os.path.getmtime(p) - os.path.getmtime(src)) > 2:
            problems.append(f'{installed} dated {time.ctime(os.path.getmtime(p))}, '
                            f'its source {time.ctime(os.path.getmtime(src))}')
    if not samples_chosen:
        for installed in SAMPLE_FILES:
            if os.path.exists(s.unix_path(installed)):
                problems.append(f'{installed} installed, but the samples were not chosen')

    # The user's settings merged: their values and sections kept, the
    # product's new keys added.
    ini = read_ini(open(s.unix_path(INI), 'rb').read())
    for section, key, value in (('Window', 'Width', '800'), ('Mine', 'Kept', 'yes'),
                                ('Window', 'Height', '380'), ('Font', 'Face', 'Orchard Sans'),
                                ('Notes', 'AutoSave', '1')):
        if ini.get(section, key, fallback=None) != value:
            problems.append(f'{INI}: [{section}] {key}={ini.get(section, key, fallback=None)}, '
                            f'expected {value}')

    reg = reg_export(s, 'HKEY_LOCAL_MACHINE\\SOFTWARE\\Orchard Software')
    reg.update(reg_export(s, USER_KEY))
    reg.update(reg_export(s, 'HKEY_CLASSES_ROOT\\.orn'))
    reg.update(reg_export(s, 'HKEY_CLASSES_ROOT\\OrchardNotes.Notebook'))
    for (key, name), want in {
            (PRODUCT_KEY, 'InstallDir'): APP + '\\',
            (PRODUCT_KEY, 'Version'): 'dword:00000102',
            (USER_KEY, 'FirstRun'): 'dword:00000001',
            (USER_KEY, 'Colours'): 'hex:4f,52,01,02',
            ('HKEY_CLASSES_ROOT\\.orn', ''): 'OrchardNotes.Notebook',
            ('HKEY_CLASSES_ROOT\\OrchardNotes.Notebook\\shell\\open\\command', ''):
                APP + r'\orchview.exe "%1"'}.items():
        got = reg.get((key, name))
        if got is None or got.lower() != want.lower():
            problems.append(f'registry {key} "{name}" = {got!r}, expected {want!r}')

    links = find_links(s)
    for parts, (target, args) in LINKS.items():
        hits = [p for p in links.get(parts[-1], [])
                if p.replace('\\', '/').endswith('/'.join(parts)) and 'Desktop' not in p]
        if len(hits) != 1:
            problems.append(f'shortcut {"/".join(parts)}: {hits or "missing"}')
            continue
        got = lnk(s, hits[0])
        if got[0].lower() != target.lower() or got[1] != args:
            problems.append(f'shortcut {hits[0]} -> {got}, expected {(target, args)}')
    desktop = [p for p in links.get('Orchard Notes.lnk', []) if '/Desktop/' in p]
    if len(desktop) != 1 or lnk(s, desktop[0])[0].lower() != (APP + r'\orchard.exe').lower():
        problems.append(f"desktop shortcut: {desktop} -> {[lnk(s, p) for p in desktop]}")

    fonts = reg_export(s, FONT_KEY)
    if fonts.get((FONT_KEY, FONT_VALUE), '').lower() != 'orchardsans.ttf':
        problems.append(f'font not registered under {FONT_KEY}: '
                        f'{ {k[1]: v for k, v in fonts.items() if "Orchard" in k[1]} }')

    uninst = reg_export(s, UNINST_KEY)
    command = uninst.get((UNINST_KEY, 'UninstallString'), '')
    m = re.match(r'^(\S+) "([^"]+)" "([^"]+)"$', command)
    if uninst.get((UNINST_KEY, 'DisplayName')) != TITLE or not m:
        problems.append(f'registration: {uninst}')
        return problems, None
    exe, log, title = m.groups()
    if not os.path.isfile(s.unix_path(exe)) or title != TITLE:
        problems.append(f'uninstall command {command}: no program there')
    logtext = open(s.unix_path(log), 'rb').read().decode('cp1252')
    for installed in expected:
        if installed.lower() not in logtext.lower():
            problems.append(f'the uninstall log does not list {installed}')
    if INI.lower() in logtext.lower():
        problems.append('the uninstall log lists the user\'s own settings file')
    return problems, (exe, log, title)


def check_removed(s):
    problems = []
    for gone in list(PRODUCT_FILES) + list(SAMPLE_FILES) + [APP]:
        if os.path.exists(s.unix_path(gone)):
            problems.append(f'{gone} is still there')
    leftovers = {n: p for n, p in find_links(s).items()}
    if leftovers:
        problems.append(f'shortcuts left: {leftovers}')
    for key in (PRODUCT_KEY, USER_KEY, UNINST_KEY, 'HKEY_CLASSES_ROOT\\.orn',
                'HKEY_CLASSES_ROOT\\OrchardNotes.Notebook'):
        left = reg_export(s, key)
        if left:
            problems.append(f'registry left under {key}: {left}')
    if (FONT_KEY, FONT_VALUE) in reg_export(s, FONT_KEY):
        problems.append('the font is still registered')
    logs = [n for n in os.listdir(s.drive_c('windows')) if re.match(r'(?i)tcuninst\d+\.inf$', n)]
    if logs:
        problems.append(f'uninstall logs left: {logs}')
    return problems


def install_and_remove(s, exe, stage):
    proc = s.start(exe)
    n = demo_walk.walk_to_install(s, SHOTS, f'{VERSION}_')
    viewer = demo_walk.wait_viewer(s)
    assert viewer, 'the finalization command did not open the readme'
    s.screenshot(os.path.join(SHOTS, f'{VERSION}_{n + 1:02d}_readme.png'))
    name = s.xdotool('getwindowname', viewer).stdout.decode().strip()
    assert name.lower() == (APP + r'\readme.txt - Orchard Help Viewer').lower(), name
    # Setup waits for the program the finalization runs to end.
    harness.pause(1)
    assert s.xdotool('search', '--onlyvisible', '--name', '^Setup Complete$',
                     check=False).returncode != 0, 'the finish page did not wait for the readme'
    s.key(viewer, 'alt+F4')
    fin = demo_walk.page(s, 'Setup Complete', SHOTS, f'{VERSION}_{n + 2:02d}_finish', timeout=60)
    s.key(fin, 'Return')
    rc = s.wait(proc, timeout=60)
    assert rc == 0, f'setup.exe exit code {rc}'

    # Samples are preselected on Windows 95 and 98 only.
    problems, command = check_installed(s, stage, samples_chosen=not NT)
    assert not problems, 'after the installation:\n  ' + '\n  '.join(problems)

    exe, log, title = command
    un = s.start(exe, log, title)
    box = s.wait_window('Uninstall ' + TITLE, timeout=90)
    s.screenshot(os.path.join(SHOTS, f'{VERSION}_{n + 3:02d}_uninstall.png'))
    s.key(box, 'Return')
    assert s.window_gone(box, timeout=60), 'the uninstall question stayed'
    report = s.wait_window('Uninstall ' + TITLE, timeout=120)
    s.screenshot(os.path.join(SHOTS, f'{VERSION}_{n + 4:02d}_uninstall_report.png'))
    s.key(report, 'Return')
    rc = s.wait(un, timeout=60)
    problems = check_removed(s)
    ini = read_ini(open(s.unix_path(INI), 'rb').read())
    if ini.get('Mine', 'Kept', fallback=None) != 'yes':
        problems.append(f'the user\'s settings file lost its values: {INI}')
    assert not problems, f'after uninstalling (exit code {rc}):\n  ' + '\n  '.join(problems)
    print(f'ok: {VERSION}: installed, footprint checked, readme opened, uninstalled ({rc})')


def cancel_by_failure(s, exe):
    # Another program holds the settings file open without sharing.
    locker = s.start(os.environ['TC_FILE_LOCKER'], INI)
    deadline = harness.deadline(30)
    while b'locked' not in open(locker.log_path, 'rb').read():
        assert time.time() < deadline and locker.poll() is None, 'the file locker did not start'
        harness.pause(0.2)
    s.env['WINEDEBUG'] = '-all,trace+win'
    proc = s.start(exe)
    n = demo_walk.walk_to_install(s, SHOTS, f'{VERSION}_cancel_')
    box = s.wait_window('Error', timeout=120)
    harness.pause(0.5)
    s.screenshot(os.path.join(SHOTS, f'{VERSION}_cancel_{n + 1:02d}_merge_failed.png'))
    assert 'Failed to merge file: ' + INI + '!' in [t.replace('\\\\', '\\')
                                                    for t in packages.window_texts(proc)]
    s.key(box, 'Return')
    aborted = demo_walk.page(s, 'Installation aborted', SHOTS, f'{VERSION}_cancel_{n + 2:02d}_aborted',
                             timeout=120)
    problems = check_removed(s)
    if open(s.unix_path(INI), 'rb').read() != USER_INI:
        problems.append('the user\'s settings file changed')
    assert not problems, 'after the rollback:\n  ' + '\n  '.join(problems)
    s.key(aborted, 'Return')
    rc = s.wait(proc, timeout=60)
    assert rc == 0, f'exit code {rc}'
    print(f'ok: {VERSION}: failed half-way, rolled back, the user\'s file untouched')


def main():
    os.makedirs(SHOTS, exist_ok=True)
    if WORK:
        os.makedirs(WORK, exist_ok=True)
    with harness.Session(TEMPLATE, version=VERSION, workdir=WORK) as s:
        packages.prepare(s)
        exe, stage = demo_walk.build(s, os.environ['TC_DEMO_PROGRAMS'], os.environ['TC_SETUP_EXE'],
                                     os.environ['TC_UNINSTALLER_EXE'])
        open(s.unix_path(INI), 'wb').write(USER_INI)
        if CANCEL:
            cancel_by_failure(s, exe)
        else:
            install_and_remove(s, exe, stage)


if __name__ == '__main__':
    main()
