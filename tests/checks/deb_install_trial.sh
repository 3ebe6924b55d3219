#!/usr/bin/env bash
# Installs the packages in a throwaway copy of this machine (an overlay of / in a mount namespace of its own, with
# a private /run and /tmp, and a network of its own so that the service's port is free), starts the service there
# as its unit says, administers it as a member of lpadmin and tries as another user, then removes and purges the
# package; prints what it found as NAME=VALUE lines for deb_package.sh to check. Needs root.
#   deb_install_trial.sh QUORVELCTL_DEB QUORVELPRINT_DEB
set -euo pipefail
ctl_deb=$(realpath "$1") print_deb=$(realpath "$2")
trial=$(mktemp -d)
trap 'rm -rf "$trial"' EXIT
mkdir -p "$trial/upper" "$trial/work" "$trial/root"

cat >"$trial/inside.sh" <<'INSIDE'
set -u
report() { echo "$1=$2"; }
as() {  # as UID GROUPS COMMAND...: a user with no name, in the groups given (comma-separated, may be empty)
  local uid=$1 groups=--clear-groups
  [ -n "$2" ] && groups=--groups=$2
  shift 2
  mkdir -p "/tmp/home$uid" && chown "$uid" "/tmp/home$uid"
  setpriv --reuid="$uid" --regid="$uid" "$groups" env -i HOME="/tmp/home$uid" PATH=/usr/bin:/bin "$@"
}
dpkg -i /trial/ctl.deb /trial/print.deb >/dev/null 2>&1
report installed "$(dpkg-query -W -f='${Status}' quorvelprint 2>/dev/null)"
report user_group "$(id -gn quorvelprint 2>/dev/null)"

# The service as systemd starts it, from its unit: the runtime and state folders made anew for its user and group
# with their modes, the ExecStartPre commands as root ("+"), then its command as its user, with STATE_DIRECTORY.
unit=/usr/lib/systemd/system/quorvelprint.service
setting() { sed -n "s/^$1=//p" "$unit"; }
runtime=/run/$(setting RuntimeDirectory) state=/var/lib/$(setting StateDirectory)
rm -rf "$runtime"
install -d -m "$(setting RuntimeDirectoryMode)" -o "$(setting User)" -g "$(setting Group)" "$runtime"
install -d -m "$(setting StateDirectoryMode)" -o "$(setting User)" -g "$(setting Group)" "$state"
setting ExecStartPre | sed 's/^+//' | while read -r pre; do $pre; done
report service_socket_folder "$(stat -c '%a %U %G' "$runtime" 2>/dev/null)"
# Under strace, to hold what it calls against the unit's sandbox.
setpriv --reuid="$(setting User)" --regid="$(setting Group)" --init-groups env -i STATE_DIRECTORY="$state" \
  strace -f -qq -e signal=none -o /tmp/trace $(setting ExecStart) -o auto-add=false >/tmp/server.log 2>&1 &
server=$!
admin_gid=$(getent group lpadmin | cut -d : -f 3)
for _ in $(seq 50); do
  as 64010 "$admin_gid" quorvelprint status 2>/dev/null | grep -q '^Running' && break
  sleep 0.1
done
as 64010 "$admin_gid" quorvelprint add -d trial -m qrx-roll-80 -v socket://127.0.0.1:9 >/dev/null 2>&1
report admin_status "$(as 64010 "$admin_gid" quorvelprint status 2>/dev/null | head -n 1 | cut -d , -f 1)"
report admin_printers "$(as 64010 "$admin_gid" quorvelprint printers 2>/dev/null | tr '\n' ' ')"
report other_status "$(as 64011 "" quorvelprint status 2>/dev/null | head -n 1)"

# A label printed to a printer on a raw port: a job through every part of the server that a sandbox could stop.
python3 /trial/raw_printer.py /tmp/printer.bin &
raw_printer=$!
python3 /trial/label_png.py /tmp/label.png
as 64010 "$admin_gid" quorvelprint add -d label -m qrx-label-100x150 -v socket://127.0.0.1:9100 >/dev/null 2>&1
as 64011 "" quorvelprint submit -u ipp://localhost:8631/ipp/print/label /tmp/label.png >/dev/null 2>&1
for _ in $(seq 100); do
  job_state=$(as 64011 "" quorvelprint jobs -u ipp://localhost:8631/ipp/print/label 2>/dev/null | awk '{print $2}')
  case "$job_state" in completed|aborted|canceled) break ;; esac
  sleep 0.1
done
report job_state "$job_state"
report printer_bytes "$(python3 -c 'import sys; print("raster" if b"\x1dv0" in open(sys.argv[1], "rb").read() else "none")' /tmp/printer.bin 2>/dev/null)"
kill "$raw_printer"
kill "$(pgrep -P "$server")"  # the server; strace, its parent, ends with it
wait "$server" 2>/dev/null
report saved_printer "$(grep -ac 'name="trial"' "$state/quorvelprint.state")"

# What the server called, against the unit's SystemCallFilter (its allow list less its "~" lists),
# RestrictAddressFamilies and MemoryDenyWriteExecute.
expand() {  # the system calls of a systemd group, nested groups expanded
  systemd-analyze syscall-filter "$1" | sed -E 's/^ +//; /^(#|$)/d' | tail -n +2 |
    while read -r name; do case "$name" in @*) expand "$name" ;; *) echo "$name" ;; esac; done
}
setting SystemCallFilter | grep -v '^~' | tr ' ' '\n' | while read -r group; do expand "$group"; done | sort -u >/tmp/allowed
setting SystemCallFilter | sed -n 's/^~//p' | tr ' ' '\n' | while read -r group; do expand "$group"; done | sort -u >/tmp/denied
sed -E 's/^[0-9]+ +//' /tmp/trace | grep -oE '^[a-z_0-9]+\(' | tr -d '(' | sort -u >/tmp/called
report traced_calls "$(wc -l </tmp/called)"
report calls_outside_filter "$(comm -23 /tmp/called <(comm -23 /tmp/allowed /tmp/denied) | tr '\n' ' ')"
report families_outside "$(grep -oE 'socket\(AF_[A-Z0-9]+' /tmp/trace | cut -d '(' -f 2 | sort -u |
  grep -vxF -f <(setting RestrictAddressFamilies | tr ' ' '\n') | tr '\n' ' ')"
report write_exec_maps "$(grep -cE 'PROT_(WRITE\|PROT_EXEC|EXEC\|PROT_WRITE)' /tmp/trace)"

dpkg -r quorvelprint >/dev/null 2>&1
report link_after_remove "$(test -L /run/quorvelprint.sock && echo present || echo absent)"
report state_after_remove "$(test -d "$state" && echo present || echo absent)"
dpkg -P quorvelprint >/dev/null 2>&1
report state_after_purge "$(test -d "$state" && echo present || echo absent)"
INSIDE

unshare --mount --net --fork sh -c '
  set -e
  trial=$1
  ip link set lo up
  mount -t overlay overlay -o "lowerdir=/,upperdir=$trial/upper,workdir=$trial/work" "$trial/root"
  mount -t proc proc "$trial/root/proc"
  mount --rbind /dev "$trial/root/dev"
  mount -t tmpfs tmpfs "$trial/root/run"
  mount -t tmpfs tmpfs "$trial/root/tmp"
  mkdir "$trial/root/trial"
  cp "$2" "$trial/root/trial/ctl.deb"
  cp "$3" "$trial/root/trial/print.deb"
  cp "$trial/inside.sh" "$4/raw_printer.py" "$4/label_png.py" "$trial/root/trial/"
  chroot "$trial/root" bash /trial/inside.sh
' trial "$trial" "$ctl_deb" "$print_deb" "$(dirname "$(realpath "$0")")"
