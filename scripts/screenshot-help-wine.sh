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
# shellcheck source=scripts/lib/desktop.sh
. "$top/scripts/lib/desktop.sh"
desktop_need_files "build the Windows tests" "$probe" "$chm"
desktop_need Xvfb openbox xprop import wine wineboot wineserver
mkdir -p "$(dirname "$out")"

desktop_init
# Wine's processes go while the X server is still there.
stop_wine() { WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null || true; }
desktop_at_exit stop_wine
desktop_start_x 1024x768
desktop_start_wm

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
