#!/usr/bin/env bash
# Writes gcc-stabs-raw.txt and gcc-stabs-numbered.txt from gcc-stabs-types.c: the type
# parts (what follows "name:" and its letter) of the stabs strings that arm-none-eabi-gcc
# writes, one a line, raw and with every "(0,N)" pair rewritten as "N" (the numbering of
# the GNU C166 tool chain). Needs scripts/setup.sh --cross; the outputs are committed.
set -euo pipefail
cd "$(dirname "$0")"
object=$(mktemp)
trap 'rm -f "$object"' EXIT
arm-none-eabi-gcc -gstabs -c -o "$object" gcc-stabs-types.c 2>/dev/null
# objdump -G: the string is the seventh column to the end of the line.
arm-none-eabi-objdump -G "$object" |
  awk 'NR > 6 && NF >= 7 { s = $0; for (i = 1; i <= 6; i++) sub(/^[^ ]+ +/, "", s); print s }' |
  sed -n 's/^[^:]*:[A-Za-z]\(.*\)$/\1/p' > gcc-stabs-raw.txt
sed 's/(0,\([0-9]*\))/\1/g' gcc-stabs-raw.txt > gcc-stabs-numbered.txt
