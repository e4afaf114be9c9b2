#!/usr/bin/env bash
# Screenshots of the tray menu, the general settings dialog and the version box on a private X
# server with a window manager and a tray host, beside a LibreOffice Calc of its own (private
# profile, Kestrine's pipe) with the sample workbooks:
#   scripts/screenshot-tray.sh [OUT] [KESTRINE]
#   OUT-menu-bookmarks.png  the tray menu, opened by the hotkey Ctrl+Alt+A at the pointer, with
#                           its bookmark submenu
#   OUT-menu-books.png      the same menu with the book submenu and one book's sheets
#   OUT-settings.png        the general settings dialog
#   OUT-version.png         the version box
# OUT defaults to build/tray; KESTRINE to the program in build/, build-gui/ or build-tray/.
# KEEP_WORK=1 keeps the temporary folder with the servers' and the program's logs.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$top/build/tray}
exe=${2:-}
if [ -z "$exe" ]; then
  for candidate in "$top/build/src/app/kestrine" "$top/build-gui/src/app/kestrine" \
    "$top/build-tray/src/app/kestrine"; do
    [ -x "$candidate" ] && { exe=$candidate; break; }
  done
fi
[ -x "${exe:-}" ] || { echo "kestrine not built; build it first (README)" >&2; exit 1; }
for tool in Xvfb openbox trayer xdotool import soffice; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done
mkdir -p "$(dirname "$out")"

work=$(mktemp -d)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[$i]}" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  [ -n "${KEEP_WORK:-}" ] && echo "kept $work" >&2 || rm -rf "$work"
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

# The hotkey Ctrl+Alt+A (index 26) and three bookmarks, one of a workbook that is closed.
cat >"$XDG_CONFIG_HOME/Quorvane/Kestrine/Kestrine.ini" <<'EOF'
[STARTUP]
UseHotKey=1
HotKeyCodeIndex=26
[BOOKMARK]
Count=3
Item0=家賃の行,Budget.xlsx,Summary,1,1
Item1=,Inventory.ods,Stock,0,2
Item2=昨年の決算,Closed2025.xlsx,Sheet1,2,9
EOF

openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 200); do xprop -root _OB_THEME 2>/dev/null | grep -q ' = ' && break; sleep 0.05; done
trayer --edge top --align right --widthtype request --height 24 --SetDockType true \
  >"$work/trayer.log" 2>&1 &
pids+=($!)

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
[ -n "$main" ] || { echo "the main window did not appear" >&2; exit 1; }
sleep 2

# The hotkey with Calc in front: the menu opens at the pointer, the window stays behind.
calc=$(xdotool search --onlyvisible --name 'LibreOffice Calc$' | head -n 1 || true)
[ -n "$calc" ] && xdotool windowactivate --sync "$calc" || true
xdotool mousemove 420 160
sleep 0.3
xdotool key ctrl+alt+a
sleep 0.5
xdotool key b
sleep 0.5
import -window root "$out-menu-bookmarks.png"
xdotool key Escape
sleep 0.3
xdotool key e
sleep 0.3
xdotool key 1
sleep 0.5
import -window root "$out-menu-books.png"
xdotool key Escape Escape Escape
sleep 0.3

# Tool bar buttons, counted from the left edge of the client area.
xdotool windowactivate --sync "$main" 2>/dev/null || xdotool windowraise "$main"
sleep 0.3
click_button() { xdotool mousemove --window "$main" "$1" 14 click 1; }
click_button "${SETTINGS_BUTTON_X:-71}"
timeout 10 xdotool search --sync --onlyvisible --name '^全般設定$' >/dev/null || true
sleep 0.5
import -window root "$out-settings.png"
xdotool key Escape
sleep 0.5
click_button "${VERSION_BUTTON_X:-129}"
timeout 10 xdotool search --sync --onlyvisible --name '^バージョン情報$' >/dev/null || true
sleep 0.5
import -window root "$out-version.png"
xdotool key Return
echo "saved $out-menu-bookmarks.png $out-menu-books.png $out-settings.png $out-version.png"
