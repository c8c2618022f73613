#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for a short while over its seed corpus.
#   fuzz/run.sh [seconds per target, default 30]
# Skips (exit 0) when clang is not installed.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-30}"
if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz/run.sh: clang++ not found; fuzz targets skipped"
  exit 0
fi

build=build/fuzz
cmake -S fuzz -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j "$(nproc)"

# New corpus entries stay in the build directory; findings are written to $build/artifacts/.
mkdir -p "$build/corpus/vast" "$build/artifacts"
"$build/VastXMLParserFuzz" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
  -dict=fuzz/vast.dict -artifact_prefix="$build/artifacts/" "$build/corpus/vast" fuzz/corpus/vast
echo "fuzz/run.sh: VastXMLParserFuzz ran ${seconds}s without a finding"

# Media headers: seeded with the test clips.
mkdir -p "$build/corpus/media"
"$build/MediaProbeFuzz" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 -max_len=65536 \
  -artifact_prefix="$build/artifacts/" "$build/corpus/media" tests/Platform/Media/media
echo "fuzz/run.sh: MediaProbeFuzz ran ${seconds}s without a finding"
