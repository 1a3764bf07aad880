#!/usr/bin/env bash
# Builds QuorSMA for 32-bit Windows with Debian's mingw-w64 toolchain and runs
# its tests under wine, headless: installs what is missing (on a fresh Debian
# machine too), checks the DLL's export table, imports and shared data
# section, runs the unit tests, the Windows tests (platform layer, loading by
# plain names, several processes) and the private-profile differential test
# (the same case table through our Linux implementation and through the
# Windows functions).  Ends with the line "N passed, N failed"; exits non-zero
# on any failure.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=build/win32
passed=0
failed=0
step() {  # step NAME COMMAND...: runs one step and counts it
  local name=$1; shift
  echo "==> $name"
  if "$@"; then passed=$((passed + 1)); echo "<== $name: ok"; else failed=$((failed + 1)); echo "<== $name: FAILED"; fi
}
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit $?
}

# ---- What the cross build and wine need, from Debian's packages ----
install_missing() {
  local SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386 || return 1
  fi
  local packages=(cmake ninja-build g++ googletest g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386)
  local missing=() p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "installing: ${missing[*]}"
  $SUDO apt-get update -q || return 1
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
}
step "install toolchain and wine" install_missing || true
[ "$failed" -eq 0 ] || finish

# ---- Build ----
build_win32() {
  cmake --preset win32 >/dev/null && cmake --build --preset win32 -j2
}
step "win32 build" build_win32
[ "$failed" -eq 0 ] || finish
dll=$build/src/QuorSMA.dll

# ---- The DLL itself ----
step "DLL export table" bash tests/exports/check_exports.sh "$dll" src/exports/export_names.txt

check_imports() {
  # Only system DLLs: no compiler runtime (libgcc_s, libstdc++, libwinpthread)
  # may be needed beside QuorSMA.dll.
  local imports bad
  imports=$(objdump -p "$dll" | awk '/DLL Name:/ {print $3}')
  echo "imports: $(echo $imports)"
  bad=$(echo "$imports" | grep -viE '^(kernel32|user32|msvcrt|advapi32|ntdll|gdi32|shell32|ole32|oleaut32|ws2_32)\.dll$|^api-ms-win-' || true)
  if [ -n "$bad" ]; then echo "non-system DLLs imported: $bad"; return 1; fi
}
step "DLL imports only system DLLs" check_imports

check_shared_section() {
  objdump -h "$dll" | grep -A1 -E '^ +[0-9]+ SHARDATA ' | grep -q SHARED
}
step "SHARDATA is a shared section" check_shared_section

# ---- wine, headless, in a prefix of its own ----
export WINEPREFIX="$root/$build/wineprefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono/Gecko installer prompts
# No display: a message box can never wait for a user (wine returns at once).
unset DISPLAY WAYLAND_DISPLAY
run_wine() {  # run_wine TIMEOUT PROGRAM ARGS...
  local limit=$1; shift
  timeout --kill-after=10 "$limit" wine "$@"
}
prepare_prefix() {
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  timeout --kill-after=10 600 wineboot -i </dev/null >"$root/$build/wineboot.log" 2>&1
}
step "wine prefix" prepare_prefix
[ "$failed" -eq 0 ] || finish

run_gtest() {  # run_gtest DIR PROGRAM: runs a Google Test program in DIR under wine
  local dir=$1 program=$2 log
  log="$root/$build/$(basename "$program" .exe).log"
  (cd "$dir" && run_wine 900 "./$program" --gtest_color=no </dev/null) >"$log" 2>&1
  local rc=$?
  grep -E '^\[( +PASSED| +FAILED|==========)|Failure$|^\[  FAILED' "$log" | head -60
  [ $rc -eq 124 ] && echo "timed out (see $log)"
  [ $rc -eq 0 ]
}
step "unit tests under wine" run_gtest "$build/tests" quorsma_unit_tests.exe
step "Windows tests under wine (platform layer, DLL, processes)" run_gtest "$build/tests/windows" quorsma_windows_tests.exe

# ---- Private profile: our Linux implementation against the Windows functions ----
profile_differential() {
  cmake --preset linux >/dev/null && cmake --build --preset linux -j2 --target qsma_profile_cases >/dev/null || return 1
  local linux_out="$root/$build/profile-linux.txt" wine_out="$root/$build/profile-windows.txt"
  build/linux/tests/windows/qsma_profile_cases >"$linux_out" || return 1
  run_wine 120 "$build/tests/windows/qsma_profile_cases.exe" </dev/null | tr -d '\r' >"$wine_out" || return 1
  echo "$(wc -l <"$linux_out") cases"
  if ! diff -u --label linux --label windows "$linux_out" "$wine_out"; then
    echo "the Linux private-profile functions differ from the Windows ones (above)"
    return 1
  fi
}
step "private-profile differential (Linux vs Windows)" profile_differential

# ---- The quorsma tool on Windows: the runner and the demo on the bundled installation ----
tool_smoke() {
  local dir=$build/tools/quorsma out
  out=$(cd "$dir" && QUORSMA_SECTION=qsma_wine_tool_$$ run_wine 120 ./quorsma.exe run \
        examples/traffic_light.il examples/conveyor.il --scans 400 --period 0 </dev/null 2>&1) || { echo "$out"; return 1; }
  echo "$out" | tr -d '\r' | tail -1
  echo "$out" | grep -q "^400 scans" || { echo "$out"; return 1; }
  out=$(cd "$dir" && QUORSMA_SECTION=qsma_wine_demo_$$ run_wine 120 ./quorsma.exe demo --seconds 2 </dev/null 2>&1) \
    || { echo "$out"; return 1; }
  echo "$out" | tr -d '\r' | tail -1
  echo "$out" | grep -q "value-change lines" || { echo "$out"; return 1; }
}
step "quorsma tool under wine (run, demo)" tool_smoke

# Nothing of ours stays behind in wine.
wineserver -k >/dev/null 2>&1 || true
finish
