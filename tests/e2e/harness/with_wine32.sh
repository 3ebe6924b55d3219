#!/bin/sh
# Runs a command in which Wine starts 32-bit Windows programs, without changing Wine for anyone else.
#
# scripts/install-deps installs Debian's 32-bit Wine loader under the name /usr/lib/wine/wine-i386, so that the
# plain `wine` of every other test and user stays the 64-bit one (with the 32-bit loader in its usual place, every
# `wine` call and every new prefix would start through it). This script gives the command alone a private view of
# /usr/lib/wine (a mount namespace, as root) in which the 32-bit loader has its usual name.
set -eu
[ $# -gt 0 ] || { echo "usage: $0 COMMAND..." >&2; exit 2; }
if [ -x /usr/lib/wine/wine ]; then
  exec "$@"
fi
loader=/usr/lib/wine/wine-i386
[ -x "$loader" ] || { echo "with_wine32: no 32-bit Wine loader ($loader); run scripts/install-deps" >&2; exit 1; }
if ! "$loader" --version >/dev/null 2>&1; then
  echo "with_wine32: this machine cannot run 32-bit Linux programs ($loader); run scripts/install-deps" >&2
  exit 1
fi
# Where 32-bit programs run under qemu's user-mode emulation (a kernel without 32-bit support), Wine's 32-bit
# address space must be what qemu reserves: up to 0x7fff0000, which holds Wine's shared user data page.
export QEMU_RESERVED_VA=0x7fff0000
view=$(mktemp -d)
trap 'rm -rf "$view"' EXIT
cp -a /usr/lib/wine/. "$view/"
cp "$loader" "$view/wine"
unshare --mount --propagation private sh -c 'mount --bind "$0" /usr/lib/wine && exec "$@"' "$view" "$@"
