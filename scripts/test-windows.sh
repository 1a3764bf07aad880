#!/usr/bin/env bash
# Builds QuorSMA for 64-bit and 32-bit Windows with Debian's mingw-w64
# toolchains and runs the tests under wine, headless.  Installs what is missing
# (on a fresh Debian machine too); checks each DLL's export table, imports and
# shared data section; then, for every build this machine can execute, runs the
# unit tests, the Windows tests (platform layer, loading by plain names, several
# processes), the private-profile differential test (the same case table
# through our Linux implementation and through the Windows functions) and the
# quorsma tool.
#
# Some machines cannot execute 32-bit x86 programs at all.  The script finds
# out by running a tiny 32-bit program; where it cannot run, the 32-bit steps
# under wine are not run, one line says so, and they count neither as passed
# nor as failed.  Ends with the line "N passed, N failed" counting the steps
# that ran; exits non-zero on any failure.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
passed=0
failed=0
step() {  # step NAME COMMAND...: runs one step, counts it and says how long it took
  local name=$1 start=$SECONDS; shift
  echo "==> $name"
  if "$@"; then
    passed=$((passed + 1)); echo "<== $name: ok ($((SECONDS - start)) s)"
  else
    failed=$((failed + 1)); echo "<== $name: FAILED ($((SECONDS - start)) s)"
  fi
}
finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit $?
}

# ---- What the cross builds and wine need, from Debian's packages ----
SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
apt_updated=0
install_packages() {  # install_packages PACKAGE...: installs those not installed yet
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "installing: ${missing[*]}"
  if [ "$apt_updated" -eq 0 ]; then $SUDO apt-get update -q || return 1; apt_updated=1; fi
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
}
install_toolchains() {
  install_packages cmake ninja-build g++ googletest binutils \
    g++-mingw-w64-i686-posix binutils-mingw-w64-i686 g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 \
    wine wine64 nsis mbpoll mosquitto mosquitto-clients curl python3 unzip
}
step "install toolchains and wine" install_toolchains
[ "$failed" -eq 0 ] || finish

# 32-bit wine is a package of the i386 architecture.  It installs on machines
# that cannot execute it; whether it can run is found out below.
mkdir -p "$root/build"
wine32_note=""
install_wine32() {
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386 && apt_updated=0 || return 1
  fi
  install_packages wine32:i386
}
install_wine32 >"$root/build/wine32-install.log" 2>&1 || wine32_note="wine32:i386 could not be installed (see build/wine32-install.log)"

# ---- Can this machine execute 32-bit x86 programs? ----
# A complete 32-bit Linux program of 93 bytes (one ELF header, one program
# header, and exit(0) through int 0x80), run once; the kernel's answer decides.
can_run_32bit() {
  local probe="$root/build/probe32"
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08'\
'\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00'\
'\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00'\
'\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
  chmod +x "$probe"
  probe_error=$("$probe" 2>&1)
}
run32=1
skip32_reason=""
if ! can_run_32bit; then
  run32=0
  skip32_reason="this machine cannot execute 32-bit x86 programs (a 93-byte 32-bit program failed: ${probe_error##*: })"
elif [ -n "$wine32_note" ]; then
  run32=0
  skip32_reason=$wine32_note
fi
wine64_loader=/usr/lib/wine/wine64
[ -x "$wine64_loader" ] || wine64_loader=$(command -v wine64 || true)

# ---- Builds and the DLLs themselves ----
build_preset() {  # build_preset PRESET
  cmake --preset "$1" >/dev/null && cmake --build --preset "$1" -j2
}
check_imports() {  # check_imports DLL: only system DLLs, no compiler runtime beside QuorSMA.dll
  local imports bad
  imports=$(objdump -p "$1" | awk '/DLL Name:/ {print $3}')
  echo "imports: $(echo $imports)"
  bad=$(echo "$imports" | grep -viE '^(kernel32|user32|msvcrt|advapi32|ntdll|gdi32|shell32|ole32|oleaut32|ws2_32)\.dll$|^api-ms-win-' || true)
  if [ -n "$bad" ]; then echo "non-system DLLs imported: $bad"; return 1; fi
}
check_shared_section() {  # check_shared_section DLL
  objdump -h "$1" | grep -A1 -E '^ +[0-9]+ SHARDATA ' | grep -q SHARED
}
check_machine() {  # check_machine DLL FORMAT: the DLL is built for the expected processor
  objdump -f "$1" | grep -q "file format $2"
}
built=()
for arch in win64 win32; do
  step "$arch build" build_preset "$arch" || true
  dll=build/$arch/src/QuorSMA.dll
  [ -f "$dll" ] || continue
  built+=("$arch")
  format=pei-x86-64; [ "$arch" = win32 ] && format=pei-i386
  step "$arch DLL is $format" check_machine "$dll" "$format"
  step "$arch DLL export table" bash tests/exports/check_exports.sh "$dll" "build/$arch/export_names.txt"
  step "$arch DLL imports only system DLLs" check_imports "$dll"
  step "$arch DLL SHARDATA is a shared section" check_shared_section "$dll"
done

# ---- Tests under wine, headless, each architecture in a prefix of its own ----
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no Mono/Gecko installer prompts
# No display: a message box can never wait for a user (wine returns at once).
unset DISPLAY WAYLAND_DISPLAY
wine_loader=""
use_wine() {  # use_wine ARCH: the prefix and loader of that architecture
  export WINEPREFIX="$root/build/$1/wineprefix"
  if [ "$1" = win64 ]; then
    export WINEARCH=win64 WINELOADER=$wine64_loader
    wine_loader=$wine64_loader
  else
    export WINEARCH=win32
    unset WINELOADER
    wine_loader=wine
  fi
}
run_wine() {  # run_wine TIMEOUT PROGRAM ARGS...
  local limit=$1; shift
  timeout --kill-after=10 "$limit" "$wine_loader" "$@"
}
prepare_prefix() {
  [ -f "$WINEPREFIX/system.reg" ] && return 0
  timeout --kill-after=10 600 "$wine_loader" wineboot -i </dev/null >"$WINEPREFIX.boot.log" 2>&1
  local rc=$?
  [ $rc -eq 0 ] || { tail -5 "$WINEPREFIX.boot.log"; return $rc; }
  # wineboot returns before the wine server has written the registry files;
  # waiting for the server to end makes the new prefix complete on disk.
  timeout --kill-after=10 120 wineserver -w
  [ -f "$WINEPREFIX/system.reg" ] || { echo "no registry in the new prefix"; tail -5 "$WINEPREFIX.boot.log"; return 1; }
}
run_gtest() {  # run_gtest DIR PROGRAM: runs a Google Test program in DIR under wine
  local dir=$1 program=$2 log
  log="$WINEPREFIX.$(basename "$program" .exe).log"
  (cd "$dir" && run_wine 900 "./$program" --gtest_color=no </dev/null) >"$log" 2>&1
  local rc=$?
  # The wine server of the prefix can be ending just as a program starts, which
  # then never runs ("wine client error: ... Connection reset by peer"). That is
  # wine's failure, not the program's: wait for the server to end and run once more.
  if [ $rc -ne 0 ] && grep -q "^wine client error" "$log"; then
    echo "wine lost its server before $program ran; running it again"
    timeout --kill-after=10 120 wineserver -w
    (cd "$dir" && run_wine 900 "./$program" --gtest_color=no </dev/null) >"$log" 2>&1
    rc=$?
  fi
  grep -E '^\[( +PASSED| +FAILED|==========)|Failure$|^\[  FAILED' "$log" | head -60
  [ $rc -eq 124 ] && echo "timed out (see $log)"
  [ $rc -eq 0 ]
}
client_tests() {  # client_tests BUILD: the client library's tests, on a section of their own
  (export QUORSMA_SECTION="qsma_wine_client_$$"; run_gtest "$1/tests/client" quorsma_client_tests.exe)
}
linux_profile_cases=""
profile_differential() {  # profile_differential BUILD
  local build=$1
  if [ -z "$linux_profile_cases" ]; then
    cmake --preset linux >/dev/null && cmake --build --preset linux -j2 --target qsma_profile_cases >/dev/null || return 1
    linux_profile_cases="$root/build/linux/profile-linux.txt"
    build/linux/tests/windows/qsma_profile_cases >"$linux_profile_cases" || return 1
  fi
  local wine_out="$root/$build/profile-windows.txt"
  run_wine 120 "$build/tests/windows/qsma_profile_cases.exe" </dev/null | tr -d '\r' >"$wine_out" || return 1
  echo "$(wc -l <"$linux_profile_cases") cases"
  if ! diff -u --label linux --label windows "$linux_profile_cases" "$wine_out"; then
    echo "the Linux private-profile functions differ from the Windows ones (above)"
    return 1
  fi
}
tool_smoke() {  # tool_smoke BUILD: the runner, the demo and a snapshot on the bundled installation
  local dir=$1/tools/quorsma out
  out=$(cd "$dir" && QUORSMA_SECTION=qsma_wine_tool_$$ run_wine 120 ./quorsma.exe run \
        examples/traffic_light.il examples/conveyor.il --scans 400 --period 0 </dev/null 2>&1) || { echo "$out"; return 1; }
  echo "$out" | tr -d '\r' | tail -1
  echo "$out" | grep -q "^400 scans" || { echo "$out"; return 1; }
  out=$(cd "$dir" && QUORSMA_SECTION=qsma_wine_demo_$$ run_wine 120 ./quorsma.exe demo --seconds 2 </dev/null 2>&1) \
    || { echo "$out"; return 1; }
  echo "$out" | tr -d '\r' | tail -1
  echo "$out" | grep -q "value-change lines" || { echo "$out"; return 1; }
  # A snapshot as the Windows program writes it (CR LF lines) is read back whole.
  out=$(cd "$dir" && QUORSMA_SECTION=qsma_wine_dump_$$ run_wine 120 ./quorsma.exe dump X0..X3 D100..D101 --comments \
        </dev/null 2>&1 >snapshot.txt && QUORSMA_SECTION=qsma_wine_dump_$$ run_wine 120 ./quorsma.exe restore \
        snapshot.txt --comments </dev/null 2>&1)
  local rc=$?
  rm -f "$dir/snapshot.txt"
  [ $rc -eq 0 ] || { echo "$out"; return 1; }
  echo "$out" | tr -d '\r' | tail -1
  echo "$out" | grep -q "^6 values restored" || { echo "$out"; return 1; }
}
# ---- The servers under wine, answering Linux clients on loopback ----
free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }
server_pid=""
start_server() {  # start_server DIR LOG PROGRAM ARGS...: a program run in DIR under wine, in the background
  local dir=$1 log=$2; shift 2
  pushd "$dir" >/dev/null || return 1
  timeout --kill-after=10 120 "$wine_loader" "$@" </dev/null >"$log" 2>&1 &
  server_pid=$!
  popd >/dev/null
}
stop_server() {  # stop_server LOG [LAST]: Ctrl-C (wine turns SIGINT into it); the server must end saying LAST
  local last=${2:-stopped}
  kill -INT "$server_pid" 2>/dev/null
  local i
  for i in $(seq 1 100); do kill -0 "$server_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$server_pid" 2>/dev/null && { kill -KILL "$server_pid"; echo "the server did not stop on Ctrl-C"; return 1; }
  wait "$server_pid" 2>/dev/null
  tr -d '\r' <"$1" | grep -q "$last" || { echo "no '$last' line:"; cat "$1"; return 1; }
}
wait_for_line() {  # wait_for_line LOG TEXT: up to 60 s for the server's first lines
  local i
  for i in $(seq 1 600); do grep -q "$2" "$1" 2>/dev/null && return 0; sleep 0.1; done
  echo "the server never said '$2':"; cat "$1"; return 1
}
station_port=""
start_station() {  # start_station DIR LOG SECTION: quorsma modbus under wine on a free port, D100 set to 4321 by mbpoll
  local out
  station_port=$(free_port)
  QUORSMA_SECTION=$3 start_server "$1" "$2" ./quorsma.exe modbus --listen "127.0.0.1:$station_port" \
     --allow-write D100..D109
  wait_for_line "$2" "listening on" || { stop_server "$2"; return 1; }
  out=$(timeout 20 mbpoll -m tcp -p "$station_port" -a 1 -t 4 -0 -r 100 -1 127.0.0.1 4321 2>&1) ||
    { echo "$out"; stop_server "$2"; return 1; }
}
modbus_under_wine() {  # modbus_under_wine BUILD: quorsma modbus answers mbpoll, writes only where allowed
  local dir=$1/tools/quorsma log="$WINEPREFIX.modbus.log" out rc=0
  start_station "$dir" "$log" "qsma_wine_modbus_$$" || return 1
  out=$(timeout 20 mbpoll -m tcp -p "$station_port" -a 1 -t 4 -0 -r 100 -c 2 -1 127.0.0.1 2>&1)
  echo "$out" | grep -Eq '^\[100\]:[[:space:]]+4321' || { echo "D100 did not read back 4321:"; echo "$out"; rc=1; }
  # D200 is outside --allow-write: the write is refused with an exception.
  out=$(timeout 20 mbpoll -m tcp -p "$station_port" -a 1 -t 4 -0 -r 200 -1 127.0.0.1 7 2>&1) && { echo "$out"; rc=1; }
  stop_server "$log" || rc=1
  [ $rc -eq 0 ] && echo "mbpoll wrote and read D100 and was refused D200"
  return $rc
}
io_under_wine() {  # io_under_wine BUILD: quorsma io polls a station (quorsma modbus, also under wine)
  local dir=$1/tools/quorsma log="$WINEPREFIX.station.log" out rc=0
  start_station "$dir" "$log" "qsma_wine_station_$$" || return 1
  printf 'station s tcp 127.0.0.1:%s unit 1\nread holding-registers 100 D500 2\n' "$station_port" \
    >"$dir/wine_station.io"
  out=$(cd "$dir" && QUORSMA_SECTION=qsma_wine_io_$$ run_wine 60 ./quorsma.exe io wine_station.io --once \
        </dev/null 2>&1 | tr -d '\r')
  rm -f "$dir/wine_station.io"
  echo "$out" | grep -q -- "-> D500..D501: 4321 0" || { echo "quorsma io --once: $out"; rc=1; }
  stop_server "$log" || rc=1
  [ $rc -eq 0 ] && echo "quorsma io read D100..D101 of a station into D500..D501"
  return $rc
}
serve_under_wine() {  # serve_under_wine BUILD: quorsma serve answers curl; writes refused unless allowed
  local dir=$1/tools/quorsma port log out rc=0
  port=$(free_port); log="$WINEPREFIX.serve.log"
  QUORSMA_SECTION=qsma_wine_serve_$$ start_server "$dir" "$log" ./quorsma.exe serve \
     --listen "127.0.0.1:$port"
  wait_for_line "$log" "serving section" || { stop_server "$log"; return 1; }
  out=$(curl -s -m 10 "http://127.0.0.1:$port/api/devices?operands=D0..D1")
  echo "$out" | grep -q '"operand":"D1"' || { echo "GET /api/devices: $out"; rc=1; }
  out=$(curl -s -m 10 -o /dev/null -w '%{http_code}' -X POST -H 'Content-Type: application/json' \
        -d '[{"operand":"D0","value":5}]' "http://127.0.0.1:$port/api/devices")
  [ "$out" = 403 ] || { echo "POST without --allow-write answered $out, not 403"; rc=1; }
  out=$(curl -s -m 10 -o /dev/null -w '%{http_code}' "http://127.0.0.1:$port/")
  [ "$out" = 200 ] || { echo "GET / answered $out"; rc=1; }
  stop_server "$log" || rc=1
  [ $rc -eq 0 ] && echo "curl read devices and the page; a write was refused (403)"
  return $rc
}
mqtt_under_wine() {  # mqtt_under_wine BUILD: quorsma mqtt publishes to a Linux mosquitto
  local dir=$1/tools/quorsma port log conf sub broker out rc=0
  port=$(free_port); log="$WINEPREFIX.mqtt.log"; conf="$WINEPREFIX.mosquitto.conf"; sub="$WINEPREFIX.mqtt-sub.log"
  printf 'listener %s 127.0.0.1\nallow_anonymous true\n' "$port" >"$conf"
  timeout 120 mosquitto -c "$conf" >"$WINEPREFIX.mosquitto.log" 2>&1 &
  broker=$!
  sleep 0.5
  timeout 60 mosquitto_sub -h 127.0.0.1 -p "$port" -t 'wine/#' -v -C 3 >"$sub" 2>&1 &
  local subscriber=$!
  sleep 0.5
  QUORSMA_SECTION=qsma_wine_mqtt_$$ start_server "$dir" "$log" ./quorsma.exe mqtt \
     --broker "127.0.0.1:$port" --topic-prefix wine/q --watch D0..D1
  wait_for_line "$log" "connected to the broker" || rc=1
  local i
  for i in $(seq 1 200); do kill -0 "$subscriber" 2>/dev/null || break; sleep 0.1; done
  stop_server "$log" "left unpublished" || rc=1
  kill "$subscriber" "$broker" 2>/dev/null; wait "$subscriber" "$broker" 2>/dev/null
  for out in 'wine/q/status online' 'wine/q/devices/D0 0' 'wine/q/devices/D1 0'; do
    grep -qx "$out" "$sub" || { echo "not received: $out"; cat "$sub"; rc=1; }
  done
  [ $rc -eq 0 ] && echo "mosquitto received the status and both devices"
  return $rc
}

# ---- The installer, run silently, and the installed tool ----
installer_under_wine() {  # installer_under_wine BUILD: install, use from PATH, uninstall leaving nothing
  local build=$1 setup target out rc=0
  cmake --build "$build" --target quorsma_windows_package >"$WINEPREFIX.package.log" 2>&1 \
    || { tail -20 "$WINEPREFIX.package.log"; return 1; }
  setup=$(ls "$build"/package/QuorSMA-*-setup.exe 2>/dev/null | head -1)
  [ -n "$setup" ] || { echo "no installer was made"; return 1; }
  ls "$build"/package/QuorSMA-*.zip >/dev/null || { echo "no zip was made"; return 1; }
  # The zip, unpacked anywhere: configure.cmd writes its configuration.
  local unpacked="$WINEPREFIX/drive_c/quorsma_zip"
  rm -rf "$unpacked"; mkdir -p "$unpacked"
  (cd "$unpacked" && unzip -q "$(ls "$root/$build"/package/QuorSMA-*.zip | head -1)") || { echo "cannot unzip"; return 1; }
  run_wine 60 cmd /c 'C:\quorsma_zip\configure.cmd' </dev/null >/dev/null 2>&1
  out=$(cd /tmp && QUORSMA_SECTION=qsma_wine_zip_$$ run_wine 120 'C:\quorsma_zip\quorsma.exe' dump X2 --comments \
        </dev/null 2>&1 | tr -d '\r')
  echo "$out" | grep -q "^X2	0	Reset" || { echo "the unpacked zip after configure.cmd: $out"; rc=1; }
  rm -rf "$unpacked"
  target="$WINEPREFIX/drive_c/users/$(whoami)/AppData/Local/Programs/QuorSMA"
  run_wine 300 "$setup" /S </dev/null >/dev/null 2>&1; wineserver -w
  [ -f "$target/quorsma.exe" ] || { echo "nothing installed at $target"; return 1; }
  if grep -rlq -e "$root" -e "Z:" "$target/_Configuration"; then echo "a build path in the configuration"; rc=1; fi
  # The installed tool, found through the user's PATH from another directory,
  # reads the installed configuration and the installed comment file.
  out=$(cd /tmp && QUORSMA_SECTION=qsma_wine_installed_$$ run_wine 120 cmd /c "quorsma dump X0..X2 --comments" \
        </dev/null 2>&1 | tr -d '\r')
  echo "$out" | grep -q "^X2	0	Reset" || { echo "the installed tool: $out"; rc=1; }
  out=$(cd /tmp && QUORSMA_SECTION=qsma_wine_installed_$$ run_wine 120 cmd /c "quorsma info" </dev/null 2>&1 | tr -d '\r')
  echo "$out" | grep -q "^MEM_PARA_PATH *C:.*Programs.QuorSMA.installation.param$" || { echo "$out"; rc=1; }
  run_wine 120 "$target/uninstall.exe" /S </dev/null >/dev/null 2>&1; wineserver -w
  [ -e "$target" ] && { echo "left after uninstalling:"; find "$target" | head; rc=1; }
  out=$(run_wine 60 reg query 'HKCU\Environment' /v Path 2>/dev/null | tr -d '\r')
  echo "$out" | grep -q "QuorSMA" && { echo "still in PATH: $out"; rc=1; }
  run_wine 60 reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\QuorSMA' >/dev/null 2>&1 \
    && { echo "the uninstall entry is left"; rc=1; }
  [ $rc -eq 0 ] && echo "installed ($(basename "$setup")), used from PATH, uninstalled leaving nothing"
  return $rc
}

wine_suites() {  # wine_suites ARCH: every suite of one build under its wine
  local arch=$1 build=build/$1 before=$failed
  use_wine "$arch"
  step "$arch wine prefix" prepare_prefix
  [ "$failed" -eq "$before" ] || return 0
  step "$arch unit tests under wine" run_gtest "$build/tests" quorsma_unit_tests.exe
  step "$arch Windows tests under wine (platform layer, DLL, processes)" \
    run_gtest "$build/tests/windows" quorsma_windows_tests.exe
  step "$arch client library tests under wine" client_tests "$build"
  step "$arch private-profile differential (Linux vs Windows)" profile_differential "$build"
  step "$arch quorsma tool under wine (run, demo, dump and restore)" tool_smoke "$build"
  step "$arch quorsma modbus under wine answering mbpoll" modbus_under_wine "$build"
  step "$arch quorsma io under wine polling a station" io_under_wine "$build"
  step "$arch quorsma serve under wine answering curl" serve_under_wine "$build"
  step "$arch quorsma mqtt under wine publishing to mosquitto" mqtt_under_wine "$build"
  if [ "$arch" = win64 ]; then
    step "$arch installer under wine (silent install, the installed tool, uninstall)" installer_under_wine "$build"
  fi
  wineserver -k >/dev/null 2>&1 || true  # nothing of ours stays behind in wine
}

not_run=()
for arch in "${built[@]}"; do
  if [ "$arch" = win32 ] && [ "$run32" -eq 0 ]; then
    not_run+=(win32)
    continue
  fi
  if [ "$arch" = win64 ] && [ -z "$wine64_loader" ]; then
    echo "64-bit wine is missing"; failed=$((failed + 1)); continue
  fi
  wine_suites "$arch"
done
if [ ${#not_run[@]} -gt 0 ]; then
  echo "not run: the 32-bit Windows tests under wine (unit tests, Windows tests, private-profile differential," \
       "quorsma tool), because $skip32_reason; the 32-bit DLL was built and checked"
fi
finish
