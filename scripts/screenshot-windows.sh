#!/usr/bin/env bash
# A screenshot of the Windows program under Wine (Japanese locale, Wine's own desktop) with the
# test automation server standing in for Excel and serving four workbooks.
#   scripts/screenshot-windows.sh [OUT.png] [BUILD]     (BUILD: default build-win-gui)
# Needs the Windows program's build (scripts/test-windows.sh makes it) and imagemagick.
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-kestrine-windows.png}")
build=$(realpath "${2:-build-win-gui}")
exe=$build/src/app/kestrine.exe
server=$build/tests/winegui/kestrine_com_server.exe
for f in "$exe" "$server"; do
  [ -f "$f" ] || { echo "screenshot-windows.sh: $f is missing; run scripts/test-windows.sh" >&2; exit 1; }
done

scenario=$(mktemp --suffix=.sh)
trap 'rm -f "$scenario"' EXIT
cat >"$scenario" <<SCENARIO
wine '$server' --demo &
sleep 3
wine '$exe' &
sleep 8
import -window root -crop 1024x768+0+0 +repage '$out'
SCENARIO
KESTRINE_WINE_BUILD=$build KESTRINE_WINE_LOCALE=ja cmake/wine-gui-run.sh "$scenario"
echo "$out"
