"""Packages for the launcher's end-to-end scenarios, built by mksetup from a
script and files written here: pictures (BMP and JPEG through Pillow),
product files, an optional uninstaller."""
import os
import random
import shutil
import subprocess

from PIL import Image

MKSETUP = os.environ.get('TC_MKSETUP')


def run_mksetup(session, args):
    """mksetup: the native tool when given, else mksetup.exe under Wine."""
    if MKSETUP and not MKSETUP.lower().endswith('.exe'):
        r = subprocess.run([MKSETUP, *args], capture_output=True)
        out = r.stdout + r.stderr
    else:
        exe = os.environ['TC_MKSETUP_EXE']
        # Unix paths as the Z: drive.
        args = ['Z:' + a.replace('/', '\\') if a.startswith('/') else a for a in args]
        r = session.wine(exe, *args, check=False, timeout=300)
        out = r.stdout
    if r.returncode != 0:
        raise AssertionError(f'mksetup {args[0]} failed ({r.returncode}): {out.decode(errors="replace")}')


def bmp(path, w, h, colour):
    Image.new('RGB', (w, h), colour).save(path, 'BMP')


def jpeg(path, w, h, colour):
    img = Image.new('RGB', (w, h), colour)
    # A frame of a second colour, so that a placement error shows.
    for x in range(w):
        img.putpixel((x, 0), (255, 255, 0))
        img.putpixel((x, h - 1), (255, 255, 0))
    img.save(path, 'JPEG', quality=95)


def build(session, name, script, files=None, pictures=None, stub=None, uninstaller=None):
    """Writes the script and files under the session's folder and builds
    name.exe from the stub; returns its path. files: relative name -> bytes;
    pictures: relative name -> (kind, w, h, colour)."""
    root = os.path.join(session.root, 'pkg-' + name)
    src = os.path.join(root, 'src')
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(src)
    for rel, data in (files or {}).items():
        p = os.path.join(src, *rel.split('\\'))
        os.makedirs(os.path.dirname(p), exist_ok=True)
        open(p, 'wb').write(data)
    for rel, (kind, w, h, colour) in (pictures or {}).items():
        p = os.path.join(src, *rel.split('\\'))
        os.makedirs(os.path.dirname(p), exist_ok=True)
        (jpeg if kind == 'jpeg' else bmp)(p, w, h, colour)
    script_path = os.path.join(root, 'setup.vis')
    open(script_path, 'wb').write(script.replace('\r\n', '\n').replace('\n', '\r\n').encode('cp1252'))
    out = os.path.join(root, name + '.exe')
    args = ['build', '--script', script_path, '--source-root', src,
            '--stub', stub or os.environ['TC_SETUP_EXE'], '-o', out]
    if uninstaller:
        args += ['--uninstaller', uninstaller]
    run_mksetup(session, args)
    return out


def payload(size, seed):
    rnd = random.Random(seed)
    # In pieces: one call makes at most 2^28 bytes.
    step = 1 << 26
    return b''.join(rnd.randbytes(min(step, size - at)) for at in range(0, size, step))


def prepare(session):
    """No window manager runs on the virtual display: Wine then keeps the
    windows' order itself and draws their frames."""
    key = r'HKCU\Software\Wine\X11 Driver'
    session.wine('reg', 'add', key, '/v', 'Managed', '/d', 'N', '/f')
    session.wine('reg', 'add', key, '/v', 'Decorated', '/d', 'N', '/f')


def window_texts(proc):
    """The window texts the program set, from Wine's trace+win output."""
    import re
    text = open(proc.log_path, 'rb').read().decode('utf-8', errors='replace')
    return re.findall(r'set_window_text [^\n]*?L"((?:[^"\\]|\\.)*)"', text)


FULL_SCRIPT = r"""[VemoInstall_File]
   [General]
      ROOT_DIR=C:\Work
      BG_GRADIENT=1
      BG_STARTINGCOLOR=#000000
      BG_ENDINGCOLOR=#FFFFFF
      BG_IMAGEFILE=pictures\back.bmp
      BG_ALIGNMENT=CENTER
      BG_DISPLAY=NORMAL
      [Title]
         TITLE=Launcher Demo
         SHOWTITLE=1
         COLOR=#FFFF00
         TITLELEFT=20
         TITLETOP=20
         [Font]
            NAME=Times New Roman
            SIZE=36
            STYLE=[fsBold,fsItalic]
         [End]
      [End]
      [ImageGroups]
         [ImageGroup]
            NAME=Spinner
            ALWAYSSHOW=1
            FRAMESPERSECOND=4
            HORIZONTALALIGN=RIGHT
            HORIZONTALSPACE=10
            VERTICALALIGN=TOP
            VERTICALSPACE=5
            IMAGE=pictures\f1.bmp
            IMAGE=pictures\f2.jpg
         [End]
      [End]
   [End]
   [UnInstaller]
      ADDUNINSTALLER=1
   [End]
   [Groups]
      [Group]
         NAME=Program Files
         [Directories]
            [Dir]
               DIRNAME=%InstallDir%
               [Files]
                  NAME=readme.txt
                  SOURCEFILE=files\readme.txt
               [End]
               [Files]
                  NAME=big.bin
                  SOURCEFILE=files\big.bin
               [End]
            [End]
         [End]
      [End]
   [End]
   [Setup Types]
      [Setup_Type]
         NAME=Typical
         [Groups]
            GROUP=Program Files
         [End]
         [DefaultDirs]
            [AliasDir]
               ALIAS=%InstallDir%
               DESTINATIONDIR=<ProgramFilesDir>\Launcher Demo
               DISPLAYNAME=Program files:
               ALLOWDIRCHANGE=1
            [End]
         [End]
      [End]
   [End]
   [Windows]
      [Welcome]
         SHOW=1
         LOGOPICTURE=pictures\logo.jpg
         TEXT=Welcome to %TITLE%
         TEXT=This program installs %Title% on your computer.
         TEXT=
         TEXT=Click Next to continue.
      [End]
      [License]
         SHOW=1
         TEXT=You may use this software freely. A long line that wraps at the box width because it is much wider than the box.
      [End]
      [Destination]
         SHOW=1
         LOGOPICTURE=pictures\logo.jpg
         TEXT=Setup will install %TITLE% in the following folder.
      [End]
      [Ready to install]
         LOGOPICTURE=pictures\back.bmp
         TEXT=Setup is now ready to install %TITLE%.
      [End]
   [End]
[End]
"""


def build_full(session, name, big_size):
    """The full package: JPEG and BMP pictures, a gradient, a title, an
    animated image group, a readme and one big incompressible file."""
    return build(session, name, FULL_SCRIPT,
                 files={'files\\readme.txt': b'hello\r\n' * 1000,
                        'files\\big.bin': payload(big_size, 7)},
                 pictures={'pictures\\logo.jpg': ('jpeg', 120, 260, (200, 30, 30)),
                           'pictures\\back.bmp': ('bmp', 100, 100, (0, 128, 0)),
                           'pictures\\f1.bmp': ('bmp', 40, 30, (255, 0, 0)),
                           'pictures\\f2.jpg': ('jpeg', 40, 30, (0, 0, 255))},
                 uninstaller=os.environ.get('TC_UNINSTALLER_EXE'))
