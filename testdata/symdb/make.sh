#!/usr/bin/env bash
# Writes the seed of the symbol-database fuzz target: testdata/symdb/make.sh [FUZZBUILD]
#
# program.mdb is a small loaded symbol database of the fuzz target's program file
# (/tmp/qel-symdb-fuzz.elf, which the target makes with a fixed time), so that the
# fuzzer starts from a database that is kept and queried. The target writes it itself,
# with the record layer: build it first (scripts/fuzz.sh, or
# CC=clang CXX=clang++ scripts/build.sh build-fuzz -DQEL_FUZZ=ON). Write it again when
# the schema changes.
set -euo pipefail
cd "$(dirname "$0")"
build=${1:-../../build-fuzz}
QEL_SYMDB_FUZZ_SEED="$PWD/program.mdb" "$build/bin/symdbfile_fuzz"
