#!/usr/bin/env bash
# A screenshot of the sheet finder over a running LibreOffice Calc, on a private X server with
# a window manager; Calc has its own profile, listens on Kestrine's pipe and shows the sample
# workbooks. The finder comes up by its own hotkey (Ctrl+Alt+F) while Calc has the focus, and
# a Japanese query is typed into it:
#   scripts/screenshot-finder.sh [OUT] [KESTRINE]
#   OUT.png  the screen with the finder and its matches
# OUT defaults to build/finder; KESTRINE to the program in build/ or build-gui/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$top/build/finder}
exe=${2:-}
if [ -z "$exe" ]; then
  for candidate in "$top/build/src/app/kestrine" "$top/build-gui/src/app/kestrine"; do
    [ -x "$candidate" ] && { exe=$candidate; break; }
  done
fi
[ -x "${exe:-}" ] || { echo "kestrine not built; build it first (README)" >&2; exit 1; }
for tool in Xvfb openbox xdotool import soffice; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done
mkdir -p "$(dirname "$out")"

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
mkdir -p "$HOME" "$XDG_CONFIG_HOME/Quorvane/Kestrine"

# The finder's hotkey on, and a bookmark in an open workbook.
cat >"$XDG_CONFIG_HOME/Quorvane/Kestrine/Kestrine.ini" <<'INI'
[BOOKMARK]
Count=1
Item0=,予定表.xlsx,5月,1,1

[FINDER]
UseHotKey=1
HotKeyCodeIndex=31
INI

openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 200); do xprop -root _OB_THEME 2>/dev/null | grep -q ' = ' && break; sleep 0.05; done

mkdir -p "$work/docs"
cp "$top"/samples/*.xlsx "$top"/samples/*.ods "$work/docs/"
soffice -env:UserInstallation="file://$work/profile" --calc --norestore --nologo \
  --accept="pipe,name=kestrine;urp;StarOffice.ComponentContext" \
  "$work"/docs/* >"$work/office.log" 2>&1 &
pids+=($!)
# A fresh profile's first start takes a while.
timeout 120 xdotool search --sync --name '^Inventory\.ods - LibreOffice Calc$' >/dev/null || true
sleep 2

"$exe" >"$work/kestrine.log" 2>&1 &
pids+=($!)
main=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kestrine$' | head -n 1 || true)
sleep 2
# The main window out of the way, Calc in front with the focus.
[ -n "$main" ] && xdotool windowmove "$main" 560 290 || true
calc=$(xdotool search --onlyvisible --name 'LibreOffice Calc$' | tail -n 1 || true)
[ -n "$calc" ] && xdotool windowactivate --sync "$calc" || true
sleep 0.5
xdotool mousemove 400 300 key ctrl+alt+f
finder=$(timeout 10 xdotool search --sync --onlyvisible --name '^シートの検索$' | head -n 1 || true)
[ -n "$finder" ] || { echo "the finder did not open" >&2; exit 1; }
sleep 0.5
# A full-width blank between the words, as a Japanese input method types it.
xdotool type --delay 80 '予定　月'
sleep 0.7
import -window root "$out.png"
echo "saved $out.png"
