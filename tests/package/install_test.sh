#!/usr/bin/env bash
# Installs the build into a temporary prefix, builds the example C client
# against it with find_package and with pkg-config and runs both, runs the
# installed tool, and imports the installed Python package.
# Usage: install_test.sh BUILD_DIR PYTHON
set -euo pipefail
build=$1
python=$2
work=$(mktemp -d)
trap 'rm -rf "$work" /dev/shm/quorsma-"$(id -u)"/quorsma."${QUORSMA_SECTION:-}".*.lock' EXIT
prefix=$work/prefix
export QUORSMA_SECTION=qsma_install_$$
unset QUORSMA_CONFIG QUORSMA_LIBRARY  # the installation is found by itself

fail() { echo "FAILED: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; fail "cmake --install"; }
pc=$(find "$prefix" -name quorsma.pc)
[ -n "$pc" ] || fail "no quorsma.pc installed"
libdir=$(dirname "$(dirname "$pc")")

# find_package(QuorSMA CONFIG REQUIRED) and QuorSMA::QuorSMA
client=$prefix/share/quorsma/examples/c_client
cmake -S "$client" -B "$work/cmake" -DCMAKE_PREFIX_PATH="$prefix" >"$work/configure.log" \
  || { cat "$work/configure.log"; fail "configuring the client with find_package"; }
cmake --build "$work/cmake" >"$work/build.log" || { cat "$work/build.log"; fail "building the client"; }
out=$("$work/cmake/c_client" 2>/dev/null) || fail "the client built with find_package"
grep -q "D100 = 1234 (cell 1234)" <<<"$out" || fail "client output: $out"

# pkg-config
flags=$(PKG_CONFIG_PATH="$libdir/pkgconfig" pkg-config --cflags --libs quorsma)
[ "$(PKG_CONFIG_PATH="$libdir/pkgconfig" pkg-config --modversion quorsma)" = "$("$prefix/bin/quorsma" --version | cut -d' ' -f2)" ] \
  || fail "pkg-config and the tool disagree on the version"
# shellcheck disable=SC2086
${CC:-cc} "$client/c_client.c" $flags -o "$work/c_client_pc"
out=$(LD_LIBRARY_PATH="$libdir" "$work/c_client_pc" 2>/dev/null) || fail "the client built with pkg-config"
grep -q "D100 = 1234 (cell 1234)" <<<"$out" || fail "client output: $out"

# The client library: its example through find_package (QuorSMA::Client) and pkg-config quorsma-client; the
# permission of D300.3 lets that bit through and refuses the register and its other bits.
for built in "$work/cmake/checked_write" "$work/checked_write_pc"; do
  if [ "$built" = "$work/checked_write_pc" ]; then
    # shellcheck disable=SC2046
    ${CC:-cc} "$client/checked_write.c" $(PKG_CONFIG_PATH="$libdir/pkgconfig" pkg-config --cflags --libs quorsma-client) \
      -o "$built" || fail "building the client library's example with pkg-config"
  fi
  out=$(LD_LIBRARY_PATH="$libdir" QUORSMA_SECTION="${QUORSMA_SECTION:-qsma_install}_client" "$built" 2>/dev/null) \
    || fail "the client library's example ($built)"
  grep -q "^D300.3  written" <<<"$out" && grep -q "^D300    D300 is not in the ranges" <<<"$out" \
    && grep -q "^D300.4  D300.4 is not in the ranges" <<<"$out" || fail "client library example output: $out"
done

# The tool through the link in bin/ reads the configuration beside it, which
# names the installation's data directories.
info=$("$prefix/bin/quorsma" info 2>"$work/info.err") || fail "quorsma info"
grep -q "is NULL" "$work/info.err" && fail "the installed tool found no configuration: $(cat "$work/info.err")"
grep -q "$prefix/share/quorsma/installation/param" <<<"$info" || fail "quorsma info: $info"
"$prefix/bin/quorsma" run "$prefix/bin/../lib/quorsma/examples/traffic_light.il" --scans 3 --period 0 -q >/dev/null \
  || fail "running an installed example"

# The Python package finds the library installed beside it.
PYTHONPATH="$prefix/lib/python3/dist-packages" "$python" -c '
import os, sys, quorsma
section = quorsma.attach()
assert section._library.path.startswith(sys.argv[1]), section._library.path
section.set("D10", 42)
assert section.D[10] == 42 and quorsma.__version__ == sys.argv[2]
' "$prefix" "$(PKG_CONFIG_PATH="$libdir/pkgconfig" pkg-config --modversion quorsma)" 2>/dev/null \
  || fail "the installed Python package"
echo "installed, built against with find_package and pkg-config, tool and Python package run"
