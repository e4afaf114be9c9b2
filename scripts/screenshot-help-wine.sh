#!/usr/bin/env bash
# Screenshots of the Windows help file in Wine's HTML Help viewer, opened through the
# program's Win32 layer at topics 0, 6 and 12, on a private X server with a window manager.
# Wine has no HTML engine here (mshtml is switched off and wine-gecko is not packaged), so the
# page pane stays empty: the window, its title and its contents tree are what shows. Which
# page each topic opens is checked by the wine tests (Wine's trace of the viewer).
#   scripts/screenshot-help-wine.sh [OUT] [BUILD-WIN]
#   OUT-topic0.png, OUT-topic6.png, OUT-topic12.png
# OUT defaults to build-win/help-wine; BUILD-WIN (default build-win) must hold the Windows
# test build (scripts/test-windows.sh) with its help file and probe.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${2:-$top/build-win}" && pwd)
out=${1:-$build/help-wine}
probe=$build/tests/wine/kestrine_wine_help_probe.exe
chm=$build/tests/wine/help/kestrine.CHM
locales=$build/tests/wine/locale
for f in "$probe" "$chm"; do [ -f "$f" ] || { echo "$f is missing: build the Windows tests" >&2; exit 1; }; done
for tool in Xvfb openbox import wine wineboot; do
  command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 1; }
done

work=$(mktemp -d)
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[$i]}" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
exec 3>&-
for _ in $(seq 200); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(cat "$work/display")" HOME="$work/home"
mkdir -p "$HOME"
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)

# A prefix of its own that draws on the X server; Japanese from the compiled locale, so the
# viewer reads the title and contents in code page 932.
export WINEPREFIX="$work/prefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
[ -d "$locales/ja_JP.UTF-8" ] && export LOCPATH="$locales" LANG=ja_JP.UTF-8
wineboot -u >"$work/wineboot.log" 2>&1
# Wine's own dialog fonts have no Japanese: IPA Gothic stands in for them.
for font in "MS UI Gothic" "MS Shell Dlg" "MS Shell Dlg 2" "Tahoma"; do
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$font" /d IPAPGothic /f \
    >>"$work/wineboot.log" 2>&1
done
wineserver -w

wchm="Z:$(printf '%s' "$chm" | tr / '\\')"
for topic in 0 6 12; do
  wine "$probe" "$wchm" "$topic" 6000 >"$work/probe-$topic.log" 2>&1 &
  pid=$!
  sleep 4
  import -window root "$out-topic$topic.png"
  wait "$pid" || true
done
echo "saved $out-topic0.png $out-topic6.png $out-topic12.png"
