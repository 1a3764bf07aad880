#!/usr/bin/env bash
# The package as a user installs it: in a clean Debian root made by
# debootstrap (minbase), `apt-get install ./quorsma_*.deb` with its
# dependencies; the services' command lines started by hand as user quorsma
# with the units' environment (no systemd boots in this root); an operator (alice) in
# group quorsma reads and writes devices while a user outside it is told which
# group to join; a C client built with pkg-config reads the configuration in
# /etc without a message; `apt-get purge` leaves nothing behind.
# Needs root, debootstrap and the Debian mirror of this machine's apt sources.
# Usage: clean_root_test.sh DEB   (QUORSMA_CLEAN_ROOT_BASE=DIR copies a
# debootstrap root made before instead of making one)
set -euo pipefail
deb=$(realpath "$1")
work=$(mktemp -d)
root=$work/root
server=""
cleanup() {
  [ -z "$server" ] || kill "$server" 2>/dev/null || true
  for m in dev/shm dev proc; do umount -l "$root/$m" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }
in_root() { chroot "$root" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 "$@"; }

[ "$(id -u)" = 0 ] || { echo "NOT RUN: the clean-root test needs root"; exit 0; }
command -v debootstrap >/dev/null || { echo "NOT RUN: debootstrap is not installed"; exit 0; }
echo "NOT RUN here: booting the root with systemd-nspawn (no systemd can boot in this sandbox);" \
     "the units' command lines are started by hand with their user and environment instead"

if [ -n "${QUORSMA_CLEAN_ROOT_BASE:-}" ]; then
  cp -a "$QUORSMA_CLEAN_ROOT_BASE" "$root"
else
  mirror=$(awk '/^URIs:/ { print $2; exit } /^deb / { print $2; exit }' /etc/apt/sources.list.d/*.sources \
           /etc/apt/sources.list 2>/dev/null | head -1)
  debootstrap --variant=minbase bookworm "$root" "$mirror" >"$work/debootstrap.log" 2>&1 \
    || { tail -20 "$work/debootstrap.log"; fail "debootstrap"; }
fi
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"  # the root's own shared memory
cp "$deb" "$root/tmp/"
in_root apt-get update -q >"$work/apt.log" 2>&1 || { tail "$work/apt.log"; fail "apt-get update"; }
DEBIAN_FRONTEND=noninteractive in_root apt-get install -y -q "/tmp/$(basename "$deb")" >>"$work/apt.log" 2>&1 \
  || { tail -30 "$work/apt.log"; fail "apt-get install ./$(basename "$deb")"; }
echo "apt-get install ./$(basename "$deb"): installed with its dependencies"

in_root getent group quorsma >/dev/null || fail "no group quorsma"
[ "$(in_root id -gn quorsma)" = quorsma ] || fail "no user quorsma in group quorsma"
[ -f "$root/etc/quorsma/_Configuration.ini" ] || fail "no /etc/quorsma/_Configuration.ini"
in_root useradd -m -G quorsma alice
in_root useradd -m outsider

# quorsma-modbus@line1 by hand: its user, its environment, its command line.
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
exec_start=$(sed -n 's/^ExecStart=//p' "$root/usr/lib/systemd/system/quorsma-modbus@.service")
[ "$exec_start" = '/usr/bin/quorsma modbus $QUORSMA_OPTIONS' ] || fail "ExecStart: $exec_start"
chroot "$root" env -i PATH=/usr/bin:/bin QUORSMA_SECTION=line1 \
  setpriv --reuid=quorsma --regid=quorsma --init-groups sh -c "umask 0007; exec /usr/bin/quorsma modbus --listen 127.0.0.1:$port" \
  >"$work/modbus.log" 2>&1 &
server=$!
for _ in $(seq 50); do grep -q "listening" "$work/modbus.log" 2>/dev/null && break; sleep 0.1; done
section=$(in_root stat -c %U:%G:%a /dev/shm/line1 2>&1) || true
[ "$section" = quorsma:quorsma:660 ] || fail "the service's section: $section; $(cat "$work/modbus.log")"

as() { local user=$1; shift; chroot "$root" env -i PATH=/usr/bin:/bin QUORSMA_SECTION=line1 setpriv \
  --reuid="$user" --regid="$user" --init-groups "$@"; }
as alice quorsma set D100 555 >/dev/null 2>&1 || fail "alice's set"
[ "$(as alice quorsma get D100 2>/dev/null | awk '$1 == "D100" { print $2 }')" = 555 ] || fail "alice's get"
answer=$(python3 - "$port" <<'PY'
import socket, struct, sys
s = socket.create_connection(("127.0.0.1", int(sys.argv[1])), timeout=5)
s.sendall(struct.pack(">HHHBBHH", 1, 0, 6, 1, 3, 100, 1))
print(struct.unpack(">H", s.recv(64)[9:11])[0])
PY
) || fail "no Modbus answer"
[ "$answer" = 555 ] || fail "Modbus reads D100 as $answer"
echo "quorsma-modbus@line1's command line serves Modbus as user quorsma; alice's D100 = 555 reads back over Modbus"
# One lock directory for the group: a force alice sets, the service's user
# sees, and the directory and table are the group's.
as alice quorsma force D200 7 >/dev/null 2>&1 || fail "alice's force"
forces=$(as quorsma quorsma force --list 2>&1) || fail "quorsma's force --list: $forces"
grep -q "D200" <<<"$forces" || fail "the service's user does not see alice's force: $forces"
gid=$(in_root getent group quorsma | cut -d: -f3)
shared=$(in_root stat -c %G:%a "/dev/shm/quorsma-group-$gid" 2>&1) || true
[ "$shared" = quorsma:2770 ] || fail "the group's lock directory: $shared"
table=$(in_root stat -c %G:%a "/dev/shm/quorsma-group-$gid/quorsma.line1.forces" 2>&1) || true
[ "$table" = quorsma:660 ] || fail "the force table: $table"
as quorsma quorsma force --clear >/dev/null 2>&1 || fail "quorsma's force --clear of alice's force"
echo "alice and the service's user share one lock directory of the group (forces set by one, seen and cleared by the other)"
refused=$(as outsider quorsma get D100 2>&1) && fail "a user outside the group read the section"
grep -q "join that group (adduser outsider quorsma)" <<<"$refused" || fail "the refusal does not say which group: $refused"

# A C client built with pkg-config finds /etc/quorsma/_Configuration.ini.
client=$root/usr/local/bin/c_client
# shellcheck disable=SC2046
${CC:-cc} "$root/usr/share/quorsma/examples/c_client/c_client.c" \
  $(PKG_CONFIG_PATH="$root/usr/lib/pkgconfig" pkg-config --cflags --libs quorsma) -o "$client" || fail "the C client"
out=$(chroot "$root" env -i PATH=/usr/bin:/bin QUORSMA_SECTION=client /usr/local/bin/c_client 2>&1) \
  || fail "the C client: $out"
! grep -q "is NULL" <<<"$out" || fail "the C client found no configuration: $out"
rm -f "$client"
echo "a C client built with pkg-config quorsma prints no configuration message"

kill "$server"; wait "$server" 2>/dev/null || true; server=""
DEBIAN_FRONTEND=noninteractive in_root apt-get purge -y -q quorsma >>"$work/apt.log" 2>&1 || fail "apt-get purge"
for left in /etc/quorsma /var/lib/quorsma /usr/lib/quorsma /usr/bin/quorsma /usr/share/doc/quorsma; do
  [ ! -e "$root$left" ] || fail "purge left $left"
done
leftover=$(find "$root/dev/shm" "$root/tmp" "$root/var" "$root/usr" \( -user quorsma -o -group quorsma \) 2>/dev/null || true)
[ -z "$leftover" ] || fail "purge left files of quorsma: $leftover"
echo "apt-get purge left nothing behind (the user and group quorsma stay, as Debian keeps system accounts)"
