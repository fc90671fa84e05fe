#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine, as root.
# Safe to run again: it only installs what is missing.
set -euo pipefail

packages=(
  g++-mingw-w64-i686 binutils-mingw-w64-i686 cmake ninja-build
  wine wine32:i386 wine64
  libboost1.74-dev libgtest-dev googletest libbenchmark-dev
  python3-aiosmtpd postfix spamassassin curl iproute2 util-linux dpkg-dev
  clang-format
  clang-14 libclang-rt-14-dev
)


need_update=0

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  need_update=1
fi

# Boost is cross-built from its Debian source package, so deb-src entries are needed.
if ! grep -rqs '^Types: deb-src' /etc/apt/sources.list.d/; then
  sed 's/^Types: deb$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources \
    >/etc/apt/sources.list.d/debian-src.sources
  need_update=1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ] || [ $need_update = 1 ]; then
  apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  # postfix asks questions at install time; the tests run it with their own
  # configuration only (tests/support/mail/postfix.sh).
  echo "postfix postfix/main_mailer_type select No configuration" | debconf-set-selections
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine's 32-bit loader is a 32-bit Linux program. Some hosts run 64-bit user code
# only (execve of an i386 program answers ENOEXEC); there qemu's user-mode
# emulator runs it through binfmt_misc. qemu 7.2 ignores MAP_FIXED_NOREPLACE,
# which makes every Wine start take about 50 s, so the backported qemu is used.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  if ! /usr/bin/qemu-i386-static --version 2>/dev/null | grep -qE 'version ([89]|[1-9][0-9])\.'; then
    cat >/etc/apt/sources.list.d/bookworm-backports.sources <<'SRC'
Types: deb
URIs: http://deb.debian.org/debian
Suites: bookworm-backports
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -t bookworm-backports qemu-user-static >/dev/null
  fi
  [ -f /proc/sys/fs/binfmt_misc/register ] || mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  [ -e /proc/sys/fs/binfmt_misc/qemu-i386 ] && echo -1 >/proc/sys/fs/binfmt_misc/qemu-i386
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
    >/proc/sys/fs/binfmt_misc/register
  /usr/lib/wine/wine --version >/dev/null || { echo "setup: 32-bit Wine cannot run here" >&2; exit 1; }
fi

