#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the tools and the fuzz targets (clang, and
# the compiler runtime that holds libFuzzer and the sanitizers) need, when they are missing.
# Idempotent; the only place in the repository that calls apt-get.
set -euo pipefail

packages=(
  build-essential g++ cmake ninja-build pkg-config git
  libcurl4-openssl-dev nlohmann-json3-dev libexpat1-dev uuid-dev
  libsimdjson-dev
  libcpp-httplib-dev libssl-dev duktape-dev
  libavformat-dev ffmpeg
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
# Another install under way (a second checkout's setup, an unattended upgrade) is waited for.
$SUDO apt-get -o DPkg::Lock::Timeout=300 update -qq
$SUDO apt-get -o DPkg::Lock::Timeout=300 install -y -qq --no-install-recommends "${missing[@]}"
