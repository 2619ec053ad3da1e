#!/usr/bin/python3
"""Builds the Orchard Notes setup program: gathers the product's files, the
pictures and the three programs built by the win32 preset into one folder
(the source root of setup.txt), packs them with mksetup onto the shipped
launcher with the shipped uninstaller, and checks the result with
`mksetup test`.

usage: build_demo.py --mksetup MKSETUP --win32 BUILD_WIN32 -o SETUP.EXE
                     [--stub STUB.EXE] [--uninstaller U.EXE] [--programs DIR]
                     [--stage DIR]
The stub, the uninstaller and the programs default to their places in the
win32 build tree; the stage folder to SETUP.EXE's folder + "/demo-stage"."""
import argparse
import os
import shutil
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
PROGRAMS = ('orchard.exe', 'orchview.exe', 'orchcfg.exe')


def gather(programs, stage):
    """Makes stage the source root of setup.txt: the product's files, the
    pictures and the programs found in the folder programs. Dates are kept:
    they are what the package records and the installation restores."""
    shutil.rmtree(stage, ignore_errors=True)
    shutil.copytree(os.path.join(HERE, 'files'), os.path.join(stage, 'files'))
    shutil.copytree(os.path.join(HERE, 'pictures'), os.path.join(stage, 'pictures'))
    os.makedirs(os.path.join(stage, 'programs'))
    for name in PROGRAMS:
        shutil.copy2(os.path.join(programs, name), os.path.join(stage, 'programs', name))


def main():
    a = argparse.ArgumentParser(description=__doc__.split('\n')[0])
    a.add_argument('--mksetup', required=True)
    a.add_argument('--win32', required=True, help='the win32 build tree')
    a.add_argument('-o', dest='out', required=True)
    a.add_argument('--stub')
    a.add_argument('--uninstaller')
    a.add_argument('--programs')
    a.add_argument('--stage')
    o = a.parse_args()
    stub = o.stub or os.path.join(o.win32, 'src', 'driver', 'setup.exe')
    uninstaller = o.uninstaller or os.path.join(o.win32, 'tools', 'uninstaller', 'uninstaller.exe')
    programs = o.programs or os.path.join(o.win32, 'examples', 'demo', 'src')
    stage = o.stage or os.path.join(os.path.dirname(os.path.abspath(o.out)), 'demo-stage')

    missing = [p for p in [stub, uninstaller] + [os.path.join(programs, n) for n in PROGRAMS]
               if not os.path.isfile(p)]
    if missing:
        sys.exit('build_demo: missing (build the win32 preset first): ' + ', '.join(missing))
    gather(programs, stage)

    build = [o.mksetup, 'build', '--script', os.path.join(HERE, 'setup.txt'),
             '--source-root', stage, '--stub', stub, '--uninstaller', uninstaller, '-o', o.out]
    if subprocess.call(build) != 0:
        sys.exit('build_demo: mksetup build failed')
    if subprocess.call([o.mksetup, 'test', o.out]) != 0:
        sys.exit('build_demo: mksetup test found the package unsound')


if __name__ == '__main__':
    main()
