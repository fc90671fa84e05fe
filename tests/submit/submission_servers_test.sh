#!/usr/bin/env bash
# The submission flow against real mail servers: runs the test program under
# Wine with the servers of with-mail-servers.sh, in the mail folder, then checks
# with Python's e-mail parser what the real server stored.
#
#   submission_servers_test.sh ARCH TEST_EXE [GTEST_ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
arch=$1
exe=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
shift 2
exec "$here/../support/mail/with-mail-servers.sh" --arch "$arch" -- bash -c '
  check=$1; exe=$2; shift 2
  cd "$TVR_MAIL_DIR" && wine "$exe" "$@" || exit $?
  /usr/bin/python3 "$check" "$TVR_MAIL_DIR"' _ "$here/check_submitted_mail.py" "$exe" "$@"
