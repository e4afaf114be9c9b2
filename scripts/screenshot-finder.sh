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
# shellcheck source=scripts/lib/desktop.sh
. "$top/scripts/lib/desktop.sh"
out=${1:-$top/build/finder}
desktop_find_program "${2:-}"
desktop_need Xvfb openbox xprop xdotool import soffice
mkdir -p "$(dirname "$out")"

desktop_init
desktop_start_x 800x600
# The finder's hotkey on, and a bookmark in an open workbook.
desktop_kestrine_ini <<'INI'
[BOOKMARK]
Count=1
Item0=,予定表.xlsx,5月,1,1

[FINDER]
UseHotKey=1
HotKeyCodeIndex=31
INI
desktop_start_wm
desktop_start_calc "$work"

desktop_start_kestrine
sleep 2
# The main window out of the way, Calc in front with the focus.
xdotool windowmove "$main" 560 290 || true
calc=$(xdotool search --onlyvisible --name 'LibreOffice Calc$' | tail -n 1 || true)
[ -n "$calc" ] && xdotool windowactivate --sync "$calc" || true
sleep 0.5
xdotool mousemove 400 300 key ctrl+alt+f
finder=$(desktop_window 10 '^シートの検索$')
[ -n "$finder" ] || { echo "the finder did not open" >&2; exit 1; }
sleep 0.5
# A full-width blank between the words, as a Japanese input method types it.
xdotool type --delay 80 '予定　月'
sleep 0.7
import -window root "$out.png"
echo "saved $out.png"
