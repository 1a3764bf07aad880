#!/usr/bin/env bash
# Makes the Debian package with cpack, checks its name, dependencies and
# contents, unpacks it with dpkg -x into a temporary directory and runs its
# tool and its Python package from there.
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
contents=$(dpkg-deb -c "$deb")
for file in usr/include/quorsma/quorsma.h usr/lib/libQuorSMA.so.1 usr/lib/libQuorSMA.so usr/bin/quorsma \
            usr/lib/cmake/QuorSMA/QuorSMAConfig.cmake usr/lib/pkgconfig/quorsma.pc \
            usr/lib/python3/dist-packages/quorsma/__init__.py usr/lib/quorsma/_Configuration/_Configuration.ini \
            usr/share/quorsma/examples/c_client/c_client.c usr/share/quorsma/examples/traffic_light.il \
            usr/share/quorsma/installation/param/_DIO_DV.ini; do
  grep -q " \./$file\( \|$\)" <<<"$contents" || fail "$file is not in the package"
done
# The configuration names the data directory that postinst makes.
dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/lib/quorsma/_Configuration/_Configuration.ini \
  | grep -q "MEM_PARA_PATH=/var/lib/quorsma/param" || fail "the packaged configuration"

root=$work/root
dpkg -x "$deb" "$root"
dpkg-deb -e "$deb" "$work/control"
# postinst makes the data directory from the templates and keeps what is there.
mkdir -p "$root/var/lib/quorsma/param"
echo kept >"$root/var/lib/quorsma/param/_DIO_DV.ini"
DPKG_ROOT=$root sh "$work/control/postinst" configure || fail "postinst"
[ "$(cat "$root/var/lib/quorsma/param/_DIO_DV.ini")" = kept ] || fail "postinst replaced a data file"
[ -f "$root/var/lib/quorsma/plc/Resource/Others/COMMENT.WCD" ] || fail "postinst made no data directory"
# The unpacked tool works on the unpacked data, never on a real /var/lib/quorsma.
sed -i "s|=/var/lib/quorsma|=$root/var/lib/quorsma|" "$root/usr/lib/quorsma/_Configuration/_Configuration.ini"
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
echo "$(basename "$deb") made, unpacked and run"
