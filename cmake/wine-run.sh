#!/bin/sh
# CTest emulator for the Windows build: runs EXE ARGS... under Wine and exits with its code.
# The prefix is <build dir>/wineprefix (the build dir is the first parent of EXE holding
# CMakeCache.txt) unless KESTRINE_WINEPREFIX names one; it is created on first use.
# Output goes through temporary files: Wine's helper processes inherit the descriptors, and
# CTest would wait for them if they held its pipe.
set -u

if [ "$#" -lt 1 ]; then
  echo "usage: wine-run.sh EXE [ARGS...] | wine-run.sh --init BUILD_DIR" >&2
  exit 2
fi

. "$(dirname "$0")/wine-common.sh"

if [ "$1" = "--init" ]; then
  prefix=${KESTRINE_WINEPREFIX:-$(cd "$2" && pwd)/wineprefix}
  exe=
else
  exe=$1
  shift
  if [ -n "${KESTRINE_WINEPREFIX:-}" ]; then
    prefix=$KESTRINE_WINEPREFIX
  else
    build=$(wine_build_dir "$(dirname "$exe")") || {
      echo "wine-run.sh: no build folder above $exe; set KESTRINE_WINEPREFIX" >&2
      exit 2
    }
    prefix=$build/wineprefix
  fi
fi
wine_environment "$prefix"

setup() {
  wineboot -u &&
    # No display here: the null driver still gives windows, focus and hotkeys.
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f &&
    # A crash must end the process, not wait on a dialog.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f &&
    wineserver -w
}
wine_prepare_prefix "$prefix" setup "$(dirname "$prefix")/wineprefix-setup.log" || exit 1

[ -z "$exe" ] && exit 0

out=$(mktemp) && err=$(mktemp) || exit 1
trap 'rm -f "$out" "$err"' EXIT
wine_run_logged "$out" "$err" "$exe" "$@"
rc=$?
cat "$out"
cat "$err" >&2
exit "$rc"
