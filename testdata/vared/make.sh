#!/usr/bin/env bash
# Makes the sample programs with a ".VarEd_Info" section from src/ with the ARM cross
# compiler (scripts/setup.sh --cross installs it). The outputs are committed, so builds and
# tests never need the cross compiler; run this only to change the samples.
#
#   vared-valid.elf            four good statements (src/valid.s)
#   vared-syntaxerror.elf      a statement whose value is a number (src/syntaxerror.s)
#   vared-missingfunction.elf  a statement naming a function the program lacks
#
# Each section is assembled from .ascii text, so it carries no terminating zero. The
# functions and variables the statements name are those of src/vared.c, external and
# global, with DWARF 2 debugging information.
set -euo pipefail
cd "$(dirname "$0")"
CC=arm-none-eabi-gcc
common=(-mcpu=arm7tdmi -g -gdwarf-2 -gstrict-dwarf -fno-common)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
$CC "${common[@]}" -c src/vared.c -o "$tmp/vared.o"
for name in valid syntaxerror missingfunction; do
    $CC "${common[@]}" -c "src/$name.s" -o "$tmp/$name.o"
    $CC "${common[@]}" -nostdlib -nostartfiles -Wl,-Ttext=0x8000 "$tmp/vared.o" "$tmp/$name.o" \
        -o "vared-$name.elf"
done
ls -l ./*.elf
