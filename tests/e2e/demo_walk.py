"""The demo product (examples/demo, Orchard Notes) in a scenario: its package
built by mksetup from the demo's own script and files, and its wizard walked
with the keyboard, a screenshot of every page on the way."""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), '..', '..', 'examples', 'demo'))
import build_demo  # noqa: E402
import harness  # noqa: E402
import packages  # noqa: E402

TITLE = 'Orchard Notes 1.2'
SCRIPT = os.path.join(os.path.dirname(build_demo.__file__), 'setup.txt')


def build(session, programs, stub, uninstaller):
    """setup.exe of the demo, packed onto stub; returns (its path, the
    folder of the product's source files)."""
    stage = os.path.join(session.root, 'demo-stage')
    build_demo.gather(programs, stage)
    out = os.path.join(session.root, 'orchard-setup.exe')
    packages.run_mksetup(session, ['build', '--script', SCRIPT, '--source-root', stage,
                                   '--stub', stub, '--uninstaller', uninstaller, '-o', out])
    return out, stage


def page(session, caption, shots, name, timeout=60):
    """Waits for the page and saves a screenshot of the screen with it."""
    w = session.wait_window(caption, timeout=timeout)
    harness.pause(0.7)  # the page that left is repainted over
    session.screenshot(os.path.join(shots, name + '.png'))
    return w


def walk_to_install(session, shots, prefix):
    """From the welcome page to Install, accepting every default; the
    samples component is left as the system preselects it."""
    steps = [('Welcome', 'alt+n'), ('Software License Agreement', 'alt+y'),
             ('Select Components', 'alt+n'), ('Destination Location', 'alt+n'),
             ('Select Program Folder', 'alt+n'), ('Ready to install', 'Return')]
    for n, (caption, key) in enumerate(steps, 1):
        w = page(session, caption, shots, f'{prefix}{n:02d}_{caption.replace(" ", "_").lower()}',
                 timeout=90 if n == 1 else 60)
        session.key(w, key)
    return len(steps)


def wait_viewer(session, timeout=120, unless=None):
    """The window of the readme viewer the demo's finalization command
    opens, or None when it did not show within timeout, or when the window
    captioned unless showed first."""
    deadline = harness.deadline(timeout)
    while time.time() < deadline:
        if unless:
            r = session.xdotool('search', '--onlyvisible', '--name', f'^{unless}$', check=False)
            if r.stdout.split():
                return None
        r = session.xdotool('search', '--onlyvisible', '--name', 'Orchard Help Viewer$', check=False)
        if r.stdout.split():
            return r.stdout.split()[0].decode()
        harness.pause(0.25)
    return None
