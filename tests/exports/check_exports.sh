#!/usr/bin/env bash
# Compares the exported names of the built library (.so or .dll) with the list
# of exports that exist.  Usage: check_exports.sh LIBRARY LIST
set -euo pipefail
lib=$1
list=$2
case "$lib" in
  *.dll|*.DLL)
    # objdump -p prints the export table as lines of "[ordinal] name".
    actual=$(objdump -p "$lib" | awk '/\[Ordinal\/Name Pointer\] Table/{t=1;next} t&&/^[ \t]*\[/{print $NF} t&&/^[ \t]*$/{t=0}' | sort -u)
    ;;
  *)
    actual=$(nm -D --defined-only "$lib" | awk '$2 ~ /^[TWi]$/ {print $3}' | sort -u)
    ;;
esac
expected=$(grep -v '^\s*$' "$list" | sort -u)
if [ "$actual" != "$expected" ]; then
  echo "export list mismatch for $lib"
  diff <(echo "$expected") <(echo "$actual") | sed 's/^</missing:/; s/^>/unexpected:/' | grep -E '^(missing|unexpected)' || true
  exit 1
fi
echo "exports ok: $(echo "$actual" | wc -l) names in $lib"
