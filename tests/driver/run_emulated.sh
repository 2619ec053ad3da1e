#!/bin/sh
# run_emulated.sh EMU ARCH PREFIX TEST_EXE VERSION FILTER: runs a copy of the
# test program under a name of its own, for which the prefix emulates VERSION
# (Wine's per-program AppDefaults), so that other tests sharing the prefix
# keep the default version. ARCH (win32 or win64) picks the Wine loader.
set -e
emu=$1 arch=$2 prefix=$3 exe=$4 version=$5 filter=$6
dir=$(dirname "$exe")
copy="$dir/driver_os_$version.exe"
cp "$exe" "$copy"
"$emu" --arch "$arch" --prefix "$prefix" reg add "HKCU\\Software\\Wine\\AppDefaults\\driver_os_$version.exe" \
  /v Version /t REG_SZ /d "$version" /f >/dev/null 2>&1 </dev/null
TC_EXPECT_OS=$version exec "$emu" --arch "$arch" --prefix "$prefix" "$copy" --gtest_filter="$filter"
