#!/usr/bin/env bash
# The SMTP client against real servers: runs the test program under Wine with
# the servers of with-mail-servers.sh, then checks with Python's e-mail parser
# what the real server stored.
#
#   smtp_client_servers_test.sh ARCH TEST_EXE
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
arch=$1
exe=$2
exec "$here/with-mail-servers.sh" --arch "$arch" -- bash -c '
  wine "$1" || exit $?
  /usr/bin/python3 "$2" "$TVR_MAIL_DIR/maildir"' _ "$exe" "$here/check_delivered_mail.py"
