#!/usr/bin/env bash
# Makes the watch test programs of testdata/elf from src/watch.c (ARM) and src/watch2.c
# (Thumb) with the ARM cross compiler (scripts/setup.sh --cross installs it), at -O0 and
# -O1, in strict DWARF 2, then the cores of stops inside watch_frame and what gdb reads
# in them (make-frames.py). The outputs are committed, so builds and tests never need
# the cross compiler; run this only to change the programs.
#
#   watch-O0.elf, watch-O1.elf          the programs
#   NAME.gdb-sections.txt               gdb's x/Nxb of each allocated section it can read
#   watch-O0-frameK.core, .gdb.txt      the cores and gdb's registers, stack and frame
set -euo pipefail
cd "$(dirname "$0")"
CC=arm-none-eabi-gcc
for opt in O0 O1; do
    common=(-mcpu=arm7tdmi -mthumb-interwork "-$opt" -g -gdwarf-2 -gstrict-dwarf -fno-common)
    tmp=$(mktemp -d)
    $CC "${common[@]}" -c src/startup.s -o "$tmp/startup.o"
    $CC "${common[@]}" -marm -c src/watch.c -o "$tmp/watch.o"
    $CC "${common[@]}" -mthumb -c src/watch2.c -o "$tmp/watch2.o"
    $CC "${common[@]}" -nostdlib -nostartfiles -T src/sample.ld \
        "$tmp/startup.o" "$tmp/watch.o" "$tmp/watch2.o" -lgcc -o "watch-$opt.elf"
    rm -rf "$tmp"
done
for elf in arm7-mixed.elf watch-O0.elf watch-O1.elf; do
    python3 make-frames.py sections "$elf" > "${elf%.elf}.gdb-sections.txt"
done
python3 make-frames.py frames watch-O0.elf
ls -l watch-*
