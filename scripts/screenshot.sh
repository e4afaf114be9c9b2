#!/usr/bin/env bash
# Starts Kestrine on a private X server with a window manager and saves screenshots.
#   scripts/screenshot.sh [--demo] [OUT] [KESTRINE]
# Without --demo no spreadsheet runs, so the start-up says so in a warning box:
#   OUT-warning.png  the screen with that box
#   OUT.png          the screen after the box has been answered
# With --demo a LibreOffice Calc of its own (private profile, Kestrine's pipe) opens the
# sample workbooks first, and OUT.png shows the tree of their sheets.
# OUT defaults to build/screenshot; KESTRINE to the program in build/ or build-gui/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
demo=0
if [ "${1:-}" = "--demo" ]; then demo=1; shift; fi
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
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"
export HOME="$work/home" XDG_CONFIG_HOME="$work/config"
mkdir -p "$HOME" "$XDG_CONFIG_HOME"

openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 200); do xprop -root _OB_THEME 2>/dev/null | grep -q ' = ' && break; sleep 0.05; done

if [ "$demo" = 1 ]; then
  mkdir -p "$work/docs"
  cp "$top"/samples/*.xlsx "$top"/samples/*.ods "$work/docs/"
  soffice -env:UserInstallation="file://$work/profile" --calc --norestore --nologo \
    --accept="pipe,name=kestrine;urp;StarOffice.ComponentContext" \
    "$work"/docs/* >"$work/office.log" 2>&1 &
  pids+=($!)
  # A fresh profile's first start takes a while.
  timeout 120 xdotool search --sync --name '^Inventory\.ods - LibreOffice Calc$' >/dev/null || true
  sleep 2
fi

"$exe" >"$work/kestrine.log" 2>&1 &
pids+=($!)
main=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kestrine$' | head -n 1 || true)
if [ "$demo" = 1 ]; then
  sleep 2
else
  # The warning box comes from the first idle pass, after the main window is up.
  timeout 10 xdotool search --sync --onlyvisible --name '^警告$' >/dev/null || true
  sleep 0.5
  import -window root "$out-warning.png"
  box=$(xdotool search --onlyvisible --name '^警告$' | head -n 1 || true)
  [ -n "$box" ] && xdotool windowactivate --sync "$box" key Return || true
  sleep 0.5
fi
[ -n "$main" ] && xdotool windowactivate --sync "$main" 2>/dev/null || true
sleep 0.3
import -window root "$out.png"
echo "saved $out.png$([ "$demo" = 1 ] || echo " and $out-warning.png")"
