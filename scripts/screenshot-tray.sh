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
# shellcheck source=scripts/lib/desktop.sh
. "$top/scripts/lib/desktop.sh"
out=${1:-$top/build/tray}
desktop_find_program "${2:-}" build-tray
desktop_need Xvfb openbox xprop trayer xdotool import soffice
mkdir -p "$(dirname "$out")"

desktop_init
desktop_start_x 800x600
# The hotkey Ctrl+Alt+A (index 26) and three bookmarks, one of a workbook that is closed.
desktop_kestrine_ini <<'EOF'
[STARTUP]
UseHotKey=1
HotKeyCodeIndex=26
[BOOKMARK]
Count=3
Item0=家賃の行,Budget.xlsx,Summary,1,1
Item1=,Inventory.ods,Stock,0,2
Item2=昨年の決算,Closed2025.xlsx,Sheet1,2,9
EOF
desktop_start_wm
desktop_start_tray
desktop_start_calc "$work"

desktop_start_kestrine
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
desktop_window 10 '^全般設定$' >/dev/null
sleep 0.5
import -window root "$out-settings.png"
xdotool key Escape
sleep 0.5
click_button "${VERSION_BUTTON_X:-129}"
desktop_window 10 '^バージョン情報$' >/dev/null
sleep 0.5
import -window root "$out-version.png"
xdotool key Return
echo "saved $out-menu-bookmarks.png $out-menu-books.png $out-settings.png $out-version.png"
