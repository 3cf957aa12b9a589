#!/usr/bin/env bash
# The main job: builds the system and lets the command-line host run it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
# Without arguments: the load of the sample ARM program, its symbol database in build/mdb.
if [ $# -eq 0 ]; then
    set -- load testdata/elf/arm7-mixed.elf --dbdir build/mdb
fi
exec build/bin/qelhost "$@"
