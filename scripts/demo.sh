#!/usr/bin/env bash
# The main job: builds the library and the quorsma tool and runs the bundled
# demonstration on the default installation beside the built tool.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup-linux.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j2 --target quorsma >/dev/null
exec build/linux/tools/quorsma/quorsma info "$@"
