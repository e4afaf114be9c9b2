#!/usr/bin/env bash
# Installs what is missing, builds Kestrine and starts it beside a LibreOffice Calc of its own
# (a private profile under build/, listening on Kestrine's pipe) with the sample workbooks.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset default
cmake --build --preset default -j"$(nproc)"
if [ ! -x build/src/app/kestrine ]; then
  echo "Qt 6 was not found: only the core was built."
  exit 1
fi

demo="$PWD/build/demo-office"
rm -rf "$demo/docs" && mkdir -p "$demo/docs" && cp samples/*.xlsx samples/*.ods "$demo/docs/"
soffice -env:UserInstallation="file://$demo/profile" --calc --norestore --nologo \
  --accept="pipe,name=kestrine;urp;StarOffice.ComponentContext" \
  "$demo/docs/Budget.xlsx" "$demo/docs/予定表.xlsx" "$demo/docs/Inventory.ods" >/dev/null 2>&1 &
# A fresh profile's first start takes a while; the first reload wants the books open.
timeout 90 xdotool search --sync --name '^Inventory\.ods - LibreOffice Calc$' >/dev/null || true
exec build/src/app/kestrine
