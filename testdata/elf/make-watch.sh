#!/usr/bin/env bash
# Makes the watch test programs of testdata/elf from src/watch.c (ARM) and src/watch2.c
# (Thumb) with the ARM cross compiler (scripts/setup.sh --cross installs it), at -O0 and
# -O1, in strict DWARF 2, then the cores of stops inside their functions and what gdb
# reads in the programs and the cores (make-frames.py, make-watch-oracles.py). The
# outputs are committed, so builds and tests never need the cross compiler or gdb.
# A program's bytes depend on the directory it is compiled in (its DWARF names it), and
# tests depend on the bytes: `make-watch.sh --oracles` keeps the committed programs and
# remakes only what is read from them; run it without to change the programs.
#
#   watch-O0.elf, watch-O1.elf          the programs
#   keywords.elf                        src/keywords.c at -O0: a _Bool, a char above 127
#                                       and an enumeration bit-field, for the keyword types
#   NAME.gdb-sections.txt               gdb's x/Nxb of each allocated section it can read
#   watch-O0-frameK.core, .gdb.txt      cores of stops inside watch_frame (ARM) at -O0 and
#   watch-O1-frameK.core, .gdb.txt      -O1 and inside watch2_counter (Thumb) at -O0, and
#   watch-O0-thumb1.core, .gdb.txt      gdb's registers, stack and frame in each
#   watch-eval.txt                      CONTEXT<TAB>EXPR<TAB>ANSWER: gdb's print of the
#                                       expressions of watch-eval.expr, in each program
#                                       (globals, no frame) and each core (a stop:
#                                       parameters and locals too)
#   watch-format.txt                    CONTEXT<TAB>PATH<TAB>FORMAT<TAB>ANSWER: each global
#                                       of the programs, its members, elements and
#                                       pointed-to objects, with print/d, /x, /c, print,
#                                       print &PATH and whatis (FORMAT d x c value addr type)
#   watch-O0.decodedline.txt            readelf's decoded line table of watch.c in
#                                       watch-O0.elf, the command in its first line
#
# ANSWER is gdb's text without "$N = " (whatis without "type = "). A CONTEXT names a
# program or a core of testdata/elf; a core's program is its name up to "-frame" or
# "-thumb".
# When build/bin/qelhost is built, every EXPR and PATH is checked against the watch parser.
set -euo pipefail
cd "$(dirname "$0")"
CC=arm-none-eabi-gcc
if [ "${1-}" != --oracles ]; then
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
    tmp=$(mktemp -d)
    common=(-mcpu=arm7tdmi -O0 -g -gdwarf-2 -gstrict-dwarf -fno-common)
    $CC "${common[@]}" -c src/startup.s -o "$tmp/startup.o"
    $CC "${common[@]}" -marm -c src/keywords.c -o "$tmp/keywords.o"
    $CC "${common[@]}" -nostdlib -nostartfiles -T src/sample.ld "$tmp/startup.o" "$tmp/keywords.o" -lgcc \
        -o keywords.elf
    rm -rf "$tmp"
fi
for elf in arm7-mixed.elf watch-O0.elf watch-O1.elf; do
    python3 make-frames.py sections "$elf" > "${elf%.elf}.gdb-sections.txt"
done
python3 make-frames.py frames watch-O0.elf
python3 make-frames.py frames watch-O1.elf
python3 make-watch-oracles.py eval keywords.elf watch-O0.elf watch-O1.elf watch-O0-frame1.core watch-O0-frame2.core \
    watch-O0-thumb1.core watch-O1-frame1.core watch-O1-frame2.core > watch-eval.txt
python3 make-watch-oracles.py format watch-O0.elf watch-O1.elf > watch-format.txt
{
    echo "# arm-none-eabi-readelf --debug-dump=decodedline testdata/elf/watch-O0.elf | sed -n '/^watch\.c:\$/,/^\$/p'"
    arm-none-eabi-readelf --debug-dump=decodedline watch-O0.elf | sed -n '/^watch\.c:$/,/^$/p'
} > watch-O0.decodedline.txt
qelhost=../../build/bin/qelhost
if [ -x "$qelhost" ]; then
    if ! out=$({ cut -f2 watch-eval.txt; cut -f2 watch-format.txt; } | sort -u |
               "$qelhost" parse --type byte_t --type T -); then
        printf '%s\n' "$out" | grep -v '^(' >&2 || true
        echo "make-watch.sh: the watch parser refuses a text above" >&2
        exit 1
    fi
else
    echo "make-watch.sh: $qelhost is not built; the texts are not checked" >&2
fi
ls -l watch-*
