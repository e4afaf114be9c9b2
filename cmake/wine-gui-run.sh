#!/bin/sh
# CTest emulator for the tests of the whole Windows program: runs EXE ARGS... under Wine on an
# X server of its own (Xvfb), inside Wine's own desktop (frame, task bar and notification
# area), and exits with the program's code. The X server and the Wine session end with it.
# A shell script in place of EXE runs with DISPLAY and WINEPREFIX set (the screenshot script);
# KESTRINE_WINE_BUILD then names the build folder.
#
# The prefix is <build dir>/wineprefix-gui, or wineprefix-gui-ja when KESTRINE_WINE_LOCALE=ja
# (LANG=ja_JP.UTF-8 from the locale compiled under <build dir>/tests/wine/locale: the ANSI
# code page is then 932). Made on first use.
set -u

if [ "$#" -lt 1 ]; then
  echo "usage: wine-gui-run.sh EXE [ARGS...]" >&2
  exit 2
fi
exe=$1
shift

. "$(dirname "$0")/wine-common.sh"
build=$(wine_build_dir "${KESTRINE_WINE_BUILD:-$(dirname "$exe")}") || {
  echo "wine-gui-run.sh: no build folder above $exe" >&2
  exit 2
}

prefix=$build/wineprefix-gui
if [ "${KESTRINE_WINE_LOCALE:-}" = ja ]; then
  prefix=$build/wineprefix-gui-ja
  locales=$build/tests/wine/locale
  if [ ! -f "$locales/ja_JP.UTF-8/LC_CTYPE" ]; then
    mkdir -p "$locales"
    localedef -i ja_JP -f UTF-8 "$locales/ja_JP.UTF-8" >/dev/null 2>&1 ||
      [ -f "$locales/ja_JP.UTF-8/LC_CTYPE" ] || {
      echo "wine-gui-run.sh: cannot compile the ja_JP.UTF-8 locale" >&2
      exit 1
    }
  fi
  export LOCPATH=$locales LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
else
  export LANG=C.UTF-8 LC_ALL=C.UTF-8
fi
wine_environment "$prefix"

work=$(mktemp -d) || exit 1
xvfb_pid=
cleanup() {
  wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' INT TERM

# An X server of our own; -displayfd picks a free display and tells which.
mkfifo "$work/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
read -r display <"$work/display" || {
  echo "wine-gui-run.sh: Xvfb did not start" >&2
  exit 1
}
export DISPLAY=":$display"

setup() {
  wineboot -u &&
    # A crash must end the process, not wait on a dialog.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f &&
    # Every window inside one Wine desktop: a frame, a task bar and a notification area
    # without a window manager.
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f &&
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f &&
    # Wine's own parts in a font with the glyphs; Qt's default font a Gothic one.
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS UI Gothic' /d IPAPGothic /f &&
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'MS Shell Dlg' /d IPAPGothic /f &&
    wineserver -w &&
    for font in tahoma.ttf tahomabd.ttf marlett.ttf; do
      if [ -f "/usr/share/wine/fonts/$font" ]; then
        cp "/usr/share/wine/fonts/$font" "$prefix/drive_c/windows/Fonts/" || return 1
      fi
    done
}
wine_prepare_prefix "$prefix" setup "$prefix-setup.log" || exit 1

# Output through files: Wine's helper processes inherit descriptors, and CTest would wait for
# them if they held its pipe.
case $exe in
  *.sh) sh "$exe" "$@" </dev/null >"$work/out" 2>"$work/err" ;;
  *) wine_run_logged "$work/out" "$work/err" "$exe" "$@" ;;
esac
rc=$?
cat "$work/out"
cat "$work/err" >&2
exit "$rc"
