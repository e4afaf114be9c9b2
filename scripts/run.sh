#!/usr/bin/env bash
# Installs what is missing, builds Kestrine and starts it beside a LibreOffice Calc of its own
# (a private profile under build/, listening on Kestrine's pipe) with the sample workbooks.
# That Calc is stopped when Kestrine exits.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/lib/desktop.sh
. scripts/lib/desktop.sh

scripts/install-deps.sh
cmake --preset default
cmake --build --preset default -j"$(nproc)"
if [ ! -x build/src/app/kestrine ]; then
  echo "Qt 6 was not found: only the core was built."
  exit 1
fi

desktop_init
# The profile stays under build/ so that later starts are quick.
desktop_start_calc "$PWD/build/demo-office" Budget.xlsx 予定表.xlsx Inventory.ods
build/src/app/kestrine
