#!/usr/bin/env bash
# What the tools say of arm7-mixed.elf's functions that the host's select list must agree
# with: each function that gdb-multiarch's `info functions` places in a source file, with
# its address from `arm-none-eabi-nm --defined-only`, and the line that
# `gdb-multiarch -batch -ex 'info line *ADDR'` gives for that address. Committed beside
# the program, so the tests never need the tools (scripts/setup.sh --cross installs them).
#
#   arm7-mixed.selectlist.txt   "function NAME 0xADDR LINE FILE", one line per function
set -euo pipefail
cd "$(dirname "$0")"
names=$(gdb-multiarch -batch -ex 'info functions' arm7-mixed.elf |
  sed -n 's/^[0-9]*:.* \**\([A-Za-z_][A-Za-z_0-9]*\)(.*/\1/p' | sort)
for name in $names; do
  address=$(arm-none-eabi-nm --defined-only arm7-mixed.elf | awk -v n="$name" '$3 == n { print "0x" $1 }')
  gdb-multiarch -batch -ex "info line *$address" arm7-mixed.elf |
    sed -n "s/^Line \([0-9]*\) of \"\([^\"]*\)\" .*/function $name $address \1 \2/p"
done > arm7-mixed.selectlist.txt
