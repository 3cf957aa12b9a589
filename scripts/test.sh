#!/usr/bin/env bash
# Builds the system and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
ctest --test-dir build --output-on-failure -j "$(nproc)"
