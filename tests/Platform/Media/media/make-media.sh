#!/usr/bin/env bash
# Makes the small media files the media tests and benchmarks read (a few kB each, committed).
# Needs the Debian ffmpeg tool. Run again only to change them; the tests check their facts.
set -euo pipefail
cd "$(dirname "$0")"

common=(-hide_banner -loglevel error -y)
out=(-map_metadata -1 -fflags +bitexact)

# 2 s of 96x64 test picture at 10 frames per second with a mono tone.
ffmpeg "${common[@]}" -f lavfi -i "testsrc=size=96x64:rate=10:duration=2" \
  -f lavfi -i "sine=frequency=440:sample_rate=22050:duration=2" \
  -c:v mpeg4 -q:v 20 -c:a aac -b:a 16k -ac 1 -shortest -movflags +faststart "${out[@]}" clip.mp4

# 1.5 s of tone only.
ffmpeg "${common[@]}" -f lavfi -i "sine=frequency=660:sample_rate=22050:duration=1.5" \
  -c:a aac -b:a 16k -ac 1 "${out[@]}" tone.m4a

# 1 s of 64x48 picture in WebM.
ffmpeg "${common[@]}" -f lavfi -i "testsrc=size=64x48:rate=10:duration=1" \
  -c:v libvpx -b:v 20k "${out[@]}" clip.webm

# A Matroska file with 40 short audio tracks: more streams than the probe accepts.
maps=()
for _ in $(seq 40); do maps+=(-map 0:a); done
ffmpeg "${common[@]}" -f lavfi -i "sine=frequency=300:sample_rate=8000:duration=0.02" \
  "${maps[@]}" -c:a pcm_u8 "${out[@]}" many-tracks.mkv

ls -l clip.mp4 tone.m4a clip.webm many-tracks.mkv
