#!/usr/bin/env bash
# Throw-away Wine prefixes for the tests and the demo machine.
#
#   wine-prefix.sh base ARCH          create (once) the base prefix for win64 or win32
#   wine-prefix.sh clone ARCH DIR     copy the base prefix to DIR (replacing DIR)
#   wine-prefix.sh version DIR VALUE  make DIR report a Windows version (winxp, nt40...)
#
# The base prefixes live under $TVR_PREFIXES (default /var/tmp/tvremover/prefixes).
# Creating one takes about 15 s; copying it takes a fraction of that.
set -euo pipefail

export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
root=${TVR_PREFIXES:-/var/tmp/tvremover/prefixes}

base_dir() { echo "$root/base-$1"; }

wine_for() {  # the wine loader that matches an architecture
  if [ "$1" = win32 ]; then echo wine; else echo wine; fi
}

create_base() {
  local arch=$1 dir
  dir=$(base_dir "$arch")
  [ -f "$dir/.ready" ] && return 0
  rm -rf "$dir" "$dir.tmp"
  mkdir -p "$root"
  (
    export WINEPREFIX="$dir.tmp"
    [ "$arch" = win32 ] && export WINEARCH=win32
    wineboot --init >/dev/null 2>&1
    # The null graphics driver lets message boxes and windows work without a display.
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
    wineserver -w
  )
  mv "$dir.tmp" "$dir"
  touch "$dir/.ready"
}

clone() {
  local arch=$1 target=$2
  create_base "$arch"
  rm -rf "$target"
  mkdir -p "$(dirname "$target")"
  cp -a "$(base_dir "$arch")" "$target"
  rm -f "$target/.ready"
}

set_version() {
  local dir=$1 value=$2
  WINEPREFIX="$dir" wine reg add 'HKCU\Software\Wine' /v Version /d "$value" /f >/dev/null 2>&1
  # Let that short-lived server end, so the caller can start a persistent one.
  WINEPREFIX="$dir" wineserver -w
}

case "${1:-}" in
  base) create_base "$2" ;;
  clone) clone "$2" "$3" ;;
  version) set_version "$2" "$3" ;;
  *) echo "usage: $0 base ARCH | clone ARCH DIR | version DIR VALUE" >&2; exit 2 ;;
esac
