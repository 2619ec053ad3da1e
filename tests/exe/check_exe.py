#!/usr/bin/python3
"""Checks of the shipped executables, read with pefile.

  check_exe.py stub EXE      the package start from the PE headers equals
                             the file size, so a package appended to the
                             file is found
  check_exe.py imports EXE.. every import comes from a system DLL and its
                             entry point exists on Windows 95, 98, NT 4.0 and
                             2000 as they were released; entry points that
                             Windows 95/98 export only as failing stubs are
                             allowed where the program copes with the failure
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
    'msvcrt.dll', 'uuid.dll',
}

# Known DLLs of Windows XP to 11 (HKLM\SYSTEM\CurrentControlSet\Control\
# Session Manager\KnownDLLs): the loader takes these from the system
# directory before a program's code runs. version.dll, comctl32.dll,
# msimg32.dll, riched20.dll, uxtheme.dll and winmm.dll are not among them.
KNOWN_DLLS = {
    'kernel32.dll', 'user32.dll', 'gdi32.dll', 'advapi32.dll', 'shell32.dll',
    'ole32.dll', 'oleaut32.dll', 'comdlg32.dll', 'msvcrt.dll', 'shlwapi.dll',
}

# Where each minimum system below comes from:
SDK = 'Platform SDK reference, Requirements section (MSDN Library, 2001)'
COMCTL = 'comctl32 4.70 came with Internet Explorer 3.0, after Windows 95 and NT 4.0'
SHELL471 = 'shell32 4.71 came with the Internet Explorer 4.0 desktop update'
SHELL5 = 'shell32 5.0 came with Windows 2000 and Me'
KERNEL_NT = 'exists in the NT kernel32 only; Windows 9x does not export it'

# Entry points that are missing on at least one of Windows 95 and NT 4.0 as
# released: the loader refuses a program that imports one. name: (first
# systems that have it, source).
MISSING_ON_OLD = {
    # the posix thread model and newer MinGW runtimes pull these in
    'GetTickCount64': ('Vista', SDK),
    'AddVectoredExceptionHandler': ('XP', SDK),
    'RemoveVectoredExceptionHandler': ('XP', SDK),
    'GetHandleInformation': ('NT 3.51; no 9x', KERNEL_NT),
    'TryEnterCriticalSection': ('NT 4.0; no 9x', KERNEL_NT),
    'InitializeSRWLock': ('Vista', SDK), 'AcquireSRWLockExclusive': ('Vista', SDK),
    'InitializeConditionVariable': ('Vista', SDK), 'SleepConditionVariableCS': ('Vista', SDK),
    'WakeConditionVariable': ('Vista', SDK), 'InitOnceExecuteOnce': ('Vista', SDK),
    'GetSystemTimePreciseAsFileTime': ('8', SDK),
    'FlsAlloc': ('Server 2003', SDK), 'FlsGetValue': ('Server 2003', SDK),
    'FlsSetValue': ('Server 2003', SDK), 'FlsFree': ('Server 2003', SDK),
    '_create_locale': ('msvcrt of Vista', SDK), '_free_locale': ('msvcrt of Vista', SDK),
    '___lc_codepage_func': ('msvcrt of XP', SDK), '__lc_codepage': ('msvcrt of XP', SDK),
    # files and processes
    'GetFileSizeEx': ('2000', SDK), 'SetFilePointerEx': ('2000', SDK),
    'GetFileAttributesExA': ('98, NT 4.0', SDK), 'GetFileAttributesExW': ('98, NT 4.0', SDK),
    'GetDiskFreeSpaceExA': ('95 OSR2, NT 4.0', SDK),
    'GetLongPathNameA': ('98, 2000', SDK), 'CreateHardLinkA': ('2000', SDK),
    'CreateSymbolicLinkA': ('Vista', SDK), 'GetFinalPathNameByHandleA': ('Vista', SDK),
    'ReplaceFileA': ('2000', SDK), 'CopyFileExA': ('NT 4.0; no 9x', SDK),
    'MoveFileWithProgressA': ('2000', SDK),
    'GetModuleHandleExA': ('XP', SDK), 'GetModuleHandleExW': ('XP', SDK),
    'SetDllDirectoryA': ('XP SP1', SDK), 'SetDllDirectoryW': ('XP SP1', SDK),
    'SetDefaultDllDirectories': ('8, or 7 with KB2533623', SDK),
    'AddDllDirectory': ('8, or 7 with KB2533623', SDK),
    'IsDebuggerPresent': ('98, NT 4.0', SDK), 'GetConsoleWindow': ('2000', SDK),
    'AttachConsole': ('XP', SDK), 'GetProcessId': ('XP SP1', SDK), 'GetThreadId': ('Vista', SDK),
    'QueryFullProcessImageNameA': ('Vista', SDK), 'WTSGetActiveConsoleSessionId': ('XP', SDK),
    'GetLogicalProcessorInformation': ('XP SP3', SDK), 'GetNativeSystemInfo': ('XP', SDK),
    'InterlockedCompareExchange': ('98, NT 4.0', SDK), 'SwitchToThread': ('NT 4.0; no 9x', SDK),
    'SignalObjectAndWait': ('NT 4.0; no 9x', SDK), 'CreateWaitableTimerA': ('98, NT 4.0', SDK),
    'GlobalMemoryStatusEx': ('2000', SDK), 'VerifyVersionInfoA': ('2000', SDK),
    'GetVersionExW': ('NT; a stub on 9x', SDK),
    # windows and drawing
    'AlphaBlend': ('98, 2000 (msimg32)', SDK), 'GradientFill': ('98, 2000 (msimg32)', SDK),
    'TransparentBlt': ('98, 2000 (msimg32)', SDK), 'SetLayeredWindowAttributes': ('2000', SDK),
    'UpdateLayeredWindow': ('2000', SDK), 'AnimateWindow': ('98, 2000', SDK),
    'GetMonitorInfoA': ('98, 2000', SDK), 'MonitorFromWindow': ('98, 2000', SDK),
    'MonitorFromPoint': ('98, 2000', SDK), 'EnumDisplayMonitors': ('98, 2000', SDK),
    'FlashWindowEx': ('98, 2000', SDK), 'GetAncestor': ('98, NT 4.0 SP4', SDK),
    'SendInput': ('98, NT 4.0 SP3', SDK), 'TrackMouseEvent': ('98, NT 4.0', SDK),
    'GetComboBoxInfo': ('98, NT 4.0 SP6', SDK), 'GetWindowInfo': ('98, NT 4.0 SP6', SDK),
    'GetTitleBarInfo': ('98, NT 4.0 SP6', SDK), 'GetGUIThreadInfo': ('98, NT 4.0 SP6', SDK),
    'LockSetForegroundWindow': ('Me, 2000', SDK), 'AllowSetForegroundWindow': ('Me, 2000', SDK),
    'GetLayout': ('98, 2000', SDK), 'SetLayout': ('98, 2000', SDK),
    'GetDCBrushColor': ('2000', SDK), 'SetDCBrushColor': ('2000', SDK),
    'GetDCPenColor': ('2000', SDK), 'SetDCPenColor': ('2000', SDK),
    'InitCommonControlsEx': ('comctl32 4.70', COMCTL), '_TrackMouseEvent': ('comctl32 4.70', COMCTL),
    'SHGetSpecialFolderPathA': ('shell32 4.71', SHELL471),
    'SHGetFolderPathA': ('shell32 5.0 (shfolder.dll before)', SHELL5),
    'SHCreateDirectoryExA': ('shell32 5.0', SHELL5),
    'SHGetKnownFolderPath': ('Vista', SDK),
    'CoInitializeEx': ('NT 4.0, 95 with DCOM', SDK),
    'RegDeleteKeyExA': ('XP x64', SDK), 'RegGetValueA': ('Vista', SDK),
    'RegDeleteTreeA': ('Vista', SDK),
}

# Entry points that Windows 95/98 export but do not implement (they fail with
# ERROR_CALL_NOT_IMPLEMENTED): a program may import one only where it copes
# with that failure. name: why it is harmless there.
STUB_ON_9X_ALLOWED = {
    'GetModuleHandleW': 'runtime start-up looks for a shared libgcc; not found is the static case',
    'LoadLibraryW': 'runtime start-up, as GetModuleHandleW',
    'CreateSemaphoreW': 'runtime locks of one thread never wait on the semaphore',
    'MoveFileExA': 'callers treat its failure as a file not removed, or fall back to a kept copy',
}
STUB_ON_9X = set(STUB_ON_9X_ALLOWED) | {
    'CreateFileW', 'DeleteFileW', 'GetFileAttributesW', 'FindFirstFileW', 'CreateDirectoryW',
    'CreateProcessW', 'RegOpenKeyExW', 'RegQueryValueExW', 'RegSetValueExW', 'SetWindowTextW',
    'CreateWindowExW', 'RegisterClassW', 'DefWindowProcW', 'GetWindowTextW', 'MessageBoxW',
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
        if dll == 'msvcrt.dll':
            # Windows 95 as first released did not ship it; every later
            # system and every Windows 95 with an application that brought
            # it does. MinGW programs cannot do without it.
            print(f'{path}: note: msvcrt.dll is missing on a Windows 95 without later updates')
        for imp in entry.imports:
            name = imp.name.decode() if imp.name else f'#{imp.ordinal}'
            if name in MISSING_ON_OLD:
                first, source = MISSING_ON_OLD[name]
                print(f'{path}: {dll}!{name} needs Windows {first} ({source})')
                ok = False
            elif name in STUB_ON_9X and name not in STUB_ON_9X_ALLOWED:
                print(f'{path}: {dll}!{name} is a failing stub on Windows 95/98')
                ok = False
            elif name in STUB_ON_9X:
                print(f'{path}: note: {dll}!{name} is a stub on Windows 95/98: '
                      f'{STUB_ON_9X_ALLOWED[name]}')
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
