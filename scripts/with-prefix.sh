#!/usr/bin/env bash
# Runs a command inside a fresh copy of a base Wine prefix, then throws it away.
#
#   with-prefix.sh ARCH [--version VALUE] [--keep DIR] -- COMMAND...
#
# ARCH is win64 or win32; VALUE a Wine version name (win2k, winxp, nt40...).
# WINEPREFIX is exported to COMMAND; a persistent wine server and Wine's own
# services are started first, so that COMMAND's processes start quickly and no
# Wine service inherits COMMAND's output pipes (ctest would wait on them).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
arch=$1; shift
version=""; keep=""
while [ $# -gt 0 ]; do
  case "$1" in
    --version) version=$2; shift 2 ;;
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

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  # An if, not "&&": a kept prefix must not turn the command's status into 1.
  if [ -z "$keep" ]; then rm -rf "$prefix"; fi
}
trap cleanup EXIT
wineserver -p
# Wine reads the reported version when a process starts, so setting it through
# the running server is enough for everything COMMAND starts.
if [ -n "$version" ]; then
  wine reg add 'HKCU\Software\Wine' /v Version /d "$version" /f </dev/null >/dev/null 2>&1
fi
wine cmd /c exit </dev/null >/dev/null 2>&1
set +e
"$@"
status=$?
set -e
exit $status
