#!/usr/bin/env bash
# fuzz.sh [SECONDS]: builds the fuzz targets with clang's libFuzzer and runs every one of
# them for SECONDS (default 60). A target grows its corpus in build-fuzz/corpus/NAME,
# starting from the inputs of its own format: the files that the line
# "// fuzz-seeds: GLOB" near the top of its source names (GLOB relative to the repository
# root; a target without the line starts from its corpus alone). The reproducer of a
# crash, leak or timeout goes to build-fuzz/artifacts/NAME/. At the end it names the
# targets that found a fault and then exits with 1.
set -euo pipefail
shopt -s nullglob globstar
cd "$(dirname "$0")/.."
seconds=${1:-60}
scripts/setup.sh
CC=clang CXX=clang++ scripts/build.sh build-fuzz -DQEL_FUZZ=ON

# The files that the fuzz-seeds line of the target's source names.
seed_files() {
  local file glob files
  file=$(find . -path ./build\* -prune -o -name "$1.cpp" -print | head -n 1)
  [ -n "$file" ] || return 0
  glob=$(sed -n 's|^// fuzz-seeds: *||p' "$file" | head -n 1)
  [ -n "$glob" ] || return 0
  files=($glob) # unquoted, so that the shell expands it
  [ ${#files[@]} -eq 0 ] || printf '%s\n' "${files[@]}"
}

faulty=()
for target in build-fuzz/bin/*_fuzz; do
  name=$(basename "$target")
  corpus=build-fuzz/corpus/$name
  seeds=build-fuzz/seeds/$name
  artifacts=build-fuzz/artifacts/$name
  rm -rf "$seeds"
  mkdir -p "$corpus" "$seeds" "$artifacts"
  # Named for their paths, since seeds in different folders may share a name.
  seed_files "$name" | while read -r file; do cp "$file" "$seeds/${file//\//_}"; done
  echo "== $name for ${seconds}s, $(ls "$seeds" | wc -l) seeds"
  if ! "$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
       -artifact_prefix="$artifacts/" "$corpus" "$seeds"; then
    faulty+=("$name")
  fi
done

if [ ${#faulty[@]} -ne 0 ]; then
  echo "fuzz.sh: faults found by ${faulty[*]}; reproducers in build-fuzz/artifacts/"
  exit 1
fi
echo "fuzz.sh: no faults found"
