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
# shellcheck source=scripts/lib/desktop.sh
. "$top/scripts/lib/desktop.sh"
out=${1:-$top/build/bookmarks}
desktop_find_program "${2:-}" build-bm
desktop_need Xvfb openbox xprop xdotool import soffice
mkdir -p "$(dirname "$out")"

desktop_init
desktop_start_x 800x600
# Three bookmarks in open workbooks, one of them named, and one of a workbook that is closed.
desktop_kestrine_ini <<'EOF'
[BOOKMARK]
Count=4
Item0=家賃の行,Budget.xlsx,Summary,1,1
Item1=,予定表.xlsx,5月,1,1
Item2=,Inventory.ods,Stock,0,2
Item3=昨年の決算,Closed2025.xlsx,Sheet1,2,9
EOF
desktop_start_wm
desktop_start_calc "$work"

desktop_start_kestrine
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
dialog=$(desktop_window 10 '^ブックマーク編集$')
sleep 1
import -window root "$out-dialog.png"
[ -n "$dialog" ] && xdotool windowactivate --sync "$dialog" key Escape || true
echo "saved $out-tree.png and $out-dialog.png"
