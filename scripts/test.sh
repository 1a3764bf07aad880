#!/usr/bin/env bash
# Runs every test of the project on a fresh Debian machine: installs what is
# missing, builds for Linux and runs the unit, process and export tests, runs
# each fuzz target for a bounded time, then builds for 32-bit Windows and runs
# the tests under wine.  Ends with the line "N passed, N failed".
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
passed=0
failed=0
step() {  # step NAME COMMAND...: runs one step and counts it
  local name=$1; shift
  echo "==> $name"
  if "$@"; then passed=$((passed + 1)); echo "<== $name: ok"; else failed=$((failed + 1)); echo "<== $name: FAILED"; fi
}

bash scripts/setup-linux.sh || { echo "setup failed"; echo "0 passed, 1 failed"; exit 1; }

build_linux() {
  cmake --preset linux >/dev/null && cmake --build --preset linux -j2
}
run_ctest() {
  # Each test gets its own section name; nothing collides with a live system.
  ctest --preset linux -j2 --timeout 300
}
step "linux build" build_linux
step "linux tests" run_ctest

fuzz_seconds=${QUORSMA_FUZZ_SECONDS:-60}
build_fuzz() {
  cmake --preset fuzz >/dev/null && cmake --build --preset fuzz -j2
}
step "fuzz build" build_fuzz
for target in build/fuzz/fuzz/*_fuzz; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="build/fuzz/corpus/$name"
  mkdir -p "$corpus"
  dirs=("$corpus")
  [ -d "fuzz/seeds/$name" ] && dirs+=("fuzz/seeds/$name")
  step "fuzz $name (${fuzz_seconds}s)" "$target" -max_total_time="$fuzz_seconds" -print_final_stats=1 "${dirs[@]}"
done

if [ -f scripts/test-windows.sh ]; then
  step "windows: both DLLs, tests under wine" bash scripts/test-windows.sh
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
