#!/usr/bin/env bash
# Makes your LibreOffice accept Kestrine's connection from its next start on, by setting
# ooSetupConnectionURL in your LibreOffice profile. Refuses while that office runs: the
# office writes the file back when it exits and would undo the change.
set -euo pipefail

usage() {
  # The name it was called by: installed, it is kestrine-libreoffice-listen.
  cat <<EOF
Usage: ${0##*/} [--off] [--profile DIR] [--pipe NAME]

Makes LibreOffice listen on the local pipe "kestrine" from its next start on, so that
Kestrine can attach to it. Close LibreOffice first.

  --off          remove the setting again
  --profile DIR  the LibreOffice user installation to change
                 (default: \${XDG_CONFIG_HOME:-\$HOME/.config}/libreoffice/4)
  --pipe NAME    another pipe name (letters, digits, '.', '_' and '-')
EOF
}

profile="${XDG_CONFIG_HOME:-$HOME/.config}/libreoffice/4"
pipe=kestrine
enable=1
while [ $# -gt 0 ]; do
  case "$1" in
    --off) enable=0 ;;
    --profile) profile=${2:?--profile needs a folder}; shift ;;
    --pipe) pipe=${2:?--pipe needs a name}; shift ;;
    -h|--help) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
  esac
  shift
done
if ! [[ $pipe =~ ^[A-Za-z0-9._-]+$ ]]; then
  echo "Invalid pipe name: $pipe" >&2
  exit 2
fi

canonical() { realpath -m -- "$1"; }

# The profile a running soffice.bin of ours uses: -env:UserInstallation=file:///... or the
# default one.
running_profile() {
  local arg url=""
  while IFS= read -r -d '' arg; do
    case "$arg" in
      -env:UserInstallation=*) url=${arg#-env:UserInstallation=} ;;
    esac
  done <"$1/cmdline"
  if [ -z "$url" ]; then
    canonical "${XDG_CONFIG_HOME:-$HOME/.config}/libreoffice/4"
  else
    url=${url#file://}
    canonical "$(printf '%b' "${url//%/\\x}")"
  fi
}

target=$(canonical "$profile")
for proc in /proc/[0-9]*; do
  [ -O "$proc" ] || continue
  comm=""
  read -r comm <"$proc/comm" 2>/dev/null || continue
  [ "$comm" = soffice.bin ] || continue
  if [ "$(running_profile "$proc" 2>/dev/null)" = "$target" ]; then
    echo "LibreOffice is running with this profile (process ${proc#/proc/})." >&2
    echo "Close it and run this again: it would overwrite the change when it exits." >&2
    exit 1
  fi
done

file="$profile/user/registrymodifications.xcu"
line="<item oor:path=\"/org.openoffice.Setup/Office\"><prop oor:name=\"ooSetupConnectionURL\" oor:op=\"fuse\"><value>pipe,name=$pipe;urp;StarOffice.ComponentContext</value></prop></item>"

if [ ! -e "$file" ]; then
  if [ $enable -eq 0 ]; then
    echo "Nothing to remove: $file does not exist."
    exit 0
  fi
  # A profile that was never used: LibreOffice fills in the rest at its first start.
  mkdir -p "$profile/user"
  cat >"$file" <<EOF
<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
$line
</oor:items>
EOF
  echo "LibreOffice will listen on the pipe \"$pipe\" from its next start on ($file)."
  exit 0
fi

# LibreOffice writes one item per line. Anything else is left for a person to edit.
ours='^<item oor:path="/org\.openoffice\.Setup/Office"><prop oor:name="ooSetupConnectionURL"[^>]*>(<value>[^<]*</value>|<value/>)</prop></item>$'
tmp=$(mktemp "$file.XXXXXX")
trap 'rm -f "$tmp"' EXIT
foreign=0
closed=0
while IFS= read -r current || [ -n "$current" ]; do
  if [[ $current =~ $ours ]]; then
    continue
  fi
  [[ $current == *ooSetupConnectionURL* ]] && foreign=1
  if [ "$current" = "</oor:items>" ]; then
    closed=1
    [ $enable -eq 1 ] && printf '%s\n' "$line"
  fi
  printf '%s\n' "$current"
done <"$file" >"$tmp"
if [ $foreign -eq 1 ]; then
  echo "$file sets ooSetupConnectionURL in a form this script does not know; edit it by hand." >&2
  exit 1
fi
if [ $closed -eq 0 ]; then
  echo "$file does not look like a LibreOffice registry file; nothing changed." >&2
  exit 1
fi
cp -p "$file" "$file.bak"
chmod --reference="$file" "$tmp"
mv -f "$tmp" "$file"
trap - EXIT

if [ $enable -eq 1 ]; then
  echo "LibreOffice will listen on the pipe \"$pipe\" from its next start on ($file)."
else
  echo "Removed the connection setting from $file."
fi
