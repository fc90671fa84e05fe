#!/usr/bin/env bash
# A real Postfix with its own configuration folder, configured as strictly as
# a careful mail host: a greeting with a full domain name, RFC 5321 envelopes,
# no pipelining before DATA, and no Date or Message-ID added for clients on its
# own addresses (that would hide a message that lacks them). It accepts mail
# for tvremover.example and delivers it to DIR/maildir.
#
#   postfix.sh start DIR ADDRESS    # listens on ADDRESS:25
#   postfix.sh stop DIR
set -euo pipefail
action=$1
dir=$(mkdir -p "$2" && cd "$2" && pwd)

if [ "$action" = stop ]; then
  [ -f "$dir/etc/main.cf" ] || exit 0
  master=$(cat "$dir/queue/pid/master.pid" 2>/dev/null | tr -d ' ' || true)
  postfix -c "$dir/etc" stop >/dev/null 2>&1 || true
  # Its processes must be gone before the folder is removed.
  for _ in $(seq 1 50); do
    [ -n "$master" ] && kill -0 "$master" 2>/dev/null || exit 0
    sleep 0.1
  done
  exit 0
fi

address=$3
# Postfix listens only on addresses an interface holds.
ip -4 addr show dev lo | grep -q " $address/" || ip addr add "$address/8" dev lo
mkdir -p "$dir/etc" "$dir/queue" "$dir/data" "$dir/maildir"
# The postfix user reaches its folders through DIR and the folder around it.
chmod 755 "$dir" "$(dirname "$dir")"
chown postfix:postfix "$dir/data" "$dir/maildir"
cat >"$dir/etc/main.cf" <<CF
compatibility_level = 3.6
queue_directory = $dir/queue
data_directory = $dir/data
maillog_file = $dir/maillog
maillog_file_prefixes = $dir
inet_interfaces = $address
inet_protocols = ipv4
myhostname = mail.tvremover.example
mydestination =
mynetworks = 127.0.0.0/8
alias_maps =
alias_database =
smtputf8_enable = no
virtual_mailbox_domains = tvremover.example
virtual_mailbox_base = $dir
virtual_mailbox_maps = static:maildir/
virtual_uid_maps = static:$(id -u postfix)
virtual_gid_maps = static:$(id -g postfix)
smtpd_helo_required = yes
smtpd_helo_restrictions = reject_invalid_helo_hostname, reject_non_fqdn_helo_hostname
strict_rfc821_envelopes = yes
smtpd_data_restrictions = reject_unauth_pipelining
local_header_rewrite_clients =
CF
# Every service runs outside a chroot: the configuration lives in DIR only.
cat >"$dir/etc/master.cf" <<'CF'
smtp      inet  n       -       n       -       -       smtpd
pickup    unix  n       -       n       60      1       pickup
cleanup   unix  n       -       n       -       0       cleanup
qmgr      unix  n       -       n       300     1       qmgr
rewrite   unix  -       -       n       -       -       trivial-rewrite
bounce    unix  -       -       n       -       0       bounce
defer     unix  -       -       n       -       0       bounce
trace     unix  -       -       n       -       0       bounce
verify    unix  -       -       n       -       1       verify
flush     unix  n       -       n       1000?   0       flush
proxymap  unix  -       -       n       -       -       proxymap
smtp      unix  -       -       n       -       -       smtp
relay     unix  -       -       n       -       -       smtp
error     unix  -       -       n       -       -       error
retry     unix  -       -       n       -       -       error
discard   unix  -       -       n       -       -       discard
virtual   unix  -       n       n       -       -       virtual
anvil     unix  -       -       n       -       1       anvil
scache    unix  -       -       n       -       1       scache
postlog   unix-dgram n  -       n       -       1       postlogd
showq     unix  n       -       n       -       -       showq
CF
# Its failures go to the system log only; under a terminal they show.
if ! script -qec "postfix -c '$dir/etc' start" /dev/null >"$dir/start.out" 2>&1; then
  cat "$dir/start.out" >&2
  exit 1
fi
for _ in $(seq 1 50); do
  (exec 3<>"/dev/tcp/$address/25") 2>/dev/null && exit 0
  sleep 0.2
done
echo "postfix.sh: Postfix did not start" >&2
cat "$dir/maillog" >&2 2>/dev/null || true
exit 1
