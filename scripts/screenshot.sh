#!/usr/bin/env bash
# Starts Kestrine on a private X server with a window manager and saves screenshots:
#   OUT-warning.png  the start-up as it stands (with no spreadsheet running: the warning box)
#   OUT.png          the main window after the box has been answered
# Usage: scripts/screenshot.sh [OUT-without-.png] [path-to-kestrine]
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$top/build/screenshot}
exe=${2:-}
if [ -z "$exe" ]; then
  for candidate in "$top/build/src/app/kestrine" "$top/build-gui/src/app/kestrine"; do
    [ -x "$candidate" ] && { exe=$candidate; break; }
  done
fi
[ -x "${exe:-}" ] || { echo "kestrine not built; build it first (README)" >&2; exit 1; }
for tool in Xvfb openbox xdotool import; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[$i]}" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# -displayfd picks a free display and tells us which.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"

mkdir -p "$work/home" "$work/config"
HOME="$work/home" openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
sleep 0.5

XDG_CONFIG_HOME="$work/config" HOME="$work/home" "$exe" >"$work/kestrine.log" 2>&1 &
pids+=($!)

# The warning box comes from the first idle pass, after the main window is up.
if xdotool search --sync --onlyvisible --name '警告' >/dev/null 2>&1 & then
  finder=$!
  for _ in $(seq 100); do kill -0 "$finder" 2>/dev/null || break; sleep 0.1; done
  kill "$finder" 2>/dev/null || true
fi
sleep 0.5
import -window root "$out-warning.png"
box=$(xdotool search --onlyvisible --name '警告' | head -n 1 || true)
if [ -n "$box" ]; then
  xdotool windowactivate --sync "$box" key Return || true
fi
sleep 0.5
import -window root "$out.png"
echo "saved $out-warning.png and $out.png"
