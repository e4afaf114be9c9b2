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
# shellcheck source=scripts/lib/desktop.sh
. "$top/scripts/lib/desktop.sh"
demo=0
if [ "${1:-}" = "--demo" ]; then demo=1; shift; fi
out=${1:-$top/build/screenshot}
desktop_find_program "${2:-}"
desktop_need Xvfb openbox xprop xdotool import
[ "$demo" = 0 ] || desktop_need soffice
mkdir -p "$(dirname "$out")"

desktop_init
desktop_start_x 800x600
desktop_start_wm
[ "$demo" = 0 ] || desktop_start_calc "$work"

desktop_start_kestrine
if [ "$demo" = 1 ]; then
  sleep 2
else
  # The warning box comes from the first idle pass, after the main window is up.
  desktop_window 10 '^警告$' >/dev/null
  sleep 0.5
  import -window root "$out-warning.png"
  box=$(desktop_window 0 '^警告$')
  [ -n "$box" ] && xdotool windowactivate --sync "$box" key Return || true
  sleep 0.5
fi
xdotool windowactivate --sync "$main" 2>/dev/null || true
sleep 0.3
import -window root "$out.png"
echo "saved $out.png$([ "$demo" = 1 ] || echo " and $out-warning.png")"
