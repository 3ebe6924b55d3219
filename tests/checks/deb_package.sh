#!/usr/bin/env bash
# The Debian package of quorvelctl holds the program, its man page and the udev rule, says what it depends on,
# reloads the udev rules when installed, and its program runs.
set -euo pipefail
build=${1:?folder of the package build}
deb=$(ls "$build"/quorvelctl_*_*.deb | tail -n 1)
passed=0 failed=0
check() {  # check DESCRIPTION COMMAND...
  if "${@:2}" >/dev/null 2>&1; then
    echo "ok: $1"; passed=$((passed + 1))
  else
    echo "FAILED: $1"; failed=$((failed + 1))
  fi
}
contents=$(dpkg-deb -c "$deb")
info=$(dpkg-deb -I "$deb")
check "the program is /usr/bin/quorvelctl" grep -q ' ./usr/bin/quorvelctl$' <<<"$contents"
check "the man page" grep -q ' ./usr/share/man/man1/quorvelctl.1.gz$' <<<"$contents"
check "the udev rule" grep -q ' ./usr/lib/udev/rules.d/70-quorvelctl.rules$' <<<"$contents"
check "the licences of the libraries built in" grep -q 'copyright.CLI11$' <<<"$contents"
check "its dependencies on the C and C++ libraries" grep -Eq 'Depends:.*libc6.*libstdc\+\+6' <<<"$info"
check "postinst reloads the udev rules" grep -q 'postinst' <<<"$info"
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
check "the packaged program runs" "$unpacked/usr/bin/quorvelctl" --version
check "the rule names vendor 1a86 printers for the logged-in user" \
  grep -Eq 'SUBSYSTEM=="usbmisc".*ATTRS\{idVendor\}=="1a86".*TAG\+="uaccess"' "$unpacked/usr/lib/udev/rules.d/70-quorvelctl.rules"
check "the man page reads" sh -c "gzip -dc '$unpacked/usr/share/man/man1/quorvelctl.1.gz' | grep -q 'EXIT STATUS'"
echo "deb package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
