#!/usr/bin/env bash
# Writes korvex.reg: the registry file that `qelhost start` leaves once it has registered
# libKorvex.so, with the build's library folder replaced by an installed one (run after
# scripts/build.sh build). forms.reg is written by hand: a line of each kind that the
# format has. Both seed the registry file reader's fuzz target.
set -euo pipefail
cd "$(dirname "$0")/../.."
rm -f testdata/registry/korvex.reg
QEL_REGISTRY=$PWD/testdata/registry/korvex.reg build/bin/qelhost start >/dev/null
sed -i "s|$PWD/build/lib/|/opt/qelvane/lib/|" testdata/registry/korvex.reg
