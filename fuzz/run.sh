#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a short while over its seed corpus.
#   fuzz/run.sh [seconds per target, default 30] [target: vast, json or media, default all]
# Skips (exit 0) when clang is not installed.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-30}"
only="${2:-}"
if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz/run.sh: clang++ not found; fuzz targets skipped"
  exit 0
fi

build=build/fuzz
cmake -S fuzz -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j "$(nproc)"

# New corpus entries stay in the build directory; findings are written to $build/artifacts/.
run() {
  local target="$1" corpus="$2"
  shift 2
  mkdir -p "$build/corpus/$corpus" "$build/artifacts"
  "$build/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 "$@" \
    -artifact_prefix="$build/artifacts/" "$build/corpus/$corpus" "${seeds:-fuzz/corpus/$corpus}"
  echo "fuzz/run.sh: $target ran ${seconds}s without a finding"
}
if [[ -z "$only" || "$only" == vast ]]; then run VastXMLParserFuzz vast -dict=fuzz/vast.dict; fi
if [[ -z "$only" || "$only" == json ]]; then run JsonDocumentFuzz json -dict=fuzz/json.dict; fi
if [[ -z "$only" || "$only" == media ]]; then seeds=tests/Platform/Media/media run MediaProbeFuzz media -max_len=65536; fi
