#!/bin/sh
# Runs a cross-built test under Wine. The first Wine process of a prefix
# starts services that would inherit ctest's output pipe and hold it open for
# seconds, so they are started here once with their output sent elsewhere.
: "${WINEDEBUG:=-all}"; : "${WINEDLLOVERRIDES:=mscoree,mshtml=}"
export WINEDEBUG WINEDLLOVERRIDES
# Usage: wine-emu.sh [--arch win32|win64] [--prefix DIR] program.exe args...
arch=win64
if [ "$1" = "--arch" ]; then
  arch=$2
  shift 2
fi
if [ "$1" = "--prefix" ]; then
  WINEPREFIX=${WINEPREFIX:-$2}
  shift 2
fi
if [ -z "$WINEPREFIX" ]; then
  echo "wine-emu.sh: no WINEPREFIX" >&2
  exit 2
fi
export WINEPREFIX
mkdir -p "$(dirname "$WINEPREFIX")"
if [ "$arch" = win32 ]; then
  # A 32-bit prefix and the 32-bit loader (the wine front script picks it).
  export WINEARCH=win32
  WINE=${TC_WINE:-wine}
else
  # The 64-bit loader directly: where wine32 is installed but the kernel
  # cannot run 32-bit code, the front script would pick the 32-bit loader.
  WINE=${TC_WINE:-/usr/lib/wine/wine64}
  [ -x "$WINE" ] || WINE=wine
fi
if wineserver -p >/dev/null 2>&1 </dev/null; then
  "$WINE" wineboot.exe >/dev/null 2>&1 </dev/null
  # A crashing program would otherwise wait on winedbg's dialog for ever.
  "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 </dev/null
fi
case " $* " in
  *" --gtest_list_tests "*)
    # Listing a program's tests changes nothing, so a Wine start that fails
    # now and then (seen as exit code 1 with no output) is tried again
    # rather than failing the whole test run.
    for attempt in 1 2; do
      if out=$("$WINE" "$@" </dev/null); then
        printf '%s\n' "$out"
        exit 0
      fi
      echo "wine-emu.sh: listing failed (attempt $attempt), trying again" >&2
      sleep 2
    done
    ;;
esac
exec "$WINE" "$@"
