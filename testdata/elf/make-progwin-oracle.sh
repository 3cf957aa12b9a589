#!/usr/bin/env bash
# What gdb-multiarch says of arm7-mixed.elf that the program window and the symbol
# explorer must agree with: the files and functions of `info functions` and the line that
# `info line` gives for main's address (arm-none-eabi-nm's), and the symbols that
# arm-none-eabi-nm lists. The output is committed beside the program, so the tests never
# need the tools (scripts/setup.sh --cross installs them).
#
#   arm7-mixed.gdb-functions.txt   gdb's output of both commands
#   arm7-mixed.nm.txt              arm-none-eabi-nm's output
set -euo pipefail
cd "$(dirname "$0")"
main=$(arm-none-eabi-nm arm7-mixed.elf | awk '$3 == "main" { print "0x" $1 }')
gdb-multiarch -batch -ex 'info functions' -ex "info line *$main" arm7-mixed.elf > arm7-mixed.gdb-functions.txt
arm-none-eabi-nm arm7-mixed.elf > arm7-mixed.nm.txt
