#!/usr/bin/env bash
# Builds the SDK and runs every test.
#   scripts/test.sh          AddressSanitizer + UndefinedBehaviorSanitizer
#   scripts/test.sh tsan     ThreadSanitizer
#   scripts/test.sh default  no sanitizer
set -euo pipefail
cd "$(dirname "$0")/.."

preset="${1:-asan}"
case "$preset" in
  asan|tsan|default) ;;
  *) echo "usage: scripts/test.sh [asan|tsan|default]" >&2; exit 2 ;;
esac

scripts/setup.sh

# ThreadSanitizer cannot map its shadow memory with the widest address-space randomisation.
if [ "$preset" = "tsan" ] && [ -r /proc/sys/vm/mmap_rnd_bits ] && [ "$(cat /proc/sys/vm/mmap_rnd_bits)" -gt 28 ]; then
  if ! sysctl -q -w vm.mmap_rnd_bits=28 2>/dev/null; then
    echo "test.sh: vm.mmap_rnd_bits is above 28 and cannot be lowered; ThreadSanitizer may fail" >&2
  fi
fi

# Tests never touch the user's own data folder.
export XDG_DATA_HOME="$(mktemp -d)"
trap 'rm -rf "$XDG_DATA_HOME"' EXIT

jobs="$(nproc)"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$jobs"
ctest --preset "$preset" -j "$jobs"
