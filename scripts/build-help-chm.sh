#!/usr/bin/env bash
# Compiles the help pages in help/ into the Windows help file, with the topic numbers the
# program's dialogs ask for: 6 opens the general settings page, 12 the bookmark edit page.
#   scripts/build-help-chm.sh OUT.CHM
# Needs chmcmd (package fp-utils), iconv and unshare (or root for chroot). The viewer reads
# the contents tree and the project's title in the file's code page, 932 for Japanese; the
# pages stay UTF-8.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
out=${1:?usage: build-help-chm.sh OUT.CHM}
command -v chmcmd >/dev/null || { echo "chmcmd is missing (package fp-utils)" >&2; exit 1; }
case "$out" in /*) ;; *) out="$PWD/$out" ;; esac

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$top"/help/. "$work/"

# Contents tree: title and file of each page, in reading order.
pages=(
  "Kestrine ヘルプ|index.html"
  "ブックマーク|bookmarks.html"
  "ブックマーク編集|bookmark-edit.html"
  "トレイメニューとホットキー|tray.html"
  "シートの検索|finder.html"
  "全般設定|settings.html"
  "設定ファイル|settings-file.html"
  "LibreOffice Calc との接続（Linux）|libreoffice.html"
  "警告メッセージ|warnings.html"
)
{
  echo '<!DOCTYPE HTML PUBLIC "-//IETF//DTD HTML//EN">'
  echo '<html><head><meta http-equiv="Content-Type" content="text/html; charset=shift_jis"></head><body>'
  echo '<object type="text/site properties"><param name="Window Styles" value="0x800025"></object>'
  echo '<ul>'
  for entry in "${pages[@]}"; do
    echo "  <li><object type=\"text/sitemap\"><param name=\"Name\" value=\"${entry%%|*}\">" \
      "<param name=\"Local\" value=\"${entry#*|}\"></object>"
  done
  echo '</ul></body></html>'
} | iconv -f UTF-8 -t CP932 >"$work/kestrine.hhc"

for entry in "${pages[@]}"; do
  [ -f "$work/${entry#*|}" ] || { echo "help/${entry#*|} is missing" >&2; exit 1; }
done

{
  printf '[OPTIONS]\r\n'
  printf 'Compatibility=1.1 or later\r\n'
  printf 'Compiled file=kestrine.chm\r\n'
  printf 'Contents file=kestrine.hhc\r\n'
  printf 'Default topic=index.html\r\n'
  printf 'Display compile progress=No\r\n'
  printf 'Language=0x411 Japanese\r\n'
  printf 'Title=Kestrine ヘルプ\r\n'
  printf '\r\n[FILES]\r\n'
  (cd "$work" && find . -type f \( -name '*.html' -o -name '*.css' -o -name '*.png' \) | sed 's|^\./||' | sort) |
    sed 's/$/\r/'
  printf '\r\n[MAP]\r\n'
  printf '#define IDH_CONFIG_GENERAL 6\r\n'
  printf '#define IDH_BOOKMARK_EDIT 12\r\n'
  printf '\r\n[ALIAS]\r\n'
  printf 'IDH_CONFIG_GENERAL=settings.html\r\n'
  printf 'IDH_BOOKMARK_EDIT=bookmark-edit.html\r\n'
} | iconv -f UTF-8 -t CP932 >"$work/kestrine.hhp"

# chmcmd writes each mapped topic as the page's absolute path on this machine, where the
# viewer looks for "/page.html": so it runs with the project folder as its root directory.
# Inside: chmcmd, the libraries it links and libpthread, which its thread unit loads.
chmcmd=$(readlink -f "$(command -v chmcmd)")
cp "$chmcmd" "$work/chmcmd"
libs=$(ldd "$chmcmd" | grep -o '/[^ ]*' || true)
libc=$(printf '%s\n' $libs | grep '/libc\.so\.6$' || true)
[ -n "$libc" ] && libs="$libs $(dirname "$libc")/libpthread.so.0"
for lib in $libs; do
  [ -f "$lib" ] || continue
  mkdir -p "$work$(dirname "$lib")"
  cp -L "$lib" "$work$lib"
done
compile() {
  if unshare -r -R "$work" -w / /bin/chmcmd --no-html-scan --verbosity 1 kestrine.hhp 2>/dev/null; then
    return 0
  fi
  # No user namespaces here: root can change its root directory directly.
  [ "$(id -u)" -eq 0 ] && chroot "$work" /bin/chmcmd --no-html-scan --verbosity 1 kestrine.hhp
}
mkdir -p "$work/bin" && mv "$work/chmcmd" "$work/bin/chmcmd"
if ! (cd "$work" && compile >"$work/chmcmd.log" 2>&1) || [ ! -s "$work/kestrine.chm" ]; then
  cat "$work/chmcmd.log" >&2
  echo "build-help-chm.sh: chmcmd failed (it needs unshare with user namespaces, or root)" >&2
  exit 1
fi
mkdir -p "$(dirname "$out")"
mv "$work/kestrine.chm" "$out"
