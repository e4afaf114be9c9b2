#!/usr/bin/env bash
# A screenshot of the Windows program under Wine (Japanese locale, Wine's own desktop) with the
# test automation server standing in for Excel and serving four workbooks.
#   scripts/screenshot-windows.sh [OUT.png] [BUILD]     (BUILD: default build-win-gui)
# Needs the Windows program's build (scripts/test-windows.sh makes it) and imagemagick.
# The X server, the Wine desktop and the prefix are the Wine test runner's
# (cmake/wine-gui-run.sh), which runs the scenario below.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/lib/desktop.sh
. scripts/lib/desktop.sh
out=$(realpath -m "${1:-kestrine-windows.png}")
build=$(realpath "${2:-build-win-gui}")
exe=$build/src/app/kestrine.exe
server=$build/tests/winegui/kestrine_com_server.exe
desktop_need_files "run scripts/test-windows.sh" "$exe" "$server"
desktop_need Xvfb import wine
mkdir -p "$(dirname "$out")"

desktop_init
cat >"$work/scenario.sh" <<SCENARIO
wine '$server' --demo &
sleep 3
wine '$exe' &
sleep 8
import -window root -crop 1024x768+0+0 +repage '$out'
SCENARIO
KESTRINE_WINE_BUILD=$build KESTRINE_WINE_LOCALE=ja cmake/wine-gui-run.sh "$work/scenario.sh"
echo "$out"
