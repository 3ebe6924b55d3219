#!/usr/bin/env bash
# The Debian package of quorvelctl holds the program, its man page, its bash completion and the udev rule, says
# what it depends on, reloads the udev rules when installed, its program runs, and lintian and mandoc find nothing
# wrong with it.
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
check "the bash completion" grep -q ' ./usr/share/bash-completion/completions/quorvelctl$' <<<"$contents"
check "the changelog" grep -q ' ./usr/share/doc/quorvelctl/changelog.gz$' <<<"$contents"
check "its dependencies on the C and C++ libraries" grep -Eq 'Depends:.*libc6.*libstdc\+\+6' <<<"$info"
check "its dependency on libusb" grep -Eq 'Depends:.*libusb-1\.0-0' <<<"$info"
check "a maintainer with an address" grep -Eq 'Maintainer: .+ <[^@ ]+@[^@ ]+\.[a-z]+>' <<<"$info"
check "postinst reloads the udev rules" grep -q 'postinst' <<<"$info"
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
check "the packaged program runs" "$unpacked/usr/bin/quorvelctl" --version
version=$(dpkg-deb -f "$deb" Version)
check "the program's version is the package's" grep -qx "quorvelctl $version" <<<"$("$unpacked/usr/bin/quorvelctl" --version)"
check "the changelog's version is the package's" \
  sh -c "gzip -dc '$unpacked/usr/share/doc/quorvelctl/changelog.gz' | head -n 1 | grep -qF 'quorvelctl ($version)'"
rule="$unpacked/usr/lib/udev/rules.d/70-quorvelctl.rules"
check "the rule covers the USB device nodes of vendor 1a86 printers" \
  grep -Eq 'SUBSYSTEM=="usb".*ATTR\{idVendor\}=="1a86".*ID_USB_INTERFACES\}=="\*:07' "$rule"
check "the rule gives them to the seat's user and to the group lp" \
  sh -c "grep -q 'TAG+=\"uaccess\"' '$rule' && grep -q 'GROUP=\"lp\"' '$rule'"
check "lintian finds no errors" sh -c "! lintian '$deb' 2>/dev/null | grep -q '^E:'"
check "the man page passes mandoc's lint" sh -c "gzip -dc '$unpacked/usr/share/man/man1/quorvelctl.1.gz' | mandoc -Tlint -W style"
check "the bash completion loads" bash -c "source '$unpacked/usr/share/bash-completion/completions/quorvelctl' && complete -p quorvelctl"
check "the man page reads" sh -c "gzip -dc '$unpacked/usr/share/man/man1/quorvelctl.1.gz' | grep -q 'EXIT STATUS'"
echo "deb package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
