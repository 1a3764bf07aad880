#!/usr/bin/env bash
# Makes the Debian package with cpack, checks its name, dependencies and
# contents, verifies its service units with systemd-analyze, runs its
# maintainer scripts on a root of their own (DPKG_ROOT), unpacks it with
# dpkg -x into a temporary directory and runs its tool and its Python package
# from there.  With QUORSMA_TEST_CLEAN_ROOT=1 it also installs the package
# with apt-get in a clean Debian root (clean_root_test.sh).
# Usage: deb_test.sh BUILD_DIR PYTHON VERSION
set -euo pipefail
build=$1
python=$2
version=$3
work=$(mktemp -d)
trap 'rm -rf "$work" /dev/shm/quorsma-"$(id -u)"/quorsma."${QUORSMA_SECTION:-}".*.lock' EXIT
export QUORSMA_SECTION=qsma_deb_$$
unset QUORSMA_CONFIG QUORSMA_LIBRARY  # the unpacked package is found by itself

fail() { echo "FAILED: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 \
  || { cat "$work/cpack.log"; fail "cpack"; }
deb=$work/out/quorsma_${version}_amd64.deb
[ -f "$deb" ] || fail "no $(basename "$deb"): $(ls "$work/out")"

depends=$(dpkg-deb -f "$deb" Depends)
grep -q "libc6" <<<"$depends" && grep -q "libstdc++6" <<<"$depends" || fail "Depends: $depends"
grep -q "libsystemd0" <<<"$depends" || fail "Depends without libsystemd0: $depends"
contents=$(dpkg-deb -c "$deb")
units="quorsma-run@.service quorsma-modbus@.service quorsma-mqtt@.service quorsma-serve@.service quorsma-opcua@.service quorsma-io@.service quorsma.target"
for file in usr/include/quorsma/quorsma.h usr/lib/libQuorSMA.so.1 usr/lib/libQuorSMA.so usr/bin/quorsma \
            usr/lib/cmake/QuorSMA/QuorSMAConfig.cmake usr/lib/pkgconfig/quorsma.pc \
            usr/lib/python3/dist-packages/quorsma/__init__.py etc/quorsma/_Configuration.ini \
            usr/share/quorsma/examples/c_client/c_client.c usr/share/quorsma/examples/traffic_light.il \
            usr/share/quorsma/installation/param/_DIO_DV.ini usr/share/doc/quorsma/copyright \
            usr/share/doc/quorsma/changelog.Debian.gz usr/share/man/man1/quorsma.1.gz \
            usr/share/man/man1/quorsma-modbus.1.gz usr/share/man/man1/quorsma-run.1.gz \
            $(for unit in $units; do echo "usr/lib/systemd/system/$unit"; done); do
  grep -q " \./$file\( \|$\)" <<<"$contents" || fail "$file is not in the package"
done
# No configuration beside the tool: every program reads the one in /etc.
! grep -q "usr/lib/quorsma/_Configuration" <<<"$contents" || fail "a configuration beside the tool"
# The configuration names the data directory that postinst makes.
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./etc/quorsma/_Configuration.ini \
  | grep -q "MEM_PARA_PATH=/var/lib/quorsma/param" || fail "the packaged configuration"

root=$work/root
dpkg -x "$deb" "$root"
dpkg-deb -e "$deb" "$work/control"
# Every file in /etc is a conffile.
[ "$(sort "$work/control/conffiles")" = "$(grep -o ' \./etc/quorsma/[^ ]*[^/]$' <<<"$contents" | sed 's| \.||' | sort)" ] \
  || fail "conffiles: $(cat "$work/control/conffiles")"

# The units, as systemd reads them, with the units of this machine beside
# them and the packaged tool where ExecStart names it: any word of
# systemd-analyze is a fault.
mkdir -p "$work/verify"
cp -a "$root/." "$work/verify/"
cp -an /usr/lib/systemd/system/. "$work/verify/usr/lib/systemd/system/" 2>/dev/null || true
verify_units=$(for unit in $units; do echo "${unit/@./@line1.}"; done)
# shellcheck disable=SC2086
said=$(systemd-analyze verify --man=no --root="$work/verify" $verify_units 2>&1) || fail "systemd-analyze verify: $said"
[ -z "$said" ] || fail "systemd-analyze verify: $said"
for unit in $units; do
  [ "$unit" = quorsma.target ] && continue
  for line in Type=notify User=quorsma Group=quorsma Environment=QUORSMA_SECTION=%i ProtectSystem=strict \
              ProtectHome=yes NoNewPrivileges=yes ReadWritePaths=/var/lib/quorsma RemoveIPC=no \
              "SyslogIdentifier=${unit%@.service}@%i" "EnvironmentFile=-/etc/quorsma/%i." PartOf=quorsma.target; do
    grep -q "^$line" "$root/usr/lib/systemd/system/$unit" || fail "$unit lacks $line"
  done
done
grep -q '^ExecStart=/usr/bin/quorsma run $QUORSMA_OPTIONS /etc/quorsma/%i.run$' \
  "$root/usr/lib/systemd/system/quorsma-run@.service" || fail "quorsma-run@ does not run /etc/quorsma/<instance>.run"

# The maintainer scripts on a root of their own: postinst makes the group and
# the user (useradd --root needs root), the data directory from the
# templates, keeps what is there, and gives the directory to the group.
mkdir -p "$root/etc" "$root/var/lib/quorsma/param" "$root/dev/shm"
printf 'root:x:0:0:root:/root:/bin/sh\n' >"$root/etc/passwd"
printf 'root:x:0:\n' >"$root/etc/group"
printf 'root:*:19000:0:99999:7:::\n' >"$root/etc/shadow"
printf 'root:*::\n' >"$root/etc/gshadow"
echo kept >"$root/var/lib/quorsma/param/_DIO_DV.ini"
install -D -m 755 /dev/null "$root/usr/sbin/nologin"  # the login shell useradd checks for
if [ "$(id -u)" = 0 ]; then
  for run in first again; do
    DPKG_ROOT=$root sh -e "$work/control/postinst" configure || fail "postinst ($run)"
  done
  [ "$(grep -c '^quorsma:' "$root/etc/group")" = 1 ] || fail "postinst made no group quorsma (or two)"
  grep -q '^quorsma:x:[0-9]*:[0-9]*:QuorSMA services:/var/lib/quorsma:/usr/sbin/nologin$' "$root/etc/passwd" \
    || fail "postinst made no system user quorsma: $(cat "$root/etc/passwd")"
  uid=$(awk -F: '$1 == "quorsma" { print $3 }' "$root/etc/passwd")
  [ "$uid" -lt 1000 ] || fail "the user quorsma is no system user ($uid)"
  [ "$(stat -c '%u %a' "$root/var/lib/quorsma/param")" = "$uid 2770" ] || fail "the data directory's owner or mode"
  [ "$(stat -c '%u %a' "$root/var/lib/quorsma/param/_DIO_DV.ini")" = "$uid 660" ] || fail "a data file's owner or mode"
else
  echo "NOT RUN here: postinst's group and user (useradd --root needs root)"
  DPKG_ROOT=$root sh -c 'useradd() { :; }; groupadd() { :; }; . "$0"' "$work/control/postinst" configure 2>/dev/null || true
fi
[ "$(cat "$root/var/lib/quorsma/param/_DIO_DV.ini")" = kept ] || fail "postinst replaced a data file"
[ -f "$root/var/lib/quorsma/plc/Resource/Others/COMMENT.WCD" ] || fail "postinst made no data directory"
# The unpacked tool works on the unpacked data, never on a real /var/lib/quorsma.
sed -i "s|=/var/lib/quorsma|=$root/var/lib/quorsma|" "$root/etc/quorsma/_Configuration.ini"
export QUORSMA_CONFIG=$root/etc/quorsma/_Configuration.ini
[ "$("$root/usr/bin/quorsma" --version)" = "quorsma $version" ] || fail "quorsma --version"
"$root/usr/bin/quorsma" info 2>/dev/null | grep -q "$root/var/lib/quorsma/param" || fail "quorsma info"
"$root/usr/bin/quorsma" set D20 77 >/dev/null 2>&1 || fail "quorsma set"
"$root/usr/bin/quorsma" run "$root/usr/share/quorsma/examples/conveyor.il" --scans 3 --period 0 -q >/dev/null 2>&1 \
  || fail "quorsma run"
PYTHONPATH="$root/usr/lib/python3/dist-packages" "$python" -c '
import sys, quorsma
section = quorsma.attach()
assert section._library.path.startswith(sys.argv[1]), section._library.path
assert section.get("K7") == 7
' "$root" 2>/dev/null || fail "the packaged Python package"

# Purging removes the data, the instance files and the lock files; removing
# keeps them.
touch "$root/etc/quorsma/line1.modbus" "$root/dev/shm/quorsma.line1.run.lock"
DPKG_ROOT=$root sh -e "$work/control/postrm" remove || fail "postrm remove"
[ -d "$root/var/lib/quorsma" ] || fail "postrm remove took the data"
rm -f "$root"/etc/quorsma/_Configuration.ini "$root"/etc/quorsma/example.*  # dpkg's part of a purge
DPKG_ROOT=$root sh -e "$work/control/postrm" purge || fail "postrm purge"
for left in var/lib/quorsma etc/quorsma dev/shm/quorsma.line1.run.lock; do
  [ ! -e "$root/$left" ] || fail "purge left /$left"
done

if [ "${QUORSMA_TEST_CLEAN_ROOT:-}" = 1 ]; then
  bash "$(dirname "$0")/clean_root_test.sh" "$deb" || fail "the package in a clean Debian root"
else
  echo "NOT RUN: installing with apt-get in a clean Debian root (QUORSMA_TEST_CLEAN_ROOT=1 runs it: debootstrap," \
       "about three minutes, reaches the Debian mirror)"
fi
echo "$(basename "$deb") made, verified, its maintainer scripts run, unpacked and run"
