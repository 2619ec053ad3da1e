"""End-to-end harness: real Windows programs under Wine on a virtual X display.

A scenario makes a Session, which starts Xvfb on a free display and a fresh
Wine prefix copied from a template (optionally with an emulated Windows
version), runs programs in it, finds their windows by caption, types keys,
takes screenshots, waits for the programs to end, and reads the prefix's
files and registry. Everything it started is ended by pid when it closes;
nothing else is touched.
"""
import contextlib
import fcntl
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

# The shipped programs are 32-bit and run in a 32-bit prefix (the wine front
# script picks the 32-bit loader there). The 64-bit fallback calls the 64-bit
# loader directly: where wine32 is installed but the kernel refuses 32-bit
# code, the front script would pick the loader that cannot start.
WINEARCH = os.environ.get('TC_WINEARCH', 'win32')
if WINEARCH == 'win32':
    WINE = os.environ.get('TC_WINE') or 'wine'
else:
    WINE = os.environ.get('TC_WINE') or (
        '/usr/lib/wine/wine64' if os.access('/usr/lib/wine/wine64', os.X_OK) else 'wine')
BASE_ENV = {'WINEDEBUG': '-all', 'WINEDLLOVERRIDES': 'mscoree,mshtml=', 'WINEARCH': WINEARCH}
# On a slow machine (one that emulates the processor, say) every wait and
# pause of the scenarios is stretched by this factor.
SLOW = max(1.0, float(os.environ.get('TC_E2E_SLOW') or 1))


def pause(seconds):
    time.sleep(seconds * SLOW)


def deadline(seconds):
    """The time.time() by which something that takes seconds here must be done."""
    return time.time() + seconds * SLOW


class HarnessError(AssertionError):
    pass


def _env(prefix, display=None, extra=None):
    env = dict(os.environ)
    env.update(BASE_ENV)
    env['WINEPREFIX'] = prefix
    if display:
        env['DISPLAY'] = display
    else:
        env.pop('DISPLAY', None)
    env.update(extra or {})
    return env


def _quiet(cmd, env, timeout=120, check=True):
    # Output goes through a file, not a pipe: the first Wine program of a
    # prefix starts services that inherit its output and live on, and a pipe
    # would stay open until they end.
    with tempfile.TemporaryFile() as out:
        p = subprocess.run(cmd, env=env, stdin=subprocess.DEVNULL, stdout=out,
                           stderr=subprocess.STDOUT, timeout=timeout * SLOW)
        out.seek(0)
        r = subprocess.CompletedProcess(cmd, p.returncode, out.read(), b'')
    if check and r.returncode != 0:
        raise HarnessError(f'{cmd} failed ({r.returncode}): {r.stdout.decode(errors="replace")}')
    return r


def ensure_template(path):
    """Makes the template prefix once (wineboot takes several seconds)."""
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path + '.lock', 'w') as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        if os.path.exists(os.path.join(path, '.ready-2')):
            return path
        shutil.rmtree(path, ignore_errors=True)
        env = _env(path)
        _quiet([WINE, 'wineboot', '-i'], env, timeout=300)
        # Wine links the user's Desktop, Documents and the like to the home
        # folder of the machine: what a scenario puts on its desktop would
        # land there, seen by every other scenario running at the time.
        # Each prefix gets folders of its own.
        for d, dirs, _ in os.walk(os.path.join(path, 'drive_c', 'users')):
            for n in dirs:
                link = os.path.join(d, n)
                if os.path.islink(link) and not os.path.realpath(link).startswith(
                        os.path.realpath(path) + os.sep):
                    os.remove(link)
                    os.mkdir(link)
        # A crashing program would otherwise sit in winedbg's dialog.
        _quiet([WINE, 'reg', 'add', r'HKCU\Software\Wine\WineDbg', '/v', 'ShowCrashDialog',
                '/t', 'REG_DWORD', '/d', '0', '/f'], env)
        _quiet(['wineserver', '-w'], env, timeout=120)
        open(os.path.join(path, '.ready-2'), 'w').close()
    return path


def _copy_prefix(template, dest):
    # Hard links for the big, never-written files; real copies of the
    # registry hives and anything Wine rewrites.
    def copy(src, dst):
        if src.endswith('.reg') or os.path.getsize(src) < 65536:
            shutil.copy2(src, dst)
            return
        try:
            os.link(src, dst)
        except OSError:  # the template is on another file system
            shutil.copy2(src, dst)
    shutil.copytree(template, dest, symlinks=True, copy_function=copy)


class Xvfb:
    def __init__(self):
        # TC_E2E_DISPLAY (":64") pins the display when several people share a
        # machine. Otherwise the server picks a free display itself and says
        # which (-displayfd): two scenarios started at once would otherwise
        # both see the same number free, and one would end up on the other's
        # display, finding and typing into the other's windows.
        wanted = os.environ.get('TC_E2E_DISPLAY', '').lstrip(':')
        args = ['-screen', '0', '1024x768x24', '-nolisten', 'tcp']
        if wanted.isdigit():
            self.proc = subprocess.Popen(['Xvfb', f':{wanted}', *args], stdin=subprocess.DEVNULL,
                                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            for _ in range(100):
                if self.proc.poll() is not None:
                    break
                if os.path.exists(f'/tmp/.X11-unix/X{wanted}'):
                    self.display = f':{wanted}'
                    return
                time.sleep(0.05)
            self.stop()
            raise HarnessError(f'display :{wanted} is not free')
        rfd, wfd = os.pipe()
        self.proc = subprocess.Popen(['Xvfb', '-displayfd', str(wfd), *args],
                                     stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL, pass_fds=(wfd,))
        os.close(wfd)
        with os.fdopen(rfd, 'rb') as r:
            number = r.readline().strip()  # written once the server listens
        if not number.isdigit():
            self.stop()
            raise HarnessError('no free X display')
        self.display = ':' + number.decode()

    def stop(self):
        if self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(5)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()


class Session:
    def __init__(self, template, version=None, workdir=None):
        self.root = tempfile.mkdtemp(prefix='tce2e-', dir=workdir)
        self.prefix = os.path.join(self.root, 'prefix')
        self.procs = []
        self.xvfb = Xvfb()
        self.display = self.xvfb.display
        _copy_prefix(ensure_template(template), self.prefix)
        self.env = _env(self.prefix, self.display)
        # One server for the whole scenario, started with its output
        # elsewhere so it holds no pipe of ours.
        self.server = subprocess.Popen(['wineserver', '-f', '-p'], env=self.env,
                                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                       stderr=subprocess.DEVNULL, start_new_session=True)
        if version:
            self.wine('reg', 'add', r'HKCU\Software\Wine', '/v', 'Version', '/d', version, '/f')

    # ---------------------------------------------------------- processes
    def wine(self, *args, timeout=120, check=True):
        return _quiet([WINE, *args], self.env, timeout=timeout, check=check)

    def start(self, exe, *args, cwd=None):
        """Starts a program without waiting; its output goes to a log file."""
        log = open(os.path.join(self.root, f'proc{len(self.procs)}.log'), 'wb')
        p = subprocess.Popen([WINE, exe, *args], env=self.env, cwd=cwd or self.root,
                             stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT,
                             start_new_session=True)
        p.log_path = log.name
        self.procs.append(p)
        return p

    def wait(self, proc, timeout=60):
        try:
            return proc.wait(timeout * SLOW)
        except subprocess.TimeoutExpired:
            raise HarnessError(f'process {proc.args} still running after {timeout * SLOW:g} s')

    # ---------------------------------------------------------- windows
    def xdotool(self, *args, timeout=30, check=True):
        return _quiet(['xdotool', *args], self.env, timeout=timeout, check=check)

    def wait_window(self, caption, timeout=60):
        """Window id of the first visible window whose title is exactly caption."""
        pattern = '^' + re.escape(caption) + '$'
        end = deadline(timeout)
        while time.time() < end:
            r = self.xdotool('search', '--onlyvisible', '--name', pattern, check=False)
            ids = r.stdout.decode().split()
            if r.returncode == 0 and ids:
                return ids[0]
            for p in self.procs:
                if p.poll() is not None and p.returncode != 0 and len(self.procs) == 1:
                    raise HarnessError(f'{p.args} ended ({p.returncode}) before "{caption}" showed')
            time.sleep(0.25)
        raise HarnessError(f'no window "{caption}" within {timeout * SLOW:g} s')

    def window_gone(self, window, timeout=30):
        end = deadline(timeout)
        while time.time() < end:
            r = self.xdotool('getwindowname', window, check=False)
            if r.returncode != 0:
                return True
            time.sleep(0.2)
        return False

    def key(self, window, *keys):
        """Presses keys in the window as a keyboard would: the window gets
        the focus, then the keys go to the focused window. (Keys sent to a
        window with XSendEvent, and sent again when that failed, reached the
        next page too now and then: one Alt+N went through two pages.)"""
        self.xdotool('windowfocus', '--sync', window, check=False)
        self.xdotool('key', *keys)

    def type(self, window, text):
        self.xdotool('windowfocus', '--sync', window, check=False)
        self.xdotool('type', text)

    def controls(self, caption, probe):
        """The visible controls of the form with this caption, as
        (left, top, right, bottom, class, text) in screen pixels, listed by
        the probe program from inside the prefix."""
        # A Wine process now and then fails to start under load (exit code 1,
        # no output), and a form may be between two pages: asked again.
        for attempt in range(3):
            r = self.wine(probe, caption, check=False)
            rows = []
            for line in r.stdout.decode(errors='replace').splitlines():
                f = line.rstrip('\r').split(' ', 5)
                if len(f) >= 5 and all(x.lstrip('-').isdigit() for x in f[:4]):
                    rows.append((*map(int, f[:4]), f[4], f[5] if len(f) > 5 else ''))
            if rows:
                return rows
            pause(1)
        raise HarnessError(f'no form "{caption}" for the probe ({r.returncode})')

    def click_control(self, caption, probe, text, cls=None, clicks=1):
        """Moves the pointer to the middle of the control of the form whose
        text is exactly text (and class cls when given) and clicks it."""
        for left, top, right, bottom, c, t in self.controls(caption, probe)[1:]:
            if t == text and (cls is None or c.lower() == cls.lower()):
                self.xdotool('mousemove', '--sync', str((left + right) // 2),
                             str((top + bottom) // 2))
                self.xdotool('click', '--repeat', str(clicks), '1')
                return
        raise HarnessError(f'no control "{text}" on "{caption}"')

    def stacking(self):
        """Names of the mapped top-level X windows, the top one first."""
        r = _quiet(['xwininfo', '-root', '-children'], self.env)
        names = []
        for line in r.stdout.decode(errors='replace').splitlines():
            m = re.match(r'\s*0x[0-9a-f]+ "(.*)": \(', line)
            if m:
                names.append(m.group(1))
        return names

    def screenshot(self, path, window=None):
        os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
        _quiet(['import', '-window', window or 'root', path], self.env)
        return path

    # ---------------------------------------------------------- state
    def drive_c(self, *parts):
        return os.path.join(self.prefix, 'drive_c', *parts)

    def unix_path(self, windows_path):
        """C:\\dir\\file -> the file in the prefix (drive C only)."""
        m = re.match(r'^[cC]:\\(.*)$', windows_path)
        if not m:
            raise HarnessError(f'not a C: path: {windows_path}')
        return self.drive_c(*[p for p in m.group(1).split('\\') if p])

    def windows_path(self, unix_path):
        return self.wine('winepath', '-w', unix_path).stdout.decode().strip().splitlines()[-1]

    def reg_query(self, key, value=None):
        """The data of one value as text, or None when the key or value is missing."""
        args = ['reg', 'query', key] + (['/v', value] if value is not None else ['/ve'])
        r = self.wine(*args, check=False)
        if r.returncode != 0:
            return None
        for line in r.stdout.decode(errors='replace').splitlines():
            parts = re.split(r'\s{4}', line.strip(), maxsplit=2)
            if len(parts) == 3 and parts[1].startswith('REG_'):
                return parts[2]
            if len(parts) == 2 and parts[1].startswith('REG_'):
                return ''
        return None

    # ---------------------------------------------------------- end
    def close(self):
        for p in self.procs:
            if p.poll() is None:
                with contextlib.suppress(ProcessLookupError):
                    os.killpg(p.pid, signal.SIGKILL)
                p.wait()
        # The prefix is ours alone, so ending its server ends what runs in it.
        subprocess.run(['wineserver', '-k'], env=self.env, stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with contextlib.suppress(subprocess.TimeoutExpired):
            self.server.wait(10)
        if self.server.poll() is None:
            os.killpg(self.server.pid, signal.SIGKILL)
            self.server.wait()
        self.xvfb.stop()
        if not os.environ.get('TC_E2E_KEEP'):
            shutil.rmtree(self.root, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        if exc[0] is not None:
            # What the screen showed when the scenario failed.
            with contextlib.suppress(Exception):
                name = os.path.splitext(os.path.basename(sys.argv[0]))[0]
                shot = os.path.join(os.environ.get('TC_E2E_SHOTS', self.root),
                                    f'failed_{name}_{"_".join(sys.argv[1:])}.png')
                self.screenshot(shot)
                print(f'screen at the failure: {shot}', file=sys.stderr)
        self.close()
        return False
