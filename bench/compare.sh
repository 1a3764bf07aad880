#!/usr/bin/env bash
# bench/compare.sh REF [--rounds N] [--min-time S] [--no-callgrind]
#
# Measures the library of git ref REF (a release, a branch, a commit) beside
# the library of this work tree as it is now, uncommitted changes included,
# in one run: the device and ladder benchmarks of both, alternately, several
# rounds, each benchmark run on a section of its own.  Prints for every
# figure the median over the rounds for both and their ratio, and, unless
# --no-callgrind, the instructions each operation costs counted by callgrind
# (the same on a busy machine as on an idle one).
#
# Both libraries are built by their own CMake files (Release, without tests
# and tools where the ref's CMake has those options) under build/compare/;
# the benchmarks are this work tree's (bench/compare/CMakeLists.txt), built
# once against each library's header and shared object, so the two builds are
# measured by the same code.  REF must have the image layout and the exports
# the benchmarks use (every release since 1.0 has).
set -euo pipefail

usage() {
  echo "usage: bench/compare.sh REF [--rounds N] [--min-time SECONDS] [--no-callgrind]" >&2
  exit 2
}

[[ $# -ge 1 ]] || usage
ref=$1
shift
rounds=5
min_time=0.3
callgrind=1
while [[ $# -gt 0 ]]; do
  case $1 in
    --rounds) [[ $# -ge 2 ]] || usage; rounds=$2; shift 2 ;;
    --min-time) [[ $# -ge 2 ]] || usage; min_time=$2; shift 2 ;;
    --no-callgrind) callgrind=0; shift ;;
    *) usage ;;
  esac
done
[[ $rounds =~ ^[1-9][0-9]*$ ]] || { echo "compare.sh: --rounds takes a whole number of 1 or more" >&2; exit 2; }
if [[ $callgrind == 1 ]] && ! command -v valgrind > /dev/null; then
  echo "compare.sh: valgrind is not installed; instruction counts left out" >&2
  callgrind=0
fi

root=$(git -C "$(dirname "$0")" rev-parse --show-toplevel)
commit=$(git -C "$root" rev-parse --verify --quiet "$ref^{commit}") ||
  { echo "compare.sh: $ref names no commit of this repository" >&2; exit 2; }
short=$(git -C "$root" rev-parse --short=12 "$commit")
out=$root/build/compare
mkdir -p "$out"
log=$out/build.log
: > "$log"

# configure_library SOURCE BUILD: the library of SOURCE, built in BUILD.
build_library() {
  local source=$1 build=$2 options=()
  # Only the options the source's CMake knows, so older refs configure too.
  for option in QUORSMA_BUILD_TESTS QUORSMA_BUILD_TOOLS QUORSMA_BUILD_BENCH QUORSMA_BUILD_FUZZ; do
    if grep -q "option($option" "$source/CMakeLists.txt"; then options+=("-D$option=OFF"); fi
  done
  cmake -S "$source" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "${options[@]}" >> "$log" 2>&1 &&
    cmake --build "$build" --target QuorSMA -j2 >> "$log" 2>&1 ||
    { echo "compare.sh: building the library of $source failed; see $log" >&2; exit 1; }
  # The shared object itself, behind its development links.
  readlink -f "$(find "$build" -name 'libQuorSMA.so' -print -quit)"
}

# build_harness SOURCE LIBRARY BUILD: the benchmarks against that library.
build_harness() {
  local source=$1 library=$2 build=$3
  cmake -S "$root/bench/compare" -B "$build" -G Ninja -DQUORSMA_INCLUDE_DIR="$source/include" \
    -DQUORSMA_LIBRARY="$library" >> "$log" 2>&1 &&
    cmake --build "$build" -j2 >> "$log" 2>&1 ||
    { echo "compare.sh: building the benchmarks against $library failed; see $log" >&2; exit 1; }
}

# The ref's sources, taken from git once (a ref's content never changes).
ref_source=$out/$short/source
if [[ ! -f $ref_source.complete ]]; then
  rm -rf "$ref_source"
  mkdir -p "$ref_source"
  git -C "$root" archive "$commit" | tar -x -C "$ref_source"
  touch "$ref_source.complete"
fi

echo "building $ref ($short) and the work tree (log: $log)" >&2
ref_library=$(build_library "$ref_source" "$out/$short/library")
work_library=$(build_library "$root" "$out/worktree/library")
build_harness "$ref_source" "$ref_library" "$out/$short/bench"
build_harness "$root" "$work_library" "$out/worktree/bench"

args=(--rounds "$rounds" --min-time "$min_time" --log "$out/run.log")
[[ $callgrind == 1 ]] && args+=(--callgrind)
exec python3 "$root/bench/compare/run_compare.py" "${args[@]}" \
  "$ref=$out/$short/bench" "work tree=$out/worktree/bench"
