# shellcheck shell=bash
# A private desktop for the screenshot scripts and run.sh: an X server of its own (Xvfb),
# openbox, a tray host, and a LibreOffice Calc of its own (private profile, Kestrine's pipe)
# with copies of the sample workbooks. Everything started here is stopped by one EXIT trap.
# Source it from a script running under `set -euo pipefail`, then:
#   desktop_find_program [KESTRINE] [BUILD...]  sets exe: KESTRINE, or the first built one in
#                                               build/, build-gui/ and the BUILD folders
#   desktop_need TOOL...                 fails naming the first tool missing
#   desktop_need_files HINT FILE...      fails naming the first file missing, and HINT
#   desktop_init                         sets work (a temporary folder, removed at exit
#                                        unless KEEP_WORK=1) and installs the EXIT trap
#   desktop_start_x [WIDTHxHEIGHT]       Xvfb on a free display (default 800x600); exports
#                                        DISPLAY, and HOME and XDG_CONFIG_HOME inside work
#   desktop_start_wm                     openbox, waited for
#   desktop_start_tray                   trayer at the top right
#   desktop_start_calc DIR [BOOK...]     Calc with its profile in DIR/profile and fresh copies
#                                        of the samples in DIR/docs, opening BOOK... (default:
#                                        all) in that order, waited for
#   desktop_launch NAME COMMAND...       COMMAND in the background, output to work/NAME.log
#   desktop_start_kestrine               exe in the background; sets main, its main window
#   desktop_window SECONDS REGEX         prints the first visible window whose title matches
#   desktop_kestrine_ini                 standard input becomes Kestrine's settings file
#   desktop_at_exit FUNCTION             FUNCTION runs at exit, before the processes stop
#   desktop_stop PID...                  ends the processes and waits until they are gone

desktop_top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
desktop_pids=()
desktop_hooks=()

desktop_find_program() {
  local explicit=${1:-} dir
  if [ $# -gt 0 ]; then shift; fi
  if [ -n "$explicit" ]; then
    if [ ! -f "$explicit" ] || [ ! -x "$explicit" ]; then
      echo "$explicit is not an executable program" >&2
      exit 1
    fi
    # shellcheck disable=SC2034  # the caller's
    exe=$explicit
    return
  fi
  for dir in build build-gui "$@"; do
    if [ -x "$desktop_top/$dir/src/app/kestrine" ]; then
      # shellcheck disable=SC2034  # the caller's
      exe=$desktop_top/$dir/src/app/kestrine
      return
    fi
  done
  echo "kestrine not built (looked in build/ build-gui/$(printf ' %s/' "$@")); build it first (README)" >&2
  exit 1
}

desktop_need() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || {
      echo "$tool is missing (scripts/install-deps.sh)" >&2
      exit 1
    }
  done
}

desktop_need_files() {
  local hint=$1 file
  shift
  for file in "$@"; do
    [ -f "$file" ] || {
      echo "$file is missing: $hint" >&2
      exit 1
    }
  done
}

desktop_init() {
  work=$(mktemp -d)
  trap desktop_cleanup EXIT
  # An interrupted script cleans up too.
  trap 'exit 130' INT
  trap 'exit 143' TERM
}

desktop_at_exit() {
  desktop_hooks+=("$1")
}

desktop_stop() {
  local pid n
  for pid in "$@"; do kill "$pid" 2>/dev/null || true; done
  for pid in "$@"; do
    wait "$pid" 2>/dev/null || true
    # Not our child (a browser the program started): it can only be watched until it is gone.
    for ((n = 0; n < 100; n++)); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.05
    done
  done
}

# The EXIT trap: hooks, then the processes newest first, then the work folder. The script's
# exit status stays what it was.
desktop_cleanup() {
  local rc=$? i pids=()
  for ((i = ${#desktop_hooks[@]} - 1; i >= 0; i--)); do "${desktop_hooks[$i]}" || true; done
  for ((i = ${#desktop_pids[@]} - 1; i >= 0; i--)); do pids+=("${desktop_pids[$i]}"); done
  desktop_stop "${pids[@]}"
  if [ -n "${KEEP_WORK:-}" ]; then
    echo "kept $work" >&2
  else
    rm -rf "$work" || true
  fi
  exit "$rc"
}

desktop_start_x() {
  local size=${1:-800x600} n display
  # -displayfd picks a free display and tells us which.
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  desktop_pids+=($!)
  for ((n = 0; n < 200; n++)); do
    [ -s "$work/display" ] && break
    sleep 0.05
  done
  if [ ! -s "$work/display" ]; then
    echo "Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
  fi
  display=$(cat "$work/display")
  export DISPLAY=":$display"
  # Window managers and tray hosts write into HOME.
  export HOME="$work/home" XDG_CONFIG_HOME="$work/config"
  mkdir -p "$HOME" "$XDG_CONFIG_HOME"
}

desktop_start_wm() {
  local n
  openbox >"$work/openbox.log" 2>&1 &
  desktop_pids+=($!)
  # Windows mapped before openbox manages the screen would get no frame.
  for ((n = 0; n < 200; n++)); do
    xprop -root _OB_THEME 2>/dev/null | grep -q ' = ' && return
    sleep 0.05
  done
  echo "openbox did not start:" >&2
  cat "$work/openbox.log" >&2
  exit 1
}

desktop_start_tray() {
  trayer --edge top --align right --widthtype request --height 24 --SetDockType true \
    >"$work/trayer.log" 2>&1 &
  desktop_pids+=($!)
}

desktop_start_calc() {
  local dir=$1 book pattern left deadline
  local paths=()
  shift
  rm -rf "$dir/docs"
  mkdir -p "$dir/docs"
  cp "$desktop_top"/samples/*.xlsx "$desktop_top"/samples/*.ods "$dir/docs/"
  if [ $# -eq 0 ]; then
    for book in "$dir"/docs/*; do set -- "$@" "${book##*/}"; done
  fi
  for book in "$@"; do paths+=("$dir/docs/$book"); done
  soffice -env:UserInstallation="file://$dir/profile" --calc --norestore --nologo \
    --accept="pipe,name=kestrine;urp;StarOffice.ComponentContext" \
    "${paths[@]}" >"$dir/office.log" 2>&1 &
  desktop_pids+=($!)
  # A fresh profile's first start takes a while; the program's first reload wants every book.
  deadline=$((SECONDS + 120))
  for book in "$@"; do
    pattern="^$(printf '%s' "$book" | sed 's/[][\\.*^$+?(){}|]/\\&/g') - LibreOffice Calc\$"
    left=$((deadline - SECONDS))
    ((left > 0)) || left=0
    [ -n "$(desktop_window "$left" "$pattern")" ] ||
      echo "Calc did not show $book (log: $dir/office.log)" >&2
  done
  sleep 2
}

desktop_launch() {
  local name=$1
  shift
  "$@" >"$work/$name.log" 2>&1 &
  desktop_pids+=($!)
}

desktop_start_kestrine() {
  desktop_launch kestrine "$exe"
  main=$(desktop_window 30 '^Kestrine$')
  if [ -z "$main" ]; then
    echo "the main window did not appear:" >&2
    cat "$work/kestrine.log" >&2
    exit 1
  fi
}

desktop_window() {
  local deadline=$((SECONDS + $1)) id
  # Not `xdotool search --sync`: it dies of BadWindow when any window goes away while it
  # walks the tree (a browser's or Calc's come and go), and the wait would end early.
  while :; do
    id=$(xdotool search --onlyvisible --name "$2" 2>/dev/null | head -n 1 || true)
    if [ -n "$id" ]; then
      echo "$id"
      return
    fi
    ((SECONDS < deadline)) || return 0
    sleep 0.1
  done
}

desktop_kestrine_ini() {
  mkdir -p "$XDG_CONFIG_HOME/Quorvane/Kestrine"
  cat >"$XDG_CONFIG_HOME/Quorvane/Kestrine/Kestrine.ini"
}
