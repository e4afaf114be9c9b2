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

if [ "$1" = "--init" ]; then
  prefix=${KESTRINE_WINEPREFIX:-$(cd "$2" && pwd)/wineprefix}
  exe=
else
  exe=$1
  shift
  if [ -n "${KESTRINE_WINEPREFIX:-}" ]; then
    prefix=$KESTRINE_WINEPREFIX
  else
    dir=$(cd "$(dirname "$exe")" && pwd)
    while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
    if [ "$dir" = / ]; then
      echo "wine-run.sh: no build folder above $exe; set KESTRINE_WINEPREFIX" >&2
      exit 2
    fi
    prefix=$dir/wineprefix
  fi
fi

# Wine links the prefix's user folders to the home folder, which CI may leave unset.
if [ -z "${HOME:-}" ]; then
  HOME=$(getent passwd "$(id -u)" | cut -d: -f6)
  export HOME
fi
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDLLOVERRIDES="mscoree=;mshtml="
export WINEDEBUG="${WINEDEBUG:--all}"

# One creator at a time: CTest may start several tests at once on a fresh build.
mkdir -p "$(dirname "$prefix")"
(
  flock 9
  if [ ! -f "$prefix/.kestrine-ready" ]; then
    log=$(dirname "$prefix")/wineprefix-setup.log
    {
      wineboot -u &&
        # No display here: the null driver still gives windows, focus and hotkeys.
        wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f &&
        # A crash must end the process, not wait on a dialog.
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f &&
        wineserver -w
    } </dev/null >"$log" 2>&1 || {
      echo "wine-run.sh: creating the Wine prefix $prefix failed, see $log" >&2
      exit 1
    }
    touch "$prefix/.kestrine-ready"
  fi
) 9>"$prefix.lock" || exit 1

[ -z "$exe" ] && exit 0

out=$(mktemp) && err=$(mktemp) || exit 1
trap 'rm -f "$out" "$err"' EXIT
# Wine's own loader now and then trips an assertion of the host's ld.so after the program
# has ended (dl-fini.c), which turns a finished run into a failure: such a run is repeated
# once, and a second failure stands.
for attempt in 1 2; do
  wine "$exe" "$@" </dev/null >"$out" 2>"$err"
  rc=$?
  [ "$rc" -ne 0 ] && [ "$attempt" -eq 1 ] &&
    grep -q "Inconsistency detected by ld.so: dl-fini.c" "$err" || break
  echo "wine-run.sh: Wine's loader failed at exit; running again" >&2
done
cat "$out"
cat "$err" >&2
exit "$rc"
