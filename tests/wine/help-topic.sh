#!/bin/sh
# One help topic under Wine: the probe opens FILE.CHM at TOPIC through the program's Win32
# layer, and Wine's trace of its HTML Help viewer must show the navigation to PAGE inside it.
#   help-topic.sh WINE-RUN PROBE FILE.CHM TOPIC PAGE
set -u
run=$1 probe=$2 chm=$3 topic=$4 page=$5
trace=$(mktemp) || exit 1
trap 'rm -f "$trace"' EXIT
# The viewer's channel only; the probe's own lines go to stdout.
WINEDEBUG=-all,+htmlhelp "$run" "$probe" "Z:$(printf '%s' "$chm" | tr / '\\')" "$topic" 2>"$trace"
rc=$?
url=$(grep -o 'navigate_url L"[^"]*"' "$trace" | tail -n 1)
echo "viewer: ${url:-no navigation}"
[ "$rc" -eq 0 ] || { echo "FAIL: the viewer did not open"; exit 1; }
case "$url" in
  *"::/$page\"") echo "PASS: topic $topic opens $page" ;;
  *) echo "FAIL: topic $topic should open $page"; exit 1 ;;
esac
