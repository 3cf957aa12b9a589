#!/usr/bin/env bash
# fuzz.sh [SECONDS]: builds the fuzz targets with clang's libFuzzer and runs each of them for
# SECONDS (default 60) on the corpus in build-fuzz/corpus/NAME, seeded from testdata/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
scripts/setup.sh
CC=clang CXX=clang++ scripts/build.sh build-fuzz -DQEL_FUZZ=ON
for target in $(find build-fuzz -maxdepth 4 -type f -executable -name '*_fuzz'); do
  name=$(basename "$target")
  corpus=build-fuzz/corpus/$name
  mkdir -p "$corpus"
  echo "== $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 "$corpus" testdata
done
