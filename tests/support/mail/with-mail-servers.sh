#!/usr/bin/env bash
# Runs a command under Wine with real mail servers on a private loopback network.
#
#   with-mail-servers.sh [--arch win64|win32] [--host NAME]... [--keep DIR] [--postfix] -- COMMAND...
#
# Inside a private network and mount namespace (needs root):
#   - lo is up; a private /etc/hosts maps every NAME (default
#     mail.tvremover.example) to 127.0.0.1, and host names are looked up in that
#     file only, so an unknown name fails at once with "host not found";
#   - aiosmtpd listens on 127.0.0.1:25 and stores what it accepts in the Maildir
#     $TVR_MAIL_DIR/maildir;
#   - scripted_smtp_server.py listens on one port per scenario (listed in
#     $TVR_MAIL_DIR/ports.txt) and writes $TVR_MAIL_DIR/<scenario>.log;
#   - with --postfix, a strict Postfix (postfix.sh) listens on 127.0.0.2:25
#     instead, the NAMEs map to 127.0.0.2, and what it delivers lands in the
#     Maildir $TVR_MAIL_DIR/postfix/maildir;
#   - the TCP buffers are small, so that a server which stops reading stalls
#     the client after some 100 KB rather than megabytes;
#   - COMMAND runs in scripts/with-prefix.sh ARCH, a fresh prefix whose wine
#     server starts inside the namespace, so Wine's sockets live there too.
# ARCH defaults to the kind of the prefix in WINEPREFIX, else win64.
# --keep DIR makes the prefix in DIR and keeps it afterwards (with-prefix.sh --keep).
# Exit status: COMMAND's; 77 when no namespace can be made (not root).
# Set TVR_KEEP_MAIL_DIR=1 to keep the folder with transcripts and mail.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../../.." && pwd)

arch=""
keep=()
hosts=()
postfix=""
args=("$@")
while [ $# -gt 0 ]; do
  case "$1" in
    --arch) arch=$2; shift 2 ;;
    --host) hosts+=("$2"); shift 2 ;;
    --keep) keep=(--keep "$2"); shift 2 ;;
    --postfix) postfix=1; shift ;;
    --) shift; break ;;
    *) echo "with-mail-servers.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
[ $# -gt 0 ] || { echo "with-mail-servers.sh: no command" >&2; exit 2; }
[ ${#hosts[@]} -gt 0 ] || hosts=(mail.tvremover.example)
if [ -z "$arch" ]; then
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX/drive_c/windows" ] &&
     [ ! -d "$WINEPREFIX/drive_c/windows/syswow64" ]; then
    arch=win32
  else
    arch=win64
  fi
fi

if [ -z "${TVR_MAIL_NAMESPACE:-}" ]; then
  if ! unshare --net --mount true 2>/dev/null; then
    echo "with-mail-servers.sh: cannot make a network namespace (root needed); skipped" >&2
    exit 77
  fi
  exec env TVR_MAIL_NAMESPACE=1 unshare --net --mount -- "$0" "${args[@]}"
fi

# From here on: inside the namespace.
ip link set lo up
work=$(mktemp -d /tmp/tvr-mail.XXXXXX)
pids=()
cleanup() {
  [ -z "$postfix" ] || "$here/postfix.sh" stop "$work/postfix" || true
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  if [ -z "${TVR_KEEP_MAIL_DIR:-}" ]; then rm -rf "$work"; else echo "mail folder kept: $work" >&2; fi
}
trap cleanup EXIT

for buffers in /proc/sys/net/ipv4/tcp_wmem /proc/sys/net/ipv4/tcp_rmem; do
  echo "4096 16384 65536" >"$buffers"
done
support_ip=127.0.0.1
[ -z "$postfix" ] || support_ip=127.0.0.2
{ echo "127.0.0.1 localhost"; for h in "${hosts[@]}"; do echo "$support_ip $h"; done; } >"$work/hosts"
mount --bind "$work/hosts" /etc/hosts
sed 's/^hosts:.*/hosts: files/' /etc/nsswitch.conf >"$work/nsswitch.conf"
mount --bind "$work/nsswitch.conf" /etc/nsswitch.conf

# aiosmtpd makes the Maildir (it must not exist yet).
/usr/bin/python3 "$here/mailbox_server.py" "$work/maildir" 127.0.0.1 25 \
  >"$work/aiosmtpd.out" 2>&1 &
pids+=($!)
/usr/bin/python3 "$here/scripted_smtp_server.py" "$work" >"$work/scripted.out" 2>&1 &
pids+=($!)

listening() { (exec 3<>/dev/tcp/127.0.0.1/25) 2>/dev/null; }
for _ in $(seq 1 100); do
  [ -f "$work/ports.txt" ] && listening && break
  sleep 0.2
done
if [ ! -f "$work/ports.txt" ] || ! listening; then
  echo "with-mail-servers.sh: the mail servers did not start" >&2
  cat "$work/aiosmtpd.out" "$work/scripted.out" >&2
  exit 1
fi

if [ -n "$postfix" ]; then
  "$here/postfix.sh" start "$work/postfix" 127.0.0.2 || exit 1
fi

export TVR_MAIL_DIR=$work
set +e
"$top/scripts/with-prefix.sh" "$arch" "${keep[@]}" -- "$@"
status=$?
set -e
exit $status
