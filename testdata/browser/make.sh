#!/usr/bin/env bash
# Makes gen20-O0.elf, the program of the symbol browser's tests, with the ARM cross
# compiler (scripts/setup.sh --cross installs it): the 20 modules and main.c that
# gen-firmware.py writes with seed 54, at -O0 in ARM state, built and linked as
# ../firmware/make.sh builds its programs; beside it what arm-none-eabi-readelf -s and
# arm-none-eabi-nm answer about it. The outputs are committed, so builds and tests never
# need the cross compiler; run this only to change them.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
generator=$here/../../../shared/bench/gen-firmware.py
if [[ ! -f $generator ]]; then
    echo "make.sh: the firmware generator is not at $generator (the shared/ folder beside the checkout)" >&2
    exit 1
fi
cd "$here"
CC=arm-none-eabi-gcc
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
common=(-mcpu=arm7tdmi -mthumb-interwork -g -gdwarf-2 -gstrict-dwarf -fno-common
        "-fdebug-prefix-map=$tmp=/tmp/qel-firmware")
link=(-nostdlib -nostartfiles -T "$here/../firmware/src/firmware.ld")

# libgcc without its debug information: its assembler sources bring DWARF 5 units.
mkdir "$tmp/libgcc"
arm-none-eabi-objcopy --strip-debug "$($CC "${common[@]}" -marm -print-libgcc-file-name)" "$tmp/libgcc/libgcc.a"

python3 "$generator" --modules 20 --seed 54 --out "$tmp/gen20" > /dev/null
objs=()
for src in "$tmp"/gen20/*.c; do
    obj=$tmp/$(basename "${src%.c}").o
    (cd "$tmp/gen20" && $CC "${common[@]}" -O0 -marm -c "$(basename "$src")" -o "$obj")
    objs+=("$obj")
done
$CC "${common[@]}" -O0 -marm "${link[@]}" "${objs[@]}" -L"$tmp/libgcc" -lgcc -o gen20-O0.elf
arm-none-eabi-readelf -s gen20-O0.elf > gen20-O0.readelf-s.txt
arm-none-eabi-nm gen20-O0.elf > gen20-O0.nm.txt
ls -l gen20-O0.*
