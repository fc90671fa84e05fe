#!/usr/bin/env bash
# Runs a command inside a fresh copy of a base Wine prefix, then throws it away.
#
#   with-prefix.sh ARCH [--version VALUE] [--no-display] [--keep DIR] -- COMMAND...
#
# ARCH is win64 or win32; VALUE a Wine version name (win2k, winxp, nt40...).
# --no-display drops the null graphics driver, so message boxes fail at once
# instead of waiting for an answer (and exports TVR_NO_DISPLAY=1, which tells
# tests/e2e/machine that its restart without a display is already done).
# WINEPREFIX is exported to COMMAND; a persistent wine server and Wine's own
# services are started first, so that COMMAND's processes start quickly and no
# Wine service inherits COMMAND's output pipes (ctest would wait on them).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
arch=$1; shift
version=""; keep=""; display=yes
while [ $# -gt 0 ]; do
  case "$1" in
    --version) version=$2; shift 2 ;;
    --no-display) display=no; shift ;;
    --keep) keep=$2; shift 2 ;;
    --) shift; break ;;
    *) echo "with-prefix.sh: unknown option $1" >&2; exit 2 ;;
  esac
done

export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ -n "$keep" ]; then
  prefix=$keep
else
  mkdir -p /var/tmp/tvremover/run
  prefix=$(mktemp -d /var/tmp/tvremover/run/prefix.XXXXXX)
fi
"$here/wine-prefix.sh" clone "$arch" "$prefix"
export WINEPREFIX=$prefix
# Settings go straight into the copy's user hive before its server starts:
# each change through the server would cost a Wine start, and the graphics
# driver a restart of the whole machine once the desktop runs.
unset TVR_WINE_VERSION TVR_NO_DISPLAY
if [ -n "$version" ]; then
  printf '\n[Software\\\\Wine] 0\n"Version"="%s"\n' "$version" >>"$prefix/user.reg"
  export TVR_WINE_VERSION=$version
fi
if [ $display = no ]; then
  sed -i '/^\[Software\\\\Wine\\\\Drivers\]/,/^$/{/^"Graphics"=/d}' "$prefix/user.reg"
  export TVR_NO_DISPLAY=1
fi

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  # An if, not "&&": a kept prefix must not turn the command's status into 1.
  if [ -z "$keep" ]; then rm -rf "$prefix"; fi
}
trap cleanup EXIT
wineserver -p
wine cmd /c exit </dev/null >/dev/null 2>&1
set +e
"$@"
status=$?
set -e
exit $status
