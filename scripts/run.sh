#!/usr/bin/env bash
# The main job: builds the system and lets the command-line host run it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh build
# Without arguments: the dump of the sample ARM program (qelhost dump).
exec build/bin/qelhost "${@:-dump}"
