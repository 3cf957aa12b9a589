#!/usr/bin/env bash
# Makes the sample ARM programs of testdata/elf from src/ with the ARM cross compiler
# (scripts/setup.sh --cross installs it). The outputs are committed, so builds and tests
# never need the cross compiler; run this only to change the samples.
#
#   arm7-mixed.elf       ARM7TDMI, ARM and Thumb modules, DWARF 2, .data loaded in flash, run in RAM
#   arm7-mixed-v2line.elf  the same with -gno-as-loc-support (the compiler writes the line table)
#   arm7-be.elf          the same program big-endian
#   arm7-sections.elf    -ffunction-sections -fdata-sections (units carry no address range)
#   arm7-newlib.elf      linked with the C library (its objects bring DWARF 5 units)
#   arm7-cpp-comdat.elf  a C++ unit at -O0 with COMDAT code, then a C unit without debug information
#   arm7-mixed.bin       objcopy -O binary of arm7-mixed.elf
set -euo pipefail
cd "$(dirname "$0")"
CC=arm-none-eabi-gcc
common=(-mcpu=arm7tdmi -mthumb-interwork -O1 -g -gdwarf-2 -gstrict-dwarf -fno-common)
build() {
    local out=$1; shift
    local tmp; tmp=$(mktemp -d)
    $CC "${common[@]}" "$@" -c src/startup.s -o "$tmp/startup.o"
    $CC "${common[@]}" "$@" -marm -c src/main.c -o "$tmp/main.o"
    $CC "${common[@]}" "$@" -mthumb -c src/thumb.c -o "$tmp/thumb.o"
    $CC "${common[@]}" "$@" -nostdlib -nostartfiles -T src/sample.ld \
        "$tmp/startup.o" "$tmp/main.o" "$tmp/thumb.o" -lgcc -o "$out"
    rm -rf "$tmp"
}
build arm7-mixed.elf
build arm7-mixed-v2line.elf -gno-as-loc-support
build arm7-be.elf -mbig-endian
build arm7-sections.elf -ffunction-sections -fdata-sections

# With the C library: its start-up code, so the program's own start-up is left out.
tmp=$(mktemp -d)
$CC "${common[@]}" -marm -c src/main.c -o "$tmp/main.o"
$CC "${common[@]}" -mthumb -c src/thumb.c -o "$tmp/thumb.o"
cat > "$tmp/uselib.c" <<'SRC'
#include <string.h>
#include <stdlib.h>
char copy_buffer[32];
int use_library(const char *text) { strncpy(copy_buffer, text, sizeof copy_buffer - 1); return atoi(text); }
SRC
$CC "${common[@]}" -marm -c "$tmp/uselib.c" -o "$tmp/uselib.o"
$CC "${common[@]}" --specs=nosys.specs "$tmp/main.o" "$tmp/thumb.o" "$tmp/uselib.o" -o arm7-newlib.elf
rm -rf "$tmp"

# A C++ unit whose unit range covers only its .text part, then code without lines.
tmp=$(mktemp -d)
arm-none-eabi-g++ -mcpu=arm7tdmi -O0 -g -gdwarf-2 -gstrict-dwarf -fno-exceptions -fno-rtti \
    -fdebug-prefix-map="$PWD=/tmp/qel-elf" -c src/counter.cpp -o "$tmp/counter.o"
$CC -mcpu=arm7tdmi -O1 -c src/fill.c -o "$tmp/fill.o"
$CC -mcpu=arm7tdmi -nostdlib -nostartfiles -Wl,-e,main -T src/sample.ld "$tmp/counter.o" "$tmp/fill.o" \
    -o arm7-cpp-comdat.elf
rm -rf "$tmp"

# The memory image of arm7-mixed.elf as the download gives it, from load address 0.
arm-none-eabi-objcopy -O binary arm7-mixed.elf arm7-mixed.bin
ls -l *.elf *.bin
