# What the two Wine test runners share; sourced by wine-run.sh and wine-gui-run.sh (POSIX sh).

# The build folder: the first folder from $1 upwards that holds CMakeCache.txt, or nothing.
wine_build_dir() {
  dir=$(cd "$1" 2>/dev/null && pwd) || return 1
  while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
  [ "$dir" != / ] && echo "$dir"
}

# Wine links the prefix's user folders to the home folder, which CI may leave unset.
wine_environment() {
  if [ -z "${HOME:-}" ]; then
    HOME=$(getent passwd "$(id -u)" | cut -d: -f6)
    export HOME
  fi
  export WINEPREFIX="$1" WINEARCH=win64 WINEDLLOVERRIDES="mscoree=;mshtml="
  export WINEDEBUG="${WINEDEBUG:--all}"
}

# Creates the prefix $1 once, with the set-up command $2 (logged to $3), and marks it ready.
# One creator at a time: CTest may start several tests at once on a fresh build.
wine_prepare_prefix() {
  mkdir -p "$(dirname "$1")"
  (
    flock 9
    if [ ! -f "$1/.kestrine-ready" ]; then
      "$2" </dev/null >"$3" 2>&1 || {
        echo "$(basename "$0"): creating the Wine prefix $1 failed, see $3" >&2
        exit 1
      }
      touch "$1/.kestrine-ready"
    fi
  ) 9>"$1.lock"
}

# Runs `wine EXE ARGS...` with its output in the files $1 and $2 (Wine's helper processes
# inherit descriptors, and CTest would wait for them if they held its pipe) and returns its
# code. Wine's own loader now and then trips an assertion of the host's ld.so after the
# program has ended (dl-fini.c), which turns a finished run into a failure: such a run is
# repeated once, and a second failure stands.
wine_run_logged() {
  out=$1 err=$2
  shift 2
  for attempt in 1 2; do
    wine "$@" </dev/null >"$out" 2>"$err"
    rc=$?
    [ "$rc" -ne 0 ] && [ "$attempt" -eq 1 ] &&
      grep -q "Inconsistency detected by ld.so: dl-fini.c" "$err" || break
    echo "$(basename "$0"): Wine's loader failed at exit; running again" >&2
  done
  return "$rc"
}
