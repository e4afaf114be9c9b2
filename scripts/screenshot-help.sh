#!/usr/bin/env bash
# Screenshots of the help opened from the program on a private X server with a window manager.
# A browser of the machine stands in for the desktop's: a private xdg-open first in PATH
# hands the page to chromium (package chromium, not needed otherwise).
#   scripts/screenshot-help.sh [OUT] [KESTRINE]
#   OUT-start.png     the start page, opened by the ヘルプ button
#   OUT-settings.png  the general settings page, opened by F1 in its dialog
# OUT defaults to build/help; KESTRINE to the program in build/. The pages opened are listed
# in OUT-opened.txt. KEEP_WORK=1 keeps the temporary folder with the logs.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$top/build/help}
exe=${2:-$top/build/src/app/kestrine}
[ -x "$exe" ] || { echo "kestrine not built; build it first (README)" >&2; exit 1; }
for tool in Xvfb openbox xdotool import chromium; do
  command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 1; }
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

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")"
export HOME="$work/home" XDG_CONFIG_HOME="$work/config"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$work/bin"

# The opener: notes the page and shows it in one browser window (later pages in new tabs).
cat >"$work/bin/xdg-open" <<EOS
#!/bin/sh
echo "\$1" >>"$work/opened.txt"
chromium --no-sandbox --test-type --no-first-run --disable-gpu --disable-features=Translate --user-data-dir="$work/chromium" \\
  --window-position=240,0 --window-size=784,740 "\$1" >>"$work/chromium.log" 2>&1 &
EOS
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH"

openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
for _ in $(seq 200); do xprop -root _OB_THEME 2>/dev/null | grep -q ' = ' && break; sleep 0.05; done

"$exe" >"$work/kestrine.log" 2>&1 &
pids+=($!)
main=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kestrine$' | head -n 1 || true)
[ -n "$main" ] || { echo "the main window did not appear" >&2; exit 1; }
# No spreadsheet runs: the start-up reload says so; answer the box.
if timeout 10 xdotool search --sync --onlyvisible --name '^警告$' >/dev/null; then
  xdotool key --window "$(xdotool search --onlyvisible --name '^警告$' | head -n 1)" Return
  sleep 0.5
fi
xdotool windowmove "$main" 0 0
xdotool windowactivate --sync "$main" 2>/dev/null || true
sleep 0.3

click_button() { xdotool mousemove --window "$main" "$1" 14 click 1; }
click_button "${HELP_BUTTON_X:-152}"
timeout 30 xdotool search --sync --onlyvisible --name 'Kestrine ヘルプ' >/dev/null || true
sleep 3
import -window root "$out-start.png"

xdotool windowactivate --sync "$main" 2>/dev/null || true
click_button "${SETTINGS_BUTTON_X:-71}"
settings=$(timeout 10 xdotool search --sync --onlyvisible --name '^全般設定$' | head -n 1 || true)
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
