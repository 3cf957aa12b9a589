#!/usr/bin/env bash
# Makes the ARM programs of testdata/firmware with the ARM cross compiler (scripts/setup.sh
# --cross installs it): the synthetic firmware of 24 modules that gen-firmware.py writes with
# seed 1, at -O0 and -O1, in ARM and in Thumb state, and the hand-written program of src/ at
# -O0 and -O1. The outputs are committed, so builds and tests never need the cross compiler;
# run this, then oracle.sh, only to change them.
#
# The compiler runs in a temporary folder whose path the debug information records as
# /tmp/qel-firmware, so the files do not depend on where the checkout or the folder is.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
generator=$here/../../../shared/bench/gen-firmware.py
if [[ ! -f $generator ]]; then
    echo "make.sh: the firmware generator is not at $generator (the shared/ folder beside the checkout)" >&2
    exit 1
fi
cd "$here"
CC=arm-none-eabi-gcc
CXX=arm-none-eabi-g++
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
common=(-mcpu=arm7tdmi -mthumb-interwork -g -gdwarf-2 -gstrict-dwarf -fno-common
        "-fdebug-prefix-map=$tmp=/tmp/qel-firmware")
link=(-nostdlib -nostartfiles -T "$here/src/firmware.ld")

# libgcc of each state without its debug information: its assembler sources bring DWARF 5
# units, and every unit of these programs is to be DWARF 2.
for state in arm thumb; do
    mkdir "$tmp/libgcc-$state"
    arm-none-eabi-objcopy --strip-debug "$($CC "${common[@]}" -m$state -print-libgcc-file-name)" \
        "$tmp/libgcc-$state/libgcc.a"
done

# gen24-OPT-STATE.elf: every module and main.c in that state.
python3 "$generator" --modules 24 --seed 1 --out "$tmp/gen24" > /dev/null
for opt in O0 O1; do
    for state in arm thumb; do
        name=gen24-$opt-$state
        mkdir "$tmp/$name"
        objs=()
        for src in "$tmp"/gen24/*.c; do
            obj=$tmp/$name/$(basename "${src%.c}").o
            (cd "$tmp/gen24" && $CC "${common[@]}" -$opt -m$state -c "$(basename "$src")" -o "$obj")
            objs+=("$obj")
        done
        $CC "${common[@]}" -$opt -m$state "${link[@]}" "${objs[@]}" -L"$tmp/libgcc-$state" -lgcc -o "$name.elf"
    done
done

# handwritten-OPT.elf: board.c and main.c in ARM state, control.c and motor.cpp in Thumb;
# handwritten-O0-dwarf3.elf the same at -O0 with DWARF 3 units (a frame base of
# DW_OP_call_frame_cfa, which .debug_frame gives).
cp -r src "$tmp/handwritten"
for variant in O0 O1 O0-dwarf3; do
    opt=${variant%%-*}
    name=handwritten-$variant
    flags=("${common[@]}" -$opt)
    [[ $variant == *-dwarf3 ]] && flags+=(-gdwarf-3)
    mkdir "$tmp/$name"
    (
        cd "$tmp/handwritten"
        $CC "${flags[@]}" -marm -c board.c -o "../$name/board.o"
        $CC "${flags[@]}" -mthumb -c control.c -o "../$name/control.o"
        $CXX "${flags[@]}" -mthumb -fno-exceptions -fno-rtti -c motor.cpp -o "../$name/motor.o"
        $CC "${flags[@]}" -marm -c main.c -o "../$name/main.o"
    )
    $CC "${flags[@]}" "${link[@]}" "$tmp/$name"/{board,control,motor,main}.o -L"$tmp/libgcc-arm" -lgcc -o "$name.elf"
done
ls -l ./*.elf
