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

dir=$(cd "${KESTRINE_WINE_BUILD:-$(dirname "$exe")}" && pwd)
while [ "$dir" != / ] && [ ! -f "$dir/CMakeCache.txt" ]; do dir=$(dirname "$dir"); done
if [ "$dir" = / ]; then
  echo "wine-gui-run.sh: no build folder above $exe" >&2
  exit 2
fi
build=$dir

if [ -z "${HOME:-}" ]; then
  HOME=$(getent passwd "$(id -u)" | cut -d: -f6)
  export HOME
fi

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
export WINEPREFIX="$prefix" WINEARCH=win64 WINEDLLOVERRIDES="mscoree=;mshtml="
export WINEDEBUG="${WINEDEBUG:--all}"

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

# One creator at a time: CTest may discover both locales' tests at once.
(
  flock 9
  if [ ! -f "$prefix/.kestrine-ready" ]; then
    log=$prefix-setup.log
    {
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
        wineserver -w
    } </dev/null >"$log" 2>&1 || {
      echo "wine-gui-run.sh: creating the Wine prefix $prefix failed, see $log" >&2
      exit 1
    }
    for font in tahoma.ttf tahomabd.ttf marlett.ttf; do
      [ -f "/usr/share/wine/fonts/$font" ] && cp "/usr/share/wine/fonts/$font" "$prefix/drive_c/windows/Fonts/"
    done
    touch "$prefix/.kestrine-ready"
  fi
) 9>"$prefix.lock" || exit 1

# Output through files: Wine's helper processes inherit descriptors, and CTest would wait for
# them if they held its pipe.
case $exe in
  *.sh) sh "$exe" "$@" </dev/null >"$work/out" 2>"$work/err" ;;
  *) wine "$exe" "$@" </dev/null >"$work/out" 2>"$work/err" ;;
esac
rc=$?
cat "$work/out"
cat "$work/err" >&2
exit "$rc"
