#!/bin/sh
# run_emulated.sh EMU PREFIX TEST_EXE VERSION FILTER: runs a copy of the test
# program under a name of its own, for which the prefix emulates VERSION
# (Wine's per-program AppDefaults), so that other tests sharing the prefix
# keep the default version.
set -e
emu=$1 prefix=$2 exe=$3 version=$4 filter=$5
dir=$(dirname "$exe")
copy="$dir/driver_os_$version.exe"
cp "$exe" "$copy"
"$emu" --prefix "$prefix" reg add "HKCU\\Software\\Wine\\AppDefaults\\driver_os_$version.exe" \
  /v Version /t REG_SZ /d "$version" /f >/dev/null 2>&1 </dev/null
TC_EXPECT_OS=$version exec "$emu" --prefix "$prefix" "$copy" --gtest_filter="$filter"
