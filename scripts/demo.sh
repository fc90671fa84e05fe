#!/usr/bin/env bash
# Sets up what is missing, builds, then runs TVRemover.exe on a demo Windows
# machine: a fresh 64-bit Wine prefix kept under /var/tmp/tvremover/demo, with the
# tool's console shown as it runs. At the end it says where the logs are.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/setup.sh
scripts/build.sh

demo=/var/tmp/tvremover/demo
prefix=$demo/prefix
folder=$demo/folder  # the tool's current folder: one of its logs lands here
exe=$top/build/release/driver/TVRemover.exe
answer_box=$top/build/tests/tests/programs/answer_box/answer_box.exe
rm -rf "$demo"
mkdir -p "$folder"

echo "demo: a fresh 64-bit Windows machine in $prefix"
scripts/with-prefix.sh win64 --keep "$prefix" -- bash -c '
  folder=$1 exe=$2 answer_box=$3
  # Nobody can see the final question on a machine without a screen: answer No,
  # so the log stays here instead of being e-mailed.
  wine "$answer_box" "Orvanta support" 7 3600000 </dev/null >/dev/null 2>&1 &
  answerer=$!
  cd "$folder"
  set +e
  wine "$exe" </dev/null
  code=$?
  kill "$answerer" 2>/dev/null
  wait "$answerer" 2>/dev/null
  temp=$(wine cmd /c echo %TEMP% </dev/null 2>/dev/null | tr -d "\r")
  echo
  echo "demo: TVRemover.exe ended with exit code $code"
  echo "demo: log beside the tool:     $folder/TVRemover.log.txt"
  echo "demo: log in the temp folder:  $(winepath -u "$temp" 2>/dev/null)/TVRemover.log.txt"
  echo "demo: the machine stays in $WINEPREFIX (WINEPREFIX=$WINEPREFIX wine ... to look around)"
' demo "$folder" "$exe" "$answer_box"
