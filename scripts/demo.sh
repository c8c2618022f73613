#!/usr/bin/env bash
# Installs what the build needs, builds the SDK with the default preset and runs the demo host
# application against the local ad service. Arguments are passed on to solen-demo
# (scripts/demo.sh --help lists them).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh

jobs="$(nproc)"
if [ "$jobs" -gt 4 ]; then jobs=4; fi
cmake --preset default >/dev/null
cmake --build --preset default --target solen-demo -j "$jobs"
exec build/default/tools/solen-demo "$@"
