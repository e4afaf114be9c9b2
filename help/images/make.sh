#!/usr/bin/env bash
# Remakes the help's pictures from the project's screenshot scripts (each starts a private X
# server and a LibreOffice Calc of its own) and crops them to the window they show.
#   help/images/make.sh [KESTRINE]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT
"$top/scripts/screenshot-tray.sh" "$shots/tray" ${1:+"$1"}
"$top/scripts/screenshot-bookmarks.sh" "$shots/bm" ${1:+"$1"}
"$top/scripts/screenshot-finder.sh" "$shots/finder" ${1:+"$1"}
crop() {  # crop SHOT GEOMETRY NAME
  convert "$shots/$1.png" -crop "$2" +repage -define png:exclude-chunks=date,time -strip \
    "PNG24:$here/$3.png"
}
# Places on the 800x600 screens of those scripts.
crop bm-tree 231x310+286+157 main
crop bm-dialog 320x211+240+205 bookmark-edit
crop tray-settings 375x303+213+158 settings
crop tray-menu-books 322x115+418+158 tray-menu
crop finder 422x385+189+119 finder
echo "pictures in $here"
