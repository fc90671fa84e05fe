#!/usr/bin/env bash
# Everything the build and the tests need, on a fresh Debian 12 machine as root.
# Idempotent: a second run only checks (a few seconds).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
"$here/setup-packages.sh"
"$here/setup-boost-sources.sh"
"$here/wine-prefix.sh" base win64
"$here/wine-prefix.sh" base win32
