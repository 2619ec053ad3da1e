"""Packages for the launcher's end-to-end scenarios, built by mksetup from a
script and files written here: pictures (BMP and JPEG through Pillow),
product files, an optional uninstaller."""
import os
import random
import shutil
import struct
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
        args[1:1] = []
        args += ['--uninstaller', uninstaller]
    run_mksetup(session, args)
    return out


def payload(size, seed):
    rnd = random.Random(seed)
    return bytes(rnd.randrange(256) for _ in range(size))
