#!/usr/bin/python3
"""Checks of the shipped executables, read with pefile.

  check_exe.py stub EXE      the package start from the PE headers equals
                             the file size, so a package appended to the
                             file is found
  check_exe.py imports EXE.. every import comes from a system DLL and exists
                             on Windows 2000 (the oldest NT the launcher
                             supports; the 9x family is covered by the same
                             list of calls)
  check_exe.py known EXE..   every imported DLL is a known DLL of Windows
                             (loaded from the system directory whatever lies
                             beside the program); any other library must be
                             loaded at run time from the system directory
"""
import struct
import sys

import pefile

SYSTEM_DLLS = {
    'kernel32.dll', 'user32.dll', 'gdi32.dll', 'advapi32.dll', 'shell32.dll',
    'ole32.dll', 'oleaut32.dll', 'comctl32.dll', 'comdlg32.dll', 'version.dll',
    'msvcrt.dll', 'shlwapi.dll', 'uuid.dll',
}

# Known DLLs of Windows XP to 11 (HKLM\SYSTEM\CurrentControlSet\Control\
# Session Manager\KnownDLLs): the loader takes these from the system
# directory before a program's code runs. version.dll, comctl32.dll,
# msimg32.dll, riched20.dll, uxtheme.dll and winmm.dll are not among them.
KNOWN_DLLS = {
    'kernel32.dll', 'user32.dll', 'gdi32.dll', 'advapi32.dll', 'shell32.dll',
    'ole32.dll', 'oleaut32.dll', 'comdlg32.dll', 'msvcrt.dll', 'shlwapi.dll',
}

# Calls that Windows 2000 does not have but that MinGW runtimes are known to
# pull in (posix thread model, newer CRT paths).
NEWER_THAN_2000 = {
    'GetTickCount64', 'AddVectoredExceptionHandler', 'RemoveVectoredExceptionHandler',
    'GetHandleInformation', 'TryEnterCriticalSection', 'InitializeSRWLock',
    'AcquireSRWLockExclusive', 'InitializeConditionVariable', 'SleepConditionVariableCS',
    'WakeConditionVariable', 'InitOnceExecuteOnce', 'GetSystemTimePreciseAsFileTime',
    'GetFileSizeEx', 'SetFilePointerEx', 'GetModuleHandleExA', 'GetModuleHandleExW',
    'CreateSymbolicLinkA', 'GetFinalPathNameByHandleA', 'FlsAlloc', 'FlsGetValue',
    'FlsSetValue', 'FlsFree', 'GetLogicalProcessorInformation', 'GetNativeSystemInfo',
    'IsDebuggerPresent', 'GetConsoleWindow', 'AttachConsole', 'GetProcessId',
    'GetThreadId', 'QueryFullProcessImageNameA', 'WTSGetActiveConsoleSessionId',
    '_create_locale', '_free_locale', '___lc_codepage_func', '__lc_codepage',
}


def package_start(path):
    with open(path, 'rb') as f:
        head = f.read(64)
        if head[:2] != b'MZ':
            return 0
        f.seek(struct.unpack_from('<I', head, 60)[0])
        pe = f.read(120)
        if pe[:2] != b'PE':
            return 0
        opt = 24
        code, init, uninit = struct.unpack_from('<III', pe, opt + 4)
        headers = struct.unpack_from('<I', pe, opt + 60)[0]
        return code + init + uninit + headers


def check_stub(path):
    import os
    start, size = package_start(path), os.path.getsize(path)
    print(f'{path}: package start {start}, file size {size}')
    return start == size


def check_imports(path):
    pe = pefile.PE(path)
    ok = True
    if pe.FILE_HEADER.Machine != 0x14c:
        print(f'{path}: machine {pe.FILE_HEADER.Machine:#x}, not i386')
        ok = False
    for entry in getattr(pe, 'DIRECTORY_ENTRY_IMPORT', []):
        dll = entry.dll.decode().lower()
        if dll not in SYSTEM_DLLS:
            print(f'{path}: imports {dll}, which is not a system DLL')
            ok = False
        for imp in entry.imports:
            name = imp.name.decode() if imp.name else f'#{imp.ordinal}'
            if name in NEWER_THAN_2000:
                print(f'{path}: {dll}!{name} does not exist on Windows 2000')
                ok = False
    print(f'{path}: imports ' + ('ok' if ok else 'REFUSED'))
    return ok


def check_known(path):
    pe = pefile.PE(path)
    planted = sorted(e.dll.decode().lower() for e in getattr(pe, 'DIRECTORY_ENTRY_IMPORT', [])
                     if e.dll.decode().lower() not in KNOWN_DLLS)
    for dll in planted:
        print(f'{path}: imports {dll}, which the loader may take from the program\'s folder')
    print(f'{path}: imported DLLs ' + ('all known' if not planted else 'REFUSED'))
    return not planted


if __name__ == '__main__':
    what, files = sys.argv[1], sys.argv[2:]
    check = {'stub': check_stub, 'imports': check_imports, 'known': check_known}[what]
    results = [check(f) for f in files]
    sys.exit(0 if files and all(results) else 1)
