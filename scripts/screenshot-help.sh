#!/usr/bin/env bash
# Screenshots of the help opened from the program on a private X server with a window manager.
# A browser of the machine stands in for the desktop's: a private xdg-open first in PATH
# hands the page to chromium (package chromium, not needed otherwise).
#   scripts/screenshot-help.sh [OUT] [KESTRINE]
#   OUT-start.png     the start page, opened by the ヘルプ button
#   OUT-settings.png  the general settings page, opened by F1 in its dialog
# OUT defaults to build/help; KESTRINE to the program in build/ or build-gui/. The pages
# opened are listed in OUT-opened.txt. KEEP_WORK=1 keeps the temporary folder with the logs.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=scripts/lib/desktop.sh
. "$top/scripts/lib/desktop.sh"
out=${1:-$top/build/help}
desktop_find_program "${2:-}"
desktop_need Xvfb openbox xprop xdotool import
command -v chromium >/dev/null || { echo "chromium is missing (package chromium)" >&2; exit 1; }
mkdir -p "$(dirname "$out")"

desktop_init
desktop_start_x 1024x768
mkdir -p "$work/bin"

# The opener: notes the page and shows it in one browser window (later pages in new tabs).
# The browser is not our child: its PID goes to a file, for the cleanup.
cat >"$work/bin/xdg-open" <<EOS
#!/bin/sh
echo "\$1" >>"$work/opened.txt"
chromium --no-sandbox --test-type --no-first-run --disable-gpu --disable-features=Translate --user-data-dir="$work/chromium" \\
  --window-position=240,0 --window-size=784,740 "\$1" >>"$work/chromium.log" 2>&1 &
echo "\$!" >>"$work/browser.pids"
EOS
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH"
# Its profile folder must not be written while the work folder is removed.
stop_browser() {
  [ -f "$work/browser.pids" ] || return 0
  # shellcheck disable=SC2046  # one PID a line
  desktop_stop $(cat "$work/browser.pids")
}
desktop_at_exit stop_browser

desktop_start_wm
desktop_start_kestrine
# No spreadsheet runs: the start-up reload says so; answer the box. A key sent just as it
# appears can fail (BadWindow), so it is sent again while the box stays.
if [ -n "$(desktop_window 10 '^警告$')" ]; then
  for _ in 1 2 3 4 5; do
    box=$(desktop_window 0 '^警告$')
    [ -n "$box" ] || break
    xdotool key --window "$box" Return 2>/dev/null || true
    sleep 0.5
  done
fi
xdotool windowmove "$main" 0 0
xdotool windowactivate --sync "$main" 2>/dev/null || true
sleep 0.3

click_button() { xdotool mousemove --window "$main" "$1" 14 click 1; }
click_button "${HELP_BUTTON_X:-152}"
desktop_window 30 'Kestrine ヘルプ' >/dev/null
sleep 3
import -window root "$out-start.png"

# After the browser has opened, the main window sometimes ignores clicks until it has had a
# key: then Escape (which does nothing there) and the click again.
for _ in 1 2 3; do
  xdotool windowactivate --sync "$main" 2>/dev/null || true
  click_button "${SETTINGS_BUTTON_X:-71}"
  settings=$(desktop_window 5 '^全般設定$')
  [ -z "$settings" ] || break
  xdotool key --window "$main" Escape 2>/dev/null || true
done
if [ -n "$settings" ]; then
  xdotool windowactivate --sync "$settings" 2>/dev/null || true
  xdotool key F1
  sleep 3
  import -window root "$out-settings.png"
  xdotool windowactivate --sync "$settings" 2>/dev/null || true
  xdotool key Escape
fi
cp "$work/opened.txt" "$out-opened.txt" 2>/dev/null || true
echo "saved $out-start.png $out-settings.png; opened:"
cat "$out-opened.txt" 2>/dev/null || echo "(nothing)"
