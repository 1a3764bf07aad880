#!/usr/bin/env bash
# Installs what the Linux build, tests, benchmarks, fuzzers and the packaging
# and Python tests need, from Debian's packages, when missing.
set -euo pipefail
packages=(cmake ninja-build g++ make libgtest-dev libgmock-dev googletest libbenchmark-dev libcli11-dev
          clang libclang-rt-14-dev binutils pkg-config libmodbus-dev mbpoll socat
          libcpp-httplib-dev libmicrohttpd-dev nlohmann-json3-dev chromium fonts-nanum python3
          python3-numpy python3-pandas python3-pytest dpkg-dev file libmosquitto-dev mosquitto mosquitto-clients
          protobuf-c-compiler libprotobuf-c-dev protobuf-compiler python3-protobuf
          libsystemd-dev help2man systemd debootstrap valgrind libmbedtls-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# node and npm run the OPC UA client tests; a node installed otherwise (with
# its own npm) is kept.
command -v node >/dev/null 2>&1 || missing+=(nodejs)
command -v npm >/dev/null 2>&1 || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
fi
