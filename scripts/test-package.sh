#!/usr/bin/env bash
# The Debian package: made with cpack from a configured Linux build, checked with the desktop,
# AppStream and Debian validators, unpacked into a temporary root and run from there.
#   scripts/test-package.sh [BUILD]     BUILD defaults to build/ (the default preset)
# The package is left in BUILD/package/.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
for tool in cpack dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli lintian; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done
version=$(sed -n "s/^CMAKE_PROJECT_VERSION:STATIC=//p" "$build/CMakeCache.txt")
arch=$(dpkg --print-architecture)
id=com.quorvane.Kestrine

(cd "$build" && cpack -G DEB -B "$build/package")
deb="$build/package/kestrine_${version}_${arch}.deb"
[ -f "$deb" ] || { echo "no $deb" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
root="$work/root"
dpkg-deb -x "$deb" "$root"

passed=0
failed=0
check() {  # check NAME COMMAND...: runs it, shows its output on failure
  local name=$1
  shift
  if "$@" >"$work/log" 2>&1; then
    echo "PASS $name"
    passed=$((passed + 1))
  else
    echo "FAIL $name"
    sed 's/^/    /' "$work/log"
    failed=$((failed + 1))
  fi
}

check "desktop entry" desktop-file-validate "$root/usr/share/applications/$id.desktop"
check "AppStream metadata" appstreamcli validate --no-net --explain \
  "$root/usr/share/metainfo/$id.metainfo.xml"
# Errors fail the package; warnings and notes are shown.
check "lintian" lintian --fail-on error --display-level '>=warning' "$deb"

expect_output() {  # expect_output EXPECTED COMMAND...
  local expected=$1 actual
  shift
  actual=$("$@") || return 1
  [ "$actual" = "$expected" ] || { printf 'expected: %s\nactual:   %s\n' "$expected" "$actual"; return 1; }
}
# No display: the answer must not need one.
check "installed program --version" \
  expect_output "Kestrine $version" env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/kestrine" --version
# The usage text names the help's start page as the installed program finds it.
check "help found from the installed layout" expect_output \
  "ヘルプ: $root/usr/share/kestrine/help/index.html" \
  sh -c 'env -u DISPLAY "$1" --help | tail -n 1' sh "$root/usr/bin/kestrine"

files_present() {
  local missing=0 f
  for f in usr/bin/kestrine usr/bin/kestrine-libreoffice-listen \
    usr/share/kestrine/help/{index,settings,bookmark-edit,bookmarks,tray,settings-file,libreoffice,warnings}.html \
    usr/share/kestrine/help/style.css \
    usr/share/icons/hicolor/{16x16,32x32,48x48,64x64,128x128,256x256}/apps/kestrine.png \
    usr/share/man/man1/kestrine.1.gz usr/share/man/man1/kestrine-libreoffice-listen.1.gz \
    usr/share/doc/kestrine/copyright usr/share/doc/kestrine/changelog.gz \
    usr/share/metainfo/$id.metainfo.xml usr/share/applications/$id.desktop; do
    [ -e "$root/$f" ] || { echo "missing: /$f"; missing=1; }
  done
  [ -x "$root/usr/bin/kestrine-libreoffice-listen" ] || { echo "listen script not executable"; missing=1; }
  return $missing
}
check "package contents" files_present

dependencies() {
  local depends recommends
  depends=$(dpkg-deb -f "$deb" Depends)
  recommends=$(dpkg-deb -f "$deb" Recommends)
  echo "Depends: $depends"
  echo "Recommends: $recommends"
  # From dpkg-shlibdeps: Qt and the UNO runtime, never the office itself.
  [[ $depends == *libqt6widgets6* && $depends == *libc6* ]] || return 1
  [[ $depends != *libreoffice-calc* && $recommends == *libreoffice-calc* ]]
}
check "dependencies" dependencies
# apt resolves them on this system (a dry run: nothing is installed).
check "installable with apt" apt-get install --simulate --no-install-recommends "$deb"

echo "Package $(basename "$deb"): $(du -k "$deb" | cut -f1) KiB"
echo "package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
