#!/usr/bin/env bash
# Installs the Debian packages that the build and the tests need, when they are missing.
set -euo pipefail

packages=(cmake ninja-build g++ libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev
          clang libclang-rt-14-dev ccache)
# The cross tool chain regenerates the sample programs in testdata/ and makes the benchmarks'
# firmware, which gdb-multiarch reads beside them; the build and the tests never need it.
if [ "${1:-}" = "--cross" ]; then
  packages+=(gcc-arm-none-eabi binutils-arm-none-eabi libnewlib-arm-none-eabi srecord gdb-multiarch)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
