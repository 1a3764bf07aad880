#!/usr/bin/env bash
# The main job: builds the library and the quorsma tool with its default
# installation (configuration, data directories, example comment file) and
# runs the bundled demonstration: the example traffic-light and conveyor
# programs for a few seconds, printing value-change lines and a closing table
# of devices with their comments.  Arguments go to `quorsma demo` (for
# example --seconds 20).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/setup-linux.sh
cmake --preset linux >/dev/null
cmake --build --preset linux -j2 --target quorsma quorsma_comment_file >/dev/null
# A section of the demo's own, so that a live installation is not disturbed.
export QUORSMA_SECTION=${QUORSMA_SECTION:-qsma_demo_$$}
exec build/linux/tools/quorsma/quorsma demo "$@"
