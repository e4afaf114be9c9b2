#!/usr/bin/env bash
# Screenshots of the bookmarks on a private X server with a window manager, beside a
# LibreOffice Calc of its own (private profile, Kestrine's pipe) with the sample workbooks:
#   scripts/screenshot-bookmarks.sh [OUT] [KESTRINE]
#   OUT-tree.png    the tree with enabled bookmarks, one of a closed workbook greyed, and the
#                   hint of the bookmark under the pointer
#   OUT-dialog.png  the edit dialog, opened from the tree's context menu
# OUT defaults to build/bookmarks; KESTRINE to the program in build/, build-gui/ or build-bm/.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$top/build/bookmarks}
exe=${2:-}
if [ -z "$exe" ]; then
  for candidate in "$top/build/src/app/kestrine" "$top/build-gui/src/app/kestrine" \
    "$top/build-bm/src/app/kestrine"; do
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

# Three bookmarks in open workbooks, one of them named, and one of a workbook that is closed.
cat >"$XDG_CONFIG_HOME/Quorvane/Kestrine/Kestrine.ini" <<'EOF'
[BOOKMARK]
Count=4
Item0=家賃の行,Budget.xlsx,Summary,1,1
Item1=,予定表.xlsx,5月,1,1
Item2=,Inventory.ods,Stock,0,2
Item3=昨年の決算,Closed2025.xlsx,Sheet1,2,9
EOF

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
[ -n "$main" ] || { echo "the main window did not appear" >&2; exit 1; }
sleep 2
xdotool windowactivate --sync "$main"
sleep 0.3

# Rows of the tree, counted from its top: the root, then the bookmarks. Y is where openbox
# reports the window, a row above the tree's first.
eval "$(xdotool getwindowgeometry --shell "$main")"
row_height=${ROW_HEIGHT:-18}
tree_top=$((Y + 13))
row_y() { echo $((tree_top + row_height * $1 + row_height / 2)); }
label_x=$((X + 19 + 30))

# The hint of the greyed bookmark: its tip hides only rows below it. Tool tips need a pause
# with the pointer still.
xdotool mousemove "$label_x" "$(row_y 3)"
sleep 0.2
xdotool mousemove "$((label_x + 2))" "$(row_y 4)"
sleep 1.5
import -window root "$out-tree.png"

# The edit dialog of the first bookmark: select it, right click, then the change entry's key.
xdotool mousemove "$label_x" "$(row_y 1)"
xdotool click 1
xdotool click 3
sleep 0.5
xdotool key u
dialog=$(timeout 10 xdotool search --sync --onlyvisible --name '^ブックマーク編集$' | head -n 1 || true)
sleep 1
import -window root "$out-dialog.png"
[ -n "$dialog" ] && xdotool windowactivate --sync "$dialog" key Escape || true
echo "saved $out-tree.png and $out-dialog.png"
