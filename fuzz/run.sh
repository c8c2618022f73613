#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a short while over its seed corpus.
#   fuzz/run.sh [seconds per target, default 30] [target: vast, json or media, default all]
# Without clang it skips (exit 0), unless SOLEN_FUZZ_REQUIRED=1 (as CI sets it): then a missing
# clang is an error like any other. A target that does not build, and any finding (crash, leak,
# undefined behaviour, time-out, memory limit), ends the script with a non-zero status.
# The build uses all cores, or CMAKE_BUILD_PARALLEL_LEVEL when set.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-30}"
only="${2:-}"
case "$only" in
  ""|vast|json|media) ;;
  *) echo "usage: fuzz/run.sh [seconds] [vast|json|media]" >&2; exit 2 ;;
esac
if ! command -v clang++ >/dev/null 2>&1; then
  if [[ "${SOLEN_FUZZ_REQUIRED:-0}" == 1 ]]; then
    echo "fuzz/run.sh: clang++ not found (scripts/setup.sh installs it)" >&2
    exit 1
  fi
  echo "fuzz/run.sh: clang++ not found; fuzz targets skipped"
  exit 0
fi

targets=()
if [[ -z "$only" || "$only" == vast ]]; then targets+=(VastXMLParserFuzz); fi
if [[ -z "$only" || "$only" == json ]]; then targets+=(JsonDocumentFuzz); fi
if [[ -z "$only" || "$only" == media ]]; then targets+=(MediaProbeFuzz); fi

build=build/fuzz
cmake -S fuzz -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
# The targets are built by name: one that the build no longer defines fails here instead of
# leaving an earlier build's program to be run.
cmake --build "$build" -j "${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}" --target "${targets[@]}"

# New corpus entries stay in the build directory; findings are written to $build/artifacts/.
run() {
  local target="$1" corpus="$2" seeds="$3"
  shift 3
  mkdir -p "$build/corpus/$corpus" "$build/artifacts"
  "$build/$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -print_final_stats=1 "$@" \
    -artifact_prefix="$build/artifacts/" "$build/corpus/$corpus" "$seeds"
  echo "fuzz/run.sh: $target ran ${seconds}s without a finding"
}
for target in "${targets[@]}"; do
  case "$target" in
    VastXMLParserFuzz) run "$target" vast fuzz/corpus/vast -dict=fuzz/vast.dict ;;
    JsonDocumentFuzz) run "$target" json fuzz/corpus/json -dict=fuzz/json.dict ;;
    MediaProbeFuzz) run "$target" media tests/Platform/Media/media -max_len=65536 ;;
  esac
done
