#!/usr/bin/env bash
# The Debian package of quorvelctl holds the program, its man page, its bash completion and the udev rule, says
# what it depends on, reloads the udev rules when installed, its program runs, and lintian and mandoc find nothing
# wrong with it. Where PAPPL is installed, the package quorvelprint holds the printer application, its man page and
# its systemd service; the service's unit, user and socket folder fit together, and its hardening holds.
set -euo pipefail
build=${1:?folder of the package build}
repo=$(cd "$(dirname "$0")/../.." && pwd)
deb=$(ls "$build"/quorvelctl_*_*.deb | tail -n 1)
passed=0 failed=0
check() {  # check DESCRIPTION COMMAND...
  if "${@:2}" >/dev/null 2>&1; then
    echo "ok: $1"; passed=$((passed + 1))
  else
    echo "FAILED: $1"; failed=$((failed + 1))
  fi
}
lacks() { ! grep -Eq "$1" <<<"$2"; }  # lacks PATTERN TEXT
says_nothing() { local said; said=$("$@" 2>&1) && [ -z "$said" ]; }  # COMMAND...: succeeds and writes nothing
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
check "no dependency on PAPPL, which only quorvelprint needs" lacks 'libpappl' "$info"
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

# quorvelprint, built where PAPPL is installed.
as_user() {  # the program refuses root: its sub-commands run as nobody, with a home of their own
  if [ "$(id -u)" -eq 0 ]; then
    setpriv --reuid=65534 --regid=65534 --clear-groups env -i HOME="$unpacked/home" "$@"
  else
    env -i HOME="$unpacked/home" "$@"
  fi
}
if pkg-config --exists pappl; then
  print_deb=$(ls "$build"/quorvelprint_*_*.deb 2>/dev/null | tail -n 1 || true)
  check "quorvelprint: the package is built" test -n "$print_deb"
fi
if [ -n "${print_deb:-}" ]; then
  contents=$(dpkg-deb -c "$print_deb")
  info=$(dpkg-deb -I "$print_deb")
  chmod 0755 "$unpacked"  # for the program run as nobody
  root="$unpacked/print"
  dpkg-deb -x "$print_deb" "$root"
  mkdir -m 0777 "$unpacked/home"
  program="$root/usr/bin/quorvelprint"
  man="$unpacked/quorvelprint.1"
  gzip -dc "$root/usr/share/man/man1/quorvelprint.1.gz" >"$man" || true
  # The man page as read: no overstrike, one line a paragraph tag.
  man_text=$(mandoc -T ascii -O width=200 "$man" 2>/dev/null | sed 's/.\x08//g' || true)
  unit="$root/usr/lib/systemd/system/quorvelprint.service"
  check "quorvelprint: the program is /usr/bin/quorvelprint" grep -q ' ./usr/bin/quorvelprint$' <<<"$contents"
  check "quorvelprint: the man page" grep -q ' ./usr/share/man/man1/quorvelprint.1.gz$' <<<"$contents"
  check "quorvelprint: the systemd unit" grep -q ' ./usr/lib/systemd/system/quorvelprint.service$' <<<"$contents"
  check "quorvelprint: the system user" grep -q ' ./usr/lib/sysusers.d/quorvelprint.conf$' <<<"$contents"
  check "quorvelprint: the socket folder" grep -q ' ./usr/lib/tmpfiles.d/quorvelprint.conf$' <<<"$contents"
  check "quorvelprint: the copyright" grep -q ' ./usr/share/doc/quorvelprint/copyright$' <<<"$contents"
  check "quorvelprint: the changelog" grep -q ' ./usr/share/doc/quorvelprint/changelog.gz$' <<<"$contents"
  check "quorvelprint: its dependency on PAPPL" grep -Eq 'Depends:.*libpappl1' <<<"$info"
  check "quorvelprint: quorvelctl of its version, whose udev rule opens the printers to the group lp" \
    grep -Eq "Depends:.*quorvelctl \(= $version\)" <<<"$info"
  dpkg-deb -e "$print_deb" "$unpacked/control"
  for script in postinst prerm postrm; do
    check "quorvelprint: its $script is a shell script that parses" sh -n "$unpacked/control/$script"
  done
  check "quorvelprint: the packaged program runs" "$program" --version
  check "quorvelprint: the program's version is the package's" grep -qx "$version" <<<"$("$program" --version)"
  check "quorvelprint: the changelog's version is the package's" \
    sh -c "gzip -dc '$root/usr/share/doc/quorvelprint/changelog.gz' | head -n 1 | grep -qF 'quorvelprint ($version)'"
  check "quorvelprint: lintian finds no errors" sh -c "! lintian '$print_deb' 2>/dev/null | grep -q '^E:'"
  check "quorvelprint: the man page passes mandoc's lint" mandoc -Tlint -W style "$man"
  drivers=$(as_user "$program" drivers | cut -d ' ' -f 1 || true)
  check "quorvelprint: the program lists its drivers" test -n "$drivers"
  for driver in $drivers; do
    check "quorvelprint: the man page names the driver $driver" grep -qF "${driver//-/\\-}" "$man"
  done
  # The server's options, as the program reads them; private-server is PAPPL's own, for its client commands.
  for option in $(grep -o 'name == "[a-z-]*"' "$repo/print_app/server_options.cpp" | cut -d '"' -f 2); do
    [ "$option" = private-server ] && continue
    check "quorvelprint: the man page documents the server option $option" \
      grep -Eq "^ +([^ ]+=[^ ]+, )?$option=" <<<"$man_text"
  done
  # systemd checks the unit against the packaged program and man page, not against installed ones.
  mkdir "$unpacked/unit"
  sed "s#/usr/bin/quorvelprint#$program#g" "$unit" >"$unpacked/unit/quorvelprint.service"
  check "quorvelprint: systemd-analyze verify finds nothing wrong with the unit" \
    says_nothing env MANPATH="$root/usr/share/man" systemd-analyze verify "$unpacked/unit/quorvelprint.service"
  check "quorvelprint: the unit's hardening keeps its exposure at 1.5 or less" \
    systemd-analyze security --offline=yes --threshold=15 "$unpacked/unit/quorvelprint.service"
  # The user and the socket folder, made in a copy of this machine's user database that lacks them.
  system="$unpacked/system"
  mkdir -p "$system/etc" "$system/run" "$system/usr/lib"
  cp -r "$root/usr/lib/sysusers.d" "$root/usr/lib/tmpfiles.d" "$system/usr/lib/"
  grep -v '^quorvelprint:' /etc/passwd >"$system/etc/passwd"
  grep -Ev '^(lpadmin|quorvelprint):' /etc/group >"$system/etc/group"
  systemd-sysusers --root="$system" quorvelprint.conf >/dev/null 2>&1 || true
  systemd-tmpfiles --root="$system" --create quorvelprint.conf >/dev/null 2>&1 || true
  id_of() { grep "^$2:" "$system/etc/$1" | cut -d : -f 3; }  # id_of passwd|group NAME
  check "quorvelprint: sysusers makes the user quorvelprint in the group lp" \
    test "$(grep '^quorvelprint:' "$system/etc/passwd" | cut -d : -f 4)" = "$(id_of group lp)"
  check "quorvelprint: sysusers makes the admin group lpadmin where it is missing" test -n "$(id_of group lpadmin)"
  check "quorvelprint: the socket folder is quorvelprint's, 0750, for the group lpadmin" \
    test "$(stat -c '%a %u %g' "$system/run/quorvelprint")" = "750 $(id_of passwd quorvelprint) $(id_of group lpadmin)"
  socket=$(grep -o 'socket-file=[^ ]*' "$unit" | cut -d = -f 2)
  check "quorvelprint: /run/quorvelprint.sock leads to the service's socket-file" \
    test "$(readlink "$system/run/quorvelprint.sock")" = "$socket"
  check "quorvelprint: the service's socket-file is in its runtime folder" \
    test "$(dirname "$socket")" = "/run/$(sed -n 's/^RuntimeDirectory=//p' "$unit")"
  # Installed for real, in a throwaway copy of this machine: the maintainer scripts, and the service started as its
  # unit says (its folders, its ExecStartPre, its user) and held to its sandbox. That needs root and namespaces.
  if [ "$(id -u)" -eq 0 ] && unshare --mount --net true 2>/dev/null && command -v strace >/dev/null; then
    trial=$("$repo/tests/checks/deb_install_trial.sh" "$deb" "$print_deb" 2>/dev/null || true)
    found() { grep -qxF "$1=$2" <<<"$trial"; }  # found NAME VALUE
    check "installed: quorvelprint installs beside quorvelctl" found installed "install ok installed"
    check "installed: postinst makes the user quorvelprint, in the group lp" found user_group lp
    check "installed: as the service starts, the socket folder is quorvelprint's, 0750, for the group lpadmin" \
      found service_socket_folder "750 quorvelprint lpadmin"
    check "installed: the unit's command serves as the service's user" found admin_status Running
    check "installed: a member of lpadmin adds a printer through /run/quorvelprint.sock" found admin_printers "trial "
    check "installed: the service keeps the printer in its state folder" found saved_printer 1
    check "installed: a user outside lpadmin does not reach the service" found other_status "Server is not running."
    check "installed: a label printed through the service reaches the printer" found job_state completed
    check "installed: the printer got raster blocks" found printer_bytes raster
    check "installed: the server was traced through the job" grep -Eq '^traced_calls=[1-9][0-9]+$' <<<"$trial"
    check "installed: it called nothing the unit's SystemCallFilter refuses" found calls_outside_filter ""
    check "installed: it opened no socket family the unit's RestrictAddressFamilies refuses" found families_outside ""
    check "installed: it mapped no memory both writable and executable (MemoryDenyWriteExecute)" \
      found write_exec_maps 0
    check "removed: the link to the socket goes" found link_after_remove absent
    check "removed: the printers stay" found state_after_remove present
    check "purged: the printers go" found state_after_purge absent
  else
    echo "not run here (needs root, a mount namespace and strace): quorvelprint installed in a throwaway copy of the machine"
  fi
fi
echo "deb package: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
