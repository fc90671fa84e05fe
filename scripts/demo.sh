#!/usr/bin/env bash
# The demo machine: sets up what is missing, builds what the demo needs, then
# cleans a 64-bit Windows machine that holds a full Tarvello installation with
# the whole Pellane suite, showing TVRemover.exe's console as it runs. The final
# question is answered "Yes" and the log goes to a local mail server in a
# private network namespace. At the end: a summary of the machine before and
# after, and where the logs and the received message are. The machine (prefix,
# snapshots, logs, maildir) stays under /var/tmp/tvremover/demo.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
scripts/setup.sh
TVR_TREES="release tests" TVR_TARGETS_release="TVRemover.exe" \
  TVR_TARGETS_tests="answer_box answer_prompt suite_service suite_tray suite_tools suite_config_writer" \
  scripts/build.sh

demo=/var/tmp/tvremover/demo
exe=$top/build/release/driver/TVRemover.exe
programs=$top/build/tests/tests/programs
[ -d "$demo/prefix" ] && WINEPREFIX=$demo/prefix wineserver -k 2>/dev/null || true
rm -rf "$demo"
mkdir -p "$demo/folder"

echo "demo: a fresh 64-bit Windows machine in $demo/prefix, mail server on a private network"
set +e
tests/support/mail/with-mail-servers.sh --arch win64 --keep "$demo/prefix" -- \
  bash "$top/scripts/demo-machine.sh" "$demo" "$exe" "$programs"
status=$?
set -e
if [ $status = 77 ]; then
  echo "demo: no private network namespace could be made: run it as root (sudo scripts/demo.sh)" >&2
fi
exit $status
